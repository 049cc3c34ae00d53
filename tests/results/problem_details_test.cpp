// What the results view tells of each problem, the tick boxes per problem
// and per summary line, and the repair's question.
#include "results/problem_details.h"

#include <gtest/gtest.h>

#include "results/result_views.h"
#include "support/scan_fakes.h"

namespace vostrel {
namespace {

using testing::FakeMachine;

RegistryProblem ValueProblem(const std::string& scanner, const std::string& tested,
                             const std::string& value = "(Default)") {
    RegistryProblem p;
    p.root = HKEY_CLASSES_ROOT;
    p.rootName = "HKEY_CLASSES_ROOT";
    p.keyPath = "CLSID\\{0001}\\InprocServer32";
    p.valueName = value;
    p.dataAsRead = "avifile.dll";
    p.testedPath = tested;
    p.scanner = scanner;
    return p;
}

// Two help files, a font and two shortcuts, with their summary lines.
void FillSession(ScanSession& s) {
    for (const char* path : {"C:\\a.hlp", "C:\\f.ttf", "C:\\b.hlp"})
        s.result.problems.Add(ValueProblem(path[3] == 'f' ? "Windows Fonts" : "Help Files", path));
    s.result.problems.AddOf<ShortcutProblem>(
        {"C:\\users\\Public\\Desktop\\x.lnk", "C:\\Gone\\x.exe", ""});
    s.result.problems.AddOf<ShortcutProblem>(
        {"C:\\users\\Public\\Desktop\\y.lnk", "C:\\windows\\y.exe", ""});
    AddSectionSummary(s, 2, "Help Files");
    AddSectionSummary(s, 1, "Windows Fonts");
    s.result.summary.push_back(
        {"Windows Shortcut", "Invalid Windows Shortcut File (2 Problems)", 2});
}

TEST(ProblemDetails, RegistryProblemNamesItsKeyValueDataAndReason) {
    RegistryProblem p = ValueProblem("ActiveX \\ COM", "C:\\windows\\system32\\avifile.dll");
    const ProblemDetails plain = DetailsOf(p);
    EXPECT_EQ(plain.line,
              "This file could not be found on your hard drive:C:\\windows\\system32\\avifile.dll");
    EXPECT_EQ(plain.entry, "HKEY_CLASSES_ROOT\\CLSID\\{0001}\\InprocServer32");
    EXPECT_EQ(plain.value, "(Default)");
    EXPECT_EQ(plain.holds, "avifile.dll");
    EXPECT_EQ(plain.lookedFor, "C:\\windows\\system32\\avifile.dll");
    EXPECT_EQ(plain.why, "file not found");
    p.systemFolder = true;
    EXPECT_EQ(DetailsOf(p).why, "file not found (looked for in the system folder)");
    EXPECT_EQ(EntryText(p), "HKEY_CLASSES_ROOT\\CLSID\\{0001}\\InprocServer32 value \"(Default)\"");
}

TEST(ProblemDetails, ShortcutReasonTellsAMissingFolderFromAMissingFile) {
    FakeMachine m;
    m.files.AddFolder("C:\\windows");
    const struct {
        std::string target, why;
    } cases[] = {
        {"C:\\Gone\\Deeper\\x.exe", "folder of the shortcut's target not found"},
        {"C:\\windows\\y.exe", "file not found"},
    };
    for (const auto& c : cases) {
        const ProblemDetails d = DetailsOf(ShortcutProblem{"C:\\d\\s.lnk", c.target, ""}, m.files);
        EXPECT_EQ(d.why, c.why) << c.target;
        EXPECT_EQ(d.entry, "C:\\d\\s.lnk");
        EXPECT_EQ(d.holds, c.target);
        EXPECT_EQ(d.lookedFor, c.target);
        EXPECT_EQ(d.value, "");
        EXPECT_EQ(d.line, "The path of this file is incorrect : C:\\d\\s.lnk");
    }
}

TEST(ProblemDetails, SummaryLinesStandForTheProblemsTheirDetailLinesShow) {
    FakeMachine m;
    m.files.AddFolder("C:\\windows");
    FillSession(m.session);
    // A menu entry of this prefix and one of a deleted prefix, each on its own line.
    MenuEntryProblem own, orphan;
    own.path = "/home/ann/.local/share/applications/wine/Programs/Old.desktop";
    own.target = "C:\\Program Files\\Old\\old.exe";
    own.reason = kMenuEntryProgramMissing;
    orphan.path = "/home/ann/.local/share/applications/wine/Programs/Lost.desktop";
    orphan.prefix = "/home/ann/Games/lost";
    orphan.target = orphan.prefix;
    orphan.reason = kMenuEntryPrefixMissing;
    orphan.orphan = true;
    m.session.result.problems.Add(orphan);
    m.session.result.problems.Add(own);
    AddMenuEntrySummaries(m.session, 1, 1);
    for (const SummaryRow& row : m.session.result.summary) {
        std::vector<std::string> lines;
        for (const ProblemRef& ref : ProblemsOfSummary(m.session, row.text)) {
            lines.push_back(DetailsOf(m.session, ref).line);
            ProblemRef back;
            ASSERT_TRUE(ParseRef(m.session, RefText(ref), &back));
            EXPECT_EQ(back, ref);
        }
        EXPECT_EQ(lines, DetailLines(m.session, row.text)) << row.text;
    }
    const ProblemDetails lost = DetailsOf(m.session, {5});
    EXPECT_EQ(lost.entry, orphan.path);
    EXPECT_EQ(lost.lookedFor, "/home/ann/Games/lost");
    EXPECT_EQ(lost.why, "prefix missing");
    EXPECT_EQ(DetailsOf(m.session, {6}).lookedFor, own.target);
    ProblemRef ref;
    for (const char* bad : {"", "P", "P7", "R3", "X0", "P-1", "P1x", "P 1", "p2"})
        EXPECT_FALSE(ParseRef(m.session, bad, &ref)) << bad;
}

TEST(ProblemDetails, SummaryTickFollowsItsGroupAndSetsOnlyIt) {
    FakeMachine m;
    FillSession(m.session);
    const std::string help = m.session.result.summary[0].text;
    const std::string shortcuts = m.session.result.summary[2].text;
    EXPECT_EQ(SummaryTick(m.session, help), GroupTick::All);
    EXPECT_EQ(SelectedCount(m.session), 5u);
    SetSelected(m.session, ProblemRef{2}, false);
    EXPECT_EQ(SummaryTick(m.session, help), GroupTick::Some);
    SetSummaryTick(m.session, help, false);
    EXPECT_EQ(SummaryTick(m.session, help), GroupTick::None);
    // The font between the two help files keeps its tick.
    EXPECT_TRUE(m.session.result.problems.Of<RegistryProblem>()[1].selected);
    SetSummaryTick(m.session, shortcuts, false);
    EXPECT_EQ(SelectedCount(m.session), 1u);
    SetSummaryTick(m.session, help, true);
    EXPECT_EQ(SummaryTick(m.session, help), GroupTick::All);
    EXPECT_EQ(SummaryTick(m.session, shortcuts), GroupTick::None);
    EXPECT_EQ(SelectedCount(m.session), 3u);
}

TEST(ProblemDetails, RepairQuestionNamesTheCountAndTheBackup) {
    EXPECT_EQ(RepairQuestion(12, 42, true, "/home/ann/backups"),
              "Repair 12 of 42 problems? A backup is written first to /home/ann/backups.");
    EXPECT_EQ(RepairQuestion(1, 1, false, "/ignored"),
              "Repair 1 of 1 problem? No backup will be written: \"Make Backup Before "
              "Repairing\" is off.");
}

}  // namespace
}  // namespace vostrel
