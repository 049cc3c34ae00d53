#include "system/settings.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "system/atomic_file.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr std::string_view kSectionHeader = "[Settings]";

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/tmp";
}

std::string XdgFolder(const char* variable, const char* fallbackBelowHome) {
    const char* value = std::getenv(variable);
    if (value && *value == '/') return value;
    return HomeFolder() + "/" + fallbackBelowHome;
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
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        *cache_ = Cache{};
        cache_->valid = true;
        return true;
    }
    if (cache_->valid && cache_->size == st.st_size && cache_->inode == st.st_ino &&
        cache_->mtime.tv_sec == st.st_mtim.tv_sec && cache_->mtime.tv_nsec == st.st_mtim.tv_nsec)
        return true;
    std::string contents;
    if (!ReadWholeFile(path_, contents)) return false;
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
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
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
    if (!WriteFileAtomically(path_, contents)) return false;
    cache_->valid = false;
    return true;
}

std::string DefaultSettingsPath() {
    return XdgFolder("XDG_CONFIG_HOME", ".config") + "/vostrel/" + std::string(kAppName) + ".ini";
}

std::string ProgramFolder() {
    const std::string folder = XdgFolder("XDG_DATA_HOME", ".local/share") + "/vostrel";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

std::unique_ptr<SettingsStore> OpenDefaultSettings() {
    return std::make_unique<IniSettingsStore>(DefaultSettingsPath());
}

}  // namespace vostrel
