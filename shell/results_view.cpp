#include "shell/results_view.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <set>

#include "app/ignore_filter.h"
#include "ignore/ignore_list.h"
#include "results/backup_file.h"
#include "results/repair_plan.h"
#include "shell/app.h"
#include "shell/engine.h"
#include "shell/message_box.h"
#include "shell/skin.h"
#include "shell/translations.h"

namespace vostrel::shell {

namespace {

// The repair's question lists this many items of each group, then a count.
constexpr std::size_t kPlannedShownPerGroup = 6;

QString Q(const std::string& text) { return QString::fromStdString(text); }

Qt::CheckState StateOf(GroupTick tick) {
    switch (tick) {
        case GroupTick::All: return Qt::Checked;
        case GroupTick::Some: return Qt::PartiallyChecked;
        case GroupTick::None: break;
    }
    return Qt::Unchecked;
}

// The folder part of a Windows path ("C:\a" for "C:\a\b.dll", "C:\" for "C:\b.dll").
std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('\\');
    if (cut == std::string::npos) return {};
    if (cut == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, cut);
}

}  // namespace

SummaryTickModel::SummaryTickModel(AppContext& app, QObject* parent)
    : ListModel(app.view.summaryRows, true, parent), app_(app) {
    SetShownText([this](std::size_t row) {
        const ListControl& rows = list();
        if (const ProblemGroup* group = app_.view.GroupOfRow(row))
            return ShownGroupRow(group->name, group->folder, group->problems.size(), group->places,
                                 rows.Text(row));
        const std::string count = rows.SubItem(row, kSummaryCountColumn);
        if (count.empty()) return Q(rows.Text(row));
        return ShownSummaryRow(rows.SubItem(row, kSummarySectionColumn), std::stoll(count),
                               rows.Text(row));
    });
}

QVariant SummaryTickModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::CheckStateRole || index.column() != 0 || index.row() >= rowCount())
        return ListModel::data(index, role);
    const auto row = static_cast<std::size_t>(index.row()) + 1;
    if (const ProblemGroup* group = app_.view.GroupOfRow(row))
        return StateOf(GroupTickOf(app_.session, *group));
    return StateOf(SummaryTick(app_.session, list().Text(row)));
}

Qt::ItemFlags SummaryTickModel::flags(const QModelIndex& index) const {
    // A click sets or clears the whole group; only the program shows "some".
    return ListModel::flags(index) & ~Qt::ItemIsUserTristate;
}

bool SummaryTickModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= rowCount()) return false;
    const auto row = static_cast<std::size_t>(index.row()) + 1;
    const bool selected = value.toInt() != Qt::Unchecked;
    if (const ProblemGroup* group = app_.view.GroupOfRow(row))
        SetGroupTick(app_.session, *group, selected);
    else
        SetSummaryTick(app_.session, list().Text(row), selected);
    TicksChanged();
    emit ticked();
    return true;
}

void SummaryTickModel::TicksChanged() {
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

DetailTickModel::DetailTickModel(AppContext& app, QObject* parent)
    : ListModel(app.view.detailRows, true, parent), app_(app) {
    SetShownText([this](std::size_t row) {
        return ShownDetailLine(list().Text(row), list().SubItem(row, kDetailSectionColumn));
    });
}

std::optional<ProblemRef> DetailTickModel::RefOf(std::size_t row) const {
    if (row < 1 || row > list().Count()) return std::nullopt;
    ProblemRef ref;
    if (!ParseRef(app_.session, list().SubItem(row, kDetailRefColumn), &ref)) return std::nullopt;
    return ref;
}

QVariant DetailTickModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::CheckStateRole || index.column() != 0 || index.row() >= rowCount())
        return ListModel::data(index, role);
    const auto ref = RefOf(static_cast<std::size_t>(index.row()) + 1);
    if (!ref) return {};
    return IsSelected(app_.session, *ref) ? Qt::Checked : Qt::Unchecked;
}

