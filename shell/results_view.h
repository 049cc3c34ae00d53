// The results view's lists as the user works with them: a tick box on every
// problem (all ticked after a scan) and a three-state box on every summary
// row for its whole group, the details that follow the summary list's
// current row whether it moved by mouse or keyboard, a pane with the whole
// text of the current problem, the problem's context menu (copy, open its
// folder, ignore it) and the question before a repair.
#pragma once

#include <QObject>
#include <QSortFilterProxyModel>
#include <QString>
#include <optional>

#include "app/ignore_filter.h"
#include "results/problem_details.h"
#include "shell/list_model.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTimer;

namespace vostrel::shell {

struct AppContext;

// The summary rows, each with the three-state box of its problems.
class SummaryTickModel : public ListModel {
    Q_OBJECT
public:
    SummaryTickModel(AppContext& app, QObject* parent);
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // The ticks changed elsewhere: every box is drawn again.
    void TicksChanged();

signals:
    void ticked();

private:
    AppContext& app_;
};

// The detail rows, each with the tick box of its problem.
class DetailTickModel : public ListModel {
    Q_OBJECT
public:
    DetailTickModel(AppContext& app, QObject* parent);
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    void TicksChanged();
    // The problem of a detail row (1-based), if it still stands for one.
    std::optional<ProblemRef> RefOf(std::size_t row) const;

signals:
    void ticked();

private:
    AppContext& app_;
};

// The detail rows a search text and a section let through. The text is
// looked for in every column of a row and in its section, without regard
// to letter case; the section must be the row's own. The rows keep the
// list's order (the header sorts the list itself), and the ticks stay with
// the problems whether their rows show or not.
class DetailFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    DetailFilter(DetailTickModel* source, QObject* parent);
    void SetText(const QString& text);
    // Empty: every section.
    void SetSection(const QString& section);
    const QString& text() const { return text_; }
    const QString& section() const { return section_; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    DetailTickModel* source_;
    QString text_;
    QString section_;
};

class ResultsPanel : public QObject {
    Q_OBJECT
public:
    // Wires the two lists of the results view; the details pane is made
    // inside `frame`.
    ResultsPanel(AppContext& app, ListView* summary, ListView* details, QWidget* frame);

    QPlainTextEdit* pane() const { return pane_; }
    // The bar over the details: the search field, the section box (its
    // first entry "All sections") and the count of what shows.
    QLineEdit* search() const { return search_; }
    QComboBox* sections() const { return sections_; }
    QLabel* count() const { return count_; }
    DetailFilter* filter() const { return filter_; }
    // Brings the section box and the count into line with the details now
    // (the panel does so by itself once the events of a change have run).
    void RefreshFilterBar();
    // The results have just opened: the first summary row and its first
    // problem become the current ones, so that the pane shows it.
    void ShowFirstProblem();
    // The context menu of detail row `row` (1-based); null when the row
    // stands for no problem. The caller shows it (or triggers its actions).
    QMenu* MenuFor(std::size_t row, QWidget* parent);

    // Before a scan: the user's ignore list is read for it. When it cannot
    // be, the message box names the file's damaged line and false is
    // returned: the scan does not go on without the list.
    bool PrepareScan();

    // The repair's question; true when the user said OK. Says so, and asks
    // nothing, when no problem is ticked.
    // While Wine runs on the prefix the question says so, and its button
    // offers to close the prefix's programs first: *closeWine is then set.
    bool ConfirmRepair(bool* closeWine = nullptr);

    // The problem's texts and actions, as the menu runs them.
    void CopyEntry(const ProblemRef& ref);
    void CopyMissingPath(const ProblemRef& ref);
    void OpenContainingFolder(const ProblemRef& ref);
    void AddToIgnoreList(const ProblemRef& ref);

private:
    void SummaryCurrentChanged(const QModelIndex& current);
    void ShowInPane(const QModelIndex& current);
    void BuildFilterBar(QWidget* frame);

    AppContext& app_;
    ListView* summary_;
    ListView* details_;
    QPlainTextEdit* pane_;
    DetailFilter* filter_ = nullptr;
    QLineEdit* search_ = nullptr;
    QComboBox* sections_ = nullptr;
    QLabel* count_ = nullptr;
    // Runs RefreshFilterBar once the rows' changes of the moment are over.
    QTimer* refreshBar_ = nullptr;
    bool sectionsStale_ = true;
    // The ignore list of the last scan, which the session points at.
    std::optional<IgnoreFilter> ignoreFilter_;
};

// The text by which the ignore list names this machine.
std::string IgnoreMachineOf(AppContext& app);

}  // namespace vostrel::shell
