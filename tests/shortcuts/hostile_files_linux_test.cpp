// Files a walk must survive: crafted links whose size fields ask the parser
// for gigabytes, links too big to be links, FIFOs and folders named like
// links, and folders or links the host refuses to open. None of them may
// stall the scan or become a problem to repair; what cannot be read is
// named as unreadable.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "lnk_builder.h"
#include "results/scan_report.h"
#include "session/scan_session.h"
#include "shortcuts/drive_walk.h"
#include "shortcuts/lnk_file.h"
#include "shortcuts/shortcut_check.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "system/settings.h"
#include "system/shortcut_reader.h"
#include "system/text.h"
#include "system/wine/wine_files.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

// A 244-byte link whose link-information size reads 0x93460000: the
// parser, handed it unchecked, asks for 2.4 GB.
constexpr std::string_view kGreedyLnk =
    "TAAAAAEUAgAAAAAAwAAAAAAAAEaTAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
    "AAAMAAAAAAAAB"
    "GkwAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAEAAAAAAAAAAAAAAAAAAAAFARQAHwDgT9Ag6jppE"
    "KLYCAArMDCdGQ"
    "AjQzpcAAAAAAAAAAAAAAAAAAAAAAAAAE4AMQAAAAAAiV3yNBAAUHJvZ3JhbeBP0CDqOmkQotgIACBGaWxlcwAyAAAAACsw"
    "MJ0ZACNDOlwAAA"
    "AAAA==";

std::vector<std::uint8_t> FromBase64(std::string_view text) {
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        return c == '+' ? 62 : c == '/' ? 63 : -1;
    };
    std::vector<std::uint8_t> out;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const int v = value(c);
        if (v < 0) continue;
        bits = (bits << 6) | static_cast<std::uint32_t>(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<std::uint8_t>((bits >> count) & 0xFF));
        }
    }
    return out;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A well-formed link to a missing C:\gone\app.exe.
std::vector<std::uint8_t> BrokenLink() {
    LnkParts parts;
    parts.itemList = MyComputerItem();
    const auto drive = DriveItem("C:\\");
    parts.itemList.insert(parts.itemList.end(), drive.begin(), drive.end());
    const auto folder = FileEntryItem("gone", u"gone", 9, true);
    parts.itemList.insert(parts.itemList.end(), folder.begin(), folder.end());
    const auto file = FileEntryItem("app.exe", u"app.exe", 9, false);
    parts.itemList.insert(parts.itemList.end(), file.begin(), file.end());
    return BuildLnk(parts);
}

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override { files_.MapDrive('C', dir_.path()); }
    std::string Host(const std::string& rel) const { return dir_.path() + "/" + rel; }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (const auto& row : session_.result.problems.Of<ShortcutProblem>())
            rows.push_back(row.path);
        return rows;
    }

    TempDir dir_;
    TempDir settingsDir_;
    HostFolderFileSystem files_;
    EmptyRegistry registry_;
    AnsweringObserver observer_;
    IniSettingsStore settings_{settingsDir_ / "settings.ini"};
    ScanSession session_{registry_, files_, settings_, observer_};
};

}  // namespace

TEST(LnkSizes, WellFormedLinksFitAndCraftedOnesDoNot) {
    const auto good = BrokenLink();
    EXPECT_TRUE(LnkSizesFit(good));
    EXPECT_TRUE(LnkSizesFit(StripLinkInfo(good)));
    const auto greedy = FromBase64(kGreedyLnk);
    ASSERT_EQ(greedy.size(), 244u);
    EXPECT_FALSE(LnkSizesFit(greedy));
    // Cut anywhere inside its item list, a good link no longer fits.
    EXPECT_FALSE(LnkSizesFit(std::vector<std::uint8_t>(good.begin(), good.begin() + 0x50)));
    EXPECT_FALSE(LnkSizesFit(std::vector<std::uint8_t>(good.begin(), good.begin() + 40)));
}

