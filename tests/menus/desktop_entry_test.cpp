// The desktop entry reader against entries as Wine 8's menu builder wrote
// them (copied byte for byte from a prefix made with wineboot), the quoting
// rules of the Exec key, and files that are no desktop entries.
#include "menus/desktop_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menus/wine_launch.h"

namespace vostrel::menus {
namespace {

using Words = std::vector<std::string>;

// A Start Menu entry and a user-desktop entry as winemenubuilder wrote them.
constexpr char kStartMenuEntry[] =
    "[Desktop Entry]\n"
    "Name=Gone\n"
    "Exec=env WINEPREFIX=\"/tmp/tooling/exp/pA\" wine-stable "
    "C:"
    "\\\\\\\\users\\\\\\\\root\\\\\\\\AppData\\\\\\\\Roaming\\\\\\\\Microsoft\\\\\\\\Windows\\\\\\"
    "\\Start\\\\ "
    "Menu\\\\\\\\Programs\\\\\\\\Sub\\\\ Folder\\\\\\\\Gone.lnk\n"
    "Type=Application\n"
    "StartupNotify=true\n"
    "Icon=8827_gone.0\n"
    "StartupWMClass=gone.exe\n";

constexpr char kDesktopEntry[] =
    "[Desktop Entry]\n"
    "Name=Direct\n"
    "Exec=env WINEPREFIX=\"/tmp/tooling/exp/pA\" wine-stable C:\\\\\\\\Apps\\\\\\\\gone.exe \n"
    "Type=Application\n"
    "StartupNotify=true\n"
    "Icon=8827_gone.0\n";

WineLaunch LaunchOf(const std::string& text) {
    const auto parse = ParseDesktopEntry(text);
    EXPECT_TRUE(parse.file) << parse.error;
    if (!parse.file) return {};
    const auto exec = parse.file->String(kDesktopEntryGroup, "Exec");
    EXPECT_TRUE(exec);
    const auto words = SplitExec(exec.value_or(""));
    EXPECT_TRUE(words);
    const auto launch = ReadWineLaunch(words.value_or(Words{}));
    EXPECT_TRUE(launch);
    return launch.value_or(WineLaunch{});
}

TEST(DesktopEntry, WineMadeEntriesComeApartIntoPrefixAndTarget) {
    const WineLaunch menu = LaunchOf(kStartMenuEntry);
    EXPECT_EQ(menu.winePrefix, "/tmp/tooling/exp/pA");
    EXPECT_EQ(menu.wineProgram, "wine-stable");
    EXPECT_EQ(menu.kind, LaunchKind::WindowsLink);
    EXPECT_EQ(menu.target,
              "C:\\users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Sub "
              "Folder\\Gone.lnk");

    const WineLaunch desktop = LaunchOf(kDesktopEntry);
    EXPECT_EQ(desktop.kind, LaunchKind::WindowsProgram);
    EXPECT_EQ(desktop.target, "C:\\Apps\\gone.exe");

    const auto file = ParseDesktopEntry(kStartMenuEntry).file;
    ASSERT_TRUE(file);
    EXPECT_EQ(file->String(kDesktopEntryGroup, "Name"), "Gone");
    EXPECT_EQ(file->String(kDesktopEntryGroup, "Icon"), "8827_gone.0");
    EXPECT_FALSE(file->String(kDesktopEntryGroup, "Comment"));
    EXPECT_FALSE(file->String("Desktop Action New", "Exec"));
}

TEST(DesktopEntry, GroupsKeysLocalesEscapesAndComments) {
    const auto parse = ParseDesktopEntry(
        "\xEF\xBB\xBF# a comment before any group\r\n"
        "\n"
        "[Desktop Entry]\r\n"
        "  # an indented comment\n"
        "Name = Spiel \n"
        "Name[de]=Das Spiel\n"
        "Name[de_AT]=Das Spiel (AT)\n"
        "Name[sr@latin]=Igra\n"
        "Comment=\\sone\\ttwo\\nthree\\rfour\\\\five\\xsix\n"
        "Comment=the last one wins\n"
        "Empty=\n"
        "[Desktop Action Play]\n"
        "Exec=game --play\n");
    ASSERT_TRUE(parse.file) << parse.error;
    const DesktopEntryFile& file = *parse.file;
    ASSERT_EQ(file.groups.size(), 2u);
    // Blanks after '=' are dropped; those at the end stay.
    EXPECT_EQ(file.String(kDesktopEntryGroup, "Name"), "Spiel ");
    EXPECT_EQ(file.LocaleString(kDesktopEntryGroup, "Name", "de_AT.UTF-8@euro"), "Das Spiel (AT)");
    EXPECT_EQ(file.LocaleString(kDesktopEntryGroup, "Name", "de_CH"), "Das Spiel");
    EXPECT_EQ(file.LocaleString(kDesktopEntryGroup, "Name", "sr_RS@latin"), "Igra");
    EXPECT_EQ(file.LocaleString(kDesktopEntryGroup, "Name", "fr_FR"), "Spiel ");
    EXPECT_EQ(file.LocaleString(kDesktopEntryGroup, "Name", "C"), "Spiel ");
    EXPECT_EQ(file.String(kDesktopEntryGroup, "Comment"), "the last one wins");
    EXPECT_EQ(UnescapeDesktopString("\\sone\\ttwo\\nthree\\rfour\\\\five\\xsix\\"),
              " one\ttwo\nthree\rfour\\five\\xsix\\");
    EXPECT_EQ(file.String(kDesktopEntryGroup, "Empty"), "");
    EXPECT_EQ(file.String("Desktop Action Play", "Exec"), "game --play");
}

TEST(DesktopEntry, RefusesWhatIsNoDesktopEntry) {
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"Name=x\n[Desktop Entry]\n", "line 1: a key outside any group"},
        {"[Desktop Entry]\nName=x\n[Desktop Entry]\n",
         "line 3: the group [Desktop Entry] a second time"},
        {"[Desktop Entry\nName=x\n", "line 1: a group header without its ]"},
        {"[Desktop Entry]\njust some words\n", "line 2: neither a group, a key nor a comment"},
        {"[Desktop Entry]\nNa me=x\n", "line 2: the key \"Na me\" is not a valid key name"},
        {"[Desktop Entry]\nName[=x\n", "line 2: the key \"Name[\" is not a valid key name"},
        {"[Desktop Entry]\n=x\n", "line 2: the key \"\" is not a valid key name"},
        {"[]\n", "line 1: a group name with characters a group name cannot hold"},
        {std::string("[Desktop Entry]\nName=a\0b\n", 24), "not a text file (it holds NUL bytes)"},
        {"\x7f"
         "ELF\x02\x01\x01\n",
         "line 1: neither a group, a key nor a comment"},
    };
    for (const auto& c : cases) {
        const auto parse = ParseDesktopEntry(c.text);
        EXPECT_FALSE(parse.file) << c.text;
        EXPECT_EQ(parse.error, c.error) << c.text;
    }
    EXPECT_EQ(ParseDesktopEntry(std::string(kMaxDesktopEntrySize + 1, '#')).error,
              "larger than 1048576 bytes");
    std::string manyGroups;
    for (std::size_t i = 0; i <= kMaxDesktopEntryGroups; ++i)
        manyGroups += "[g" + std::to_string(i) + "]\n";
    EXPECT_EQ(ParseDesktopEntry(manyGroups).error, "line 257: more than 256 groups");
    std::string manyKeys = "[Desktop Entry]\n";
    for (std::size_t i = 0; i <= kMaxDesktopEntryKeys; ++i)
        manyKeys += "K" + std::to_string(i) + "=v\n";
    EXPECT_EQ(ParseDesktopEntry(manyKeys).error, "line 4098: more than 4096 keys");
}

