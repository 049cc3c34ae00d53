// What the repair's question and dry run say before anything is done: each
// ticked problem under its verb, a key that goes whole listed once, files on
// a drive that maps a host folder and the user's menu entries and icons
// called out as outside the prefix.
#include <gtest/gtest.h>

#include "results/repair_plan.h"
#include "session/scan_session.h"
#include "support/memory_registry.h"
#include "support/scan_fakes.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "system/settings.h"

using namespace vostrel;
using namespace vostrel::testing;

namespace {

// A prefix whose c: is its own and whose z: maps the host's folder.
class PrefixFiles : public HostFolderFileSystem {
public:
    std::optional<std::string> PrefixFolder() override { return "/prefix"; }
    DriveOwner OwnerOfDrive(char letter) override {
        return letter == 'Z' ? DriveOwner{false, "/"} : DriveOwner{};
    }
};

RegistryProblem Value(const std::string& key, const std::string& name, bool wholeKey = false) {
    RegistryProblem problem;
    problem.root = HKEY_LOCAL_MACHINE;
    problem.rootName = "HKEY_LOCAL_MACHINE";
    problem.keyPath = key;
    problem.valueName = name;
    problem.wholeKey = wholeKey;
    return problem;
}

TEST(RepairPlan, EveryTickedProblemIsSaidOnceUnderItsVerb) {
    MemoryRegistry registry;
    PrefixFiles files;
    TempDir dir;
    IniSettingsStore settings{dir / "settings.ini"};
    AnsweringObserver observer;
    ScanSession session{registry, files, settings, observer};
    auto& problems = session.result.problems;
    const std::string paths = "SOFTWARE\\App Paths\\";
    problems.AddOf<RegistryProblem>(Value(paths + "gone.exe", "(Default)", true));
    problems.AddOf<RegistryProblem>(Value(paths + "gone.exe", "Path"));
    problems.AddOf<RegistryProblem>(Value(paths + "half.exe", "(Default)", true));
    problems.AddOf<RegistryProblem>(Value(paths + "half.exe", "Path"));
    problems.AddOf<RegistryProblem>(Value("SOFTWARE\\Run", "Tool"));
    problems.AddOf<RegistryProblem>(Value("SOFTWARE\\Run", "Unticked"));
    problems.AddOf<ShortcutProblem>({"C:\\users\\Public\\Desktop\\a.lnk", "", ""});
    problems.AddOf<ShortcutProblem>({"Z:\\home\\ann\\Desktop\\b.lnk", "", ""});
    MenuEntryProblem entry;
    entry.path = "/home/ann/.local/share/applications/wine/Programs/Gone.desktop";
    entry.icons = {"/home/ann/.local/share/icons/hicolor/48x48/apps/gone.png"};
    problems.AddOf<MenuEntryProblem>(entry);
    // half.exe's Path is left alone: its key cannot go whole.
    problems.Of<RegistryProblem>()[3].selected = false;
    problems.Of<RegistryProblem>()[5].selected = false;

    const RepairPlan plan = PlanRepair(session);
    EXPECT_EQ(plan.problems, 7u);
    std::vector<std::pair<PlannedAction, std::string>> steps;
    for (const auto& step : plan.steps) steps.emplace_back(step.action, step.item);
    const std::string hklm = "HKEY_LOCAL_MACHINE\\";
    EXPECT_EQ(steps, (std::vector<std::pair<PlannedAction, std::string>>{
                         {PlannedAction::RemoveKey, hklm + paths + "gone.exe"},
                         {PlannedAction::BlankValue, hklm + paths + "half.exe value (Default)"},
                         {PlannedAction::RemoveValue, hklm + "SOFTWARE\\Run value Tool"},
                         {PlannedAction::DeleteFile, "C:\\users\\Public\\Desktop\\a.lnk"},
                         {PlannedAction::DeleteOutside, "Z:\\home\\ann\\Desktop\\b.lnk"},
                         {PlannedAction::DeleteOutside, entry.path},
                         {PlannedAction::DeleteOutside, entry.icons[0]},
                     }));
    EXPECT_EQ(RepairButtonText(plan), "Delete 3 entries and 4 files");
    EXPECT_EQ(RepairPlanText(plan, 1),
              "Default values to blank (1):\n  " + hklm + paths +
                  "half.exe value (Default)\n"
                  "\nValues to remove (1):\n  " +
                  hklm +
                  "SOFTWARE\\Run value Tool\n"
                  "\nKeys to remove with all their values (1):\n  " +
                  hklm + paths +
                  "gone.exe\n"
                  "\nFiles to delete inside the prefix (1):\n  C:\\users\\Public\\Desktop\\a.lnk\n"
                  "\nFiles to delete OUTSIDE the prefix (your menus, icons, host folders) (3):\n"
                  "  Z:\\home\\ann\\Desktop\\b.lnk\n  … and 2 more\n");
}

}  // namespace
