#include "system/registry.h"
#include "system/text.h"
#include "system/winapi.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

TEST(NumericText, WhatCountsAsANumber) {
    struct Case {
        const char* text;
        bool numeric;
    } cases[] = {
        {"123", true},  {" 42 ", true}, {"2.5", true},    {"-7", true},         {"+1e3", true},
        {"1D2", true},  {"&H10", true}, {"&hff", true},   {"&O17", true},       {".5", true},
        {"", false},    {"  ", false},  {"1.2.3", false}, {"12a", false},       {"&H", false},
        {"&O9", false}, {"e5", false},  {"1e", false},    {"C:\\a.exe", false}, {"-", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsNumericText(c.text), c.numeric) << '"' << c.text << '"';
}

TEST(NumericText, ConversionRoundsHalfToEvenAndRefusesOverflow) {
    EXPECT_EQ(ToInt32(std::string("123")), 123);
    EXPECT_EQ(ToInt32(std::string(" 42 ")), 42);
    EXPECT_EQ(ToInt32(std::string("2.5")), 2);
    EXPECT_EQ(ToInt32(std::string("3.5")), 4);
    EXPECT_EQ(ToInt32(std::string("-2.5")), -2);
    EXPECT_EQ(ToInt32(std::string("&H10")), 16);
    EXPECT_EQ(ToInt32(std::string("&HFFFFFFFF")), -1);
    EXPECT_EQ(ToInt32(std::string("&H100000000")), 0);
    EXPECT_EQ(ToInt32(std::string("2147483647")), 2147483647);
    EXPECT_EQ(ToInt32(std::string("2147483648")), 0);
    EXPECT_EQ(ToInt32(std::string("-2147483648")), -2147483647 - 1);
    EXPECT_EQ(ToInt32(std::string("abc")), 0);
    EXPECT_EQ(ToInt32(std::int32_t{-5}), -5);
}

TEST(RootKeys, NamesAndHandlesMapBothWays) {
    EXPECT_EQ(RootHandleText(HKEY_LOCAL_MACHINE), "-2147483646");
    EXPECT_EQ(RootHandleText(HKEY_CLASSES_ROOT), "-2147483648");
    EXPECT_EQ(RootFromName(" hkey_current_user "), HKEY_CURRENT_USER);
    EXPECT_EQ(RootFromName("HKEY_PERFORMANCE_DATA"), std::nullopt);
    EXPECT_EQ(RootName(0x80000004u), "");
    EXPECT_EQ(RootName(HKEY_DYN_DATA), "HKEY_DYN_DATA");
}

TEST(Text, AnsiCodePageBoundary) {
    EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(AnsiToUtf8("\x80"), "\xE2\x82\xAC");     // the euro sign
    EXPECT_EQ(AnsiView("\xE6\x97\xA5.exe"), "?.exe");  // outside Windows-1252
    EXPECT_TRUE(FitsAnsi("R\xC3\xA9sum\xC3\xA9"));
    EXPECT_FALSE(FitsAnsi("\xE6\x97\xA5"));
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a\xF0\x9F\x98\x80z")), "a\xF0\x9F\x98\x80z");
    EXPECT_TRUE(EqualsNoCase("Program Files", "PROGRAM FILES"));
    EXPECT_TRUE(EqualsNoCase("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"));
    EXPECT_EQ(FindNoCase("C:\\x\\%SystemRoot%\\a", "%systemroot%"), 6u);
    EXPECT_EQ(Trim("\t a \t"), "\t a \t");
    EXPECT_EQ(Trim("  a b  "), "a b");
}

// Positions count from 1, 0 is "not found"; only ASCII letters fold, so a
// non-ASCII letter matches itself only and positions stay byte positions.
TEST(Text, FindNoCasePositions) {
    struct Case {
        std::string_view text, what;
        std::size_t start, found;
    };
    const Case cases[] = {
        {"C:\\WINDOWS\\System32\\x.DLL", "system32", 1, 12},
        {"abcABC", "abc", 1, 1},
        {"abcABC", "abc", 2, 4},
        {"abcABC", "abc", 5, 0},
        {"abc", "", 3, 3},
        {"abc", "", 4, 4},
        {"abc", "", 5, 0},
        {"ab", "abc", 1, 0},
        {"", "", 1, 1},
        {"%ProgramFiles%\\a", "%programfiles%", 0, 1},
        {"\xC3\x89t\xC3\xA9.dll", "\xC3\xA9.DLL", 1, 4},
        {"\xC3\x89t\xC3\xA9.dll", "\xC3\xA9T", 1, 0},
        {"x[Y]z", "[y]", 1, 2},
        {"x@Z", "`z", 1, 0},  // '@' and '`' are no letters
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindNoCase(c.text, c.what, c.start), c.found) << c.text << " / " << c.what;
    EXPECT_TRUE(EqualsNoCase("ProgID", "PROGID"));
    EXPECT_FALSE(EqualsNoCase("ProgID", "ProgIDs"));
    EXPECT_FALSE(EqualsNoCase("Prog[D", "Prog{D"));  // no letters: not folded
    EXPECT_TRUE(EqualsNoCase("Caf\xC3\x89", "CAF\xC3\xA9"));
    EXPECT_FALSE(EqualsNoCase("Caf\xC3\x89", "Cbf\xC3\xA9"));
    EXPECT_TRUE(EqualsNoCase("\xC3\x89t\xC3\xA9s", "\xC3\xA9T\xC3\x89S"));
    EXPECT_TRUE(EqualsNoCase("", ""));
    EXPECT_TRUE(ContainsNoCase("C:\\x\\%SYSTEMROOT%", "%Systemroot%"));
    EXPECT_FALSE(ContainsNoCase("C:\\x\\%SYSTEM ROOT%", "%Systemroot%"));
}

}  // namespace
}  // namespace vostrel
