// The registry walks: which values reach the checks, in which order, with
// which text, and that every key opened on the way is closed again.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "scan/catalogue.h"
#include "scan/registry_walker.h"
#include "support/scan_fakes.h"
#include "system/text.h"

namespace vostrel {
namespace {

using testing::FakeMachine;
constexpr HKEY kHklm = HKEY_LOCAL_MACHINE;
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

void Walk(FakeMachine& m, const std::string& path, std::string_view section = kSectionStartup) {
    WalkRegistryKeys(m.session, kHklm, path, section, "HKEY_LOCAL_MACHINE");
}

void Values(FakeMachine& m, const std::string& path, std::string_view section = kSectionStartup) {
    ScanKeyValues(m.session, kHklm, path, section, "HKEY_LOCAL_MACHINE");
}

std::vector<std::string> Shown(const FakeMachine& m) { return m.observer.values; }

TEST(Walker, WalkLooksBelowTheStartingKeyOnly) {
    FakeMachine m;
    m.registry.SetString(kHklm, kRun, "Direct", "C:\\gone\\direct.exe");
    m.registry.SetString(kHklm, kRun + "\\Sub", "Nested", "C:\\gone\\nested.exe");
    Walk(m, kRun);
    ASSERT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 1u);
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[(1) - 1].testedPath,
              "C:\\gone\\nested.exe");
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[(1) - 1].keyPath, kRun + "\\Sub");
    EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST(Walker, DepthFirstValuesBeforeSubkeys) {
    FakeMachine m;
    const std::string root = "SOFTWARE\\Tree";
    m.registry.SetString(kHklm, root + "\\A", "v", "a");
    m.registry.SetString(kHklm, root + "\\A\\A1", "v", "a1");
    m.registry.SetString(kHklm, root + "\\A\\A1\\A11", "v", "a11");
    m.registry.SetString(kHklm, root + "\\A\\A2", "v", "a2");
    m.registry.SetString(kHklm, root + "\\B", "v", "b");
    Walk(m, root);
    EXPECT_EQ(Shown(m), (std::vector<std::string>{"a", "a1", "a11", "a2", "b"}));
    EXPECT_EQ(m.observer.keys, (std::vector<std::string>{"A", "A1", "A11", "A2", "B"}));
}

TEST(Walker, EveryValueIsExaminedWithItsFullData) {
    FakeMachine m;
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Big";
    const std::string longFolder = "C:\\" + std::string(290, 'x');
    m.registry.SetString(kHklm, key, "DisplayName", "Big");
    m.registry.SetString(kHklm, key, "Comments", std::string(300, 'c'));
    m.registry.SetString(kHklm, key, "UninstallString", longFolder + "\\uninst.exe");
    m.registry.SetString(kHklm, key, std::string(300, 'n'), "long name");
    m.registry.SetString(kHklm, key, "DisplayIcon", "C:\\Big\\big.exe,0");
    m.registry.SetString(kHklm, key + "\\Child", "DisplayIcon", "C:\\Big\\child.ico");
    Walk(m, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", kSectionUninstall);
    EXPECT_EQ(Shown(m).size(), 6u);
    ASSERT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 3u);
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[0].testedPath,
              "C:\\Big\\big.exe");  // the registry's order
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[1].testedPath,
              longFolder + "\\uninst.exe");
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[2].testedPath, "C:\\Big\\child.ico");
}

