// Scan, repair and restore on a real Wine prefix with planted problems of
// every section and broken shortcuts: the restore gives back every value of
// the registry files (kind and data) and every shortcut byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/scan_driver.h"
#include "results/backup_file.h"
#include "results/repair.h"
#include "scan/catalogue.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "support/wine_e2e_rows.h"
#include "support/wine_prefix_fixture.h"
#include "system/machine.h"
#include "system/text.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

using Values = std::map<std::string, std::pair<DWORD, std::vector<std::uint8_t>>>;

void DumpKey(RegistryApi& registry, HKEY parent, const std::string& path, const std::string& shown,
             Values& out) {
    ScopedKey key(registry);
    if (registry.OpenKeyEx(parent, path, KEY_READ, key.out()) != ERROR_SUCCESS) return;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD length = sizeof name;
        if (registry.EnumValue(key.get(), i, name, &length, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        DWORD kind = 0;
        std::vector<std::uint8_t> data;
        registry.QueryValueRaw(key.get(), std::string_view(name, length), &kind, &data);
        out[UpperAscii(shown) + "|" + UpperAscii(std::string(name, length))] = {kind, data};
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD length = sizeof name;
        if (registry.EnumKeyEx(key.get(), i, name, &length, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name, length);
    }
    for (const auto& child : children)
        DumpKey(registry, parent, path.empty() ? child : path + "\\" + child, shown + "\\" + child,
                out);
}

Values AllValues(const std::string& prefix) {
    MachineResult opened = OpenWinePrefix(prefix);
    EXPECT_TRUE(opened.machine) << opened.error;
    Values values;
    DumpKey(*opened.machine->registry, HKEY_LOCAL_MACHINE, "", "HKLM", values);
    DumpKey(*opened.machine->registry, HKEY_USERS, "", "HKU", values);
    return values;
}

TEST(RepairWineRoundTrip, RestoreGivesBackEveryValueAndShortcut) {
    if (!WineAvailable()) GTEST_SKIP() << "wine is not installed";
    const std::string prefix = SharedWinePrefix();
    PlantProblems(prefix);
    fs::create_directories(prefix + "/drive_c/users/Public/Desktop/More");
    std::string script =
        ShortcutScript("C:\\users\\Public\\Desktop\\Game.lnk", "C:\\Games\\gone.exe", "C:\\Games");
    script += ShortcutScript("C:\\users\\Public\\Desktop\\More\\Game.lnk", "C:\\Other\\gone.exe",
                             "", "-fast");
    ASSERT_TRUE(RunWineScript(script));
    WriteTextFile(prefix + "/drive_c/users/Public/Desktop/Local.url",
                  "[InternetShortcut]\r\nURL=file:///C:/Tools/gone.exe\r\n");
    const std::string desktop = prefix + "/drive_c/users/Public/Desktop/";
    const std::string game1 = ReadTextFile(desktop + "Game.lnk"),
                      game2 = ReadTextFile(desktop + "More/Game.lnk"),
                      url = ReadTextFile(desktop + "Local.url");
    const Values before = AllValues(prefix);

    TempDir work;
    IniSettingsStore settings(work / "settings.ini");
    settings.Save("txtBackup", work / "backups");
    {
        MachineResult opened = OpenWinePrefix(prefix);
        ASSERT_TRUE(opened.machine) << opened.error;
        AnsweringObserver observer;
        ScanSession session(*opened.machine->registry, *opened.machine->files, settings, observer);
        LoadCatalogue(session);
        for (std::size_t i = 1; i <= session.request.sections.Count(); ++i)
            settings.Save(session.request.sections.Text(i),
                          session.request.sections.Text(i) == "Window Shortcut Z" ? "False"
                                                                                  : "True");
        LoadCatalogue(session);
        RunScan(session);
        ASSERT_GE(session.result.problems.Of<RegistryProblem>().size(), 9u);
        ASSERT_EQ(session.result.problems.Of<ShortcutProblem>().size(), 3u);
        const RepairOutcome outcome = RepairAll(session);
        EXPECT_EQ(outcome.kept, 0);
        EXPECT_FALSE(outcome.saveError);
        EXPECT_FALSE(fs::exists(desktop + "Game.lnk"));
        ASSERT_FALSE(outcome.backupFilePath.empty());
    }
    EXPECT_NE(AllValues(prefix), before);
    std::vector<std::string> backups;
    for (const auto& entry : fs::directory_iterator(work / "backups"))
        if (entry.is_regular_file()) backups.push_back(entry.path().string());
    ASSERT_EQ(backups.size(), 1u);
    {
        MachineResult opened = OpenWinePrefix(prefix);
        ASSERT_TRUE(opened.machine) << opened.error;
        const RestoreReport report =
            RestoreBackupFile(*opened.machine->registry, *opened.machine->files, settings,
                              backups[0]);
        EXPECT_TRUE(report.ok()) << report.failures.front();
    }
    EXPECT_EQ(AllValues(prefix), before);
    EXPECT_EQ(ReadTextFile(desktop + "Game.lnk"), game1);
    EXPECT_EQ(ReadTextFile(desktop + "More/Game.lnk"), game2);
    EXPECT_EQ(ReadTextFile(desktop + "Local.url"), url);
}

}  // namespace
