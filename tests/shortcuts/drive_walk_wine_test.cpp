// The whole shortcut scan of a drive of a real Wine prefix, through the
// prefix's own file system backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "session/scan_session.h"
#include "shortcuts/drive_walk.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "system/text.h"
#include "system/wine/wine_files.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

TEST(DriveWalkWine, FindsTheBrokenShortcutsOfADrive) {
    if (!HaveWine()) GTEST_SKIP() << "wine is not installed";
    const std::string prefix = ShortcutTestPrefix();
    ASSERT_FALSE(prefix.empty());
    WriteTextFile(prefix + "/drive_c/walk/target.txt", "x");
    fs::create_directories(prefix + "/drive_c/walk/deep");
    std::string script = ShortcutScript("C:\\walk\\Good.lnk", "C:\\walk\\target.txt");
    script += ShortcutScript("C:\\walk\\deep\\Gone.lnk", "C:\\walk\\gone.exe");
    script += ShortcutScript("C:\\users\\Public\\Desktop\\Old Game.lnk", "C:\\Games\\old.exe");
    ASSERT_TRUE(RunWineScript(script));
    WriteTextFile(prefix + "/drive_c/walk/Site.url",
                  "[InternetShortcut]\r\nURL=http://example.com/\r\n");
    fs::create_directory_symlink(prefix + "/drive_c/walk", prefix + "/drive_c/walk/deep/back");

    WineFileSystem files(prefix, {});
    EmptyRegistry registry;
    AnsweringObserver observer;
    TempDir settingsDir;
    IniSettingsStore settings(settingsDir / "settings.ini");
    ScanSession session(registry, files, settings, observer);
    ScanDriveForShortcuts(session, "C:\\");

    std::vector<std::string> rows;
    for (const auto& row : session.result.problems.Of<ShortcutProblem>()) rows.push_back(row.path);
    auto has = [&rows](const std::string& path) {
        return std::any_of(rows.begin(), rows.end(),
                           [&](const std::string& r) { return EqualsNoCase(r, path); });
    };
    EXPECT_TRUE(has("C:\\walk\\deep\\Gone.lnk"));
    EXPECT_TRUE(has("C:\\users\\Public\\Desktop\\Old Game.lnk"));
    EXPECT_FALSE(has("C:\\walk\\Good.lnk"));
    EXPECT_FALSE(has("C:\\walk\\Site.url"));
    // The link back up the tree is not followed a second time.
    EXPECT_FALSE(has("C:\\walk\\deep\\back\\deep\\Gone.lnk"));
    EXPECT_EQ(observer.found, rows.size());
}