// A value longer than any command line Windows runs is not read, and the
// rest of its key still is; one just below that is checked whole.
TEST(Walker, DataBeyondTheLongestCommandLineIsCountedNotChecked) {
    FakeMachine m;
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Huge";
    m.registry.SetString(kHklm, key, "UninstallString",
                         "\"C:\\gone\\huge.exe\" " + std::string(3 * 32768, 'a'));
    m.registry.SetString(kHklm, key, "DisplayIcon", "C:\\gone\\huge.ico");
    const std::string justBelow = "C:\\gone\\near.exe /" + std::string(90000, 'b');
    m.registry.SetString(kHklm, key + "\\Near", "UninstallString", justBelow);
    Walk(m, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", kSectionUninstall);
    const auto problems = m.session.result.problems.Of<RegistryProblem>();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].testedPath, "C:\\gone\\huge.ico");
    EXPECT_EQ(problems[1].testedPath, "C:\\gone\\near.exe");
    EXPECT_EQ(problems[1].dataAsRead, justBelow);
    EXPECT_EQ(m.session.result.notChecked.byReason[NotCheckedReason::PathForm], 1u);
    EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST(Walker, ValueKindsAsText) {
    FakeMachine m;
    const std::string key = "SOFTWARE\\Kinds";
    m.registry.SetString(kHklm, key, "expand", "%SystemRoot%\\gone.exe", REG_EXPAND_SZ);
    m.registry.SetBytes(kHklm, key, "multi", REG_MULTI_SZ,
                        {'C', ':', '\\', 'a', '.', 'e', 'x', 'e', 0, 'b', 0, 0});
    m.registry.SetDword(kHklm, key, "dword", 0xFFFFFFFFu);
    m.registry.SetBytes(kHklm, key, "binary", REG_BINARY, {1, 2, 3});
    m.registry.SetString(kHklm, key, "text", "plain");
    Values(m, key, "none");
    // binary, dword, expand, multi, text: the registry's order; an
    // expandable value as it is stored
    EXPECT_EQ(Shown(m),
              (std::vector<std::string>{"", "-1", "%SystemRoot%\\gone.exe", "C:\\a.exe", "plain"}));
    // The same rendering when a value is read by its name.
    ScopedKey open(m.registry);
    ASSERT_EQ(m.registry.OpenKey(kHklm, key, open.out()), ERROR_SUCCESS);
    EXPECT_EQ(ReadValueAsText(m.registry, open.get(), "multi"), "C:\\a.exe");
    EXPECT_EQ(ReadValueAsText(m.registry, open.get(), "dword"), "-1");
    EXPECT_EQ(ReadValueAsText(m.registry, open.get(), "expand"), "%SystemRoot%\\gone.exe");
    std::string checked;
    ASSERT_EQ(ReadValueAsChecked(m.registry, open.get(), "expand", &checked), ERROR_SUCCESS);
    EXPECT_EQ(checked, "%SystemRoot%\\gone.exe");
    EXPECT_EQ(ReadValueAsText(m.registry, open.get(), "missing"), "");
}

// The prefix's environment as a fresh Wine prefix keeps it for its user.
void SetWineEnvironment(FakeMachine& m) {
    const std::string cv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    const std::string profiles = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
    const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
    m.registry.SetString(kHklm, cv, "ProgramFilesDir", "C:\\Program Files");
    m.registry.SetString(kHklm, profiles, "ProgramData", "C:\\ProgramData", REG_EXPAND_SZ);
    m.registry.SetString(kHklm, profiles + "\\S-1-5-21-0-0-0-1000", "ProfileImagePath",
                         "C:\\users\\wine");
    m.registry.SetString(HKEY_CURRENT_USER, explorer + "\\User Shell Folders", "AppData",
                         "%USERPROFILE%\\AppData\\Roaming", REG_EXPAND_SZ);
    m.registry.SetString(HKEY_CURRENT_USER, explorer + "\\Shell Folders", "Local AppData",
                         "C:\\users\\wine\\AppData\\Local");
    m.registry.SetString(HKEY_CURRENT_USER, "Environment", "TEMP", "%USERPROFILE%\\Temp",
                         REG_EXPAND_SZ);
    m.registry.SetString(kHklm, "System\\CurrentControlSet\\Control\\Session Manager\\Environment",
                         "TMP", "%SystemRoot%\\temp", REG_EXPAND_SZ);
}

struct ExpandCase {
    const char* what;
    std::string data;
    std::string tested;  // empty: no problem
};

