// The Wine backend on a hand-made prefix: drives from dosdevices, lookups
// with Win32's rules, Wine's listing order, attributes and 8.3 names, the
// file operations, and that the folder cache never shows a stale disk.
// The recorded tables come from Wine 8.0 listing the same files.
#include "system/wine/wine_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/temp_dir.h"
#include "system/paths.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadTextFile;
using testing::TempDir;
using testing::WriteTextFile;

struct ListedEntry {
    std::string name;
    std::string shortName;
    DWORD attributes;
};

// What FindFirstFileW/FindNextFileW gave under Wine 8.0 for "C:\t\*" over
// the folder MakeRecordedFolder builds.
const ListedEntry kRecordedListing[] = {
    {".", "", 0x10},
    {"..", "", 0x10},
    {" lead", "_LEA~IX3", 0x20},
    {".bashrc", "_BAS~0WR", 0x22},
    {".hidden", "_HID~45N", 0x26},
    {".x", "_X~~~UJF", 0x22},
    {"1234567.1234", "1234~WHD.123", 0x20},
    {"12345678.123", "", 0x20},
    {"123456789.12", "1234~FBZ.12", 0x20},
    {"a", "", 0x26},
    {"a b c d e f", "A_B_~FBO", 0x20},
    {"A long file name.txt", "A_LO~PHD.TXT", 0x20},
    {"a,b", "A_B~~GNH", 0x20},
    {"a..b", "A_~~~TDW.B", 0x20},
    {"a.b.c", "A_B~~54C.C", 0x20},
    {"a.bcde", "A~~~~A4B.BCD", 0x20},
    {"a;b", "A_B~~WI0", 0x20},
    {"a=b", "A_B~~WJL", 0x20},
    {"ab", "", 0x20},
    {"AB1", "", 0x21},
    {"abc", "", 0x26},
    {"ABC.TXT", "", 0x20},
    {"ab~1.txt", "", 0x20},
    {"alpha", "", 0x20},
    {"a[b]", "A_B_~4FN", 0x20},
    {"a_b", "", 0x20},
    {"b", "", 0x22},
    {"B2", "", 0x24},
    {"Common Files", "COMM~CP1", 0x20},
    {"file.", "FILE~CUC", 0x20},
    {"hello.world.txt", "HELL~AUB.TXT", 0x20},
    {"longfilename.html", "LONG~2HU.HTM", 0x20},
    {"MiXeD.Txt", "", 0x20},
    {"my file.jpeg", "MY_F~Y23.JPE", 0x20},
    {"naïve file.txt", "NA_V~V4K.TXT", 0x20},
    {"Program Files", "PROG~FBU", 0x20},
    {"readme", "", 0x26},
    {"ro", "", 0x11},
    {"Sub Dir", "SUB_~HWM", 0x10},
    {"sub2", "", 0x13},
    {"TEST~1", "", 0x20},
    {"trail ", "TRAI~5RC", 0x20},
    {"UPPER CASE.TXT", "UPPE~CKV.TXT", 0x20},
    {"x y", "X_Y~~R0B", 0x20},
    {"x+y", "X_Y~~BY1", 0x20},
    {"x.y z", "X~~~~JQW.Y_Z", 0x20},
    {"Zeta", "", 0x20},
    {"_under", "", 0x20},
    {"~tilde", "", 0x21},
    {"Ä", "_~~~~2TL", 0x20},
    {"ä", "_~~~~2TL", 0x20},
    {"é.txt", "_~~~~XHP.TXT", 0x20},
    {"日本語.txt", "___~~ALB.TXT", 0x20},
};

class WineFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(prefix_ + "/dosdevices");
        fs::create_directories(prefix_ + "/drive_c");
        fs::create_directories(prefix_ + "/drive_z");
        fs::create_directories(prefix_ + "/floppy");
        symlink("../drive_c", (prefix_ + "/dosdevices/c:").c_str());
        symlink("../drive_z", (prefix_ + "/dosdevices/z:").c_str());
        symlink("../floppy", (prefix_ + "/dosdevices/a:").c_str());
        symlink("../missing", (prefix_ + "/dosdevices/e:").c_str());
        symlink("/dev/null", (prefix_ + "/dosdevices/d::").c_str());
        symlink("/dev/null", (prefix_ + "/dosdevices/com1").c_str());
    }

    std::string Host(const std::string& relative) const { return prefix_ + "/drive_c/" + relative; }
    void File(const std::string& relative, const std::string& contents = "x") {
        fs::create_directories(fs::path(Host(relative)).parent_path());
        WriteTextFile(Host(relative), contents);
    }
    void Folder(const std::string& relative) { fs::create_directories(Host(relative)); }
    // False when the file system keeps no user extended attributes.
    bool Store(const std::string& relative, std::string_view value) {
        return setxattr(Host(relative).c_str(), "user.DOSATTRIB", value.data(), value.size(), 0) ==
               0;
    }
    void Mode(const std::string& relative, mode_t mode) { chmod(Host(relative).c_str(), mode); }

    std::vector<std::string> Names(std::string_view pattern) {
        std::vector<FindData> found;
        files_.FindFiles(pattern, &found);
        std::vector<std::string> names;
        for (const auto& entry : found) names.push_back(entry.name);
        return names;
    }
    LONG Status(std::string_view pattern) {
        std::vector<FindData> found;
        return files_.FindFiles(pattern, &found);
    }

    // The folder C:\t that Wine listed for the recorded tables; false when
    // extended attributes cannot be stored here.
    bool MakeRecordedFolder() {
        const auto& rows = kRecordedListing;
        for (auto it = std::rbegin(rows); it != std::rend(rows); ++it) {
            const std::string name = it->name;
            if (name == "." || name == "..") continue;
            if (it->attributes & FILE_ATTRIBUTE_DIRECTORY)
                Folder("t/" + name);
            else
                File("t/" + name);
        }
        bool stored = Store("t/a", "0x6") && Store("t/b", "0x2") && Store("t/B2", "0x4") &&
                      Store("t/.x", "0x0") && Store("t/.hidden", "0x4") && Store("t/ab", "0x21") &&
                      Store("t/abc", "0x16") && Store("t/alpha", "6") &&
                      Store("t/readme", std::string_view("0x6\0junk", 8)) &&
                      Store("t/sub2", "0x2") && Store("t/Zeta", "0x2z");
        Mode("t/AB1", 0444);
        Mode("t/a_b", 0464);
        Mode("t/_under", 0466);
        Mode("t/~tilde", 0000);
        Mode("t/sub2", 0555);
        Mode("t/ro", 0500);
        return stored;
    }

    TempDir dir_;
    std::string prefix_ = dir_.path();
    WineFileSystem files_{prefix_, {{'Z', DriveType::CdRom}}, 0};
};

TEST_F(WineFilesTest, ListingMatchesWineNameForNameAttributeForAttribute) {
    if (!MakeRecordedFolder()) GTEST_SKIP() << "no user extended attributes on " << prefix_;
    std::vector<FindData> found;
    ASSERT_EQ(files_.FindFiles("C:\\t\\*", &found), ERROR_SUCCESS);
    ASSERT_EQ(found.size(), std::size(kRecordedListing));
    for (std::size_t i = 0; i < found.size(); ++i) {
        const auto& wine = kRecordedListing[i];
        EXPECT_EQ(found[i].name, wine.name) << "entry " << i;
        EXPECT_EQ(found[i].shortName, wine.shortName) << wine.name;
        EXPECT_EQ(found[i].attributes, wine.attributes) << wine.name;
    }
    // "." and ".." carry the folder's own attributes and its parent's.
    std::vector<FindData> sub;
    ASSERT_EQ(files_.FindFiles("C:\\t\\sub2\\*", &sub), ERROR_SUCCESS);
    ASSERT_EQ(sub.size(), 2u);
    EXPECT_EQ(sub[0].attributes, 0x13u);
    EXPECT_EQ(sub[1].attributes, 0x10u);
}

