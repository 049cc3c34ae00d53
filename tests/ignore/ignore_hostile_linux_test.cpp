// The ignore list against what it may meet: a file that is a FIFO or a
// device, a list kept as a link, names holding line breaks and control
// characters, and lines it cannot understand.
#include <gtest/gtest.h>

#include <filesystem>

#include "ignore/ignore_list.h"
#include "support/special_files.h"
#include "support/temp_dir.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;
using K = IgnoreEntry::Kind;
using testing::ReadTextFile;
using testing::TempDir;
using testing::WriteTextFile;

TEST(IgnoreListFile, AFifoOrADeviceIsAnErrorNamingItNeverWaitedOn) {
    TempDir dir;
    const std::string fifo = dir / "ignore.txt";
    ASSERT_TRUE(testing::MakeFifo(fifo));
    fs::create_symlink("/dev/null", dir / "null.txt");
    testing::FifoUnblocker guard(fifo);
    for (const auto& [path, says] :
         {std::pair{fifo, "FIFO"}, std::pair{dir / "null.txt", "character device"}}) {
        std::string error;
        EXPECT_FALSE(LoadIgnoreList(path, &error)) << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find(says), std::string::npos) << error;
    }
    EXPECT_FALSE(guard.fired()) << "the ignore list waited on a FIFO";
}

