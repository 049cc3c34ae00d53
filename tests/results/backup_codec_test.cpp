// The backup line format: the shift, the escapes, old records.
#include <gtest/gtest.h>

#include <set>

#include "results/backup_codec.h"
#include "results/backup_file.h"

using namespace vostrel;

TEST(BackupCodec, TheShiftAsEarlierVersionsWroteIt) {
    EXPECT_EQ(EncodeBackupText("abc"), "klm");
    EXPECT_EQ(EncodeBackupText("R^S\\:"), "\\h]fD");
    EXPECT_EQ(DecodeBackupText("klm"), "abc");
    // A plain record is exactly the shifted bytes of its text.
    const std::vector<std::string> fields{
        "R",
        "HKEY_LOCAL_MACHINE",
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\Tools",
        "C:\\Tools\\tool.exe",
        "Tool",
        ""};
    const std::string plain =
        "R^HKEY_LOCAL_MACHINE^SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\Tools^C:"
        "\\Tools\\tool.exe^Tool^";
    std::string shifted;
    for (char c : plain) shifted.push_back(static_cast<char>(c + 10));
    EXPECT_EQ(FormatBackupLine(fields), shifted);
    EXPECT_EQ(ParseBackupLine(shifted).value(), fields);
    // Western characters keep their one ANSI byte: "é" is 0xE9, written as 0xF3.
    EXPECT_EQ(FormatBackupLine({"S", "C:\\Café.lnk"}), EncodeBackupText("S^C:\\Caf\xE9.lnk"));
}

TEST(BackupCodec, EveryCharacterSurvivesTheRoundTrip) {
    const std::vector<std::string> awkward{
        "a^b",                       // the field separator
        "\xC3\xBF\xC3\xB6",          // ÿ ö: ANSI codes above 245
        "\xE6\x97\xA5\xE6\x9C\xAC",  // 日本: not in Windows-1252
        "\xF0\x9F\x98\x80",          // an emoji (a surrogate pair on the platform)
        std::string("nul\0x", 5),
        "etx\x03",
        "esc\x1B"
        "000041",            // would become LF, CR; the escape itself
        "\xE2\x82\xAC 100",  // € is in Windows-1252 (0x80)
        "",
        " blanks ",
        "tab\there",
        "cr\rlf\n",
    };
    for (const auto& text : awkward) {
        const std::vector<std::string> fields{"R", text, text};
        const std::string line = FormatBackupLine(fields);
        EXPECT_EQ(line.find('\n'), std::string::npos);
        EXPECT_EQ(line.find('\r'), std::string::npos);
        EXPECT_EQ(ParseBackupLine(line).value(), fields) << text;
    }
    EXPECT_EQ(FormatBackupLine({"a^b"}), EncodeBackupText("a\x1B"
                                                          "00005Eb"));
}

TEST(BackupCodec, LinesThatCannotBeRead) {
    EXPECT_FALSE(ParseBackupLine(std::string("\x05\x06", 2)));        // below the shift
    EXPECT_FALSE(ParseBackupLine(EncodeBackupText("R^\x1BZZZZZZ")));  // a broken escape
    EXPECT_FALSE(
        ParseBackupLine(EncodeBackupText("R^\x1B"
                                         "00")));  // a cut escape
    EXPECT_EQ(ParseBackupLine(EncodeBackupText("R")).value(), std::vector<std::string>{"R"});
}

// Host file names are bytes: a name that is not UTF-8 keeps every byte,
// two such names stay two, and a record of an earlier version (which
// never holds the byte escape) reads as it always did.
TEST(BackupCodec, NamesThatAreNotUtf8KeepTheirExactBytes) {
    const std::vector<std::string> names{
        "/home/u/.local/share/applications/wine/caf\xE9.desktop",
        "/home/u/.local/share/applications/wine/caf\xE8.desktop",
        "\xC3",              // a lead byte without its continuation
        "\xC3\xA9\xA9",      // valid é, then a stray continuation byte
        "\xC0\xAF",          // an overlong "/"
        "\xED\xA0\x80",      // a surrogate written as UTF-8
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xFF\x1B"
        "000041\xFE",  // raw bytes beside the escape character
        "x\x1Bx41",    // what the byte escape looks like, as plain text
    };
    std::set<std::string> lines;
    for (const auto& name : names) {
        const std::vector<std::string> fields{"M", name, "1 copy"};
        const std::string line = FormatBackupLine(fields);
        EXPECT_EQ(ParseBackupLine(line).value(), fields) << name;
        lines.insert(line);
    }
    EXPECT_EQ(lines.size(), names.size());
    // The byte escape: ESC, "x", two hexadecimal digits.
    EXPECT_EQ(FormatBackupLine({"caf\xE9"}), EncodeBackupText("caf\x1Bx"
                                                              "E9"));
    EXPECT_FALSE(ParseBackupLine(EncodeBackupText("\x1Bx4")));   // cut
    EXPECT_FALSE(ParseBackupLine(EncodeBackupText("\x1BxZZ")));  // not hexadecimal
    EXPECT_FALSE(ParseBackupLine(EncodeBackupText("\x1Bx41")));  // ASCII needs no escape
    // An earlier version wrote a lost character as U+FFFD; it stays that.
    EXPECT_EQ(ParseBackupLine(EncodeBackupText("caf\x1B"
                                               "00FFFD"))
                  .value(),
              std::vector<std::string>{"caf\xEF\xBF\xBD"});
    // Shown to the user, the stray bytes are spelled out.
    EXPECT_EQ(ShownBytes("caf\xE9 \xC3\xA9\\x"), "caf\\xE9 \xC3\xA9\\x");
}

TEST(BackupCodec, LinesAndHex) {
    EXPECT_EQ(SplitBackupLines("a\r\nb\r\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SplitBackupLines("a\r\n"), std::vector<std::string>{"a"});
    EXPECT_EQ(HexBytes({0x00, 0xAB, 0x10}), "00AB10");
    EXPECT_EQ(BytesFromHex("00ab10").value(), (std::vector<std::uint8_t>{0x00, 0xAB, 0x10}));
    EXPECT_FALSE(BytesFromHex("ABC"));
    EXPECT_FALSE(BytesFromHex("GG"));
}

TEST(BackupFileName, DayMonthYearAndTime) {
    std::tm when{};
    when.tm_mday = 16;
    when.tm_mon = 7;
    when.tm_year = 105;
    when.tm_hour = 14;
    when.tm_min = 3;
    when.tm_sec = 27;
    EXPECT_EQ(BackupFileName(when), "BackUp 16-08-05 14-03-27");
}
