// The problems a removed program left, grouped per program: a real scan of a
// small machine whose programs' folders are gone, and the groups it gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/scan_driver.h"
#include "results/problem_groups.h"
#include "results/problem_id.h"
#include "scan/catalogue.h"
#include "support/scan_fakes.h"
#include "system/text.h"

namespace vostrel {
namespace {

using testing::FakeMachine;
constexpr HKEY kHklm = HKEY_LOCAL_MACHINE;
const std::string kCv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kHelp = "SOFTWARE\\Microsoft\\Windows\\Help";

void PlantFolders(FakeMachine& m) {
    m.registry.SetString(kHklm, kCv, "ProgramFilesDir", "C:\\Program Files");
    m.registry.SetString(kHklm, kCv, "ProgramFilesDir (x86)", "C:\\Program Files (x86)");
    m.registry.SetString(kHklm, kCv, "CommonFilesDir", "C:\\Program Files\\Common Files");
    m.files.AddFolder("C:\\Program Files\\Common Files");
    m.files.AddFolder("C:\\Program Files (x86)");
    m.files.AddFile("C:\\windows\\system32\\MsiExec.exe");
}

// A machine where the user deleted C:\Games\Deep by hand, and more.
void PlantRemovedPrograms(FakeMachine& m, const std::string& deepLocation = "C:\\Games\\Deep") {
    PlantFolders(m);
    // Deep: known from its uninstall entry, which says where it lay.
    const std::string deep = kCv + "\\Uninstall\\Deep";
    m.registry.SetString(kHklm, deep, "DisplayName", "Deep Space");
    m.registry.SetString(kHklm, deep, "InstallLocation", deepLocation);
    m.registry.SetString(kHklm, deep, "UninstallString", "\"C:\\Games\\Deep\\unins000.exe\" /S");
    m.registry.SetString(kHklm, deep, "DisplayIcon", "C:\\Games\\Deep\\deep.exe,0");
    m.registry.SetString(kHklm, kCv + "\\App Paths\\deep.exe", "", "C:\\Games\\Deep\\deep.exe");
    m.registry.SetString(kHklm, kCv + "\\App Paths\\deep.exe", "Path", deepLocation);
    m.registry.SetString(kHklm, kHelp, "deep.hlp", "C:\\Games\\Deep\\help\\");
    m.registry.SetString(kHklm, kCv + "\\Run", "DeepTray", "\"C:\\games\\DEEP\\tray.exe\" /min");
    // Its control, found twice (through HKEY_CLASSES_ROOT and the machine's
    // class key) in one place.
    m.registry.SetString(HKEY_CLASSES_ROOT, "CLSID\\{DEE9}\\InprocServer32", "",
                         "C:\\Games\\Deep\\deepctl.dll");
    // Deep2 lies beside it, its folder a name Deep's is the start of.
    const std::string deep2 = kCv + "\\Uninstall\\Deep2";
    m.registry.SetString(kHklm, deep2, "UninstallString", "C:\\Games\\Deep2\\uninst.exe");
    m.registry.SetString(kHklm, kHelp, "deep2.hlp", "C:\\Games\\Deep2\\");
    // Tool: no entry of its own, only files below Program Files.
    m.registry.SetString(kHklm, kCv + "\\Run", "Tool", "C:\\Program Files\\Tool\\tool.exe");
    m.registry.SetString(kHklm, kHelp, "tool.chm", "C:\\Program Files\\Tool\\doc\\");
    // An installer's entry whose only files are in the Windows folder: no
    // folder, grouped by its key.
    const std::string msi = kCv + "\\Uninstall\\{5A1E}";
    m.registry.SetString(kHklm, msi, "DisplayName", "Gone Tool");
    m.registry.SetString(kHklm, msi, "DisplayIcon", "C:\\windows\\Installer\\{5A1E}\\gone.ico");
    m.registry.SetString(kHklm, msi, "InstallSource", "C:\\windows\\Installer\\{5A1E}\\gone.msi");
    // Problems of no program.
    m.registry.SetString(kHklm, kCv + "\\Run", "Lone", "C:\\Program Files\\Lone\\lone.exe");
    m.registry.SetString(kHklm, kCv + "\\Run", "Stray", "C:\\gone\\stray.exe");
    m.registry.SetString(kHklm, kHelp, "shared.hlp", "C:\\Program Files\\Common Files\\Help\\");
    m.registry.SetString(kHklm, kHelp, "shared2.hlp", "C:\\Program Files\\Common Files\\Help\\");
    m.registry.SetString(kHklm, kHelp, "pfroot.hlp", "C:\\Program Files\\");
    m.registry.SetString(kHklm, kHelp, "pfroot2.hlp", "C:\\Program Files\\");
}

void Scan(FakeMachine& m) {
    LoadCatalogue(m.session);
    RunScan(m.session);
    // A shortcut on the desktop to Deep's program, and a broken one elsewhere.
    m.session.result.problems.AddOf<ShortcutProblem>(
        {"C:\\users\\Public\\Desktop\\Deep.lnk", "C:\\Games\\Deep\\deep.exe", "target not found"});
    m.session.result.problems.AddOf<ShortcutProblem>(
        {"C:\\users\\Public\\Desktop\\Old.lnk", "D:\\old.exe", "target not found"});
}

// A problem as "key tail|value" or the shortcut's file name.
std::string Label(const Problem& problem) {
    if (const auto* value = std::get_if<RegistryProblem>(&problem)) {
        const std::size_t slash = value->keyPath.rfind('\\');
        const std::string root = value->rootName == "HKEY_CLASSES_ROOT" ? "HKCR " : "";
        return root + value->keyPath.substr(slash + 1) + "|" + value->valueName;
    }
    return std::get<ShortcutProblem>(problem).path.substr(24);  // the file name
}

const ProblemGroup& Named(const ProblemGroups& groups, const std::string& name) {
    for (const ProblemGroup& group : groups.groups)
        if (group.name == name) return group;
    throw std::runtime_error("no group " + name);
}

TEST(ProblemGroups, EveryProblemGoesWithTheProgramItBelongsTo) {
    FakeMachine m;
    PlantRemovedPrograms(m);
    Scan(m);
    const ProblemGroups groups = FindProblemGroups(m.session);

    std::map<std::string, std::string> groupOf;  // label -> group name, "" for none
    for (std::size_t i = 0; i < m.session.result.problems.size(); ++i) {
        const ProblemGroup* group = groups.GroupOf({i});
        groupOf[Label(m.session.result.problems[i])] = group ? group->name : "";
    }
    const std::map<std::string, std::string> expected{
        {"Deep|InstallLocation", "Deep Space"},
        {"Deep|UninstallString", "Deep Space"},
        {"Deep|DisplayIcon", "Deep Space"},
        {"deep.exe|(Default)", "Deep Space"},
        {"deep.exe|Path", "Deep Space"},
        {"Help|deep.hlp", "Deep Space"},
        {"Run|DeepTray", "Deep Space"},  // the path in other letter case
        {"InprocServer32|(Default)", "Deep Space"},
        {"HKCR InprocServer32|(Default)", "Deep Space"},
        {"Deep.lnk", "Deep Space"},
        {"Deep2|UninstallString", "Deep2"},
        {"Help|deep2.hlp", "Deep2"},
        {"Run|Tool", "Tool"},
        {"Help|tool.chm", "Tool"},
        {"{5A1E}|DisplayIcon", "Gone Tool"},
        {"{5A1E}|InstallSource", "Gone Tool"},
        {"Run|Lone", ""},          // the only problem of its folder
        {"Run|Stray", ""},         // in no program's folder
        {"Help|shared.hlp", ""},   // Common Files is no program's folder
        {"Help|shared2.hlp", ""},  //
        {"Help|pfroot.hlp", ""},   // a file right in Program Files
        {"Help|pfroot2.hlp", ""},  //
        {"Old.lnk", ""},           //
    };
    EXPECT_EQ(groupOf, expected);

    ASSERT_EQ(groups.groups.size(), 4u);
    std::vector<std::string> lines;
    for (const ProblemGroup& group : groups.groups) lines.push_back(GroupLine(group));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Deep Space (C:\\Games\\Deep): 10 leftovers in 6 places",
                         "Deep2 (C:\\Games\\Deep2): 2 leftovers in 2 places",
                         "Tool (C:\\Program Files\\Tool): 2 leftovers in 2 places",
                         "Gone Tool: 2 leftovers in 1 place",
                     }));
    EXPECT_EQ(Named(groups, "Deep Space").uninstallKey,
              "HKEY_LOCAL_MACHINE\\" + kCv + "\\Uninstall\\Deep");
    EXPECT_EQ(Named(groups, "Gone Tool").folder, "");
    EXPECT_EQ(Named(groups, "Gone Tool").uninstallKey,
              "HKEY_LOCAL_MACHINE\\" + kCv + "\\Uninstall\\{5A1E}");
    EXPECT_EQ(Named(groups, "Tool").uninstallKey, "");
    // Within a group each problem names the section that found it.
    std::vector<std::string> toolLines;
    for (const ProblemRef& ref : Named(groups, "Tool").problems)
        toolLines.push_back(GroupedProblemLine(m.session, ref));
    EXPECT_EQ(toolLines,
              (std::vector<std::string>{
                  "Help Files: This file could not be found on your hard drive:C:\\Program "
                  "Files\\Tool\\doc\\tool.chm",
                  "Windows Startup: This file could not be found on your hard drive:C:\\Program "
                  "Files\\Tool\\tool.exe",
              }));
    EXPECT_EQ(GroupedProblemLine(m.session, Named(groups, "Deep Space").problems.back()),
              "Windows Shortcut: The path of this file is incorrect : "
              "C:\\users\\Public\\Desktop\\Deep.lnk");
    // Every problem of a group is listed once, in list order, and points back at it.
    for (std::size_t g = 0; g < groups.groups.size(); ++g)
        for (std::size_t k = 0; k < groups.groups[g].problems.size(); ++k) {
            EXPECT_EQ(groups.groupOf[groups.groups[g].problems[k].index], g);
            if (k > 0) {
                EXPECT_LT(groups.groups[g].problems[k - 1].index,
                          groups.groups[g].problems[k].index);
            }
        }
}

