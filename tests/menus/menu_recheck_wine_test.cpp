// A menu entry is judged again right before the repair removes it. Wine's
// menu builder writes entries for two programs of a prefix; both programs
// are deleted and a scan finds both entries stale; then one program is
// installed again. The repair leaves that entry and its icons as they are,
// without a backup record, says it skipped it, and removes the other.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "app/menu_entry_source.h"
#include "app/scan_driver.h"
#include "results/backup_codec.h"
#include "results/repair.h"
#include "scan/catalogue.h"
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

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST(MenuRecheckWine, AnEntryWhoseProgramCameBackStaysAndTheOtherGoes) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    TempDir temp;
    const std::string home = temp.path() + "/home";
    fs::create_directories(home + "/Desktop");
    const std::string prefix = temp.path() + "/prefix";
    testing::MakeWinePrefixWithLinks(
        prefix, home,
        "link(programs + \"\\\\Back.lnk\", \"C:\\\\Apps\\\\gone.exe\");\r\n"
        "link(programs + \"\\\\Still.lnk\", \"C:\\\\Apps\\\\keep.exe\");\r\n");
    const std::string program = prefix + "/drive_c/Apps/gone.exe";
    const std::string programBytes = Bytes(program);
    fs::remove(program);
    fs::remove(prefix + "/drive_c/Apps/keep.exe");

    ScopedEnv setHome("HOME", home);
    ScopedEnv setData("XDG_DATA_HOME", home + "/.local/share");
    ScopedEnv setConfig("XDG_CONFIG_HOME", temp.path() + "/config");
    MachineResult opened = OpenWinePrefix(prefix);
    ASSERT_TRUE(opened.machine) << opened.error;
    testing::MemorySettings settings;
    settings.Save("txtBackup", temp.path() + "/backups");
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
    ASSERT_EQ(session.result.problems.Of<MenuEntryProblem>().size(), 2u);
    const MenuEntryProblem back = session.result.problems.Of<MenuEntryProblem>()[0].name == "Back"
                                      ? session.result.problems.Of<MenuEntryProblem>()[0]
                                      : session.result.problems.Of<MenuEntryProblem>()[1];
    const MenuEntryProblem still = session.result.problems.Of<MenuEntryProblem>()[0].name == "Still"
                                       ? session.result.problems.Of<MenuEntryProblem>()[0]
                                       : session.result.problems.Of<MenuEntryProblem>()[1];
    ASSERT_EQ(back.name, "Back");
    ASSERT_EQ(still.name, "Still");
    ASSERT_FALSE(back.icons.empty());
    const std::string entryBytes = Bytes(back.path);

    // The program is installed again before the repair.
    std::ofstream(program, std::ios::binary) << programBytes;

    std::vector<RepairEvent> events;
    RepairOptions options;
    options.onEvent = [&](const RepairEvent& e) { events.push_back(e); };
    const RepairOutcome outcome = RepairAll(session, options);
    EXPECT_EQ(outcome.removed, 1);
    EXPECT_EQ(outcome.kept, 0);
    EXPECT_EQ(outcome.skipped.nowPresent, 1);
    EXPECT_EQ(outcome.skipped.Total(), 1);
    EXPECT_EQ(Bytes(back.path), entryBytes);
    for (const auto& icon : back.icons) EXPECT_TRUE(fs::exists(icon)) << icon;
    EXPECT_FALSE(fs::exists(still.path));
    bool told = false;
    for (const auto& event : events) {
        if (event.item != back.path) continue;
        told = true;
        EXPECT_EQ(event.what, RepairEvent::What::Skipped);
        EXPECT_EQ(event.why, "now present: C:\\Apps\\gone.exe is there again");
    }
    EXPECT_TRUE(told);

    // The backup holds the removed entry only (and icons only it showed).
    const std::string contents = Bytes(outcome.backupFilePath);
    std::set<std::string> entries;
    for (const auto& line : SplitBackupLines(contents)) {
        const auto fields = ParseBackupLine(line);
        ASSERT_TRUE(fields);
        if ((*fields)[0] == "M") entries.insert((*fields)[1]);
        if ((*fields)[0] != "I") continue;
        for (const auto& icon : back.icons) {
            EXPECT_NE((*fields)[1], icon);
        }
    }
    EXPECT_EQ(entries, std::set<std::string>{still.path});
}

}  // namespace
}  // namespace vostrel
