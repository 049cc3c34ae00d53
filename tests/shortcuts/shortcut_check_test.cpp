// The shortcut check against real links made by Wine's shell, and a few
// hand-built odd ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lnk_builder.h"
#include "session/scan_session.h"
#include "shortcuts/shortcut_check.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "system/shortcut_reader.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A link with only a relative path and a working folder.
std::vector<std::uint8_t> StringsOnlyLink(const std::string& relative, const std::string& working) {
    LnkParts parts;
    parts.relativePath = relative;
    parts.workingDirectory = working;
    return BuildLnk(parts);
}

class ShortcutCheckTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (ShortcutTestPrefix().empty()) return;
        const std::string c = ShortcutTestPrefix() + "/drive_c";
        WriteTextFile(c + "/links/target.txt", "hi");
        std::string script;
        script += ShortcutScript("C:\\links\\good.lnk", "C:\\links\\target.txt", "C:\\links");
        script += ShortcutScript("C:\\links\\gone.lnk", "C:\\links\\gone.exe", "", "/x");
        script += ShortcutScript("C:\\links\\folder.lnk", "C:\\windows");
        script +=
            ShortcutScript("C:\\links\\home.lnk", "C:\\links\\gone.exe", "%HOMEDRIVE%%HOMEPATH%");
        script += ShortcutScript("C:\\links\\NetHood\\gone.lnk", "C:\\links\\gone.exe");
        script += ShortcutScript("C:\\links\\web.url", "http://example.com/");
        made_ = RunWineScript(script);
    }

    void SetUp() override {
        if (!HaveWine()) GTEST_SKIP() << "wine is not installed";
        ASSERT_TRUE(made_) << "wine wscript could not make the test shortcuts";
        files_.MapDrive('C', ShortcutTestPrefix() + "/drive_c");
    }

    std::string Host(const std::string& rel) { return ShortcutTestPrefix() + "/drive_c/" + rel; }

    std::vector<std::string> Recorded() {
        std::vector<std::string> rows;
        for (const auto& problem : session_.result.problems.Of<ShortcutProblem>()) {
            EXPECT_FALSE(problem.target.empty()) << problem.path;
            rows.push_back(problem.path);
        }
        return rows;
    }

    static inline bool made_ = false;
    HostFolderFileSystem files_;
    EmptyRegistry registry_;
    AnsweringObserver observer_;
    TempDir settingsDir_;
    IniSettingsStore settings_{settingsDir_ / "settings.ini"};
    ScanSession session_{registry_, files_, settings_, observer_};
};

TEST_F(ShortcutCheckTest, WineMadeLinksAreJudgedByTheirTargets) {
    for (const char* name : {"good.lnk", "gone.lnk", "folder.lnk", "home.lnk", "NetHood\\gone.lnk"})
        CheckShortcut(session_, std::string("C:\\links\\") + name);
    EXPECT_EQ(Recorded(), std::vector<std::string>{"C:\\links\\gone.lnk"});
    EXPECT_EQ(observer_.found, 1u);
}

TEST_F(ShortcutCheckTest, ReaderGivesTargetWorkingFolderAndTypeName) {
    const ShortcutInfo good = ReadShortcut(files_, "C:\\links\\good.lnk");
    EXPECT_TRUE(good.isLink);
    EXPECT_EQ(good.typeName, "Shortcut");
    EXPECT_EQ(good.targetPath, "C:\\links\\target.txt");
    EXPECT_EQ(good.workingDirectory, "C:\\links");
    const ShortcutInfo text = ReadShortcut(files_, "C:\\links\\target.txt");
    EXPECT_FALSE(text.isLink);
}

TEST_F(ShortcutCheckTest, ExcludedFoldersInAnyCase) {
    fs::create_directories(Host("links/nethood"));
    fs::copy_file(Host("links/gone.lnk"), Host("links/nethood/x.lnk"),
                  fs::copy_options::overwrite_existing);
    fs::create_directories(Host("System Volume Information"));
    fs::copy_file(Host("links/gone.lnk"), Host("System Volume Information/x.lnk"),
                  fs::copy_options::overwrite_existing);
    CheckShortcut(session_, "C:\\links\\nethood\\x.lnk");
    CheckShortcut(session_, "C:\\System Volume Information\\x.lnk");
    EXPECT_TRUE(Recorded().empty());
}

