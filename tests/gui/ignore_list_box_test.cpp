// The ignore list in the settings window: every entry shown with its value
// and machine, Remove kept in the window until OK, the close button
// leaving the file as it was.
#include <QLabel>
#include <QListWidget>
#include <filesystem>

#include "gui_fixture.h"
#include "ignore/ignore_list.h"
#include "shell/ignore_list_box.h"
#include "shell/settings_window.h"

namespace vostrel::shell::testing {
namespace {

constexpr const char* kList =
    "# kept by hand\n"
    "[every machine]\n"
    "shortcut \"C:\\users\\*\\Desktop\\Old Game.lnk\"\n"
    "\n"
    "[machine \"/home/ann/.wine\"]\n"
    "registry \"HKEY_LOCAL_MACHINE\\Software\\Old\"\n"
    "registry \"HKEY_CLASSES_ROOT\\CLSID\\{0001}\\InprocServer32\" value \"(Default)\"\n";

class IgnoreListBoxTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        std::filesystem::create_directories(std::filesystem::path(Path()).parent_path());
        vostrel::testing::WriteTextFile(Path(), kList);
    }
    static std::string Path() { return DefaultIgnoreListPath(); }
    static QStringList Rows(const IgnoreListBox* box) {
        QStringList rows;
        for (int i = 0; i < box->rows()->count(); ++i) rows << box->rows()->item(i)->text();
        return rows;
    }
};

TEST_F(IgnoreListBoxTest, ShowsEveryEntryWithItsValueAndMachine) {
    SettingsDialog settings(App());
    settings.show();
    EXPECT_EQ(Rows(settings.ignoreList()),
              (QStringList{"C:\\users\\*\\Desktop\\Old Game.lnk  (every machine)",
                           "HKEY_LOCAL_MACHINE\\Software\\Old  (/home/ann/.wine)",
                           "HKEY_CLASSES_ROOT\\CLSID\\{0001}\\InprocServer32, value \"(Default)\"  "
                           "(/home/ann/.wine)"}));
    EXPECT_EQ(settings.ignoreList()->status()->text(), "Ignore list :");
    EXPECT_TRUE(settings.ignoreList()->rows()->isEnabled());
}

TEST_F(IgnoreListBoxTest, RemoveIsWrittenOnOkOnlyAndKeepsTheRestAsWritten) {
    {
        SettingsDialog settings(App());
        settings.show();
        settings.ignoreList()->rows()->setCurrentRow(1);
        ClickPair(&settings, "cmdRemoveIgnoredNormal");
        EXPECT_EQ(settings.ignoreList()->rows()->count(), 2);
        // Closed without OK: the file is as it was.
        ClickPair(&settings, "imgCloseNormal");
    }
    EXPECT_EQ(vostrel::testing::ReadTextFile(Path()), kList);
    SettingsDialog settings(App());
    settings.show();
    settings.ignoreList()->rows()->setCurrentRow(1);
    ClickPair(&settings, "cmdRemoveIgnoredNormal");
    // The row after the removed one becomes the current one.
    EXPECT_EQ(settings.ignoreList()->rows()->currentRow(), 1);
    ClickPair(&settings, "cmdOKNormal");
    std::string text = kList;
    text.erase(text.find("registry \"HKEY_LOCAL_MACHINE\\Software\\Old\"\n"),
               std::string("registry \"HKEY_LOCAL_MACHINE\\Software\\Old\"\n").size());
    EXPECT_EQ(vostrel::testing::ReadTextFile(Path()), text);
}

TEST_F(IgnoreListBoxTest, AnEmptyListSaysWhereEntriesComeFrom) {
    std::filesystem::remove(Path());
    IgnoreListBox box(nullptr);
    EXPECT_EQ(box.rows()->count(), 0);
    EXPECT_EQ(box.status()->text(), "Ignore list : no entries (add them from the results)");
    // Remove with nothing there changes nothing and writes nothing.
    box.RemoveCurrent();
    std::string error;
    EXPECT_TRUE(box.Save(&error)) << error;
    EXPECT_FALSE(std::filesystem::exists(Path()));
}

}  // namespace
}  // namespace vostrel::shell::testing
