// The section catalogue: one row per scannable section, then one per fixed
// drive, each with a check box that the settings store remembers under the
// row's text, and the select-all box that goes with it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "scan/section_table.h"
#include "session/scan_session.h"
#include "session/sections.h"

namespace vostrel {

// Rebuilds the catalogue: the section rows, the row of Wine's menu entries
// when the session has them to look at, a row per fixed drive, and every
// row's check state from the settings (a row never stored comes up checked,
// but for a host drive's row, which comes up unchecked).
void LoadCatalogue(ScanSession& session);

// The select-all box changed to session.selectAll (by the user or the
// program): the choice is stored and, unless the box is only following the
// rows, every row is checked or unchecked with it, but for the rows of host
// drives, which stay as they are.
void ApplySelectAll(ScanSession& session);

// The program's own change of the select-all box: applied when the value
// actually changes, as a user's click would be.
void SetSelectAll(ScanSession& session, SelectAll value);

// The user toggled row `row`'s check box, or clicked the row.
void CatalogueRowChecked(ScanSession& session, std::size_t row);
void CatalogueRowClicked(ScanSession& session, std::size_t row);

// Sets the select-all box from the rows it ticks (all but the host
// drives'): all checked, mixed, or none.
void SyncSelectAll(ScanSession& session);

// The root of the drive a catalogue row stands for ("C:\" for
// "Window Shortcut C"), or nothing for a section row.
std::optional<std::string> DriveOfCatalogueRow(std::string_view text);

// For the row of a host drive (one whose folder lies outside the machine,
// such as a Wine prefix's z: mapped to "/"): the host folder it maps to.
// Nothing for the machine's own drives and for section rows.
std::optional<std::string> HostFolderOfCatalogueRow(ScanSession& session, std::string_view text);

// What the windows add to a row's text to say whose drive it is: for a host
// drive a note naming the folder it maps to; empty for any other row. The
// row's text (and so its settings key) stays as it is.
std::string CatalogueRowNote(ScanSession& session, std::string_view text);

// A row setting as a truth value: "True"/"False" in any case, or a number
// (non-zero is true); anything else is false.
bool SettingIsTrue(std::string_view text);

}  // namespace vostrel
