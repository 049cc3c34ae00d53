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
// A menu entry Wine made is kept the same way in an "M" record (its host
// path and the copy's name), and each icon removed with it in an "I"
// record; earlier versions never wrote either kind.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "scan/registration_keys.h"
#include "session/scan_session.h"
#include "system/durable_file.h"
#include "system/registry_api.h"
#include "system/settings_keys.h"

namespace vostrel {

// The typed records of a backup file (results/backup_record.h).
struct RegistryRecord;
struct ShortcutRecord;
struct HostFileRecord;
struct KeyRecord;
using BackupRecord = std::variant<RegistryRecord, ShortcutRecord, HostFileRecord, KeyRecord>;

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
    bool operator==(const SavedValue&) const = default;
};

// The machine a backup belongs to: the Wine prefix's folder with its links
// resolved, or "this computer" for the live Windows machine.
std::string MachineIdentity(FileSystemApi& files);
// The same for a prefix folder not opened (empty: the live Windows machine).
std::string MachineIdentityOf(const std::string& prefixFolder);

// Beside the records, a backup names the machine it was taken from in the
// file "prefix" of its "… files" folder (one line, UTF-8). Readers that do
// not know it never look there; the line format is unchanged. Nothing for a
// backup written before backups recorded it ("prefix unknown").
inline constexpr std::string_view kBackupMachineFileName = "prefix";
std::optional<std::string> RecordedMachine(const std::string& backupFilePath);

// One repair run's backup. The file and its "… files" folder are created
// new (never an existing file, never through a link: another name is taken
// when the run's name is in use), readable by their owner only. Records are
// added without a flush each; Commit puts all of them, and the shortcut
// copies, on the disk at once. Nothing may be removed before the Commit
// that follows its record.
class BackupWriter {
public:
    // Nothing, with the reason, when the folder is not safe (another user
    // may write to it) or the file cannot be created.
    static std::unique_ptr<BackupWriter> Create(const std::string& folder, const std::tm& start,
                                                const std::string& machine,
                                                std::string* error = nullptr);
    ~BackupWriter();

    const std::string& path() const { return path_; }

    // Appends one record for a problem and, for a shortcut, keeps a copy of
    // the file. False, with the reason, when it could not; the file then
    // ends with the previous record.
    bool Add(ScanSession& session, const RegistryProblem& problem, std::string* error = nullptr);
    bool Add(ScanSession& session, const ShortcutProblem& problem, std::string* error = nullptr);
    // A whole key the repair takes out: every value it holds, kept as stored
    // ("K"). `missingPath` is what its registration named.
    bool AddKey(const RegistryProblem& registration, const StoredKey& key,
                std::string* error = nullptr);
    // A file of the user's own folders (a menu entry, kind "M", or an icon,
    // kind "I"), by its host path.
    bool AddHostFile(std::string_view kind, const std::string& hostPath,
                     std::string* error = nullptr);

    // Flushes the records and copies added so far, and the folders' new
    // entries. True when all of it is on the disk.
    bool Commit(std::string* error = nullptr);

private:
    BackupWriter() = default;
    bool AppendRecord(const BackupRecord& record, std::string* error);
    std::string folder_, path_, copies_;
    std::unique_ptr<AppendOnlyFile> file_;
    bool copiesAdded_ = false;
    bool entriesSynced_ = false;
};

// The outcome of putting a backup file back.
struct RestoreReport {
    int restored = 0;                   // records written back
    std::vector<std::string> failures;  // one text per record (or file) that failed
    bool ok() const { return failures.empty(); }
};

// Writes back every record of a backup file, the last record first (so a
// value repaired twice in one run ends as it was before the first repair).
// A record that fails is reported and the next one is restored all the same.
//
// Refused as a whole when the backup was taken from another machine; a
// shortcut record whose path lies outside the machine's own drives (a Wine
// drive mapped to a host folder outside the prefix) fails. `force` allows
// both. A shortcut never replaces a file that is already there.
struct RestoreOptions {
    bool force = false;
};
RestoreReport RestoreBackupFile(RegistryApi& registry, FileSystemApi& files,
                                SettingsStore& settings, const std::string& backupFilePath,
                                const RestoreOptions& options = {});

// Why a backup file must not be read back at all, whatever --force says:
// it, its folder or the folder of its shortcut copies belongs to another
// user or may be written by one, so its records could be anyone's. Nothing
// when the files are the user's own.
std::optional<std::string> UntrustedBackupRefusal(const std::string& backupFilePath);

// Why a backup must not be restored into this machine without force (it
// was taken from another one), naming both; nothing when it may.
std::optional<std::string> MachineMismatch(FileSystemApi& files, const std::string& backupFilePath);

// The shortcut paths of a backup that lie outside the machine's own
// drives, in file order.
std::vector<std::string> RecordsOutsideMachine(FileSystemApi& files,
                                               const std::string& backupFilePath);

// True when a Windows path lies on one of the machine's own drives: on the
// live Windows machine always, in a Wine prefix when the drive's folder,
// with links resolved, lies inside the prefix.
bool OnOwnDrive(FileSystemApi& files, std::string_view windowsPath);

// The record kinds of a menu entry and of an icon removed with it.
inline constexpr std::string_view kMenuEntryRecord = "M";
inline constexpr std::string_view kMenuIconRecord = "I";

// Where a menu entry ("M") or an icon ("I") of the user's own folders may
// be: the folder of its kind (`root`, one of the user's folders, opened as
// it is) and the path below it, walked without following any link.
//   - menu entries: $XDG_DATA_HOME/applications/wine/**/*.desktop (else
//     ~/.local/share), $XDG_DATA_HOME/applications/wine-extension-*.desktop,
//     and *.desktop directly on the desktop folder (XDG_DESKTOP_DIR of
//     user-dirs.dirs, else ~/Desktop) - the places the menu scan lists;
//   - icons: the menu builder's icon files ("3F2A_notepad.0.png", also .svg,
//     .svgz, .xpm) in $XDG_DATA_HOME/icons/<theme>/<size>/<context>/ or
//     directly in $XDG_DATA_HOME/icons.
// The path must be absolute and plain (no "." or ".." parts). Nothing, with
// the reason, for any other path.
struct HostFilePlace {
    std::string root;
    std::string relative;
};
std::optional<HostFilePlace> PlaceOfHostFile(std::string_view kind, const std::string& path,
                                             std::string* why = nullptr);

// Why a restore must not write the host file of an "M" or "I" record at
// `path`: it is not a place of its kind (above). Nothing when it may.
std::optional<std::string> HostRecordRefusal(std::string_view kind, const std::string& path);

// Puts the copy `copyName` of `copiesFolder` back as the file of an "M" or
// "I" record at `path`: only in its kind's place, never through a link, never
// over a file that is there now (the same bytes there count as put back).
// Nothing when it is back; else why not.
std::optional<std::string> PutBackHostFile(std::string_view kind, const std::string& path,
                                           const std::string& copiesFolder,
                                           const std::string& copyName);

// A host file as the repair finds it before backing it up or removing it:
// Other also when it is not in a place of menu entries or icons, or is
// reached only through a link.
enum class HostFileState { Regular, Gone, Other };
HostFileState HostFileStateOf(const std::string& path);

// Removes a menu entry or icon file: a regular file in its kind's place,
// reached without following a link, removed through its folder. False,
// with the reason, when it is something else or cannot be removed.
bool RemoveHostFile(const std::string& path, std::string* why);

// Removes a backup file and the shortcut copies kept for it.
bool DeleteBackupFile(const std::string& backupFilePath);

}  // namespace vostrel
