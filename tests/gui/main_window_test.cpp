// The main window: loading, hover looks and their companions, closing to
// the notification area (with and without the notice, with no tray at all),
// the help and support pages, the keyboard.
#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <filesystem>
#include <map>

#include "gui_fixture.h"
#include "shell/list_model.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/settings_window.h"
#include "shell/skin.h"
#include "system/settings.h"

namespace vostrel::shell::testing {
namespace {

class MainWindowTest : public GuiTest {
protected:
    void StoreSetting(const std::string& key, const std::string& value) {
        IniSettingsStore(DefaultSettingsPath()).Save(key, value);
    }
    QColor TextColour(MainWindow& main, const char* name) {
        return static_cast<QLabel*>(main.control(name))->palette().color(QPalette::WindowText);
    }
    void MoveOver(QWidget* widget) { MovePointerOver(widget); }
};

TEST_F(MainWindowTest, LoadsWithTheStartViewAndTheProductCaption) {
    MainWindow& main = Main();
    EXPECT_EQ(main.windowTitle(), "Vostrel 2006");
    EXPECT_TRUE(main.control("PicScanning")->isHidden());
    EXPECT_TRUE(main.control("PicResults")->isHidden());
    EXPECT_FALSE(main.control("FrameScanSettingShelidButton")->isHidden());
    EXPECT_TRUE(main.ScanIdle());
    EXPECT_FALSE(main.settingsTimer()->isActive());
    EXPECT_FALSE(app_->tray.runningInTray());
    EXPECT_GE(app_->session.request.sections.Count(), 11u);
    EXPECT_EQ(main.catalogue()->model()->headerData(0, Qt::Horizontal).toString(),
              "Sections to be scanned");
    EXPECT_NE(
        main.findChild<QLabel*>("lblMachine")->text().indexOf(QString::fromStdString(prefix_)), -1);
}

TEST_F(MainWindowTest, SelectAllBoxStartsFromItsSetting) {
    const std::pair<const char*, Qt::CheckState> cases[] = {{nullptr, Qt::Checked},
                                                            {"1", Qt::Checked},
                                                            {"2", Qt::PartiallyChecked},
                                                            {"7", Qt::Unchecked}};
    for (const auto& [stored, expected] : cases) {
        app_.reset();
        std::filesystem::remove_all(home_ / "config");
        if (stored) StoreSetting("chkSelectlistviewItems", stored);
        EXPECT_EQ(Main().selectAll()->checkState(), expected) << (stored ? stored : "none");
    }
}

TEST_F(MainWindowTest, HelpTextsTurnWhiteOnTheirButtonAndGreyOverTheBackground) {
    MainWindow& main = Main();
    const QColor white(0xFF, 0xFF, 0xFF), grey(0xE0, 0xE0, 0xE0);
    MoveOver(main.control("Picture1"));
    for (const char* text : {"lblScanText", "lblSettingsText", "lblBackUpText"})
        EXPECT_EQ(TextColour(main, text), grey) << text;
    MoveOver(main.control("ImgSettingsNormal"));
    EXPECT_EQ(TextColour(main, "lblSettingsText"), white);
    EXPECT_EQ(TextColour(main, "lblScanText"), grey);
    // Straight onto the next button: the first keeps its hover look.
    MoveOver(main.control("imgRestoreNormal"));
    EXPECT_TRUE(main.pair("ImgSettingsNormal")->hovered());
    EXPECT_TRUE(main.pair("imgRestoreNormal")->hovered());
    MoveOver(main.control("Picture1"));
    EXPECT_FALSE(main.pair("ImgSettingsNormal")->hovered());
    EXPECT_FALSE(main.pair("imgRestoreNormal")->hovered());
    EXPECT_EQ(TextColour(main, "lblSettingsText"), grey);
}

TEST_F(MainWindowTest, HelpAndSupportIconsAndButtonsHoverTogetherAndOpenTheirPages) {
    MainWindow& main = Main();
    MoveOver(main.control("ImgHelpPicNormal"));
    EXPECT_TRUE(main.pair("ImgHelpNormal")->hovered());
    EXPECT_TRUE(main.pair("ImgHelpPicNormal")->hovered());
    MoveOver(main.control("Picture1"));
    MoveOver(main.control("ImgSupportNormal"));
    EXPECT_TRUE(main.pair("ImgSupportPicNormal")->hovered());
    ClickPair(&main, "ImgHelpNormal");
    ClickPair(&main, "ImgSupportPicNormal");
    ASSERT_EQ(recorder_.openedUrls.size(), 2);
    EXPECT_TRUE(recorder_.openedUrls[0].endsWith("guide/index.html"));
    EXPECT_EQ(recorder_.openedUrls[1], SupportPageUrl());
}

TEST_F(MainWindowTest, MinimiseAndCloseButtonsResetEachOther) {
    MainWindow& main = Main();
    MoveOver(main.control("ImgMinimiseNormal"));
    MoveOver(main.control("imgCloseNormal"));
    EXPECT_FALSE(main.pair("ImgMinimiseNormal")->hovered());
    EXPECT_TRUE(main.pair("imgCloseNormal")->hovered());
}

TEST_F(MainWindowTest, TheCloseImageHidesToTheTrayWithoutTheNotice) {
    MainWindow& main = Main();
    bool modalSeen = false;
    OnNextModal(
        [&](QWidget* modal) {
            modalSeen = true;
            modal->close();
        },
        300);
    ClickPair(&main, "imgCloseNormal");
    Pump(400);
    EXPECT_FALSE(modalSeen);
    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(app_->tray.runningInTray());
    EXPECT_EQ(app_->tray.toolTip(), "Vostrel 2006");
}

TEST_F(MainWindowTest, TheSystemCloseShowsTheNoticeUntilItIsSwitchedOff) {
    MainWindow& main = Main();
    QString caption;
    OnNextModal([&](QWidget* modal) {
        auto* notice = qobject_cast<CloseNotice*>(modal);
        ASSERT_NE(notice, nullptr);
        caption = notice->windowTitle();
        QTest::mouseClick(notice->doNotShow(), Qt::LeftButton);
        ClickPair(notice, "ImgOKNormal");
    });
    main.close();
    EXPECT_EQ(caption, "Vostrel 2006");
    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(app_->tray.runningInTray());
    EXPECT_EQ(Setting("chkDoNotShowInFuture"), "1");
    // The window is not unloaded: its lists and state stay.
    EXPECT_EQ(app_->main, &main);
    main.show();
    app_->tray.RemoveIcon(&main);
    bool modalSeen = false;
    OnNextModal(
        [&](QWidget* modal) {
            modalSeen = true;
            modal->close();
        },
        300);
    main.close();
    Pump(400);
    EXPECT_FALSE(modalSeen);
    EXPECT_FALSE(main.isVisible());
}

TEST_F(MainWindowTest, ClosingAMinimisedWindowRestoresItOnlyWhenTheNoticeShows) {
    MainWindow& main = Main();
    main.setWindowState(Qt::WindowMinimized);
    Qt::WindowStates whileNotice;
    OnNextModal([&](QWidget* modal) {
        whileNotice = app_->main->windowState();
        static_cast<QDialog*>(modal)->accept();
    });
    main.close();
    EXPECT_FALSE(whileNotice & Qt::WindowMinimized);
    EXPECT_FALSE(main.isVisible());

    StoreSetting("chkDoNotShowInFuture", "1");
    main.show();
    main.setWindowState(Qt::WindowMinimized);
    main.close();
    EXPECT_TRUE(main.windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(main.isVisible());
}

// Without a notification area nothing could bring a hidden window back, and
// a minimised one would run on with nothing to end it: closing quits.
TEST_F(MainWindowTest, WithoutANotificationAreaClosingQuitsAndShowsNoNotice) {
    TrayIcon::FakeAvailability(false);
    MainWindow& main = Main();
    bool modalSeen = false;
    OnNextModal(
        [&](QWidget* modal) {
            modalSeen = true;
            modal->close();
        },
        300);
    main.close();
    Pump(400);
    EXPECT_FALSE(modalSeen);
    EXPECT_EQ(recorder_.endCalls, 1);
    EXPECT_FALSE(app_->tray.runningInTray());
    // The skin's close button quits the same way, whatever the notice's switch.
    StoreSetting("chkDoNotShowInFuture", "1");
    ClickPair(&main, "imgCloseNormal");
    EXPECT_EQ(recorder_.endCalls, 2);
    EXPECT_FALSE(main.windowState() & Qt::WindowMinimized);
}

TEST_F(MainWindowTest, CtrlQQuitsFromTheMainWindowAndItsOtherWindows) {
    MainWindow& main = Main();
    PressKey(main.control("ImgScanNowNormal"), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(recorder_.endCalls, 1);
    // In the settings and the backups too (both modal over the main window).
    for (const char* button : {"ImgSettingsNormal", "imgRestoreNormal"}) {
        QString opened;
        const int before = recorder_.endCalls;
        OnNextModal([&](QWidget* modal) {
            opened = modal->objectName();
            PressKey(modal, Qt::Key_Q, Qt::ControlModifier);
            EXPECT_EQ(recorder_.endCalls, before + 1) << opened.toStdString();
            if (modal->isVisible()) static_cast<QDialog*>(modal)->reject();
        });
        ClickPair(&main, button);
        EXPECT_FALSE(opened.isEmpty()) << button;
    }
    EXPECT_EQ(recorder_.endCalls, 3);
    // With a notification area, closing still keeps the program there.
    StoreSetting("chkDoNotShowInFuture", "1");
    main.close();
    EXPECT_TRUE(app_->tray.runningInTray());
    EXPECT_EQ(recorder_.endCalls, 3);
}

TEST_F(MainWindowTest, PictureButtonsTakeTheFocusAndReactToTheKeyboard) {
    MainWindow& main = Main();
    auto* help = static_cast<SkinImage*>(main.control("ImgHelpNormal"));
    EXPECT_EQ(help->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(help->accessibleName(), "Help");
    EXPECT_EQ(main.control("ImgScanNowNormal")->accessibleName(), "Scan Now");
    EXPECT_EQ(main.control("imgCloseNormal")->accessibleName(), "Close");
    help->setFocus();
    QTest::keyClick(help, Qt::Key_Space);
    EXPECT_EQ(recorder_.openedUrls.size(), 1);
}

TEST_F(MainWindowTest, FocusStartsOnScanNowWithAClearRing) {
    MainWindow& main = Main();
    auto* scanNow = static_cast<SkinImage*>(main.control("ImgScanNowNormal"));
    EXPECT_EQ(main.focusWidget(), scanNow);
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main, 2000));
    ASSERT_TRUE(scanNow->hasFocus());
    // The ring is drawn at the button's edge, two pixels deep, all round.
    const QImage focused = scanNow->grab().toImage();
    const int w = focused.width(), h = focused.height();
    for (QPoint edge : {QPoint(0, h / 2), QPoint(1, h / 2), QPoint(w - 1, h / 2),
                        QPoint(w - 2, h / 2), QPoint(w / 2, 0), QPoint(w / 2, h - 2)})
        EXPECT_EQ(focused.pixelColor(edge), kFocusRingColour) << edge.x() << "," << edge.y();
    EXPECT_NE(focused.pixelColor(3, h / 2), kFocusRingColour);
    main.control("ImgSettingsNormal")->setFocus();
    const QImage unfocused = scanNow->grab().toImage();
    EXPECT_NE(unfocused.pixelColor(1, h / 2), kFocusRingColour);
}

TEST_F(MainWindowTest, ScanNowWithNothingTickedSaysWhy) {
    MainWindow& main = Main();
    // Select-all off: every row unticked.
    if (main.selectAll()->checkState() != Qt::Unchecked)
        QTest::mouseClick(main.selectAll(), Qt::LeftButton);
    if (main.selectAll()->checkState() != Qt::Unchecked)
        QTest::mouseClick(main.selectAll(), Qt::LeftButton);
    ASSERT_EQ(main.selectAll()->checkState(), Qt::Unchecked);
    QString message;
    AnswerMessageBox(true, &message);
    ClickPair(&main, "ImgScanNowNormal");
    EXPECT_TRUE(message.startsWith("Nothing to scan")) << message.toStdString();
    EXPECT_FALSE(main.Busy());
    EXPECT_TRUE(main.control("PicScanning")->isHidden());
    EXPECT_TRUE(main.control("PicResults")->isHidden());
}

// Screen readers hear every skinned button as a push button with its caption
// and what it does; the pictures around them stay pictures.
TEST_F(MainWindowTest, EverySkinnedButtonIsAPushButtonToScreenReaders) {
    MainWindow& main = Main();
    SettingsDialog settings(App(), &main);
    MessageBoxDialog box(&main);
    int buttons = 0;
    for (QWidget* window : {static_cast<QWidget*>(&main), static_cast<QWidget*>(&settings),
                            static_cast<QWidget*>(&box)}) {
        for (SkinImage* image : window->findChildren<SkinImage*>()) {
            if (image->window() != window) continue;  // the dialogs lie inside the main window
            QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(image);
            ASSERT_NE(shown, nullptr);
            const std::string name = image->objectName().toStdString();
            if (!image->isButton()) {
                EXPECT_NE(shown->role(), QAccessible::Button) << name;
                continue;
            }
            ++buttons;
            EXPECT_EQ(shown->role(), QAccessible::Button) << name;
            EXPECT_FALSE(shown->text(QAccessible::Name).isEmpty()) << name;
            EXPECT_FALSE(shown->text(QAccessible::Description).isEmpty()) << name;
            if (window == &main) {
                EXPECT_NE(shown->text(QAccessible::Description), shown->text(QAccessible::Name))
                    << name;
            }
        }
    }
    // The main window's twelve buttons, the settings' eight (the ignore
    // list's Add among them) and the message box's two, each a normal and
    // a hover image.
    EXPECT_EQ(buttons, 2 * (12 + 8 + 2));
    QAccessibleInterface* scan =
        QAccessible::queryAccessibleInterface(main.control("ImgScanNowNormal"));
    EXPECT_EQ(scan->text(QAccessible::Name), "Scan Now");
    EXPECT_NE(scan->text(QAccessible::Description).indexOf("F5"), -1);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(main.control("imgCloseNormal"))
                  ->text(QAccessible::Name),
              "Close");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(main.control("Picture1"))->role(),
              QAccessible::Graphic);
    // A reader's press is a click.
    QAccessibleInterface* help =
        QAccessible::queryAccessibleInterface(main.control("ImgHelpNormal"));
    ASSERT_NE(help->actionInterface(), nullptr);
    EXPECT_TRUE(
        help->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    help->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(recorder_.openedUrls.size(), 1);
}

TEST_F(MainWindowTest, AnInertScanButtonShowsNoHoverAndTakesNoClick) {
    MainWindow& main = Main();
    main.control("ImgScanNowNormal")->setEnabled(false);
    MoveOver(main.control("ImgScanNowNormal"));
    EXPECT_FALSE(main.pair("ImgScanNowNormal")->hovered());
    EXPECT_FALSE(main.control("ImgScanNowNormal")->focusPolicy() != Qt::NoFocus &&
                 main.control("ImgScanNowNormal")->hasFocus());
}

TEST_F(MainWindowTest, MyComputerTogglesTheSelectAllBox) {
    MainWindow& main = Main();
    ASSERT_EQ(main.selectAll()->checkState(), Qt::Checked);
    QTest::mouseClick(main.control("Label2"), Qt::LeftButton);
    EXPECT_EQ(main.selectAll()->checkState(), Qt::Unchecked);
    EXPECT_EQ(Setting("chkSelectlistviewItems"), "0");
    QTest::mouseClick(main.control("Image1"), Qt::LeftButton);
    EXPECT_EQ(main.selectAll()->checkState(), Qt::Checked);
    EXPECT_EQ(Setting("chkSelectlistviewItems"), "1");
}

TEST_F(MainWindowTest, TheWindowGrowsWithItsListsAndComesBackToItsDrawnLayout) {
    MainWindow& main = Main();
    const QSize designed = TwipsRect(0, 0, 9600, 7050).size();
    ASSERT_EQ(main.size(), designed);
    EXPECT_EQ(main.minimumSize(), designed);
    // Every named control's place at the size the window was drawn for.
    std::map<QString, QRect> drawn;
    for (QWidget* child : main.findChildren<QWidget*>())
        if (!child->objectName().isEmpty()) drawn[child->objectName()] = child->geometry();
    EXPECT_EQ(drawn["ImgFormMove"].width(), designed.width());
    EXPECT_EQ(drawn["lvwRegistryvaluesScan"].size(), TwipsRect(0, 0, 4320, 4380).size());

    main.resize(designed + QSize(320, 200));
    QApplication::processEvents();
    EXPECT_EQ(main.control("ImgFormMove")->width(), main.width());
    EXPECT_EQ(main.control("Picture1")->geometry(), main.rect());
    // The catalogue takes all the new height; the result lists share it with
    // the details pane below them, which moves down by their share.
    for (const auto& [list, taller] :
         {std::pair{"lvwRegistryvaluesScan", 200}, std::pair{"lvwRegistryProblems", 100},
          std::pair{"lvwRegistryErrorsDetail", 100}}) {
        const QRect now = main.control(list)->geometry();
        EXPECT_GT(now.width(), drawn[list].width()) << list;
        EXPECT_EQ(now.height(), drawn[list].height() + taller) << list;
    }
    const QRect pane = main.control("txtProblemDetails")->geometry();
    EXPECT_EQ(pane.width(), drawn["txtProblemDetails"].width() + 320);
    EXPECT_EQ(pane.top(), drawn["txtProblemDetails"].top() + 100);
    EXPECT_EQ(pane.height(), drawn["txtProblemDetails"].height() + 100);
    // The two result lists share the width, side by side.
    EXPECT_EQ(main.control("lvwRegistryProblems")->width() +
                  main.control("lvwRegistryErrorsDetail")->width(),
              drawn["lvwRegistryProblems"].width() + drawn["lvwRegistryErrorsDetail"].width() +
                  320);
    EXPECT_LT(main.control("lvwRegistryProblems")->geometry().right(),
              main.control("lvwRegistryErrorsDetail")->x());
    // The header's buttons keep to the right edge, the footer to the bottom,
    // and every control stays inside the window.
    EXPECT_EQ(main.control("imgCloseNormal")->x(), drawn["imgCloseNormal"].x() + 320);
    EXPECT_EQ(main.control("lblCopyright")->y(), drawn["lblCopyright"].y() + 200);
    EXPECT_EQ(main.control("ImgReturnNormal")->pos(),
              drawn["ImgReturnNormal"].topLeft() + QPoint(320, 200));
    for (const char* name : {"imgCloseNormal", "ImgHelpNormal", "ImgSupportNormal", "cmdShowLog",
                             "lblCopyright", "SizeGrip"}) {
        QWidget* c = main.control(name);
        EXPECT_TRUE(main.rect().contains(QRect(c->mapTo(&main, QPoint(0, 0)), c->size()))) << name;
    }

    // It never shrinks below its drawn size, and back at that size every
    // control stands where it was drawn.
    main.resize(designed - QSize(100, 100));
    QApplication::processEvents();
    EXPECT_EQ(main.size(), designed);
    for (QWidget* child : main.findChildren<QWidget*>()) {
        const QString name = child->objectName();
        if (name.isEmpty() || !drawn.count(name) || name.startsWith("qt_")) continue;
        EXPECT_EQ(child->geometry(), drawn[name]) << name.toStdString();
    }
}

}  // namespace
}  // namespace vostrel::shell::testing
