// Wine's 8.3 names against what Wine 8.0 itself reported: every row below is
// a name created on the host and the cAlternateFileName that FindFirstFileW
// gave for it under Wine (an empty short name: Wine took the name as a valid
// 8.3 name and gave none). The live test in wine_files_live_test.cpp asks
// Wine again when it is installed.
#include "system/wine/wine_shortname.h"

#include <gtest/gtest.h>

#include "system/text.h"

namespace vostrel {
namespace {

struct ShortNameRow {
    const char* name;
    const char* shortName;
};

constexpr ShortNameRow kRecordedByWine[] = {
    {" lead", "_LEA~IX3"},
    {".bashrc", "_BAS~0WR"},
    {".hidden", "_HID~45N"},
    {".x", "_X~~~UJF"},
    {"1234567.1234", "1234~WHD.123"},
    {"12345678.123", ""},
    {"123456789.12", "1234~FBZ.12"},
    {"a", ""},
    {"a b c d e f", "A_B_~FBO"},
    {"A long file name.txt", "A_LO~PHD.TXT"},
    {"a,b", "A_B~~GNH"},
    {"a..b", "A_~~~TDW.B"},
    {"a.b.c", "A_B~~54C.C"},
    {"a.bcde", "A~~~~A4B.BCD"},
    {"a;b", "A_B~~WI0"},
    {"a=b", "A_B~~WJL"},
    {"ab", ""},
    {"AB1", ""},
    {"abc", ""},
    {"ABC.TXT", ""},
    {"ab~1.txt", ""},
    {"alpha", ""},
    {"a[b]", "A_B_~4FN"},
    {"a_b", ""},
    {"b", ""},
    {"B2", ""},
    {"Common Files", "COMM~CP1"},
    {"file.", "FILE~CUC"},
    {"hello.world.txt", "HELL~AUB.TXT"},
    {"longfilename.html", "LONG~2HU.HTM"},
    {"MiXeD.Txt", ""},
    {"my file.jpeg", "MY_F~Y23.JPE"},
    {"naïve file.txt", "NA_V~V4K.TXT"},
    {"Program Files", "PROG~FBU"},
    {"readme", ""},
    {"ro", ""},
    {"Sub Dir", "SUB_~HWM"},
    {"sub2", ""},
    {"TEST~1", ""},
    {"trail ", "TRAI~5RC"},
    {"UPPER CASE.TXT", "UPPE~CKV.TXT"},
    {"x y", "X_Y~~R0B"},
    {"x+y", "X_Y~~BY1"},
    {"x.y z", "X~~~~JQW.Y_Z"},
    {"Zeta", ""},
    {"_under", ""},
    {"~tilde", ""},
    {"Ä", "_~~~~2TL"},
    {"ä", "_~~~~2TL"},
    {"é.txt", "_~~~~XHP.TXT"},
    {"日本語.txt", "___~~ALB.TXT"},
    {"Program Files (x86)", "PROG~5P2"},
    {"ProgramData", "PROG~BDQ"},
    {"t", ""},
    {"u", ""},
    {"users", ""},
    {"windows", ""},
    {"explorer.exe", ""},
    {"Fonts", ""},
    {"globalization", "GLOB~YNC"},
    {"help", ""},
    {"hh.exe", ""},
    {"inf", ""},
    {"logs", ""},
    {"notepad.exe", ""},
    {"performance", "PERF~N15"},
    {"regedit.exe", ""},
    {"resources", "RESO~HNW"},
    {"system.ini", ""},
    {"system32", ""},
    {"syswow64", ""},
    {"tasks", ""},
    {"temp", ""},
    {"twain_64", ""},
    {"win.ini", ""},
    {"winsxs", ""},
    {"Internet Explorer", "INTE~H1A"},
    {"Windows Media Player", "WIND~ATD"},
    {"Windows NT", "WIND~QP2"},
    {"Microsoft Shared", "MICR~NEI"},
    {"System", ""},
    // Host names no Windows program could create, as Wine lists them.
    {"q*x", "Q_X~~TKY"},
    {"q:x", "Q:X~~TO2"},
    {"x\xEF\xBF\xBDy", "X_Y~~TTA"},  // a name that is not valid UTF-8 on the host
};

TEST(WineShortName, MatchesWhatWineReported) {
    for (const auto& row : kRecordedByWine)
        EXPECT_EQ(WineShortName(row.name), row.shortName) << "name: [" << row.name << "]";
}

TEST(WineShortName, LetterCaseOfTheLongNameDoesNotChangeTheHash) {
    // Wine gave "_~~~~2TL" for both "Ä" and "ä", and the short name of
    // "Program Files" must not depend on how a program spelled it.
    EXPECT_EQ(WineShortName("PROGRAM FILES"), "PROG~FBU");
    EXPECT_EQ(WineShortName("program files"), "PROG~FBU");
}

TEST(WineShortName, Valid83NamesNeedNone) {
    struct Row {
        std::u16string name;
        bool legal;
    };
    const Row rows[] = {
        {u"readme", true},
        {u"README.TXT", true},
        {u"abc.de", true},
        {u"12345678.123", true},
        {u"ab~1.txt", true},
        {u"TEST~1", true},
        {u".", true},
        {u"..", true},
        {u"a_b", true},
        {u"123456789", false},
        {u"1234567.1234", false},
        {u"123456789.12", false},
        {u"a.b.c", false},
        {u"file.", false},
        {u".x", false},
        {u"a b", false},
        {u"a+b", false},
        {u"a[b]", false},
        {u"a;b", false},
        {u"a=b", false},
        {u"a,b", false},
        {u"\u00e9.txt", false},
        {u"q:x", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IsLegal83Name(row.name), row.legal) << Utf16ToUtf8(row.name);
}

TEST(WineShortName, ShapeOfAHashedName) {
    // Up to four characters of the name, '~' padding to five, three hash
    // characters, then up to three of the last extension.
    const std::string shortName = WineShortName("Quarterly Report.backup.xlsx");
    ASSERT_EQ(shortName.size(), 12u);
    EXPECT_EQ(shortName.substr(0, 5), "QUAR~");
    EXPECT_EQ(shortName.substr(8), ".XLS");
    EXPECT_EQ(WineShortName("x").size(), 0u);
    EXPECT_EQ(Utf16ToUtf8(HashShortName(u"x")).substr(0, 5), "X~~~~");
}

}  // namespace
}  // namespace vostrel
