#include "menus/menu_entries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "menus/desktop_entry.h"

namespace vostrel::menus {

namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool ReadSmallFileAt(int dirFd, const std::string& name, std::string* text, std::string* why) {
    return ReadDesktopFileAt(dirFd, name, /*followLink=*/false, text, why);
}

// The absolute folders of a colon-separated XDG list; `fallback` when it
// names none.
std::vector<std::string> AbsoluteFolders(const std::string& list,
                                         const std::vector<std::string>& fallback) {
    std::vector<std::string> folders;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string folder = list.substr(start, end - start);
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        if (!folder.empty() && folder.front() == '/' &&
            std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
        start = end + 1;
    }
    return folders.empty() ? fallback : folders;
}

std::optional<WineMenuEntry> EntryFromText(const std::string& path, MenuEntryPlace place,
                                           const std::string& text, std::string* why) {
    const DesktopEntryParse parse = ParseDesktopEntry(text);
    if (!parse.file) {
        *why = parse.error;
        return std::nullopt;
    }
    const DesktopEntryFile& file = *parse.file;
    if (!file.Group(kDesktopEntryGroup)) {
        *why = "no [Desktop Entry] group";
        return std::nullopt;
    }
    if (const auto type = file.String(kDesktopEntryGroup, "Type"); type && *type != "Application") {
        *why = "not an application entry";
        return std::nullopt;
    }
    const auto exec = file.String(kDesktopEntryGroup, "Exec");
    if (!exec) {
        *why = "no Exec key";
        return std::nullopt;
    }
    const auto words = SplitExec(*exec);
    if (!words) {
        *why = "an Exec key that does not split into words";
        return std::nullopt;
    }
    auto launch = ReadWineLaunch(*words);
    if (!launch) {
        *why = "does not start Wine";
        return std::nullopt;
    }
    WineMenuEntry entry;
    entry.path = path;
    entry.place = place;
    entry.name = file.String(kDesktopEntryGroup, "Name").value_or(std::string());
    entry.icon = file.String(kDesktopEntryGroup, "Icon").value_or(std::string());
    entry.exec = *exec;
    entry.launch = std::move(*launch);
    return entry;
}

struct Walk {
    MenuEntryFind* found;
    std::size_t files = 0;
};

// Names in a folder, sorted; "." and ".." left out.
std::vector<std::string> ListFolder(int dirFd) {
    std::vector<std::string> names;
    const int copy = ::dup(dirFd);
    if (copy < 0) return names;
    DIR* dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

void ConsiderFile(Walk& walk, int dirFd, const std::string& folder, const std::string& name,
                  MenuEntryPlace place) {
    if (++walk.files > kMaxMenuFiles) return;
    const std::string path = folder + "/" + name;
    std::string text, why;
    if (!ReadSmallFileAt(dirFd, name, &text, &why)) {
        if (place != MenuEntryPlace::Desktop) walk.found->skipped.push_back({path, why});
        return;
    }
    auto entry = EntryFromText(path, place, text, &why);
    if (!entry) {
        if (place != MenuEntryPlace::Desktop) walk.found->skipped.push_back({path, why});
        return;
    }
    // On the desktop only the entries that start Wine in a named prefix
    // count: anything else there is the user's own.
    if (place == MenuEntryPlace::Desktop && !entry->launch.winePrefix) return;
    walk.found->entries.push_back(std::move(*entry));
}

void WalkMenuFolder(Walk& walk, int dirFd, const std::string& folder, int depth) {
    for (const std::string& name : ListFolder(dirFd)) {
        if (walk.files > kMaxMenuFiles) return;
        struct stat st {};
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (depth >= kMaxMenuDepth) {
                walk.found->skipped.push_back({folder + "/" + name, "folders nested too deep"});
                continue;
            }
            const Fd sub(
                ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (sub.Get() >= 0) WalkMenuFolder(walk, sub.Get(), folder + "/" + name, depth + 1);
        } else if (EndsWith(name, ".desktop")) {
            if (S_ISLNK(st.st_mode)) {
                walk.found->skipped.push_back(
                    {folder + "/" + name, "a symbolic link, not followed"});
                continue;
            }
            ConsiderFile(walk, dirFd, folder, name, MenuEntryPlace::StartMenu);
        }
    }
}

// The files directly in `folder` whose names fit.
void ScanFlatFolder(Walk& walk, const std::string& folder, const std::string& head,
                    MenuEntryPlace place) {
    const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() < 0) return;
    for (const std::string& name : ListFolder(dir.Get())) {
        if (name.compare(0, head.size(), head) != 0 || !EndsWith(name, ".desktop")) continue;
        if (name.size() <= head.size() + std::strlen(".desktop") && !head.empty()) continue;
        ConsiderFile(walk, dir.Get(), folder, name, place);
    }
}

}  // namespace