// An expandable value is checked as the prefix's environment expands it; the
// problem keeps the value as it is stored, and the expanded path it tested.
TEST(Walker, ExpandableTextIsCheckedExpanded) {
    const std::vector<ExpandCase> cases{
        {"system root", "%SystemRoot%\\gone.exe", "C:\\windows\\gone.exe"},
        {"windir, any letter case", "%WINDIR%\\system32\\gone.exe",
         "C:\\windows\\system32\\gone.exe"},
        {"program files, quoted, with a switch", "\"%ProgramFiles%\\Gone\\gone.exe\" /min",
         "C:\\Program Files\\Gone\\gone.exe"},
        {"a present program with a placeholder", "\"%ProgramFiles%\\App\\app.exe\" \"%1\"", ""},
        {"the user's roaming folder from its variable form", "%APPDATA%\\Tool\\tool.exe",
         "C:\\users\\wine\\AppData\\Roaming\\Tool\\tool.exe"},
        {"the user's local folder as Wine wrote it out", "%LOCALAPPDATA%\\Here\\here.exe", ""},
        {"the user's profile", "%USERPROFILE%\\gone.exe", "C:\\users\\wine\\gone.exe"},
        {"the user's TEMP before the machine's", "%TEMP%\\setup\\gone.exe",
         "C:\\users\\wine\\Temp\\setup\\gone.exe"},
        {"the machine's TMP", "%TMP%\\gone.exe", "C:\\windows\\temp\\gone.exe"},
        {"program data", "%ProgramData%\\Gone\\gone.exe", "C:\\ProgramData\\Gone\\gone.exe"},
        {"a present non-Latin path", "%ProgramFiles%\\\xE6\x97\xA5\xE6\x9C\xAC\\app.exe", ""},
        {"an unknown variable", "%VendorHome%\\gone.exe", ""},
        {"a known variable among unknown ones", "%SystemRoot%\\%Lang%\\gone.exe", ""},
        {"a variable of the machine's environment that is not a folder",
         "%PROCESSOR_ARCHITECTURE%\\gone.exe", ""},
        {"no variable at all", "C:\\Gone\\plain.exe", "C:\\Gone\\plain.exe"},
    };
    for (const auto& c : cases) {
        FakeMachine m;
        SetWineEnvironment(m);
        m.files.AddFile("C:\\Program Files\\App\\app.exe");
        m.files.AddFile("C:\\Program Files\\\xE6\x97\xA5\xE6\x9C\xAC\\app.exe");
        m.files.AddFile("C:\\users\\wine\\AppData\\Local\\Here\\here.exe");
        m.registry.SetString(kHklm, kRun, "Tool", c.data, REG_EXPAND_SZ);
        Values(m, kRun);
        const auto problems = m.session.result.problems.Of<RegistryProblem>();
        if (c.tested.empty()) {
            EXPECT_TRUE(problems.empty()) << c.what;
            continue;
        }
        ASSERT_EQ(problems.size(), 1u) << c.what;
        EXPECT_EQ(problems[0].testedPath, c.tested) << c.what;
        EXPECT_EQ(problems[0].dataAsRead, c.data) << c.what;
        EXPECT_EQ(m.observer.values, std::vector<std::string>{c.data}) << c.what;
    }
}

// A prefix that sets none of its user's folders: a value written with them
// names nothing that can be tested.
TEST(Walker, ExpandableTextWithAnUnsetVariableIsNoProblem) {
    FakeMachine m;
    for (const char* variable :
         {"%USERPROFILE%", "%APPDATA%", "%LOCALAPPDATA%", "%TEMP%", "%PUBLIC%", "%ProgramFiles%"})
        m.registry.SetString(kHklm, kRun, variable, std::string(variable) + "\\gone.exe",
                             REG_EXPAND_SZ);
    m.registry.SetString(kHklm, kRun, "Root", "%SystemRoot%\\gone.exe", REG_EXPAND_SZ);
    Values(m, kRun);
    ASSERT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 1u);
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[0].testedPath,
              "C:\\windows\\gone.exe");
}