bool DetailTickModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid()) return false;
    const auto ref = RefOf(static_cast<std::size_t>(index.row()) + 1);
    if (!ref) return false;
    SetSelected(app_.session, *ref, value.toInt() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit ticked();
    return true;
}

void DetailTickModel::TicksChanged() {
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

DetailFilter::DetailFilter(DetailTickModel* source, QObject* parent)
    : QSortFilterProxyModel(parent), source_(source) {
    setObjectName("DetailFilter");
}

void DetailFilter::SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    invalidateFilter();
}

void DetailFilter::SetSection(const QString& section) {
    if (section == section_) return;
    section_ = section;
    invalidateFilter();
}

bool DetailFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid()) return false;
    if (text_.isEmpty() && section_.isEmpty()) return true;
    const ListControl& list = source_->list();
    const auto row = static_cast<std::size_t>(sourceRow) + 1;
    if (row > list.Count()) return false;
    const QString section = Q(list.SubItem(row, kDetailSectionColumn));
    if (!section_.isEmpty() && section.compare(section_, Qt::CaseInsensitive) != 0) return false;
    if (text_.isEmpty() || section.contains(text_, Qt::CaseInsensitive)) return true;
    // What the user reads is searched too, in the window's language.
    const QString shownSection = ShownSectionName(list.SubItem(row, kDetailSectionColumn));
    const QString shownLine =
        source_->data(source_->index(sourceRow, 0), Qt::DisplayRole).toString();
    if (shownSection.contains(text_, Qt::CaseInsensitive) ||
        shownLine.contains(text_, Qt::CaseInsensitive))
        return true;
    for (std::size_t column = 0; column < list.columnCount(); ++column)
        if (Q(list.SubItem(row, column)).contains(text_, Qt::CaseInsensitive)) return true;
    return false;
}

ResultsPanel::ResultsPanel(AppContext& app, ListView* summary, ListView* details, QWidget* frame)
    : QObject(frame), app_(app), summary_(summary), details_(details) {
    setObjectName("ResultsPanel");
    filter_ = qobject_cast<DetailFilter*>(details_->model());
    if (!filter_) {
        filter_ = new DetailFilter(static_cast<DetailTickModel*>(details_->listModel()), details_);
        details_->SetProxy(filter_);
    }
    // The details have a column per fact; each can be widened by hand.
    QHeaderView* header = details_->header();
    header->setMinimumSectionSize(Twips(600));
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    const int widths[] = {3600, 3000, 1200, 2400, 2400, 2400};
    for (int column = 0; column < 6; ++column) header->resizeSection(column, Twips(widths[column]));

    // The details pane under the two lists.
    pane_ = Place(new QPlainTextEdit(frame), LayoutId::MainProblemDetails);
    pane_->setAccessibleName(tr("Problem details"));
    pane_->setReadOnly(true);
    pane_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    pane_->setPlaceholderText(tr("Choose a problem to see all that is known of it."));

    auto* summaryModel = static_cast<SummaryTickModel*>(summary_->listModel());
    auto* detailModel = static_cast<DetailTickModel*>(details_->listModel());
    connect(summaryModel, &SummaryTickModel::ticked, detailModel, &DetailTickModel::TicksChanged);
    connect(detailModel, &DetailTickModel::ticked, summaryModel, &SummaryTickModel::TicksChanged);
    connect(summary_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { SummaryCurrentChanged(current); });
    connect(details_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { ShowInPane(current); });
    connect(detailModel, &QAbstractItemModel::modelReset, pane_, &QPlainTextEdit::clear);
    BuildFilterBar(frame);

    details_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(details_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = details_->indexAt(at);
        if (!index.isValid()) return;
        details_->setCurrentIndex(index);
        if (QMenu* menu = MenuFor(details_->ListRowOf(index), details_))
            menu->popup(details_->viewport()->mapToGlobal(at));
    });
}

