// Folder look-ups, the short path and the existence test over a platform
// that answers what each case needs.
#include <gtest/gtest.h>

#include <string>

#include "support/memory_registry.h"
#include "system/paths.h"

namespace vostrel {
namespace {

using testing::MemoryRegistry;

constexpr const char* kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// A platform whose answers the test sets.
class ScriptedFiles : public FileSystemApi {
public:
    std::string windowsDir = "C:\\windows";
    std::string systemDir = "C:\\windows\\system32";
    std::string shortPath;
    LONG status = ERROR_SUCCESS;
    std::vector<FindData> entries;
    std::string lastPattern;

    std::string GetWindowsDirectory() override { return windowsDir; }
    std::string GetSystemDirectory() override { return systemDir; }
    std::string GetShortPathName(std::string_view) override { return shortPath; }
    LONG FindFiles(std::string_view pattern, std::vector<FindData>* found) override {
        lastPattern = std::string(pattern);
        *found = status == ERROR_SUCCESS ? entries : std::vector<FindData>{};
        return status;
    }
    DWORD GetFileAttributes(std::string_view) override { return INVALID_FILE_ATTRIBUTES; }
    std::vector<Drive> GetDrives() override { return {}; }
    bool GetVolumeInformation(std::string_view, std::string*) override { return false; }
    std::string GetTempPath() override { return {}; }
    bool DeleteFile(std::string_view) override { return false; }
    bool CopyFile(std::string_view, std::string_view) override { return false; }
    std::optional<std::string> HostPath(std::string_view) override { return std::nullopt; }
};

TEST(PathLookup, ProgramAndCommonFilesComeTrimmedFromTheRegistry) {
    MemoryRegistry registry;
    EXPECT_EQ(GetProgramFilesDir(registry), "");
    EXPECT_EQ(GetCommonFilesDir(registry), "");
    registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir",
                       "  C:\\Program Files ");
    registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir",
                       "C:\\Program Files\\Common Files");
    EXPECT_EQ(GetProgramFilesDir(registry), "C:\\Program Files");
    EXPECT_EQ(GetCommonFilesDir(registry), "C:\\Program Files\\Common Files");
    // Asked afresh every time.
    registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "D:\\Apps");
    EXPECT_EQ(GetProgramFilesDir(registry), "D:\\Apps");
    // A kind the registry layer does not read as text gives nothing.
    registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir",
                       "%ProgramFiles%\\Common Files", REG_EXPAND_SZ);
    EXPECT_EQ(GetCommonFilesDir(registry), "");
    EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(PathLookup, WindowsAndSystemFoldersAsThePlatformGivesThem) {
    ScriptedFiles files;
    EXPECT_EQ(GetWindowsDir(files), "C:\\windows");
    EXPECT_EQ(GetSystemDir(files), "C:\\windows\\system32");
    files.windowsDir = "C:\\" + std::string(252, 'w');  // 255 characters still fit
    EXPECT_EQ(GetWindowsDir(files), files.windowsDir);
    files.windowsDir += "w";  // 256 do not: the call fails
    EXPECT_EQ(GetWindowsDir(files), "");
    files.systemDir = "";
    EXPECT_EQ(GetSystemDir(files), "");
}

TEST(PathLookup, ShortPathLongerThanItsBufferGivesNothing) {
    ScriptedFiles files;
    files.shortPath = "C:\\PROG~FBU\\APP";
    EXPECT_EQ(GetShortPath(files, "C:\\Program Files\\App"), "C:\\PROG~FBU\\APP");
    files.shortPath = "C:\\" + std::string(160, 'd');  // 163 characters fit in 164
    EXPECT_EQ(GetShortPath(files, "x"), files.shortPath);
    files.shortPath += "d";  // 164 need a 165th for the NUL
    EXPECT_EQ(GetShortPath(files, "x"), "");
    // Lengths count in the ANSI code page: "é" is one character there, so
    // 163 characters fit although they take 168 bytes of UTF-8.
    files.shortPath = "C:\\" + std::string(155, 'd') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
    EXPECT_EQ(GetShortPath(files, "x"), files.shortPath);
    files.shortPath = "";
    EXPECT_EQ(GetShortPath(files, "C:\\missing"), "");
}

TEST(PathLookup, ExistenceFollowsTheSearchStatus) {
    ScriptedFiles files;
    const FindData file{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE,
                        "boot.ini", "", 10};
    const FindData folder{FILE_ATTRIBUTE_DIRECTORY, "Dir", "", 0};
    const struct {
        LONG status;
        std::vector<FindData> entries;
        bool exists;
    } rows[] = {
        {ERROR_SUCCESS, {file}, true},  // hidden and system: still a file
        {ERROR_SUCCESS, {folder}, false},
        {ERROR_SUCCESS, {folder, folder, file}, true},
        {ERROR_SUCCESS, {}, false},
        {ERROR_FILE_NOT_FOUND, {}, false},
        {ERROR_PATH_NOT_FOUND, {}, false},
        {ERROR_INVALID_NAME, {}, true},  // refused: counts as there
        {ERROR_NOT_READY, {}, true},
        {ERROR_ACCESS_DENIED, {}, true},
    };
    for (const auto& row : rows) {
        files.status = row.status;
        files.entries = row.entries;
        EXPECT_EQ(FileExists(files, "C:\\x"), row.exists) << "status " << row.status;
    }
    EXPECT_EQ(files.lastPattern, "C:\\x");  // searched as given
}

}  // namespace
}  // namespace vostrel