TEST(Walker, MissingStartingKeyDoesNothing) {
    FakeMachine m;
    Walk(m, "SOFTWARE\\Nowhere");
    Values(m, "SOFTWARE\\Nowhere");
    ListClassIdKeys(m.session, kHklm, "SOFTWARE\\Nowhere");
    EXPECT_TRUE(Shown(m).empty());
    EXPECT_TRUE(m.observer.keys.empty());
    EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST(Walker, ConfigurationRowReadsEveryValueAndChecksNone) {
    FakeMachine m;
    m.registry.SetString(kHklm, "SOFTWARE\\App Paths\\x.exe", "", "C:\\gone\\x.exe");
    m.registry.SetString(kHklm, "SOFTWARE\\Vendor\\Deep\\Deeper", "Path", "C:\\gone\\y.exe");
    // The configuration row walks without a scanner key.
    Walk(m, "SOFTWARE", "");
    EXPECT_EQ(Shown(m), (std::vector<std::string>{"C:\\gone\\x.exe", "C:\\gone\\y.exe"}));
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 0u);
}

// A front end that shows no value (the command line) lets a walk that
// checks nothing skip reading the values; the keys it visits, the problems
// a checking walk finds and the keys it leaves open are the same.
TEST(Walker, ObserverThatShowsNoValuesSeesTheSameKeysAndProblems) {
    struct HidesValues : testing::RecordingObserver {
        bool ShowsValues() const override { return false; }
    };
    FakeMachine m;
    m.registry.SetString(kHklm, kRun, "Top", "C:\\gone\\top.exe");
    m.registry.SetString(kHklm, kRun + "\\A", "Path", "C:\\gone\\a.exe");
    m.registry.SetString(kHklm, kRun + "\\A\\Deeper", "Path", "C:\\gone\\deeper.exe");
    m.registry.SetDword(kHklm, kRun + "\\A\\Deeper", "Count", 7);
    m.registry.SetString(kHklm, kRun + "\\B", "Path", "C:\\gone\\b.exe");
    for (const std::string_view section : {std::string_view(), kSectionStartup}) {
        HidesValues hidden;
        ScanSession session(m.registry, m.files, m.settings, hidden);
        for (auto* walk : {&WalkRegistryKeys, &ScanKeyValues}) {
            walk(session, kHklm, kRun, section, "HKEY_LOCAL_MACHINE");
            walk(m.session, kHklm, kRun, section, "HKEY_LOCAL_MACHINE");
        }
        EXPECT_EQ(hidden.keys, m.observer.keys);
        EXPECT_EQ(hidden.values.empty(), section.empty()) << section;
        if (!section.empty()) {
            EXPECT_EQ(hidden.values, m.observer.values);
        }
        EXPECT_EQ(session.result.problems.Of<RegistryProblem>().empty(), section.empty())
            << section;
        ASSERT_EQ(session.result.problems.Of<RegistryProblem>().size(),
                  m.session.result.problems.Of<RegistryProblem>().size());
        for (std::size_t i = 0; i < session.result.problems.Of<RegistryProblem>().size(); ++i) {
            EXPECT_EQ(session.result.problems.Of<RegistryProblem>()[i].testedPath,
                      m.session.result.problems.Of<RegistryProblem>()[i].testedPath);
            EXPECT_EQ(session.result.problems.Of<RegistryProblem>()[i].keyPath,
                      m.session.result.problems.Of<RegistryProblem>()[i].keyPath);
            EXPECT_EQ(session.result.problems.Of<RegistryProblem>()[i].dataAsRead,
                      m.session.result.problems.Of<RegistryProblem>()[i].dataAsRead);
        }
        EXPECT_EQ(m.registry.OpenHandles(), 0u);
        m.observer.keys.clear();
        m.observer.values.clear();
        m.session.result.problems.ClearOf<RegistryProblem>();
    }
}