TEST_F(WineFilesTest, WildcardsMatchLongAndShortNamesAsWineDoes) {
    MakeRecordedFolder();
    using V = std::vector<std::string>;
    EXPECT_EQ(Names("C:\\t\\a?b"), (V{"a,b", "a;b", "a=b", "a_b"}));
    EXPECT_EQ(Names("C:\\t\\??"), (V{"..", ".x", "ab", "B2", "ro"}));
    EXPECT_EQ(Names("C:\\t\\?"), (V{".", "a", "b", "\xC3\x84", "\xC3\xA4"}));
    EXPECT_EQ(Names("C:\\t\\a.*"), (V{"a", "a..b", "a.b.c", "a.bcde"}));
    EXPECT_EQ(Names("C:\\t\\*.b"), (V{"a..b"}));
    EXPECT_EQ(Names("C:\\t\\prog*"), (V{"Program Files"}));
    EXPECT_EQ(Names("C:\\t\\PROG~*"), (V{"Program Files"}));
    EXPECT_EQ(Names("C:\\t\\*.TXT"),
              (V{"A long file name.txt", "ABC.TXT", "ab~1.txt", "hello.world.txt", "MiXeD.Txt",
                 "na\xC3\xAFve file.txt", "UPPER CASE.TXT", "\xC3\xA9.txt",
                 "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt"}));
    EXPECT_EQ(Status("C:\\t\\*.t"), ERROR_FILE_NOT_FOUND);
    // "*.*", "*." and "* " all list the whole folder, as "*" does.
    const V all = Names("C:\\t\\*");
    EXPECT_EQ(Names("C:\\t\\*.*"), all);
    EXPECT_EQ(Names("C:\\t\\*."), all);
    EXPECT_EQ(Names("C:\\t\\*   "), all);
    EXPECT_EQ(Names("C:\\t\\.*"), (V{".", "..", ".bashrc", ".hidden", ".x"}));
    // A drive root lists no "." or "..".
    EXPECT_EQ(Names("C:\\*"), (V{"t"}));
}

TEST_F(WineFilesTest, PathsFollowWin32Rules) {
    MakeRecordedFolder();
    using V = std::vector<std::string>;
    const struct {
        const char* pattern;
        V names;
    } rows[] = {
        {"C:\\T\\PROG~FBU", {"Program Files"}},
        {"c:/t/program files", {"Program Files"}},
        {"C:\\t\\program files. . ", {"Program Files"}},
        {"C:\\t\\sub2\\..\\Zeta", {"Zeta"}},
        {"C:\\t\\nothere\\..\\abc", {"abc"}},
        {"C:\\t\\Sub Dir\\.\\..\\abc", {"abc"}},
        {"C:\\..\\t", {"t"}},
        {"C:\\t\\.", {"t"}},
        {"C:\\t\\sub2\\.", {"sub2"}},
        {"C:\\t\\\\abc", {"abc"}},
        {"C:\\t\\abc ", {"abc"}},
        {"C:\\t\\a.b.c.", {"a.b.c"}},
        {"\\\\?\\C:\\t\\abc", {"abc"}},
        {"C:t\\abc", {"abc"}},
        {"C:\\t\\SUB_~HWM\\*", {".", ".."}},
        {"C:\\t\\sub_~hwm", {"Sub Dir"}},
        {"C:\\t\\A_LO~PHD.TXT", {"A long file name.txt"}},
        {"C:\\t\\AB~1.TXT", {"ab~1.txt"}},  // a real name with '~' is not a short name
        {"C:\\t\\\xC3\x84", {"\xC3\x84"}},  // the exact name first
        {"C:\\t\\nul", {"nul"}},            // DOS devices are in every folder
        {"C:\\t\\Con.txt", {"Con"}},
        {"C:\\t\\sub2.\\*", {".", ".."}},
    };
    for (const auto& row : rows) EXPECT_EQ(Names(row.pattern), row.names) << row.pattern;
}