TEST(ProblemGroups, IdsAreStableAcrossScansAndSpellings) {
    FakeMachine first;
    PlantRemovedPrograms(first);
    Scan(first);
    const ProblemGroups before = FindProblemGroups(first.session);
    RunScan(first.session);
    Scan(first);
    const ProblemGroups again = FindProblemGroups(first.session);
    // Another machine whose entries write the folder in other letters, with
    // a separator at its end.
    FakeMachine second;
    PlantRemovedPrograms(second, "c:\\GAMES\\deep\\");
    Scan(second);
    const ProblemGroups other = FindProblemGroups(second.session);

    ASSERT_EQ(before.groups.size(), 4u);
    ASSERT_EQ(again.groups.size(), 4u);
    ASSERT_EQ(other.groups.size(), 4u);
    std::vector<std::string> ids;
    for (std::size_t g = 0; g < 4; ++g) {
        EXPECT_EQ(before.groups[g].id, again.groups[g].id);
        EXPECT_EQ(before.groups[g].id, other.groups[g].id);
        EXPECT_EQ(before.groups[g].id.size(), 16u);
        EXPECT_EQ(before.Find(" " + UpperAscii(before.groups[g].id) + " "), &before.groups[g]);
        EXPECT_FALSE(FindProblemById(first.session, before.groups[g].id));
        ids.push_back(before.groups[g].id);
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(before.Find("0123456789abcdef"), nullptr);
    EXPECT_EQ(before.Find(""), nullptr);
    // The folder as the entries write it is kept for showing.
    EXPECT_EQ(Named(other, "Deep Space").folder, "c:\\GAMES\\deep");
}

TEST(ProblemGroups, AGroupsTickBoxTicksEachOfItsProblems) {
    FakeMachine m;
    PlantRemovedPrograms(m);
    Scan(m);
    const ProblemGroups groups = FindProblemGroups(m.session);
    const ProblemGroup& deep = Named(groups, "Deep Space");
    const ProblemGroup& tool = Named(groups, "Tool");
    const std::size_t all = m.session.result.problems.size();
    EXPECT_EQ(GroupTickOf(m.session, deep), GroupTick::All);

    SetGroupTick(m.session, deep, false);
    EXPECT_EQ(GroupTickOf(m.session, deep), GroupTick::None);
    EXPECT_EQ(GroupTickOf(m.session, tool), GroupTick::All);
    EXPECT_EQ(SelectedCount(m.session), all - deep.problems.size());
    for (const ProblemRef& ref : deep.problems) EXPECT_FALSE(IsSelected(m.session, ref));

    SetSelected(m.session, deep.problems[3], true);
    EXPECT_EQ(GroupTickOf(m.session, deep), GroupTick::Some);
    SetGroupTick(m.session, deep, true);
    EXPECT_EQ(GroupTickOf(m.session, deep), GroupTick::All);
    EXPECT_EQ(SelectedCount(m.session), all);
}

TEST(ProblemGroups, ProgramsOnlyWhereTheirEntriesSayWhere) {
    FakeMachine m;
    PlantFolders(m);
    // An uninstaller in the Windows folder and an icon on a drive's root
    // name no program folder: the entry's problems stay together by key,
    // the Windows folder's other problems stay apart.
    const std::string odd = kCv + "\\Uninstall\\Odd";
    m.registry.SetString(kHklm, odd, "UninstallString", "C:\\windows\\odd_uninst.exe");
    m.registry.SetString(kHklm, odd, "DisplayIcon", "C:\\odd.ico");
    m.registry.SetString(kHklm, kHelp, "win.hlp", "C:\\windows\\");
    m.registry.SetString(kHklm, kHelp, "root.hlp", "C:\\");
    // An App Paths entry whose Path names two folders: the first full one counts.
    const std::string app = kCv + "\\App Paths\\app.exe";
    m.registry.SetString(kHklm, app, "", "D:\\Elsewhere\\app.exe");
    m.registry.SetString(kHklm, app, "Path", ";relative;C:\\Apps\\App;C:\\Apps\\More");
    m.registry.SetString(kHklm, kHelp, "app.hlp", "C:\\Apps\\App\\");
    // A program of one problem only.
    m.registry.SetString(kHklm, kCv + "\\Uninstall\\Single", "UninstallString",
                         "C:\\Single\\uninst.exe");
    LoadCatalogue(m.session);
    RunScan(m.session);
    const ProblemGroups groups = FindProblemGroups(m.session);

    std::vector<std::string> lines;
    for (const ProblemGroup& group : groups.groups) lines.push_back(GroupLine(group));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "App (C:\\Apps\\App): 3 leftovers in 2 places",
                         "Odd: 2 leftovers in 1 place",
                     }));
    std::size_t grouped = 0;
    for (const std::size_t g : groups.groupOf) grouped += g != ProblemGroups::kNoGroup;
    EXPECT_EQ(grouped, 5u);
    EXPECT_EQ(m.session.result.problems.size(), 8u);
}

