// Links made on other machines: with their ANSI texts in another code page,
// pointing at network shares, advertised by Windows Installer, or damaged so
// that the link library works out sizes no string can have. None of them
// may be called broken on a guess, and none may stop the scan.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lnk_builder.h"
#include "session/scan_session.h"
#include "shortcuts/advertised.h"
#include "shortcuts/ansi_text.h"
#include "shortcuts/item_list.h"
#include "shortcuts/shortcut_check.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "system/settings.h"
#include "system/shortcut_reader.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::uint8_t> LinkTo(const LinkInfo& info) {
    LnkParts parts;
    parts.linkInfo = BuildLinkInfo(info);
    return BuildLnk(parts);
}

// A location block whose local base path and common path suffix both start
// at its very end: liblnk works their UTF-8 size out as 0 + 0 - 1.
std::vector<std::uint8_t> EmptyLocationLink() {
    LinkInfo info;
    auto block = BuildLinkInfo(info);
    const std::size_t end = block.size();
    for (std::size_t at : {std::size_t{16}, std::size_t{24}})
        for (int i = 0; i < 4; ++i) block[at + i] = static_cast<std::uint8_t>(end >> (8 * i));
    LnkParts parts;
    parts.linkInfo = block;
    return BuildLnk(parts);
}

// Windows Installer's own example: Office 2003's product, the feature
// "FollowTheWhiteRabbit" and a component.
constexpr const char* kOfficeDescriptor =
    "']gAVn-}f(ZXfeAR6.jiFollowTheWhiteRabbit>3w2x^IGfe?CxI5heAvk.";
constexpr const char* kOfficeSquashed = "9040110900063D11C8EF10054038389C";

std::vector<std::uint8_t> AdvertisedLink(const std::string& descriptor) {
    LnkParts parts;
    parts.moreFlags = 0x1000;  // has a Darwin id
    if (!descriptor.empty()) parts.extraData = DarwinBlock(descriptor);
    // What the installer writes besides: a path to the product's icon.
    LinkInfo icon;
    icon.localBase = "C:\\Windows\\Installer\\{90110409}\\gone_icon.exe";
    parts.linkInfo = BuildLinkInfo(icon);
    return BuildLnk(parts);
}

// A file system whose drive N: is a network drive.
class NetworkDriveFiles : public HostFolderFileSystem {
public:
    DriveState StateOfDrive(char letter) override {
        DriveState state;
        if (letter == 'N') state.reach = DriveReach::Network;
        return state;
    }
};

class ForeignLinks : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(c_);
        fs::create_directories(n_);
        files_.MapDrive('C', c_);
        files_.MapDrive('N', n_);
    }

    void SetCodePage(const std::string& acp) {
        registry_.SetString(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls\\CodePage",
                            "ACP", acp);
    }

    void Check(const std::string& windowsPath) { CheckShortcut(session_, windowsPath); }

    std::vector<std::string> Recorded() const {
        std::vector<std::string> paths;
        for (const auto& problem : session_.result.problems.Of<ShortcutProblem>())
            paths.push_back(problem.path);
        return paths;
    }

    std::size_t NotChecked(NotCheckedReason why) const {
        const auto it = session_.result.notChecked.byReason.find(why);
        return it == session_.result.notChecked.byReason.end() ? 0 : it->second;
    }

    TempDir dir_;
    std::string c_ = dir_ / "c";
    std::string n_ = dir_ / "n";
    NetworkDriveFiles files_;
    MemoryRegistry registry_;
    AnsweringObserver observer_;
    IniSettingsStore settings_{dir_ / "settings.ini"};
    ScanSession session_{registry_, files_, settings_, observer_};
};

// --- a link the library cannot read through ---------------------------------

TEST_F(ForeignLinks, AnEmptyLocationBlockLeavesTheLinkUnreadableAndTheScanGoesOn) {
    WriteBytes(fs::path(c_) / "links/empty.lnk", EmptyLocationLink());
    LnkParts gone;
    gone.relativePath = ".\\gone.exe";
    WriteBytes(fs::path(c_) / "links/gone.lnk", BuildLnk(gone));

    const ShortcutInfo info = ReadShortcut(files_, "C:\\links\\empty.lnk");
    EXPECT_TRUE(info.unreadable);
    EXPECT_FALSE(info.isLink);
    Check("C:\\links\\empty.lnk");
    Check("C:\\links\\gone.lnk");
    EXPECT_EQ(session_.result.unreadable.shortcuts,
              std::vector<std::string>{"C:\\links\\empty.lnk"});
    EXPECT_EQ(Recorded(), std::vector<std::string>{"C:\\links\\gone.lnk"});
}

// --- network shares ---------------------------------------------------------