TEST_F(WineFilesTest, SearchStatusesTellMissingFromRefused) {
    MakeRecordedFolder();
    const struct {
        const char* pattern;
        LONG status;
    } rows[] = {
        {"C:\\t\\nothere", ERROR_FILE_NOT_FOUND},
        {"C:\\t\\file", ERROR_FILE_NOT_FOUND},  // "file." cannot be named through Win32
        {"C:\\t\\A_LO~PHD.TX", ERROR_FILE_NOT_FOUND},
        {"C:\\nodir\\x.exe", ERROR_PATH_NOT_FOUND},
        {"Q:\\x.exe", ERROR_PATH_NOT_FOUND},  // no such drive
        {"E:\\x.exe", ERROR_PATH_NOT_FOUND},  // a drive whose folder is gone
        {"C:\\", ERROR_FILE_NOT_FOUND},
        {"C:\\t\\", ERROR_FILE_NOT_FOUND},
        {"C:\\t\\..", ERROR_FILE_NOT_FOUND},
        {"C:", ERROR_FILE_NOT_FOUND},
        {"C:\\t\\abc\\", ERROR_FILE_NOT_FOUND},
        {"", ERROR_PATH_NOT_FOUND},
        {"t\\abc", ERROR_PATH_NOT_FOUND},
        {"\\t\\abc", ERROR_PATH_NOT_FOUND},
        {"C:\\t\\Zeta\\x", ERROR_INVALID_NAME},  // a file where a folder should be
        {"C:\\t\\*\\x", ERROR_INVALID_NAME},
        {"C:\\t\\a?\\x", ERROR_INVALID_NAME},
        {"C:\\t<\\a", ERROR_INVALID_NAME},
        {"C:\\t|\\a", ERROR_INVALID_NAME},
        {"C:\\t\\a<b", ERROR_INVALID_NAME},
        {"C:\\t\\a>b", ERROR_INVALID_NAME},
        {"C:\\t\\a|b", ERROR_INVALID_NAME},
        {"C:\\t\\a\"b", ERROR_INVALID_NAME},
        {"C:\\t\\a:b", ERROR_INVALID_NAME},
        {"C:\\t:x\\a", ERROR_INVALID_NAME},
        {"C:\\t\\a\tb", ERROR_INVALID_NAME},
        {"1:\\abc", ERROR_INVALID_NAME},
        {"\\\\server\\share\\x.exe", kErrorBadNetPath},
        // Wine answers "not found" for any pattern that ends in a separator.
        {"C:\\nodir\\", ERROR_FILE_NOT_FOUND},
        {"Q:\\", ERROR_FILE_NOT_FOUND},
        {"C:\\t\\*\\", ERROR_FILE_NOT_FOUND},
        {"C:\\t\\a|b\\", ERROR_FILE_NOT_FOUND},
        {"C:\\t\\Zeta\\x\\", ERROR_FILE_NOT_FOUND},
        {"C:\\t\\  ", ERROR_FILE_NOT_FOUND},  // a last name of blanks and dots is no name
        {"C:\\t\\. .", ERROR_FILE_NOT_FOUND},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Status(row.pattern), row.status) << "[" << row.pattern << "]";
}

