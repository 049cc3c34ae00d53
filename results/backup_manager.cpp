#include "results/backup_manager.h"

#include <algorithm>
#include <filesystem>

#include "system/text.h"

namespace vostrel {

namespace {

namespace fs = std::filesystem;

std::string Replace(std::string text, char from, char to) {
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

// Characters from 1-based `start`, `length` of them (to the end when npos).
std::string Mid(const std::string& text, std::size_t start,
                std::size_t length = std::string::npos) {
    if (start < 1 || start > text.size()) return {};
    return text.substr(start - 1, length);
}

std::string PathOf(SettingsStore& settings, const std::string& name) {
    return (fs::path(BackupFolder(settings)) / name).string();
}

bool IsPlainFile(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_regular_file(ec) && !entry.path().filename().string().starts_with(".");
}

}  // namespace

ListControl MakeBackupList() {
    return ListControl("backups", {"Name", "Date", "Time", "Size ( Bytes )", "Prefix"});
}

bool IsBackupFileName(const std::string& name) {
    return UpperAscii(Trim(name)).find("BACKUP") != std::string::npos;
}

std::string GetBackupFileSize(const std::string& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? std::string() : std::to_string(size);
}

void AddBackupRow(ListControl& backups, const std::string& fileName, const std::string& folder) {
    const std::size_t p = UpperAscii(Trim(fileName)).find("BACKUP") + 1;
    const std::size_t b = Find(fileName, " ", p + 7);
    const std::size_t row = backups.Add(fileName);
    if (b > p + 6) {
        backups.SetSubItem(row, 1, TrimCopy(Replace(Mid(fileName, p + 6, b - p - 6), '-', '/')));
        backups.SetSubItem(row, 2, TrimCopy(Replace(Mid(fileName, b), '-', ':')));
    }
    backups.SetSubItem(row, 3, GetBackupFileSize((fs::path(folder) / fileName).string()));
}

void FillBackupList(ListControl& backups, SettingsStore& settings, const std::string& machine) {
    const std::string folder = BackupFolder(settings);
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (IsPlainFile(entry)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return LowerAscii(a) < LowerAscii(b);
    });
    for (const auto& name : names) {
        if (!IsBackupFileName(name)) continue;
        const auto recorded = RecordedMachine((fs::path(folder) / name).string());
        if (recorded && *recorded != machine) continue;  // another prefix's
        AddBackupRow(backups, name, folder);
        if (!recorded && backups.columnCount() > 4)
            backups.SetSubItem(backups.Count(), 4, std::string(kPrefixUnknown));
    }
}

std::vector<BackupRestoreResult> RestoreCheckedBackups(ListControl& backups, RegistryApi& registry,
                                                       FileSystemApi& files,
                                                       SettingsStore& settings,
                                                       ScanObserver& observer) {
    std::vector<BackupRestoreResult> results;
    for (std::size_t i = 1; i <= backups.Count();) {
        if (!backups.Checked(i)) {
            ++i;
            continue;
        }
        const std::string path = PathOf(settings, backups.Text(i));
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) {
            ++i;
            continue;
        }
        BackupRestoreResult result{backups.Text(i),
                                   RestoreBackupFile(registry, files, settings, path), false};
        if (result.report.ok() && DeleteBackupFile(path)) {
            result.deleted = true;
            backups.Remove(i);
        } else {
            ++i;
        }
        results.push_back(std::move(result));
        observer.ProcessPendingEvents();
    }
    return results;
}

std::vector<std::string> DeleteCheckedBackups(ListControl& backups, SettingsStore& settings,
                                              ScanObserver& observer) {
    std::vector<std::string> deleted;
    for (std::size_t i = 1; i <= backups.Count();) {
        bool removed = false;
        if (backups.Checked(i)) {
            const Answer answer = observer.Confirm(Question::DeleteBackup);
            const std::string path = PathOf(settings, backups.Text(i));
            std::error_code ec;
            if (answer == Answer::Yes && fs::is_regular_file(path, ec) && DeleteBackupFile(path)) {
                deleted.push_back(backups.Text(i));
                backups.Remove(i);
                removed = true;
            }
        }
        if (!removed) ++i;
        observer.ProcessPendingEvents();
    }
    return deleted;
}

}  // namespace vostrel
