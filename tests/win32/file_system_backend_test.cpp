// The kernel32 side of the native backend: folders, the file search with
// its long and short names and attributes, drives and volumes, file copies.
#include "system/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "system/text.h"
#include "win32/native_fixtures.h"

namespace vostrel {
namespace {

using testing::MakeFile;
using testing::MakeFolder;
using testing::ScratchFolder;
using testing::SetAttributes;

std::vector<std::string> Names(const std::vector<FindData>& found) {
    std::vector<std::string> names;
    for (const auto& entry : found) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

const FindData* Entry(const std::vector<FindData>& found, std::string_view name) {
    for (const auto& entry : found)
        if (entry.name == name) return &entry;
    return nullptr;
}

class NativeFiles : public ::testing::Test {
protected:
    Win32FileSystem files;
    ScratchFolder folder;
};

TEST_F(NativeFiles, SystemFoldersComeWithoutATrailingBackslash) {
    const std::string windows = files.GetWindowsDirectory();
    const std::string system = files.GetSystemDirectory();
    ASSERT_GE(windows.size(), 3u);
    EXPECT_EQ(windows.substr(1, 2), ":\\");
    EXPECT_NE(windows.back(), '\\');
    EXPECT_TRUE(EqualsNoCase(system, windows + "\\system32")) << system;
    EXPECT_EQ(files.GetFileAttributes(system) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);

    const std::string temp = files.GetTempPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_NE(files.GetFileAttributes(temp), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files.HostPath("C:\\x\\y.txt"), "C:\\x\\y.txt");
}

TEST_F(NativeFiles, SearchListsLongAndShortNamesWithoutRegardToCase) {
    MakeFile(folder / "Report.TXT");
    MakeFile(folder / "a.b.c");
    MakeFile(folder / "README");
    MakeFile(folder / "Long File Name.lnk", "12345");
    MakeFolder(folder / "Sub");

    std::vector<FindData> found;
    ASSERT_EQ(files.FindFiles(folder / "*", &found), ERROR_SUCCESS);
    EXPECT_EQ(Names(found), (std::vector<std::string>{".", "..", "Long File Name.lnk", "README",
                                                      "Report.TXT", "Sub", "a.b.c"}));
    const FindData* link = Entry(found, "Long File Name.lnk");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->size, 5u);
    ASSERT_FALSE(link->shortName.empty());
    EXPECT_LE(link->shortName.size(), 12u);
    EXPECT_EQ(Entry(found, "README")->shortName, "");  // already an 8.3 name
    EXPECT_EQ(Entry(found, "Sub")->attributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);

    // The short name finds the long entry, and letter case does not matter.
    ASSERT_EQ(files.FindFiles(folder / link->shortName, &found), ERROR_SUCCESS);
    EXPECT_EQ(Names(found), std::vector<std::string>{"Long File Name.lnk"});
    ASSERT_EQ(files.FindFiles(folder / "*.txt", &found), ERROR_SUCCESS);
    EXPECT_EQ(Names(found), std::vector<std::string>{"Report.TXT"});
    ASSERT_EQ(files.FindFiles(folder / "READ?E", &found), ERROR_SUCCESS);
    EXPECT_EQ(Names(found), std::vector<std::string>{"README"});

    const std::string shortPath = files.GetShortPathName(folder / "Long File Name.lnk");
    EXPECT_TRUE(EqualsNoCase(shortPath.substr(shortPath.rfind('\\') + 1), link->shortName))
        << shortPath;
    EXPECT_EQ(files.GetShortPathName(folder / "missing.txt"), "");
}

TEST_F(NativeFiles, SearchFailuresTellMissingFromRefused) {
    std::vector<FindData> found;
    EXPECT_EQ(files.FindFiles(folder / "missing.txt", &found), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(files.FindFiles(folder / "no folder\\x.txt", &found), ERROR_PATH_NOT_FOUND);
    // A name no file can have is refused, not "not found" (Wine's own search
    // answers ERROR_FILE_NOT_FOUND for these; the backend refuses them itself).
    for (const char* name : {"a|b.txt", "a:b.txt", "tab\t.txt"}) {
        EXPECT_EQ(files.FindFiles(folder / name, &found), ERROR_INVALID_NAME) << name;
        EXPECT_TRUE(found.empty());
    }
    EXPECT_EQ(files.FindFiles("\\\\?\\" + (folder / "missing\\x"), &found), ERROR_PATH_NOT_FOUND);
    // The A functions take no path longer than MAX_PATH: refused, not missing.
    constexpr LONG kFileNameExceedsRange = 206;
    EXPECT_EQ(files.FindFiles(folder / (std::string(280, 'x') + ".exe"), &found),
              kFileNameExceedsRange);
    EXPECT_EQ(files.GetFileAttributes(folder / (std::string(280, 'x') + ".exe")),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(NativeFiles, AttributesComeFromTheSearchAndFromThePath) {
    struct Case {
        const char* name;
        DWORD attributes;
    } cases[] = {
        {"hidden.dll", FILE_ATTRIBUTE_HIDDEN},
        {"system.dll", FILE_ATTRIBUTE_SYSTEM},
        {"both.dll", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {"readonly.dll", FILE_ATTRIBUTE_READONLY},
        {"archive.dll", FILE_ATTRIBUTE_ARCHIVE},
    };
    for (const auto& c : cases) {
        MakeFile(folder / c.name);
        SetAttributes(folder / c.name, c.attributes);
    }
    std::vector<FindData> found;
    ASSERT_EQ(files.FindFiles(folder / "*.dll", &found), ERROR_SUCCESS);
    ASSERT_EQ(found.size(), std::size(cases));
    const DWORD interesting = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY;
    for (const auto& c : cases) {
        const FindData* entry = Entry(found, c.name);
        ASSERT_NE(entry, nullptr) << c.name;
        EXPECT_EQ(entry->attributes & interesting, c.attributes & interesting) << c.name;
        EXPECT_EQ(files.GetFileAttributes(folder / c.name), entry->attributes) << c.name;
    }
    EXPECT_EQ(files.GetFileAttributes(folder / "missing.dll"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files.GetFileAttributes(folder.path()) & FILE_ATTRIBUTE_DIRECTORY,
              FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(NativeFiles, NamesPassThroughTheAnsiCodePage) {
    MakeFile(folder / "Caf\xC3\xA9.txt");
    MakeFile(folder / "\xD0\x96.txt");  // Cyrillic Zhe: not in the code page
    std::vector<FindData> found;
    ASSERT_EQ(files.FindFiles(folder / "Caf\xC3\xA9.txt", &found), ERROR_SUCCESS);
    EXPECT_EQ(Names(found), std::vector<std::string>{"Caf\xC3\xA9.txt"});
    ASSERT_EQ(files.FindFiles(folder / "*.txt", &found), ERROR_SUCCESS);
    EXPECT_EQ(Names(found), (std::vector<std::string>{"?.txt", "Caf\xC3\xA9.txt"}));
}

TEST_F(NativeFiles, CopiesReplaceAndDeletesReport) {
    MakeFile(folder / "from.lnk", "new");
    MakeFile(folder / "to.lnk", "old contents");
    EXPECT_TRUE(files.CopyFile(folder / "from.lnk", folder / "to.lnk"));
    std::vector<FindData> found;
    ASSERT_EQ(files.FindFiles(folder / "to.lnk", &found), ERROR_SUCCESS);
    EXPECT_EQ(found.at(0).size, 3u);
    EXPECT_FALSE(files.CopyFile(folder / "missing.lnk", folder / "x.lnk"));
    EXPECT_TRUE(files.DeleteFile(folder / "to.lnk"));
    EXPECT_FALSE(files.DeleteFile(folder / "to.lnk"));
    EXPECT_EQ(files.GetFileAttributes(folder / "to.lnk"), INVALID_FILE_ATTRIBUTES);
}

TEST(NativeDrives, DriveCIsAFixedReadyVolume) {
    Win32FileSystem files;
    const auto drives = files.GetDrives();
    ASSERT_FALSE(drives.empty());
    EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end(),
                               [](const Drive& a, const Drive& b) { return a.letter < b.letter; }));
    const auto c =
        std::find_if(drives.begin(), drives.end(), [](const Drive& d) { return d.letter == 'C'; });
    ASSERT_NE(c, drives.end());
    EXPECT_EQ(c->type, DriveType::Fixed);
    std::string label = "(untouched)";
    EXPECT_TRUE(files.GetVolumeInformation("C:\\", &label));
    EXPECT_NE(label, "(untouched)");
    // A letter no drive uses.
    char unused = 0;
    for (char letter = 'Z'; letter > 'C' && !unused; --letter)
        if (std::none_of(drives.begin(), drives.end(),
                         [&](const Drive& d) { return d.letter == letter; }))
            unused = letter;
    ASSERT_NE(unused, 0);
    EXPECT_FALSE(files.GetVolumeInformation(std::string(1, unused) + ":\\", &label));
}

}  // namespace
}  // namespace vostrel
