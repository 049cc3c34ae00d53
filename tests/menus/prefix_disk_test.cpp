// Prefix folders that are missing: gone from a disk that is there, or on a
// disk that is unplugged or not mounted. The folders removable disks are
// mounted below and the mount table are fakes in a temporary folder, so
// the host's own mounts play no part.
#include "menus/prefix_disk.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "menus/menu_check.h"
#include "menus/menu_entries.h"
#include "support/temp_dir.h"

namespace vostrel::menus {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteTextFile;

const char* StateName(PrefixFolderState state) {
    switch (state) {
        case PrefixFolderState::Present: return "present";
        case PrefixFolderState::Gone: return "gone";
        case PrefixFolderState::Unavailable: return "unavailable";
        case PrefixFolderState::Unknown: return "unknown";
    }
    return "?";
}

// A file, with its folders, so that a folder is not empty.
void Touch(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    WriteTextFile(path, "x");
}

class PrefixDisk : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::canonical(temp_.path()).string();  // as the walk sees it
        mounts_.mediaRoots = {{root_ + "/media", 1},
                              {root_ + "/run/media", 2},
                              {root_ + "/mnt", 1},
                              {root_ + "/never-made", 1}};
        mounts_.mountInfo = root_ + "/mountinfo";
        WriteTextFile(mounts_.mountInfo,
                      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                      "40 22 8:17 / " +
                          root_ +
                          "/data rw,relatime shared:9 - ext4 /dev/sdb1 rw\n"
                          "41 22 8:33 / " +
                          root_ + "/my\\040disk rw - vfat /dev/sdc1 rw\n");
    }

    std::string State(const std::string& relative) const {
        return StateName(PrefixFolderStateOf(root_ + "/" + relative, mounts_));
    }

    TempDir temp_;
    std::string root_;
    MountPlaces mounts_;
};

TEST_F(PrefixDisk, GoneOnlyFromAnOrdinaryFolderOfADiskThatIsThere) {
    Touch(root_ + "/home/Games/other/file");
    fs::create_directories(root_ + "/home/Games/pfx-here");
    fs::create_directories(root_ + "/home/Empty");
    Touch(root_ + "/media/other/file");                // another disk is plugged in
    Touch(root_ + "/media/usb/file");                  // the disk is there...
    Touch(root_ + "/media/stick/Games/file");          // ...and has a Games folder
    Touch(root_ + "/run/media/ann/OTHER/file");        // another of ann's disks
    Touch(root_ + "/run/media/ann/DISK/file");         // the disk is there...
    Touch(root_ + "/run/media/ann/DISK2/Games/file");  // ...and has a Games folder
    Touch(root_ + "/data/file");                       // a mounted disk, by the table
    Touch(root_ + "/my disk/file");
    Touch(root_ + "/plain/file");  // the same folder, not in the table
    fs::create_directories(root_ + "/mnt");

    const std::vector<std::pair<std::string, std::string>> table{
        {"home/Games/pfx-here", "present"},
        {"home/Games/pfx", "gone"},                       // deleted from a folder in use
        {"home/Games/pfx/drive_c", "gone"},               // and whatever was below it
        {"home/Empty/pfx", "unavailable"},                // an empty mount point
        {"home/Empty/Games/pfx", "unavailable"},          // an empty folder on the way
        {"media/usb2/Games/pfx", "unavailable"},          // the disk's folder is missing
        {"media/usb/Games/pfx", "unavailable"},           // a folder straight on the disk
        {"media/stick/Games/pfx", "gone"},                // deeper than the disk's own folder
        {"run/media/bob/DISK/Games/pfx", "unavailable"},  // no disk of bob's at all
        {"run/media/ann/GONE/Games/pfx", "unavailable"},
        {"run/media/ann/DISK/Games/pfx", "unavailable"},
        {"run/media/ann/DISK2/Games/pfx", "gone"},
        {"mnt/pfx", "unavailable"},              // /mnt itself, empty
        {"never-made/disk/pfx", "unavailable"},  // the root itself is missing
        {"data/pfx", "unavailable"},             // a mount point, by the table
        {"my disk/Games/pfx", "unavailable"},    // the table's \040 is a blank
        {"plain/pfx", "gone"},
        {"plain/../home/Games/pfx", "gone"},
        {"plain/../home/Empty/pfx", "unavailable"},
    };
    for (const auto& [path, expected] : table) EXPECT_EQ(State(path), expected) << path;
}

