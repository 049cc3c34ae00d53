// The catalogue's "Wine Menu Entries" row with a source of menu entries
// standing in for the user's folders: where the row stands, that an
// unchecked row asks nothing, and how its problems are counted, summed up
// and detailed. The entries Wine itself writes are judged in tests/menus.
#include <gtest/gtest.h>

#include "app/scan_driver.h"
#include "results/result_views.h"
#include "results/scan_report.h"
#include "scan/catalogue.h"
#include "support/scan_fakes.h"

namespace vostrel {
namespace {

using testing::FakeMachine;

class ListedEntries final : public MenuEntrySource {
public:
    std::vector<MenuEntryProblem> FindStale() override {
        ++asked;
        return entries;
    }
    std::vector<MenuEntryProblem> entries;
    int asked = 0;
};

MenuEntryProblem Entry(const std::string& name, bool orphan) {
    MenuEntryProblem problem;
    problem.path = "/home/ann/.local/share/applications/wine/Programs/" + name + ".desktop";
    problem.name = name;
    problem.prefix = orphan ? "/home/ann/Games/gone" : "/home/ann/.wine";
    problem.target = "C:\\Games\\" + name + ".exe";
    problem.reason = std::string(orphan ? kMenuEntryPrefixMissing : kMenuEntryProgramMissing);
    problem.orphan = orphan;
    return problem;
}

// Only the menu entries row is checked.
void CheckOnlyMenuRow(FakeMachine& m) {
    for (std::size_t i = 1; i <= m.session.request.sections.Count(); ++i)
        m.session.request.sections.SetChecked(i, m.session.request.sections.Text(i) ==
                                                     "Wine Menu Entries");
}

TEST(MenuRow, StandsAfterTheSectionsBeforeTheDrivesOnlyWithASource) {
    FakeMachine m;
    LoadCatalogue(m.session);
    const std::size_t menuRow = kSectionRows.size();
    // No source: no row.
    EXPECT_EQ(m.session.request.sections.Text(menuRow), "Window Shortcut C");
    ListedEntries source;
    m.session.menuEntries = &source;
    LoadCatalogue(m.session);
    ASSERT_EQ(m.session.request.sections.Count(), menuRow + 1);
    EXPECT_EQ(m.session.request.sections.Text(menuRow - 1), "File Associations");
    EXPECT_EQ(m.session.request.sections.Text(menuRow), "Wine Menu Entries");
    EXPECT_EQ(m.session.request.sections.SmallIcon(menuRow), 13);
    EXPECT_EQ(m.session.request.sections.Text(menuRow + 1), "Window Shortcut C");
    EXPECT_TRUE(m.session.request.sections.Checked(menuRow));  // never stored: checked
    CatalogueRowClicked(m.session, menuRow);
    EXPECT_EQ(m.settings.Get("Wine Menu Entries", ""), "False");
    LoadCatalogue(m.session);
    EXPECT_FALSE(m.session.request.sections.Checked(menuRow));
    RunScan(m.session);
    EXPECT_EQ(source.asked, 0);
}

TEST(MenuRow, OwnEntriesAndOrphansHaveTheirOwnSummaryAndDetails) {
    FakeMachine m;
    ListedEntries source;
    source.entries = {Entry("Gone", false), Entry("Lost", true), Entry("Removed", false)};
    m.session.menuEntries = &source;
    LoadCatalogue(m.session);
    CheckOnlyMenuRow(m);
    RunScan(m.session);
    EXPECT_EQ(source.asked, 1);
    EXPECT_EQ(m.session.ProblemCount(), 3u);
    EXPECT_EQ(m.observer.found, 3u);
    ASSERT_EQ(m.session.result.summary.size(), 2u);
    EXPECT_EQ(m.session.result.summary[0].text, "Invalid Wine Menu Entries ( 2 Problem(s) )");
    EXPECT_EQ(m.session.result.summary[1].text,
              "Menu entries of deleted Wine prefixes ( 1 Problem(s) )");
    EXPECT_EQ(DetailLines(m.session, m.session.result.summary[0].text),
              (std::vector<std::string>{
                  "This menu entry starts what is gone: "
                  "/home/ann/.local/share/applications/wine/Programs/Gone.desktop -> "
                  "C:\\Games\\Gone.exe (program missing)",
                  "This menu entry starts what is gone: "
                  "/home/ann/.local/share/applications/wine/Programs/Removed.desktop -> "
                  "C:\\Games\\Removed.exe (program missing)"}));
    EXPECT_EQ(DetailLines(m.session, m.session.result.summary[1].text),
              (std::vector<std::string>{
                  "The Wine prefix of this menu entry is gone: "
                  "/home/ann/.local/share/applications/wine/Programs/Lost.desktop "
                  "(/home/ann/Games/gone)"}));
    const std::string report = ScanReportText(m.session, "2026-12-09");
    EXPECT_NE(report.find(" >>>> Wine Menu Entries"), std::string::npos);
    EXPECT_NE(report.find(" Wine Prefix     : /home/ann/Games/gone"), std::string::npos);

    // Only orphans: no line for the prefix's own entries.
    source.entries = {Entry("Lost", true)};
    RunScan(m.session);
    ASSERT_EQ(m.session.result.summary.size(), 1u);
    EXPECT_EQ(m.session.result.summary[0].section, "Wine Menu Entries of deleted prefixes");
}

}  // namespace
}  // namespace vostrel