TEST_F(ForeignLinks, TargetsOnNetworkSharesAreNotCheckedWhateverTheyAreReachedBy) {
    LinkInfo unc;  // \\server\docs\report.doc, no drive letter
    unc.volume = false;
    unc.netName = "\\\\server\\docs";
    unc.suffix = "report.doc";
    WriteBytes(fs::path(c_) / "net/unc.lnk", LinkTo(unc));
    LinkInfo mapped = unc;  // the same share mapped to Z:, which Wine makes the host's root
    mapped.volume = true;
    mapped.localBase = "Z:\\report.doc";
    mapped.suffix = "";
    mapped.deviceName = "Z:";
    WriteBytes(fs::path(c_) / "net/mapped.lnk", LinkTo(mapped));
    LinkInfo remote;  // a drive the maker had as a network drive
    remote.driveType = 4;
    remote.localBase = "M:\\tools\\tool.exe";
    WriteBytes(fs::path(c_) / "net/remote.lnk", LinkTo(remote));
    LinkInfo here;  // a drive this machine has as a network drive
    here.localBase = "N:\\gone.exe";
    WriteBytes(fs::path(c_) / "net/here.lnk", LinkTo(here));
    LinkInfo local;  // an ordinary link beside them
    local.localBase = "C:\\gone.exe";
    WriteBytes(fs::path(c_) / "net/local.lnk", LinkTo(local));

    EXPECT_TRUE(ReadShortcut(files_, "C:\\net\\mapped.lnk").onNetwork);
    EXPECT_TRUE(ReadShortcut(files_, "C:\\net\\mapped.lnk").targetPath.empty());
    for (const char* name : {"unc", "mapped", "remote", "here", "local"})
        Check(std::string("C:\\net\\") + name + ".lnk");
    EXPECT_EQ(Recorded(), std::vector<std::string>{"C:\\net\\local.lnk"});
    EXPECT_EQ(NotChecked(NotCheckedReason::Network), 4u);
    EXPECT_TRUE(session_.result.unreadable.shortcuts.empty());
}

TEST_F(ForeignLinks, AnExistingTargetOnANetworkDriveOfThisMachineIsFine) {
    WriteText(fs::path(n_) / "there.exe", "MZ");
    LinkInfo here;
    here.localBase = "N:\\there.exe";
    WriteBytes(fs::path(c_) / "net/there.lnk", LinkTo(here));
    Check("C:\\net\\there.lnk");
    EXPECT_TRUE(Recorded().empty());
    EXPECT_EQ(NotChecked(NotCheckedReason::Network), 0u);
}

// --- code pages ---------------------------------------------------------------

// "C:\Users\Дима\notes.txt" as a Russian Windows stores it (cp1251).
const std::string kRussianPath = "C:\\Users\\\xC4\xE8\xEC\xE0\\notes.txt";
// "C:\用户\文件.txt" as a Chinese Windows stores it (cp936).
const std::string kChinesePath = "C:\\\xD3\xC3\xBB\xA7\\\xCE\xC4\xBC\xFE.txt";

