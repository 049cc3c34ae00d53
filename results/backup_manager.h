// The backup manager's logic, without its window: the list of the open
// machine's backup files (Name, Date, Time, Size) and the Restore and Delete
// buttons over the ticked rows.
#pragma once

#include <string>
#include <vector>

#include "results/backup_file.h"
#include "session/scan_observer.h"
#include "system/list_control.h"
#include "system/settings.h"

namespace vostrel {

// A list for backups: check boxes, the four columns of the manager, and a
// fifth that marks backups whose machine is not recorded.
ListControl MakeBackupList();
inline constexpr std::string_view kPrefixUnknown = "prefix unknown";

// True for a name the manager lists: it holds "BACKUP" in any case.
bool IsBackupFileName(const std::string& name);

// Fills the list from the backup folder (names sorted as Wine lists them)
// with the backups of `machine` (MachineIdentity) and those that do not
// record one, marked "prefix unknown"; other machines' backups are left out.
void FillBackupList(ListControl& backups, SettingsStore& settings, const std::string& machine);

// Appends one row for a file of the folder.
void AddBackupRow(ListControl& backups, const std::string& fileName, const std::string& folder);

// The file's size in bytes as decimal text; empty when it cannot be read.
std::string GetBackupFileSize(const std::string& path);

struct BackupRestoreResult {
    std::string name;
    RestoreReport report;
    bool deleted = false;  // the file was consumed (every record went back)
};

// The Restore button: restores every ticked backup; a backup is removed
// (row and file) only when every one of its records was written back.
std::vector<BackupRestoreResult> RestoreCheckedBackups(ListControl& backups, RegistryApi& registry,
                                                       FileSystemApi& files,
                                                       SettingsStore& settings,
                                                       ScanObserver& observer);

// The Delete button: asks (Question::DeleteBackup) once per ticked row and
// deletes the file (and its shortcut copies) on Yes. The names deleted.
std::vector<std::string> DeleteCheckedBackups(ListControl& backups, SettingsStore& settings,
                                              ScanObserver& observer);

}  // namespace vostrel
