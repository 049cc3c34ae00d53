// Backing up, removing and putting back files of the user's own folders:
// the menu entries Wine made and the icons they show. They live on the
// host, outside any prefix, so a restore writes them only where such files
// belong.
#include <cstdlib>
#include <filesystem>

#include "results/backup_file.h"
#include "system/durable_file.h"

namespace vostrel {

namespace {

namespace fs = std::filesystem;

bool Fail(std::string* error, std::string what) {
    if (error) *error = std::move(what);
    return false;
}

// An absolute path without "." or ".." parts or doubled separators.
bool PlainAbsolute(const std::string& path) {
    const fs::path p(path);
    return p.is_absolute() && p.has_filename() && p.lexically_normal() == p;
}

bool Inside(const std::string& path, const std::string& folder) {
    if (folder.empty() || !fs::path(folder).is_absolute()) return false;
    const std::string base = fs::path(folder).lexically_normal().string();
    const std::string prefix = base.back() == '/' ? base : base + "/";
    return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0;
}

std::string EnvironmentFolder(const char* name) {
    const char* value = std::getenv(name);
    return value && *value == '/' ? std::string(value) : std::string();
}

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::optional<std::string> HostRecordRefusal(std::string_view kind, const std::string& path) {
    if (!PlainAbsolute(path)) return path + " is not a plain absolute path";
    const std::string home = UserHomeFolder().value_or("");
    std::string data = EnvironmentFolder("XDG_DATA_HOME");
    if (data.empty() && !home.empty()) data = home + "/.local/share";
    if (kind == kMenuEntryRecord) {
        if (!EndsWith(path, ".desktop")) return path + " is not a menu entry (.desktop) file";
        if (!Inside(path, home) && !Inside(path, data))
            return path + " lies outside the user's home and data folders";
        return std::nullopt;
    }
    if (kind == kMenuIconRecord) {
        if (data.empty() || !Inside(path, data + "/icons"))
            return path + " lies outside the user's icons folder";
        return std::nullopt;
    }
    return "unknown record kind \"" + std::string(kind) + "\"";
}

HostFileState HostFileStateOf(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (status.type() == fs::file_type::not_found) return HostFileState::Gone;
    return status.type() == fs::file_type::regular ? HostFileState::Regular : HostFileState::Other;
}

bool RemoveHostFile(const std::string& path, std::string* why) {
    switch (HostFileStateOf(path)) {
        case HostFileState::Gone: return Fail(why, "it is gone already");
        case HostFileState::Other: return Fail(why, "it is no longer a plain file");
        case HostFileState::Regular: break;
    }
    std::error_code ec;
    if (!fs::remove(path, ec) || ec)
        return Fail(why, "it could not be deleted: " + (ec ? ec.message() : std::string("gone")));
    return true;
}

bool BackupWriter::AddHostFile(std::string_view kind, const std::string& hostPath,
                               std::string* error) {
    if (HostFileStateOf(hostPath) != HostFileState::Regular)
        return Fail(error, hostPath + " is not a plain file");
    const std::string fileName = fs::path(hostPath).filename().string();
    if (!IsPlainFileName(fileName))
        return Fail(error, "\"" + fileName + "\" is not a file name that a copy can take");
    std::string name;
    std::error_code ec;
    for (int n = 1;; ++n) {
        name = std::to_string(n) + " " + fileName;
        const fs::path candidate = fs::path(copies_) / name;
        if (!fs::exists(candidate, ec) && !fs::is_symlink(candidate, ec)) break;
    }
    if (!CopyIntoFolderExclusively(hostPath, copies_, name, error)) return false;
    copiesAdded_ = true;
    return AppendRecord({std::string(kind), hostPath, name}, error);
}

}  // namespace vostrel