// Problems as another scan might record them, in uninstall entries of the
// 32-bit view and of the user.
void AddValueProblem(FakeMachine& m, HKEY root, const std::string& key, const std::string& value,
                     const std::string& missing) {
    RegistryProblem problem;
    problem.root = root;
    problem.rootName = std::string(RootName(root));
    problem.keyPath = key;
    problem.valueName = value;
    problem.testedPath = missing;
    problem.section = "Uninstall Section";
    problem.scanner = "Uninstall Section";
    m.session.result.problems.AddOf<RegistryProblem>(problem);
}

TEST(ProblemGroups, EntriesOfEveryViewAndUserGoWithTheirProgram) {
    FakeMachine m;
    PlantFolders(m);
    // One program registered twice, in the 64-bit and the 32-bit view, its
    // folder written with a variable in the second.
    const std::string wide = kCv + "\\Uninstall\\Deep";
    const std::string narrow =
        "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Deep";
    m.registry.SetString(kHklm, wide, "InstallLocation", "C:\\Program Files\\Deep");
    m.registry.SetString(kHklm, narrow, "InstallLocation", "%ProgramFiles%\\Deep", REG_EXPAND_SZ);
    m.registry.SetString(kHklm, narrow, "DisplayName", "Deep (32-bit)");
    AddValueProblem(m, kHklm, wide, "DisplayIcon", "C:\\Program Files\\Deep\\deep.ico");
    AddValueProblem(m, kHklm, narrow, "UninstallString", "C:\\Program Files\\Deep\\un.exe");
    // A user's own entry with no folder that can be read, and a value below it.
    const std::string mine = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mine";
    m.registry.SetDword(HKEY_CURRENT_USER, mine, "InstallLocation", 7);
    AddValueProblem(m, HKEY_CURRENT_USER, mine, "DisplayIcon", "D:\\mine.ico");
    AddValueProblem(m, HKEY_CURRENT_USER, mine + "\\Parts", "Help", "E:\\mine.hlp");
    // An uninstall key with no entry below it is no program.
    AddValueProblem(m, kHklm, kCv + "\\Uninstall", "Stray", "C:\\Program Files\\Deep\\x.exe");

    const ProblemGroups groups = FindProblemGroups(m.session);
    std::vector<std::string> lines;
    for (const ProblemGroup& group : groups.groups) lines.push_back(GroupLine(group));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Deep (32-bit) (C:\\Program Files\\Deep): 3 leftovers in 3 places",
                         "Mine: 2 leftovers in 2 places",
                     }));
    EXPECT_EQ(groups.groups[0].uninstallKey, "HKEY_LOCAL_MACHINE\\" + wide);
    EXPECT_EQ(groups.groups[1].uninstallKey, "HKEY_CURRENT_USER\\" + mine);
}

