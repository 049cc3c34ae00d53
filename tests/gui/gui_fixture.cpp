#include "gui_fixture.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <filesystem>

#include "fixture_machine.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/popup_menu.h"
#include "shell/skin.h"
#include "system/settings.h"

namespace vostrel::shell::testing {

void OnNextModal(std::function<void(QWidget*)> action, int timeoutMs) {
    auto* timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, started, action, timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && started->elapsed() < timeoutMs) return;
        timer->stop();
        timer->deleteLater();
        if (modal) action(modal);
    });
    timer->start();
}

void ClickPair(QWidget* window, const QString& normalName) {
    auto* normal = window->findChild<SkinImage*>(normalName);
    ASSERT_NE(normal, nullptr) << normalName.toStdString();
    auto* pairObject = normal->parentWidget()->findChild<ImagePair*>(normalName);
    ASSERT_NE(pairObject, nullptr) << normalName.toStdString();
    // The pointer moves over the normal image, which shows the hover image;
    // the click lands on the hover image.
    MovePointerOver(normal);
    ASSERT_TRUE(pairObject->hovered()) << normalName.toStdString() << " shows no hover look";
    QTest::mouseClick(pairObject->hover(), Qt::LeftButton, {},
                      pairObject->hover()->rect().center());
}

void MovePointerOver(QWidget* widget, QPoint pos) {
    if (pos.x() < 0) pos = widget->rect().center();
    // The screen's pointer goes there too, so that the enter and leave
    // events Qt makes up when pictures show and hide agree with it.
    QCursor::setPos(widget->mapToGlobal(pos));
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(widget->mapToGlobal(pos)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    QApplication::processEvents();
}

void PressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* window = widget->window();
    // An activation still on its way (a click in another window just
    // before) may take the window's place again: it is asked until it stays.
    for (int attempt = 0; attempt < 5 && QApplication::activeWindow() != window; ++attempt) {
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window, 1000);
        Pump(20);
    }
    EXPECT_EQ(QApplication::activeWindow(), window)
        << window->objectName().toStdString() << " never became the active window";
    QTest::keyClick(widget, key, modifiers);
}

void AnswerMessageBox(bool ok, QString* message) {
    OnNextModal([ok, message](QWidget* modal) {
        auto* box = qobject_cast<MessageBoxDialog*>(modal);
        ASSERT_NE(box, nullptr) << "expected the message box, got "
                                << modal->objectName().toStdString();
        if (message) *message = box->message();
        ClickPair(box, ok ? "ImgOKNormal" : "ImgCancelNormal");
    });
}

void Pump(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

namespace {
// Records what would be played; the tests have no audio device to play on.
class SilentSoundPlayer : public SoundPlayer {
public:
    using SoundPlayer::SoundPlayer;

protected:
    void Start(const QString&) override {}
};
}  // namespace

void ScanGate::Hold() {
    const std::lock_guard lock(mutex_);
    held_ = true;
}

void ScanGate::Release() {
    const std::lock_guard lock(mutex_);
    held_ = false;
    released_.notify_all();
}

std::vector<MenuEntryProblem> ScanGate::FindStale() {
    ++asked_;
    if (QThread::currentThread() == qApp->thread()) ++askedOnGuiThread_;
    {
        std::unique_lock lock(mutex_);
        waiting_ = held_;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (held_ && !stop_ && std::chrono::steady_clock::now() < until)
            released_.wait_for(lock, std::chrono::milliseconds(5));
        waiting_ = false;
    }
    return entries_.FindStale();
}

void GuiTest::SetUp() {
    config_ = std::make_unique<vostrel::testing::ScopedEnv>("XDG_CONFIG_HOME", home_ / "config");
    data_ = std::make_unique<vostrel::testing::ScopedEnv>("XDG_DATA_HOME", home_ / "data");
    // The scan looks at (and a repair removes) menu entries on the desktop.
    userHome_ = std::make_unique<vostrel::testing::ScopedEnv>("HOME", home_ / "home");
    TrayIcon::FakeAvailability(true);
    messageKind.clear();
}

void GuiTest::TearDown() {
    if (gate_) gate_->Release();
    app_.reset();
    TrayIcon::FakeAvailability(std::nullopt);
    Pump(1);
}

AppContext& GuiTest::App() {
    if (app_) return *app_;
    prefix_ = home_ / "prefix";
    return AppOn(OpenFixtureMachine(prefix_));
}

AppContext& GuiTest::AppOn(std::unique_ptr<Machine> machine) {
    Platform platform;
    platform.chooseDirectory = [this](QWidget*) { return recorder_.nextDirectory; };
    platform.chooseFile = [this](QWidget*, const QString& filter, const QString& folder) {
        recorder_.lastFileFilter = filter;
        recorder_.lastFileFolder = folder;
        return recorder_.nextFile;
    };
    platform.openUrl = [this](const QString& url) { recorder_.openedUrls << url; };
    platform.endProgram = [this] { ++recorder_.endCalls; };
    platform.sound = new SilentSoundPlayer(qApp);
    app_ = std::make_unique<AppContext>(std::make_unique<IniSettingsStore>(DefaultSettingsPath()),
                                        std::move(machine), std::move(platform));
    app_->programPath = "/usr/bin/vostrel";
    if (app_->session.menuEntries) {
        gate_ =
            std::make_unique<ScanGate>(*app_->session.menuEntries, app_->session.cancelRequested);
        app_->session.menuEntries = gate_.get();
    }
    return *app_;
}

void GuiTest::WaitUntilIdle(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (app_ && app_->main && app_->main->Busy()) {
        if (timer.elapsed() > timeoutMs) {
            ADD_FAILURE() << "the window's work did not end within " << timeoutMs << " ms";
            return;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

int GuiTest::ShownProblemCount() {
    return static_cast<QLabel*>(Main().control("lblProblemsFound"))->text().toInt();
}

MainWindow& GuiTest::Main() {
    AppContext& app = App();
    if (!app.main) {
        new MainWindow(app);
        app.main->show();
        // The refresh that follows every show resets the hover looks; let it pass.
        Pump(80);
        while (app.main->refreshTimer()->isActive()) Pump(10);
        Pump(20);
    }
    return *app.main;
}

std::string GuiTest::Setting(const std::string& key, const std::string& fallback) {
    IniSettingsStore store(DefaultSettingsPath());
    return store.Get(key, fallback);
}

}  // namespace vostrel::shell::testing
