#include "results/backup_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "results/backup_codec.h"
#include "system/text.h"

namespace vostrel {

std::string BackupFolder(SettingsStore& settings) {
    std::string folder = settings.Get(kBackupFolderKey, "");
    if (Trim(folder).empty()) return ProgramFolder();
    return folder;
}

bool BackupsEnabled(SettingsStore& settings) {
    const std::string value = TrimCopy(settings.Get(kMakeBackupKey, "1"));
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0') return true;  // not a number: keep the safe default
    return number != 0;
}

std::string BackupFileName(const std::tm& when) {
    char name[64];
    std::snprintf(name, sizeof name, "BackUp %02d-%02d-%02d %02d-%02d-%02d", when.tm_mday,
                  when.tm_mon + 1, when.tm_year % 100, when.tm_hour, when.tm_min, when.tm_sec);
    return name;
}

std::string ShortcutCopiesFolder(const std::string& backupFilePath) {
    return backupFilePath + " files";
}

bool DeleteBackupFile(const std::string& backupFilePath) {
    std::error_code ec;
    std::filesystem::remove_all(ShortcutCopiesFolder(backupFilePath), ec);
    if (ec) return false;
    return std::filesystem::remove(backupFilePath, ec) && !ec;
}

}  // namespace vostrel
