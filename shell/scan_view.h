// What the main window shows of a scan and a repair: the session's events
// mapped onto its labels, progress bars (in twips), timers and views, and
// the results lists filled from the session's typed problems.
#pragma once

#include <cstdint>

#include "session/scan_session.h"
#include "shell/list_control.h"
#include "shell/message_box.h"
#include "shell/qt_window.h"

namespace vostrel::shell {

// The full width of the progress bars' filling, in twips.
inline constexpr int kProgressFullWidth = 4275;
// How far the repair's bar moves per item, in twips.
inline constexpr int kRepairProgressStep = 5;

// The message box kind of a question (its texts and buttons).
MessageKind MessageKindOf(Question question);

class ScanView final : public ScanObserver {
public:
    explicit ScanView(QtWindow& window) : window_(window) {}
    // The session whose counts and results the view shows.
    void Attach(ScanSession& session) { session_ = &session; }

    // The start view's list: the session's sections and drives with their
    // check boxes, as the window shows them.
    ListControl catalogueRows{"catalogue", {"Sections to be scanned"}};
    // The results view's lists: a summary row per section, and the detail
    // rows of the summary row clicked.
    ListControl summaryRows{"summary", {"Summary"}};
    // Each detail row also says what its problem is (entry, value, data,
    // path looked for, reason) and, in a column not shown, which problem it
    // is (kDetailRefColumn).
    ListControl detailRows{"details", {"Details", "Entry", "Value", "Holds", "Looked for", "Why"}};

    void ScanStarted() override;
    void SectionStarted(std::string_view status) override;
    void KeyVisited(std::string_view name) override;
    void ValueVisited(std::string_view text) override;
    void ProblemFound(std::size_t total) override;
    void Progress(std::size_t row, std::size_t rows) override;
    void ScanFinished(bool cancelled) override;
    void RepairStarted() override;
    void RepairStep() override;
    void RepairFinished() override;
    Answer Confirm(Question question) override;
    void PlaySound(std::string_view hostPath) override { window_.PlaySound(hostPath); }
    void ProcessPendingEvents() override { window_.ProcessPendingEvents(); }

    // A cancel was granted: the blinking stops.
    void ShowCancelled();
    // The summary row `row` was clicked: its details are shown.
    void ShowDetails(std::size_t row);
    // Back to the start view; "Show Log" is enabled when a report exists.
    void ReturnToStart();
    // "Show Log" is enabled when the report file exists.
    void ShowLogState();

private:
    void FillSummary();

    QtWindow& window_;
    ScanSession* session_ = nullptr;
    std::int32_t progressStep_ = 0;
    int progressWidth_ = 0;
};

// The sub-item of a detail row that holds its problem's reference (RefText).
inline constexpr std::size_t kDetailRefColumn = 6;

// A header click: sorting on, by that column (1-based), in the opposite order.
void FlipSort(ListControl& list, int headerIndex);

}  // namespace vostrel::shell
