#include "shell/scan_view.h"

#include <filesystem>

#include "results/result_views.h"
#include "results/scan_report.h"
#include "scan/scan_driver.h"
#include "system/text.h"

namespace vostrel::shell {

std::string_view MessageKindOf(Question question) {
    switch (question) {
        case Question::CancelScan: return "CANCEL SCANNING";
        case Question::DeleteBackup: return "DELETE BACKUP FILE";
        case Question::FilesRepaired: return "FILES REPAIRED";
        case Question::FilesKept: return "FILES KEPT";
    }
    return {};
}

void ScanView::ScanStarted() {
    QtWindow& w = window_;
    w.SetEnabled(Control::ImgScanNowNormal, false);
    w.SetVisible(Control::PicScanning, true);
    w.BringToFront(Control::PicScanning);
    w.SetEnabled(Control::tmrPicVisibleOrNot, false);
    w.SetVisible(Control::PicBug, false);
    w.SetVisible(Control::FrameRegistryProblemsDetails, false);
    w.SetVisible(Control::FrameScanning, true);
    w.SetVisible(Control::FrameScanSettingShelidButton, false);
    w.SetVisible(Control::lblDeletingCourrutpfils, false);
    w.SetVisible(Control::ImgDeleteProgress, false);
    w.SetCaption(Control::lblStatus, "Inspecting...");
    w.SetEnabled(Control::cmdCancelOrStop, true);
    w.SetCaption(Control::cmdCancelOrStop, "Cancel");
    summaryRows.Clear();
    detailRows.Clear();
    w.SetCaption(Control::lblProblemsFound, "0");
    progressWidth_ = 0;
    progressStep_ = ProgressStep(session_ ? session_->catalogue.Count() : 0, kProgressFullWidth);
    w.SetValue(Control::PicProgress, 0);
    w.SetBusyPointer(true);
}

void ScanView::SectionStarted(std::string_view status) { window_.SetCaption(Control::lblStatus, status); }

void ScanView::KeyVisited(std::string_view name) { window_.SetCaption(Control::lblRegistryScan, name); }

void ScanView::ValueVisited(std::string_view text) { window_.SetCaption(Control::lblRegistryFilesScan, text); }

void ScanView::ProblemFound(std::size_t total) {
    window_.SetCaption(Control::lblProblemsFound, std::to_string(total));
}

void ScanView::Progress(std::size_t, std::size_t) {
    if (session_ && session_->ProblemCount() > 0) window_.SetEnabled(Control::tmrPicVisibleOrNot, true);
    progressWidth_ += progressStep_;
    if (progressWidth_ > kProgressFullWidth) progressWidth_ -= progressStep_;
    window_.SetValue(Control::PicProgress, progressWidth_);
}

void ScanView::FillSummary() {
    summaryRows.Clear();
    if (!session_) return;
    for (const auto& row : session_->summary) summaryRows.Add(row.text);
}

void ScanView::ScanFinished(bool cancelled) {
    QtWindow& w = window_;
    FillSummary();
    w.SetBusyPointer(false);
    w.SetVisible(Control::FrameRegistryProblemsDetails, true);
    w.SetVisible(Control::FrameScanning, false);
    w.SetVisible(Control::FrameScanSettingShelidButton, false);
    w.SetValue(Control::PicProgress, kProgressFullWidth);
    if (!cancelled && session_ && session_->ProblemCount() > 0) {
        w.SetVisible(Control::PicResults, true);
        w.BringToFront(Control::PicResults);
    }
    w.SetEnabled(Control::tmrPicVisibleOrNot, false);
    w.SetVisible(Control::PicBug, false);
    w.SetVisible(Control::PicScanning, false);
    w.SetEnabled(Control::ImgScanNowNormal, true);
}

void ScanView::ShowCancelled() {
    window_.SetEnabled(Control::tmrPicVisibleOrNot, false);
    window_.SetEnabled(Control::cmdCancelOrStop, false);
}

void ScanView::RepairStarted() {
    QtWindow& w = window_;
    w.SetVisible(Control::lvwRegistryProblems, false);
    w.SetVisible(Control::lvwRegistryErrorsDetail, false);
    w.SetEnabled(Control::ImgRepairNormal, false);
    w.SetEnabled(Control::ImgReturnNormal, false);
    w.SetVisible(Control::lblDeletingCourrutpfils, true);
    w.SetVisible(Control::ImgDeleteProgress, true);
    w.SetValue(Control::ImgDeleteProgressInside, kRepairProgressStep);
}

void ScanView::RepairStep() {
    int width = window_.Value(Control::ImgDeleteProgressInside) + kRepairProgressStep;
    if (width >= window_.Value(Control::ImgDeleteProgress)) width = 1;
    window_.SetValue(Control::ImgDeleteProgressInside, width);
}

void ScanView::RepairFinished() {
    QtWindow& w = window_;
    detailRows.Clear();
    FillSummary();
    w.SetVisible(Control::lvwRegistryProblems, true);
    w.SetVisible(Control::lvwRegistryErrorsDetail, true);
    w.SetVisible(Control::lblDeletingCourrutpfils, false);
    w.SetVisible(Control::ImgDeleteProgress, false);
    w.SetEnabled(Control::ImgRepairNormal, true);
    w.SetEnabled(Control::ImgReturnNormal, true);
}

Answer ScanView::Confirm(Question question) {
    const std::string answer = UpperAscii(Trim(window_.AskMessage(MessageKindOf(question))));
    if (answer == "YES") return Answer::Yes;
    if (answer == "NO") return Answer::No;
    return Answer::None;
}

void ScanView::ShowDetails(std::size_t row) {
    const std::size_t current = summaryRows.SelectedItem();
    if (current == 0 || !summaryRows.Selected(current)) return;
    if (row < 1 || row > summaryRows.Count() || !session_) return;
    detailRows.Clear();
    for (const auto& line : DetailLines(*session_, summaryRows.Text(row))) detailRows.Add(line);
}

void ScanView::ReturnToStart() {
    for (Control hidden : {Control::PicResults, Control::PicScanning, Control::FrameRegistryProblemsDetails,
                           Control::FrameScanning})
        window_.SetVisible(hidden, false);
    window_.SetVisible(Control::FrameScanSettingShelidButton, true);
    std::error_code ec;
    const bool report = session_ && std::filesystem::is_regular_file(ScanReportPath(*session_), ec);
    window_.SetEnabled(Control::cmdShowLog, report);
}

void FlipSort(ListControl& list, int headerIndex) {
    list.SetSortKey(headerIndex - 1);
    list.SetSorted(true);
    list.SetSortOrder(list.sortOrder() == 0 ? 1 : 0);
}

}  // namespace vostrel::shell
