// Registry backup files: where they live, what they are called, writing one
// record before a value or shortcut is removed, and putting a whole file
// back.
//
// A registry record keeps the six fields earlier versions wrote (kind "R",
// root name, key path, the missing path, value name, the system-folder mark)
// and adds the value's kind and raw data as it was ("-" when there was no
// such value), so that a restore writes back exactly what was there. A row
// for a key's default value adds the same pair for a value literally named
// "(Default)", which the repair removes too. A shortcut record keeps "S" and
// the shortcut's path and adds the name of its copy, kept in a folder named
// after the backup file, so that shortcuts of the same name never share one.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/main_form.h"
#include "system/list_control.h"
#include "system/registry_api.h"

namespace vostrel {

inline constexpr std::string_view kBackupFolderKey = "txtBackup";
inline constexpr std::string_view kMakeBackupKey = "chkMakeBackUp";
inline constexpr std::string_view kDefaultValueName = "(Default)";

// The backup folder: the setting "txtBackup", the program's folder when it
// is absent, empty or blank. One rule for the repair, the list and restore.
std::string BackupFolder(SettingsStore& settings);

// "chkMakeBackUp" (default 1) read as a number: backups are made unless 0.
bool BackupsEnabled(SettingsStore& settings);

// "BackUp dd-mm-yy hh-mm-ss" for a local time.
std::string BackupFileName(const std::tm& when);

// The folder beside a backup file that holds its shortcut copies.
std::string ShortcutCopiesFolder(const std::string& backupFilePath);

// A value as it was before the repair touched it.
struct SavedValue {
    bool present = false;
    DWORD kind = REG_NONE;
    std::vector<std::uint8_t> data;
};

// Appends one record for a problem row ("R" for lvwErrors, anything else
// for lvwShortcut) and, for a shortcut, keeps a copy of the file. True only
// when the record (and the copy) is on the disk; `error` says why not.
bool WriteBackupRecord(MainForm& form, std::string_view kind, const std::string& backupFilePath,
                       const ListRow& row, std::string* error = nullptr);

// The outcome of putting a backup file back.
struct RestoreReport {
    int restored = 0;                   // records written back
    std::vector<std::string> failures;  // one text per record (or file) that failed
    bool ok() const { return failures.empty(); }
};

// Writes back every record of a backup file, the last record first (so a
// value repaired twice in one run ends as it was before the first repair).
// A record that fails is reported and the next one is restored all the same.
RestoreReport RestoreBackupFile(RegistryApi& registry, FileSystemApi& files, SettingsStore& settings,
                                const std::string& backupFilePath);

// Removes a backup file and the shortcut copies kept for it.
bool DeleteBackupFile(const std::string& backupFilePath);

}  // namespace vostrel
