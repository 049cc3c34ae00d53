// Reaching files beneath a root without leaving it: the walk refuses "..",
// absolute paths and every link on the way, both with the kernel's openat2
// and with the component-by-component walk used where the kernel lacks it;
// removal and writing act on the folder reached, and Wine's shell-folder
// links count only when they point into the home folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"
#include "system/posix/beneath.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;
namespace bn = vostrel::beneath;

namespace {

class BeneathTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        bn::ForceComponentWalk(GetParam());
        fs::create_directories(root() + "/a/b");
        WriteTextFile(root() + "/a/b/file.txt", "inside");
        WriteTextFile(outside_.path() + "/secret.txt", "outside");
        fs::create_directory_symlink(outside_.path(), root() + "/a/linked");
        fs::create_symlink(outside_.path() + "/secret.txt", root() + "/a/b/last");
        ::mkfifo((root() + "/a/b/fifo").c_str(), 0600);
    }
    void TearDown() override { bn::ForceComponentWalk(false); }
    const std::string& root() const { return root_.path(); }

    TempDir root_, outside_;
};

TEST_P(BeneathTest, TheWalkReachesOnlyPlainFilesBelowItsRoot) {
    struct Case {
        std::string relative;
        bn::LeafState state;
        bool opens;  // as a regular file for reading
    };
    const Case cases[] = {
        {"a/b/file.txt", bn::LeafState::Regular, true},
        {"a/b/none.txt", bn::LeafState::Gone, false},
        {"a/b/../b/file.txt", bn::LeafState::Other, false},  // ".." is never taken
        {"../" + fs::path(outside_.path()).filename().string() + "/secret.txt",
         bn::LeafState::Other, false},
        {outside_.path() + "/secret.txt", bn::LeafState::Other, false},  // absolute
        {"a/linked/secret.txt", bn::LeafState::Other, false},            // a link in the middle
        {"a/b/last", bn::LeafState::Other, false},                       // a link at the end
        {"a/b/fifo", bn::LeafState::Other, false},                       // refused without blocking
        {"a/b/file.txt/x", bn::LeafState::Other, false},
        {"a//b/file.txt", bn::LeafState::Other, false},
        {"", bn::LeafState::Other, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bn::StateBeneath(root(), c.relative), c.state) << c.relative;
        std::string why;
        const bn::UniqueFd fd = bn::OpenRegularBeneath(root(), c.relative, &why);
        EXPECT_EQ(fd.Valid(), c.opens) << c.relative;
        if (!c.opens) {
            EXPECT_FALSE(why.empty()) << c.relative;
        }
    }
}

TEST_P(BeneathTest, ARootThisProgramMadeIsNotTakenThroughALink) {
    const std::string linkedRoot = outside_.path() + "/root-link";
    fs::create_directory_symlink(root(), linkedRoot);
    std::string why;
    EXPECT_TRUE(bn::OpenRegularBeneath(linkedRoot, "a/b/file.txt", &why).Valid()) << why;
    EXPECT_FALSE(
        bn::OpenRegularBeneath(linkedRoot, "a/b/file.txt", &why, bn::RootLink::Refuse).Valid());
    EXPECT_NE(why.find("without following a link"), std::string::npos) << why;
    EXPECT_TRUE(bn::OpenRegularBeneath(root(), "a/b/file.txt", &why, bn::RootLink::Refuse).Valid());
}

TEST_P(BeneathTest, RemovalNeverReachesThroughALinkedFolder) {
    std::string why;
    EXPECT_FALSE(bn::RemoveRegularBeneath(root(), "a/linked/secret.txt", &why));
    EXPECT_NE(why.find("link"), std::string::npos) << why;
    EXPECT_FALSE(bn::RemoveRegularBeneath(root(), "a/b/last", &why));
    EXPECT_FALSE(bn::RemoveRegularBeneath(root(), "a/b/fifo", &why));
    EXPECT_FALSE(bn::RemoveRegularBeneath(root(), "a/b/none", &why));
    EXPECT_EQ(why, "it is gone already");
    EXPECT_TRUE(fs::exists(outside_.path() + "/secret.txt"));
    EXPECT_TRUE(fs::is_symlink(root() + "/a/b/last"));

    EXPECT_TRUE(bn::RemoveRegularBeneath(root(), "a/b/file.txt", &why)) << why;
    EXPECT_FALSE(fs::exists(root() + "/a/b/file.txt"));
}