TEST(DesktopEntry, ExecQuotingAndFieldCodes) {
    const struct {
        std::string exec;
        std::optional<Words> words;
    } cases[] = {
        // Wine's escaping: blanks and backslashes escaped outside quotes.
        {"wine C:\\\\Program\\ Files\\\\a.exe", Words{"wine", "C:\\Program Files\\a.exe"}},
        // Double quotes: \" \` \$ \\ are escapes, other backslashes stay.
        {"\"/opt/my app/run\" \"say \\\"hi\\\"\" \"a\\\\b\" \"c\\d\" \"\\$HOME \\`x\\`\"",
         Words{"/opt/my app/run", "say \"hi\"", "a\\b", "c\\d", "$HOME `x`"}},
        {"sh -c 'echo \"$1\"' x", Words{"sh", "-c", "echo \"$1\"", "x"}},
        {"  spaced\t\ttabs  ", Words{"spaced", "tabs"}},
        {"ab\"cd ef\"gh", Words{"abcd efgh"}},
        {"\"\"", Words{""}},
        // Field codes standing alone go; %% is a percent sign; quoted ones stay.
        {"wine start /ProgIDOpen txtfile %f", Words{"wine", "start", "/ProgIDOpen", "txtfile"}},
        {"app %U %i %c %k --rate=100%% \"%f\"", Words{"app", "--rate=100%", "%f"}},
        {"", Words{}},
        {"app \"unclosed", std::nullopt},
        {"app 'unclosed", std::nullopt},
        {"app trailing\\", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitExec(c.exec), c.words) << c.exec;
    std::string many;
    for (std::size_t i = 0; i < kMaxExecWords; ++i) many += "w ";
    EXPECT_EQ(SplitExec(many)->size(), kMaxExecWords);
    EXPECT_FALSE(SplitExec(many + "one-too-many"));
}

TEST(WineLaunch, TheFormsWineAndOthersWrite) {
    const struct {
        Words words;
        std::optional<std::string> prefix;
        LaunchKind kind;
        std::string target;
    } cases[] = {
        {{"env", "WINEPREFIX=/home/ann/.wine", "wine", "C:\\users\\Public\\Desktop\\Game.lnk"},
         "/home/ann/.wine",
         LaunchKind::WindowsLink,
         "C:\\users\\Public\\Desktop\\Game.lnk"},
        {{"env", "WINEPREFIX=/p", "wine64", "C:\\Games\\game.exe", "-windowed"},
         "/p",
         LaunchKind::WindowsProgram,
         "C:\\Games\\game.exe"},
        // Wine before 6: start.exe with the link's host path.
        {{"env", "WINEPREFIX=/p", "wine", "C:\\windows\\command\\start.exe", "/Unix",
          "/p/dosdevices/c:/users/Public/Desktop/Game.LNK"},
         "/p",
         LaunchKind::HostLink,
         "/p/dosdevices/c:/users/Public/Desktop/Game.LNK"},
        {{"wine", "start", "/unix", "/home/ann/game.exe"},
         std::nullopt,
         LaunchKind::HostProgram,
         "/home/ann/game.exe"},
        {{"env", "WINEPREFIX=/p", "wine", "start", "/ProgIDOpen", "txtfile"},
         "/p",
         LaunchKind::ProgId,
         "txtfile"},
        {{"env", "WINEPREFIX=/p", "wine", "start.exe", "http://example.org/"},
         "/p",
         LaunchKind::Other,
         "http://example.org/"},
        {{"wine", "start", "/wait", "/d", "C:\\Games", "C:\\Games\\game.exe"},
         std::nullopt,
         LaunchKind::WindowsProgram,
         "C:\\Games\\game.exe"},
        {{"/usr/bin/wine-development", "notepad"}, std::nullopt, LaunchKind::Other, "notepad"},
        {{"env", "-u", "DISPLAY", "LANG=C", "WINEPREFIX=/a", "WINEPREFIX=/b", "wine",
          "D:/setup.exe"},
         "/b",
         LaunchKind::WindowsProgram,
         "D:/setup.exe"},
        {{"wine"}, std::nullopt, LaunchKind::Other, ""},
    };
    for (const auto& c : cases) {
        const auto launch = ReadWineLaunch(c.words);
        ASSERT_TRUE(launch) << c.words.back();
        EXPECT_EQ(launch->winePrefix, c.prefix) << c.words.back();
        EXPECT_EQ(launch->kind, c.kind) << c.words.back();
        EXPECT_EQ(launch->target, c.target) << c.words.back();
    }
    // Commands that do not start Wine.
    const Words notWine[] = {{},
                             {"env", "WINEPREFIX=/p"},
                             {"winetricks", "vcrun2019"},
                             {"wineboot"},
                             {"env", "WINEPREFIX=/p", "steam", "steam://run/1"},
                             {"winecfg"},
                             {"wine-64"}};
    for (const auto& words : notWine)
        EXPECT_FALSE(ReadWineLaunch(words)) << (words.empty() ? "" : words.back());
}

}  // namespace
}  // namespace vostrel::menus
