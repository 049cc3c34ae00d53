// Registry data whose text the ANSI code page cannot carry is tested by its
// real name on a Wine prefix: a file that is there is never reported, a
// missing one is, whatever its characters.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "scan/catalogue.h"
#include "scan/registry_walker.h"
#include "support/scan_fakes.h"
#include "support/temp_dir.h"
#include "system/machine.h"
#include "system/registry.h"
#include "system/text.h"

namespace vostrel {
namespace {

const std::string kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

std::string MinimalPrefix(const testing::TempDir& dir) {
    const std::string header = "WINE REGISTRY Version 2\n";
    testing::WriteTextFile(dir / "system.reg",
                           header + ";; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n");
    testing::WriteTextFile(
        dir / "user.reg",
        header +
            ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n");
    testing::WriteTextFile(
        dir / "userdef.reg",
        header + ";; All keys relative to REGISTRY\\\\User\\\\.Default\n\n#arch=win64\n");
    std::filesystem::create_directories(dir / "drive_c");
    std::filesystem::create_directories(dir / "dosdevices");
    std::filesystem::create_symlink("../drive_c", dir / "dosdevices/c:");
    return dir.path();
}

void SetText(RegistryApi& registry, const std::string& keyPath, const std::string& name,
             const std::string& utf8) {
    HKEY key = kNullKey;
    ASSERT_EQ(registry.CreateKeyEx(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_ALL_ACCESS, &key, nullptr),
              ERROR_SUCCESS);
    std::u16string wide = Utf8ToUtf16(utf8);
    wide.push_back(u'\0');
    std::vector<std::uint8_t> raw;
    for (char16_t c : wide) {
        raw.push_back(static_cast<std::uint8_t>(c & 0xFF));
        raw.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    EXPECT_EQ(registry.SetValueRaw(key, name, REG_SZ, raw), ERROR_SUCCESS);
    registry.CloseKey(key);
}

TEST(UnicodeData, PathsOutsideTheAnsiCodePageAreTestedByTheirRealNames) {
    testing::TempDir dir;
    const std::string prefix = MinimalPrefix(dir);
    // "C:\日本\app.exe" and "C:\Apps\😀.exe" exist; the "gone" files do not.
    testing::WriteTextFile(dir / "drive_c/\xE6\x97\xA5\xE6\x9C\xAC/app.exe", "MZ");
    testing::WriteTextFile(dir / "drive_c/Apps/\xF0\x9F\x98\x80.exe", "MZ");
    {
        MachineResult opened = OpenWinePrefix(prefix);
        ASSERT_TRUE(opened.machine) << opened.error;
        RegistryApi& registry = *opened.machine->registry;
        SetText(registry, kAppPaths + "\\app.exe", "", "C:\\\xE6\x97\xA5\xE6\x9C\xAC\\app.exe");
        SetText(registry, kAppPaths + "\\smile.exe", "", "C:\\Apps\\\xF0\x9F\x98\x80.exe");
        // Upper case of the stored name: found as Wine finds it.
        SetText(registry, kAppPaths + "\\upper.exe", "", "C:\\\xE6\x97\xA5\xE6\x9C\xAC\\APP.EXE");
        SetText(registry, kAppPaths + "\\gone.exe", "", "C:\\Caf\xC3\xA9\\gone.exe");
        SetText(registry, kAppPaths + "\\nihon.exe", "", "C:\\\xE6\x97\xA5\xE6\x9C\xAC\\gone.exe");
        SetText(registry, kAppPaths + "\\smilegone.exe", "", "C:\\Apps\\\xF0\x9F\x98\x81.exe");
        SetText(registry, kAppPaths + "\\what.exe", "", "C:\\Gone\\wh?t.exe");
    }
    MachineResult opened = OpenWinePrefix(prefix);
    ASSERT_TRUE(opened.machine) << opened.error;
    testing::MemorySettings settings;
    testing::RecordingObserver observer;
    ScanSession session(*opened.machine->registry, *opened.machine->files, settings, observer);
    WalkRegistryKeys(session, HKEY_LOCAL_MACHINE, kAppPaths, kSectionAppPaths,
                     "HKEY_LOCAL_MACHINE");
    std::vector<std::string> reported;
    for (std::size_t i = 1; i <= session.result.problems.Of<RegistryProblem>().size(); ++i)
        reported.push_back(session.result.problems.Of<RegistryProblem>()[(i)-1].testedPath);
    // In the order of the keys: gone, nihon, smilegone, what. A real question
    // mark stored in the data is tested too.
    EXPECT_EQ(reported,
              (std::vector<std::string>{"C:\\Caf\xC3\xA9\\gone.exe",
                                        "C:\\\xE6\x97\xA5\xE6\x9C\xAC\\gone.exe",
                                        "C:\\Apps\\\xF0\x9F\x98\x81.exe", "C:\\Gone\\wh?t.exe"}));
}

}  // namespace
}  // namespace vostrel
