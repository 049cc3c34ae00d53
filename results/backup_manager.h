// The backup manager's logic, without its window: the open machine's
// backup files as typed rows (Name, Date, Time, Size, whether the machine
// is recorded), and restoring or deleting the ones the user picked. The
// window and the command line each show the rows their own way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "results/backup_file.h"
#include "session/scan_observer.h"
#include "system/settings.h"

namespace vostrel {

inline constexpr std::string_view kPrefixUnknown = "prefix unknown";

// One backup file as the manager shows it.
struct BackupRow {
    std::string name;  // the file's name in the backup folder
    // "2005-08-16" from "BackUp 16-08-05 14-03-27"; empty when the name has
    // none. A name whose date is not day-month-year keeps its text.
    std::string date;
    std::string time;                    // "14:03" (with whatever follows the time in the name)
    std::optional<std::uintmax_t> size;  // bytes; nothing when it cannot be read
    bool prefixUnknown = false;          // the backup does not record its machine
    std::string machine;                 // the machine it records (empty when unknown)
    std::string restored;  // when it was last restored, "2026-12-10 05:17"; empty: never
    bool operator==(const BackupRow&) const = default;
};

// The column titles both front ends show, in this order.
inline constexpr std::string_view kBackupColumns[] = {"Name",           "Date",   "Time",
                                                      "Size ( Bytes )", "Prefix", "Restored"};

// The size as the list shows it: decimal bytes, empty when unknown.
std::string SizeText(const BackupRow& row);
// The Prefix column: the machine the backup records, or kPrefixUnknown.
std::string PrefixText(const BackupRow& row);

// A backup that was put back is kept, marked with when: a line in the file
// "restored" of its "… files" folder. The mark's time as the list shows it,
// or empty when it was never restored.
inline constexpr std::string_view kBackupRestoredFileName = "restored";
bool MarkBackupRestored(const std::string& backupFilePath, const std::string& when);
std::string RestoredMark(const std::string& backupFilePath);
// The local time as the backup list shows times: "2026-12-10 05:17".
std::string ListTimeNow();

// What a backup holds, one line a record in the file's order, as a user
// reads it: "value HKEY_LOCAL_MACHINE\…\Run Tool (C:\…\t.exe)", "key …
// with 3 values", "shortcut C:\…", "menu entry …", "icon …". Damaged lines
// say so. Nothing when the file cannot be read.
std::optional<std::vector<std::string>> BackupContents(const std::string& backupFilePath);

// True for a name the manager lists: it holds "BACKUP" in any case.
bool IsBackupFileName(const std::string& name);

// The row of one file of `folder` (the date and time read from its name).
BackupRow BackupRowOf(const std::string& fileName, const std::string& folder);

// The backups of the backup folder (names sorted as Wine lists them) of
// `machine` (MachineIdentity) and those that do not record one, marked
// prefixUnknown; other machines' backups are left out.
std::vector<BackupRow> ListBackups(SettingsStore& settings, const std::string& machine);

// The file's size in bytes as decimal text; empty when it cannot be read.
std::string GetBackupFileSize(const std::string& path);

struct BackupRestoreResult {
    std::string name;
    RestoreReport report;
    bool markedRestored = false;  // every record went back, and the file says so
};

// The Restore button: restores the named backups in turn (names no longer
// in the folder are passed over). A backup is kept, whatever happened: one
// whose every record was written back is marked restored, and the user
// deletes it when they choose.
std::vector<BackupRestoreResult> RestoreBackups(const std::vector<std::string>& names,
                                                RegistryApi& registry, FileSystemApi& files,
                                                SettingsStore& settings);

// The Delete button: asks (Question::DeleteBackup) once per named backup
// and deletes the file (and its shortcut copies) on Yes. The names deleted.
std::vector<std::string> DeleteBackups(const std::vector<std::string>& names,
                                       SettingsStore& settings, ScanObserver& observer);

// How many records a backup holds (its non-empty lines): what a restore
// would try to put back.
std::size_t BackupRecordCount(const std::string& backupFilePath);

}  // namespace vostrel
