// The "Wine Menu Entries" row end to end, on entries Wine's own menu
// builder wrote: links saved through Wine's shell in two prefixes of a
// fake home, then a program deleted, a link deleted and the second prefix
// deleted entirely. A scan of the first prefix lists exactly the stale
// entries, with the orphan under its own summary line; the command line's
// repair removes them and the icons only they show, and its restore puts
// every file back byte for byte. A prefix on a disk that is not mounted
// (its mount point an empty folder) is no orphan: the repair of another
// prefix leaves its entries and icons as they were.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/menu_entry_source.h"
#include "app/scan_driver.h"
#include "menus/menu_entries.h"
#include "menus/menu_icons.h"
#include "results/result_views.h"
#include "results/scan_report.h"
#include "scan/catalogue.h"
#include "scan/section_table.h"
#include "support/cli_runner.h"
#include "support/recording_observer.h"
#include "support/scan_fakes.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/machine.h"
#include "wine_menu_fixture.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;
using testing::TempDir;

// Every file below `root` (links as their target text) with its bytes and
// permission bits.
std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        if (entry.is_symlink()) {
            files[relative] = "link to " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            struct stat st {};
            ::stat(entry.path().c_str(), &st);
            files[relative] = std::to_string(st.st_mode & 07777) + ":" + bytes.str();
        }
    }
    return files;
}

std::set<std::string> Names(const std::vector<MenuEntryProblem>& problems) {
    std::set<std::string> names;
    for (const auto& problem : problems) names.insert(problem.name);
    return names;
}

