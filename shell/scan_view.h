// What the main window shows of a scan and a repair: the session's events
// mapped onto its labels, progress bars (in twips), timers and views, and
// the results lists filled from the session's typed problems.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "results/problem_groups.h"
#include "session/scan_session.h"
#include "shell/list_control.h"
#include "shell/message_box.h"
#include "shell/qt_window.h"

namespace vostrel::shell {

// The full width of the progress bars' filling, in twips: their frames' width.
inline constexpr int kProgressFullWidth = Layout(LayoutId::MainScanProgressFrame).box.width;
static_assert(Layout(LayoutId::MainRepairProgressFrame).box.width == kProgressFullWidth,
              "both progress bars fill the same width");
// How far the repair's bar moves per item, in twips.
inline constexpr int kRepairProgressStep = 5;

// The message box kind of a question (its texts and buttons).
MessageKind MessageKindOf(Question question);

// The observer the window gives the core. The core calls it on the thread
// that runs the work (the window's worker, or the window's own thread);
// whatever it shows is done on the window's thread: at once when called
// there, else as a queued call, in the order of the events. The texts of
// keys, values and the problem count, which come by the thousand, are
// passed over one call at a time, the latest winning.
class ScanView final : public ScanObserver {
public:
    explicit ScanView(QtWindow& window) : window_(window) {}
    // The session whose counts and results the view shows.
    void Attach(ScanSession& session) { session_ = &session; }

    // The start view's list: the session's sections and drives with their
    // check boxes, as the window shows them.
    ListControl catalogueRows{"catalogue",
                              {QT_TRANSLATE_NOOP("vostrel::lists", "Sections to be scanned")}};
    // The results view's lists: a summary row per section, then a row per
    // program whose problems go together (its id in the sub-item
    // kSummaryGroupColumn, not shown), and the detail rows of the summary
    // row clicked.
    ListControl summaryRows{"summary", {QT_TRANSLATE_NOOP("vostrel::lists", "Summary")}};
    // Each detail row also says what its problem is (entry, value, data,
    // path looked for, reason) and, in a column not shown, which problem it
    // is (kDetailRefColumn).
    ListControl detailRows{"details",
                           {QT_TRANSLATE_NOOP("vostrel::lists", "Details"),
                            QT_TRANSLATE_NOOP("vostrel::lists", "Entry"),
                            QT_TRANSLATE_NOOP("vostrel::lists", "Value"),
                            QT_TRANSLATE_NOOP("vostrel::lists", "Holds"),
                            QT_TRANSLATE_NOOP("vostrel::lists", "Looked for"),
                            QT_TRANSLATE_NOOP("vostrel::lists", "Why")}};

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
    // On the window's thread a question is asked at once. From the worker,
    // the repair's closing notice is held until the work is over
    // (ShowHeldNotice); any other question is asked on the window's thread
    // while the worker waits for the answer.
    Answer Confirm(Question question) override;
    void PlaySound(std::string_view hostPath) override;

    // The problems the running scan has found so far (its last
    // ProblemFound), from any thread: what Cancel goes by.
    std::size_t problemsFound() const { return found_.load(); }
    // Cancel was clicked with nothing found: should the worker not have
    // begun its scan yet (which clears the stop request), the stop is asked
    // for again when it begins.
    void StopWhenStarted() { stopWhenStarted_ = true; }
    // The closing notice the work held back, if any, is shown now.
    void ShowHeldNotice();
    // The window is going away: a question the worker waits on is answered
    // No, and so is any it asks later.
    void AbandonQuestions();

    // A cancel was granted: the blinking stops.
    void ShowCancelled();
    // The summary and detail lists give way to the repair's bar while a
    // repair works on the problems they show (and come back after).
    void ShowRepairing(bool repairing);
    // The summary row `row` was clicked: its details are shown.
    void ShowDetails(std::size_t row);
    // The program group summary row `row` (1-based) stands for, or null for
    // a section's row.
    const ProblemGroup* GroupOfRow(std::size_t row) const;
    // Back to the start view; "Show Log" is enabled when a report exists.
    void ReturnToStart();
    // "Show Log" is enabled when the report file exists.
    void ShowLogState();

private:
    // What the end of a scan shows, gathered on the thread of the work.
    struct ScanEnd {
        std::vector<SummaryRow> summary;
        ProblemGroups groups;
        bool found = false;
        bool cancelled = false;
        std::size_t ignored = 0;  // problems the ignore list left out
        std::string notChecked;   // what could not be judged, or empty
        std::string reportPath;
    };
    // The latest text of a label, passed over one queued call at a time.
    struct LatestText {
        std::string text;
        bool posted = false;
    };

    bool OnWindowThread() const;
    // Runs `show` on the window's thread, in the order of the calls.
    void Show(std::function<void()> show);
    void ShowText(Control control, std::string_view text, LatestText& latest);
    void ShowScanStarted(std::int32_t progressStep);
    void ShowProgress(bool blink);
    void ShowScanEnd(ScanEnd& end);
    void ShowRepairSteps(int steps);
    std::vector<SummaryRow> SummaryRows() const;
    // The groups of the session's problems as they are now (made on the
    // thread of the work, which owns the session then).
    ProblemGroups CurrentGroups() const;
    void FillSummary(const std::vector<SummaryRow>& rows, ProblemGroups groups);

    QtWindow& window_;
    ScanSession* session_ = nullptr;
    // The groups the summary rows show (the window's thread).
    ProblemGroups groups_;
    // Lives on the window's thread: the receiver of the queued calls.
    QObject windowThread_;
    std::int32_t progressStep_ = 0;
    int progressWidth_ = 0;
    std::atomic<std::size_t> found_{0};
    std::atomic<bool> stopWhenStarted_{false};
    std::mutex textsMutex_;
    LatestText key_, value_, count_;
    std::atomic<int> pendingSteps_{0};
    // The repair's closing notice, held by the worker until the work ends.
    std::optional<Question> heldNotice_;
    // A question asked from the worker and its answer.
    std::mutex askMutex_;
    std::condition_variable answered_;
    std::optional<Answer> answer_;
    bool abandoned_ = false;
};

// The sub-item of a detail row that holds its problem's reference (RefText).
inline constexpr std::size_t kDetailRefColumn = 6;
// The sub-item of a detail row that names the section that found its
// problem ("Help Files"), not shown: what the section filter goes by.
inline constexpr std::size_t kDetailSectionColumn = 7;
// The sub-item of a summary row that holds its program group's id.
inline constexpr std::size_t kSummaryGroupColumn = 1;
// The sub-items of a section's summary row, not shown, that hold its
// section key and count: what the window's translation of the row goes by.
inline constexpr std::size_t kSummarySectionColumn = 2;
inline constexpr std::size_t kSummaryCountColumn = 3;

// A header click: sorting on, by that column (1-based), in the opposite order.
void FlipSort(ListControl& list, int headerIndex);

}  // namespace vostrel::shell
