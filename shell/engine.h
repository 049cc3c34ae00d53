// The core's entry points the windows call, one function each. The windows
// never reach into the scan engine, the result views, the repair or the
// backup manager any other way.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/scan_session.h"
#include "shell/list_control.h"
#include "system/machine.h"

namespace vostrel::shell::engine {

// The machine at a Wine prefix (error text on failure).
MachineResult OpenMachine(const std::string& prefix);
// $WINEPREFIX, else ~/.wine.
std::string DefaultPrefix();

// Section catalogue and its select-all box.
void LoadCatalogue(ScanSession& session);
void ApplySelectAll(ScanSession& session);
void CatalogueRowChecked(ScanSession& session, std::size_t row);
void CatalogueRowClicked(ScanSession& session, std::size_t row);
// For a host drive's row: "Host drive: /..." (empty for any other row).
std::string CatalogueRowNote(ScanSession& session, std::size_t row);
// The machine's host drives and the folders they map to ("Z: /"), one
// line; empty when every drive is the machine's own.
std::string HostDrivesNote(ScanSession& session);

// Scan. The window runs it on its worker; CancelScan comes from the
// window's thread, with the count of problems the scan has told so far.
void RunScan(ScanSession& session);
bool CancelScan(ScanSession& session, std::size_t found);

// Repairs the ticked problems (on the window's worker). The reason when
// nothing could be repaired.
std::optional<std::string> RepairAll(ScanSession& session);
// Whether Wine runs on the prefix (empty: this computer, where it never
// stands in the way).
bool WineRunsOn(const std::string& prefix);
// Closes the prefix's programs with its own wineserver, then reads the
// prefix again into the machine (Wine wrote its registry back as it ended).
// The reason when it could not.
std::optional<std::string> CloseWineAndReload(Machine& machine, const std::string& prefix);
// Where the scan report is written (a host path).
std::string ScanReportPath(ScanSession& session);

// Backup manager: its list, and the Restore and Delete buttons.
void FillBackupList(ScanSession& session, ListControl& backups);
// The backups a button acts on: the ticked ones, or the current row (1-based,
// 0 for none) when none is ticked.
std::vector<std::string> ChosenBackups(const ListControl& backups, std::size_t currentRow);
// What each chosen backup's restore did (the names and the records put back
// or failed). Every backup stays in the list; one put back whole shows when.
struct RestoreOutcome {
    std::string name;
    int restored = 0;
    std::vector<std::string> failures;
};
std::vector<RestoreOutcome> RestoreBackups(ScanSession& session, ListControl& backups,
                                           const std::vector<std::string>& names);
// The number of records (values and shortcuts) a listed backup holds.
std::size_t BackupItemCount(ScanSession& session, const std::string& name);
// What a listed backup holds, one line a record (nothing when unreadable).
std::vector<std::string> BackupContents(ScanSession& session, const std::string& name);
void DeleteBackups(ScanSession& session, ListControl& backups,
                   const std::vector<std::string>& names);

}  // namespace vostrel::shell::engine
