// The tray icon's events and the popup menu: opening, rising, resting,
// falling, its items and their enabled states, the hover look, and Exit
// with its confirmation. The notification area is faked.
#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "gui_fixture.h"
#include "shell/main_window.h"
#include "shell/popup_menu.h"
#include "shell/settings_window.h"
#include "shell/skin.h"
#include "system/settings.h"

namespace vostrel::shell::testing {
namespace {

class TrayMenuTest : public GuiTest {
protected:
    MainWindow& MainInTray() {
        MainWindow& main = Main();
        ClickPair(&main, "imgCloseNormal");
        EXPECT_TRUE(app_->tray.runningInTray());
        return main;
    }
    PopupMenu* OpenMenu() {
        app_->main->TrayActivated(QSystemTrayIcon::DoubleClick);
        EXPECT_TRUE(app_->menu);
        return app_->menu;
    }
    // Waits until the menu has unloaded (false when it did not within `ms`).
    bool WaitForUnload(int ms = 3000) {
        for (int waited = 0; waited < ms && app_->menu; waited += 10) Pump(10);
        Pump(5);
        return !app_->menu;
    }
};

TEST_F(TrayMenuTest, OnlyADoubleClickOrAContextClickOnTheIconOpensTheMenu) {
    MainWindow& main = Main();
    // No icon while the window shows: nothing opens.
    main.TrayActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(app_->menu);
    ClickPair(&main, "imgCloseNormal");
    main.TrayActivated(QSystemTrayIcon::MiddleClick);
    EXPECT_FALSE(app_->menu);
    main.TrayActivated(QSystemTrayIcon::Context);
    ASSERT_TRUE(app_->menu);
    PopupMenu* menu = app_->menu;
    // A second event while it is loaded only brings it forward.
    main.TrayActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(app_->menu, menu);
}

TEST_F(TrayMenuTest, ALeftClickOnTheIconShowsTheWindowAndAnotherHidesIt) {
    MainWindow& main = MainInTray();
    main.setWindowState(Qt::WindowMinimized);
    main.TrayActivated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(app_->menu);
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(main.windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(app_->tray.runningInTray());
    // The window is back; hidden again (by its close button), a left click
    // brings it back once more, and while the icon shows with the window
    // (after a declined Quit from the header) a left click hides it.
    ClickPair(&main, "imgCloseNormal");
    EXPECT_FALSE(main.isVisible());
    main.TrayActivated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(main.isVisible());
    app_->tray.ShowIcon(&main);
    main.TrayActivated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(app_->tray.runningInTray());
    EXPECT_EQ(recorder_.endCalls, 0);
}

TEST_F(TrayMenuTest, EscapeClosesTheMenuAndCtrlQInItQuits) {
    MainInTray();
    PopupMenu* menu = OpenMenu();
    EXPECT_EQ(menu->item("MenuExit")->text(), "Quit");
    EXPECT_EQ(menu->item("MenuExit")->accessibleName(), "Quit");
    PressKey(menu->item("MenuScan"), Qt::Key_Escape);
    EXPECT_FALSE(menu->tmrMenuPopup()->isActive());
    EXPECT_TRUE(menu->tmrPopDown()->isActive());
    EXPECT_TRUE(WaitForUnload());
    EXPECT_EQ(recorder_.endCalls, 0);
    menu = OpenMenu();
    PressKey(menu->item("MenuScan"), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(recorder_.endCalls, 1);
    EXPECT_FALSE(app_->tray.runningInTray());
}

TEST_F(TrayMenuTest, TheMenuRisesFromTheBottomRightAndRestsThere) {
    MainInTray();
    PopupMenu* menu = OpenMenu();
    const QRect area = QApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(menu->x() + menu->width(), area.x() + area.width());
    EXPECT_EQ(menu->lRestTop(), area.y() + area.height() - menu->height() - Twips(100));
    EXPECT_TRUE(menu->tmrMenuPopup()->isActive());
    for (int i = 0; i < 200 && menu->tmrMenuPopup()->isActive(); ++i) Pump(5);
    EXPECT_FALSE(menu->tmrMenuPopup()->isActive());
    EXPECT_TRUE(menu->TmrEnablePopDown()->isActive());
    EXPECT_EQ(menu->TmrEnablePopDown()->interval(), 10000);
    EXPECT_LE(menu->y(), menu->lRestTop());
    EXPECT_GT(menu->y(), menu->lRestTop() - Twips(80));
    // After its rest it falls and unloads.
    menu->TmrEnablePopDown()->setInterval(20);
    menu->TmrEnablePopDown()->start();
    EXPECT_TRUE(WaitForUnload());
}

TEST_F(TrayMenuTest, ItemsAreEnabledByTheWindowAndTheScanState) {
    MainWindow& main = MainInTray();
    PopupMenu* menu = OpenMenu();
    EXPECT_TRUE(menu->item("MenuRestore")->isEnabled());
    EXPECT_TRUE(menu->item("MenuScan")->isEnabled());
    EXPECT_TRUE(menu->item("MenuSettings")->isEnabled());
    EXPECT_TRUE(menu->item("MenuExit")->isEnabled());
    EXPECT_EQ(menu->item("MenuRestore")->text(), "Maximize");
    EXPECT_EQ(menu->item("MenuScan")->text(), "Scan Now");
    EXPECT_EQ(menu->item("lblMenuClose")->text(), "X");
    QTest::mouseClick(menu->item("lblMenuClose"), Qt::LeftButton);
    EXPECT_FALSE(menu->tmrMenuPopup()->isActive());
    EXPECT_TRUE(WaitForUnload());
    // While a scan runs (the Scan Now button is inert) Scan Now and Settings are off.
    main.control("ImgScanNowNormal")->setEnabled(false);
    menu = OpenMenu();
    EXPECT_FALSE(menu->item("MenuScan")->isEnabled());
    EXPECT_FALSE(menu->item("MenuSettings")->isEnabled());
    QTest::mouseClick(menu->item("MenuRestore"), Qt::LeftButton);
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                             : Qt::ArrowCursor,
              Qt::WaitCursor);
    SetScreenPointer(false);
    main.control("ImgScanNowNormal")->setEnabled(true);
}

TEST_F(TrayMenuTest, MaximizeBringsTheWindowBackAndRemovesTheIcon) {
    MainWindow& main = MainInTray();
    main.setWindowState(Qt::WindowMinimized);
    PopupMenu* menu = OpenMenu();
    QTest::mouseClick(menu->item("MenuRestore"), Qt::LeftButton);
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(main.windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(app_->tray.runningInTray());
    EXPECT_TRUE(menu->tmrPopDown()->isActive());
    EXPECT_TRUE(WaitForUnload());
}

TEST_F(TrayMenuTest, SettingsOpensTheSettingsWindowFromTheMainWindow) {
    MainWindow& main = MainInTray();
    PopupMenu* menu = OpenMenu();
    QString opened;
    OnNextModal([&](QWidget* modal) {
        opened = modal->objectName();
        static_cast<QDialog*>(modal)->reject();
    });
    QTest::mouseClick(menu->item("MenuSettings"), Qt::LeftButton);
    EXPECT_TRUE(main.settingsTimer()->isActive());
    EXPECT_EQ(main.settingsTimer()->interval(), 10);
    Pump(300);
    EXPECT_EQ(opened, "frmSetings");
    EXPECT_FALSE(main.settingsTimer()->isActive());
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(app_->tray.runningInTray());
}

TEST_F(TrayMenuTest, ScanNowRestoresTheWindowAndScansWhileTheMenuFallsAway) {
    {
        IniSettingsStore store(DefaultSettingsPath());
        store.Save("Registry Integrity", "False");
        store.Save("Configuration files", "False");
    }
    MainWindow& main = MainInTray();
    PopupMenu* menu = OpenMenu();
    QPointer<PopupMenu> watched(menu);
    // The menu may fall and unload while the click's handler runs; it is
    // deleted only after that returned (the scan goes on on its worker).
    bool handlerReturned = false, deletedDuringHandler = false;
    QObject::connect(menu, &QObject::destroyed, [&] {
        if (!handlerReturned) deletedDuringHandler = true;
    });
    QTest::mouseClick(menu->item("MenuScan"), Qt::LeftButton);
    handlerReturned = true;
    WaitUntilIdle();
    EXPECT_FALSE(deletedDuringHandler);
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(app_->tray.runningInTray());
    EXPECT_FALSE(main.control("PicResults")->isHidden());
    // However quick the scan was, the menu falls away after it.
    EXPECT_TRUE(WaitForUnload());
    // The test runs outside an event loop: deliver the deferred deletion by hand.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull()) << "the menu was not unloaded after the scan";
}

TEST_F(TrayMenuTest, ExitAsksAndEndsTheProgramOnYes) {
    MainInTray();
    PopupMenu* menu = OpenMenu();
    QString question;
    AnswerMessageBox(true, &question);
    QTest::mouseClick(menu->item("MenuExit"), Qt::LeftButton);
    EXPECT_EQ(question, "Are you sure you want close Vostrel?");
    EXPECT_EQ(recorder_.endCalls, 1);
    EXPECT_FALSE(app_->tray.runningInTray());
}

TEST_F(TrayMenuTest, ADeclinedExitPutsTheProgramBackInTheTray) {
    MainWindow& main = MainInTray();
    PopupMenu* menu = OpenMenu();
    bool timersStillWhileAsking = false;
    OnNextModal([&](QWidget* modal) {
        timersStillWhileAsking =
            !menu->tmrPopDown()->isActive() && !menu->TmrEnablePopDown()->isActive();
        ClickPair(modal, "ImgCancelNormal");
    });
    QTest::mouseClick(menu->item("MenuExit"), Qt::LeftButton);
    EXPECT_TRUE(timersStillWhileAsking);
    EXPECT_EQ(recorder_.endCalls, 0);
    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(app_->tray.runningInTray());
    EXPECT_EQ(app_->tray.toolTip(), "Vostrel 2006");
    EXPECT_TRUE(WaitForUnload());
}

TEST_F(TrayMenuTest, ItemsShowTheirHoverLook) {
    MainInTray();
    PopupMenu* menu = OpenMenu();
    MovePointerOver(menu->item("MenuSettings"));
    MovePointerOver(menu->item("MenuExit"));
    // Settings and Exit do not reset the others first.
    EXPECT_TRUE(menu->item("MenuSettings")->bold());
    EXPECT_TRUE(menu->item("MenuExit")->underline());
    // Scan Now does.
    MovePointerOver(menu->item("MenuScan"));
    EXPECT_FALSE(menu->item("MenuSettings")->bold());
    EXPECT_FALSE(menu->item("MenuExit")->bold());
    EXPECT_TRUE(menu->item("MenuScan")->bold());
    EXPECT_TRUE(menu->item("MenuScan")->underline());
    EXPECT_EQ(menu->item("MenuScan")->alignment(), Qt::AlignCenter);
    MovePointerOver(menu->findChild<SkinImage*>("Picture1"), QPoint(2, 2));
    EXPECT_FALSE(menu->item("MenuScan")->bold());
}

TEST_F(TrayMenuTest, WithoutANotificationAreaTheHeaderOpensTheMenu) {
    TrayIcon::FakeAvailability(false);
    MainWindow& main = Main();
    auto* strip = main.findChild<SkinImage*>("ImgFormMove");
    QTest::mouseClick(strip, Qt::RightButton, {}, QPoint(300, 10));
    ASSERT_TRUE(app_->menu);
    EXPECT_FALSE(app_->menu->item("MenuRestore")->isEnabled());
    // A declined Exit leaves the window where the user can reach it.
    AnswerMessageBox(false);
    QTest::mouseClick(app_->menu->item("MenuExit"), Qt::LeftButton);
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(app_->tray.runningInTray());
    EXPECT_TRUE(WaitForUnload());
}

}  // namespace
}  // namespace vostrel::shell::testing
