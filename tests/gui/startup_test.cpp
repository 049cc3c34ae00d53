// Start-up (the splash and its timer) and the window port the core drives:
// captions, widths in twips, check box values, timers, views.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "fixture_machine.h"
#include "gui_fixture.h"
#include "shell/deferred_machine.h"
#include "shell/list_model.h"
#include "shell/machine_loader.h"
#include "shell/main_window.h"
#include "shell/splash.h"
#include "system/settings.h"

namespace vostrel::shell::testing {
namespace {

class StartupTest : public GuiTest {};

TEST_F(StartupTest, TheSplashShowsWithTheBusyPointerThenTheMainWindow) {
    AppContext& app = App();
    auto* splash = new Splash([&app] {
        if (!app.main) new MainWindow(app);
        app.main->show();
    });
    QPointer<Splash> alive(splash);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->tmrUnload()->interval(), 2000);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(app.main, nullptr);
    Pump(1800);
    EXPECT_EQ(app.main, nullptr) << "the main window came before the 2000 ms";
    Pump(500);
    ASSERT_NE(app.main, nullptr);
    EXPECT_TRUE(app.main->isVisible());
    EXPECT_FALSE(app.main->control("FrameScanSettingShelidButton")->isHidden());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    Pump(20);
    EXPECT_TRUE(alive.isNull()) << "the splash did not unload";
}

TEST_F(StartupTest, TheWindowPortReachesTheControls) {
    MainWindow& main = Main();
    QtWindow& w = app_->window;
    w.SetCaption(Control::Status, " Custom Controls....");
    EXPECT_EQ(static_cast<QLabel*>(main.control("lblStatus"))->text(), " Custom Controls....");
    EXPECT_EQ(w.Caption(Control::Status), " Custom Controls....");
    // Widths are read back in twips exactly as written.
    EXPECT_EQ(w.Value(Control::ScanProgressFrame), 4275);
    w.SetValue(Control::ScanProgressBar, 4272);
    EXPECT_EQ(w.Value(Control::ScanProgressBar), 4272);
    EXPECT_EQ(main.control("PicProgress")->width(), 285);
    w.SetValue(Control::SelectAllBox, 2);
    EXPECT_EQ(main.selectAll()->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(w.Value(Control::SelectAllBox), 2);
    // The blinking problem picture: the timer shows and hides it every 600 ms.
    EXPECT_EQ(main.blinkTimer()->interval(), 600);
    w.SetEnabled(Control::BlinkTimer, true);
    EXPECT_TRUE(w.Enabled(Control::BlinkTimer));
    const bool before = main.control("PicBug")->isHidden();
    Pump(700);
    EXPECT_NE(main.control("PicBug")->isHidden(), before);
    w.SetEnabled(Control::BlinkTimer, false);
    EXPECT_FALSE(main.blinkTimer()->isActive());
    // Views and the scan-idle flag.
    w.SetVisible(Control::ScanningView, true);
    w.BringToFront(Control::ScanningView);
    EXPECT_TRUE(w.Visible(Control::ScanningView));
    w.SetEnabled(Control::ScanNowButton, false);
    EXPECT_FALSE(main.ScanIdle());
    w.SetEnabled(Control::ScanNowButton, true);
    w.SetVisible(Control::ScanningView, false);
    w.SetCaption(Control::Window, "Vostrel 2006");
    EXPECT_EQ(main.windowTitle(), "Vostrel 2006");
}

TEST_F(StartupTest, ResizingDuringAScanDoesNotReloadTheCatalogue) {
    MainWindow& main = Main();
    app_->session.request.sections.Add("marker");
    const std::size_t rows = app_->session.request.sections.Count();
    main.control("ImgScanNowNormal")->setEnabled(false);
    main.setWindowState(Qt::WindowMinimized);
    main.setWindowState(Qt::WindowNoState);
    Pump(120);
    EXPECT_EQ(app_->session.request.sections.Count(), rows);
    main.control("ImgScanNowNormal")->setEnabled(true);
    main.setWindowState(Qt::WindowMinimized);
    Pump(120);
    EXPECT_EQ(app_->session.request.sections.Count(), rows - 1);
    EXPECT_EQ(main.refreshTimer()->interval(), 50);
}

TEST_F(StartupTest, TheWindowShowsBeforeThePrefixIsReadAndNoScanStartsUntilThen) {
    {
        IniSettingsStore store(DefaultSettingsPath());
        store.Save("Registry Integrity", "False");
        store.Save("Configuration files", "False");
    }
    prefix_ = home_ / "prefix";
    OpenFixtureMachine(prefix_);  // the sample machine's files in place
    DeferredMachine deferred = MakeDeferredMachine(prefix_);
    AppContext& app = AppOn(std::move(deferred.machine));
    app.loading = true;

    // The window shows at once, saying that it is loading; Scan Now is inert.
    MainWindow& main = Main();
    EXPECT_TRUE(main.isVisible());
    auto* loading = static_cast<QLabel*>(main.control("lblLoading"));
    EXPECT_TRUE(loading->isVisible());
    EXPECT_EQ(loading->text().toStdString(),
              "Loading the registry of the Wine prefix " + prefix_ + "...");
    EXPECT_FALSE(main.ScanIdle());
    EXPECT_FALSE(main.control("ImgScanNowMouseMove")->isEnabled());
    EXPECT_FALSE(main.catalogue()->isEnabled());
    const std::size_t rowsBefore = app.session.request.sections.Count();
    // Nothing may be written into the machine yet, and no scan starts.
    EXPECT_TRUE(app.session.registry.WriteRefusal().has_value());
    EXPECT_EQ(app.session.files.PrefixFolder(), prefix_);
    main.RunScan();
    Pump(20);
    EXPECT_TRUE(main.control("PicScanning")->isHidden());
    EXPECT_TRUE(main.control("PicResults")->isHidden());
    EXPECT_EQ(static_cast<QLabel*>(main.control("lblStatus"))->text(), "");

    // Read on a worker; the window's thread hears of it by a queued signal.
    MachineLoader loader(prefix_);
    bool finished = false;
    QObject::connect(&loader, &MachineLoader::finished, [&] { finished = true; });
    loader.Start();
    for (int waited = 0; !finished && waited < 20000; waited += 10) Pump(10);
    ASSERT_TRUE(finished);
    EXPECT_TRUE(app.loading) << "nothing changes before the window's thread takes the machine";
    MachineResult opened = loader.TakeResult();
    ASSERT_NE(opened.machine, nullptr) << opened.error;
    FinishLoading(app, deferred, std::move(opened.machine));

    // Loaded: the note goes, the catalogue gets the machine's drives, and a
    // scan runs and finds the sample machine's problems.
    EXPECT_FALSE(app.loading);
    EXPECT_FALSE(loading->isVisible());
    EXPECT_TRUE(main.ScanIdle());
    EXPECT_TRUE(main.catalogue()->isEnabled());
    EXPECT_GT(app.session.request.sections.Count(), rowsBefore);
    EXPECT_FALSE(app.session.registry.WriteRefusal().has_value());
    EXPECT_EQ(static_cast<QLabel*>(main.control("lblMachine"))->text().toStdString(),
              "Wine prefix " + prefix_);
    ClickPair(&main, "ImgScanNowNormal");
    WaitUntilIdle();
    EXPECT_FALSE(main.control("PicResults")->isHidden());
    EXPECT_EQ(app.session.ProblemCount(), 14u);
}

TEST_F(StartupTest, APrefixThatCannotBeReadIsReportedByTheLoader) {
    MachineLoader loader(home_ / "no-such-prefix");
    bool finished = false;
    QObject::connect(&loader, &MachineLoader::finished, [&] { finished = true; });
    loader.Start();
    for (int waited = 0; !finished && waited < 5000; waited += 10) Pump(10);
    ASSERT_TRUE(finished);
    MachineResult opened = loader.TakeResult();
    EXPECT_EQ(opened.machine, nullptr);
    EXPECT_NE(opened.error.find("no-such-prefix"), std::string::npos) << opened.error;
}

}  // namespace
}  // namespace vostrel::shell::testing
