// The terminal's side of a scan: it follows the scan's events, shows a
// progress line on stderr (only when stderr is a terminal and not quiet),
// and turns Ctrl-C into a stop request for the running scan.
#pragma once

#include <chrono>
#include <string>

#include "session/scan_session.h"

namespace vostrel::cli {

class CliProgress final : public ScanObserver {
public:
    explicit CliProgress(bool showProgress);
    ~CliProgress() override;

    // The session whose scan Ctrl-C cancels.
    void Attach(ScanSession& session) { session_ = &session; }

    void SectionStarted(std::string_view status) override;
    // The key is kept only for a progress line that is shown.
    void KeyVisited(std::string_view name) override;
    void ValueVisited(std::string_view text) override;
    // Values are never shown on the progress line, keys only when it is shown.
    bool ShowsValues() const override { return false; }
    bool ShowsKeys() const override { return showProgress_; }
    void ProblemFound(std::size_t total) override;
    void Progress(std::size_t row, std::size_t rows) override;
    void ScanStarted() override;
    void ScanFinished(bool cancelled) override;
    // Ctrl-C cancels a scan without a question; every question is answered No.
    Answer Confirm(Question) override { return Answer::No; }

    // Clears the progress line (before the results are printed).
    void EndProgress();
    // From now until RepairDone, Ctrl-C stops the repair after the item in
    // hand (a second one ends the program).
    void WatchRepair();
    void RepairDone();
    // Ctrl-C cancelled the scan.
    bool interrupted() const { return interruptHandled_; }

private:
    // Draws the line, at most every 100 ms.
    void DrawProgress();

    bool showProgress_;
    bool lineShown_ = false;
    bool interruptHandled_ = false;
    ScanSession* session_ = nullptr;
    std::string status_, key_;
    std::size_t found_ = 0;
    std::chrono::steady_clock::time_point lastDrawn_{};
};

// True when Ctrl-C was pressed since the last CliProgress was made: a loop of
// scans ("scan --all") stops after the scan that Ctrl-C cancelled.
bool CtrlCPressed();

}  // namespace vostrel::cli