void ResultsPanel::BuildFilterBar(QWidget* frame) {
    search_ = Place(new QLineEdit(frame), LayoutId::MainDetailsSearch);
    search_->setAccessibleName(tr("Search the details"));
    search_->setPlaceholderText(tr("Search the details"));
    search_->setClearButtonEnabled(true);
    sections_ = Place(new QComboBox(frame), LayoutId::MainDetailsSection);
    sections_->setAccessibleName(tr("Section"));
    sections_->addItem(tr("All sections"), QString());
    count_ = Place(new QLabel(frame), LayoutId::MainDetailsCount);
    count_->setTextFormat(Qt::PlainText);
    count_->setStyleSheet("color: #9fd8f0;");

    refreshBar_ = new QTimer(this);
    refreshBar_->setSingleShot(true);
    refreshBar_->setInterval(0);
    connect(refreshBar_, &QTimer::timeout, this, &ResultsPanel::RefreshFilterBar);
    // The details are filled a row at a time: the bar catches up once.
    QAbstractItemModel* rows = details_->listModel();
    const auto rowsChanged = [this] {
        sectionsStale_ = true;
        refreshBar_->start();
    };
    connect(rows, &QAbstractItemModel::modelReset, this, rowsChanged);
    connect(rows, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    connect(rows, &QAbstractItemModel::dataChanged, this,
            [rowsChanged](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole)) rowsChanged();
            });
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(filter_, signal, refreshBar_, qOverload<>(&QTimer::start));
    connect(filter_, &QAbstractItemModel::modelReset, refreshBar_, qOverload<>(&QTimer::start));
    connect(filter_, &QAbstractItemModel::layoutChanged, refreshBar_, qOverload<>(&QTimer::start));

    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
        filter_->SetText(text.trimmed());
        RefreshFilterBar();
    });
    connect(sections_, &QComboBox::currentIndexChanged, this, [this](int index) {
        filter_->SetSection(index < 0 ? QString() : sections_->itemData(index).toString());
        RefreshFilterBar();
    });
    RefreshFilterBar();
}

void ResultsPanel::RefreshFilterBar() {
    refreshBar_->stop();
    const ListControl& rows = app_.view.detailRows;
    if (sectionsStale_) {
        sectionsStale_ = false;
        std::set<QString> names;
        for (std::size_t row = 1; row <= rows.Count(); ++row) {
            const QString name = Q(rows.SubItem(row, kDetailSectionColumn));
            if (!name.isEmpty()) names.insert(name);
        }
        QStringList shown;
        for (int i = 1; i < sections_->count(); ++i) shown << sections_->itemData(i).toString();
        if (shown != QStringList(names.begin(), names.end())) {
            // The section chosen stays chosen while the details have it.
            const QString chosen = filter_->section();
            const QSignalBlocker quiet(sections_);
            sections_->clear();
            sections_->addItem(tr("All sections"), QString());
            for (const QString& name : names)
                sections_->addItem(ShownSectionName(name.toStdString()), name);
            const int at = chosen.isEmpty() ? 0 : std::max(0, sections_->findData(chosen));
            sections_->setCurrentIndex(at);
            filter_->SetSection(sections_->itemData(at).toString());
        }
    }
    const auto total = static_cast<int>(rows.Count());
    count_->setText(total == 0 ? QString()
                               : tr("%1 of %2 problems shown").arg(filter_->rowCount()).arg(total));
}

void ResultsPanel::ShowFirstProblem() {
    // A new scan's results: whatever narrowed the last ones goes.
    search_->clear();
    sections_->setCurrentIndex(0);
    QAbstractItemModel* summaryRows = summary_->model();
    if (summaryRows->rowCount() > 0) {
        const QModelIndex first = summaryRows->index(0, 0);
        if (summary_->currentIndex() == first)
            SummaryCurrentChanged(first);
        else
            summary_->setCurrentIndex(first);
    }
    if (details_->model()->rowCount() > 0)
        details_->setCurrentIndex(details_->model()->index(0, 0));
    RefreshFilterBar();
}

