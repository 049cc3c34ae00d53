// The core's entry points the windows call, one function each. The windows
// never reach into the scan engine, the result views, the repair or the
// backup manager any other way.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <memory>
#include <string>

#include "scan/main_form.h"
#include "system/machine.h"

namespace vostrel::shell::engine {

// The machine at a Wine prefix (error text on failure).
MachineResult OpenMachine(const std::string& prefix);
// $WINEPREFIX, else ~/.wine.
std::string DefaultPrefix();

// Section catalogue and its select-all box.
void LoadlvwRegistryvaluesScanValues(MainForm& form);
void chkSelectlistviewItems_Click(MainForm& form);
void lvwRegistryvaluesScan_ItemCheck(MainForm& form, std::size_t row);
void lvwRegistryvaluesScan_ItemClick(MainForm& form, std::size_t row);
// For a host drive's row: "Host drive: /..." (empty for any other row).
std::string CatalogueRowNote(MainForm& form, std::size_t row);
// The machine's host drives and the folders they map to ("Z: /"), one
// line; empty when every drive is the machine's own.
std::string HostDrivesNote(MainForm& form);

// Scan.
void ImgScanNowMouseMove_Click(MainForm& form);
void ImgScanCancelMouseMove_Click(MainForm& form);

// Results, repair, return.
void lvwRegistryProblems_ItemClick(MainForm& form, std::size_t row);
void ColumnClick(MainForm& form, ListControl& list, int columnIndex);
// Repairs every problem; `afterNotice` runs once its closing notice is
// answered. The reason when nothing could be repaired.
std::optional<std::string> ImgRepairMouseMove_Click(MainForm& form,
                                                    const std::function<void()>& afterNotice);
void ImgReturnMouseMove_Click(MainForm& form);
// Where the scan report is written (a host path).
std::string ScanReportPath(MainForm& form);

// Backup manager: its list, and the Restore and Delete buttons.
void FillBackupList(MainForm& form, ListControl& lvwBackUp);
void RestoreCheckedBackups(MainForm& form, ListControl& lvwBackUp);
void DeleteCheckedBackups(MainForm& form, ListControl& lvwBackUp);

}  // namespace vostrel::shell::engine
