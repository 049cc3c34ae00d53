// Start-up (the splash and its timer) and the window port the core drives:
// captions, widths in twips, check box values, timers, views.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "gui_fixture.h"
#include "shell/main_window.h"
#include "shell/splash.h"

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
    app_->session.catalogue.Add("marker");
    const std::size_t rows = app_->session.catalogue.Count();
    main.control("ImgScanNowNormal")->setEnabled(false);
    main.setWindowState(Qt::WindowMinimized);
    main.setWindowState(Qt::WindowNoState);
    Pump(120);
    EXPECT_EQ(app_->session.catalogue.Count(), rows);
    main.control("ImgScanNowNormal")->setEnabled(true);
    main.setWindowState(Qt::WindowMinimized);
    Pump(120);
    EXPECT_EQ(app_->session.catalogue.Count(), rows - 1);
    EXPECT_EQ(main.refreshTimer()->interval(), 50);
}

}  // namespace
}  // namespace vostrel::shell::testing