TEST_F(ShortcutCheckTest, FilesThatAreNotLinksAreNeverRecorded) {
    WriteTextFile(Host("odd/notalink.lnk"), "just some text, not a shell link");
    auto gone = ReadBytes(Host("links/gone.lnk"));
    WriteBytes(Host("odd/truncated.lnk"), {gone.begin(), gone.begin() + 40});
    WriteBytes(Host("odd/empty.lnk"), {});
    // A link under another name: the shell judges files by their type.
    fs::copy_file(Host("links/gone.lnk"), Host("odd/gone.txt"),
                  fs::copy_options::overwrite_existing);
    // Wine's shell writes a binary link even when asked for a .url.
    for (const char* name : {"odd\\notalink.lnk", "odd\\truncated.lnk", "odd\\empty.lnk",
                             "odd\\gone.txt", "links\\web.url"})
        CheckShortcut(session_, std::string("C:\\") + name);
    EXPECT_TRUE(Recorded().empty());
}

TEST_F(ShortcutCheckTest, DosProgramShortcutsAreNotRecorded) {
    std::vector<std::uint8_t> pif(0x3C3, 0);
    const std::string program = "C:\\GONE\\OLD.EXE";
    std::copy(program.begin(), program.end(), pif.begin() + 0x24);
    WriteBytes(Host("odd/old.pif"), pif);
    EXPECT_EQ(ReadShortcut(files_, "C:\\odd\\old.pif").typeName, "Shortcut to MS-DOS Program");
    CheckShortcut(session_, "C:\\odd\\old.pif");
    EXPECT_TRUE(Recorded().empty());
}

TEST_F(ShortcutCheckTest, RelativeTargetsResolveAgainstTheLinkFolder) {
    WriteBytes(Host("rel/sub/ok.lnk"), StringsOnlyLink("..\\..\\links\\target.txt", ""));
    WriteBytes(Host("rel/sub/bad.lnk"), StringsOnlyLink(".\\missing.exe", ""));
    WriteBytes(Host("rel/sub/none.lnk"), StringsOnlyLink("", "C:\\windows"));
    EXPECT_EQ(ReadShortcut(files_, "C:\\rel\\sub\\ok.lnk").targetPath, "C:\\links\\target.txt");
    for (const char* name : {"ok.lnk", "bad.lnk", "none.lnk"})
        CheckShortcut(session_, std::string("C:\\rel\\sub\\") + name);
    EXPECT_EQ(Recorded(), std::vector<std::string>{"C:\\rel\\sub\\bad.lnk"});
}

TEST_F(ShortcutCheckTest, ItemListNamesTheTargetWhenNothingElseDoes) {
    WriteBytes(Host("items/gone.lnk"), StripLinkInfo(ReadBytes(Host("links/gone.lnk"))));
    WriteBytes(Host("items/good.lnk"), StripLinkInfo(ReadBytes(Host("links/good.lnk"))));
    EXPECT_EQ(ReadShortcut(files_, "C:\\items\\gone.lnk").targetPath, "C:\\links\\gone.exe");
    CheckShortcut(session_, "C:\\items\\good.lnk");
    CheckShortcut(session_, "C:\\items\\gone.lnk");
    EXPECT_EQ(Recorded(), std::vector<std::string>{"C:\\items\\gone.lnk"});
}

TEST_F(ShortcutCheckTest, InternetShortcutsWithWebAddressesAreNeverBroken) {
    WriteTextFile(Host("web/site.url"), "[InternetShortcut]\r\nURL=https://example.org/gone\r\n");
    WriteTextFile(Host("web/ok.url"),
                  "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n"
                  "[InternetShortcut]\r\nURL=file:///C:/links/target.txt\r\n");
    WriteTextFile(Host("web/bad.url"),
                  "[internetshortcut]\r\nurl=file:///C:/links/no%20such.exe\r\n");
    WriteTextFile(Host("web/nosection.url"), "URL=file:///C:/links/gone.exe\r\n");
    for (const char* name : {"site.url", "ok.url", "bad.url", "nosection.url"})
        CheckShortcut(session_, std::string("C:\\web\\") + name);
    EXPECT_EQ(Recorded(), std::vector<std::string>{"C:\\web\\bad.url"});
    EXPECT_EQ(ReadShortcut(files_, "C:\\web\\bad.url").typeName, "Internet Shortcut");
}

}  // namespace

TEST(ShortcutPathParts, FolderAndName) {
    EXPECT_EQ(GetFolderPart("C:\\a\\b.lnk"), "C:\\a\\");
    EXPECT_EQ(GetNamePart("C:\\a\\b.lnk"), "b.lnk");
    EXPECT_EQ(GetFolderPart("b.lnk"), "");
    EXPECT_EQ(GetNamePart("b.lnk"), "b.lnk");
    EXPECT_EQ(ResolveRelativeTarget("C:\\a\\b\\", "..\\..\\..\\x.exe"), "C:\\x.exe");
    EXPECT_EQ(ResolveRelativeTarget("C:\\a\\", ".\\x.exe"), "C:\\a\\x.exe");
}
