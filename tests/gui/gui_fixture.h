// The GUI tests' common ground: a QApplication (offscreen), a scratch home
// for settings and data, the program's windows on a fixture machine, the
// desktop's services replaced by recorders, and answering modal windows.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "shell/app.h"
#include "support/temp_dir.h"

namespace vostrel::shell::testing {

// Runs `action` on the next modal window that opens (within `timeoutMs`).
void OnNextModal(std::function<void(QWidget*)> action, int timeoutMs = 5000);
// Clicks the picture button whose hover image is named `hoverName` inside `window`.
void ClickPair(QWidget* window, const QString& normalName);
// The pointer moves over `widget` (at `pos`, else its centre); a disabled
// widget takes no pointer events, as on screen.
void MovePointerOver(QWidget* widget, QPoint pos = QPoint(-1, -1));
// Answers the next message box with OK or Cancel; records the message shown.
void AnswerMessageBox(bool ok, QString* message = nullptr);
// Presses a key (with modifiers) as the user does: the window of `widget`
// is made the active one first, so that its shortcuts are heard.
void PressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Lets timers and posted events run for `ms` milliseconds.
void Pump(int ms);

// The user's Wine menu entries as the scan asks for them, passed through,
// with a gate: while it is held, a scan waits at the "Wine Menu Entries" row
// (after the registry sections, before the drives) until it is let go, so
// that a test acts while a scan is known to run. It notes on which thread
// the scan asked. A stop request ends the wait, as it ends a walk.
class ScanGate final : public MenuEntrySource {
public:
    ScanGate(MenuEntrySource& entries, const std::atomic<bool>& stop)
        : entries_(entries), stop_(stop) {}
    void Hold();
    void Release();
    // Waits while held (20 s at most, then goes on).
    std::vector<MenuEntryProblem> FindStale() override;
    MenuEntryRecheck Recheck(const MenuEntryProblem& problem) override {
        return entries_.Recheck(problem);
    }
    std::size_t UnavailableCount() const override { return entries_.UnavailableCount(); }
    // A scan waits at the gate now.
    bool waiting() const { return waiting_; }
    // How many scans asked, and how many of them on the GUI thread.
    int asked() const { return asked_; }
    int askedOnGuiThread() const { return askedOnGuiThread_; }

private:
    MenuEntrySource& entries_;
    const std::atomic<bool>& stop_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool held_ = false;
    std::atomic<bool> waiting_{false};
    std::atomic<int> asked_{0}, askedOnGuiThread_{0};
};

struct Recorder {
    QStringList openedUrls;
    QString nextDirectory;
    QString nextFile;
    QString lastFileFilter;
    QString lastFileFolder;
    int endCalls = 0;
};

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the application's context on the fixture machine (once per test).
    AppContext& App();
    // The same on a machine of the test's own (once per test, before App).
    AppContext& AppOn(std::unique_ptr<Machine> machine);
    // The main window, loaded and shown.
    MainWindow& Main();
    std::string Setting(const std::string& key, const std::string& fallback = "<none>");
    // Lets events run until the scan or the repair the window runs (and
    // what the window does after it) is over; fails the test after
    // `timeoutMs`.
    void WaitUntilIdle(int timeoutMs = 60000);
    // The problem count the scanning view shows.
    int ShownProblemCount();

    vostrel::testing::TempDir home_;
    std::unique_ptr<vostrel::testing::ScopedEnv> config_;
    std::unique_ptr<vostrel::testing::ScopedEnv> data_;
    std::unique_ptr<vostrel::testing::ScopedEnv> userHome_;
    Recorder recorder_;
    // Between the session and the user's menu entries (when there are any).
    std::unique_ptr<ScanGate> gate_;
    std::unique_ptr<AppContext> app_;
    std::string prefix_;
};

}  // namespace vostrel::shell::testing