std::optional<std::string> DesktopDirFromUserDirs(const std::string& text,
                                                  const std::string& home) {
    std::optional<std::string> result;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        line = line.substr(start);
        const std::string key = "XDG_DESKTOP_DIR=";
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string value = line.substr(key.size());
        while (!value.empty() &&
               (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
            value.pop_back();
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
        value = value.substr(1, value.size() - 2);
        // Backslashes escape the next character inside the quotes.
        std::string unescaped;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) ++i;
            unescaped += value[i];
        }
        if (unescaped.compare(0, 6, "$HOME/") == 0)
            result = home + unescaped.substr(5);
        else if (unescaped == "$HOME")
            result = home;
        else if (!unescaped.empty() && unescaped.front() == '/')
            result = unescaped;
        // anything else is not a form the file may use; the last valid line wins
    }
    return result;
}

bool ReadDesktopFileAt(int dirFd, const std::string& name, bool followLink, std::string* text,
                       std::string* why) {
    const Fd fd(
        ::openat(dirFd, name.c_str(),
                 O_RDONLY | (followLink ? 0 : O_NOFOLLOW) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0) {
        *why = errno == ELOOP ? "a symbolic link, not followed"
                              : std::string("cannot be opened: ") + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        *why = "not a regular file";
        return false;
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxDesktopEntrySize) {
        *why = "larger than " + std::to_string(kMaxDesktopEntrySize) + " bytes";
        return false;
    }
    text->clear();
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *why = std::string("cannot be read: ") + std::strerror(errno);
            return false;
        }
        if (n == 0) break;
        text->append(buffer, static_cast<std::size_t>(n));
        if (text->size() > kMaxDesktopEntrySize) {  // it grew while being read
            *why = "larger than " + std::to_string(kMaxDesktopEntrySize) + " bytes";
            return false;
        }
    }
    return true;
}

MenuPlaces MenuPlaces::ForHome(const std::string& home) {
    MenuPlaces places;
    places.home = home;
    places.dataHome = home + "/.local/share";
    places.desktopDir = home + "/Desktop";
    places.configHome = home + "/.config";
    return places;
}

std::optional<MenuPlaces> MenuPlaces::FromEnvironment() {
    const std::string home = Env("HOME");
    if (home.empty() || home.front() != '/') return std::nullopt;
    MenuPlaces places = ForHome(home);
    // Relative values are invalid and ignored, as the XDG rules say.
    if (const std::string data = Env("XDG_DATA_HOME"); !data.empty() && data.front() == '/')
        places.dataHome = data;
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/') config = home + "/.config";
    places.configHome = config;
    places.systemDataDirs =
        AbsoluteFolders(Env("XDG_DATA_DIRS"), {"/usr/local/share", "/usr/share"});
    places.systemConfigDirs = AbsoluteFolders(Env("XDG_CONFIG_DIRS"), {"/etc/xdg"});
    const Fd dir(::open(config.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::string text, why;
    if (dir.Get() >= 0 && ReadSmallFileAt(dir.Get(), "user-dirs.dirs", &text, &why))
        if (auto desktop = DesktopDirFromUserDirs(text, home)) places.desktopDir = *desktop;
    return places;
}

std::optional<WineMenuEntry> ReadWineMenuEntry(const std::string& path, MenuEntryPlace place,
                                               std::string* why) {
    std::string text, reason;
    if (!ReadSmallFileAt(AT_FDCWD, path, &text, &reason)) {
        if (why) *why = reason;
        return std::nullopt;
    }
    auto entry = EntryFromText(path, place, text, &reason);
    if (!entry && why) *why = reason;
    return entry;
}

MenuEntryFind FindWineMenuEntries(const MenuPlaces& places) {
    MenuEntryFind found;
    Walk walk{&found};
    const std::string wineMenu = places.ApplicationsDir() + "/wine";
    if (const Fd dir(::open(wineMenu.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dir.Get() >= 0)
        WalkMenuFolder(walk, dir.Get(), wineMenu, 0);
    ScanFlatFolder(walk, places.ApplicationsDir(), "wine-extension-", MenuEntryPlace::Association);
    // The desktop folder may be the home folder itself (XDG_DESKTOP_DIR="$HOME").
    ScanFlatFolder(walk, places.desktopDir, "", MenuEntryPlace::Desktop);
    std::sort(found.entries.begin(), found.entries.end(),
              [](const WineMenuEntry& a, const WineMenuEntry& b) { return a.path < b.path; });
    return found;
}

}  // namespace vostrel::menus
