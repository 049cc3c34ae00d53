// Writing a repair run's backup: its records, the shortcut copies that go
// with them, and the machine it was taken from.
#include <filesystem>
#include <fstream>

#include "results/backup_codec.h"
#include "results/backup_file.h"
#include "results/backup_record.h"
#include "system/atomic_file.h"
#include "system/durable_file.h"
#include "system/registry.h"
#include "system/text.h"

namespace vostrel {

namespace {

namespace fs = std::filesystem;

bool Fail(std::string* error, std::string what) {
    if (error) *error = std::move(what);
    return false;
}

// The value as it is now; nothing when it cannot be told (the repair must
// not delete what it could not save).
std::optional<SavedValue> SaveValue(RegistryApi& registry, HKEY root, std::string_view keyPath,
                                    std::string_view valueName) {
    SavedValue saved;
    ScopedKey key(registry);
    const LONG open = registry.OpenKeyEx(root, keyPath, KEY_READ, key.out());
    if (open == ERROR_FILE_NOT_FOUND || open == ERROR_PATH_NOT_FOUND) return saved;
    if (open != ERROR_SUCCESS) return std::nullopt;
    const LONG query = registry.QueryValueRaw(key.get(), valueName, &saved.kind, &saved.data);
    if (query == ERROR_FILE_NOT_FOUND) return SavedValue{};
    if (query != ERROR_SUCCESS) return std::nullopt;
    saved.present = true;
    return saved;
}

std::optional<RegistryRecord> RegistryRecordOf(RegistryApi& registry,
                                               const RegistryProblem& problem, std::string* error) {
    RegistryRecord record{problem.rootName,
                          problem.keyPath,
                          problem.testedPath,
                          problem.valueName,
                          problem.systemFolder,
                          {},
                          {}};
    const std::string& keyPath = problem.keyPath;
    const std::string& name = problem.valueName;
    const HKEY root = problem.root;
    const bool isDefault = name == kDefaultValueName;
    record.value =
        SaveValue(registry, root, keyPath, isDefault ? std::string_view() : std::string_view(name));
    if (!record.value) {
        Fail(error, "the value " + name + " of " + problem.rootName + "\\" + keyPath +
                        " could not be read");
        return std::nullopt;
    }
    if (isDefault) {
        record.literalDefault = SaveValue(registry, root, keyPath, kDefaultValueName);
        if (!record.literalDefault) {
            Fail(error, "the value (Default) of " + problem.rootName + "\\" + keyPath +
                            " could not be read");
            return std::nullopt;
        }
    }
    return record;
}

// A name for the copy that no other copy of this backup has.
std::string CopyName(const std::string& folder, const std::string& fileName) {
    std::error_code ec;
    for (int n = 1;; ++n) {
        std::string name = std::to_string(n) + " " + fileName;
        if (!fs::exists(fs::path(folder) / name, ec) &&
            !fs::is_symlink(fs::path(folder) / name, ec))
            return name;
    }
}

std::optional<ShortcutRecord> ShortcutRecordOf(FileSystemApi& files, const std::string& folder,
                                               const ShortcutProblem& problem, std::string* error) {
    const std::string& path = problem.path;
    const auto host = files.HostPath(path);
    if (!host) {
        Fail(error, path + " has no place on this machine's disk");
        return std::nullopt;
    }
    // A host name that is not UTF-8 has no exact Windows path (Wine shows
    // such bytes as U+FFFD): a record of it could not put back the same
    // file, so the shortcut is not backed up, and stays where it is.
    if (!ValidUtf8(path) || !ValidUtf8(*host)) {
        Fail(error, "the file name " + ShownBytes(*host) +
                        " is not UTF-8, so the backup cannot name it exactly; it is left in place");
        return std::nullopt;
    }
    const std::size_t slash = path.rfind('\\');
    const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!IsPlainFileName(fileName)) {
        Fail(error, "\"" + fileName + "\" is not a file name that a copy can take");
        return std::nullopt;
    }
    const std::string name = CopyName(folder, fileName);
    if (!CopyIntoFolderExclusively(*host, folder, name, error)) return std::nullopt;
    return ShortcutRecord{path, name};
}

}  // namespace

