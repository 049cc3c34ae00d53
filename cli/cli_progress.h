// The terminal's side of a scan: it follows the scan's events, shows a
// progress line on stderr (only when stderr is a terminal and not quiet),
// and turns Ctrl-C into a cancel of the running scan.
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

    void SectionStarted(std::string_view status) override { status_.assign(status); }
    // The key is kept only for a progress line that is shown.
    void KeyVisited(std::string_view name) override {
        if (showProgress_) key_.assign(name);
    }
    // Values are never shown on the progress line, keys only when it is shown.
    bool ShowsValues() const override { return false; }
    bool ShowsKeys() const override { return showProgress_; }
    void ProblemFound(std::size_t total) override { found_ = total; }
    void ScanStarted() override;
    void ProcessPendingEvents() override;
    // A cancel asked for by Ctrl-C is confirmed; any other question is not.
    Answer Confirm(Question question) override;

    // Clears the progress line (before the results are printed).
    void EndProgress();
    bool interrupted() const { return interruptHandled_; }

private:
    void DrawProgress();

    bool showProgress_;
    bool lineShown_ = false;
    bool interruptHandled_ = false;
    bool cancellingFromInterrupt_ = false;
    ScanSession* session_ = nullptr;
    std::string status_, key_;
    std::size_t found_ = 0;
    std::chrono::steady_clock::time_point lastDrawn_{};
};

// True when Ctrl-C was pressed since the last CliProgress was made: a loop of
// scans ("scan --all") stops after the scan that Ctrl-C cancelled.
bool CtrlCPressed();

}  // namespace vostrel::cli
