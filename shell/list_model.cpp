#include "shell/list_model.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QPointer>
#include <QThread>

namespace vostrel::shell {

namespace {

// The lists' headers are marked for translation where the lists are made.
QString ShownHeader(const std::string& header) {
    return QCoreApplication::translate("vostrel::lists", header.c_str());
}

}  // namespace

ListModel::ListModel(ListControl& list, bool checkable, QObject* parent)
    : QAbstractTableModel(parent), list_(list), checkable_(checkable) {
    QPointer<ListModel> self(this);
    list_.Subscribe([self](ListControl::Change change, std::size_t position) {
        if (!self) return;
        // The scan's worker marks the catalogue row it is at: the view hears
        // of it on its own thread. (The worker changes no row's text or
        // number; the window reloads the catalogue only when no work runs.)
        if (QThread::currentThread() != self->thread()) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, change, position] {
                    if (self) self->OnChange(change, position);
                },
                Qt::QueuedConnection);
            return;
        }
        self->OnChange(change, position);
    });
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.Count());
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.columnCount());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const std::size_t row = static_cast<std::size_t>(index.row()) + 1;
    const std::size_t column = static_cast<std::size_t>(index.column());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole) {
        if (column != 0) return QString::fromStdString(list_.SubItem(row, column));
        QString text = shown_ ? shown_(row) : QString::fromStdString(list_.Text(row));
        if (note_ && role != Qt::AccessibleTextRole) {
            const std::string note = note_(row);
            if (!note.empty())
                text += (role == Qt::ToolTipRole ? "\n" : "  - ") + QString::fromStdString(note);
        }
        return text;
    }
    if (role == Qt::CheckStateRole && checkable_ && column == 0)
        return list_.Checked(row) ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::DecorationRole && column == 0) {
        const int icon = list_.SmallIcon(row);
        if (icon >= 1 && icon <= icons_.size()) return icons_[icon - 1];
    }
    return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const auto& headers = list_.headers();
    if (section < 0 || section >= static_cast<int>(headers.size())) return {};
    return ShownHeader(headers[static_cast<std::size_t>(section)]);
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (checkable_ && index.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!checkable_ || role != Qt::CheckStateRole || !index.isValid()) return false;
    const std::size_t row = static_cast<std::size_t>(index.row()) + 1;
    list_.SetChecked(row, value.toInt() == Qt::Checked);
    checkToggled_ = true;
    emit itemChecked(row);
    return true;
}

bool ListModel::TakeCheckToggled() {
    const bool toggled = checkToggled_;
    checkToggled_ = false;
    return toggled;
}

void ListModel::OnChange(ListControl::Change change, std::size_t position) {
    const int row = static_cast<int>(position) - 1;
    switch (change) {
        case ListControl::Change::Updated:
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
            return;
        case ListControl::Change::Inserted:
            // The core has appended already; a view only needs to hear of it.
            if (position == list_.Count()) {
                beginInsertRows({}, row, row);
                endInsertRows();
                return;
            }
            break;
        default: break;
    }
    beginResetModel();
    endResetModel();
}

ListView::ListView(const QString& name, ListModel* model, QWidget* parent)
    : QTreeView(parent), model_(model) {
    setObjectName(name);
    // Read out by the column it shows ("Sections to be scanned", "Summary"...).
    const auto& headers = model->list().headers();
    setAccessibleName(headers.empty() || headers.front().empty() ? name
                                                                 : ShownHeader(headers.front()));
    setModel(model);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(true);
    header()->setSortIndicatorShown(false);
}

void ListView::ShowSortIndicator() {
    const ListControl& list = model_->list();
    header()->setSortIndicatorShown(list.sorted());
    header()->setSortIndicator(list.sortKey(),
                               list.sortOrder() == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

QModelIndex ListView::IndexOf(std::size_t row) const {
    const QModelIndex index = model_->index(static_cast<int>(row) - 1, 0);
    return proxy_ ? proxy_->mapFromSource(index) : index;
}

std::size_t ListView::ListRowOf(const QModelIndex& index) const {
    if (!index.isValid()) return 0;
    const QModelIndex source =
        proxy_ && index.model() == proxy_ ? proxy_->mapToSource(index) : index;
    if (!source.isValid() || source.model() != model_) return 0;
    return static_cast<std::size_t>(source.row()) + 1;
}

void ListView::SetProxy(QAbstractProxyModel* proxy) {
    proxy->setSourceModel(model_);
    proxy_ = proxy;
    setModel(proxy);
}

}  // namespace vostrel::shell
