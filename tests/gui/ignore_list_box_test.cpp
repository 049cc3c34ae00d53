// The ignore list in the settings window: every entry shown with its value
// and machine, Remove kept in the window until OK, the close button
// leaving the file as it was.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <filesystem>

#include "gui_fixture.h"
#include "ignore/ignore_list.h"
#include "shell/ignore_list_box.h"
#include "shell/main_window.h"
#include "shell/results_view.h"
#include "shell/settings_window.h"
#include "system/settings.h"

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

// A key pattern typed in the window goes into the file as the command
// line's "ignore add --key" writes it (the root by its full name, for this
// machine), on OK only; the next scan leaves out what it names.
TEST_F(IgnoreListBoxTest, AKeyPatternAddedInTheWindowIsWrittenAsTheCommandLineDoesAndScansSkipIt) {
    std::filesystem::remove(Path());
    {
        IniSettingsStore store(DefaultSettingsPath());
        store.Save("Registry Integrity", "False");
        store.Save("Configuration files", "False");
    }
    MainWindow& main = Main();
    const std::string machine = IgnoreMachineOf(*app_);
    constexpr const char* kPattern =
        "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\photo*.exe";
    OnNextModal([&](QWidget* modal) {
        auto* settings = qobject_cast<SettingsDialog*>(modal);
        ASSERT_NE(settings, nullptr);
        IgnoreListBox* box = settings->ignoreList();
        // What the list cannot hold is refused, with the reason, and nothing is added.
        box->keyPattern()->setText("HKXX\\Software\\Old");
        ClickPair(settings, "cmdAddIgnoredNormal");
        EXPECT_EQ(box->rows()->count(), 0);
        EXPECT_TRUE(box->status()->text().startsWith("Not added: "))
            << box->status()->text().toStdString();
        EXPECT_EQ(box->keyPattern()->text(), "HKXX\\Software\\Old");
        box->keyPattern()->setText(kPattern);
        ClickPair(settings, "cmdAddIgnoredNormal");
        ASSERT_EQ(box->rows()->count(), 1);
        EXPECT_EQ(box->rows()->item(0)->text().toStdString(),
                  "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App "
                  "Paths\\photo*.exe  (" +
                      machine + ")");
        EXPECT_TRUE(box->keyPattern()->text().isEmpty());
        // Twice is once.
        box->keyPattern()->setText(kPattern);
        EXPECT_FALSE(box->AddKeyPattern());
        EXPECT_EQ(box->rows()->count(), 1);
        EXPECT_FALSE(std::filesystem::exists(Path()));
        ClickPair(settings, "cmdOKNormal");
    });
    ClickPair(&main, "ImgSettingsNormal");
    // The lines "vostrel-cli ignore add --key PATTERN" writes for this
    // machine, after the comment a new list starts with.
    const std::string text = vostrel::testing::ReadTextFile(Path());
    EXPECT_TRUE(text.ends_with(
        "\n\n[machine \"" + machine +
        "\"]\nregistry \"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App "
        "Paths\\photo*.exe\"\n"))
        << text;
    std::string error;
    const auto written = LoadIgnoreList(Path(), &error);
    ASSERT_TRUE(written) << error;
    EXPECT_EQ(written->Entries().size(), 1u);

    // The App Paths entry of the removed PhotoEdit (its program and its
    // folder) is left out of the next scan; the rest is found as before.
    ClickPair(&main, "ImgScanNowNormal");
    WaitUntilIdle();
    EXPECT_EQ(app_->session.result.ignoredCount, 2u);
    EXPECT_EQ(app_->session.ProblemCount(), 12u);
    for (const RegistryProblem& problem : app_->session.result.problems.Of<RegistryProblem>())
        EXPECT_EQ(problem.keyPath.find("App Paths\\photoedit.exe"), std::string::npos)
            << problem.keyPath;
}

}  // namespace
}  // namespace vostrel::shell::testing
