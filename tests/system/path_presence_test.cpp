// The path forms registry data uses, and when a path that is not there
// lies on a disk that is not there rather than being gone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"
#include "system/path_presence.h"
#include "system/posix/host_disk.h"
#include "system/wine/wine_files.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;

TEST(SpellOutPath, EveryFormWineAndWindowsWrite) {
    struct Case {
        const char* text;
        PathForm form;
        const char* path;
    };
    const Case cases[] = {
        {"C:\\windows\\notepad.exe", PathForm::Drive, "C:\\windows\\notepad.exe"},
        {"d:/games/x.exe", PathForm::Drive, "d:/games/x.exe"},
        // Wine's NT form and the Win32 form of a host file, any letter case.
        {"\\??\\unix\\usr\\share\\fonts\\a.ttf", PathForm::Host, "/usr/share/fonts/a.ttf"},
        {"\\\\?\\unix\\usr\\share\\fonts\\a.ttf", PathForm::Host, "/usr/share/fonts/a.ttf"},
        {"\\??\\UNIX\\home\\ann\\\\b.ttf", PathForm::Host, "/home/ann/b.ttf"},
        {"\\??\\unix/opt/x", PathForm::Host, "/opt/x"},
        // NT and Win32 prefixes before a drive path.
        {"\\??\\C:\\windows\\system32\\drivers\\x.sys", PathForm::Drive,
         "C:\\windows\\system32\\drivers\\x.sys"},
        {"\\\\?\\C:\\Program Files\\x.exe", PathForm::Drive, "C:\\Program Files\\x.exe"},
        {"\\\\.\\C:\\x.exe", PathForm::Drive, "C:\\x.exe"},
        // The Windows folder as the kernel names it, and a path below it
        // with no root, as services write them.
        {"\\SystemRoot\\system32\\drivers\\x.sys", PathForm::Drive,
         "C:\\windows\\system32\\drivers\\x.sys"},
        {"\\systemroot\\x.exe", PathForm::Drive, "C:\\windows\\x.exe"},
        {"system32\\drivers\\x.sys", PathForm::Drive, "C:\\windows\\system32\\drivers\\x.sys"},
        {"SysWOW64\\x.dll", PathForm::Drive, "C:\\windows\\SysWOW64\\x.dll"},
        // Network shares.
        {"\\\\server\\share\\x.exe", PathForm::Network, "\\\\server\\share\\x.exe"},
        {"\\??\\UNC\\server\\share\\x.exe", PathForm::Network, "\\??\\UNC\\server\\share\\x.exe"},
        // Nothing to go on.
        {"x.exe", PathForm::Unknown, "x.exe"},
        {"\\App\\tool.exe", PathForm::Unknown, "\\App\\tool.exe"},
        {"\\??\\Volume{1234}\\x", PathForm::Unknown, "\\??\\Volume{1234}\\x"},
        {"system32x\\y", PathForm::Unknown, "system32x\\y"},
        {"", PathForm::Unknown, ""},
    };
    for (const auto& c : cases) {
        const SpelledPath spelled = SpellOutPath(c.text, "C:\\windows");
        EXPECT_EQ(spelled.form, c.form) << c.text;
        EXPECT_EQ(spelled.path, c.path) << c.text;
    }
    // Without a Windows folder the relative forms cannot be completed.
    EXPECT_EQ(SpellOutPath("system32\\x.sys", "").form, PathForm::Unknown);
}

class HostDisk : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = root_.path();
        roots_.roots = {(base_ / "media").string(), (base_ / "run-media").string(),
                        (base_ / "mnt").string()};
        roots_.fstab = (base_ / "fstab").string();
        fs::create_directories(base_ / "media" / "ann");
        fs::create_directories(base_ / "run-media" / "ann");
        fs::create_directories(base_ / "mnt" / "games");  // a mount point, empty
        fs::create_directories(base_ / "mnt" / "plain" / "Games");
        fs::create_directories(base_ / "data" / "Games" / "Deep");  // left empty by an uninstaller
        fs::create_directories(base_ / "data" / "disk");            // empty, mounted by fstab
        fs::create_directories(base_ / "data" / "other");           // empty, not in fstab
        std::ofstream(base_ / "data" / "kept.txt") << "x";
        std::ofstream(base_ / "fstab")
            << "# a comment\n"
            << "UUID=1 " << (base_ / "data" / "disk").string() << " ext4 defaults 0 2\n";
    }
    bool Absent(const fs::path& path) { return OnAbsentDisk(path.string(), &why_, roots_); }

    testing::TempDir root_;
    fs::path base_;
    MountRoots roots_;
    std::string why_;
};

TEST_F(HostDisk, AMissingPathIsOnAnAbsentDiskOnlyWhereADiskWouldBeMounted) {
    // Unplugged: the disk's folder under a media folder is missing.
    EXPECT_TRUE(Absent(base_ / "media" / "usb" / "Games" / "x.exe"));
    EXPECT_TRUE(Absent(base_ / "media" / "ann" / "USB" / "x.exe"));
    EXPECT_TRUE(Absent(base_ / "run-media" / "ann" / "DISK" / "x.exe"));
    EXPECT_FALSE(why_.empty());
    // Not mounted: the mount point is empty.
    EXPECT_TRUE(Absent(base_ / "mnt" / "games" / "x.exe"));
    EXPECT_TRUE(Absent(base_ / "data" / "disk" / "Games" / "x.exe"));
    // Really gone: the nearest folder is an ordinary one, with or without
    // something in it.
    EXPECT_FALSE(Absent(base_ / "mnt" / "plain" / "Games" / "x.exe"));
    EXPECT_FALSE(Absent(base_ / "data" / "Games" / "Deep" / "deep.exe"));
    EXPECT_FALSE(Absent(base_ / "data" / "other" / "x.exe"));
    EXPECT_FALSE(Absent(base_ / "data" / "gone.exe"));
    // A path that is there is not absent.
    EXPECT_FALSE(Absent(base_ / "data" / "kept.txt"));
}

