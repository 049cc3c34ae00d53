// The results view's lists as the user works with them: a tick box on every
// problem (all ticked after a scan) and a three-state box on every summary
// row for its whole group, the details that follow the summary list's
// current row whether it moved by mouse or keyboard, a pane with the whole
// text of the current problem, the problem's context menu (copy, open its
// folder, ignore it) and the question before a repair.
#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "app/ignore_filter.h"
#include "results/problem_details.h"
#include "shell/list_model.h"

class QMenu;
class QPlainTextEdit;

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

class ResultsPanel : public QObject {
    Q_OBJECT
public:
    // Wires the two lists of the results view; the details pane is made
    // inside `frame`.
    ResultsPanel(AppContext& app, ListView* summary, ListView* details, QWidget* frame);

    QPlainTextEdit* pane() const { return pane_; }
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

    AppContext& app_;
    ListView* summary_;
    ListView* details_;
    QPlainTextEdit* pane_;
    // The ignore list of the last scan, which the session points at.
    std::optional<IgnoreFilter> ignoreFilter_;
};

// The text by which the ignore list names this machine.
std::string IgnoreMachineOf(AppContext& app);

}  // namespace vostrel::shell
