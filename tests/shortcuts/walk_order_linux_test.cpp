// The prefix backend's own walk (one listing per folder, entries judged from
// it) against the walk made of single searches and look-ups, on a generated
// tree with everything a walk must get right: links to files and folders
// inside and outside the prefix, loops, dangling links, FIFOs, a prefix
// nested in the drive, the Desktop linked out of the prefix, hidden files
// (dot-files and stored DOS attributes), names Windows cannot take as they
// are, names equal but for letter case, and paths longer than the file calls
// of Windows accept. Both walks must hand out the same captions, in the
// same order, and find the same rows; the repair must be able to hold the
// same files afterwards.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "session/scan_session.h"
#include "shortcuts/drive_walk.h"
#include "support/recording_observer.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "system/settings.h"
#include "system/wine/wine_files.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

// The prefix backend with its own walk turned off: the walk then searches
// every folder and looks up every entry by its path, one call at a time.
class SearchWalkFiles : public WineFileSystem {
public:
    using WineFileSystem::WineFileSystem;
    std::unique_ptr<DriveWalker> StartDriveWalk(std::string_view) override { return nullptr; }
};

// Records the two progress captions in the order the walk sets them.
// The folders and entries the walk tells its observer, in order.
class CaptionLog : public vostrel::testing::RecordingObserver {
public:
    void KeyVisited(std::string_view text) override {
        log.push_back("folder " + std::string(text));
    }
    void ValueVisited(std::string_view text) override {
        log.push_back("entry " + std::string(text));
    }
    std::vector<std::string> log;
};

struct WalkRecord {
    std::vector<std::string> captions;
    std::vector<std::string> rows;
    std::vector<std::string> unreadableFolders;
    std::vector<std::string> unreadableShortcuts;
    std::vector<std::string> holds;  // what the repair's hold says of every row
};

void Link(const std::string& target, const std::string& at) { fs::create_symlink(target, at); }

void Broken(const std::string& path) {
    WriteTextFile(path, BrokenLinkBytes(fs::path(path).filename().string()));
}

