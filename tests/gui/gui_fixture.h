// The GUI tests' common ground: a QApplication (offscreen), a scratch home
// for settings and data, the program's windows on a fixture machine, the
// desktop's services replaced by recorders, and answering modal windows.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

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
// Lets timers and posted events run for `ms` milliseconds.
void Pump(int ms);

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

    vostrel::testing::TempDir home_;
    std::unique_ptr<vostrel::testing::ScopedEnv> config_;
    std::unique_ptr<vostrel::testing::ScopedEnv> data_;
    std::unique_ptr<vostrel::testing::ScopedEnv> userHome_;
    Recorder recorder_;
    std::unique_ptr<AppContext> app_;
    std::string prefix_;
};

}  // namespace vostrel::shell::testing
