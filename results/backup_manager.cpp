#include "results/backup_manager.h"

#include <algorithm>
#include <filesystem>

#include "results/backup_record.h"
#include "system/text.h"

namespace vostrel {

namespace {

namespace fs = std::filesystem;

std::string Replace(std::string_view text, char from, char to) {
    std::string out(text);
    std::replace(out.begin(), out.end(), from, to);
    return out;
}

std::string PathOf(SettingsStore& settings, const std::string& name) {
    return (fs::path(BackupFolder(settings)) / name).string();
}

bool IsPlainFile(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_regular_file(ec) && !entry.path().filename().string().starts_with(".");
}

constexpr std::string_view kBackupWord = "BACKUP";

}  // namespace

std::string SizeText(const BackupRow& row) {
    return row.size ? std::to_string(*row.size) : std::string();
}

std::string_view PrefixText(const BackupRow& row) {
    return row.prefixUnknown ? kPrefixUnknown : std::string_view();
}

bool IsBackupFileName(const std::string& name) {
    return UpperAscii(Trim(name)).find(kBackupWord) != std::string::npos;
}

std::string GetBackupFileSize(const std::string& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? std::string() : std::to_string(size);
}

// "BackUp dd-mm-yy hh-mm-ss": the date is what lies between the word and
// the first space at least one character after it, the time the rest.
BackupRow BackupRowOf(const std::string& fileName, const std::string& folder) {
    BackupRow row;
    row.name = fileName;
    const std::string_view name(fileName);
    const std::size_t word = UpperAscii(name).find(kBackupWord);
    if (word != std::string::npos) {
        const std::size_t dateStart = word + kBackupWord.size();
        const std::size_t space = name.find(' ', dateStart + 1);
        if (space != std::string_view::npos) {
            row.date = TrimCopy(Replace(name.substr(dateStart, space - dateStart), '-', '/'));
            row.time = TrimCopy(Replace(name.substr(space), '-', ':'));
        }
    }
    std::error_code ec;
    const auto size = fs::file_size(fs::path(folder) / fileName, ec);
    if (!ec) row.size = size;
    return row;
}

std::vector<BackupRow> ListBackups(SettingsStore& settings, const std::string& machine) {
    const std::string folder = BackupFolder(settings);
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (IsPlainFile(entry)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return LowerAscii(a) < LowerAscii(b);
    });
    std::vector<BackupRow> rows;
    for (const auto& name : names) {
        if (!IsBackupFileName(name)) continue;
        const auto recorded = RecordedMachine((fs::path(folder) / name).string());
        if (recorded && *recorded != machine) continue;  // another prefix's
        rows.push_back(BackupRowOf(name, folder));
        rows.back().prefixUnknown = !recorded;
    }
    return rows;
}

std::vector<BackupRestoreResult> RestoreBackups(const std::vector<std::string>& names,
                                                RegistryApi& registry, FileSystemApi& files,
                                                SettingsStore& settings) {
    std::vector<BackupRestoreResult> results;
    for (const auto& name : names) {
        const std::string path = PathOf(settings, name);
        std::error_code ec;
        if (!IsPlainFileName(name) || !fs::is_regular_file(path, ec)) continue;
        BackupRestoreResult result{name, RestoreBackupFile(registry, files, settings, path), false};
        result.deleted = result.report.ok() && DeleteBackupFile(path);
        results.push_back(std::move(result));
    }
    return results;
}

std::vector<std::string> DeleteBackups(const std::vector<std::string>& names,
                                       SettingsStore& settings, ScanObserver& observer) {
    std::vector<std::string> deleted;
    for (const auto& name : names) {
        const Answer answer = observer.Confirm(Question::DeleteBackup);
        const std::string path = PathOf(settings, name);
        std::error_code ec;
        if (answer == Answer::Yes && IsPlainFileName(name) && fs::is_regular_file(path, ec) &&
            DeleteBackupFile(path))
            deleted.push_back(name);
    }
    return deleted;
}

std::size_t BackupRecordCount(const std::string& backupFilePath) {
    const auto records = ReadBackupRecords(backupFilePath);
    return records ? records->size() : 0;
}

}  // namespace vostrel
