// The section catalogue lvwRegistryvaluesScan: one row per scannable
// section, then one per fixed drive, each with a check box that the settings
// store remembers under the row's text, and the select-all box that goes with it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "scan/main_form.h"

namespace vostrel {

// The nine section keys: they stand in SubItems(3) of every problem row and
// choose the check of each value. Compared exactly, case-sensitively.
inline constexpr std::string_view kSectionComClasses = "ActiveX \\ COM";
inline constexpr std::string_view kSectionComSubsections = "ActiveX \\ COM Subsections";
inline constexpr std::string_view kSectionAppPaths = "Application Paths";
inline constexpr std::string_view kSectionHelpFiles = "Help Files";
inline constexpr std::string_view kSectionSharedFiles = "Microsoft Shared";
inline constexpr std::string_view kSectionStartup = "Windows Startup";
inline constexpr std::string_view kSectionUninstall = "Uninstall Section";
inline constexpr std::string_view kSectionVxd = "VxD Section";
inline constexpr std::string_view kSectionFonts = "Windows Fonts";

struct CatalogueRow {
    std::string_view text;  // also the settings key of the row's check state
    int smallIcon;
};

// The section rows, in catalogue order; fixed drives follow them.
inline constexpr std::array<CatalogueRow, 11> kCatalogueRows{{
    {"Registry Integrity", 1},
    {"Custom Controls", 2},
    {"Sub Section Controls", 3},
    {"Software Locations", 4},
    {"Help Files", 5},
    {"Shared Files", 6},
    {"Windows Startup", 7},
    {"Uninstall Section", 8},
    {"Virtual Devices", 9},
    {"Windows Fonts", 10},
    {"Configuration files", 11},
}};

inline constexpr std::string_view kDriveRowText = "Window Shortcut ";
inline constexpr int kDriveRowIcon = 12;

// Rebuilds the catalogue: the section rows, a row per fixed drive, and every
// row's check state from the settings (a row never stored comes up checked,
// but for a host drive's row, which comes up unchecked).
void LoadlvwRegistryvaluesScanValues(MainForm& form);

// The select-all box was clicked (or changed by the program).
void chkSelectlistviewItems_Click(MainForm& form);

// The program's own change of the select-all box: runs the click handling
// when the value actually changes, as a user's click would.
void SetSelectAllBox(MainForm& form, int value);

// The user toggled row `row`'s check box, or clicked the row.
void lvwRegistryvaluesScan_ItemCheck(MainForm& form, std::size_t row);
void lvwRegistryvaluesScan_ItemClick(MainForm& form, std::size_t row);

// Sets the select-all box from the rows: 1 all checked, 2 mixed, 0 none.
void SyncSelectAllCheckBox(MainForm& form, const ListControl& list);

// The root of the drive a catalogue row stands for ("C:\" for
// "Window Shortcut C"), or nothing for a section row.
std::optional<std::string> DriveOfCatalogueRow(std::string_view text);

// For the row of a host drive (one whose folder lies outside the machine,
// such as a Wine prefix's z: mapped to "/"): the host folder it maps to.
// Nothing for the machine's own drives and for section rows.
std::optional<std::string> HostFolderOfCatalogueRow(MainForm& form, std::string_view text);

// What the windows add to a row's text to say whose drive it is: for a host
// drive a note naming the folder it maps to; empty for any other row. The
// row's text (and so its settings key) stays as it is.
std::string CatalogueRowNote(MainForm& form, std::string_view text);

// A row setting as a truth value: "True"/"False" in any case, or a number
// (non-zero is true); anything else is false.
bool SettingIsTrue(std::string_view text);

}  // namespace vostrel