TEST(IgnoreListFile, AListKeptAsALinkStaysOneWhenSaved) {
    TempDir dir;
    const std::string target = dir / "dotfiles/ignore.txt";
    WriteTextFile(target, "# mine\n");
    const std::string link = dir / "config/vostrel/ignore.txt";
    fs::create_directories(fs::path(link).parent_path());
    fs::create_symlink(target, link);
    std::string error;
    auto list = LoadIgnoreList(link, &error);
    ASSERT_TRUE(list) << error;
    ASSERT_TRUE(list->Add({"", K::Shortcut, "C:\\x.lnk", std::nullopt}));
    ASSERT_TRUE(SaveIgnoreList(link, *list, &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadTextFile(target), "# mine\n\n[every machine]\nshortcut \"C:\\x.lnk\"\n");
}

TEST(IgnoreListFile, NamesWithLineBreaksAndControlsAreWrittenEscapedAndReadBack) {
    const std::vector<IgnoreEntry> entries{
        {"", K::Registry, "HKEY_CURRENT_USER\\Software\\Game", "line one\nline two"},
        {"", K::Registry, "HKEY_CURRENT_USER\\Software\\Ga\nme\\*", "\x1b]0;title\x07"},
        {"/home/ann/odd\nprefix", K::Shortcut, "C:\\users\\ann\\Desktop\\a\r\nb \"q\".lnk",
         std::nullopt},
        {"/home/ann/odd\nprefix", K::Registry, "HKEY_LOCAL_MACHINE\\Software\\x\\y",
         "back\\slash\t\x7f"},
    };
    IgnoreList list;
    for (const auto& entry : entries) ASSERT_TRUE(list.Add(entry));
    const std::string text = list.Text();
    // Every entry is one line; no control character but the line feeds
    // ending the lines (and the tab a line can hold) is in the file.
    for (char c : text)
        EXPECT_TRUE((static_cast<unsigned char>(c) >= 0x20 && c != '\x7f') || c == '\n' ||
                    c == '\t')
            << int(c);
    EXPECT_NE(text.find("value e\"line one\\nline two\""), std::string::npos) << text;
    EXPECT_NE(text.find("[machine e\"/home/ann/odd\\nprefix\"]"), std::string::npos) << text;
    EXPECT_NE(text.find("value e\"back\\\\slash\t\\x7F\""), std::string::npos) << text;
    // A text without such characters stays as it was written before.
    EXPECT_NE(text.find("registry \"HKEY_CURRENT_USER\\Software\\Game\" value e\""),
              std::string::npos)
        << text;

    IgnoreParseError error;
    const auto reread = IgnoreList::Parse(text, &error);
    ASSERT_TRUE(reread) << error.Text() << "\n" << text;
    EXPECT_EQ(reread->Entries(), entries);
    EXPECT_TRUE(reread->IgnoresRegistryValue("/any", "HKEY_CURRENT_USER\\Software\\Game",
                                             "line one\nline two"));
    EXPECT_FALSE(
        reread->IgnoresRegistryValue("/any", "HKEY_CURRENT_USER\\Software\\Game", "line one"));
    EXPECT_TRUE(reread->IgnoresShortcut("/home/ann/odd\nprefix",
                                        "C:\\users\\ann\\Desktop\\a\r\nb \"q\".lnk"));
    EXPECT_FALSE(reread->IgnoresShortcut("/home/ann/odd",
                                         "C:\\users\\ann\\Desktop\\a\r\nb "
                                         "\"q\".lnk"));
}

TEST(IgnoreListFile, EscapedTextsAndTheirMistakes) {
    IgnoreParseError error;
    auto list = IgnoreList::Parse(
        "registry e\"HKLM\\\\a\" value e\"\\x41\\t\\r\\\\\\\"\"\"\"\nshortcut e\"\"\n", &error);
    // An empty shortcut path is refused as before.
    EXPECT_FALSE(list);
    EXPECT_EQ(error.line, 2);
    list =
        IgnoreList::Parse("registry e\"HKLM\\\\a\" value e\"\\x41\\t\\r\\\\\\\"\"\"\"\n", &error);
    ASSERT_TRUE(list) << error.Text();
    EXPECT_EQ(list->Entries().at(0).pattern, "HKEY_LOCAL_MACHINE\\a");
    EXPECT_EQ(list->Entries().at(0).value, "A\t\r\\\"\"");
    for (const char* bad : {"registry e\"HKLM\\a\"\n", "registry e\"HKLM\\\\a\\x4\"\n",
                            "registry e\"HKLM\\\\a\\\"\n"}) {
        EXPECT_FALSE(IgnoreList::Parse(bad, &error)) << bad;
        EXPECT_EQ(error.line, 1);
    }
}

TEST(IgnoreListFile, ALineThatCannotBeUnderstoodIsLeftOutAndKept) {
    TempDir dir;
    const std::string path = dir / "ignore.txt";
    // A line broken in two by an older program: the second half is no entry.
    const std::string written =
        "# mine\n"
        "[every machine]\n"
        "registry \"HKCU\\Software\\Game\" value \"line one\n"
        "line two\"\n"
        "registry \"HKCU\\Software\\Other\"\n"
        "registery \"HKCU\\Software\\Typo\"\n"
        "shortcut \"C:\\x.lnk\"\n";
    WriteTextFile(path, written);
    std::string error;
    std::vector<std::string> warnings;
    auto list = LoadIgnoreList(path, &error, &warnings);
    ASSERT_TRUE(list) << error;
    ASSERT_EQ(warnings.size(), 3u);
    for (const auto& [warning, line] :
         {std::pair{warnings[0], 3}, std::pair{warnings[1], 4}, std::pair{warnings[2], 6}}) {
        EXPECT_NE(warning.find(path), std::string::npos) << warning;
        EXPECT_NE(warning.find("Line " + std::to_string(line) + " of the ignore list"),
                  std::string::npos)
            << warning;
    }
    EXPECT_EQ(list->Entries(),
              (std::vector<IgnoreEntry>{{"", K::Registry, "HKEY_CURRENT_USER\\Software\\Other",
                                         std::nullopt},
                                        {"", K::Shortcut, "C:\\x.lnk", std::nullopt}}));
    EXPECT_TRUE(list->IgnoresShortcut("/any", "C:\\x.lnk"));
    // Saved again with an entry more, the lines left out are still there.
    ASSERT_TRUE(list->Add({"", K::Shortcut, "C:\\y.lnk", std::nullopt}));
    ASSERT_TRUE(SaveIgnoreList(path, *list, &error)) << error;
    const std::string saved = ReadTextFile(path);
    EXPECT_EQ(saved, written + "shortcut \"C:\\y.lnk\"\n");
}

}  // namespace
}  // namespace vostrel