TEST_F(HostileFiles, CraftedAndOversizedLinksAreUnreadableNeverBroken) {
    WriteBytes(Host("bad/greedy.lnk"), FromBase64(kGreedyLnk));
    auto big = BrokenLink();
    big.resize(kMaxShortcutFileSize + 1, 0);  // a broken link padded past the limit
    WriteBytes(Host("bad/big.lnk"), big);
    WriteBytes(Host("bad/gone.lnk"), BrokenLink());
    WriteTextFile(Host("bad/notes.lnk"), "just text, named like a link");

    const ShortcutInfo greedy = ReadShortcut(files_, "C:\\bad\\greedy.lnk");
    EXPECT_TRUE(greedy.unreadable);
    EXPECT_FALSE(greedy.isLink);
    EXPECT_TRUE(ReadShortcut(files_, "C:\\bad\\big.lnk").unreadable);
    const ShortcutInfo gone = ReadShortcut(files_, "C:\\bad\\gone.lnk");
    EXPECT_FALSE(gone.unreadable);
    EXPECT_EQ(gone.targetPath, "C:\\gone\\app.exe");

    ScanDriveForShortcuts(session_, "C:\\");
    EXPECT_EQ(Rows(), std::vector<std::string>{"C:\\bad\\gone.lnk"});
    EXPECT_EQ(session_.result.unreadable.shortcuts,
              (std::vector<std::string>{"C:\\bad\\big.lnk", "C:\\bad\\greedy.lnk",
                                        "C:\\bad\\notes.lnk"}));
    EXPECT_TRUE(session_.result.unreadable.folders.empty());
}

TEST_F(HostileFiles, AFifoNamedLikeALinkNeverBlocksTheReader) {
    fs::create_directories(Host("pipes"));
    ASSERT_EQ(::mkfifo(Host("pipes/x.lnk").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(Host("pipes/y.url").c_str(), 0600), 0);
    fs::create_directories(Host("pipes/folder.lnk"));
    // Opening either FIFO for a blocking read would wait here for ever.
    const ShortcutInfo fifo = ReadShortcut(files_, "C:\\pipes\\x.lnk");
    EXPECT_FALSE(fifo.isLink);
    EXPECT_FALSE(fifo.unreadable);
    EXPECT_FALSE(ReadShortcut(files_, "C:\\pipes\\y.url").isLink);
    CheckShortcut(session_, "C:\\pipes\\x.lnk");
    CheckShortcut(session_, "C:\\pipes\\folder.lnk");
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(session_.result.unreadable.Empty());
}

// A file system that refuses to list one folder, as the host does for a
// folder without read permission (root reads them all, so this stands in).
class RefusingFileSystem : public HostFolderFileSystem {
public:
    LONG FindFiles(std::string_view pattern, std::vector<FindData>* found) override {
        if (EqualsNoCase(pattern, refused)) {
            found->clear();
            return ERROR_ACCESS_DENIED;
        }
        return HostFolderFileSystem::FindFiles(pattern, found);
    }
    std::string refused;
};

TEST_F(HostileFiles, ARefusedFolderIsNamedAndTheWalkGoesOnPastIt) {
    WriteBytes(Host("a/closed/inside.lnk"), BrokenLink());
    WriteBytes(Host("a/gone.lnk"), BrokenLink());
    WriteBytes(Host("b/gone.lnk"), BrokenLink());
    RefusingFileSystem files;
    files.MapDrive('C', dir_.path());
    files.refused = "C:\\a\\closed\\*";
    ScanSession session(registry_, files, settings_, observer_);
    ScanDriveForShortcuts(session, "C:\\");
    std::vector<std::string> rows;
    for (const auto& row : session.result.problems.Of<ShortcutProblem>()) rows.push_back(row.path);
    EXPECT_EQ(rows, (std::vector<std::string>{"C:\\a\\gone.lnk", "C:\\b\\gone.lnk"}));
    EXPECT_EQ(session.result.unreadable.folders, std::vector<std::string>{"C:\\a\\closed\\"});
    EXPECT_TRUE(session.result.unreadable.shortcuts.empty());

    // The report says so after the problems; without it the report is as
    // it always was.
    const std::string report = ScanReportText(session, "2026-12-09");
    const std::size_t note =
        report.find(" Not scanned: these could not be read.\r\n >>>> Folder C:\\a\\closed\\\r\n");
    EXPECT_NE(note, std::string::npos);
    EXPECT_LT(report.find("C:\\b\\gone.lnk"), note);
    session.result.unreadable = {};
    EXPECT_EQ(ScanReportText(session, "2026-12-09").find("Not scanned"), std::string::npos);
}

TEST_F(HostileFiles, FoldersAndLinksTheHostRefusesAreNamedAndTheWalkGoesOn) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    WriteBytes(Host("closed/inside.lnk"), BrokenLink());
    WriteBytes(Host("open/gone.lnk"), BrokenLink());
    WriteBytes(Host("open/locked.lnk"), BrokenLink());
    ::chmod(Host("open/locked.lnk").c_str(), 0);
    ::chmod(Host("closed").c_str(), 0);
    ScanDriveForShortcuts(session_, "C:\\");
    ::chmod(Host("closed").c_str(), 0700);
    EXPECT_EQ(Rows(), std::vector<std::string>{"C:\\open\\gone.lnk"});
    EXPECT_EQ(session_.result.unreadable.folders, std::vector<std::string>{"C:\\closed\\"});
    EXPECT_EQ(session_.result.unreadable.shortcuts,
              std::vector<std::string>{"C:\\open\\locked.lnk"});
}