void ResultsPanel::SummaryCurrentChanged(const QModelIndex& current) {
    // The keyboard moves the current row as a click does: its details follow.
    if (!current.isValid()) return;
    const auto row = static_cast<std::size_t>(current.row()) + 1;
    ListControl& list = app_.view.summaryRows;
    if (row > list.Count()) return;
    for (std::size_t i = 1; i <= list.Count(); ++i) list.SetSelected(i, i == row);
    app_.view.ShowDetails(row);
}

void ResultsPanel::ShowInPane(const QModelIndex& current) {
    auto* model = static_cast<DetailTickModel*>(details_->listModel());
    const auto ref = model->RefOf(details_->ListRowOf(current));
    if (!ref) {
        pane_->clear();
        return;
    }
    const ProblemDetails d = DetailsOf(app_.session, *ref);
    QString text = ShownDetailLine(d.line) + "\n";
    const std::pair<const char*, const std::string*> facts[] = {
        {QT_TR_NOOP("Entry"), &d.entry}, {QT_TR_NOOP("Value"), &d.value},
        {QT_TR_NOOP("Holds"), &d.holds}, {QT_TR_NOOP("Looked for"), &d.lookedFor},
        {QT_TR_NOOP("Why"), &d.why},     {QT_TR_NOOP("Id"), &d.id}};
    for (const auto& [name, value] : facts)
        if (!value->empty()) text += tr("%1: %2\n").arg(tr(name), Q(*value));
    pane_->setPlainText(text.trimmed());
}

QMenu* ResultsPanel::MenuFor(std::size_t row, QWidget* parent) {
    const auto ref = static_cast<DetailTickModel*>(details_->listModel())->RefOf(row);
    if (!ref) return nullptr;
    auto* menu = new QMenu(parent);
    menu->setObjectName("mnuProblem");
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const ProblemRef problem = *ref;
    const struct {
        const char* name;
        const char* text;
        void (ResultsPanel::*run)(const ProblemRef&);
    } items[] = {
        {"mnuCopyEntry", QT_TR_NOOP("Copy Entry"), &ResultsPanel::CopyEntry},
        {"mnuCopyMissingPath", QT_TR_NOOP("Copy Missing Path"), &ResultsPanel::CopyMissingPath},
        {"mnuOpenFolder", QT_TR_NOOP("Open Containing Folder"),
         &ResultsPanel::OpenContainingFolder},
        {"mnuIgnoreEntry", QT_TR_NOOP("Ignore This Entry"), &ResultsPanel::AddToIgnoreList},
    };
    for (const auto& item : items) {
        QAction* action = menu->addAction(tr(item.text));
        action->setObjectName(item.name);
        const auto run = item.run;
        connect(action, &QAction::triggered, this, [this, run, problem] {
            // The lists may have changed since the menu opened (a scan from the tray).
            if (Exists(app_.session, problem)) (this->*run)(problem);
        });
    }
    return menu;
}

void ResultsPanel::CopyEntry(const ProblemRef& ref) {
    const Problem& problem = app_.session.result.problems.at(ref.index);
    const auto* value = std::get_if<RegistryProblem>(&problem);
    const std::string text = value ? EntryText(*value) : DetailsOf(app_.session, ref).entry;
    QGuiApplication::clipboard()->setText(Q(text));
}

void ResultsPanel::CopyMissingPath(const ProblemRef& ref) {
    QGuiApplication::clipboard()->setText(Q(DetailsOf(app_.session, ref).lookedFor));
}

