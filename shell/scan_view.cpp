#include "shell/scan_view.h"

#include <QCoreApplication>
#include <algorithm>
#include <filesystem>

#include "app/scan_driver.h"
#include "results/problem_details.h"
#include "results/result_views.h"
#include "results/scan_report.h"
#include "shell/message_box.h"
#include "system/text.h"

namespace vostrel::shell {

MessageKind MessageKindOf(Question question) {
    switch (question) {
        case Question::CancelScan: return MessageKind::CancelScanning;
        case Question::DeleteBackup: return MessageKind::DeleteBackupFile;
        case Question::FilesRepaired: return MessageKind::FilesRepaired;
        case Question::FilesKept: return MessageKind::FilesKept;
    }
    return MessageKind::Other;
}

void ScanView::ScanStarted() {
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
    w.SetCaption(Control::ProblemCount, "0");
    progressWidth_ = 0;
    progressStep_ =
        ProgressStep(session_ ? session_->request.sections.Count() : 0, kProgressFullWidth);
    w.SetValue(Control::ScanProgressBar, 0);
    w.SetBusyPointer(true);
}

void ScanView::SectionStarted(std::string_view status) {
    window_.SetCaption(Control::Status, status);
}

void ScanView::KeyVisited(std::string_view name) { window_.SetCaption(Control::CurrentKey, name); }

void ScanView::ValueVisited(std::string_view text) {
    window_.SetCaption(Control::CurrentFile, text);
}

void ScanView::ProblemFound(std::size_t total) {
    window_.SetCaption(Control::ProblemCount, std::to_string(total));
}

void ScanView::Progress(std::size_t, std::size_t) {
    if (session_ && session_->ProblemCount() > 0) window_.SetEnabled(Control::BlinkTimer, true);
    progressWidth_ += progressStep_;
    if (progressWidth_ > kProgressFullWidth) progressWidth_ -= progressStep_;
    window_.SetValue(Control::ScanProgressBar, progressWidth_);
}

void ScanView::FillSummary() {
    summaryRows.Clear();
    if (!session_) return;
    for (const auto& row : session_->result.summary) summaryRows.Add(row.text);
}

void ScanView::ScanFinished(bool cancelled) {
    QtWindow& w = window_;
    FillSummary();
    w.SetBusyPointer(false);
    w.SetValue(Control::ScanProgressBar, kProgressFullWidth);
    // What was found shows, even when the scan was stopped (marked so), and
    // so do the results when entries were left unchecked, so that a drive
    // that was not there is not taken for a clean one; with nothing found
    // and nothing left out the start view comes back whole.
    const bool found =
        session_ && (session_->ProblemCount() > 0 || !session_->result.notChecked.Empty());
    w.SetVisible(Control::ResultsFrame, found);
    w.SetVisible(Control::ScanningFrame, false);
    w.SetVisible(Control::StartFrame, !found);
    // Under the lists: that the scan was stopped, and how many problems the
    // ignore list left out.
    std::string mark =
        cancelled ? QCoreApplication::translate("vostrel::shell::ScanView",
                                                "Found before the scan was stopped (cancelled)")
                        .toStdString()
                  : "";
    if (session_ && session_->result.ignoredCount > 0)
        mark += (mark.empty() ? "" : "; ") +
                QCoreApplication::translate("vostrel::shell::ScanView", "%1 (on the ignore list)")
                    .arg(QString::fromStdString(IgnoredText(*session_)))
                    .toStdString();
    // Entries on drives that were not there (and other entries that could
    // not be judged) are named, so that a short list is not taken as clean.
    if (session_ && !session_->result.notChecked.Empty())
        mark += (mark.empty() ? "" : "; ") + NotCheckedText(session_->result.notChecked);
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
    ShowLogState();
}

void ScanView::ShowCancelled() { window_.SetEnabled(Control::BlinkTimer, false); }

void ScanView::RepairStarted() {
    QtWindow& w = window_;
    w.SetVisible(Control::SummaryList, false);
    w.SetVisible(Control::DetailList, false);
    w.SetEnabled(Control::RepairButton, false);
    w.SetEnabled(Control::ReturnButton, false);
    w.SetVisible(Control::RepairingLabel, true);
    w.SetVisible(Control::RepairProgressFrame, true);
    w.SetValue(Control::RepairProgressBar, kRepairProgressStep);
}

void ScanView::RepairStep() {
    int width = window_.Value(Control::RepairProgressBar) + kRepairProgressStep;
    if (width >= window_.Value(Control::RepairProgressFrame)) width = 1;
    window_.SetValue(Control::RepairProgressBar, width);
}

void ScanView::RepairFinished() {
    QtWindow& w = window_;
    detailRows.Clear();
    FillSummary();
    w.SetVisible(Control::SummaryList, true);
    w.SetVisible(Control::DetailList, true);
    w.SetVisible(Control::RepairingLabel, false);
    w.SetVisible(Control::RepairProgressFrame, false);
    w.SetEnabled(Control::RepairButton, true);
    w.SetEnabled(Control::ReturnButton, true);
}

Answer ScanView::Confirm(Question question) { return Ask(MessageKindOf(question)); }

void ScanView::ShowDetails(std::size_t row) {
    const std::size_t current = summaryRows.SelectedItem();
    if (current == 0 || !summaryRows.Selected(current)) return;
    if (row < 1 || row > summaryRows.Count() || !session_) return;
    detailRows.Clear();
    for (const ProblemRef& ref : ProblemsOfSummary(*session_, summaryRows.Text(row))) {
        // A scan started meanwhile (from the tray's menu) emptied the lists.
        if (!Exists(*session_, ref)) break;
        const ProblemDetails details = DetailsOf(*session_, ref);
        const std::size_t at = detailRows.Add(details.line);
        std::size_t column = 1;
        for (const std::string* text :
             {&details.entry, &details.value, &details.holds, &details.lookedFor, &details.why})
            detailRows.SetSubItem(at, column++, *text);
        detailRows.SetSubItem(at, kDetailRefColumn, RefText(ref));
        session_->pump.Tick();
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
