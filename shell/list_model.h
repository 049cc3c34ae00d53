// Shows a core list (ListControl) in a Qt view: rows, sub-items as columns,
// check boxes, small icons, and the list's own sort order; follows every
// change the core makes to the rows.
#pragma once

#include <QAbstractProxyModel>
#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <QTreeView>
#include <functional>

#include "shell/list_control.h"

namespace vostrel::shell {

class ListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ListModel(ListControl& list, bool checkable, QObject* parent);

    ListControl& list() const { return list_; }
    // Icons by SmallIcon index, counted from 1.
    void SetIcons(QList<QIcon> icons) { icons_ = std::move(icons); }
    // A note shown after a row's text and as its tooltip (empty: none); the
    // row's text itself stays as it is.
    void SetRowNote(std::function<std::string(std::size_t row)> note) { note_ = std::move(note); }
    // What a row shows for its text (null: the text itself): the row's
    // text stays what the program keys on, the window shows it in the
    // user's language.
    void SetShownText(std::function<QString(std::size_t row)> shown) { shown_ = std::move(shown); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // True once after the user toggled a check box, so that the click that
    // did it is not taken for a click on the row.
    bool TakeCheckToggled();

signals:
    // The user toggled the check box of a row (1-based).
    void itemChecked(std::size_t row);

private:
    void OnChange(ListControl::Change change, std::size_t position);

    ListControl& list_;
    bool checkable_;
    bool checkToggled_ = false;
    QList<QIcon> icons_;
    std::function<std::string(std::size_t)> note_;
    std::function<QString(std::size_t)> shown_;
};

// A report-style view over a ListModel, one row per list row.
class ListView : public QTreeView {
    Q_OBJECT
public:
    ListView(const QString& name, ListModel* model, QWidget* parent);
    ListModel* listModel() const { return model_; }
    // Shows the list's sort order on the header.
    void ShowSortIndicator();
    // The view row of a 1-based list position (invalid when a filter hides it).
    QModelIndex IndexOf(std::size_t row) const;
    // The 1-based list position of a view index; 0 for none.
    std::size_t ListRowOf(const QModelIndex& index) const;
    // Shows the list through `proxy` (a filter over the list's model, which
    // takes no other order than the list's own).
    void SetProxy(QAbstractProxyModel* proxy);

private:
    ListModel* model_;
    QAbstractProxyModel* proxy_ = nullptr;
};

}  // namespace vostrel::shell