void ResultsPanel::OpenContainingFolder(const ProblemRef& ref) {
    // The folder that should hold the missing file, or the nearest one
    // above it that exists, as the host sees it.
    // A menu entry is a file of this computer: its own folder is opened.
    if (const auto* entry =
            std::get_if<MenuEntryProblem>(&app_.session.result.problems.at(ref.index))) {
        const std::string& path = entry->path;
        if (app_.platform.openUrl)
            app_.platform.openUrl(Q(path.substr(0, path.find_last_of('/') + 1)));
        return;
    }
    FileSystemApi& files = app_.session.files;
    std::string folder = FolderOf(DetailsOf(app_.session, ref).lookedFor);
    while (!folder.empty()) {
        const DWORD attributes = files.GetFileAttributes(folder);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) break;
        const std::string up = FolderOf(folder);
        folder = up == folder ? std::string() : up;
    }
    const auto host = folder.empty() ? std::nullopt : files.HostPath(folder);
    if (!host) {
        ShowNotice(tr("No folder of this path is on this computer.").toStdString());
        return;
    }
    if (app_.platform.openUrl) app_.platform.openUrl(Q(*host));
}

void ResultsPanel::AddToIgnoreList(const ProblemRef& ref) {
    const std::string machine = IgnoreMachineOf(app_);
    const IgnoreEntry entry = VisitProblem(app_.session, ref, [&machine](const auto& problem) {
        return IgnoreEntryFor(problem, machine);
    });
    const std::string path = DefaultIgnoreListPath();
    std::string error;
    std::optional<IgnoreList> list = LoadIgnoreList(path, &error);
    // A list that cannot be read is never written over: the user's other
    // entries would be lost. Lines it cannot understand are written back
    // as they were.
    if (!list) {
        ShowNotice(tr("The entry was not added: %1").arg(Q(error)).toStdString());
        return;
    }
    list->Add(entry);
    if (!SaveIgnoreList(path, *list, &error)) {
        ShowNotice(tr("The entry was not added: %1").arg(Q(error)).toStdString());
        return;
    }
    // An ignored entry is never repaired: its tick goes at once.
    SetSelected(app_.session, ref, false);
    static_cast<DetailTickModel*>(details_->listModel())->TicksChanged();
    static_cast<SummaryTickModel*>(summary_->listModel())->TicksChanged();
}

bool ResultsPanel::ConfirmRepair(bool* closeWine) {
    const std::size_t ticked = SelectedCount(app_.session);
    if (ticked == 0) {
        ShowNotice(tr("No problem is ticked: nothing to repair.").toStdString());
        return false;
    }
    SettingsStore& settings = *app_.settings;
    // What will be done, grouped, before it is done; files outside the
    // prefix are called out.
    const RepairPlan plan = PlanRepair(app_.session);
    std::string question = RepairQuestion(ticked, app_.session.ProblemCount(),
                                          BackupsEnabled(settings), BackupFolder(settings)) +
                           "\n\n" + RepairPlanText(plan, kPlannedShownPerGroup);
    std::string confirm = RepairButtonText(plan);
    // Wine keeps its own copy of the registry while it runs: its programs
    // are closed first, or nothing could be repaired.
    const bool wineRuns = engine::WineRunsOn(app_.session.files.PrefixFolder().value_or(""));
    if (wineRuns) {
        question = tr("Wine is running in this prefix. Its programs are closed first; their "
                      "unsaved work is lost.")
                       .toStdString() +
                   "\n\n" + question;
        confirm = tr("Close the prefix's programs and repair").toStdString();
    }
    if (closeWine) *closeWine = wineRuns;
    return AskRepair(question, confirm) == Answer::Yes;
}

bool ResultsPanel::PrepareScan() {
    std::string error;
    std::vector<std::string> warnings;
    const bool loaded = UseUserIgnoreList(app_.session, ignoreFilter_, &error, &warnings);
    if (!warnings.empty()) {
        // The scan goes on with the rest of the list; the user hears which
        // lines were left out.
        QStringList lines;
        for (const auto& warning : warnings) lines << Q(warning);
        ShowNotice(tr("Some lines of the ignore list were left out. %1")
                       .arg(lines.join("\n"))
                       .toStdString());
    }
    if (loaded) return true;
    ShowNotice(tr("The scan did not start. %1").arg(Q(error)).toStdString());
    return false;
}

std::string IgnoreMachineOf(AppContext& app) { return IgnoreMachineKey(app.session.files); }

}  // namespace vostrel::shell
