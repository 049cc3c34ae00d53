#include "results/backup_manager.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>

#include "results/backup_codec.h"
#include "results/backup_record.h"
#include "system/atomic_file.h"
#include "system/durable_file.h"
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

std::string PrefixText(const BackupRow& row) {
    return row.prefixUnknown || row.machine.empty() ? std::string(kPrefixUnknown) : row.machine;
}

std::string ListTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[32];
    if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) == 0) return {};
    return text;
}

bool MarkBackupRestored(const std::string& backupFilePath, const std::string& when) {
    const std::string folder = ShortcutCopiesFolder(backupFilePath);
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(folder, ec))) {
        bool exists = false;
        if (!CreatePrivateFolder(folder, &exists) && !exists) return false;
    }
    const fs::path mark = fs::path(folder) / kBackupRestoredFileName;
    // A link put in its place is not followed.
    if (fs::is_symlink(fs::symlink_status(mark, ec))) return false;
    return WriteFileAtomically(mark.string(), when + "\n");
}

std::string RestoredMark(const std::string& backupFilePath) {
    std::string text;
    if (!ReadSmallTextFile(
            (fs::path(ShortcutCopiesFolder(backupFilePath)) / kBackupRestoredFileName).string(),
            256, &text, nullptr))
        return {};
    return TrimCopy(text.substr(0, text.find('\n')));
}

namespace {

std::string RecordText(const BackupRecord& record) {
    struct Texts {
        std::string operator()(const RegistryRecord& r) const {
            return "value " + r.rootName + "\\" + r.keyPath + " " + r.valueName +
                   (r.missingPath.empty() ? "" : " (" + r.missingPath + ")");
        }
        std::string operator()(const KeyRecord& r) const {
            const std::size_t n = r.values.size();
            return "key " + r.rootName + "\\" + r.keyPath + " with " + std::to_string(n) +
                   (n == 1 ? " value" : " values") +
                   (r.missingPath.empty() ? "" : " (" + r.missingPath + ")");
        }
        std::string operator()(const ShortcutRecord& r) const { return "shortcut " + r.path; }
        std::string operator()(const HostFileRecord& r) const {
            return (r.kind == HostFileKind::Icon ? "icon " : "menu entry ") + ShownBytes(r.path);
        }
    };
    return std::visit(Texts{}, record);
}

}  // namespace

std::optional<std::vector<std::string>> BackupContents(const std::string& backupFilePath) {
    const auto records = ReadBackupRecords(backupFilePath);
    if (!records) return std::nullopt;
    std::vector<std::string> lines;
    for (const NumberedRecord& numbered : *records)
        lines.push_back(numbered.decoded.record ? RecordText(*numbered.decoded.record)
                                                : "line " + std::to_string(numbered.lineNumber) +
                                                      " cannot be read: " + numbered.decoded.why);
    return lines;
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
            // dd/mm/yy reads as the year first; hh:mm:ss loses its seconds.
            const std::string& d = row.date;
            const auto digits = [&d](std::size_t at) {
                return std::isdigit(static_cast<unsigned char>(d[at])) &&
                       std::isdigit(static_cast<unsigned char>(d[at + 1]));
            };
            if (d.size() == 8 && d[2] == '/' && d[5] == '/' && digits(0) && digits(3) && digits(6))
                row.date = "20" + d.substr(6, 2) + "-" + d.substr(3, 2) + "-" + d.substr(0, 2);
            std::string& t = row.time;
            if (t.size() >= 8 && t[2] == ':' && t[5] == ':' &&
                std::isdigit(static_cast<unsigned char>(t[6])) &&
                std::isdigit(static_cast<unsigned char>(t[7])))
                t = t.substr(0, 5) + t.substr(8);
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
        rows.back().machine = recorded.value_or("");
        rows.back().restored = RestoredMark((fs::path(folder) / name).string());
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
        result.markedRestored = result.report.ok() && MarkBackupRestored(path, ListTimeNow());
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
