// Names outside the ANSI code page on real Wine prefixes: folders made on
// disk, the Run value planted with Wine's own `reg add`, the shortcuts made by
// Wine's shell through wscript. A target that exists, whatever its
// characters, is silent; one that is missing is reported, from the registry
// and from a shortcut alike. The same holds when the prefix's own folder has
// such a name, the registry file Wine wrote still saves byte for byte, and a
// repair backs up and restores such values and shortcuts exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/scan_driver.h"
#include "results/backup_file.h"
#include "results/repair.h"
#include "scan/catalogue.h"
#include "scan/registry_walker.h"
#include "shortcuts/drive_walk.h"
#include "support/scan_fakes.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/machine.h"
#include "system/shortcut_reader.h"
#include "system/text.h"
#include "system/wine/wine_reg_file.h"
#include "system/wine/wine_registry.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;

const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kNihon = "\xE6\x97\xA5\xE6\x9C\xAC";          // 日本
const std::string kGames = "Jeux \xC3\x89t\xC3\xA9 " + kNihon;  // Jeux Été 日本
const std::string kGameExe = "C:\\Program Files\\" + kGames + "\\jeu.exe";
const std::string kGoneExe = "C:\\Program Files\\" + kNihon + "\\gone.exe";
const std::string kCafeExe = "C:\\Program Files\\Caf\xC3\xA9\\app.exe";
const std::string kCafeGone = "C:\\Program Files\\Caf\xC3\xA9\\gone.exe";
const std::string kLinks = "C:\\Raccourcis " + kNihon;

// A JScript string literal for UTF-8 text: every unit outside ASCII as
// \uXXXX, so the script file itself stays ASCII whatever code page wscript
// reads it in.
std::string JsText(const std::string& utf8) {
    std::string out = "\"";
    for (char16_t unit : Utf8ToUtf16(utf8)) {
        if (unit == u'\\' || unit == u'"') {
            out += '\\';
            out += static_cast<char>(unit);
        } else if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(unit));
            out += escaped;
        }
    }
    return out + "\"";
}

std::string ShortcutStatements(const std::string& link, const std::string& target) {
    return "l = sh.CreateShortcut(" + JsText(link) + ");\r\nl.TargetPath = " + JsText(target) +
           ";\r\nl.Save();\r\n";
}

// The text of a HKLM value, empty when it is missing.
std::string ReadRegistryText(RegistryApi& registry, const std::string& keyPath,
                             const std::string& name) {
    HKEY key = kNullKey;
    if (registry.OpenKeyEx(HKEY_LOCAL_MACHINE, keyPath, KEY_READ, &key) != ERROR_SUCCESS) return {};
    const std::string text = ReadValueAsText(registry, key, name);
    registry.CloseKey(key);
    return text;
}

// `wine reg add ... /f`, once more when it fails: under a heavy load Wine
// now and then fails to start a program in a prefix whose wineserver is
// just starting or stopping, and setting a value twice does no harm.
bool RegAdd(const std::string& prefix, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"reg", "add"};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back("/f");
    if (testing::RunWine(prefix, argv) == 0) return true;
    testing::WaitForWineserver(prefix);
    return testing::RunWine(prefix, argv) == 0;
}

// Plants the folders, the values and the shortcuts in a copy of the template
// prefix at `prefix`; what went wrong, or nothing.
std::string Plant(const std::string& prefix) {
    testing::CopyTemplatePrefix(prefix);
    const std::string programs = prefix + "/drive_c/Program Files/";
    testing::WriteTextFile(programs + kGames + "/jeu.exe", "MZ");
    testing::WriteTextFile(programs + "Caf\xC3\xA9/app.exe", "MZ");
    fs::create_directories(prefix + "/drive_c/Raccourcis " + kNihon);
    for (const auto& [name, data] :
         std::vector<std::pair<std::string, std::string>>{{"Jeu", kGameExe},
                                                          {"Parti", kGoneExe},
                                                          {"Caf\xC3\xA9", kCafeExe},
                                                          {"Perdu", kCafeGone}})
        if (!RegAdd(prefix, {"HKLM\\" + kRun, "/v", name, "/d", data}))
            return "reg add failed for " + name;
    if (!RegAdd(prefix,
                {"HKCU\\Software\\" + kGames, "/v", "\xC3\x89t\xC3\xA9 " + kNihon, "/d", kNihon}))
        return "reg add failed for the key of names";
    std::string script = "var sh = new ActiveXObject(\"WScript.Shell\");\r\nvar l;\r\n";
    script += ShortcutStatements(kLinks + "\\Jeu.lnk", kGameExe);
    script += ShortcutStatements(kLinks + "\\Parti " + kNihon + ".lnk", kGoneExe);
    script += ShortcutStatements(kLinks + "\\Caf\xC3\xA9.lnk", kCafeExe);
    script += ShortcutStatements(kLinks + "\\Perdu.lnk", kCafeGone);
    {
        std::ofstream out(prefix + "/drive_c/make-links.js", std::ios::binary);
        out << script;
    }
    const int status = testing::RunWine(prefix, {"wscript", "C:\\make-links.js"});
    testing::WaitForWineserver(prefix);
    fs::remove(prefix + "/drive_c/make-links.js");
    if (status != 0) return "wscript failed";
    for (const char* link : {"Jeu.lnk", "Caf\xC3\xA9.lnk", "Perdu.lnk"})
        if (!fs::exists(prefix + "/drive_c/Raccourcis " + kNihon + "/" + link))
            return std::string("wscript made no ") + link;
    return {};
}

