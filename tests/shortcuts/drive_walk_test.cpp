// The drive walk over host folders: order, candidates, cancel, links and
// the folders it must never enter.
#include <gtest/gtest.h>

#include <filesystem>

#include "session/scan_session.h"
#include "shortcuts/drive_walk.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

class DriveWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        files_.MapDrive('C', drive_.path());
        // Every candidate file the walk hands on is seen here (the check asks
        // for its host path first).
        files_.onAttributes = [this](std::string_view path) { attributes_.emplace_back(path); };
    }

    void Touch(const std::string& rel) { WriteTextFile(drive_ / rel, "x"); }

    // The files whose attributes were read, in order, folders left out.
    std::vector<std::string> FilesSeen() {
        std::vector<std::string> seen;
        for (const auto& path : attributes_)
            if (!fs::is_directory(*files_.HostPath(path))) seen.push_back(path);
        return seen;
    }

    TempDir drive_;
    HostFolderFileSystem files_;
    EmptyRegistry registry_;
    AnsweringObserver observer_;
    TempDir settingsDir_;
    IniSettingsStore settings_{settingsDir_ / "settings.ini"};
    ScanSession session_{registry_, files_, settings_, observer_};
    std::vector<std::string> attributes_;
};

TEST_F(DriveWalkTest, FilesOfAFolderComeBeforeItsSubFoldersInListingOrder) {
    Touch("s2/deep.lnk");
    Touch("S1/inner/x.lnk");
    Touch("S1/a.url");
    Touch("f2.lnk");
    Touch("F1.lnk");
    Touch("README");
    Touch("a.b.c");
    ScanDriveForShortcuts(session_, "C:\\");
    EXPECT_EQ(FilesSeen(), (std::vector<std::string>{"C:\\a.b.c", "C:\\F1.lnk", "C:\\f2.lnk",
                                                     "C:\\README", "C:\\S1\\a.url",
                                                     "C:\\S1\\inner\\x.lnk", "C:\\s2\\deep.lnk"}));
    // README has no dot: its attributes are read, but it is never judged.
    EXPECT_EQ(observer_.values.back(), "deep.lnk");
    EXPECT_EQ(observer_.keys.back(), "C:\\s2\\");
}

TEST_F(DriveWalkTest, CancelReturnsFromEveryLevelAtOnce) {
    Touch("a/b/c/stop.lnk");
    Touch("a/b/c/after.lnk");
    Touch("a/b/later/x.lnk");
    Touch("z/never.lnk");
    files_.onAttributes = [this](std::string_view path) {
        attributes_.emplace_back(path);
        if (path.ends_with("stop.lnk")) session_.cancelRequested = true;
    };
    ScanDriveForShortcuts(session_, "C:\\");
    EXPECT_EQ(FilesSeen().back(), "C:\\a\\b\\c\\stop.lnk");
    for (const auto& pattern : files_.searched) {
        EXPECT_EQ(pattern.find("later"), std::string::npos);
        EXPECT_EQ(pattern.find("C:\\z"), std::string::npos);
    }
}

TEST_F(DriveWalkTest, AFolderWithoutItsBackslashIsWalkedWithIt) {
    Touch("Windows/x.lnk");
    ScanFolderForShortcuts(session_, "C:\\Windows");
    EXPECT_EQ(files_.searched.front(), "C:\\Windows\\*");
    EXPECT_EQ(FilesSeen(), std::vector<std::string>{"C:\\Windows\\x.lnk"});
}

TEST_F(DriveWalkTest, ADriveThatIsNotThereIsNotWalkedAndSaysSo) {
    ScanDriveForShortcuts(session_, "D:\\");
    EXPECT_TRUE(files_.searched.empty());
    // Not a clean drive: counted as not checked, with the reason.
    EXPECT_EQ(session_.result.notChecked.unavailableDrives.at('D'), 1u);
    EXPECT_EQ(session_.result.notChecked.driveWhy.at('D'), "no such drive");
}

TEST_F(DriveWalkTest, ADriveIsWalkedWithoutItsVolumeInformation) {
    Touch("users/ann/Desktop/x.lnk");
    files_.volumeUnreadable = true;
    ScanDriveForShortcuts(session_, "C:\\");
    EXPECT_EQ(FilesSeen(), std::vector<std::string>{"C:\\users\\ann\\Desktop\\x.lnk"});
    EXPECT_TRUE(session_.result.notChecked.Empty());
}

TEST_F(DriveWalkTest, ARootThatCannotBeListedIsNamed) {
    fs::remove_all(drive_.path());
    ScanDriveForShortcuts(session_, "C:\\");
    EXPECT_EQ(session_.result.unreadable.folders, std::vector<std::string>{"C:\\"});
    fs::create_directories(drive_.path());
}

TEST_F(DriveWalkTest, LinkedFoldersAreFollowedButNeverEnteredTwice) {
    TempDir home;
    WriteTextFile(home / "Desktop.lnk", "x");
    fs::create_directories(drive_ / "users/ann");
    fs::create_directory_symlink(home.path(), drive_ / "users/ann/Desktop");
    fs::create_directory_symlink(home.path(), drive_ / "users/ann/Documents");
    fs::create_directory_symlink(drive_.path(), drive_ / "users/ann/loop");
    ScanDriveForShortcuts(session_, "C:\\");
    EXPECT_EQ(FilesSeen(), std::vector<std::string>{"C:\\users\\ann\\Desktop\\Desktop.lnk"});
    EXPECT_EQ(files_.searched.size(), 4u);  // C:\, users, ann, Desktop
}

TEST_F(DriveWalkTest, PseudoFileSystemsAreNeverEntered) {
    fs::create_directory_symlink("/proc", drive_ / "proc");
    fs::create_directory_symlink("/sys", drive_ / "sys");
    fs::create_directory_symlink("/dev", drive_ / "dev");
    Touch("ok.lnk");
    ScanDriveForShortcuts(session_, "C:\\");
    EXPECT_EQ(files_.searched, std::vector<std::string>{"C:\\*"});
    files_.MapDrive('P', "/proc");
    ScanDriveForShortcuts(session_, "P:\\");
    EXPECT_EQ(files_.searched.size(), 1u);
}

}  // namespace
