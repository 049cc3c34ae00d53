#include "cli/cli_progress.h"

#include <csignal>
#include <cstdio>

#include "app/scan_driver.h"
#include "cli/safe_output.h"
#include "system/terminal.h"
#include "system/text.h"

namespace vostrel::cli {

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) {
    gInterrupted = 1;
    std::signal(SIGINT, SIG_DFL);  // a second Ctrl-C ends the program at once
}

// Cuts a text to `width` characters of the terminal (UTF-8 aware).
std::string Fit(const std::string& text, std::size_t width) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (++characters > width) return text.substr(0, i);
    }
    return text;
}

}  // namespace

bool CtrlCPressed() { return gInterrupted != 0; }

CliProgress::CliProgress(bool showProgress) : showProgress_(showProgress) {
    gInterrupted = 0;
    std::signal(SIGINT, OnInterrupt);
}

CliProgress::~CliProgress() {
    EndProgress();
    std::signal(SIGINT, SIG_DFL);
}

void CliProgress::ProcessPendingEvents() {
    if (gInterrupted && !interruptHandled_ && session_ && session_->scanning) {
        interruptHandled_ = true;
        cancellingFromInterrupt_ = true;
        CancelScan(*session_);
        cancellingFromInterrupt_ = false;
    }
    if (showProgress_) DrawProgress();
}

void CliProgress::ScanStarted() {
    status_ = "Inspecting...";
    key_.clear();
    found_ = 0;
}

Answer CliProgress::Confirm(Question question) {
    if (cancellingFromInterrupt_ && question == Question::CancelScan) return Answer::Yes;
    return Answer::No;
}

void CliProgress::DrawProgress() {
    const auto now = std::chrono::steady_clock::now();
    if (lineShown_ && now - lastDrawn_ < std::chrono::milliseconds(100)) return;
    lastDrawn_ = now;
    const std::string line =
        TrimCopy(status_) + " | " + key_ + " | problems: " + std::to_string(found_);
    std::string out = "\r\x1b[K" + Fit(TerminalSafe(line), TerminalColumns() - 1);
    std::fputs(out.c_str(), stderr);
    std::fflush(stderr);
    lineShown_ = true;
}

void CliProgress::EndProgress() {
    if (!lineShown_) return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    lineShown_ = false;
}

}  // namespace vostrel::cli
