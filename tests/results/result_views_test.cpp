// The summary and detail lists of the results view.
#include <gtest/gtest.h>

#include "results/result_views.h"
#include "support/scan_fakes.h"

namespace vostrel {
namespace {

using testing::FakeMachine;

void AddError(ScanSession& session, const std::string& section, const std::string& file) {
    RegistryProblem problem;
    problem.root = HKEY_LOCAL_MACHINE;
    problem.testedPath = file;
    problem.scanner = section;
    session.result.problems.AddOf<RegistryProblem>(problem);
}

TEST(ResultViews, SummaryTexts) {
    FakeMachine m;
    AddSectionSummary(m.session, 0, "Help Files");
    EXPECT_TRUE(m.session.result.summary.empty());
    AddSectionSummary(m.session, 1, "Windows Startup");
    AddSectionSummary(m.session, 3, "Windows Fonts");
    AddSectionSummary(m.session, 2, "Uninstall Section");
    AddSectionSummary(m.session, 5, "unknown");
    ASSERT_EQ(m.session.result.summary.size(), 3u);
    EXPECT_EQ(m.session.result.summary[(1) - 1].text,
              "Invalid Windows Startup Files  ( 1 Problem(s) )");
    EXPECT_EQ(m.session.result.summary[(2) - 1].text, "Invalid Windows Fonts (  3 Problem(s) )");
    EXPECT_EQ(m.session.result.summary[(3) - 1].text,
              "Invalid Uninstall Section File  ( 2 Problem(s) )");
    EXPECT_EQ(SectionSummaryText("ActiveX \\ COM Subsections", 70000),
              "Invalid Sub Section Controls ( 70000 Problem(s) )");
}

TEST(ResultViews, DetailOfASection) {
    FakeMachine m;
    AddError(m.session, "Help Files", "C:\\a.hlp");
    AddError(m.session, "Windows Fonts", "C:\\f.ttf");
    AddError(m.session, "Help Files", "C:\\b.hlp");
    AddError(m.session, "help files", "C:\\c.hlp");
    AddSectionSummary(m.session, 2, "Help Files");
    m.session.result.summary.push_back({"", "Invalid Windows Shortcut File (2 Problems)", 0});
    m.session.result.problems.AddOf<ShortcutProblem>({"C:\\x.lnk", "", ""});
    m.session.result.problems.AddOf<ShortcutProblem>({"D:\\y.url", "", ""});
    const std::vector<std::string> help{
        "This file could not be found on your hard drive:C:\\a.hlp",
        "This file could not be found on your hard drive:C:\\b.hlp"};
    EXPECT_EQ(DetailLines(m.session, m.session.result.summary[0].text), help);
    EXPECT_EQ(m.session.result.summary[0].section, "Help Files");
    EXPECT_EQ(m.session.result.summary[0].count, 2);
    EXPECT_EQ(DetailLines(m.session, m.session.result.summary[1].text),
              (std::vector<std::string>{"The path of this file is incorrect : C:\\x.lnk",
                                        "The path of this file is incorrect : D:\\y.url"}));
}

}  // namespace
}  // namespace vostrel
