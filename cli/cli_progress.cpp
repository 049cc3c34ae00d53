#include "cli/cli_progress.h"

#include <atomic>
#include <csignal>
#include <cstdio>

#include "cli/safe_output.h"
#include "system/terminal.h"
#include "system/text.h"

namespace vostrel::cli {

namespace {

// What the SIGINT handler may touch: lock-free atomics only. The stop
// request it sets is that of the scan under way, if any.
std::atomic<bool> gInterrupted{false};
std::atomic<std::atomic<bool>*> gStopRequest{nullptr};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<std::atomic<bool>*>::is_always_lock_free);

void OnInterrupt(int) {
    gInterrupted.store(true);
    if (std::atomic<bool>* stop = gStopRequest.load()) stop->store(true);
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

bool CtrlCPressed() { return gInterrupted.load(); }

CliProgress::CliProgress(bool showProgress) : showProgress_(showProgress) {
    gInterrupted = false;
    std::signal(SIGINT, OnInterrupt);
}

CliProgress::~CliProgress() {
    gStopRequest = nullptr;
    EndProgress();
    std::signal(SIGINT, SIG_DFL);
}

void CliProgress::ScanStarted() {
    status_ = "Inspecting...";
    key_.clear();
    found_ = 0;
    // Ctrl-C cancels one scan: from now on its handler stops this one, and
    // a Ctrl-C that came before the scan began stops it at its first check.
    if (session_ && !interruptHandled_) {
        gStopRequest = &session_->cancelRequested;
        if (gInterrupted) session_->cancelRequested = true;
    }
}

void CliProgress::WatchRepair() {
    if (!session_) return;
    session_->cancelRequested = false;
    gInterrupted = false;
    std::signal(SIGINT, OnInterrupt);
    gStopRequest = &session_->cancelRequested;
}

void CliProgress::RepairDone() { gStopRequest = nullptr; }

void CliProgress::ScanFinished(bool cancelled) {
    if (!session_ || !gStopRequest.exchange(nullptr)) return;
    // The session says what the scan said, even when Ctrl-C came after its
    // last look at the stop request.
    session_->cancelRequested = cancelled;
    interruptHandled_ = cancelled && gInterrupted;
}

void CliProgress::SectionStarted(std::string_view status) {
    status_.assign(status);
    if (showProgress_) DrawProgress();
}

void CliProgress::KeyVisited(std::string_view name) {
    if (!showProgress_) return;
    key_.assign(name);
    DrawProgress();
}

void CliProgress::ValueVisited(std::string_view) {
    if (showProgress_) DrawProgress();
}

void CliProgress::ProblemFound(std::size_t total) {
    found_ = total;
    if (showProgress_) DrawProgress();
}

void CliProgress::Progress(std::size_t, std::size_t) {
    if (showProgress_) DrawProgress();
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
