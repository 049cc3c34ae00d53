// The scan driver: what runs between a request to scan and the results.
// It goes through the catalogue row by row and does for every checked row
// what its section's row in the table says (scan/section_table.h): the registry walks,
// Wine's menu entries, or the drive walk of a drive row. It tells the
// observer where it is, adds a summary row per section, writes the scan
// report and handles a cancel.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/catalogue.h"
#include "scan/section_table.h"
#include "session/scan_session.h"
#include "system/winapi.h"

namespace vostrel {

// A whole scan: the problem lists are emptied, every checked catalogue row
// is scanned, the summary rows and the report are made. The observer hears
// ScanStarted first and ScanFinished last. Ignored while a scan runs.
void RunScan(ScanSession& session);

// The rows of the catalogue, in order, until a cancel.
void ScanCatalogue(ScanSession& session);
void CountSectionProblems(ScanSession& session, std::string_view sectionKey);

// A request to cancel the running scan, which may run on another thread:
// granted at once when nothing was found yet, otherwise when the user
// confirms. `found` is the count the scan's last ProblemFound gave (its
// problem lists belong to the scan while it runs); nothing of the session
// but its stop request is touched. True when the stop was requested.
bool CancelScan(ScanSession& session, std::size_t found);

// The per-row step of a progress bar `fullWidth` wide for n catalogue rows:
// fullWidth / n rounded to the nearest integer, a tie going to the even one.
std::int32_t ProgressStep(std::size_t rows, std::int32_t fullWidth);

// The time of day as the program shows it: "HH:MM:SS", 24-hour clock.
std::string TimeOfDayText();
// The local date and time with its zone, ISO 8601: "2026-12-11T14:03:07+01:00".
std::string TimeStampText();

}  // namespace vostrel
