// Putting a backup file back, record by record.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "results/backup_codec.h"
#include "results/backup_file.h"
#include "results/backup_record.h"
#include "system/atomic_file.h"
#include "system/durable_file.h"
#include "system/registry.h"
#include "system/settings.h"
#include "system/text.h"

#ifndef _WIN32
#include <sys/stat.h>

#include <cstdlib>

#include "system/posix/beneath.h"
#endif

namespace vostrel {

namespace {

namespace fs = std::filesystem;

struct Restorer {
    RegistryApi& registry;
    FileSystemApi& files;
    std::string backupFilePath;
    std::string backupFolder;
    RestoreReport report;
    std::vector<std::string> oldCopies;  // copies of old records, removed once all went back
    bool force = false;

    void Record(const NumberedRecord& numbered);

private:
    bool Put(const RegistryRecord& r, std::string& why);
    bool Put(const ShortcutRecord& r, std::string& why);
    bool Put(const HostFileRecord& r, std::string& why);
    bool Put(const KeyRecord& r, std::string& why);
};

bool ValuePresent(RegistryApi& registry, HKEY root, std::string_view keyPath,
                  std::string_view name) {
    ScopedKey key(registry);
    if (registry.OpenKeyEx(root, keyPath, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
    DWORD kind = 0;
    std::vector<std::uint8_t> data;
    return registry.QueryValueRaw(key.get(), name, &kind, &data) == ERROR_SUCCESS;
}

// Puts one saved value back as it was: written when it existed, removed
// when it did not (only the default value can have come into being through
// the repair, which blanks it).
bool PutBack(RegistryApi& registry, HKEY root, std::string_view keyPath, std::string_view name,
             const SavedValue& saved, bool removeWhenAbsent) {
    if (!saved.present && !removeWhenAbsent) return true;
    ScopedKey key(registry);
    if (!saved.present) {
        if (registry.OpenKeyEx(root, keyPath, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS)
            return true;
        const LONG status = registry.DeleteValue(key.get(), name);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    DWORD disposition = 0;
    if (registry.CreateKeyEx(root, keyPath, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, key.out(),
                             &disposition) != ERROR_SUCCESS)
        return false;
    return registry.SetValueRaw(key.get(), name, saved.kind, saved.data) == ERROR_SUCCESS;
}

// Records written before the kind and data were kept: the value comes back
// as the text the scan recorded.
bool OldRegistryRecord(RegistryApi& registry, HKEY root, const RegistryRecord& r) {
    const std::string name = r.valueName == kDefaultValueName ? std::string() : r.valueName;
    if (r.systemFolder) {
        const std::size_t slash = r.missingPath.rfind('\\');
        const std::string data =
            slash == std::string::npos ? TrimCopy(r.missingPath) : r.missingPath.substr(slash + 1);
        SetRegistryValue(registry, root, r.keyPath, name, data);
    } else {
        CreateKeyAndSetValue(registry, root, r.keyPath, name, r.missingPath, REG_SZ);
    }
    return ValuePresent(registry, root, r.keyPath, name);
}

bool Restorer::Put(const RegistryRecord& r, std::string& why) {
    const auto root = RootFromName(r.rootName);
    if (!root) {
        why = "unknown root key \"" + r.rootName + "\"";
        return false;
    }
    bool ok;
    if (!r.value) {
        ok = OldRegistryRecord(registry, *root, r);
    } else if (r.valueName == kDefaultValueName) {
        ok = PutBack(registry, *root, r.keyPath, "", *r.value, true) &&
             (!r.literalDefault ||
              PutBack(registry, *root, r.keyPath, kDefaultValueName, *r.literalDefault, false));
    } else {
        ok = PutBack(registry, *root, r.keyPath, r.valueName, *r.value, false);
    }
    if (!ok)
        why =
            r.rootName + "\\" + r.keyPath + " value " + r.valueName + " could not be written back";
    return ok;
}

// A key the repair took out whole comes back with every value it held,
// byte for byte. A value that was written since under the same name is
// replaced, as a single value's restore replaces it.
bool Restorer::Put(const KeyRecord& r, std::string& why) {
    const auto root = RootFromName(r.rootName);
    if (!root) {
        why = "unknown root key \"" + r.rootName + "\"";
        return false;
    }
    ScopedKey key(registry);
    DWORD disposition = 0;
    if (registry.CreateKeyEx(*root, r.keyPath, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, key.out(),
                             &disposition) != ERROR_SUCCESS) {
        why = r.rootName + "\\" + r.keyPath + " could not be made again";
        return false;
    }
    for (const StoredValue& value : r.values) {
        if (registry.SetValueRaw(key.get(), value.name, value.kind, value.data) != ERROR_SUCCESS) {
            why = r.rootName + "\\" + r.keyPath + " value " +
                  (value.name.empty() ? std::string(kDefaultValueName) : value.name) +
                  " could not be written back";
            return false;
        }
    }
    return true;
}

#ifndef _WIN32
// A shortcut goes back beneath the folder of its drive, never through a
// link on the way; a path through one of Wine's links from the prefix
// user's shell folders (users/<user>/Desktop, ...) into the home folder is
// walked beneath the home folder instead.
PutBackResult PutBackShortcut(FileSystemApi& files, const std::string& windowsPath,
                              const std::string& host, const std::string& folder,
                              const std::string& name, std::string* error) {
    const auto driveRoot = files.HostPath(windowsPath.substr(0, 2) + "\\");
    const auto relative =
        driveRoot ? beneath::RelativeTo(*driveRoot, host) : std::optional<std::string>();
    if (!relative) {
        *error = ShownBytes(host) + " does not lie plainly below its drive's folder";
        return PutBackResult::Failed;
    }
    beneath::Place place{*driveRoot, *relative};
    const std::string home = UserHomeFolder().value_or("");
    if (!home.empty() && home.front() == '/')
        if (auto shellFolder = beneath::ShellFolderPlace(*driveRoot, *relative, home))
            place = std::move(*shellFolder);
    const beneath::UniqueFd copy =
        beneath::OpenRegularBeneath(folder, name, error, beneath::RootLink::Refuse);
    struct stat st {};
    if (!copy.Valid() || ::fstat(copy.Get(), &st) != 0) return PutBackResult::Failed;
    switch (beneath::WriteNewBeneath(place.root, place.relative, copy.Get(), st.st_mode & 0777,
                                     error)) {
        case beneath::WriteResult::Written: return PutBackResult::Written;
        case beneath::WriteResult::SameAlready: return PutBackResult::SameAlready;
        case beneath::WriteResult::InTheWay: return PutBackResult::InTheWay;
        case beneath::WriteResult::Failed: break;
    }
    return PutBackResult::Failed;
}
#else
PutBackResult PutBackShortcut(FileSystemApi&, const std::string&, const std::string& host,
                              const std::string& folder, const std::string& name,
                              std::string* error) {
    std::error_code ec;
    fs::create_directories(fs::path(host).parent_path(), ec);
    return PutBackCopy(folder, name, host, error);
}
#endif

bool Restorer::Put(const ShortcutRecord& r, std::string& why) {
    // Records of earlier versions kept the copy in the backup folder under
    // the shortcut's own name; later ones name it in the "… files" folder.
    // Either way the copy is a plain name inside that one folder.
    const bool old = !r.copyName;
    const std::size_t slash = r.path.rfind('\\');
    const std::string name =
        old ? (slash == std::string::npos ? std::string() : r.path.substr(slash + 1)) : *r.copyName;
    const std::string folder = old ? backupFolder : ShortcutCopiesFolder(backupFilePath);
    if (!IsPlainFileName(name)) {
        why = "the copy of " + ShownBytes(r.path) + " is named \"" + ShownBytes(name) +
              "\", which is not a file of the backup's folder";
        return false;
    }
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(fs::path(folder) / name, ec))) {
        why = "the saved copy of " + ShownBytes(r.path) + " is missing";
        return false;
    }
    if (!force && !OnOwnDrive(files, r.path)) {
        why = ShownBytes(r.path) +
              " lies outside the prefix's own drives; restore with --force to put it back there";
        return false;
    }
    const auto host = files.HostPath(r.path);
    if (!host) {
        why = ShownBytes(r.path) + " has no place on this machine's disk";
        return false;
    }
    std::string error;
    switch (PutBackShortcut(files, r.path, *host, folder, name, &error)) {
        case PutBackResult::Written:
        case PutBackResult::SameAlready: break;
        case PutBackResult::InTheWay:
            why = ShownBytes(r.path) +
                  " was not put back: another file is there now, and a restore never replaces one";
            return false;
        case PutBackResult::Failed:
            why = ShownBytes(r.path) + " was not put back: " + error;
            return false;
    }
    files.ForgetCache();
    if (old) oldCopies.push_back((fs::path(folder) / name).string());
    return true;
}

// A menu entry or an icon the repair removed from the user's folders: put
// back byte for byte where it was, never over a file that is there now.
bool Restorer::Put(const HostFileRecord& r, std::string& why) {
    if (const auto refusal = PutBackHostFile(HostFileRecordKind(r.kind), r.path,
                                             ShortcutCopiesFolder(backupFilePath), r.copyName)) {
        why = ShownBytes(r.path) + " was not put back: " + *refusal;
        return false;
    }
    return true;
}

void Restorer::Record(const NumberedRecord& numbered) {
    std::string why = numbered.decoded.why;
    const bool ok =
        numbered.decoded.record &&
        std::visit([&](const auto& r) { return Put(r, why); }, *numbered.decoded.record);
    if (ok)
        ++report.restored;
    else
        report.failures.push_back("line " + std::to_string(numbered.lineNumber) + ": " + why);
}

}  // namespace

std::optional<std::string> MachineMismatch(FileSystemApi& files,
                                           const std::string& backupFilePath) {
    const auto recorded = RecordedMachine(backupFilePath);
    if (!recorded) return std::nullopt;  // taken before backups recorded it
    const std::string here = MachineIdentity(files);
    if (*recorded == here) return std::nullopt;
    return "the backup was taken from " + *recorded + ", not from " + here +
           "; restore it there, or use --force to put it into " + here;
}

bool OnOwnDrive(FileSystemApi& files, std::string_view windowsPath) {
    if (!files.PrefixFolder()) return true;  // the live machine: every drive is its own
    if (windowsPath.size() < 2 || windowsPath[1] != ':') return false;
    if (!files.HostPath(std::string(windowsPath.substr(0, 2)) + "\\"))
        return false;  // no such drive
    return files.OwnerOfDrive(windowsPath[0]).machineOwn;
}

std::optional<std::string> UntrustedBackupRefusal(const std::string& backupFilePath) {
    const fs::path file(backupFilePath);
    const std::string folder =
        file.has_parent_path() ? file.parent_path().string() : std::string(".");
    if (auto refusal = SharedFolderRefusal(folder)) return refusal;
    if (auto refusal = ForeignBackupFileRefusal(backupFilePath)) return refusal;
    return SharedFolderRefusal(ShortcutCopiesFolder(backupFilePath));
}

std::vector<std::string> RecordsOutsideMachine(FileSystemApi& files,
                                               const std::string& backupFilePath) {
    std::vector<std::string> outside;
    const auto records = ReadBackupRecords(backupFilePath);
    if (!records) return outside;
    for (const auto& numbered : *records) {
        const auto& record = numbered.decoded.record;
        const auto* shortcut = record ? std::get_if<ShortcutRecord>(&*record) : nullptr;
        if (shortcut && !OnOwnDrive(files, shortcut->path)) outside.push_back(shortcut->path);
    }
    return outside;
}

RestoreReport RestoreBackupFile(RegistryApi& registry, FileSystemApi& files,
                                SettingsStore& settings, const std::string& backupFilePath,
                                const RestoreOptions& options) {
    Restorer restorer{registry, files, backupFilePath, BackupFolder(settings),
                      {},       {},    options.force};
    if (const auto refusal = UntrustedBackupRefusal(backupFilePath)) {
        restorer.report.failures.push_back("nothing was restored: " + *refusal);
        return restorer.report;
    }
    const auto records = ReadBackupRecords(backupFilePath);
    if (!records) {
        restorer.report.failures.push_back(backupFilePath + " cannot be read");
        return restorer.report;
    }
    if (!options.force) {
        if (auto mismatch = MachineMismatch(files, backupFilePath)) {
            restorer.report.failures.push_back("nothing was restored: " + *mismatch);
            return restorer.report;
        }
    }
    if (const auto refusal = registry.WriteRefusal()) {
        restorer.report.failures.push_back(*refusal);
        return restorer.report;
    }
    registry.BeginBatch();
    for (auto it = records->rbegin(); it != records->rend(); ++it) restorer.Record(*it);
    std::string saveError;
    if (!registry.EndBatch(&saveError)) restorer.report.failures.push_back(saveError);
    if (restorer.report.ok()) {
        std::error_code ec;
        for (const auto& copy : restorer.oldCopies) fs::remove(copy, ec);
    }
    return restorer.report;
}

}  // namespace vostrel