TEST(MenuRowWine, ScanRepairAndRestoreOfWhatWinesMenuBuilderWrote) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    TempDir temp;
    const std::string home = temp.path() + "/home";
    fs::create_directories(home + "/Desktop");
    const std::string a = temp.path() + "/a";
    const std::string b = temp.path() + "/b";
    testing::MakeWinePrefixWithLinks(
        a, home,
        "link(programs + \"\\\\Keep.lnk\", \"C:\\\\Apps\\\\keep.exe\");\r\n"
        "link(programs + \"\\\\Sub Folder\\\\Gone.lnk\", \"C:\\\\Apps\\\\gone.exe\");\r\n"
        "link(programs + \"\\\\Removed.lnk\", \"C:\\\\Apps\\\\keep.exe\");\r\n"
        "link(desktop + \"\\\\Direct.lnk\", \"C:\\\\Apps\\\\gone.exe\");\r\n"
        "link(\"C:\\\\users\\\\Public\\\\Desktop\\\\Shared.lnk\", "
        "\"C:\\\\Apps\\\\keep.exe\");\r\n");
    testing::MakeWinePrefixWithLinks(
        b, home, "link(programs + \"\\\\Lost.lnk\", \"C:\\\\Apps\\\\keep.exe\");\r\n");
    fs::remove(a + "/drive_c/Apps/gone.exe");
    ASSERT_TRUE(fs::remove(testing::WineProgramsFolder(a) + "/Removed.lnk"));
    testing::KillWineserver(b);
    fs::remove_all(b);

    const std::string config = temp.path() + "/config";
    const std::string backups = temp.path() + "/backups";
    fs::create_directories(config);
    const std::string icons = home + "/.local/share/icons";
    ASSERT_TRUE(fs::is_directory(icons)) << "Wine's menu builder saved no icons";

    // The scan, in this process, sees the fake home as the user's.
    std::vector<MenuEntryProblem> found;
    {
        ScopedEnv setHome("HOME", home);
        ScopedEnv setData("XDG_DATA_HOME", home + "/.local/share");
        ScopedEnv setConfig("XDG_CONFIG_HOME", config);
        MachineResult opened = OpenWinePrefix(a);
        ASSERT_TRUE(opened.machine) << opened.error;
        testing::MemorySettings settings;
        testing::RecordingObserver observer;
        ScanSession session(*opened.machine->registry, *opened.machine->files, settings, observer);
        const auto source = OpenMenuEntrySource(*opened.machine->files);
        ASSERT_TRUE(source);
        session.menuEntries = source.get();
        LoadCatalogue(session);
        // The row follows the sections, before the drives.
        const std::size_t menuRow = kSectionRows.size();
        ASSERT_GE(session.request.sections.Count(), menuRow);
        EXPECT_EQ(session.request.sections.Text(menuRow), "Wine Menu Entries");
        EXPECT_EQ(session.request.sections.SmallIcon(menuRow), 13);
        for (std::size_t i = 1; i <= session.request.sections.Count(); ++i)
            session.request.sections.SetChecked(i, i == menuRow);
        RunScan(session);
        found = session.result.problems.Of<MenuEntryProblem>().ToVector();
        EXPECT_EQ(Names(found), (std::set<std::string>{"Direct", "Gone", "Lost", "Removed"}));
        EXPECT_EQ(observer.found, 4u);
        ASSERT_EQ(session.result.summary.size(), 2u);
        EXPECT_EQ(session.result.summary[0].text, "Invalid Wine Menu Entries ( 3 Problem(s) )");
        EXPECT_EQ(session.result.summary[1].text,
                  "Menu entries of deleted Wine prefixes ( 1 Problem(s) )");
        const auto orphans = DetailLines(session, session.result.summary[1].text);
        ASSERT_EQ(orphans.size(), 1u);
        EXPECT_NE(orphans[0].find("Lost"), std::string::npos) << orphans[0];
        EXPECT_NE(orphans[0].find(b), std::string::npos) << orphans[0];
        EXPECT_EQ(DetailLines(session, session.result.summary[0].text).size(), 3u);
        const std::string report = ScanReportText(session, "2026-01-01");
        EXPECT_NE(report.find("Name of Section : Wine Menu Entries of deleted prefixes"),
                  std::string::npos);
        EXPECT_NE(report.find("Total numbers of problems detected : 4"), std::string::npos);
    }
    // The gone program's icon goes with Gone and Direct; keep.exe's stays
    // with Keep, Shared (and Lost, whose prefix had the same program).
    std::set<std::string> goneIcons;
    for (const auto& problem : found) {
        if (problem.name == "Gone" || problem.name == "Direct") {
            EXPECT_FALSE(problem.icons.empty()) << problem.name;
            goneIcons.insert(problem.icons.begin(), problem.icons.end());
        } else {
            EXPECT_TRUE(problem.icons.empty()) << problem.name;
        }
    }
    ASSERT_FALSE(goneIcons.empty());
    const auto before = Snapshot(home);

    const std::vector<std::pair<std::string, std::string>> environment{
        {"HOME", home}, {"XDG_DATA_HOME", home + "/.local/share"}, {"XDG_CONFIG_HOME", config}};
    const auto repair = testing::RunCli(temp.path(), environment,
                                        {"repair", "--prefix", a, "--sections", "Wine Menu Entries",
                                         "--backup-dir", backups, "--yes", "--json"});
    ASSERT_EQ(repair.status, 0) << repair.out << repair.err;
    const auto out = nlohmann::json::parse(repair.out);
    std::set<std::string> listed;
    for (const auto& entry : out["found"]["menuEntries"]) {
        listed.insert(entry["name"].get<std::string>());
        EXPECT_EQ(entry["orphan"].get<bool>(), entry["name"] == "Lost");
        EXPECT_EQ(entry["id"].get<std::string>().size(), 16u);
    }
    EXPECT_EQ(listed, (std::set<std::string>{"Direct", "Gone", "Lost", "Removed"}));
    EXPECT_EQ(out["removed"], 4);
    EXPECT_EQ(out["kept"], 0);
    for (const auto& problem : found) EXPECT_FALSE(fs::exists(problem.path)) << problem.path;
    for (const auto& icon : goneIcons) EXPECT_FALSE(fs::exists(icon)) << icon;
    const auto after = Snapshot(home);
    std::size_t keptIcons = 0;
    for (const auto& [path, bytes] : after)
        if (path.rfind(".local/share/icons/", 0) == 0) ++keptIcons;
    EXPECT_GT(keptIcons, 0u) << "keep.exe's icons went too";
    std::size_t gone = 0;
    for (const auto& [path, bytes] : before)
        if (!after.count(path)) ++gone;
    EXPECT_EQ(gone, found.size() + goneIcons.size());

    const std::string backupFile = out["backupFile"].get<std::string>();
    const auto restore =
        testing::RunCli(temp.path(), environment,
                        {"restore", backupFile, "--prefix", a, "--backup-dir", backups});
    ASSERT_EQ(restore.status, 0) << restore.out << restore.err;
    EXPECT_EQ(Snapshot(home), before);
}

