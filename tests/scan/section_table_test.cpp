// The table of sections against the texts stored settings, reports and
// older backups hold: every row's text (its settings key), icon, status,
// problem key and summary words, byte for byte; and the rules the rest of
// the program relies on: texts are unique, a summary line holds its row's
// text (that is how a line finds its problems), a registry section that is
// counted has a check, and a check belongs to one key.
#include "scan/section_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "results/result_views.h"

namespace vostrel {
namespace {

TEST(SectionRows, RowsKeepTheirStoredTextsAndTheRulesTheProgramReliesOn) {
    const struct {
        std::string_view text;
        int icon;
        std::string_view status;
        std::string_view scanner;
        std::string_view summaryOfThree;
    } expected[] = {
        {"Registry Integrity", 1, "Registry Integrity", "", ""},
        {"Custom Controls", 2, " Custom Controls....", "ActiveX \\ COM",
         "Invalid Custom Controls ( 3 Problem(s) )"},
        {"Sub Section Controls", 3, " Sub Section Controls....", "ActiveX \\ COM Subsections",
         "Invalid Sub Section Controls ( 3 Problem(s) )"},
        {"Software Locations", 4, " Software Locations....", "Application Paths",
         "Invalid Software Locations ( 3 Problem(s) )"},
        {"Help Files", 5, "Help Files", "Help Files", "Invalid Help Files ( 3 Problem(s) )"},
        {"Shared Files", 6, " Shared files....", "Microsoft Shared",
         "Invalid Shared Files ( 3 Problem(s) )"},
        {"Windows Startup", 7, "Windows Startup", "Windows Startup",
         "Invalid Windows Startup Files  ( 3 Problem(s) )"},
        {"Uninstall Section", 8, " Uninstall files...", "Uninstall Section",
         "Invalid Uninstall Section File  ( 3 Problem(s) )"},
        {"Virtual Devices", 9, " Virtual Devices...", "VxD Section",
         "Invalid Virtual Devices ( 3 Problem(s) )"},
        {"Windows Fonts", 10, " Windows fonts...", "Windows Fonts",
         "Invalid Windows Fonts (  3 Problem(s) )"},
        {"Configuration files", 11, " Configuration files...", "", ""},
        {"Shared DLLs", 6, " Shared DLLs...", "Shared DLLs",
         "Invalid Shared DLLs ( 3 Problem(s) )"},
        {"Installer Folders", 8, " Installer folders...", "Installer Folders",
         "Invalid Installer Folders ( 3 Problem(s) )"},
        {"MUI Cache", 4, " MUI cache...", "MUI Cache", "Invalid MUI Cache ( 3 Problem(s) )"},
        {"Compatibility Layers", 7, " Compatibility layers...", "Compatibility Layers",
         "Invalid Compatibility Layers ( 3 Problem(s) )"},
        {"Services", 9, " Services...", "Services", "Invalid Services ( 3 Problem(s) )"},
        {"Sound Events", 5, " Sound events...", "Sound Events",
         "Invalid Sound Events ( 3 Problem(s) )"},
        {"Type Libraries", 2, " Type libraries...", "Type Libraries",
         "Invalid Type Libraries ( 3 Problem(s) )"},
        {"File Associations", 3, " File associations...", "File Associations",
         "Invalid File Associations ( 3 Problem(s) )"},
        {"Wine Menu Entries", 13, " Wine menu entries...", "Wine Menu Entries",
         "Invalid Wine Menu Entries ( 3 Problem(s) )"},
    };
    ASSERT_EQ(std::size(expected), kSectionRows.size());
    std::set<std::string_view> texts, scanners;
    for (std::size_t i = 0; i < kSectionRows.size(); ++i) {
        const SectionRow& section = kSectionRows[i];
        const auto& want = expected[i];
        SCOPED_TRACE(std::string(want.text));
        EXPECT_EQ(section.text, want.text);
        EXPECT_EQ(section.icon, want.icon);
        EXPECT_EQ(section.status, want.status);
        EXPECT_EQ(section.scanner, want.scanner);
        EXPECT_TRUE(texts.insert(section.text).second);
        EXPECT_EQ(SectionRowOfText(section.text), &section);
        const std::string summary =
            section.summary.Empty()
                ? std::string()
                : std::string(section.summary.before) + "3" + std::string(section.summary.after);
        EXPECT_EQ(summary, want.summaryOfThree);
        if (section.kind != ProblemKind::Registry) continue;
        EXPECT_EQ(section.run, SectionRun::RegistryWalks);
        EXPECT_GE(section.walkCount, 1u);
        EXPECT_LE(section.walkCount, section.walks.size());
        // A counted section checks its values, and its line finds its problems.
        EXPECT_EQ(section.check != nullptr, !section.summary.Empty());
        EXPECT_EQ(section.scanner.empty(), section.summary.Empty());
        if (section.scanner.empty()) continue;
        EXPECT_TRUE(scanners.insert(section.scanner).second);
        EXPECT_EQ(SectionSummaryText(section.scanner, 3), want.summaryOfThree);
        EXPECT_NE(summary.find(section.text), std::string::npos);
        EXPECT_EQ(SectionRowOfScanner(section.scanner), &section);
        EXPECT_EQ(SectionOfScanner(section.scanner), section.text);
    }
    // The other lines: shortcuts, and menu entries of deleted prefixes.
    EXPECT_EQ(ShortcutSummaryText(3), "Invalid Windows Shortcut File (3 Problems)");
    EXPECT_EQ(MenuEntrySummaryText(true, 3),
              "Menu entries of deleted Wine prefixes ( 3 Problem(s) )");
    EXPECT_EQ(MenuEntrySummaryText(false, 3), "Invalid Wine Menu Entries ( 3 Problem(s) )");
    EXPECT_EQ(kDriveSectionRow.text, "Window Shortcut ");
    EXPECT_EQ(kDriveSectionRow.icon, 12);
    // Keys of no registry section stand for themselves, as the JSON names them.
    EXPECT_EQ(SectionRowOfText("Window Shortcut C"), nullptr);
    EXPECT_EQ(SectionOfScanner("Windows Shortcut"), "Windows Shortcut");
    EXPECT_EQ(SectionOfScanner("Wine Menu Entries of deleted prefixes"),
              "Wine Menu Entries of deleted prefixes");
    EXPECT_EQ(SectionRowOfScanner(""), nullptr);
}

}  // namespace
}  // namespace vostrel