TEST_F(ForeignLinks, AnsiPathsAreReadInTheMachinesCodePage) {
    struct Case {
        std::string acp, ansi, hostFile, target;
    };
    const Case cases[] = {
        {"1251", kRussianPath, "Users/Дима/notes.txt", "C:\\Users\\Дима\\notes.txt"},
        {"936", kChinesePath, "用户/文件.txt", "C:\\用户\\文件.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.acp);
        session_.result.problems.ClearOf<ShortcutProblem>();
        SetCodePage(c.acp);
        WriteText(fs::path(c_) / c.hostFile, "here");
        LinkInfo info;
        info.localBase = c.ansi;
        WriteBytes(fs::path(c_) / "cp" / (c.acp + "-there.lnk"), LinkTo(info));
        info.localBase = c.ansi.substr(0, c.ansi.size() - 4) + "-gone.txt";
        WriteBytes(fs::path(c_) / "cp" / (c.acp + "-gone.lnk"), LinkTo(info));

        const unsigned acp = MachineAnsiCodePage(registry_);
        EXPECT_EQ(ReadShortcut(files_, "C:\\cp\\" + c.acp + "-there.lnk", acp).targetPath,
                  c.target);
        Check("C:\\cp\\" + c.acp + "-there.lnk");
        Check("C:\\cp\\" + c.acp + "-gone.lnk");
        ASSERT_EQ(Recorded(), std::vector<std::string>{"C:\\cp\\" + c.acp + "-gone.lnk"});
        EXPECT_EQ(session_.result.problems.Of<ShortcutProblem>()[0].target,
                  c.target.substr(0, c.target.size() - 4) + "-gone.txt");
    }
}

TEST_F(ForeignLinks, TheUnicodeFormOfTheLocalPathWinsOverTheAnsiOne) {
    // A cp1251 path on a machine whose code page is Western: only the
    // UTF-16 form the link also keeps names the file.
    WriteText(fs::path(c_) / "Users/Дима/notes.txt", "here");
    LinkInfo info;
    info.localBase = kRussianPath;
    info.unicode = true;
    info.localBaseUnicode = u"C:\\Users\\Дима\\notes.txt";
    WriteBytes(fs::path(c_) / "cp/unicode.lnk", LinkTo(info));
    EXPECT_EQ(ReadShortcut(files_, "C:\\cp\\unicode.lnk").targetPath, "C:\\Users\\Дима\\notes.txt");
    Check("C:\\cp\\unicode.lnk");
    EXPECT_TRUE(Recorded().empty());
}

TEST_F(ForeignLinks, BytesThatAreNoTextInTheCodePageNameNothingToTest) {
    SetCodePage("936");
    LinkInfo info;
    info.localBase = "C:\\gone\xD3";  // a lead byte without its second byte
    WriteBytes(fs::path(c_) / "cp/cut.lnk", LinkTo(info));
    EXPECT_TRUE(ReadShortcut(files_, "C:\\cp\\cut.lnk", 936).targetPath.empty());
    Check("C:\\cp\\cut.lnk");
    EXPECT_TRUE(Recorded().empty());
}

TEST_F(ForeignLinks, ItemListNamesKeptInAnsiAreReadInTheCodePage) {
    // A file entry without its UTF-16 extension block: the short name only.
    std::vector<std::uint8_t> list = MyComputerItem();
    const auto drive = DriveItem("C:\\");
    list.insert(list.end(), drive.begin(), drive.end());
    std::vector<std::uint8_t> item{0, 0, 0x32, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0};
    const std::string name = "\xC4\xE8\xEC\xE0.txt";  // "Дима.txt" in cp1251
    item.insert(item.end(), name.begin(), name.end());
    item.push_back(0);
    item[0] = static_cast<std::uint8_t>(item.size());
    list.insert(list.end(), item.begin(), item.end());
    EXPECT_EQ(ItemListPath(list, 1251), "C:\\Дима.txt");
    EXPECT_EQ(ItemListPath(list, 1252), "C:\\Äèìà.txt");
    item.insert(item.end() - 1, 0xD3);  // a lead byte without its second byte in cp936
    item[0] = static_cast<std::uint8_t>(item.size());
    list.resize(list.size() - item.size() + 1);
    list.insert(list.end(), item.begin(), item.end());
    EXPECT_EQ(ItemListPath(list, 936), "");  // no text there: no path
}

TEST(AnsiCodePages, DecodingAndTheMachinesCodePage) {
    EXPECT_EQ(AnsiCodePageToUtf8("\xC4\xE8\xEC\xE0", 1251), "Дима");
    EXPECT_EQ(AnsiCodePageToUtf8("\xCE\xC4\xBC\xFE", 936), "文件");
    EXPECT_EQ(AnsiCodePageToUtf8("\xC4\xE8\xEC\xE0", 1252), "Äèìà");
    EXPECT_EQ(AnsiCodePageToUtf8("plain", 99999), "plain");  // ASCII needs no code page
    EXPECT_EQ(AnsiCodePageToUtf8("\xC4", 99999), std::nullopt);
    MemoryRegistry registry;
    EXPECT_EQ(MachineAnsiCodePage(registry), 1252u);
    for (const auto& [text, expected] : std::vector<std::pair<std::string, unsigned>>{
             {"1251", 1251}, {" 936 ", 936}, {"", 1252}, {"x12", 1252}, {"0", 1252}}) {
        registry.SetString(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls\\CodePage",
                           "ACP", text);
        EXPECT_EQ(MachineAnsiCodePage(registry), expected) << text;
    }
}

// --- advertised shortcuts -------------------------------------------------------

TEST(InstallerDescriptors, DecodeAsTheInstallerDoes) {
    const auto office = DecodeInstallerDescriptor(kOfficeDescriptor);
    ASSERT_TRUE(office);
    EXPECT_EQ(office->product, "{90110409-6000-11D3-8CFE-0150048383C9}");
    EXPECT_EQ(office->feature, "FollowTheWhiteRabbit");
    EXPECT_EQ(office->squashed, kOfficeSquashed);
    // Without a component: the feature ends at '<'.
    const auto bare = DecodeInstallerDescriptor("']gAVn-}f(ZXfeAR6.jiWord<");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->feature, "Word");
    for (const char* bad : {"", "short", "']gAVn-}f(ZXfeAR6.jiNoEnd",
                            "']gAVn-}f(ZXfeAR6.jiWord>bad", "\"]gAVn-}f(ZXfeAR6.jiWord<",
                            "']gAVn-}f(ZXfeAR6.jiAFeatureNameLongerThanThirtyEightCharacters<"})
        EXPECT_FALSE(DecodeInstallerDescriptor(bad)) << bad;
    EXPECT_EQ(SquashProductCode("{90110409-6000-11D3-8CFE-0150048383C9}"), kOfficeSquashed);
    // The test's own encoder writes what the decoder reads back.
    const auto ours = DecodeInstallerDescriptor(
        EncodeInstallerDescriptor("{3F2504E0-4F89-11D3-9A0C-0305E82C3301}", "Main"));
    ASSERT_TRUE(ours);
    EXPECT_EQ(EncodeInstallerDescriptor("{90110409-6000-11D3-8CFE-0150048383C9}",
                                        "FollowTheWhiteRabbit"),
              "']gAVn-}f(ZXfeAR6.jiFollowTheWhiteRabbit<");
    EXPECT_EQ(ours->product, "{3F2504E0-4F89-11D3-9A0C-0305E82C3301}");
    EXPECT_EQ(ours->squashed, "0E4052F398F43D11A9C030508EC23310");
}