// A prefix on a disk that is not mounted (its folder gone, the mount point
// left empty) is not a deleted prefix, and a program on a drive whose disk
// is not mounted is not a deleted program: their entries are counted as not
// checked, never listed, and a repair of another prefix leaves them and
// their icons as they are.
TEST(MenuRowWine, EntriesOnADiskThatIsNotThereAreLeftAlone) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    TempDir temp;
    const std::string home = temp.path() + "/home";
    fs::create_directories(home + "/Desktop");
    const std::string a = temp.path() + "/a";
    const std::string disk = temp.path() + "/disk";
    const std::string c = disk + "/c";
    fs::create_directories(disk);
    testing::MakeWinePrefixWithLinks(
        a, home, "link(programs + \"\\\\Keep.lnk\", \"C:\\\\Apps\\\\keep.exe\");\r\n");
    // F: of prefix a is a second disk with a game on it, in the menu too.
    const std::string fdisk = temp.path() + "/fdisk";
    fs::create_directories(fdisk + "/Games");
    fs::create_directory_symlink(fdisk, a + "/dosdevices/f:");
    fs::copy_file(a + "/drive_c/Apps/keep.exe", fdisk + "/Games/game.exe");
    std::ofstream(a + "/drive_c/game-link.js", std::ios::binary)
        << "var sh = WScript.CreateObject(\"WScript.Shell\");\r\n"
        << "var l = sh.CreateShortcut(\"C:\\\\users\\\\" << testing::WineUserFolder(a)
        << "\\\\AppData\\\\Roaming\\\\Microsoft\\\\Windows\\\\Start Menu\\\\Programs"
        << "\\\\Game.lnk\");\r\n"
        << "l.TargetPath = \"F:\\\\Games\\\\game.exe\"; l.Save();\r\n";
    testing::RunWineScript(a, home, "C:\\game-link.js");
    testing::MakeWinePrefixWithLinks(
        c, home, "link(programs + \"\\\\Elsewhere.lnk\", \"C:\\\\Apps\\\\keep.exe\");\r\n");
    testing::KillWineserver(c);
    // The disks are unmounted: their mount points are left empty.
    fs::remove_all(c);
    fs::remove_all(fdisk + "/Games");

    const std::string config = temp.path() + "/config";
    fs::create_directories(config);
    {
        ScopedEnv setHome("HOME", home);
        ScopedEnv setData("XDG_DATA_HOME", home + "/.local/share");
        ScopedEnv setConfig("XDG_CONFIG_HOME", config);
        MachineResult opened = OpenWinePrefix(a);
        ASSERT_TRUE(opened.machine) << opened.error;
        testing::MemorySettings settings;
        testing::RecordingObserver observer;
        ScanSession session(*opened.machine->registry, *opened.machine->files, settings, observer);
        const auto source = OpenMenuEntrySource(*opened.machine->files);
        ASSERT_TRUE(source);
        session.menuEntries = source.get();
        LoadCatalogue(session);
        for (std::size_t i = 1; i <= session.request.sections.Count(); ++i)
            session.request.sections.SetChecked(i, session.request.sections.Text(i) ==
                                                       "Wine Menu Entries");
        RunScan(session);
        EXPECT_EQ(Names(session.result.problems.Of<MenuEntryProblem>().ToVector()),
                  std::set<std::string>{});
        EXPECT_EQ(session.result.notChecked.byReason[NotCheckedReason::DriveUnavailable], 2u);
    }

    const auto before = Snapshot(home);
    const std::vector<std::pair<std::string, std::string>> environment{
        {"HOME", home}, {"XDG_DATA_HOME", home + "/.local/share"}, {"XDG_CONFIG_HOME", config}};
    const auto repair = testing::RunCli(temp.path(), environment,
                                        {"repair", "--prefix", a, "--sections", "Wine Menu Entries",
                                         "--yes", "--json"});
    ASSERT_EQ(repair.status, 0) << repair.out << repair.err;
    EXPECT_EQ(Snapshot(home), before);

    // The disk that held c is mounted again but c is really gone: its
    // entries are orphans now.
    std::ofstream(disk + "/other-files.txt") << "a disk in use\n";
    const auto again = testing::RunCli(temp.path(), environment,
                                       {"scan", "--prefix", a, "--sections", "Wine Menu Entries",
                                        "--json", "--quiet"});
    ASSERT_EQ(again.status, 0) << again.err;
    const auto scan = nlohmann::json::parse(again.out);
    std::set<std::string> orphans;
    for (const auto& entry : scan["menuEntries"])
        if (entry["orphan"].get<bool>()) orphans.insert(entry["name"].get<std::string>());
    EXPECT_EQ(orphans, std::set<std::string>{"Elsewhere"});
}

