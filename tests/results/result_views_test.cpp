// The summary and detail lists of the results view.
#include <gtest/gtest.h>

#include "results/result_views.h"
#include "support/scan_fakes.h"

namespace vostrel {
namespace {

using testing::FakeMachine;

void AddError(MainForm& form, const std::string& section, const std::string& file) {
    const auto row = form.lvwErrors.Add("-2147483646");
    form.lvwErrors.SetSubItem(row, 2, file);
    form.lvwErrors.SetSubItem(row, 3, section);
}

std::vector<std::string> Details(const FakeMachine& m) {
    std::vector<std::string> out;
    for (const auto& row : m.form.lvwRegistryErrorsDetail.rows()) out.push_back(row.text);
    return out;
}

void Click(FakeMachine& m, std::size_t row) {
    m.form.lvwRegistryProblems.SetSelected(row, true);
    lvwRegistryProblems_ItemClick(m.form, row);
}

TEST(ResultViews, SummaryTexts) {
    FakeMachine m;
    AddSectionSummary(m.form, 0, "Help Files");
    EXPECT_TRUE(m.form.lvwRegistryProblems.Empty());
    AddSectionSummary(m.form, 1, "Windows Startup");
    AddSectionSummary(m.form, 3, "Windows Fonts");
    AddSectionSummary(m.form, 2, "Uninstall Section");
    AddSectionSummary(m.form, 5, "unknown");
    ASSERT_EQ(m.form.lvwRegistryProblems.Count(), 3u);
    EXPECT_EQ(m.form.lvwRegistryProblems.Text(1), "Invalid Windows Startup Files  ( 1 Problem(s) )");
    EXPECT_EQ(m.form.lvwRegistryProblems.Text(2), "Invalid Windows Fonts (  3 Problem(s) )");
    EXPECT_EQ(m.form.lvwRegistryProblems.Text(3), "Invalid Uninstall Section File  ( 2 Problem(s) )");
    EXPECT_EQ(SectionSummaryText("ActiveX \\ COM Subsections", 70000),
              "Invalid Sub Section Controls ( 70000 Problem(s) )");
}

TEST(ResultViews, DetailOfASection) {
    FakeMachine m;
    AddError(m.form, "Help Files", "C:\\a.hlp");
    AddError(m.form, "Windows Fonts", "C:\\f.ttf");
    AddError(m.form, "Help Files", "C:\\b.hlp");
    AddError(m.form, "help files", "C:\\c.hlp");
    AddSectionSummary(m.form, 2, "Help Files");
    m.form.lvwRegistryProblems.Add("Invalid Windows Shortcut File (2 Problems)");
    m.form.lvwShortcut.Add("C:\\x.lnk");
    m.form.lvwShortcut.Add("D:\\y.url");
    Click(m, 1);
    const std::vector<std::string> help{"This file could not be found on your hard drive:C:\\a.hlp",
                                        "This file could not be found on your hard drive:C:\\b.hlp"};
    EXPECT_EQ(Details(m), help);
    Click(m, 1);
    EXPECT_EQ(Details(m), help);  // not doubled
    Click(m, 2);
    EXPECT_EQ(Details(m), (std::vector<std::string>{"The path of this file is incorrect : C:\\x.lnk",
                                                    "The path of this file is incorrect : D:\\y.url"}));
}

TEST(ResultViews, UnselectedRowDoesNothing) {
    FakeMachine m;
    AddError(m.form, "Help Files", "C:\\a.hlp");
    AddSectionSummary(m.form, 1, "Help Files");
    lvwRegistryProblems_ItemClick(m.form, 1);
    EXPECT_TRUE(m.form.lvwRegistryErrorsDetail.Empty());
}

TEST(ResultViews, HeaderClicksFlipTheOrder) {
    FakeMachine m;
    for (const char* text : {"b", "c", "a"}) m.form.lvwRegistryErrorsDetail.Add(text);
    lvwRegistryErrorsDetail_ColumnClick(m.form, 1);
    EXPECT_EQ(Details(m), (std::vector<std::string>{"c", "b", "a"}));
    lvwRegistryErrorsDetail_ColumnClick(m.form, 1);
    EXPECT_EQ(Details(m), (std::vector<std::string>{"a", "b", "c"}));
    lvwRegistryProblems_ColumnClick(m.form, 1);
    EXPECT_TRUE(m.form.lvwRegistryProblems.sorted());
}

}  // namespace
}  // namespace vostrel
