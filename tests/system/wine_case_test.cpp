// Letter case as Wine folds it for file names, against Wine's own case table
// (l_intl.nls, which Wine's ntdll loads), and names matched through it.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "system/text.h"
#include "system/wine/wine_case.h"
#include "system/wine/wine_files.h"
#include "system/wine/wine_files_path.h"
#include "system/wine/wine_reg_file.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;

// Wine's case table as installed, or nothing when this Wine keeps it elsewhere.
std::vector<std::uint16_t> WineCaseTable() {
    for (const char* folder :
         {"/usr/share/wine/nls", "/usr/local/share/wine/nls", "/opt/wine-stable/share/wine/nls",
          "/usr/lib/wine/nls", "/usr/lib64/wine/nls"}) {
        std::ifstream in(std::string(folder) + "/l_intl.nls", std::ios::binary);
        if (!in) continue;
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        std::vector<std::uint16_t> table(bytes.size() / 2);
        for (std::size_t i = 0; i < table.size(); ++i)
            table[i] =
                static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                           (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        return table;
    }
    return {};
}

// The three-level lookup of Wine's casemap: a delta added to the unit.
char16_t CaseMap(const std::uint16_t* table, char16_t c) {
    return static_cast<char16_t>(c + table[table[table[c >> 8] + ((c >> 4) & 0x0f)] + (c & 0x0f)]);
}

TEST(WineCase, MatchesWinesOwnCaseTable) {
    const auto table = WineCaseTable();
    if (table.size() < 4) GTEST_SKIP() << "Wine's l_intl.nls is not installed";
    const std::uint16_t* upper = table.data() + 2;
    const std::uint16_t* lower = table.data() + 2 + table[1];
    int wrongUpper = 0, wrongLower = 0;
    for (std::uint32_t c = 0; c <= 0xFFFF; ++c) {
        const auto unit = static_cast<char16_t>(c);
        if (WineUpcase(unit) != CaseMap(upper, unit) && ++wrongUpper <= 5)
            ADD_FAILURE() << std::hex << "upper of U+" << c << ": " << int{WineUpcase(unit)}
                          << " not " << int{CaseMap(upper, unit)};
        if (WineDowncase(unit) != CaseMap(lower, unit) && ++wrongLower <= 5)
            ADD_FAILURE() << std::hex << "lower of U+" << c << ": " << int{WineDowncase(unit)}
                          << " not " << int{CaseMap(lower, unit)};
    }
    EXPECT_EQ(wrongUpper, 0);
    EXPECT_EQ(wrongLower, 0);
}

TEST(WineCase, NamesMatchBeyondLatin) {
    // Pairs that map both ways match; one-way mappings (dotless i, the
    // Kelvin sign, final sigma, micro sign) do not, as in Wine.
    EXPECT_TRUE(
        NamesEqualNoCase(u"Jeux \u00c9t\u00e9 \u65e5\u672c", u"JEUX \u00c9T\u00c9 \u65e5\u672c"));
    EXPECT_TRUE(
        NamesEqualNoCase(u"\u0441\u043b\u043e\u0432\u043e", u"\u0421\u041b\u041e\u0412\u041e"));
    EXPECT_TRUE(NamesEqualNoCase(u"\u0561\u0562", u"\u0531\u0532"));  // Armenian
    EXPECT_TRUE(NamesEqualNoCase(u"\u1f00", u"\u1f08"));              // Greek extended
    EXPECT_TRUE(NamesEqualNoCase(u"\uff41\uff42", u"\uff21\uff22"));  // full-width
    EXPECT_FALSE(NamesEqualNoCase(u"\u0131", u"I"));
    EXPECT_FALSE(NamesEqualNoCase(u"\u212a", u"k"));
    EXPECT_FALSE(NamesEqualNoCase(u"\u03c2", u"\u03a3"));
    EXPECT_FALSE(NamesEqualNoCase(u"\u00b5", u"\u039c"));
    EXPECT_TRUE(MatchesMask(u"\u0416\u0443\u0440\u043d\u0430\u043b.txt", u"\u0436*.TXT"));
}

TEST(WineCase, FilesAreFoundWhateverTheirCharacters) {
    testing::TempDir dir;
    fs::create_directories(dir / "dosdevices");
    fs::create_directory_symlink("../drive_c", dir / "dosdevices/c:");
    // "Jeux Été 日本" and a name outside the Basic Multilingual Plane.
    testing::WriteTextFile(dir / "drive_c/Jeux \xC3\x89t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC/jeu.exe",
                           "MZ");
    testing::WriteTextFile(dir / "drive_c/\xF0\x9F\x98\x80/\xD0\x96urnal.txt", "x");
    WineFileSystem files(dir.path(), {}, 0);
    EXPECT_NE(files.GetFileAttributes(
                  "C:\\jeux \xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC\\JEU.EXE"),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(files.GetFileAttributes("C:\\\xF0\x9F\x98\x80\\\xD0\xB6URNAL.TXT"),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files.GetFileAttributes("C:\\\xF0\x9F\x98\x81\\\xD0\xB6URNAL.TXT"),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files.GetFileAttributes("C:\\Jeux \xC3\x89t\xC3\xA9 ??\\jeu.exe"),
              INVALID_FILE_ATTRIBUTES);
    std::vector<FindData> found;
    ASSERT_EQ(files.FindFiles("C:\\JEUX*", &found), ERROR_SUCCESS);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "Jeux \xC3\x89t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC");
    // MAX_PATH counts UTF-16 units: 130 characters outside the Basic
    // Multilingual Plane take 260 of them and are refused as too long, 200
    // characters of 日 take 200 and are looked for.
    std::string pairs = "C:\\";
    for (int i = 0; i < 130; ++i) pairs += "\xF0\x9F\x98\x80";
    EXPECT_EQ(files.FindFiles(pairs, &found), ERROR_FILENAME_EXCED_RANGE);
    std::string wide = "C:\\";
    for (int i = 0; i < 200; ++i) wide += "\xE6\x97\xA5";
    EXPECT_EQ(files.FindFiles(wide, &found), ERROR_FILE_NOT_FOUND);
}

// Registry names fold with the same table: these keys are as Wine 8 wrote
// them after `reg add` of "k", "i", "\x130", "ÉTÉ" and then "été" (which
// opened "ÉTÉ"), in Wine's order.
TEST(WineCase, RegistryNamesFoldAsWineserverFoldsThem) {
    const std::string text =
        "WINE REGISTRY Version 2\n;; All keys relative to "
        "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n"
        "\n[Software\\\\FoldTest\\\\i] 1796827457\n#time=1dd87ebc4ceb32a\n"
        "\n[Software\\\\FoldTest\\\\k] 1796827455\n#time=1dd87ebc3642ff6\n"
        "\n[Software\\\\FoldTest\\\\\\xc9T\\xc9] 1796827458\n#time=1dd87ebc55f09b6\n"
        "\n[Software\\\\FoldTest\\\\\\x130] 1796827456\n#time=1dd87ebc42aa3d4\n";
    std::string error;
    auto file = RegFile::Parse("user.reg", text, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->Serialize(), text);
    RegFileKey* software = file->FindSubkey(file->Root(), "SOFTWARE");
    ASSERT_TRUE(software);
    RegFileKey* folder = file->FindSubkey(*software, "foldtest");
    ASSERT_TRUE(folder);
    ASSERT_EQ(folder->subkeys.size(), 4u);
    EXPECT_EQ(file->FindSubkey(*folder, "I"), folder->subkeys[0]);
    EXPECT_EQ(file->FindSubkey(*folder, "\xC3\xA9t\xC3\xA9"), folder->subkeys[2]);
    EXPECT_EQ(file->FindSubkey(*folder, "\xC4\xB0"), folder->subkeys[3]);
    EXPECT_NE(CompareRegNames("\xC4\xB0", "i"), 0);
    EXPECT_GT(CompareRegNames("\xC4\xB0", "\xC3\x89T\xC3\x89"), 0);
}

}  // namespace
}  // namespace vostrel