// The drives of a real prefix layout: a drive is out of reach when its
// link's folder is missing, is not a folder or is empty, or when the prefix
// has no such letter; network drives are never looked at.
TEST(WineDriveState, DrivesThatAreNotThere) {
    testing::TempDir root;
    const fs::path base = root.path();
    const fs::path prefix = base / "prefix";
    fs::create_directories(prefix / "dosdevices");
    fs::create_directories(prefix / "drive_c" / "windows");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    fs::create_directory_symlink(base / "media" / "usb", prefix / "dosdevices" / "e:");
    fs::create_directories(base / "empty");
    fs::create_directory_symlink(base / "empty", prefix / "dosdevices" / "f:");
    std::ofstream(base / "file") << "x";
    fs::create_directory_symlink(base / "file", prefix / "dosdevices" / "g:");
    fs::create_directories(base / "share");
    std::ofstream(base / "share" / "x") << "x";
    fs::create_directory_symlink(base / "share", prefix / "dosdevices" / "n:");
    WineFileSystem files(prefix.string(), {{'N', DriveType::Remote}}, 0);

    EXPECT_EQ(files.StateOfDrive('C').reach, DriveReach::Available);
    for (char letter : {'E', 'F', 'G', 'H'}) {
        const DriveState state = files.StateOfDrive(letter);
        EXPECT_EQ(state.reach, DriveReach::Unavailable) << letter;
        EXPECT_FALSE(state.why.empty()) << letter;
    }
    EXPECT_EQ(files.StateOfDrive('N').reach, DriveReach::Network);

    // Through ProbePath: not checked, never missing.
    EXPECT_EQ(ProbePath(files, "E:\\Games\\x.exe").kind, PathPresence::DriveUnavailable);
    EXPECT_EQ(ProbePath(files, "\\??\\E:\\Games\\x.exe").drive, 'E');
    EXPECT_EQ(ProbePath(files, "N:\\x").kind, PathPresence::Network);
    EXPECT_EQ(ProbePath(files, "C:\\windows\\gone.exe").kind, PathPresence::Missing);
    EXPECT_EQ(ProbePath(files, "\\SystemRoot\\gone.exe").kind, PathPresence::Missing);
    EXPECT_EQ(ProbePath(files, "relative.exe").kind, PathPresence::UnknownForm);

    // Plugged in, the drive is there again once the cache is let go of.
    fs::create_directories(base / "media" / "usb" / "Games");
    std::ofstream(base / "media" / "usb" / "Games" / "x.exe") << "MZ";
    files.ForgetCache();
    EXPECT_EQ(ProbePath(files, "E:\\Games\\x.exe").kind, PathPresence::Present);

    // A host path is judged on the host.
    const std::string hostFile = "\\??\\unix" + (base / "share" / "x").string();
    EXPECT_EQ(ProbePath(files, hostFile).kind, PathPresence::Present);
    EXPECT_EQ(ProbePath(files, hostFile + "-gone").kind, PathPresence::Missing);
}

// A folder is looked for as a folder, on a real prefix layout: a file of
// its name is no folder, a closing backslash changes nothing, and what
// cannot be judged for a file cannot be for a folder either.
TEST(ProbeFolder, FoldersOfARealPrefix) {
    testing::TempDir root;
    const fs::path base = root.path();
    const fs::path prefix = base / "prefix";
    fs::create_directories(prefix / "dosdevices");
    fs::create_directories(prefix / "drive_c" / "windows");
    fs::create_directories(prefix / "drive_c" / "App" / "bin");
    fs::create_directories(prefix / "drive_c" / "\xE6\x97\xA5\xE6\x9C\xAC");
    std::ofstream(prefix / "drive_c" / "App" / "app.exe") << "MZ";
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    fs::create_directory_symlink(base / "media" / "usb", prefix / "dosdevices" / "e:");
    WineFileSystem files(prefix.string(), {}, 0);
    struct Case {
        const char* path;
        PathPresence::Kind kind;
    };
    const Case cases[] = {
        {"C:\\App", PathPresence::Present},
        {"C:\\App\\", PathPresence::Present},
        {"c:\\app\\BIN", PathPresence::Present},
        {"C:\\\xE6\x97\xA5\xE6\x9C\xAC", PathPresence::Present},
        {"C:\\", PathPresence::Present},
        {"C:\\Gone", PathPresence::Missing},
        {"C:\\Gone\\Deeper\\", PathPresence::Missing},
        {"C:\\App\\app.exe", PathPresence::Missing},
        {"E:\\Games", PathPresence::DriveUnavailable},
        {"\\\\server\\share\\app", PathPresence::Network},
        {"bin", PathPresence::UnknownForm},
        {"\\??\\unix\\tmp", PathPresence::UnknownForm},
    };
    for (const auto& c : cases) EXPECT_EQ(ProbeFolder(files, c.path).kind, c.kind) << c.path;
    // The file test is unchanged: a folder is no file.
    EXPECT_EQ(ProbePath(files, "C:\\App").kind, PathPresence::Missing);
    EXPECT_EQ(ProbePath(files, "C:\\App\\app.exe").kind, PathPresence::Present);
}

}  // namespace
}  // namespace vostrel