TEST(InstalledProducts, EveryPlaceTheInstallerRegistersAProductCounts) {
    const std::string installer = "Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\";
    const std::vector<std::pair<HKEY, std::string>> places = {
        {HKEY_LOCAL_MACHINE, "Software\\Classes\\Installer\\Products\\"},
        {HKEY_CURRENT_USER, "Software\\Microsoft\\Installer\\Products\\"},
        {HKEY_LOCAL_MACHINE, installer + "UserData\\S-1-5-18\\Products\\"},
        {HKEY_LOCAL_MACHINE, installer + "UserData\\S-1-5-21-1-2-3-1000\\Products\\"},
        {HKEY_LOCAL_MACHINE, installer + "Managed\\S-1-5-21-1-2-3-1000\\Installer\\Products\\"},
    };
    for (const auto& [root, key] : places) {
        MemoryRegistry registry;
        registry.CreateKey(HKEY_LOCAL_MACHINE, installer + "UserData\\S-1-5-18\\Products");
        registry.CreateKey(root, key + kOfficeSquashed);
        EXPECT_EQ(InstalledProductState(registry, kOfficeSquashed), ProductState::Registered)
            << key;
        // Another product's keys say nothing of this one.
        EXPECT_EQ(InstalledProductState(registry, "0000000000000000000000000000000A"),
                  ProductState::Gone)
            << key;
    }
    MemoryRegistry empty;
    EXPECT_EQ(InstalledProductState(empty, "short"), ProductState::Unknown);
}

TEST_F(ForeignLinks, AdvertisedLinksAreJudgedByTheirProduct) {
    registry_.CreateKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion");
    WriteBytes(fs::path(c_) / "adv/office.lnk", AdvertisedLink(kOfficeDescriptor));
    WriteBytes(fs::path(c_) / "adv/odd.lnk", AdvertisedLink("not a descriptor"));
    WriteBytes(fs::path(c_) / "adv/none.lnk", AdvertisedLink(""));
    const ShortcutInfo info = ReadShortcut(files_, "C:\\adv\\office.lnk");
    EXPECT_TRUE(info.advertised);
    EXPECT_EQ(info.darwinDescriptor, kOfficeDescriptor);
    EXPECT_TRUE(info.targetPath.empty());  // never the icon's path

    // The product's registration gone: broken, and said so; a descriptor
    // that cannot be decoded: not checked.
    for (const char* name : {"office", "odd", "none"})
        Check(std::string("C:\\adv\\") + name + ".lnk");
    ASSERT_EQ(Recorded(), std::vector<std::string>{"C:\\adv\\office.lnk"});
    EXPECT_EQ(session_.result.problems.Of<ShortcutProblem>()[0].reason,
              "its product is no longer installed");
    EXPECT_EQ(session_.result.problems.Of<ShortcutProblem>()[0].target,
              "{90110409-6000-11D3-8CFE-0150048383C9}");
    EXPECT_EQ(NotChecked(NotCheckedReason::Advertised), 2u);

    // Still registered: fine, whatever its icon's path says.
    session_.result.problems.ClearOf<ShortcutProblem>();
    registry_.CreateKey(HKEY_LOCAL_MACHINE,
                        std::string("Software\\Classes\\Installer\\Products\\") + kOfficeSquashed);
    Check("C:\\adv\\office.lnk");
    EXPECT_TRUE(Recorded().empty());
}

}  // namespace
