// The scan report, byte for byte: layout, blanks and line ends.
#include <gtest/gtest.h>

#include <filesystem>

#include "results/scan_report.h"
#include "scan/catalogue.h"
#include "scan/section_table.h"
#include "support/scan_fakes.h"
#include "support/temp_dir.h"

namespace vostrel {
namespace {

using testing::FakeMachine;

std::string Times(const std::string& piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
}

void AddError(ScanSession& session, const std::string& section, const std::string& file,
              const std::string& key) {
    RegistryProblem problem;
    problem.root = HKEY_LOCAL_MACHINE;
    problem.valueName = "(Default)";
    problem.testedPath = file;
    problem.scanner = section;
    problem.keyPath = key;
    problem.rootName = "HKEY_LOCAL_MACHINE";
    session.result.problems.AddOf<RegistryProblem>(problem);
}

// The report of a machine with the given problems, the catalogue rows
// "Help Files" and "Window Shortcut C" checked.
struct ReportCase {
    FakeMachine m;
    testing::TempDir dir;
    ReportCase() {
        for (const auto& row : kSectionRows) m.settings.Save(row.text, "False");
        m.settings.Save("Help Files", "True");
        LoadCatalogue(m.session);
        m.session.result.startedAt = "10:00:01";
        m.session.result.finishedAt = "10:00:09";
        m.settings.Save("txtLogFile", dir.path());
    }
    std::string Header(int problems) const {
        const std::string crlf = "\r\n";
        return Times("<>", 63) + crlf + std::string(21, ' ') + "Vostrel 2006 Report." +
               std::string(19, ' ') + crlf + Times("<>", 63) + crlf + std::string(75, ' ') +
               "Created on : 2026-01-02" + crlf + "\r\n" + crlf +
               "Vostrel 2006 started scanning your system registry at 10:00:01 and finished "
               "scanning at 10:00:09" +
               crlf + "\r\r\n" +
               "Total numbers of problems detected : " + std::to_string(problems) + crlf +
               "\r\r\n\r\r\n" + " Sections scanned." + crlf + Times("~", 124) + crlf +
               " >>>> Help Files" + crlf + " >>>> Window Shortcut C" + crlf + Times("~", 124) +
               crlf + "\r\n" + crlf;
    }
    static std::string Footer() {
        return "\r\n\r\n" + Times("<", 61) + " End of Report " + Times(">", 46) + "\r\n" +
               "Vostrel 2006 (c) 2006 Vostrel. All rights reserved.\r\n" + Times("<>", 63) +
               "\r\n" + "\r\n";
    }
};

TEST(ScanReport, CleanScan) {
    ReportCase c;
    const std::string expected =
        c.Header(0) + Times("<>", 60) + "\r\n" + std::string(27, ' ') +
        "Your system is clean Please run Vostrel 2006 to keep your system in good health\r\n" +
        Times("<>", 60) + "\r\n" + ReportCase::Footer();
    EXPECT_EQ(ScanReportText(c.m.session, "2026-01-02"), expected);
}

TEST(ScanReport, ProblemBlocks) {
    ReportCase c;
    AddError(c.m.session, "Help Files", "C:\\gone\\a.hlp", "SOFTWARE\\Microsoft\\Windows\\Help");
    AddError(c.m.session, "Windows Startup", "C:\\gone\\b.exe", "SOFTWARE\\Run");
    c.m.session.result.problems.AddOf<ShortcutProblem>({"C:\\Desktop\\Gone.lnk", "", ""});
    const std::string stars117 = Times("*", 117), stars90 = Times("*", 90);
    const std::string expected =
        c.Header(3) + Times("<>", 60) + "\r\n" + std::string(27, ' ') +
        "Registry Section Defected In Detail\r\n" + Times("<>", 60) + "\r\n" + "\r\n\r\n" +
        stars117 + "\r\n" + " Name of Section : Help Files\r\n" +
        " File Name       : C:\\gone\\a.hlp\r\n" +
        " Registry Path   : SOFTWARE\\Microsoft\\Windows\\Help\r\n" + stars117 + "\r\n" +
        "\r\n\r\n" + "\r\n\r\n" + stars117 + "\r\n" + " Name of Section : Windows Startup\r\n" +
        " File Name       : C:\\gone\\b.exe\r\n" + " Registry Path   : SOFTWARE\\Run\r\n" +
        stars117 + "\r\n" + "\r\n\r\n" + "\r\n\r\n" + stars90 + "\r\n" +
        " Name of Section : Windows Shortcut\r\n" + " File Name       : C:\\Desktop\\Gone.lnk\r\n" +
        stars90 + "\r\n" + "\r\n\r\n" + ReportCase::Footer();
    EXPECT_EQ(ScanReportText(c.m.session, "2026-01-02"), expected);
}

TEST(ScanReport, WrittenOnlyWhenTurnedOn) {
    ReportCase c;
    const std::string path = c.dir / "ScanReport.txt";
    testing::WriteTextFile(path, "old report");
    MakeScanReport(c.m.session);  // "chkMakeLogFile" absent
    EXPECT_EQ(testing::ReadTextFile(path), "old report");
    c.m.settings.Save("chkMakeLogFile", "0");
    MakeScanReport(c.m.session);
    EXPECT_EQ(testing::ReadTextFile(path), "old report");
    c.m.settings.Save("chkMakeLogFile", "1");
    AddError(c.m.session, "Help Files", "C:\\gone\\caf\xC3\xA9.hlp", "SOFTWARE\\Help");
    MakeScanReport(c.m.session);
    const std::string text = testing::ReadTextFile(path);
    EXPECT_EQ(text.find("old report"), std::string::npos);
    EXPECT_NE(text.find("Total numbers of problems detected : 1\r\n"), std::string::npos);
    EXPECT_NE(text.find(" File Name       : C:\\gone\\caf\xE9.hlp\r\n"),
              std::string::npos);  // ANSI
    EXPECT_EQ(ScanReportPath(c.m.session), path);
}

TEST(ScanReport, MissingFolderWritesNothing) {
    ReportCase c;
    c.m.settings.Save("chkMakeLogFile", "1");
    c.m.settings.Save("txtLogFile", c.dir / "no such folder");
    MakeScanReport(c.m.session);
    EXPECT_FALSE(std::filesystem::exists(c.dir / "no such folder"));
}

}  // namespace
}  // namespace vostrel
