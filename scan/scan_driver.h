// The scan driver: what runs between a click on Scan Now and the results.
// It goes through the catalogue row by row, runs the walks of every checked
// section or the drive walk of every checked drive, keeps the progress bar,
// the status lines and the problem counter up to date, adds a summary row
// per section, writes the scan report and handles Cancel.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/catalogue.h"
#include "scan/main_form.h"
#include "system/winapi.h"

namespace vostrel {

// The full width of the progress bar's filling, in twips.
inline constexpr int kProgressFullWidth = 4275;

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
    std::string_view status;      // caption of lblStatus while the section runs
    std::array<WalkStep, 2> walks;
    int walkCount;
    std::string_view sectionKey;  // empty: no check is passed
    bool counted;                 // a summary row follows the walks
};

// The sections of catalogue rows 1 to 11, in catalogue order.
extern const std::array<DriverSection, 11> kDriverSections;

// Scan Now: the scanning view, the scan, then the results view when the
// scan found something and was not cancelled. Ignored while a scan runs.
void ImgScanNowMouseMove_Click(MainForm& form);

void StartScan(MainForm& form);
void ScanRegistry(MainForm& form);
void CountSectionProblems(MainForm& form, std::string_view sectionKey);

// Cancel on the scanning view: at once when nothing was found yet,
// otherwise after the user confirms.
void ImgScanCancelMouseMove_Click(MainForm& form);

// The per-row step of the progress bar for n catalogue rows: 4275 / n
// rounded to the nearest integer, a tie going to the even one.
std::int32_t ProgressStep(std::size_t rows);

// The time of day as the program shows it: "HH:MM:SS", 24-hour clock.
std::string TimeOfDayText();

}  // namespace vostrel
