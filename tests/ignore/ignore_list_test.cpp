#include "ignore/ignore_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace vostrel {
namespace {

constexpr std::string_view kWritten =
    "# kept by hand\r\n"
    "registry \"HKLM\\Software\\Old Game\\*\"\n"
    "\n"
    "[every machine]\n"
    "shortcut \"C:\\users\\*\\Desktop\\Old \"\"Best\"\" Game.lnk\"\n"
    "  [machine \"/home/ann/.wine/\"]  \n"
    "registry \"HKEY_CLASSES_ROOT\\CLSID\\{0001}\\InprocServer32\" value \"(Default)\"\n"
    "\tregistry \"hkcu\\Software\\Б\" VALUE \"\"\n";

IgnoreList Parsed(std::string_view text) {
    IgnoreParseError error;
    auto list = IgnoreList::Parse(text, &error);
    EXPECT_TRUE(list) << error.Text();
    return list.value_or(IgnoreList{});
}

TEST(IgnoreList, ReadsEntriesWithTheirMachineAndKeepsTheTextAsWritten) {
    const IgnoreList list = Parsed(kWritten);
    using K = IgnoreEntry::Kind;
    const std::vector<IgnoreEntry> expected{
        {"", K::Registry, "HKEY_LOCAL_MACHINE\\Software\\Old Game\\*", std::nullopt},
        {"", K::Shortcut, "C:\\users\\*\\Desktop\\Old \"Best\" Game.lnk", std::nullopt},
        {"/home/ann/.wine", K::Registry, "HKEY_CLASSES_ROOT\\CLSID\\{0001}\\InprocServer32",
         "(Default)"},
        {"/home/ann/.wine", K::Registry, "HKEY_CURRENT_USER\\Software\\Б", ""},
    };
    EXPECT_EQ(list.Entries(), expected);
    // Comments, blank lines and the user's spacing survive; only CR goes.
    std::string unix(kWritten);
    unix.erase(unix.find('\r'), 1);
    EXPECT_EQ(list.Text(), unix);
}

TEST(IgnoreList, DamagedFileNamesItsLine) {
    const struct {
        std::string_view text;
        int line;
        std::string_view says;
    } cases[] = {
        {"# ok\nregistery \"HKLM\\x\"\n", 2, "registery"},
        {"registry \"HKLM\\x\n", 1, "not closed"},
        {"\n\nregistry HKLM\\x\n", 3, "double quotes"},
        {"registry \"HKLOCAL\\x\"\n", 1, "not a registry root"},
        {"registry \"HKLM\\x\" value name\n", 1, "value \"name\""},
        {"registry \"HKLM\\x\" value\n", 1, "value \"name\""},
        {"shortcut \"C:\\a.lnk\" extra\n", 1, "nothing may follow"},
        {"shortcut \"\"\n", 1, "double quotes"},
        {"[machine /home/ann]\n", 1, "block header"},
        {"[every machine\n", 1, "end with ]"},
        {"[machine \"\"]\n", 1, "block header"},
        {"registry \"HKLM\\x\"\"y\n", 1, "not closed"},
        {"registry \"HKLM\\a\"b\n", 1, "space must follow"},
        {std::string_view("ok\0", 3), 1, "NUL"},
    };
    for (const auto& c : cases) {
        IgnoreParseError error;
        EXPECT_FALSE(IgnoreList::Parse(c.text, &error)) << c.text;
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_NE(error.Text().find(c.says), std::string::npos) << error.Text();
        EXPECT_EQ(error.Text().rfind("Line " + std::to_string(c.line) + " of the ignore list: ", 0),
                  0u);
    }
    IgnoreParseError error;
    EXPECT_FALSE(IgnoreList::Parse("registry \"HKLM\\" + std::string(70000, 'x') + "\"\n", &error));
    EXPECT_EQ(error.line, 1);
}

TEST(IgnoreList, MatchesByMachineKeyValueAndShortcutPath) {
    const IgnoreList list = Parsed(kWritten);
    const std::string ann = "/home/ann/.wine";
    const struct {
        bool registry;
        std::string machine;
        std::string_view path;
        std::string_view value;
        bool ignored;
    } cases[] = {
        // Every machine, a wildcard key, any value.
        {true, "/other", "HKEY_LOCAL_MACHINE\\Software\\Old Game\\Sub\\Deeper", "Path", true},
        {true, "/other", "HKEY_LOCAL_MACHINE\\SOFTWARE\\old game\\x", "", true},
        {true, "/other", "HKEY_LOCAL_MACHINE\\Software\\Old Game", "Path", false},
        {true, "/other", "HKEY_LOCAL_MACHINE\\Software\\Old Games\\x", "Path", false},
        // One machine, one value; the folder may be written with a final slash.
        {true, ann, "HKEY_CLASSES_ROOT\\CLSID\\{0001}\\InprocServer32", "(Default)", true},
        {true, ann + "/", "hkey_classes_root\\clsid\\{0001}\\inprocserver32", "(default)", true},
        {true, ann, "HKEY_CLASSES_ROOT\\CLSID\\{0001}\\InprocServer32", "ThreadingModel", false},
        {true, "/home/bob/.wine", "HKEY_CLASSES_ROOT\\CLSID\\{0001}\\InprocServer32", "(Default)",
         false},
        // Letter case beyond ASCII, an empty value name.
        {true, ann, "HKEY_CURRENT_USER\\Software\\б", "", true},
        {true, ann, "HKEY_CURRENT_USER\\Software\\б", "x", false},
        // Shortcuts: a wildcard folder; a registry entry never covers a shortcut.
        {false, "/x", "C:\\users\\ann\\Desktop\\old \"best\" game.lnk", "", true},
        {false, "/x", "C:\\users\\ann\\Start Menu\\Old \"Best\" Game.lnk", "", false},
        {false, "/x", "HKEY_LOCAL_MACHINE\\Software\\Old Game\\x", "", false},
    };
    for (const auto& c : cases) {
        const bool ignored = c.registry ? list.IgnoresRegistryValue(c.machine, c.path, c.value)
                                        : list.IgnoresShortcut(c.machine, c.path);
        EXPECT_EQ(ignored, c.ignored) << c.machine << " " << c.path << " [" << c.value << "]";
    }
}

// Menu lines name Wine's menu entries by host path: read, matched for their
// machine only, never mixed with shortcuts, written back as they were
// added, and damaged ones named like any other.
TEST(IgnoreList, MenuEntryLinesReadMatchAndRoundTrip) {
    const std::string menu = "/home/ann/.local/share/applications/wine/Programs/Old Game.desktop";
    const IgnoreList list = Parsed("[machine \"/home/ann/.wine\"]\nMENU \"" + menu + "\"\n");
    using K = IgnoreEntry::Kind;
    EXPECT_EQ(list.Entries(),
              (std::vector<IgnoreEntry>{{"/home/ann/.wine", K::MenuEntry, menu, std::nullopt}}));
    EXPECT_TRUE(list.IgnoresMenuEntry("/home/ann/.wine", menu));
    EXPECT_FALSE(list.IgnoresMenuEntry("/home/bob/.wine", menu));
    EXPECT_FALSE(list.IgnoresMenuEntry("/home/ann/.wine", menu + ".bak"));
    EXPECT_FALSE(list.IgnoresShortcut("/home/ann/.wine", menu));
    const IgnoreList shortcuts = Parsed("shortcut \"" + menu + "\"\n");
    EXPECT_FALSE(shortcuts.IgnoresMenuEntry("/home/ann/.wine", menu));

    IgnoreList added;
    ASSERT_TRUE(added.Add({"", K::MenuEntry, "/tmp/a \"b\".desktop", std::nullopt}));
    EXPECT_FALSE(added.Add({"", K::MenuEntry, "/tmp/a \"b\".desktop", std::nullopt}));
    EXPECT_NE(added.Text().find("\nmenu \"/tmp/a \"\"b\"\".desktop\"\n"), std::string::npos)
        << added.Text();
    EXPECT_EQ(Parsed(added.Text()).Entries(), added.Entries());

    IgnoreParseError error;
    EXPECT_FALSE(IgnoreList::Parse("menu \"/a.desktop\" extra\n", &error));
    EXPECT_NE(error.Text().find("nothing may follow"), std::string::npos) << error.Text();
    EXPECT_FALSE(IgnoreList::Parse("menu /a.desktop\n", &error));
    EXPECT_NE(error.Text().find("double quotes"), std::string::npos) << error.Text();
}

TEST(IgnoreList, WildcardsAreLinearAndExact) {
    EXPECT_TRUE(WildcardMatch("a*b?d", "aXXbcd"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("**x**", "x"));
    EXPECT_FALSE(WildcardMatch("a?", "a"));
    EXPECT_FALSE(WildcardMatch("abc", "abcd"));
    EXPECT_TRUE(WildcardMatch("ΣΟΦΙΑ*", "σοφια.dll"));
    // Many stars against a long text that does not match: a backtracking
    // matcher would never finish this.
    EXPECT_FALSE(
        WildcardMatch(std::string(40, '*') + std::string(30, 'a') + "b", std::string(5000, 'a')));
}

TEST(IgnoreList, AddAndRemoveKeepTheRestOfTheFile) {
    IgnoreList list = Parsed(kWritten);
    const std::string before = list.Text();
    using K = IgnoreEntry::Kind;

    // Into the machine's existing block, after its last entry.
    ASSERT_TRUE(list.Add({"/home/ann/.wine/", K::Shortcut, "C:\\a.lnk", std::nullopt}));
    EXPECT_FALSE(list.Add({"/home/ann/.wine", K::Shortcut, "C:\\a.lnk", std::nullopt}));
    EXPECT_EQ(list.Entries().size(), 5u);
    EXPECT_EQ(list.Entries().back().pattern, "C:\\a.lnk");
    // Short root names are stored as the full ones: no duplicate either.
    EXPECT_FALSE(list.Add({"", K::Registry, "HKLM\\Software\\Old Game\\*", std::nullopt}));

    // A new machine gets a block of its own at the end.
    ASSERT_TRUE(list.Add({"/srv/pfx", K::Registry, "HKCU\\A \"q\"", std::string("v")}));
    const IgnoreList reread = Parsed(list.Text());
    EXPECT_EQ(reread.Entries(), list.Entries());
    EXPECT_EQ(reread.Entries().back().pattern, "HKEY_CURRENT_USER\\A \"q\"");
    EXPECT_EQ(reread.Entries().back().machine, "/srv/pfx");

    // Removing what was added gives the file back as it was, except the new
    // block's header and the blank line before it.
    ASSERT_TRUE(list.Remove(6));
    ASSERT_TRUE(list.Remove(5));
    EXPECT_FALSE(list.Remove(5));
    EXPECT_FALSE(list.Remove(0));
    EXPECT_EQ(list.Text(), before + "\n[machine \"/srv/pfx\"]\n");

    // A new file explains itself and reads back.
    IgnoreList empty;
    ASSERT_TRUE(empty.Add({"", K::Shortcut, "C:\\users\\*\\Desktop\\*.lnk", std::nullopt}));
    EXPECT_EQ(empty.Text().rfind("# ", 0), 0u);
    EXPECT_TRUE(Parsed(empty.Text()).IgnoresShortcut("/any", "C:\\users\\a\\Desktop\\b.lnk"));
}

TEST(IgnoreList, LoadAndSave) {
    testing::TempDir dir;
    const std::string path = dir.path() + "/config/vostrel/ignore.txt";
    std::string error;

    // No file yet: an empty list, not an error.
    auto list = LoadIgnoreList(path, &error);
    ASSERT_TRUE(list) << error;
    EXPECT_TRUE(list->Entries().empty());

    ASSERT_TRUE(list->Add({"", IgnoreEntry::Kind::Shortcut, "C:\\x.lnk", std::nullopt}));
    ASSERT_TRUE(SaveIgnoreList(path, *list, &error)) << error;
    auto reread = LoadIgnoreList(path, &error);
    ASSERT_TRUE(reread) << error;
    EXPECT_EQ(reread->Entries(), list->Entries());

    // A damaged line is a warning naming the file and the line; the rest of
    // the list still applies.
    std::ofstream(path, std::ios::app) << "shortcut C:\\y.lnk\n";
    error.clear();
    std::vector<std::string> warnings;
    auto damaged = LoadIgnoreList(path, &error, &warnings);
    ASSERT_TRUE(damaged) << error;
    EXPECT_EQ(damaged->Entries(), list->Entries());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(path), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("Line 7 of the ignore list"), std::string::npos) << warnings[0];

    // A folder where the file should be.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    error.clear();
    EXPECT_FALSE(LoadIgnoreList(path, &error));
    EXPECT_NE(error.find("not a file"), std::string::npos) << error;
}

}  // namespace
}  // namespace vostrel
