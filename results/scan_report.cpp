#include "results/scan_report.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <initializer_list>

#include "results/result_views.h"
#include "session/sections.h"
#include "system/settings.h"
#include "system/settings_keys.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr std::string_view kProduct = kAppName;
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kCrlfLine = "\r\n";  // shows as two empty lines
constexpr std::string_view kCrLine = "\r";      // written as bytes 13, 13, 10
constexpr std::string_view kCopyright = "Vostrel 2006 (c) 2006 Vostrel. All rights reserved.";

std::string Repeat(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

// Collects the report's lines; each line is given as pieces that are
// joined, and ends with carriage return and line feed.
class ReportWriter {
public:
    void Line(std::initializer_list<std::string_view> pieces) {
        for (auto piece : pieces) text_.append(piece);
        text_.append(kLineEnd);
    }
    std::string& text() { return text_; }

private:
    std::string text_;
};

void WriteVerdict(ReportWriter& out, bool clean) {
    const std::string frame = Repeat("<>", 60), indent = Repeat(" ", 27);
    out.Line({frame});
    if (clean)
        out.Line({indent, "Your system is clean Please run ", kProduct,
                  " to keep your system in good health"});
    else
        out.Line({indent, "Registry Section Defected In Detail"});
    out.Line({frame});
}

void WriteProblemBlocks(ScanSession& session, ReportWriter& out) {
    const std::string stars117 = Repeat("*", 117), stars90 = Repeat("*", 90);
    for (const auto& problem : session.result.problems.Of<RegistryProblem>()) {
        out.Line({kCrlfLine});
        out.Line({stars117});
        out.Line({" Name of Section : ", problem.scanner});
        out.Line({" File Name       : ", problem.testedPath});
        out.Line({" Registry Path   : ", problem.keyPath});
        out.Line({stars117});
        out.Line({kCrlfLine});
    }
    for (const auto& problem : session.result.problems.Of<ShortcutProblem>()) {
        out.Line({kCrlfLine});
        out.Line({stars90});
        out.Line({" Name of Section : ", kShortcutSection});
        out.Line({" File Name       : ", problem.path});
        out.Line({stars90});
        out.Line({kCrlfLine});
    }
    for (const auto& problem : session.result.problems.Of<MenuEntryProblem>()) {
        out.Line({kCrlfLine});
        out.Line({stars90});
        out.Line(
            {" Name of Section : ", problem.orphan ? kOrphanMenuEntrySection : kMenuEntrySection});
        out.Line({" File Name       : ", problem.path});
        out.Line({" Starts          : ", problem.target, " (", problem.reason, ")"});
        if (problem.orphan) out.Line({" Wine Prefix     : ", problem.prefix});
        out.Line({stars90});
        out.Line({kCrlfLine});
    }
}

}  // namespace

std::string ReportDateText() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (!local) return {};
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", local);
    return text;
}

std::string ScanReportPath(ScanSession& session) {
    std::filesystem::path folder = session.settings.Get(kReportFolderKey, ProgramFolder());
    return (folder / kScanReportName).string();
}

// What the walk could not read, after the problems: a short result must not
// pass for a clean one. Nothing at all when everything could be read.
void WriteUnreadable(ScanSession& session, ReportWriter& out) {
    if (const std::string notChecked = NotCheckedText(session.result.notChecked);
        !notChecked.empty()) {
        out.Line({kCrlfLine});
        out.Line({" ", notChecked, "."});
    }
    const auto& unreadable = session.result.unreadable;
    if (unreadable.Empty()) return;
    out.Line({kCrlfLine});
    out.Line({" Not scanned: these could not be read."});
    for (const auto& folder : unreadable.folders) out.Line({" >>>> Folder ", folder});
    for (const auto& file : unreadable.shortcuts) out.Line({" >>>> Shortcut ", file});
}

std::string ScanReportText(ScanSession& session, std::string_view date) {
    ReportWriter out;
    const std::string frame = Repeat("<>", 63), rule = Repeat("~", 124);
    out.Line({frame});
    out.Line({Repeat(" ", 21), kProduct, " Report.", Repeat(" ", 19)});
    out.Line({frame});
    out.Line({Repeat(" ", 75), "Created on : ", date});
    out.Line({kCrlfLine});
    out.Line({kProduct, " started scanning your system registry at ", session.result.startedAt,
              " and finished scanning at ", session.result.finishedAt});
    out.Line({kCrLine});
    const auto total = session.ProblemCount();
    out.Line({"Total numbers of problems detected : ", std::to_string(total)});
    // Entries on the user's ignore list are not in the report; only how many.
    if (session.result.ignoredCount > 0)
        out.Line({IgnoredText(session), " (on the ignore list, not listed)"});
    out.Line({kCrLine});
    out.Line({kCrLine});
    out.Line({" Sections scanned."});
    out.Line({rule});
    const auto& catalogue = session.request.sections;
    for (std::size_t i = 1; i <= catalogue.Count(); ++i) {
        if (catalogue.Checked(i)) out.Line({" >>>> ", catalogue.Text(i)});
    }
    out.Line({rule});
    out.Line({kCrlfLine});
    WriteVerdict(out, total == 0);
    WriteProblemBlocks(session, out);
    WriteUnreadable(session, out);
    out.Line({kCrlfLine});
    out.Line({Repeat("<", 61), " End of Report ", Repeat(">", 46)});
    out.Line({kCopyright});
    out.Line({frame});
    out.Line({});
    return std::move(out.text());
}

bool WriteScanReport(ScanSession& session, const std::string& path) {
    std::error_code error;
    const std::filesystem::path file(path);
    if (!std::filesystem::is_directory(file.parent_path().empty() ? "." : file.parent_path(),
                                       error))
        return false;
    std::filesystem::remove(file, error);
    std::ofstream stream(file, std::ios::binary | std::ios::app);
    if (!stream) return false;
    stream << Utf8ToAnsi(ScanReportText(session, ReportDateText()));
    return static_cast<bool>(stream.flush());
}

void MakeScanReport(ScanSession& session) {
    const std::string setting = TrimCopy(session.settings.Get(kMakeReportKey, "0"));
    char* end = nullptr;
    const double enabled = std::strtod(setting.c_str(), &end);
    if (setting.empty() || end != setting.c_str() + setting.size() || enabled == 0) return;
    WriteScanReport(session, ScanReportPath(session));
}

}  // namespace vostrel
