// The KeyValues (.vdf/.acf) reader on the files Steam writes, in their old and
// new forms, and on broken files, which must give an error naming the line.
#include <gtest/gtest.h>

#include "prefixes/vdf.h"

namespace vostrel::prefixes {
namespace {

// libraryfolders.vdf as current Steam clients write it.
constexpr const char* kLibraryFolders = R"("libraryfolders"
{
	"0"
	{
		"path"		"/home/ann/.local/share/Steam"
		"label"		""
		"contentid"		"4393123395628118913"
		"totalsize"		"0"
		"update_clean_bytes_tally"		"54916338"
		"time_last_update_corruption"		"0"
		"apps"
		{
			"228980"		"546911862"
			"1091500"		"70564411111"
		}
	}
	"1"
	{
		"path"		"/mnt/games/SteamLibrary"
		"label"		"Games disk"
		"apps"
		{
			"440"		"26962617427"
		}
	}
}
)";

TEST(Vdf, ReadsTheLibraryListOfCurrentSteam) {
    const VdfResult parsed = ParseVdf(kLibraryFolders);
    ASSERT_TRUE(parsed.root) << parsed.error;
    const VdfNode* folders = parsed.root->Find("LibraryFolders");  // any letter case
    ASSERT_TRUE(folders && folders->block);
    ASSERT_EQ(folders->children.size(), 2u);
    EXPECT_EQ(folders->children[0].key, "0");
    EXPECT_EQ(folders->children[0].Text("path"), "/home/ann/.local/share/Steam");
    EXPECT_EQ(folders->children[1].Text("path"), "/mnt/games/SteamLibrary");
    EXPECT_EQ(folders->children[1].Text("label"), "Games disk");
    const VdfNode* apps = folders->children[0].Find("apps");
    ASSERT_TRUE(apps && apps->block);
    EXPECT_EQ(apps->Text("1091500"), "70564411111");
    // A block has no text, and a missing key reads as empty.
    EXPECT_EQ(folders->children[0].Text("apps"), "");
    EXPECT_EQ(folders->children[0].Text("nothing"), "");
}

TEST(Vdf, ReadsTheOlderFormsAndTheSyntaxAroundThem) {
    // Older clients: numbered paths as plain values. Comments, bare tokens,
    // platform conditions, escapes and a byte order mark as Steam's parser allows.
    const VdfResult good = ParseVdf(
        "\xEF\xBB\xBF\"LibraryFolders\"  // written by an old client\n"
        "{\n"
        "  \"TimeNextStatsReport\" \"1601234567\"\n"
        "  \"1\" \"/mnt/old library\"\n"
        "  bare value [$LINUX]\n"
        "  \"quoted\" \"say \\\"hi\\\"\\tand\\\\ C:\\Games\"\n"
        "  \"multi\" \"line one\nline two\"\n"
        "}\n");
    ASSERT_TRUE(good.root) << good.error;
    const VdfNode* folders = good.root->Find("libraryfolders");
    ASSERT_TRUE(folders);
    EXPECT_EQ(folders->Text("1"), "/mnt/old library");
    EXPECT_EQ(folders->Text("bare"), "value");
    EXPECT_EQ(folders->Text("quoted"), "say \"hi\"\tand\\ C:\\Games");
    EXPECT_EQ(folders->Text("multi"), "line one\nline two");
}

TEST(Vdf, ReadsAnAppManifest) {
    const VdfResult parsed = ParseVdf(R"("AppState"
{
	"appid"		"1091500"
	"Universe"		"1"
	"name"		"Cyberpunk 2077"
	"StateFlags"		"4"
	"installdir"		"Cyberpunk 2077"
	"UserConfig"
	{
		"language"		"english"
	}
}
)");
    ASSERT_TRUE(parsed.root) << parsed.error;
    const VdfNode* state = parsed.root->Find("appstate");
    ASSERT_TRUE(state);
    EXPECT_EQ(state->Text("NAME"), "Cyberpunk 2077");
    EXPECT_EQ(state->Find("userconfig")->Text("language"), "english");
}

TEST(Vdf, BrokenFilesGiveAnErrorWithTheLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"\"AppState\"\n{\n\t\"name\" \"x\"\n", "line 4: missing }"},
        {"\"AppState\"\n{\n\t\"name\" \"unclosed\n}\n", "unclosed quote"},
        {"\"a\" \"b\"\n}\n", "line 2: unexpected }"},
        {"\"AppState\"\n{\n\t\"name\"\n}\n", "line 4: no value for \"name\""},
        {"{ \"a\" \"b\" }", "line 1: a key was expected"},
        {"\"a\" \"b\" [$WIN32\n", "unclosed ["},
        {"\"lonely\"", "line 1: no value for \"lonely\""},
    };
    for (const auto& c : cases) {
        const VdfResult parsed = ParseVdf(c.text);
        EXPECT_FALSE(parsed.root) << c.text;
        EXPECT_NE(parsed.error.find(c.error), std::string::npos)
            << c.text << " gave: " << parsed.error;
    }
    // Empty files and files of comments only are empty, not broken.
    for (const char* text : {"", "   \n", "// nothing\n"}) {
        const VdfResult parsed = ParseVdf(text);
        ASSERT_TRUE(parsed.root) << parsed.error;
        EXPECT_TRUE(parsed.root->children.empty());
    }
}

TEST(Vdf, DeepNestingIsRefusedNotFollowed) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "\"k\" {";
    const VdfResult parsed = ParseVdf(text);
    EXPECT_FALSE(parsed.root);
    EXPECT_NE(parsed.error.find("nested too deeply"), std::string::npos) << parsed.error;
}

TEST(Vdf, AMissingFileIsAnErrorNamingIt) {
    const VdfResult parsed = ReadVdfFile("/nonexistent/libraryfolders.vdf");
    EXPECT_FALSE(parsed.root);
    EXPECT_EQ(parsed.error, "/nonexistent/libraryfolders.vdf: cannot be read");
}

}  // namespace
}  // namespace vostrel::prefixes