TEST(ProblemGroups, PathsCompareOnWholeParts) {
    struct Case {
        std::string path, folder;
        bool beneath;
    };
    const std::vector<Case> cases{
        {"C:\\Games\\Deep", "C:\\Games\\Deep", true},
        {"C:\\Games\\Deep\\", "c:\\games\\deep", true},
        {"c:/games/deep/bin/x.exe", "C:\\Games\\Deep", true},
        {"C:\\Games\\Deep\\\\x.exe", "C:\\Games\\Deep\\", true},
        {"C:\\Games\\Deep2\\x.exe", "C:\\Games\\Deep", false},
        {"C:\\Games\\Dee", "C:\\Games\\Deep", false},
        {"C:\\Games", "C:\\Games\\Deep", false},
        {"D:\\Games\\Deep\\x.exe", "C:\\Games\\Deep", false},
        {"C:\\x.exe", "C:\\", true},
        {"\"C:\\Spiele\\Caf\xC3\xA9\\x.exe\"", "C:\\SPIELE\\CAF\xC3\x89", true},
        {"Games\\Deep\\x.exe", "Games\\Deep", false},
        {"", "C:\\", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsAtOrBeneath(c.path, c.folder), c.beneath) << c.path << " in " << c.folder;
}

TEST(ProblemGroups, ProgramOfACommandLine) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"\"C:\\Program Files\\Deep\\unins000.exe\" /S", "C:\\Program Files\\Deep\\unins000.exe"},
        {"C:\\Program Files\\Deep\\unins000.exe /SILENT", "C:\\Program Files\\Deep\\unins000.exe"},
        {"C:\\Program Files\\Deep\\deep.exe,0", "C:\\Program Files\\Deep\\deep.exe"},
        {"C:\\Program Files\\Deep\\deep.ico,-101", "C:\\Program Files\\Deep\\deep.ico"},
        {"C:\\Deep\\DEEP.EXE", "C:\\Deep\\DEEP.EXE"},
        {"  C:\\Deep\\run.exe.bak  ", "C:\\Deep\\run.exe.bak"},
        {"MsiExec.exe /X{5A1E}", ""},
        {"\"C:\\Deep\\unterminated.exe /S", ""},
        {"C:\\", ""},
        {"", ""},
    };
    for (const auto& [command, program] : cases)
        EXPECT_EQ(ProgramOfCommand(command).value_or(""), program) << command;
}

}  // namespace
}  // namespace vostrel
