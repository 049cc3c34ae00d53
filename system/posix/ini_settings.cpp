#include "system/settings.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "system/atomic_file.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr std::string_view kSectionHeader = "[Settings]";

std::string XdgFolder(const char* variable, const char* fallbackBelowHome) {
    const char* value = std::getenv(variable);
    if (value && *value == '/') return value;
    const auto home = UserHomeFolder();
    if (!home) return {};
    return *home + "/" + fallbackBelowHome;
}

struct Entry {
    std::string key;
    std::string value;
};

// Stored values live on one line each: line breaks become blanks.
std::string OneLine(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

}  // namespace

std::optional<std::string> UserHomeFolder(std::string* error) {
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home);
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    for (;;) {
        struct passwd entry {};
        struct passwd* found = nullptr;
        const int status = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (status == ERANGE && buffer.size() < (std::size_t{1} << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status == 0 && found && found->pw_dir && found->pw_dir[0] == '/')
            return std::string(found->pw_dir);
        break;
    }
    if (error)
        *error =
            "the home folder is unknown: HOME is not set and the password database names "
            "none for user " +
            std::to_string(::getuid()) + "; set HOME to your home folder";
    return std::nullopt;
}

struct IniSettingsStore::Cache {
    bool valid = false;
    struct timespec mtime {};
    off_t size = -1;
    ino_t inode = 0;
    std::string head;  // lines before our section, kept as they are
    std::vector<Entry> entries;
    std::string tail;  // other sections after ours
};

IniSettingsStore::IniSettingsStore(std::string path)
    : path_(std::move(path)), cache_(std::make_shared<Cache>()) {}

bool IniSettingsStore::Refresh() {
    if (path_.empty()) {
        UserHomeFolder(&lastError_);
        lastError_ = "The settings are neither read nor stored: " + lastError_ + ".";
        return false;
    }
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        lastError_.clear();
        *cache_ = Cache{};
        cache_->valid = true;
        return true;
    }
    if (cache_->valid && cache_->size == st.st_size && cache_->inode == st.st_ino &&
        cache_->mtime.tv_sec == st.st_mtim.tv_sec && cache_->mtime.tv_nsec == st.st_mtim.tv_nsec)
        return true;
    std::string contents;
    if (!ReadSmallTextFile(path_, kSmallTextFileCap, &contents, &lastError_)) {
        lastError_ = "The settings file " + lastError_ + ".";
        return false;
    }
    lastError_.clear();
    Cache fresh;
    enum { Before, Inside, After } where = Before;
    std::size_t pos = 0;
    while (pos < contents.size()) {
        std::size_t end = contents.find('\n', pos);
        if (end == std::string::npos) end = contents.size();
        std::string_view line(contents.data() + pos, end - pos);
        const std::string_view rawLine(contents.data() + pos,
                                       std::min(end + 1, contents.size()) - pos);
        pos = end + 1;
        // A line break written as CRLF (or CR CR LF by an editor that added
        // one more): the value ends before them, so that it reads the same
        // once saved again.
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string_view trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const bool ours = EqualsNoCase(trimmed, kSectionHeader);
            if (ours && where == Before) {
                where = Inside;
                continue;
            }
            if (where == Inside) where = After;
        }
        if (where == Before) {
            fresh.head.append(rawLine);
        } else if (where == After) {
            fresh.tail.append(rawLine);
        } else {
            const auto eq = line.find('=');
            if (eq == std::string_view::npos) continue;
            fresh.entries.push_back(
                {std::string(line.substr(0, eq)), std::string(line.substr(eq + 1))});
        }
    }
    fresh.valid = true;
    fresh.mtime = st.st_mtim;
    fresh.size = st.st_size;
    fresh.inode = st.st_ino;
    *cache_ = std::move(fresh);
    return true;
}

std::string IniSettingsStore::Get(std::string_view key, std::string_view fallback) {
    if (!Refresh()) return std::string(fallback);
    for (const Entry& entry : cache_->entries)
        if (EqualsNoCase(entry.key, key)) return entry.value;
    return std::string(fallback);
}

bool IniSettingsStore::Save(std::string_view key, std::string_view value) {
    if (!Refresh()) return false;
    Cache next = *cache_;
    bool replaced = false;
    for (Entry& entry : next.entries)
        if (EqualsNoCase(entry.key, key)) {
            entry.value = OneLine(value);
            replaced = true;
            break;
        }
    if (!replaced) next.entries.push_back({OneLine(key), OneLine(value)});

    std::string contents = next.head;
    if (!contents.empty() && contents.back() != '\n') contents.push_back('\n');
    contents.append(kSectionHeader).append("\n");
    for (const Entry& entry : next.entries)
        contents.append(entry.key).append("=").append(entry.value).append("\n");
    contents += next.tail;

    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
    std::string why;
    if (!WriteFileAtomically(path_, contents, &why)) {
        lastError_ = "The settings file " + path_ + " was not written: " + why + ".";
        return false;
    }
    cache_->valid = false;
    return true;
}

std::string DefaultSettingsPath() {
    const std::string config = XdgFolder("XDG_CONFIG_HOME", ".config");
    if (config.empty()) return {};
    return config + "/vostrel/" + std::string(kAppName) + ".ini";
}

std::string ProgramFolder() {
    const std::string data = XdgFolder("XDG_DATA_HOME", ".local/share");
    if (data.empty()) return {};
    std::string folder = data + "/vostrel";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

std::unique_ptr<SettingsStore> OpenDefaultSettings() {
    return std::make_unique<IniSettingsStore>(DefaultSettingsPath());
}

}  // namespace vostrel
