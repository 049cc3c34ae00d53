// Writing one backup record, and the shortcut copy that goes with it.
#include <filesystem>

#include "results/backup_codec.h"
#include "results/backup_file.h"
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

void AppendSaved(std::vector<std::string>& fields, const SavedValue& saved) {
    fields.push_back(saved.present ? std::to_string(saved.kind) : "-");
    fields.push_back(saved.present ? HexBytes(saved.data) : "");
}

std::optional<std::vector<std::string>> RegistryFields(RegistryApi& registry, const ListRow& row,
                                                       std::string* error) {
    auto sub = [&row](std::size_t k) { return k <= row.subItems.size() ? row.subItems[k - 1] : std::string(); };
    std::vector<std::string> fields{"R", sub(5), sub(4), sub(2), sub(1), sub(6)};
    const HKEY root = static_cast<HKEY>(ToInt32(RegValue(row.text)));
    const bool isDefault = sub(1) == kDefaultValueName;
    const auto value = SaveValue(registry, root, sub(4), isDefault ? std::string_view() : sub(1));
    if (!value) {
        Fail(error, "the value " + sub(1) + " of " + sub(5) + "\\" + sub(4) + " could not be read");
        return std::nullopt;
    }
    AppendSaved(fields, *value);
    if (isDefault) {
        const auto literal = SaveValue(registry, root, sub(4), kDefaultValueName);
        if (!literal) {
            Fail(error, "the value (Default) of " + sub(5) + "\\" + sub(4) + " could not be read");
            return std::nullopt;
        }
        AppendSaved(fields, *literal);
    }
    return fields;
}

// A name for the copy that no other copy of this backup has.
std::string CopyName(const std::string& folder, const std::string& fileName) {
    std::error_code ec;
    for (int n = 1;; ++n) {
        std::string name = std::to_string(n) + " " + fileName;
        if (!fs::exists(fs::path(folder) / name, ec)) return name;
    }
}

std::optional<std::vector<std::string>> ShortcutFields(FileSystemApi& files, const std::string& backupFilePath,
                                                       const ListRow& row, std::string* error) {
    const auto host = files.HostPath(row.text);
    if (!host) {
        Fail(error, row.text + " has no place on this machine's disk");
        return std::nullopt;
    }
    const std::string folder = ShortcutCopiesFolder(backupFilePath);
    std::error_code ec;
    fs::create_directories(folder, ec);
    const std::size_t slash = row.text.rfind('\\');
    const std::string name = CopyName(folder, slash == std::string::npos ? row.text : row.text.substr(slash + 1));
    std::string copyError;
    if (!CopyDurably(*host, (fs::path(folder) / name).string(), &copyError)) {
        Fail(error, copyError);
        return std::nullopt;
    }
    return std::vector<std::string>{"S", row.text, name};
}

}  // namespace

bool WriteBackupRecord(MainForm& form, std::string_view kind, const std::string& backupFilePath,
                       const ListRow& row, std::string* error) {
    if (!BackupsEnabled(form.settings)) return Fail(error, "backups are turned off");
    const bool registry = UpperAscii(Trim(kind)) == "R";
    const auto fields = registry ? RegistryFields(form.registry, row, error)
                                 : ShortcutFields(form.files, backupFilePath, row, error);
    if (!fields) return false;
    std::string line = FormatBackupLine(*fields);
    line += kBackupLineEnd;
    return AppendDurably(backupFilePath, line, error);
}

}  // namespace vostrel
