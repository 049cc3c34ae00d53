// The ignore list applied by a scan: an entry of this machine or of every
// machine leaves its problem out of the lists, the counts, the summary and
// the report, and is counted as ignored; another machine's entry does not.
#include <gtest/gtest.h>

#include "app/ignore_filter.h"
#include "app/scan_driver.h"
#include "results/result_views.h"
#include "results/scan_report.h"
#include "scan/catalogue.h"
#include "scan/section_table.h"
#include "support/scan_fakes.h"

namespace vostrel {
namespace {

using testing::FakeMachine;
constexpr HKEY kHklm = HKEY_LOCAL_MACHINE;
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kHelp = "SOFTWARE\\Microsoft\\Windows\\Help";
constexpr const char* kMachine = "/home/ann/.wine";

IgnoreList ListOf(std::string_view text) {
    IgnoreParseError error;
    auto list = IgnoreList::Parse(text, &error);
    EXPECT_TRUE(list) << error.Text();
    return list ? *list : IgnoreList{};
}

// Two help files and three startup entries (scanned in that order), all
// naming missing files.
void Plant(FakeMachine& m) {
    for (const auto& row : kSectionRows) m.settings.Save(row.text, "False");
    m.settings.Save("Window Shortcut C", "False");
    m.settings.Save("Windows Startup", "True");
    m.settings.Save("Help Files", "True");
    m.registry.SetString(kHklm, kRun, "Alpha", "C:\\gone\\alpha.exe");
    m.registry.SetString(kHklm, kRun, "Beta", "C:\\gone\\beta.exe");
    m.registry.SetString(kHklm, kRun, "Gamma", "C:\\gone\\gamma.exe");
    m.registry.SetString(kHklm, kHelp, "one.hlp", "C:\\gone");
    m.registry.SetString(kHklm, kHelp, "two.hlp", "C:\\gone");
    LoadCatalogue(m.session);
}

std::vector<std::string> Values(const FakeMachine& m) {
    std::vector<std::string> out;
    for (const auto& p : m.session.result.problems.Of<RegistryProblem>())
        out.push_back(p.valueName);
    return out;
}

std::vector<std::string> Summaries(const FakeMachine& m) {
    std::vector<std::string> out;
    for (const auto& row : m.session.result.summary) out.push_back(row.text);
    return out;
}

struct Case {
    const char* name;
    const char* list;
    std::vector<std::string> listed;  // the value names the scan lists
};

TEST(IgnoreInScan, EntriesLeaveTheirProblemsOut) {
    const std::vector<Case> cases{
        {"empty list", "", {"one.hlp", "two.hlp", "Alpha", "Beta", "Gamma"}},
        {"one value of this machine",
         "[machine \"/home/ann/.wine/\"]\n"
         "registry \"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\" value \"beta\"\n",
         {"one.hlp", "two.hlp", "Alpha", "Gamma"}},
        {"a whole key, every machine",
         "[every machine]\nregistry \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\Help\"\n",
         {"Alpha", "Beta", "Gamma"}},
        {"a wildcard key",
         "registry \"HKEY_LOCAL_MACHINE\\*\\CurrentVersion\\R?n\" value \"Gamma\"\n",
         {"one.hlp", "two.hlp", "Alpha", "Beta"}},
        {"another machine's entry",
         "[machine \"/home/bob/.wine\"]\nregistry \"HKEY_LOCAL_MACHINE\\*\"\n",
         {"one.hlp", "two.hlp", "Alpha", "Beta", "Gamma"}},
        {"a value name is not a wildcard",
         "registry \"HKEY_LOCAL_MACHINE\\*\" value \"*\"\n",
         {"one.hlp", "two.hlp", "Alpha", "Beta", "Gamma"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMachine m;
        Plant(m);
        const IgnoreFilter filter(ListOf(c.list), kMachine);
        m.session.request.ignore = &filter;
        RunScan(m.session);
        EXPECT_EQ(Values(m), c.listed);
        EXPECT_EQ(m.session.result.ignoredCount, 5 - c.listed.size());
        // The detection events count only what is listed.
        EXPECT_EQ(m.observer.found, c.listed.size());
    }
}

TEST(IgnoreInScan, SummaryAndReportCountWhatIsLeft) {
    FakeMachine m;
    Plant(m);
    const IgnoreFilter filter(
        ListOf("registry \"HKLM\\SOFTWARE\\Microsoft\\Windows\\Help\" value \"one.hlp\"\n"
               "registry \"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\"\n"),
        kMachine);
    m.session.request.ignore = &filter;
    RunScan(m.session);
    EXPECT_EQ(Summaries(m), std::vector<std::string>{"Invalid Help Files ( 1 Problem(s) )"});
    EXPECT_EQ(m.session.result.ignoredCount, 4u);
    EXPECT_EQ(IgnoredText(m.session), "4 ignored");
    const std::string report = ScanReportText(m.session, "2026-12-09");
    EXPECT_NE(report.find("Total numbers of problems detected : 1\r\n"
                          "4 ignored (on the ignore list, not listed)\r\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(report.find("Alpha"), std::string::npos);
    EXPECT_EQ(report.find("one.hlp"), std::string::npos);

    // The next scan counts afresh; without a list nothing is left out.
    m.session.request.ignore = nullptr;
    RunScan(m.session);
    EXPECT_EQ(m.session.result.ignoredCount, 0u);
    EXPECT_EQ(IgnoredText(m.session), "");
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 5u);
    EXPECT_EQ(ScanReportText(m.session, "2026-12-09").find("ignored"), std::string::npos);
}

TEST(IgnoreInScan, ShortcutEntriesAndTheEntryForAProblem) {
    FakeMachine m;
    const IgnoreFilter filter(ListOf("shortcut \"C:\\users\\*\\Desktop\\Old *.lnk\"\n"), kMachine);
    m.session.request.ignore = &filter;
    EXPECT_FALSE(RecordProblem(m.session, ShortcutProblem{"C:\\users\\ann\\Desktop\\Old Game.lnk",
                                                          "C:\\Games\\old.exe", ""}));
    EXPECT_TRUE(RecordProblem(m.session, ShortcutProblem{"C:\\users\\ann\\Desktop\\New Game.lnk",
                                                         "C:\\Games\\new.exe", ""}));
    EXPECT_EQ(m.session.result.problems.Of<ShortcutProblem>().size(), 1u);
    EXPECT_EQ(m.session.result.ignoredCount, 1u);

    // The entry made for a problem leaves exactly that problem alone.
    RegistryProblem problem;
    problem.rootName = "HKEY_CLASSES_ROOT";
    problem.keyPath = "CLSID\\{0001}\\InprocServer32";
    problem.valueName = "(Default)";
    IgnoreList list;
    ASSERT_TRUE(list.Add(IgnoreEntryFor(problem, kMachine)));
    EXPECT_EQ(
        list.Text().substr(list.Text().find("[machine")),
        "[machine \"/home/ann/.wine\"]\n"
        "registry \"HKEY_CLASSES_ROOT\\CLSID\\{0001}\\InprocServer32\" value \"(Default)\"\n");
    const IgnoreFilter exact(list, kMachine);
    EXPECT_TRUE(exact.Ignores(problem));
    RegistryProblem sibling = problem;
    sibling.keyPath = "CLSID\\{0001}\\LocalServer32";
    EXPECT_FALSE(exact.Ignores(sibling));
    EXPECT_FALSE(IgnoreFilter(list, "/home/bob/.wine").Ignores(problem));
}

}  // namespace
}  // namespace vostrel