class WalkOrder : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string c = prefix_ + "/drive_c";
        fs::create_directories(prefix_ + "/dosdevices");
        fs::create_directories(c);
        WriteTextFile(prefix_ + "/system.reg", "WINE REGISTRY Version 2\n");
        fs::create_directory_symlink("../drive_c", prefix_ + "/dosdevices/c:");
        fs::create_directory_symlink(host_, prefix_ + "/dosdevices/d:");
        fs::create_directory_symlink(top_.path(), prefix_ + "/dosdevices/z:");
        fs::create_directories(host_);
        fs::create_directories(outside_);

        GenerateTree(c, 0);
        // Links: to files and folders inside the prefix, out of it, back up
        // the tree (loops), and nowhere.
        fs::create_directories(c + "/links/sub");
        Broken(c + "/links/sub/Real.lnk");
        Broken(outside_ + "/Outside.lnk");
        fs::create_directories(outside_ + "/folder");
        Broken(outside_ + "/folder/Far.lnk");
        Link(c + "/links/sub/Real.lnk", c + "/links/ToReal.lnk");
        Link(outside_ + "/Outside.lnk", c + "/links/ToOutside.lnk");
        Link(c + "/links/nothing.lnk", c + "/links/Dangling.lnk");
        Link("..", c + "/links/sub/Up");
        Link(c, c + "/links/sub/Root");
        Link(c + "/links/sub", c + "/links/Sideways");
        Link(outside_ + "/folder", c + "/links/Away");
        Link(prefix_, c + "/links/ThePrefix");
        ::mkfifo((c + "/links/Pipe.lnk").c_str(), 0600);
        // The Desktop linked out of the prefix: its own files count.
        fs::create_directories(c + "/users/ann");
        fs::create_directories(outside_ + "/Desktop/Deeper");
        Broken(outside_ + "/Desktop/Game.lnk");
        Broken(outside_ + "/Desktop/Deeper/Hidden away.lnk");
        Link(outside_ + "/Desktop", c + "/users/ann/Desktop");
        // A prefix inside the drive is never entered.
        fs::create_directories(c + "/games/other/dosdevices");
        WriteTextFile(c + "/games/other/system.reg", "WINE REGISTRY Version 2\n");
        fs::create_directories(c + "/games/other/drive_c");
        Broken(c + "/games/other/drive_c/Theirs.lnk");
        Broken(c + "/games/Mine.lnk");
        // Hidden files and the names Windows cannot take as they are.
        fs::create_directories(c + "/odd/.config");
        Broken(c + "/odd/.config/Dot.lnk");
        Broken(c + "/odd/.hidden.lnk");
        Broken(c + "/odd/Stored.lnk");
        ::setxattr((c + "/odd/Stored.lnk").c_str(), "user.DOSATTRIB", "0x6", 3, 0);
        for (const char* name :
             {"Twin.lnk", "twin.lnk", "TWIN.LNK", "caf\xc3\xa9.lnk", "bad\xff.lnk", "bad\xfe.lnk",
              "trail.lnk.", "trail.lnk", "blank.lnk ", "star*.lnk", "col:on.lnk", "back\\slash.lnk",
              "que?.lnk", "a.b.c", "README", "lnk", "x.URL", "Long name with spaces.lnk"})
            Broken(c + "/odd/" + name);
        WriteTextFile(c + "/odd/Garbage.lnk", "not a link at all");
        fs::create_directories(c + "/odd/dir.lnk");
        fs::create_directories(c + "/odd/abc");
        fs::create_directories(c + "/odd/abc.");
        Broken(c + "/odd/abc./InDotted.lnk");
        fs::create_directories(c + "/odd/lone.");
        Broken(c + "/odd/lone./InLone.lnk");
        fs::create_directories(c + "/odd/caf\xc3\xa9");
        Broken(c + "/odd/caf\xc3\xa9/Inside.lnk");
        fs::create_directories(c + "/odd/bad\xff");
        Broken(c + "/odd/bad\xff/InBad.lnk");
        // Folders the host refuses to list or to search (for anyone but root).
        for (const auto& [name, mode] :
             {std::pair{"closed", 0}, {"listonly", 0444}, {"searchonly", 0111}}) {
            const std::string folder = c + "/refused/" + name;
            fs::create_directories(folder + "/inner");
            Broken(folder + "/In" + name + ".lnk");
            ::chmod(folder.c_str(), static_cast<mode_t>(mode));
            refused_.push_back(folder);
        }
        // Paths longer than the 259 characters Windows' file calls take.
        std::string deep = c + "/deep";
        for (int level = 0; level < 14; ++level) {
            deep += "/level " + std::to_string(level) + " with a fairly long folder name";
            fs::create_directories(deep);
            Broken(deep + "/At" + std::to_string(level) + ".lnk");
            Broken(deep + "/" + std::string(150, 'n') + ".lnk");
        }
        // The host drive: holds a link into the prefix and the prefix itself
        // (through z:, which maps the folder holding everything).
        fs::create_directories(host_ + "/apps");
        Broken(host_ + "/apps/Host.lnk");
        Link(prefix_ + "/drive_c", host_ + "/IntoPrefix");
        Link(outside_, host_ + "/OutOfDrive");
        Link(host_ + "/apps", host_ + "/Again");
    }

    void TearDown() override {
        for (const auto& folder : refused_) ::chmod(folder.c_str(), 0755);
    }

    // Folders and files of a seeded random shape, up to four levels deep.
    void GenerateTree(const std::string& folder, int depth) {
        const int files = static_cast<int>(random_() % 7);
        for (int i = 0; i < files; ++i) {
            const unsigned kind = random_() % 5;
            const std::string name = "F" + std::to_string(random_() % 1000);
            if (kind == 0)
                WriteTextFile(folder + "/" + name + ".txt", "text");
            else if (kind == 1)
                WriteTextFile(folder + "/" + name, "no dot");
            else
                Broken(folder + "/" + name + (kind == 2 ? ".LNK" : ".lnk"));
        }
        if (depth == 4) return;
        const int folders = static_cast<int>(random_() % 4);
        for (int i = 0; i < folders; ++i) {
            const std::string sub =
                folder + "/" + (random_() % 2 ? "Sub" : "sub") + std::to_string(random_() % 100);
            fs::create_directories(sub);
            GenerateTree(sub, depth + 1);
        }
    }

    template <class Files>
    WalkRecord Record(const std::vector<std::string>& starts) {
        Files files(prefix_, {});
        EmptyRegistry registry;
        CaptionLog window;
        TempDir settingsDir;
        IniSettingsStore settings(settingsDir / "settings.ini");
        ScanSession session(registry, files, settings, window);
        for (const std::string& start : starts) {
            if (start.size() == 3)
                ScanDriveForShortcuts(session, start);
            else
                ScanFolderForShortcuts(session, start);
        }
        WalkRecord record;
        record.captions = window.log;
        for (const ShortcutProblem& problem : session.result.problems.Of<ShortcutProblem>()) {
            record.rows.push_back(problem.path);
            std::string why;
            bool gone = false;
            const auto held = files.HoldWalkedFile(problem.path, &why, &gone);
            record.holds.push_back(held ? "held" : why + (gone ? " (gone)" : ""));
        }
        record.unreadableFolders = session.result.unreadable.folders;
        record.unreadableShortcuts = session.result.unreadable.shortcuts;
        return record;
    }

    static bool Has(const std::vector<std::string>& rows, std::string_view end) {
        for (const auto& row : rows)
            if (row.size() >= end.size() &&
                row.compare(row.size() - end.size(), end.size(), end) == 0)
                return true;
        return false;
    }

    TempDir top_;
    std::string prefix_ = top_ / "pfx";
    std::string host_ = top_ / "hostdrive";
    std::string outside_ = top_ / "outside";
    std::vector<std::string> refused_;
    std::mt19937 random_{2006};
};