TEST_F(WineFilesTest, AttributesAsWineDerivesThem) {
    if (!MakeRecordedFolder()) GTEST_SKIP() << "no user extended attributes on " << prefix_;
    EXPECT_EQ(files_.GetFileAttributes("C:\\t\\a"), 0x26u);
    EXPECT_EQ(files_.GetFileAttributes("C:\\t\\.x"),
              0x22u);  // "0x0" stored: still a hidden dot-file
    EXPECT_EQ(files_.GetFileAttributes("C:\\t\\sub2\\"), 0x13u);
    EXPECT_EQ(files_.GetFileAttributes("C:\\t\\ro"), 0x11u);
    EXPECT_EQ(files_.GetFileAttributes("C:\\t\\AB1"), 0x21u);
    EXPECT_EQ(files_.GetFileAttributes("C:\\t\\a_b"), 0x20u);
    EXPECT_EQ(files_.GetFileAttributes("c:/T/ABC.txt "), 0x20u);
    EXPECT_EQ(files_.GetFileAttributes("C:\\"), 0x10u);
    EXPECT_EQ(files_.GetFileAttributes("C:"), 0x10u);
    EXPECT_EQ(files_.GetFileAttributes("C:\\t\\.."), 0x10u);
    EXPECT_EQ(files_.GetFileAttributes("C:\\t\\zz"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files_.GetFileAttributes("C:\\t\\a*"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files_.GetFileAttributes("C:\\t\\a|b"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files_.GetFileAttributes("Q:\\x"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files_.GetFileAttributes("C:\\t\\Zeta\\x"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files_.GetFileAttributes("C:\\t\\abc\\"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(WineFilesTest, LinksAreFollowedAndDanglingOnesAreNotThere) {
    File("t/abc");
    Folder("u");
    symlink("/nonexistent", Host("u/dangling").c_str());
    symlink("../t", Host("u/linkdir").c_str());
    symlink("../t/abc", Host("u/linkfile").c_str());
    EXPECT_EQ(Names("C:\\u\\*"), (std::vector<std::string>{".", "..", "linkdir", "linkfile"}));
    EXPECT_EQ(files_.GetFileAttributes("C:\\u\\linkdir"), 0x410u);  // a reparse point
    EXPECT_EQ(files_.GetFileAttributes("C:\\u\\linkfile"), 0x20u);
    EXPECT_EQ(files_.GetFileAttributes("C:\\u\\dangling"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Names("C:\\u\\LINKDIR\\abc"), (std::vector<std::string>{"abc"}));
}

TEST_F(WineFilesTest, ShortPathsAsWineWritesThem) {
    MakeRecordedFolder();
    File("Program Files/Common Files/x.dll");
    const struct {
        const char* path;
        const char* shortPath;
    } rows[] = {
        {"C:\\t\\Program Files", "C:\\t\\PROG~FBU"},
        {"c:\\t\\program files", "c:\\t\\PROG~FBU"},
        {"C:\\t\\Sub Dir\\", "C:\\t\\SUB_~HWM\\"},
        {"c:/t/sub dir/", "c:/t/SUB_~HWM/"},
        {"C:\\t\\abc", "C:\\t\\abc"},
        {"c:\\T\\ABC.txt", "c:\\t\\ABC.TXT"},
        {"C:\\", "C:\\"},
        {"c:", "c:"},
        {"c:\\t\\.", "c:\\t\\."},
        {"C:\\t\\sub2\\..\\Zeta", "C:\\t\\sub2\\..\\Zeta"},
        {"C:\\t\\PROG~FBU", "C:\\t\\PROG~FBU"},
        {"C:\\t\\program files. ", "C:\\t\\PROG~FBU"},
        {"C:\\t\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt", "C:\\t\\___~~ALB.TXT"},
        {"C:\\\\t\\\\abc", "C:\\\\t\\\\abc"},
        {"C:/t\\abc", "C:/t\\abc"},
        {"C:\\t\\.\\Sub Dir\\..\\abc", "C:\\t\\.\\SUB_~HWM\\..\\abc"},
        {"C:\\Program Files\\Common Files\\x.dll", "C:\\PROG~FBU\\COMM~CP1\\x.dll"},
        {"C:\\t\\nothere", ""},
        {"C:\\t\\nothere\\..\\abc", ""},
        {"C:\\nodir\\x", ""},
        {"C:\\t\\p*", ""},
        {"Q:\\x", ""},
        {"t\\abc", ""},
        {"\\t\\abc", ""},
        {"C:\\t\\a<b", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(files_.GetShortPathName(row.path), row.shortPath) << row.path;
}

TEST_F(WineFilesTest, DrivesFromDosdevices) {
    const auto drives = files_.GetDrives();
    ASSERT_EQ(drives.size(), 4u);  // d:: and com1 are devices, not drives
    EXPECT_EQ(drives[0].letter, 'A');
    EXPECT_EQ(drives[0].type, DriveType::Removable);
    EXPECT_EQ(drives[1].letter, 'C');
    EXPECT_EQ(drives[1].type, DriveType::Fixed);
    EXPECT_EQ(drives[2].letter, 'E');
    EXPECT_EQ(drives[3].letter, 'Z');
    EXPECT_EQ(drives[3].type, DriveType::CdRom);

    WriteTextFile(prefix_ + "/drive_z/.windows-label", "BACKUP 1\n");
    std::string label = "old";
    EXPECT_TRUE(files_.GetVolumeInformation("C:\\", &label));
    EXPECT_EQ(label, "");
    EXPECT_TRUE(files_.GetVolumeInformation("z:", &label));
    EXPECT_EQ(label, "BACKUP 1");
    EXPECT_FALSE(files_.GetVolumeInformation("E:\\", &label));  // its folder is gone
    EXPECT_FALSE(files_.GetVolumeInformation("Q:\\", &label));
    EXPECT_FALSE(files_.GetVolumeInformation("C:\\windows\\", &label));
    EXPECT_FALSE(files_.GetVolumeInformation("", nullptr));

    // A drive whose folder turns up later is there at once.
    EXPECT_FALSE(FileExists(files_, "E:\\setup.exe"));
    fs::create_directories(prefix_ + "/missing");
    WriteTextFile(prefix_ + "/missing/setup.exe", "x");
    EXPECT_TRUE(FileExists(files_, "E:\\setup.exe"));
    EXPECT_TRUE(files_.GetVolumeInformation("E:\\", &label));
}

TEST(WineDriveTypes, RegistryWordsAndDefaults) {
    EXPECT_EQ(WineDriveTypeFromText("hd"), DriveType::Fixed);
    EXPECT_EQ(WineDriveTypeFromText("cdrom"), DriveType::CdRom);
    EXPECT_EQ(WineDriveTypeFromText("CDROM"), DriveType::CdRom);
    EXPECT_EQ(WineDriveTypeFromText("network"), DriveType::Remote);
    EXPECT_EQ(WineDriveTypeFromText("floppy"), DriveType::Removable);
    EXPECT_EQ(WineDriveTypeFromText("ramdisk"), DriveType::RamDisk);
    EXPECT_EQ(WineDriveTypeFromText("tape"), DriveType::Fixed);
    EXPECT_EQ(DefaultWineDriveType('a'), DriveType::Removable);
    EXPECT_EQ(DefaultWineDriveType('B'), DriveType::Removable);
    EXPECT_EQ(DefaultWineDriveType('c'), DriveType::Fixed);
    EXPECT_EQ(WineDriveType({{'A', DriveType::Fixed}}, 'a'), DriveType::Fixed);
}

TEST_F(WineFilesTest, FoldersOfAFreshPrefix) {
    EXPECT_EQ(files_.GetWindowsDirectory(), "C:\\windows");
    EXPECT_EQ(files_.GetSystemDirectory(), "C:\\windows\\system32");
    const std::string temp = files_.GetTempPath();
    EXPECT_TRUE(temp.starts_with("C:\\users\\")) << temp;
    EXPECT_TRUE(temp.ends_with("\\Temp\\")) << temp;
}

TEST_F(WineFilesTest, ExistenceTestCountsEveryFileAndNoFolder) {
    if (!MakeRecordedFolder()) GTEST_SKIP() << "no user extended attributes on " << prefix_;
    EXPECT_FALSE(FileExists(files_, "C:\\t\\Sub Dir"));  // a folder is not a file
    EXPECT_TRUE(FileExists(files_, "C:\\t\\a"));         // hidden and system: still there
    EXPECT_TRUE(FileExists(files_, "C:\\t\\AB1"));       // read-only
    EXPECT_TRUE(FileExists(files_, "C:\\t\\.hidden"));
    EXPECT_TRUE(FileExists(files_, "C:\\t\\a|b.exe"));  // refused: counts as there
    EXPECT_TRUE(FileExists(files_, "\\\\server\\share\\tool.exe"));
    EXPECT_TRUE(FileExists(files_, "C:\\t\\Zeta\\x"));
    EXPECT_TRUE(FileExists(files_, "C:\\t\\PROG~FBU"));
    EXPECT_TRUE(FileExists(files_, "C:\\t\\*.txt"));
    EXPECT_FALSE(FileExists(files_, "C:\\t\\sub2\\*"));  // only "." and ".."
    EXPECT_FALSE(FileExists(files_, "C:\\t\\nothere.exe"));
    EXPECT_FALSE(FileExists(files_, "C:\\nodir\\x.exe"));
    EXPECT_FALSE(FileExists(files_, "Q:\\x.exe"));
    EXPECT_FALSE(FileExists(files_, ""));
}

TEST_F(WineFilesTest, DeleteRemovesFilesOnlyAndIsSeenAtOnce) {
    File("Dir/Old.lnk");
    File("Dir/Locked.lnk");
    Mode("Dir/Locked.lnk", 0444);
    ASSERT_TRUE(FileExists(files_, "C:\\dir\\old.lnk"));  // now cached
    EXPECT_TRUE(files_.DeleteFile("C:\\DIR\\OLD.LNK"));
    EXPECT_FALSE(fs::exists(Host("Dir/Old.lnk")));
    EXPECT_FALSE(FileExists(files_, "C:\\dir\\old.lnk"));
    EXPECT_FALSE(files_.DeleteFile("C:\\dir\\old.lnk"));
    EXPECT_FALSE(files_.DeleteFile("C:\\dir\\Locked.lnk"));  // read-only, as Windows refuses
    EXPECT_TRUE(fs::exists(Host("Dir/Locked.lnk")));
    EXPECT_FALSE(files_.DeleteFile("C:\\dir"));
    EXPECT_FALSE(files_.DeleteFile("C:\\dir\\*.lnk"));
    EXPECT_TRUE(fs::exists(Host("Dir")));
}

TEST_F(WineFilesTest, CopyReplacesWholeFilesAndRefusesProtectedTargets) {
    File("src/a.lnk", "first");
    File("Backup/Existing.lnk", "old");
    File("Backup/Locked.lnk", "locked");
    Mode("Backup/Locked.lnk", 0444);
    Mode("src/a.lnk", 0640);
    ASSERT_FALSE(FileExists(files_, "C:\\backup\\a.lnk"));  // cached as missing
    EXPECT_TRUE(files_.CopyFile("C:\\src\\A.LNK", "C:\\backup\\a.lnk"));
    EXPECT_EQ(ReadTextFile(Host("Backup/a.lnk")), "first");
    EXPECT_TRUE(FileExists(files_, "C:\\backup\\a.lnk"));
    struct stat st {};
    stat(Host("Backup/a.lnk").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // An existing target keeps its own name and gets the new contents.
    EXPECT_TRUE(files_.CopyFile("C:\\src\\a.lnk", "C:\\BACKUP\\EXISTING.LNK"));
    EXPECT_EQ(ReadTextFile(Host("Backup/Existing.lnk")), "first");
    EXPECT_FALSE(fs::exists(Host("Backup/EXISTING.LNK")));
    EXPECT_FALSE(files_.CopyFile("C:\\src\\a.lnk", "C:\\backup\\Locked.lnk"));
    EXPECT_EQ(ReadTextFile(Host("Backup/Locked.lnk")), "locked");
    EXPECT_FALSE(files_.CopyFile("C:\\src\\a.lnk", "C:\\src\\a.lnk"));
    EXPECT_FALSE(files_.CopyFile("C:\\src\\a.lnk", "C:\\nodir\\a.lnk"));
    EXPECT_FALSE(files_.CopyFile("C:\\src\\missing.lnk", "C:\\backup\\m.lnk"));
    EXPECT_FALSE(files_.CopyFile("C:\\src", "C:\\backup\\folder"));
    EXPECT_FALSE(files_.CopyFile("C:\\src\\a.lnk", "C:\\backup"));  // a folder
    for (const auto& entry : fs::directory_iterator(Host("Backup")))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".vostrel")) << entry.path();
}

TEST_F(WineFilesTest, HostPathFollowsExistingNamesAndKeepsTheRest) {
    File("Program Files/App/App.exe");
    const std::string c = prefix_ + "/drive_c";
    EXPECT_EQ(files_.HostPath("c:\\PROGRAM FILES\\app\\app.exe"), c + "/Program Files/App/App.exe");
    EXPECT_EQ(files_.HostPath("C:\\PROG~FBU\\App\\new\\file.txt"),
              c + "/Program Files/App/new/file.txt");
    EXPECT_EQ(files_.HostPath("C:\\"), c);
    EXPECT_EQ(files_.HostPath("C:\\a\\..\\Program Files."), c + "/Program Files");
    EXPECT_EQ(files_.HostPath("Q:\\x"), std::nullopt);
    EXPECT_EQ(files_.HostPath("C:\\a|b"), std::nullopt);
    EXPECT_EQ(files_.HostPath("relative\\x"), std::nullopt);
}

TEST_F(WineFilesTest, CacheNeverShowsAStaleFolder) {
    File("w/one.dll");
    ASSERT_TRUE(FileExists(files_, "C:\\w\\one.dll"));
    ASSERT_FALSE(FileExists(files_, "C:\\w\\two.dll"));
    // Changes by someone else: the folder's times move, so the listing is read again.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    File("w/two.dll");
    fs::remove(Host("w/one.dll"));
    EXPECT_TRUE(FileExists(files_, "C:\\w\\two.dll"));
    EXPECT_FALSE(FileExists(files_, "C:\\w\\one.dll"));
    // A file turned into a folder in a deeper place.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    fs::remove(Host("w/two.dll"));
    Folder("w/two.dll");
    EXPECT_FALSE(FileExists(files_, "C:\\w\\two.dll"));

    // Attribute changes leave the folder's times alone: they show once the
    // cache is dropped, as the scan does when it starts.
    File("w/three.dll");
    EXPECT_EQ(files_.GetFileAttributes("C:\\w\\three.dll"), FILE_ATTRIBUTE_ARCHIVE);
    Mode("w/three.dll", 0444);
    files_.ForgetCache();
    EXPECT_EQ(files_.GetFileAttributes("C:\\w\\three.dll"),
              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
}

TEST(WineFolderCache, KeepsOnlyItsCapacityAndStaysCorrect) {
    TempDir dir;
    for (const char* name : {"a", "b", "c"}) {
        fs::create_directories(dir / name);
        WriteTextFile(dir / name + "/f" + name, "x");
    }
    FolderCache cache(2, 0);
    for (int round = 0; round < 3; ++round) {
        for (const char* name : {"a", "b", "c"}) {
            const auto listing = cache.List(dir / name);
            ASSERT_EQ(listing->entries.size(), 1u);
            EXPECT_EQ(listing->entries[0].name, std::string("f") + name);
        }
    }
    const auto first = cache.List(dir / "c");
    EXPECT_EQ(cache.List(dir / "c"), first);  // kept: the same listing comes back
    cache.Forget(dir / "c");
    EXPECT_NE(cache.List(dir / "c"), first);
    EXPECT_EQ(cache.List(dir / "missing")->status, ERROR_PATH_NOT_FOUND);
}

TEST(WineFolderCache, AFolderChangedAMomentAgoIsNotKept) {
    TempDir dir;
    fs::create_directories(dir / "fresh");
    FolderCache cache;  // the default settling time
    const auto first = cache.List(dir / "fresh");
    EXPECT_NE(cache.List(dir / "fresh"), first);
}

}  // namespace
}  // namespace vostrel
