// Menu and desktop entries made by Wine itself: shortcuts saved through
// Wine's shell (wscript) in the Start Menu and on the desktops of two
// prefixes make Wine's menu builder write its entries and icons into a fake
// home. Then a program is deleted, a link is deleted, and the second prefix
// is deleted entirely; the check must list exactly those entries, and the
// icons only the gone program used.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "menus/menu_check.h"
#include "menus/menu_entries.h"
#include "menus/menu_icons.h"
#include "shortcuts/lnk_file.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "wine_menu_fixture.h"

namespace vostrel::menus {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

using testing::MakeWinePrefixWithLinks;
using testing::WineProgramsFolder;
using testing::WineUserFolder;

TEST(MenuEntriesWine, WhatWinesMenuBuilderWroteIsJudgedAfterProgramAndPrefixAreGone) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    TempDir temp;
    const std::string home = temp.path() + "/home";
    fs::create_directories(home + "/Desktop");
    const MenuPlaces places = MenuPlaces::ForHome(home);
    const std::string a = temp.path() + "/a";
    const std::string b = temp.path() + "/b";
    MakeWinePrefixWithLinks(
        a, home,
        "link(programs + \"\\\\Keep.lnk\", \"C:\\\\Apps\\\\keep.exe\");\r\n"
        "link(programs + \"\\\\Sub Folder\\\\Gone.lnk\", \"C:\\\\Apps\\\\gone.exe\");\r\n"
        "link(programs + \"\\\\Removed.lnk\", \"C:\\\\Apps\\\\keep.exe\");\r\n"
        "link(desktop + \"\\\\Direct.lnk\", \"C:\\\\Apps\\\\gone.exe\");\r\n"
        "link(\"C:\\\\users\\\\Public\\\\Desktop\\\\Shared.lnk\", "
        "\"C:\\\\Apps\\\\keep.exe\");\r\n");
    MakeWinePrefixWithLinks(b, home,
                            "link(programs + \"\\\\Lost.lnk\", \"C:\\\\Apps\\\\keep.exe\");\r\n");

    const auto before = FindWineMenuEntries(places);
    std::set<std::string> names;
    for (const auto& entry : before.entries) names.insert(entry.name);
    ASSERT_EQ(names, (std::set<std::string>{"Direct", "Gone", "Keep", "Lost", "Removed", "Shared"}))
        << "Wine's menu builder did not write the entries expected";
    EXPECT_TRUE(before.skipped.empty());
    const auto readLink = [](const std::string& hostPath) -> std::optional<std::string> {
        const auto link = ReadLnkFile(hostPath);
        if (!link) return std::nullopt;
        return link->localPath;
    };
    EXPECT_TRUE(CheckMenuEntries(before.entries, {a, false}, places, readLink).empty());

    fs::remove(a + "/drive_c/Apps/gone.exe");
    const std::string programs = WineProgramsFolder(a);
    ASSERT_TRUE(fs::remove(programs + "/Removed.lnk"));
    testing::KillWineserver(b);
    fs::remove_all(b);

    const auto after = FindWineMenuEntries(places);
    std::vector<std::string> rows;
    std::vector<WineMenuEntry> removing;
    for (const auto& problem : CheckMenuEntries(after.entries, {a, false}, places, readLink)) {
        const char* reason = problem.reason == MenuEntryReason::LinkMissing      ? "link missing"
                             : problem.reason == MenuEntryReason::ProgramMissing ? "program missing"
                                                                                 : "prefix missing";
        rows.push_back(problem.name + ": " + reason + ": " +
                       (problem.linkTarget.empty() ? problem.target : problem.linkTarget));
        for (const auto& entry : after.entries)
            if (entry.path == problem.desktopFile) removing.push_back(entry);
    }
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows,
              (std::vector<std::string>{
                  "Direct: program missing: C:\\Apps\\gone.exe",
                  "Gone: program missing: C:\\Apps\\gone.exe",
                  "Lost: prefix missing: C:\\users\\" + WineUserFolder(a) +
                      "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Lost.lnk",
                  "Removed: link missing: C:\\users\\" + WineUserFolder(a) +
                      "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Removed.lnk",
              }));

    // Gone and Direct show the gone program's icon, which goes with them;
    // keep.exe's icon stays, as Keep and Shared still show it.
    std::set<std::string> goneIcons, keptIcons;
    for (const auto& entry : after.entries) {
        for (const auto& file : IconFilesOf(entry, places))
            (entry.name == "Gone" || entry.name == "Direct" ? goneIcons : keptIcons).insert(file);
    }
    ASSERT_FALSE(goneIcons.empty()) << "Wine's menu builder saved no icon for gone.exe";
    ASSERT_FALSE(keptIcons.empty());
    const auto safe = IconsSafeToRemove(removing, after.entries, places);
    EXPECT_EQ(std::set<std::string>(safe.begin(), safe.end()), goneIcons);
}

}  // namespace
}  // namespace vostrel::menus