std::unique_ptr<BackupWriter> BackupWriter::Create(const std::string& folder, const std::tm& start,
                                                   const std::string& machine, std::string* error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (const auto refusal = SharedFolderRefusal(folder)) {
        Fail(error, *refusal);
        return nullptr;
    }
    const std::string base = (fs::path(folder) / BackupFileName(start)).string();
    for (int n = 1; n <= 100; ++n) {
        std::unique_ptr<BackupWriter> writer(new BackupWriter);
        writer->folder_ = folder;
        writer->path_ = n == 1 ? base : base + " (" + std::to_string(n) + ")";
        writer->copies_ = ShortcutCopiesFolder(writer->path_);
        bool exists = false;
        writer->file_ = CreateAppendOnlyFile(writer->path_, &exists, error);
        if (!writer->file_) {
            if (exists) continue;  // taken by an earlier run, or planted: never opened
            return nullptr;
        }
        if (!CreatePrivateFolder(writer->copies_, &exists, error)) {
            writer->file_.reset();
            fs::remove(writer->path_, ec);
            if (exists) continue;
            return nullptr;
        }
        bool created = false;
        auto machineFile =
            CreateAppendOnlyFile((fs::path(writer->copies_) / kBackupMachineFileName).string(),
                                 &created, error);
        if (!machineFile || !machineFile->Append(machine + "\n", error) ||
            !machineFile->Sync(error)) {
            writer->file_.reset();
            fs::remove_all(writer->copies_, ec);
            fs::remove(writer->path_, ec);
            return nullptr;
        }
        writer->copiesAdded_ = true;
        return writer;
    }
    Fail(error, "every name for a backup of this second is taken in " + folder);
    return nullptr;
}

BackupWriter::~BackupWriter() = default;

bool BackupWriter::Add(ScanSession& session, const RegistryProblem& problem, std::string* error) {
    const auto record = RegistryRecordOf(session.registry, problem, error);
    return record && AppendRecord(*record, error);
}

bool BackupWriter::Add(ScanSession& session, const ShortcutProblem& problem, std::string* error) {
    const auto record = ShortcutRecordOf(session.files, copies_, problem, error);
    if (!record) return false;
    copiesAdded_ = true;
    return AppendRecord(*record, error);
}

bool BackupWriter::AddKey(const RegistryProblem& registration, const StoredKey& key,
                          std::string* error) {
    return AppendRecord(KeyRecord{registration.rootName, registration.keyPath,
                                  registration.testedPath, key.values},
                        error);
}

bool BackupWriter::AppendRecord(const BackupRecord& record, std::string* error) {
    std::string line = EncodeBackupRecord(record);
    line += kBackupLineEnd;
    return file_->Append(line, error);
}

bool BackupWriter::Commit(std::string* error) {
    if (!file_->Sync(error)) return false;
    if (copiesAdded_) {
        if (!SyncFolder(copies_, error)) return false;
        copiesAdded_ = false;
    }
    if (!entriesSynced_) {
        if (!SyncFolder(folder_, error)) return false;
        entriesSynced_ = true;
    }
    return true;
}

std::string MachineIdentityOf(const std::string& prefixFolder) {
    if (prefixFolder.empty()) return "this computer";
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(fs::absolute(prefixFolder, ec), ec);
    return ec ? prefixFolder : resolved.string();
}

std::string MachineIdentity(FileSystemApi& files) {
    return MachineIdentityOf(files.PrefixFolder().value_or(""));
}

std::optional<std::string> RecordedMachine(const std::string& backupFilePath) {
    std::string text;
    if (!ReadSmallTextFile(
            (fs::path(ShortcutCopiesFolder(backupFilePath)) / kBackupMachineFileName).string(),
            std::size_t{64} * 1024, &text, nullptr))
        return std::nullopt;
    std::string line = text.substr(0, text.find('\n'));
    if (line.empty()) return std::nullopt;
    return line;
}

}  // namespace vostrel
