// The scan report "ScanReport.txt": the sections scanned, the number of
// problems and every problem of the last scan, in the program's fixed layout
// with Windows line ends, written after every scan while "chkMakeLogFile" is
// not 0.
#pragma once

#include <string>
#include <string_view>

#include "session/scan_session.h"

namespace vostrel {

inline constexpr std::string_view kScanReportName = "ScanReport.txt";

// Writes the report when the settings ask for it, replacing the old one.
void MakeScanReport(ScanSession& session);

// The report's path: the folder of "txtLogFile" (default the program's
// folder) and "ScanReport.txt".
std::string ScanReportPath(ScanSession& session);

// The report's text for the lists as they are, dated `date`, in the
// program's UTF-8 (the file holds it in the ANSI code page).
std::string ScanReportText(ScanSession& session, std::string_view date);

// Writes the report to `path` (deleting an old file first); false when it
// could not be written.
bool WriteScanReport(ScanSession& session, const std::string& path);

// Today's date as the report shows it: "YYYY-MM-DD".
std::string ReportDateText();

}  // namespace vostrel