TEST_P(BeneathTest, WritingMakesFoldersButNeverPassesALinkOrReplacesAFile) {
    WriteTextFile(outside_.path() + "/source", "bytes");
    const bn::UniqueFd source(::open((outside_.path() + "/source").c_str(), O_RDONLY));
    ASSERT_TRUE(source.Valid());
    std::string why;

    EXPECT_EQ(bn::WriteNewBeneath(root(), "a/new/deeper/file", source.Get(), 0640, &why),
              bn::WriteResult::Written)
        << why;
    EXPECT_EQ(ReadTextFile(root() + "/a/new/deeper/file"), "bytes");
    EXPECT_EQ(fs::status(root() + "/a/new/deeper/file").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(bn::WriteNewBeneath(root(), "a/new/deeper/file", source.Get(), 0640, &why),
              bn::WriteResult::SameAlready);
    EXPECT_EQ(bn::WriteNewBeneath(root(), "a/b/file.txt", source.Get(), 0640, &why),
              bn::WriteResult::InTheWay);
    EXPECT_EQ(ReadTextFile(root() + "/a/b/file.txt"), "inside");
    EXPECT_EQ(bn::WriteNewBeneath(root(), "a/b/last", source.Get(), 0640, &why),
              bn::WriteResult::InTheWay);

    EXPECT_EQ(bn::WriteNewBeneath(root(), "a/linked/planted", source.Get(), 0640, &why),
              bn::WriteResult::Failed);
    EXPECT_EQ(bn::WriteNewBeneath(root(), "a/linked/sub/planted", source.Get(), 0640, &why),
              bn::WriteResult::Failed);
    EXPECT_EQ(bn::WriteNewBeneath(root(), "../planted", source.Get(), 0640, &why),
              bn::WriteResult::Failed);
    EXPECT_FALSE(fs::exists(outside_.path() + "/planted"));
    EXPECT_FALSE(fs::exists(outside_.path() + "/sub"));
    EXPECT_FALSE(fs::exists(fs::path(root()).parent_path() / "planted"));
    // No temporary file is left behind.
    for (const auto& entry : fs::directory_iterator(root() + "/a/new/deeper"))
        EXPECT_EQ(entry.path().filename(), "file");
}

TEST_P(BeneathTest, OnlyWinesShellFolderLinksIntoTheHomeFolderStandForAPlace) {
    TempDir home;
    const std::string driveC = root() + "/drive_c";
    fs::create_directories(driveC + "/users/me");
    fs::create_directories(home.path() + "/Desktop");
    fs::create_directory_symlink(home.path() + "/Desktop", driveC + "/users/me/Desktop");
    fs::create_directory_symlink(home.path(), driveC + "/users/me/Documents");
    fs::create_directory_symlink(outside_.path(), driveC + "/users/me/Music");
    fs::create_directory_symlink("../../../x", driveC + "/users/me/Videos");
    fs::create_directories(driveC + "/users/other");
    fs::create_directory_symlink(driveC + "/users/me", driveC + "/users/linkedUser");

    const auto desktop = bn::ShellFolderPlace(driveC, "users/me/Desktop/x.lnk", home.path());
    ASSERT_TRUE(desktop);
    EXPECT_EQ(desktop->root, home.path());
    EXPECT_EQ(desktop->relative, "Desktop/x.lnk");
    const auto documents =
        bn::ShellFolderPlace(driveC, "users/me/Documents/sub/y.lnk", home.path());
    ASSERT_TRUE(documents);
    EXPECT_EQ(documents->relative, "sub/y.lnk");

    EXPECT_FALSE(bn::ShellFolderPlace(driveC, "users/me/Music/x.lnk", home.path()));
    EXPECT_FALSE(bn::ShellFolderPlace(driveC, "users/me/Videos/x.lnk", home.path()));
    EXPECT_FALSE(bn::ShellFolderPlace(driveC, "users/linkedUser/Desktop/x.lnk", home.path()));
    EXPECT_FALSE(bn::ShellFolderPlace(driveC, "users/me/Desktop", home.path()));
    EXPECT_FALSE(bn::ShellFolderPlace(driveC, "users/me/../me/Desktop/x.lnk", home.path()));
    EXPECT_FALSE(bn::ShellFolderPlace(driveC, "windows/Desktop/x/y.lnk", home.path()));
}

TEST(BeneathRelative, APathCountsOnlyWhenItIsPlainAndStrictlyBelowItsRoot) {
    EXPECT_EQ(bn::RelativeTo("/r", "/r/a/b"), "a/b");
    EXPECT_EQ(bn::RelativeTo("/r/", "/r/a"), "a");
    EXPECT_EQ(bn::RelativeTo("/", "/etc/x"), "etc/x");
    EXPECT_FALSE(bn::RelativeTo("/r", "/r"));
    EXPECT_FALSE(bn::RelativeTo("/r", "/r/"));
    EXPECT_FALSE(bn::RelativeTo("/r", "/rx/a"));
    EXPECT_FALSE(bn::RelativeTo("/r", "/r/../etc"));
    EXPECT_FALSE(bn::RelativeTo("/r", "/r/a/./b"));
    EXPECT_FALSE(bn::RelativeTo("r", "r/a"));
}

INSTANTIATE_TEST_SUITE_P(Walks, BeneathTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "ComponentWalk" : "Openat2"; });

}  // namespace