TEST(MenuRowWine, TheRepairOfOnePrefixLeavesThoseOfADiskThatIsNotMountedAlone) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    TempDir temp;
    const std::string home = temp.path() + "/home";
    fs::create_directories(home + "/Desktop");
    const std::string a = temp.path() + "/a";
    const std::string disk = temp.path() + "/disk";  // where a second disk is mounted
    const std::string away = disk + "/Games/away";
    fs::create_directories(disk + "/Games");
    testing::MakeWinePrefixWithLinks(
        a, home,
        "link(programs + \"\\\\Gone.lnk\", \"C:\\\\Apps\\\\gone.exe\");\r\n"
        "link(programs + \"\\\\Keep.lnk\", \"C:\\\\Apps\\\\keep.exe\");\r\n");
    testing::MakeWinePrefixWithLinks(
        away, home,
        "link(programs + \"\\\\Away.lnk\", \"C:\\\\Apps\\\\gone.exe\");\r\n"
        "link(desktop + \"\\\\Away Desk.lnk\", \"C:\\\\Apps\\\\keep.exe\");\r\n");
    fs::remove(a + "/drive_c/Apps/gone.exe");

    // What the prefix on the second disk owns in the home: its entries and
    // the icons they show.
    const menus::MenuPlaces places = menus::MenuPlaces::ForHome(home);
    std::set<std::string> awayFiles;
    std::size_t awayEntries = 0;
    for (const auto& entry : menus::FindWineMenuEntries(places).entries) {
        if (entry.launch.winePrefix != away) continue;
        ++awayEntries;
        awayFiles.insert(fs::relative(entry.path, home).string());
        for (const auto& icon : menus::IconFilesOf(entry, places))
            awayFiles.insert(fs::relative(icon, home).string());
    }
    ASSERT_EQ(awayEntries, 2u);
    ASSERT_GT(awayFiles.size(), awayEntries) << "Wine's menu builder saved no icons";

    // The disk is unmounted: its mount point stays, empty.
    testing::KillWineserver(away);
    fs::remove_all(disk);
    fs::create_directories(disk);
    const auto before = Snapshot(home);

    const std::string config = temp.path() + "/config";
    fs::create_directories(config);
    const std::vector<std::pair<std::string, std::string>> environment{
        {"HOME", home}, {"XDG_DATA_HOME", home + "/.local/share"}, {"XDG_CONFIG_HOME", config}};
    const auto repair =
        testing::RunCli(temp.path(), environment,
                        {"repair", "--prefix", a, "--sections", "Wine Menu Entries", "--backup-dir",
                         temp.path() + "/backups", "--yes", "--json"});
    ASSERT_EQ(repair.status, 0) << repair.out << repair.err;
    const auto out = nlohmann::json::parse(repair.out);
    std::set<std::string> listed;
    for (const auto& entry : out["found"]["menuEntries"])
        listed.insert(entry["name"].get<std::string>());
    EXPECT_EQ(listed, (std::set<std::string>{"Gone"}));
    EXPECT_EQ(out["removed"], 1);
    EXPECT_EQ(out["found"]["notChecked"]["byReason"]["driveUnavailable"], awayEntries);
    EXPECT_EQ(out["found"]["notChecked"]["total"], awayEntries);

    const auto after = Snapshot(home);
    for (const auto& file : awayFiles) {
        ASSERT_TRUE(before.count(file)) << file;
        ASSERT_TRUE(after.count(file)) << file << " went with the repair";
        EXPECT_EQ(after.at(file), before.at(file)) << file;
    }
    std::size_t gone = 0;
    for (const auto& [path, bytes] : before)
        if (!after.count(path)) ++gone;
    EXPECT_GE(gone, 1u);  // Gone's entry, and no icon the prefix on the disk shows

    // Mounted again with the prefix deleted from it, its entries are orphans.
    fs::create_directories(disk + "/Games/other");
    const auto again =
        testing::RunCli(temp.path(), environment,
                        {"scan", "--prefix", a, "--sections", "Wine Menu Entries", "--json"});
    ASSERT_EQ(again.status, 0) << again.out << again.err;
    const auto scanned = nlohmann::json::parse(again.out);
    std::set<std::string> orphans;
    for (const auto& entry : scanned["menuEntries"])
        if (entry["orphan"].get<bool>()) orphans.insert(entry["name"].get<std::string>());
    EXPECT_EQ(orphans, (std::set<std::string>{"Away", "Away Desk"}));
}

}  // namespace
}  // namespace vostrel