// One planted prefix per folder name, made on first use and kept for every
// test of that name (a test that changes it puts it back).
class UnicodeWine : public ::testing::TestWithParam<std::string> {
protected:
    struct Planted {
        testing::TempDir dir;
        std::string prefix;
        std::string error;
    };
    static std::map<std::string, std::unique_ptr<Planted>>& Prefixes() {
        static std::map<std::string, std::unique_ptr<Planted>> prefixes;
        return prefixes;
    }
    static void TearDownTestSuite() {
        for (auto& [name, planted] : Prefixes()) testing::KillWineserver(planted->prefix);
        Prefixes().clear();
    }
    void SetUp() override {
        if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
        // Wine takes the command line in the host's character set.
        setenv("LC_ALL", "C.UTF-8", 1);
        auto& planted = Prefixes()[GetParam()];
        if (!planted) {
            planted = std::make_unique<Planted>();
            planted->prefix = planted->dir / GetParam();
            planted->error = Plant(planted->prefix);
        }
        ASSERT_TRUE(planted->error.empty()) << planted->error;
        prefix_ = planted->prefix;
    }

    std::string prefix_;
};

TEST_P(UnicodeWine, ExistingTargetsAreSilentAndMissingOnesReported) {
    MachineResult opened = OpenWinePrefix(prefix_);
    ASSERT_TRUE(opened.machine) << opened.error;
    testing::MemorySettings settings;
    testing::RecordingObserver observer;
    ScanSession session(*opened.machine->registry, *opened.machine->files, settings, observer);
    ScanKeyValues(session, HKEY_LOCAL_MACHINE, kRun, kSectionStartup, "HKEY_LOCAL_MACHINE");
    std::vector<std::string> data;
    for (std::size_t i = 1; i <= session.result.problems.Of<RegistryProblem>().size(); ++i)
        data.push_back(session.result.problems.Of<RegistryProblem>()[(i)-1].testedPath);
    EXPECT_EQ(data, (std::vector<std::string>{kGoneExe, kCafeGone}));

    // Wine's shell writes the local path in the ANSI code page ("Jeux Été ??"):
    // the target comes from the forms kept in UTF-16.
    EXPECT_EQ(ReadShortcut(*opened.machine->files, kLinks + "\\Jeu.lnk").targetPath, kGameExe);
    EXPECT_EQ(
        ReadShortcut(*opened.machine->files, kLinks + "\\Parti " + kNihon + ".lnk").targetPath,
        kGoneExe);
    ScanFolderForShortcuts(session, kLinks);
    std::vector<std::string> links;
    for (const auto& row : session.result.problems.Of<ShortcutProblem>()) links.push_back(row.path);
    std::sort(links.begin(), links.end());
    EXPECT_EQ(links, (std::vector<std::string>{kLinks + "\\Parti " + kNihon + ".lnk",
                                               kLinks + "\\Perdu.lnk"}));
}

