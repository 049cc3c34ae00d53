// Where the main window opens and how large its skin is: the place it had
// last, brought onto a screen there is now and never below the skin's
// size; and on a screen too small for the skin as drawn (a high device
// scale), the skin made smaller so that all of it fits.
#include <QGuiApplication>
#include <QScreen>

#include "gui_fixture.h"
#include "shell/main_window.h"
#include "shell/skin.h"
#include "shell/window_layout.h"
#include "system/settings.h"

namespace vostrel::shell::testing {
namespace {

std::string Show(const QRect& r) { return GeometryText(r).toStdString(); }

TEST(RestoredGeometryTest, TheSavedPlaceLandsWholeOnAScreenThereIsNow) {
    const QSize minimum(640, 470);
    const QList<QRect> two{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    const struct {
        const char* what;
        QRect saved;
        QList<QRect> screens;
        QRect expected;
    } cases[] = {
        {"inside the second screen: as it was", {2000, 100, 800, 600}, two, {2000, 100, 800, 600}},
        {"on a screen no longer there: onto the primary",
         {5000, 300, 700, 500},
         two,
         {1220, 300, 700, 500}},
        {"larger than its screen: as large as the screen",
         {-50, -40, 3000, 2000},
         two,
         {0, 0, 1920, 1080}},
        {"smaller than the skin: the skin's size", {100, 100, 200, 100}, two, {100, 100, 640, 470}},
        {"across two screens: on the one it overlaps most",
         {1700, 900, 640, 470},
         two,
         {1920, 554, 640, 470}},
        {"a screen smaller than the skin: the skin's size at its corner",
         {50, 50, 640, 470},
         {{0, 0, 600, 400}},
         {0, 0, 640, 470}},
        {"a screen away from the origin",
         {0, 0, 700, 500},
         {{-1280, 200, 1280, 1024}},
         {-700, 200, 700, 500}},
        {"no screens known: only the minimum applies", {10, 10, 100, 100}, {}, {10, 10, 640, 470}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Show(RestoredGeometry(c.saved, minimum, c.screens)), Show(c.expected)) << c.what;
    EXPECT_TRUE(RestoredGeometry({}, minimum, two).isEmpty());

    EXPECT_EQ(ParseGeometry(" 10, -20 ,700,500"), QRect(10, -20, 700, 500));
    EXPECT_EQ(ParseGeometry(GeometryText(QRect(-5, 7, 640, 470))), QRect(-5, 7, 640, 470));
    for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "a,2,3,4", "1,2,0,4", "1,2,3,-4"})
        EXPECT_FALSE(ParseGeometry(bad)) << bad;
}

TEST(SkinScaleTest, TheSkinShrinksOnlyToFitAndNeverBelowItsFloor) {
    const QSize natural(640, 470);
    const struct {
        QSize available;
        double scale;
    } cases[] = {
        {{1920, 1080}, 1.0},         // room enough: as drawn
        {{640, 470}, 1.0},           // exactly its size
        {{640, 400}, 400.0 / 470},   // 1280x800 device pixels at a scale of 2
        {{500, 1000}, 500.0 / 640},  // narrow: the width decides
        {{200, 150}, 0.5},           // too small for it to be read: the floor
        {{}, 1.0},                   // no screen known
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(SkinScaleToFit(natural, c.available), c.scale)
            << c.available.width() << "x" << c.available.height();
    EXPECT_DOUBLE_EQ(SkinScaleToFit(natural, {200, 150}, 0.25), 200.0 / 640);
}

class WindowPlaceTest : public GuiTest {
protected:
    void TearDown() override {
        SetSkinScale(1.0);
        GuiTest::TearDown();
    }
    static QRect Screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

TEST_F(WindowPlaceTest, TheWindowOpensWhereItWasAndRemembersWhereItIsWhenItGoes) {
    const QRect screen = Screen();
    const QRect saved(screen.x() + 20, screen.y() + 30, LayoutRect(LayoutId::MainForm).width() + 40,
                      LayoutRect(LayoutId::MainForm).height() + 20);
    ASSERT_TRUE(screen.contains(saved)) << Show(screen);
    {
        IniSettingsStore(DefaultSettingsPath()).Save("frmMainGeometry", Show(saved));
        MainWindow& main = Main();
        EXPECT_EQ(Show(main.geometry()), Show(saved));
        // Moved and made larger, then closed to the tray: the new place is kept.
        const QRect moved(screen.x() + 10, screen.y() + 5, saved.width() + 10, saved.height());
        main.setGeometry(moved);
        main.HideToTray();
        EXPECT_EQ(Setting("frmMainGeometry"), Show(moved));
        main.setGeometry(saved);
        main.Quit();
        EXPECT_EQ(Setting("frmMainGeometry"), Show(saved));
    }
}

TEST_F(WindowPlaceTest, APlaceOffEveryScreenOrTooSmallComesBackWholeOnTheScreen) {
    IniSettingsStore(DefaultSettingsPath()).Save("frmMainGeometry", "9000,-9000,100,50");
    MainWindow& main = Main();
    EXPECT_EQ(main.size(), LayoutRect(LayoutId::MainForm).size());
    EXPECT_TRUE(Screen().contains(main.geometry())) << Show(main.geometry());
}

// At a device scale of 2 a screen of 1280x800 device pixels leaves 640x400
// for the skin drawn at 640x470: made smaller, all of it fits, every control
// in its row's (smaller) place.
TEST_F(WindowPlaceTest, ASkinTooLargeForTheScreenIsMadeSmallerToFit) {
    const QSize drawn = LayoutRect(LayoutId::MainForm).size();
    const QSize room(640, 400);
    const double scale = SkinScaleToFit(drawn, room);
    ASSERT_LT(scale, 1.0);
    SetSkinScale(scale);
    MainWindow& main = Main();
    EXPECT_LE(main.width(), room.width());
    EXPECT_LE(main.height(), room.height());
    EXPECT_EQ(main.minimumSize(), main.size());
    EXPECT_NEAR(main.width() / double(drawn.width()), scale, 0.01);
    EXPECT_NEAR(main.height() / double(drawn.height()), scale, 0.01);
    for (const LayoutRow& row : kSkinLayout) {
        if (row.window != SkinWindow::Main || row.id == LayoutId::MainForm) continue;
        QWidget* control = main.control(row.id);
        ASSERT_NE(control, nullptr) << row.name;
        EXPECT_EQ(control->geometry(), LayoutRect(row.id)) << row.name;
        EXPECT_TRUE(main.rect().contains(QRect(control->mapTo(&main, QPoint()), control->size())))
            << row.name;
    }
}

}  // namespace
}  // namespace vostrel::shell::testing