// Host names whose bytes are not UTF-8 reach the scan as Wine shows them,
// with U+FFFD where the bytes were: caf\xE9.lnk and caf\xE8.lnk share one
// Windows path (and would share one problem id), and neither names its file
// exactly. Neither is listed; both are counted as not checked, by both of
// the prefix backend's walks, and so are the links below a folder of such
// a name. A broken link of a plain name beside them is still found.
TEST(InexactNames, ShortcutsWhoseHostNameIsNotUtf8AreCountedNotJudged) {
    TempDir top;
    const std::string prefix = top.path() + "/pfx";
    const std::string c = prefix + "/drive_c";
    fs::create_directories(prefix + "/dosdevices");
    WriteTextFile(prefix + "/system.reg", "WINE REGISTRY Version 2\n");
    fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
    WriteBytes(c + "/Desktop/caf\xE9.lnk", BrokenLink());
    WriteBytes(c + "/Desktop/caf\xE8.lnk", BrokenLink());
    WriteBytes(c + "/Desktop/Gone.lnk", BrokenLink());
    WriteBytes(c + "/Spiele f\xFCr/Old.lnk", BrokenLink());

    class SearchWalkFiles : public WineFileSystem {
    public:
        using WineFileSystem::WineFileSystem;
        std::unique_ptr<DriveWalker> StartDriveWalk(std::string_view) override { return nullptr; }
    };
    WineFileSystem own(prefix, {}, 0);
    SearchWalkFiles search(prefix, {}, 0);
    for (FileSystemApi* files :
         {static_cast<FileSystemApi*>(&own), static_cast<FileSystemApi*>(&search)}) {
        TempDir settingsDir;
        EmptyRegistry registry;
        AnsweringObserver observer;
        IniSettingsStore settings(settingsDir / "settings.ini");
        ScanSession session{registry, *files, settings, observer};
        ScanDriveForShortcuts(session, "C:\\");
        std::vector<std::string> rows;
        for (const auto& row : session.result.problems.Of<ShortcutProblem>())
            rows.push_back(row.path);
        EXPECT_EQ(rows, std::vector<std::string>{"C:\\Desktop\\Gone.lnk"});
        EXPECT_EQ(session.result.notChecked.byReason[NotCheckedReason::InexactName], 3u);
        EXPECT_EQ(NotCheckedText(session.result.notChecked),
                  "Not checked: 3 entries with a file name that is not UTF-8");
    }
}
