// The walk of a prefix's drive stays on the drive root's own file system,
// as find -xdev does: a file system mounted below it (a game disc, a
// network share, a tmpfs) is not the machine's drive and is never walked.
// Mounting needs root; elsewhere the test is skipped.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <filesystem>

#include "session/scan_session.h"
#include "shortcuts/drive_walk.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "system/settings.h"
#include "system/wine/wine_files.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

class WalkMounts : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(prefix_ + "/drive_c/mounted");
        fs::create_directories(prefix_ + "/dosdevices");
        fs::create_directory_symlink("../drive_c", prefix_ + "/dosdevices/c:");
        WriteTextFile(prefix_ + "/system.reg", "WINE REGISTRY Version 2\n");
        WriteTextFile(prefix_ + "/drive_c/Top.lnk", BrokenLinkBytes("Top"));
        if (::mount("tmpfs", (prefix_ + "/drive_c/mounted").c_str(), "tmpfs", 0, "size=256k") != 0)
            GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
        mounted_ = true;
        WriteTextFile(prefix_ + "/drive_c/mounted/Inner.lnk", BrokenLinkBytes("Inner"));
        fs::create_directories(prefix_ + "/drive_c/mounted/deeper");
        WriteTextFile(prefix_ + "/drive_c/mounted/deeper/Deep.lnk", BrokenLinkBytes("Deep"));
    }
    void TearDown() override {
        if (mounted_) ::umount((prefix_ + "/drive_c/mounted").c_str());
    }

    TempDir dir_, settingsDir_;
    std::string prefix_ = dir_.path() + "/pfx";
    bool mounted_ = false;
    WineFileSystem files_{prefix_, {}};
    EmptyRegistry registry_;
    AnsweringObserver observer_;
    IniSettingsStore settings_{settingsDir_ / "settings.ini"};
    ScanSession session_{registry_, files_, settings_, observer_};
};

TEST_F(WalkMounts, AFileSystemMountedBelowTheDriveIsNotWalked) {
    ScanDriveForShortcuts(session_, "C:\\");
    std::vector<std::string> rows;
    for (const auto& row : session_.result.problems.Of<ShortcutProblem>()) rows.push_back(row.path);
    // The drive's own broken link is found; those on the mounted file system are not.
    EXPECT_EQ(rows, std::vector<std::string>{"C:\\Top.lnk"});
}

}  // namespace