TEST_F(WalkOrder, OwnWalkMatchesTheSearchWalkOnEveryDrive) {
    const std::vector<std::string> starts{"C:\\", "D:\\", "Z:\\"};
    const WalkRecord search = Record<SearchWalkFiles>(starts);
    const WalkRecord own = Record<WineFileSystem>(starts);
    EXPECT_EQ(own.captions, search.captions);
    EXPECT_EQ(own.rows, search.rows);
    EXPECT_EQ(own.holds, search.holds);
    EXPECT_EQ(own.unreadableFolders, search.unreadableFolders);
    EXPECT_EQ(own.unreadableShortcuts, search.unreadableShortcuts);

    // The tree is what it is meant to be: the walk reached deep, linked and
    // odd places and kept out of the others.
    EXPECT_GT(own.rows.size(), 40u);
    EXPECT_TRUE(Has(own.rows, "\\users\\ann\\Desktop\\Game.lnk"));
    EXPECT_FALSE(Has(own.rows, "C:\\users\\ann\\Desktop\\Deeper\\Hidden away.lnk"));
    EXPECT_TRUE(Has(own.rows, "\\links\\ToReal.lnk"));
    EXPECT_FALSE(Has(own.rows, "\\links\\ToOutside.lnk"));
    EXPECT_FALSE(Has(own.rows, "Theirs.lnk"));
    EXPECT_TRUE(Has(own.rows, "\\games\\Mine.lnk"));
    EXPECT_TRUE(Has(own.rows, "\\odd\\.hidden.lnk"));
    EXPECT_TRUE(Has(own.rows, "\\odd\\Stored.lnk"));
    EXPECT_TRUE(Has(own.rows, "At5.lnk"));
    EXPECT_FALSE(Has(own.rows, "At6.lnk"));  // its folder is too long a path to search
    EXPECT_TRUE(Has(own.rows, "D:\\Again\\Host.lnk"));
    EXPECT_FALSE(Has(own.rows, "D:\\apps\\Host.lnk"));  // the same folder, entered before
    EXPECT_FALSE(Has(own.rows, "D:\\IntoPrefix\\games\\Mine.lnk"));
    EXPECT_TRUE(Has(own.unreadableShortcuts, "\\odd\\Garbage.lnk"));
    if (::geteuid() != 0) {
        EXPECT_TRUE(Has(own.unreadableFolders, "C:\\refused\\closed\\"));
    }
}

TEST_F(WalkOrder, OwnWalkMatchesTheSearchWalkFromAFolder) {
    const std::vector<std::string> starts{"C:\\links",
                                          "c:\\ODD\\",
                                          "C:\\odd\\..\\deep\\",
                                          "C:\\odd\\abc.\\",
                                          "C:\\users\\ann\\Desktop\\",
                                          "C:\\nowhere\\",
                                          "C:\\refused\\listonly\\",
                                          "C:\\refused\\searchonly"};
    const WalkRecord search = Record<SearchWalkFiles>(starts);
    const WalkRecord own = Record<WineFileSystem>(starts);
    EXPECT_EQ(own.captions, search.captions);
    EXPECT_EQ(own.rows, search.rows);
    EXPECT_EQ(own.holds, search.holds);
    EXPECT_EQ(own.unreadableFolders, search.unreadableFolders);
    EXPECT_EQ(own.unreadableShortcuts, search.unreadableShortcuts);
    EXPECT_TRUE(Has(own.rows, "c:\\ODD\\Twin.lnk"));
}

}  // namespace