// Neither keys nor values shown: a walk that checks nothing tells nothing and
// leaves no key open; a checking walk still finds what it finds.
TEST(Walker, ObserverThatShowsNothingGetsTheProblemsOnly) {
    struct ShowsNothing : testing::RecordingObserver {
        bool ShowsValues() const override { return false; }
        bool ShowsKeys() const override { return false; }
    };
    FakeMachine m;
    m.registry.SetString(kHklm, kRun + "\\A", "Path", "C:\\gone\\a.exe");
    m.registry.SetString(kHklm, kRun + "\\A\\B", "Path", "C:\\gone\\b.exe");
    m.registry.CreateKey(HKEY_CLASSES_ROOT, "CLSID\\{0}");
    ShowsNothing quiet;
    ScanSession session(m.registry, m.files, m.settings, quiet);
    WalkRegistryKeys(session, kHklm, kRun, "", "HKEY_LOCAL_MACHINE");
    ListClassIdKeys(session, HKEY_CLASSES_ROOT, "CLSID");
    EXPECT_TRUE(quiet.keys.empty());
    EXPECT_TRUE(quiet.values.empty());
    WalkRegistryKeys(session, kHklm, kRun, kSectionStartup, "HKEY_LOCAL_MACHINE");
    ASSERT_EQ(session.result.problems.Of<RegistryProblem>().size(), 2u);
    EXPECT_EQ(session.result.problems.Of<RegistryProblem>()[1].keyPath, kRun + "\\A\\B");
    EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST(Walker, CancelInADeepWalkClosesEveryKey) {
    FakeMachine m;
    std::string path = "SOFTWARE\\Deep";
    for (int level = 0; level < 6; ++level) {
        path += "\\L" + std::to_string(level);
        m.registry.SetString(kHklm, path, "a", "C:\\gone\\a" + std::to_string(level) + ".exe");
        m.registry.SetString(kHklm, path, "b", "C:\\gone\\b" + std::to_string(level) + ".exe");
        m.registry.SetString(kHklm, path + "Sibling", "c", "C:\\gone\\c.exe");
    }
    std::size_t maxOpen = 0;
    m.observer.onEvents = [&] {
        maxOpen = std::max(maxOpen, m.registry.OpenHandles());
        if (m.session.result.problems.Of<RegistryProblem>().size() == 5)
            m.session.cancelRequested = true;
    };
    Walk(m, "SOFTWARE\\Deep");
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 5u);
    EXPECT_GE(maxOpen, 3u);
    EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST(Walker, ClassIdListingStopsOnCancel) {
    FakeMachine m;
    for (int i = 0; i < 5; ++i)
        m.registry.CreateKey(HKEY_CLASSES_ROOT, "CLSID\\{" + std::to_string(i) + "}");
    m.registry.SetString(HKEY_CLASSES_ROOT, "CLSID\\{0}\\InprocServer32", "", "C:\\gone.dll");
    m.observer.onEvents = [&] {
        if (m.observer.keys.size() == 2) m.session.cancelRequested = true;
    };
    ListClassIdKeys(m.session, HKEY_CLASSES_ROOT, "CLSID");
    EXPECT_EQ(m.observer.keys, (std::vector<std::string>{"{0}", "{1}"}));
    EXPECT_TRUE(Shown(m).empty());
    EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST(Walker, DispatchSkipsTheCheckOnceCancelled) {
    FakeMachine m;
    m.session.cancelRequested = true;
    DispatchValueCheck(m.session, "C:\\gone.exe", kSectionAppPaths, "", kHklm, "HKEY_LOCAL_MACHINE",
                       "K");
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 0u);
}

// Where the platform squeezed the text through the ANSI code page, the path
// names another file: it is not tested. A '?' that is really stored is.
TEST(Walker, TextSqueezedThroughTheAnsiCodePageIsNotTested) {
    FakeMachine m;
    testing::MemoryRegistry registry(TextSide::Ansi);  // the A functions of Windows
    registry.SetString(kHklm, kRun, "Squeezed", "C:\\\xE6\x97\xA5\xE6\x9C\xAC\\app.exe");
    registry.SetString(kHklm, kRun, "Real", "C:\\Gone\\wh?t.exe");
    registry.SetString(kHklm, kRun, "SqueezedExpand", "%SystemRoot%\\\xE6\x97\xA5\\app.exe",
                       REG_EXPAND_SZ);
    ScanSession session(registry, m.files, m.settings, m.observer);
    ScanKeyValues(session, kHklm, kRun, kSectionStartup, "HKEY_LOCAL_MACHINE");
    ASSERT_EQ(session.result.problems.Of<RegistryProblem>().size(), 1u);
    EXPECT_EQ(session.result.problems.Of<RegistryProblem>()[0].testedPath, "C:\\Gone\\wh?t.exe");
}

}  // namespace
}  // namespace vostrel