TEST_P(UnicodeWine, NamesReadAsWineWroteThemAndTheFileSavesUnchanged) {
    const std::string userReg = prefix_ + "/user.reg";
    const std::string written = testing::ReadTextFile(userReg);
    ASSERT_NE(written.find("\\\\Jeux \\xc9t\\xe9 \\x65e5\\x672c]"), std::string::npos)
        << "Wine writes such names with \\x escapes";
    std::string error;
    auto parsed = RegFile::Parse(userReg, written, &error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(parsed->Serialize(), written);

    auto registry = OpenWineRegistry(prefix_, &error);
    ASSERT_TRUE(registry) << error;
    HKEY key = kNullKey;
    // Letter case of names outside ASCII folds as Wine folds it.
    ASSERT_EQ(registry->OpenKeyEx(HKEY_CURRENT_USER, "Software\\JEUX \xC3\x89T\xC3\x89 " + kNihon,
                                  KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    char name[64];
    DWORD nameSize = sizeof name;
    DWORD type = 0;
    std::uint8_t value[64];
    DWORD valueSize = 3;  // too small: the sizes are counted in UTF-8 bytes
    EXPECT_EQ(registry->EnumValue(key, 0, name, &nameSize, &type, value, &valueSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(valueSize, kNihon.size() + 1);
    nameSize = sizeof name;
    valueSize = sizeof value;
    ASSERT_EQ(registry->EnumValue(key, 0, name, &nameSize, &type, value, &valueSize),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, nameSize), "\xC3\x89t\xC3\xA9 " + kNihon);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(value), valueSize), kNihon + '\0');

    // A value written through the program reads back the same in Wine.
    const std::string text = "C:\\" + kNihon + "\\\xF0\x9F\x98\x80.exe";
    ASSERT_EQ(registry->SetValueEx(key, "\xC3\xA9t\xC3\xA9 " + kNihon, REG_SZ,
                                   reinterpret_cast<const std::uint8_t*>(text.c_str()),
                                   static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
    registry->CloseKey(key);
    registry.reset();
    // Wine exports it (as UTF-16) with every character.
    ASSERT_EQ(testing::RunWine(prefix_,
                               {"reg", "export", "HKCU\\Software\\" + kGames, "C:\\out.reg", "/y"}),
              0);
    testing::WaitForWineserver(prefix_);
    const std::string exported = testing::ReadTextFile(prefix_ + "/drive_c/out.reg");
    std::u16string units(exported.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(exported[2 * i]) |
                                         (static_cast<unsigned char>(exported[2 * i + 1]) << 8));
    const std::string shown = Utf16ToUtf8(units);
    EXPECT_NE(shown.find("\"\xC3\x89t\xC3\xA9 " + kNihon + "\"=\"C:\\\\" + kNihon +
                         "\\\\\xF0\x9F\x98\x80.exe\""),
              std::string::npos)
        << shown;
}

TEST_P(UnicodeWine, RepairBacksUpAndRestoresEveryCharacter) {
    const std::string brokenLink =
        prefix_ + "/drive_c/Raccourcis " + kNihon + "/Parti " + kNihon + ".lnk";
    const std::string linkBytes = testing::ReadTextFile(brokenLink);
    std::vector<std::uint8_t> runBytes;
    {
        auto registry = OpenWineRegistry(prefix_, nullptr);
        ASSERT_TRUE(registry);
        HKEY key = kNullKey;
        ASSERT_EQ(registry->OpenKeyEx(HKEY_LOCAL_MACHINE, kRun, KEY_READ, &key), ERROR_SUCCESS);
        DWORD type = 0;
        ASSERT_EQ(registry->QueryValueRaw(key, "Parti", &type, &runBytes), ERROR_SUCCESS);
    }
    testing::TempDir work;
    testing::MemorySettings settings;
    settings.Save("txtBackup", work / "backups");
    std::string backup;
    {
        MachineResult opened = OpenWinePrefix(prefix_);
        ASSERT_TRUE(opened.machine) << opened.error;
        testing::AnsweringObserver observer;
        ScanSession session(*opened.machine->registry, *opened.machine->files, settings, observer);
        ScanKeyValues(session, HKEY_LOCAL_MACHINE, kRun, kSectionStartup, "HKEY_LOCAL_MACHINE");
        CountSectionProblems(session, kSectionStartup);
        ScanFolderForShortcuts(session, kLinks);
        ASSERT_EQ(session.result.problems.Of<RegistryProblem>().size(), 2u);
        ASSERT_EQ(session.result.problems.Of<ShortcutProblem>().size(), 2u);
        const RepairOutcome outcome = RepairAll(session);
        EXPECT_FALSE(outcome.refusal.has_value());
        EXPECT_EQ(outcome.kept, 0);
        backup = outcome.backupFilePath;
        ASSERT_FALSE(backup.empty());
    }
    EXPECT_FALSE(fs::exists(brokenLink));
    // The existing game's shortcut and Run value were never touched.
    EXPECT_TRUE(fs::exists(prefix_ + "/drive_c/Raccourcis " + kNihon + "/Jeu.lnk"));
    {
        MachineResult opened = OpenWinePrefix(prefix_);
        ASSERT_TRUE(opened.machine) << opened.error;
        EXPECT_EQ(ReadRegistryText(*opened.machine->registry, kRun, "Jeu"), kGameExe);
        EXPECT_EQ(ReadRegistryText(*opened.machine->registry, kRun, "Parti"), "");
        const RestoreReport report =
            RestoreBackupFile(*opened.machine->registry, *opened.machine->files, settings, backup);
        EXPECT_TRUE(report.ok()) << report.failures.front();
    }
    EXPECT_EQ(testing::ReadTextFile(brokenLink), linkBytes);
    auto registry = OpenWineRegistry(prefix_, nullptr);
    ASSERT_TRUE(registry);
    HKEY key = kNullKey;
    ASSERT_EQ(registry->OpenKeyEx(HKEY_LOCAL_MACHINE, kRun, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<std::uint8_t> restored;
    ASSERT_EQ(registry->QueryValueRaw(key, "Parti", &type, &restored), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(restored, runBytes);
}

INSTANTIATE_TEST_SUITE_P(Prefixes, UnicodeWine,
                         ::testing::Values(std::string("prefix"),
                                           "pr\xC3\xA9"
                                           "fixe " +
                                               kNihon),
                         [](const auto& info) {
                             return info.index == 0 ? "PlainFolder" : "NonLatinFolder";
                         });

}  // namespace
}  // namespace vostrel
