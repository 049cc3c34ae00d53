// The scan driver: what runs between a request to scan and the results.
// It goes through the catalogue row by row, runs the walks of every checked
// section or the drive walk of every checked drive, tells the observer where
// it is, adds a summary row per section, writes the scan report and handles
// a cancel.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/catalogue.h"
#include "session/scan_session.h"
#include "system/winapi.h"

namespace vostrel {

enum class Walk {
    ClassIdList,     // ListClassIdKeys: subkey names only
    Keys,            // WalkRegistryKeys: every value below the key
    Values,          // ScanKeyValues: the key's own values
    ValuesThenKeys,  // the key's own values, then every value below it
};

struct WalkStep {
    HKEY root;
    std::string_view keyPath;
    Walk walk;
    std::string_view keyPathBefore2000 = {};  // used instead when the platform is not NT
};

struct DriverSection {
    std::string_view status;  // what the program shows while the section runs
    std::array<WalkStep, 2> walks;
    int walkCount;
    std::string_view sectionKey;  // empty: no value is checked
    bool counted;                 // a summary row follows the walks
};

// The sections of catalogue rows 1 to 11, in catalogue order.
extern const std::array<DriverSection, 11> kDriverSections;

// A whole scan: the problem lists are emptied, every checked catalogue row
// is scanned, the summary rows and the report are made. The observer hears
// ScanStarted first and ScanFinished last. Ignored while a scan runs.
void RunScan(ScanSession& session);

// The rows of the catalogue, in order, until a cancel.
void ScanCatalogue(ScanSession& session);
void CountSectionProblems(ScanSession& session, std::string_view sectionKey);

// A request to cancel the running scan: granted at once when nothing was
// found yet, otherwise when the user confirms.
void CancelScan(ScanSession& session);

// The per-row step of a progress bar `fullWidth` wide for n catalogue rows:
// fullWidth / n rounded to the nearest integer, a tie going to the even one.
std::int32_t ProgressStep(std::size_t rows, std::int32_t fullWidth);

// The time of day as the program shows it: "HH:MM:SS", 24-hour clock.
std::string TimeOfDayText();

}  // namespace vostrel
