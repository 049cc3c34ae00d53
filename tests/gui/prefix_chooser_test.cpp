// The start view's prefix chooser on a fake home holding two prefixes
// (~/.wine and a winetricks prefix) besides the one the program runs on:
// it lists them by label and folder with the one in use selected, and
// "Other folder…" last; choosing a prefix remembers it and reloads the
// program on it, a folder without system.reg is refused, and the next start
// opens the remembered prefix.
#include <QComboBox>
#include <QMessageBox>
#include <filesystem>

#include "gui_fixture.h"
#include "shell/main_window.h"
#include "shell/prefix_chooser.h"
#include "system/settings_keys.h"

namespace vostrel::shell::testing {
namespace {

namespace fs = std::filesystem;

class PrefixChooserTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        wine_ = MakePrefix(home_ / "home/.wine");
        game_ = MakePrefix(home_ / "data/wineprefixes/game");
    }
    static std::string MakePrefix(const std::string& folder) {
        fs::create_directories(folder);
        vostrel::testing::WriteTextFile(folder + "/system.reg", "WINE REGISTRY Version 2\n");
        return fs::canonical(folder).string();
    }
    PrefixChooser* Chooser() {
        auto* chooser = Main().findChild<PrefixChooser*>("cboWinePrefix");
        EXPECT_NE(chooser, nullptr);
        chooser->SetReload([this](const std::string& prefix) { reloads_.push_back(prefix); });
        return chooser;
    }
    static int RowOf(QComboBox* box, const std::string& path) {
        return box->findData(QString::fromStdString(path));
    }

    std::string wine_, game_;
    std::vector<std::string> reloads_;
};

TEST_F(PrefixChooserTest, ListsTheFoundPrefixesAndTheOneInUseThenOtherFolder) {
    PrefixChooser* chooser = Chooser();
    ASSERT_NE(chooser, nullptr);
    const std::string current = fs::canonical(prefix_).string();
    ASSERT_EQ(chooser->count(), 4);
    EXPECT_EQ(chooser->currentIndex(), RowOf(chooser, current));
    EXPECT_EQ(chooser->itemText(RowOf(chooser, game_)),
              QString::fromStdString("game \u2014 " + game_));
    EXPECT_GE(RowOf(chooser, wine_), 0);
    EXPECT_EQ(chooser->itemText(3), QString::fromUtf8("Other folder\u2026"));
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_EQ(chooser->window(), &Main());
}

TEST_F(PrefixChooserTest, ChoosingAPrefixRemembersItAndReloadsTheProgramOnIt) {
    PrefixChooser* chooser = Chooser();
    ASSERT_NE(chooser, nullptr);
    chooser->Choose(chooser->currentIndex());  // the prefix in use: nothing happens
    EXPECT_TRUE(reloads_.empty());
    EXPECT_EQ(Setting(std::string(kWinePrefixKey)), "<none>");

    chooser->Choose(RowOf(chooser, game_));
    EXPECT_EQ(reloads_, std::vector<std::string>{game_});
    EXPECT_EQ(Setting(std::string(kWinePrefixKey)), game_);

    // The next start opens the remembered prefix, unless told otherwise.
    vostrel::testing::ScopedEnv noPrefix("WINEPREFIX", "");
    EXPECT_EQ(ChoosePrefix(""), game_);
    EXPECT_EQ(ChoosePrefix("/elsewhere"), "/elsewhere");
    fs::remove(game_ + "/system.reg");  // no longer a prefix: the default again
    EXPECT_NE(ChoosePrefix(""), game_);
}

TEST_F(PrefixChooserTest, OtherFolderTakesAPrefixAndRefusesAFolderThatIsNone) {
    PrefixChooser* chooser = Chooser();
    ASSERT_NE(chooser, nullptr);
    const int other = chooser->count() - 1;
    const int before = chooser->currentIndex();

    recorder_.nextDirectory.clear();  // the folder browser cancelled
    chooser->Choose(other);
    EXPECT_EQ(chooser->currentIndex(), before);

    fs::create_directories(home_ / "plain");
    recorder_.nextDirectory = QString::fromStdString(home_ / "plain");
    QString shown;
    OnNextModal([&shown](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        shown = box->text();
        box->accept();
    });
    chooser->Choose(other);
    EXPECT_TRUE(shown.contains("holds no system.reg")) << shown.toStdString();
    EXPECT_TRUE(reloads_.empty());
    EXPECT_EQ(chooser->currentIndex(), before);
    EXPECT_EQ(Setting(std::string(kWinePrefixKey)), "<none>");

    const std::string other2 = MakePrefix(home_ / "elsewhere/pfx");
    recorder_.nextDirectory = QString::fromStdString(home_ / "elsewhere/pfx");
    chooser->Choose(other);
    EXPECT_EQ(reloads_, std::vector<std::string>{other2});
    EXPECT_EQ(Setting(std::string(kWinePrefixKey)), other2);
}

}  // namespace
}  // namespace vostrel::shell::testing
