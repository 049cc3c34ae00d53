// The terminal's window: it keeps the captions the scan sets, shows a
// progress line on stderr (only when stderr is a terminal and not quiet),
// and turns Ctrl-C into the Cancel button.
#pragma once

#include <chrono>
#include <string>

#include "scan/main_form.h"
#include "system/window.h"

namespace vostrel::cli {

class CliWindow final : public StateWindow {
public:
    explicit CliWindow(bool showProgress);
    ~CliWindow() override;

    // The form whose scan Ctrl-C cancels.
    void Attach(MainForm& form) { form_ = &form; }

    void ProcessPendingEvents() override;
    // A cancel asked for by Ctrl-C is confirmed; any other question is not.
    std::string AskMessage(std::string_view messageKind) override;

    // Clears the progress line (before the results are printed).
    void EndProgress();
    bool interrupted() const { return interruptHandled_; }

private:
    void DrawProgress();

    bool showProgress_;
    bool lineShown_ = false;
    bool interruptHandled_ = false;
    bool cancellingFromInterrupt_ = false;
    MainForm* form_ = nullptr;
    std::chrono::steady_clock::time_point lastDrawn_{};
};

// True when Ctrl-C was pressed since the last CliWindow was made: a loop of
// scans ("scan --all") stops after the scan that Ctrl-C cancelled.
bool CtrlCPressed();

}  // namespace vostrel::cli