TEST_F(PrefixDisk, LinksOnTheWayAreFollowedToTheDiskTheyLeadTo) {
    Touch(root_ + "/home/file");
    Touch(root_ + "/media/other/file");
    fs::create_directory_symlink(root_ + "/media/usb/Games", root_ + "/home/Games");
    fs::create_directory_symlink("../elsewhere/Deleted", root_ + "/home/Deleted");
    fs::create_directory_symlink("../home/Games", root_ + "/home/Chain");
    fs::create_directory_symlink("Loop", root_ + "/home/Loop");
    fs::create_directories(root_ + "/elsewhere/kept");
    EXPECT_EQ(State("home/Games/pfx"), "unavailable");  // the disk behind the link is unplugged
    EXPECT_EQ(State("home/Chain/pfx"), "unavailable");
    EXPECT_EQ(State("home/Deleted/pfx"), "gone");  // the link's folder was deleted
    EXPECT_EQ(State("home/Loop/pfx"), "unknown");
    // A link that is the prefix itself is there as a name, even dangling.
    EXPECT_EQ(State("home/Games"), "present");
    // The folder removable disks are mounted below may be a link itself.
    Touch(root_ + "/real-media/other/file");
    fs::create_directory_symlink(root_ + "/real-media", root_ + "/linked-media");
    MountPlaces linked;
    linked.mediaRoots = {{root_ + "/linked-media", 1}};
    linked.mountInfo = mounts_.mountInfo;
    EXPECT_EQ(StateName(PrefixFolderStateOf(root_ + "/real-media/usb/pfx", linked)), "unavailable");
    EXPECT_EQ(StateName(PrefixFolderStateOf(root_ + "/real-media/usb/pfx", mounts_)), "gone");
}

TEST_F(PrefixDisk, APathThatCannotHoldAFolderLeavesTheQuestionOpen) {
    Touch(root_ + "/home/file.txt");
    EXPECT_EQ(State("home/file.txt/pfx"), "unknown");  // a file where a folder should be
    EXPECT_EQ(StateName(PrefixFolderStateOf("relative/pfx", mounts_)), "unknown");
    EXPECT_EQ(StateName(PrefixFolderStateOf("", mounts_)), "unknown");
}

TEST_F(PrefixDisk, AFolderThatCannotBeReadLeavesTheQuestionOpen) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    fs::create_directories(root_ + "/home/Locked/Inner");
    fs::create_directories(root_ + "/home/Unlistable");
    ::chmod((root_ + "/home/Unlistable").c_str(), 0300);  // names can be tried, not listed
    ::chmod((root_ + "/home/Locked").c_str(), 0);
    EXPECT_EQ(State("home/Locked/pfx"), "unknown");
    EXPECT_EQ(State("home/Unlistable/pfx"), "unknown");  // empty or not cannot be told
    ::chmod((root_ + "/home/Locked").c_str(), 0700);
    ::chmod((root_ + "/home/Unlistable").c_str(), 0700);
}

TEST(MountInfo, TheFifthFieldWithItsEscapesUndone) {
    EXPECT_EQ(MountPointsOf("22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                            "40 22 8:17 /sub /run/media/ann/MY\\040DISK rw - vfat /dev/sdb1 rw\n"
                            "41 22 8:18 / /a\\011b\\134c\\012 rw - ext4 /dev/sdc1 rw\n"
                            "42 22 8:19 / /mnt/x/ rw - ext4 /dev/sdd1 rw\n"
                            "\n"
                            "garbage\n"
                            "1 2 3 4\n"),
              (std::vector<std::string>{"/", "/run/media/ann/MY DISK", "/a\tb\\c\n", "/mnt/x"}));
}

// Entries of prefixes gone, unplugged and not mounted, judged for another
// prefix: only the gone one is an orphan; the others are counted.
TEST(MenuCheckDisks, EntriesOfPrefixesOnDisksThatAreNotThereAreCountedNotListed) {
    TempDir temp;
    const std::string root = temp.path();
    const MenuPlaces places = MenuPlaces::ForHome(root + "/home");
    MountPlaces mounts;
    mounts.mediaRoots = {{root + "/media", 1}};
    mounts.mountInfo = root + "/mountinfo";  // none
    const std::string scanned = root + "/prefixes/a";
    fs::create_directories(scanned + "/dosdevices");
    Touch(root + "/prefixes/b/system.reg");
    fs::create_directories(root + "/Disk");  // the mount point of a disk not mounted
    Touch(root + "/media/other/file");
    const std::string menu = places.ApplicationsDir() + "/wine/Programs/";
    const auto entry = [&](const std::string& name, const std::string& prefix) {
        Touch(menu + name + ".desktop");
        WriteTextFile(menu + name + ".desktop",
                      "[Desktop Entry]\nName=" + name + "\nExec=env WINEPREFIX=\"" + prefix +
                          "\" wine C:\\\\\\\\Game.exe\nType=Application\n");
    };
    entry("1 gone", root + "/prefixes/gone");
    entry("2 not mounted", root + "/Disk/pfx");
    entry("3 not mounted either", root + "/Disk/pfx");
    entry("4 unplugged", root + "/media/usb/Games/pfx");
    const auto entries = FindWineMenuEntries(places).entries;
    ASSERT_EQ(entries.size(), 4u);

    std::size_t unavailable = 99;
    const auto problems =
        CheckMenuEntries(entries, {scanned, false}, places, nullptr, mounts, &unavailable);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].name, "1 gone");
    EXPECT_EQ(problems[0].reason, MenuEntryReason::PrefixMissing);
    EXPECT_EQ(unavailable, 3u);

    // Plugged in again, with the prefix deleted from it: an orphan too.
    Touch(root + "/Disk/other/file");
    const auto again =
        CheckMenuEntries(entries, {scanned, false}, places, nullptr, mounts, &unavailable);
    ASSERT_EQ(again.size(), 3u);
    EXPECT_EQ(again[2].name, "3 not mounted either");
    EXPECT_EQ(unavailable, 1u);
}

}  // namespace
}  // namespace vostrel::menus
