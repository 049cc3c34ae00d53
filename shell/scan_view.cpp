#include "shell/scan_view.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <filesystem>

#include "app/scan_driver.h"
#include "results/problem_details.h"
#include "results/result_views.h"
#include "results/scan_report.h"
#include "shell/message_box.h"
#include "shell/translations.h"
#include "system/text.h"

namespace vostrel::shell {

namespace {

// What the results say of the problems the ignore list left out (a plural
// form for the count).
constexpr const char* kIgnoredMark =
    QT_TRANSLATE_N_NOOP("vostrel::shell::ScanView", "%n ignored (on the ignore list)");

// The section that found a problem: what its line among a program's
// problems puts before its own detail line.
std::string SectionOfProblem(const ScanSession& session, const ProblemRef& ref) {
    const std::string grouped = GroupedProblemLine(session, ref);
    const std::string line = DetailLine(session, ref);
    if (grouped.size() < line.size() + 2 || !grouped.ends_with(line)) return {};
    return grouped.substr(0, grouped.size() - line.size() - 2);
}

}  // namespace

MessageKind MessageKindOf(Question question) {
    switch (question) {
        case Question::CancelScan: return MessageKind::CancelScanning;
        case Question::DeleteBackup: return MessageKind::DeleteBackupFile;
        case Question::FilesRepaired: return MessageKind::FilesRepaired;
        case Question::FilesKept: return MessageKind::FilesKept;
    }
    return MessageKind::Other;
}

bool ScanView::OnWindowThread() const { return QThread::currentThread() == windowThread_.thread(); }

void ScanView::Show(std::function<void()> show) {
    if (OnWindowThread())
        show();
    else
        QMetaObject::invokeMethod(&windowThread_, std::move(show), Qt::QueuedConnection);
}

void ScanView::ShowText(Control control, std::string_view text, LatestText& latest) {
    if (OnWindowThread()) {
        window_.SetCaption(control, text);
        return;
    }
    {
        const std::lock_guard lock(textsMutex_);
        latest.text.assign(text);
        if (latest.posted) return;
        latest.posted = true;
    }
    QMetaObject::invokeMethod(
        &windowThread_,
        [this, control, &latest] {
            std::string shown;
            {
                const std::lock_guard lock(textsMutex_);
                shown = latest.text;
                latest.posted = false;
            }
            window_.SetCaption(control, shown);
        },
        Qt::QueuedConnection);
}

void ScanView::ScanStarted() {
    found_ = 0;
    // The window shows the scanning view before it starts the worker; the
    // worker's scan has cleared the stop request when it tells of its start.
    if (OnWindowThread())
        stopWhenStarted_ = false;
    else if (stopWhenStarted_.exchange(false) && session_)
        session_->cancelRequested = true;
    const std::int32_t step =
        ProgressStep(session_ ? session_->request.sections.Count() : 0, kProgressFullWidth);
    Show([this, step] { ShowScanStarted(step); });
}

void ScanView::ShowScanStarted(std::int32_t progressStep) {
    QtWindow& w = window_;
    w.SetEnabled(Control::ScanNowButton, false);
    w.SetVisible(Control::ScanningView, true);
    w.BringToFront(Control::ScanningView);
    w.SetEnabled(Control::BlinkTimer, false);
    w.SetVisible(Control::BugPicture, false);
    w.SetVisible(Control::ResultsFrame, false);
    w.SetVisible(Control::ScanningFrame, true);
    w.SetVisible(Control::StartFrame, false);
    w.SetVisible(Control::RepairingLabel, false);
    w.SetVisible(Control::RepairProgressFrame, false);
    w.SetCaption(
        Control::Status,
        QCoreApplication::translate("vostrel::shell::ScanView", "Inspecting...").toStdString());
    summaryRows.Clear();
    detailRows.Clear();
    groups_ = {};
    w.SetCaption(Control::ProblemCount, "0");
    progressWidth_ = 0;
    progressStep_ = progressStep;
    w.SetValue(Control::ScanProgressBar, 0);
    w.SetBusyPointer(true);
}

void ScanView::SectionStarted(std::string_view status) {
    Show([this, text = ShownStatus(status).toStdString()] {
        window_.SetCaption(Control::Status, text);
    });
}

void ScanView::KeyVisited(std::string_view name) { ShowText(Control::CurrentKey, name, key_); }

void ScanView::ValueVisited(std::string_view text) { ShowText(Control::CurrentFile, text, value_); }

void ScanView::ProblemFound(std::size_t total) {
    found_ = total;
    ShowText(Control::ProblemCount, std::to_string(total), count_);
}

void ScanView::Progress(std::size_t, std::size_t) {
    const bool blink = session_ && session_->ProblemCount() > 0;
    Show([this, blink] { ShowProgress(blink); });
}

void ScanView::ShowProgress(bool blink) {
    if (blink) window_.SetEnabled(Control::BlinkTimer, true);
    progressWidth_ += progressStep_;
    if (progressWidth_ > kProgressFullWidth) progressWidth_ -= progressStep_;
    window_.SetValue(Control::ScanProgressBar, progressWidth_);
}

std::vector<SummaryRow> ScanView::SummaryRows() const {
    return session_ ? session_->result.summary : std::vector<SummaryRow>{};
}

ProblemGroups ScanView::CurrentGroups() const {
    return session_ ? FindProblemGroups(*session_) : ProblemGroups{};
}

void ScanView::FillSummary(const std::vector<SummaryRow>& rows, ProblemGroups groups) {
    summaryRows.Clear();
    groups_ = std::move(groups);
    for (const SummaryRow& row : rows) {
        const std::size_t at = summaryRows.Add(row.text);
        summaryRows.SetSubItem(at, kSummarySectionColumn, row.section);
        summaryRows.SetSubItem(at, kSummaryCountColumn, std::to_string(row.count));
    }
    for (const ProblemGroup& group : groups_.groups) {
        // After the sections' rows, however the list is sorted.
        const std::size_t at = summaryRows.Add(GroupLine(group), 0, 1);
        summaryRows.SetSubItem(at, kSummaryGroupColumn, group.id);
    }
}

const ProblemGroup* ScanView::GroupOfRow(std::size_t row) const {
    if (row < 1 || row > summaryRows.Count()) return nullptr;
    const std::string id = summaryRows.SubItem(row, kSummaryGroupColumn);
    return id.empty() ? nullptr : groups_.Find(id);
}

void ScanView::ScanFinished(bool cancelled) {
    ScanEnd end;
    end.summary = SummaryRows();
    end.groups = CurrentGroups();
    end.cancelled = cancelled;
    if (session_) {
        end.found = session_->ProblemCount() > 0 || !session_->result.notChecked.Empty();
        end.ignored = session_->result.ignoredCount;
        end.notChecked = NotCheckedText(session_->result.notChecked);
        end.reportPath = ScanReportPath(*session_);
    }
    Show([this, end = std::move(end)]() mutable { ShowScanEnd(end); });
}

void ScanView::ShowScanEnd(ScanEnd& end) {
    QtWindow& w = window_;
    FillSummary(end.summary, std::move(end.groups));
    w.SetBusyPointer(false);
    w.SetValue(Control::ScanProgressBar, kProgressFullWidth);
    // What was found shows, even when the scan was stopped (marked so), and
    // so do the results when entries were left unchecked, so that a drive
    // that was not there is not taken for a clean one; with nothing found
    // and nothing left out the start view comes back whole.
    const bool found = end.found;
    w.SetVisible(Control::ResultsFrame, found);
    w.SetVisible(Control::ScanningFrame, false);
    w.SetVisible(Control::StartFrame, !found);
    // Under the lists: that the scan was stopped, and how many problems the
    // ignore list left out.
    std::string mark =
        end.cancelled ? QCoreApplication::translate("vostrel::shell::ScanView",
                                                    "Found before the scan was stopped (cancelled)")
                            .toStdString()
                      : "";
    if (end.ignored > 0)
        mark += (mark.empty() ? "" : "; ") +
                QCoreApplication::translate("vostrel::shell::ScanView", kIgnoredMark, nullptr,
                                            static_cast<int>(end.ignored))
                    .toStdString();
    // Entries on drives that were not there (and other entries that could
    // not be judged) are named, so that a short list is not taken as clean.
    if (!end.notChecked.empty()) mark += (mark.empty() ? "" : "; ") + end.notChecked;
    if (!mark.empty()) w.SetCaption(Control::CancelledMark, mark);
    w.SetVisible(Control::CancelledMark, found && !mark.empty());
    if (found) {
        w.SetVisible(Control::ResultsView, true);
        w.BringToFront(Control::ResultsView);
    }
    w.SetEnabled(Control::BlinkTimer, false);
    w.SetVisible(Control::BugPicture, false);
    w.SetVisible(Control::ScanningView, false);
    w.SetEnabled(Control::ScanNowButton, true);
    std::error_code ec;
    w.SetEnabled(Control::ShowLogButton, std::filesystem::is_regular_file(end.reportPath, ec));
}

void ScanView::ShowCancelled() { window_.SetEnabled(Control::BlinkTimer, false); }

void ScanView::ShowRepairing(bool repairing) {
    QtWindow& w = window_;
    w.SetVisible(Control::SummaryList, !repairing);
    w.SetVisible(Control::DetailList, !repairing);
    w.SetEnabled(Control::RepairButton, !repairing);
    w.SetEnabled(Control::ReturnButton, !repairing);
    w.SetVisible(Control::RepairingLabel, repairing);
    w.SetVisible(Control::RepairProgressFrame, repairing);
}

void ScanView::RepairStarted() {
    Show([this] {
        ShowRepairing(true);
        window_.SetValue(Control::RepairProgressBar, kRepairProgressStep);
    });
}

void ScanView::RepairStep() {
    if (OnWindowThread()) {
        ShowRepairSteps(1);
        return;
    }
    if (pendingSteps_.fetch_add(1) > 0) return;
    QMetaObject::invokeMethod(
        &windowThread_, [this] { ShowRepairSteps(pendingSteps_.exchange(0)); },
        Qt::QueuedConnection);
}

void ScanView::ShowRepairSteps(int steps) {
    for (int i = 0; i < steps; ++i) {
        int width = window_.Value(Control::RepairProgressBar) + kRepairProgressStep;
        if (width >= window_.Value(Control::RepairProgressFrame)) width = 1;
        window_.SetValue(Control::RepairProgressBar, width);
    }
}

void ScanView::RepairFinished() {
    Show([this, rows = SummaryRows(), groups = CurrentGroups()]() mutable {
        detailRows.Clear();
        FillSummary(rows, std::move(groups));
        ShowRepairing(false);
    });
}

Answer ScanView::Confirm(Question question) {
    if (OnWindowThread()) return Ask(MessageKindOf(question));
    if (question == Question::FilesRepaired || question == Question::FilesKept) {
        heldNotice_ = question;
        return Answer::None;
    }
    std::unique_lock lock(askMutex_);
    if (abandoned_) return Answer::No;
    answer_.reset();
    QMetaObject::invokeMethod(
        &windowThread_,
        [this, question] {
            const Answer answer = Ask(MessageKindOf(question));
            const std::lock_guard done(askMutex_);
            answer_ = answer;
            answered_.notify_all();
        },
        Qt::QueuedConnection);
    answered_.wait(lock, [this] { return answer_.has_value() || abandoned_; });
    return answer_.value_or(Answer::No);
}

void ScanView::AbandonQuestions() {
    const std::lock_guard lock(askMutex_);
    abandoned_ = true;
    answered_.notify_all();
}

void ScanView::ShowHeldNotice() {
    if (const auto notice = std::exchange(heldNotice_, std::nullopt)) Ask(MessageKindOf(*notice));
}

void ScanView::PlaySound(std::string_view hostPath) {
    Show([this, path = std::string(hostPath)] { window_.PlaySound(path); });
}

void ScanView::ShowDetails(std::size_t row) {
    const std::size_t current = summaryRows.SelectedItem();
    if (current == 0 || !summaryRows.Selected(current)) return;
    if (row < 1 || row > summaryRows.Count() || !session_) return;
    detailRows.Clear();
    // A program's row mixes sections: each line names the one that found it.
    const ProblemGroup* group = GroupOfRow(row);
    const std::vector<ProblemRef> refs =
        group ? group->problems : ProblemsOfSummary(*session_, summaryRows.Text(row));
    for (const ProblemRef& ref : refs) {
        // A problem that is no longer in the lists ends the rows.
        if (!Exists(*session_, ref)) break;
        const ProblemDetails details = DetailsOf(*session_, ref);
        const std::size_t at =
            detailRows.Add(group ? GroupedProblemLine(*session_, ref) : details.line);
        std::size_t column = 1;
        for (const std::string* text :
             {&details.entry, &details.value, &details.holds, &details.lookedFor, &details.why})
            detailRows.SetSubItem(at, column++, *text);
        detailRows.SetSubItem(at, kDetailRefColumn, RefText(ref));
        detailRows.SetSubItem(at, kDetailSectionColumn, SectionOfProblem(*session_, ref));
    }
    // Rows sorted by a later column take their places once it is filled in.
    if (detailRows.sorted() && detailRows.sortKey() > 0)
        detailRows.SetSortKey(detailRows.sortKey());
}

void ScanView::ReturnToStart() {
    for (Control hidden : {Control::ResultsView, Control::ScanningView, Control::ResultsFrame,
                           Control::ScanningFrame})
        window_.SetVisible(hidden, false);
    window_.SetVisible(Control::StartFrame, true);
    window_.SetVisible(Control::CancelledMark, false);
    ShowLogState();
}

void ScanView::ShowLogState() {
    std::error_code ec;
    const bool report = session_ && std::filesystem::is_regular_file(ScanReportPath(*session_), ec);
    window_.SetEnabled(Control::ShowLogButton, report);
}

void FlipSort(ListControl& list, int headerIndex) {
    list.SetSortKey(headerIndex - 1);
    list.SetSorted(true);
    list.SetSortOrder(list.sortOrder() == 0 ? 1 : 0);
}

}  // namespace vostrel::shell
