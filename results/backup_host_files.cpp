// Backing up, removing and putting back files of the user's own folders:
// the menu entries Wine made and the icons they show. They live on the
// host, outside any prefix, so each kind is read, removed and written only
// in the folders Wine's menu builder puts that kind in, and only beneath
// them: no "..", and no link followed on the way (system/posix/beneath.h).
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "results/backup_codec.h"
#include "results/backup_file.h"
#include "results/backup_record.h"
#include "system/durable_file.h"
#include "system/settings.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include "system/posix/beneath.h"
#endif

namespace vostrel {

namespace {

namespace fs = std::filesystem;

bool Fail(std::string* error, std::string what) {
    if (error) *error = std::move(what);
    return false;
}

std::string EnvironmentFolder(const char* name) {
    const char* value = std::getenv(name);
    return value && *value == '/' ? std::string(value) : std::string();
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool StartsWith(std::string_view text, std::string_view start) {
    return text.compare(0, start.size(), start) == 0;
}

std::vector<std::string_view> Parts(std::string_view relative) {
    std::vector<std::string_view> parts;
    while (!relative.empty()) {
        const std::size_t slash = relative.find('/');
        parts.push_back(relative.substr(0, slash));
        if (slash == std::string_view::npos) break;
        relative.remove_prefix(slash + 1);
    }
    return parts;
}

// XDG_DESKTOP_DIR of a user-dirs.dirs text, as the menu scan reads it:
// "$HOME/…", "$HOME" or an absolute path in double quotes; the last valid
// line counts.
std::optional<std::string> DesktopFolderOf(const std::string& text, const std::string& home) {
    std::optional<std::string> result;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos) continue;
        line.erase(0, start);
        constexpr std::string_view kKey = "XDG_DESKTOP_DIR=";
        if (!StartsWith(line, kKey)) continue;
        std::string value = line.substr(kKey.size());
        while (!value.empty() &&
               (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
            value.pop_back();
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
        std::string unescaped;
        for (std::size_t i = 1; i + 1 < value.size(); ++i) {
            if (value[i] == '\\' && i + 2 < value.size()) ++i;
            unescaped += value[i];
        }
        if (StartsWith(unescaped, "$HOME/"))
            result = home + unescaped.substr(5);
        else if (unescaped == "$HOME")
            result = home;
        else if (!unescaped.empty() && unescaped.front() == '/')
            result = unescaped;
    }
    return result;
}

// The first 64 KiB of a plain file of a folder; empty when it is not one
// (a link, a FIFO or a device is never opened, nor waited on).
std::string ReadSmallFile(const std::string& folder, const std::string& name) {
#ifndef _WIN32
    const beneath::UniqueFd fd = beneath::OpenRegularBeneath(folder, name, nullptr);
    std::string text;
    char buffer[4096];
    while (fd.Valid() && text.size() < 65536) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
#else
    (void)folder, (void)name;
    return {};
#endif
}

// The user's folders Wine's menu entries and icons live in.
struct MenuFolders {
    std::string data;     // $XDG_DATA_HOME, else ~/.local/share
    std::string desktop;  // XDG_DESKTOP_DIR, else ~/Desktop
};

MenuFolders CurrentMenuFolders() {
#ifndef _WIN32
    const std::string home = UserHomeFolder().value_or("");
#else
    const std::string home = EnvironmentFolder("HOME");
#endif
    MenuFolders folders;
    folders.data = EnvironmentFolder("XDG_DATA_HOME");
    if (folders.data.empty() && !home.empty()) folders.data = home + "/.local/share";
    if (home.empty()) {
        if (!folders.data.empty())
            folders.data = fs::path(folders.data).lexically_normal().string();
        return folders;
    }
    folders.desktop = home + "/Desktop";
    std::string config = EnvironmentFolder("XDG_CONFIG_HOME");
    if (config.empty()) config = home + "/.config";
    if (auto desktop = DesktopFolderOf(ReadSmallFile(config, "user-dirs.dirs"), home))
        folders.desktop = *desktop;
    // Compared and opened in one spelling: "a/../b" is never opened as it is.
    for (std::string* folder : {&folders.data, &folders.desktop})
        if (!folder->empty()) *folder = fs::path(*folder).lexically_normal().string();
    return folders;
}

// A name as the menu builder gives its icons: "<4 hex digits>_<name>.<index>".
bool IsBuilderIconName(std::string_view name) {
    const auto hex = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    };
    if (name.size() < 8 || name[4] != '_') return false;
    for (std::size_t i = 0; i < 4; ++i)
        if (!hex(name[i])) return false;
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos || dot <= 5 || dot + 1 >= name.size()) return false;
    std::size_t i = dot + 1;
    if (name[i] == '-') ++i;
    if (i >= name.size()) return false;
    for (; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

// An icon file of a builder-named icon: <name>.png, .svg, .svgz or .xpm.
bool IsBuilderIconFile(std::string_view file) {
    for (std::string_view extension : {".png", ".svg", ".svgz", ".xpm"})
        if (EndsWith(file, extension))
            return IsBuilderIconName(file.substr(0, file.size() - extension.size()));
    return false;
}

constexpr std::string_view kMenuEntryPlaces =
    "a menu entry goes back only into applications/wine, as a wine-extension-*.desktop file "
    "of applications, or onto the desktop folder";
constexpr std::string_view kIconPlaces =
    "an icon goes back only as a menu builder's icon file in the icons folder, or in a "
    "<theme>/<size>/<context> folder of it";

}  // namespace

std::optional<HostFilePlace> PlaceOfHostFile(std::string_view kind, const std::string& path,
                                             std::string* why) {
    const MenuFolders folders = CurrentMenuFolders();
    const auto below = [&](const std::string& root) -> std::optional<std::string> {
        if (root.empty()) return std::nullopt;
        const std::string base = fs::path(root).lexically_normal().string();
        if (path.size() <= base.size() || path.compare(0, base.size(), base) != 0)
            return std::nullopt;
        std::string relative = path.substr(base.size());
        if (base.back() != '/') {
            if (relative.front() != '/') return std::nullopt;
            relative.erase(0, 1);
        }
        for (std::string_view part : Parts(relative))
            if (part.empty() || part == "." || part == "..") return std::nullopt;
        return relative.empty() ? std::nullopt : std::optional<std::string>(relative);
    };
    const fs::path asPath(path);
    if (!asPath.is_absolute() || asPath.lexically_normal() != asPath) {
        Fail(why, ShownBytes(path) + " is not a plain absolute path");
        return std::nullopt;
    }
    if (kind == kMenuEntryRecord) {
        if (!EndsWith(path, ".desktop")) {
            Fail(why, ShownBytes(path) + " is not a menu entry (.desktop) file");
            return std::nullopt;
        }
        if (const auto relative = below(folders.data)) {
            const auto parts = Parts(*relative);
            if (parts.size() >= 3 && parts[0] == "applications" && parts[1] == "wine")
                return HostFilePlace{folders.data, *relative};
            if (parts.size() == 2 && parts[0] == "applications" &&
                StartsWith(parts[1], "wine-extension-") &&
                parts[1].size() > std::string_view("wine-extension-.desktop").size())
                return HostFilePlace{folders.data, *relative};
        }
        if (const auto relative = below(folders.desktop); relative && Parts(*relative).size() == 1)
            return HostFilePlace{folders.desktop, *relative};
        Fail(why, ShownBytes(path) + " lies outside the user's home folders for menu entries: " +
                      std::string(kMenuEntryPlaces));
        return std::nullopt;
    }
    if (kind == kMenuIconRecord) {
        if (const auto relative = below(folders.data)) {
            const auto parts = Parts(*relative);
            if (!parts.empty() && parts[0] == "icons" && (parts.size() == 2 || parts.size() == 5) &&
                IsBuilderIconFile(parts.back()))
                return HostFilePlace{folders.data, *relative};
        }
        Fail(why, ShownBytes(path) +
                      " lies outside the user's icons folder: " + std::string(kIconPlaces));
        return std::nullopt;
    }
    Fail(why, "unknown record kind \"" + ShownBytes(kind) + "\"");
    return std::nullopt;
}

std::optional<std::string> HostRecordRefusal(std::string_view kind, const std::string& path) {
    std::string why;
    if (PlaceOfHostFile(kind, path, &why)) return std::nullopt;
    return why;
}

#ifndef _WIN32

namespace {

// The place of a file the repair found: a menu entry's or an icon's.
std::optional<HostFilePlace> PlaceOfEither(const std::string& path) {
    if (auto place = PlaceOfHostFile(kMenuEntryRecord, path, nullptr)) return place;
    return PlaceOfHostFile(kMenuIconRecord, path, nullptr);
}

}  // namespace

HostFileState HostFileStateOf(const std::string& path) {
    const auto place = PlaceOfEither(path);
    if (!place) return HostFileState::Other;
    switch (beneath::StateBeneath(place->root, place->relative)) {
        case beneath::LeafState::Regular: return HostFileState::Regular;
        case beneath::LeafState::Gone: return HostFileState::Gone;
        case beneath::LeafState::Other: break;
    }
    return HostFileState::Other;
}

bool RemoveHostFile(const std::string& path, std::string* why) {
    const auto place = PlaceOfEither(path);
    if (!place) return Fail(why, "it is not where Wine's menu entries and icons live");
    return beneath::RemoveRegularBeneath(place->root, place->relative, why);
}

bool BackupWriter::AddHostFile(std::string_view kind, const std::string& hostPath,
                               std::string* error) {
    std::string why;
    const auto recordKind = HostFileKindOf(kind);
    if (!recordKind) return Fail(error, "\"" + std::string(kind) + "\" is not a kind of host file");
    const auto place = PlaceOfHostFile(kind, hostPath, &why);
    if (!place) return Fail(error, why);
    const beneath::UniqueFd source =
        beneath::OpenRegularBeneath(place->root, place->relative, &why);
    if (!source.Valid()) return Fail(error, ShownBytes(hostPath) + ": " + why);
    struct stat st {};
    if (::fstat(source.Get(), &st) != 0)
        return Fail(error, ShownBytes(hostPath) + " cannot be read");
    const std::string fileName = fs::path(hostPath).filename().string();
    for (int n = 1;; ++n) {
        const std::string name = std::to_string(n) + " " + fileName;
        // The copy keeps the file's permissions (the folder is the owner's
        // alone), so that a restore gives them back.
        switch (beneath::WriteNewBeneath(copies_, name, source.Get(), (st.st_mode & 0777) | S_IRUSR,
                                         &why, beneath::RootLink::Refuse)) {
            case beneath::WriteResult::Written:
                copiesAdded_ = true;
                return AppendRecord(HostFileRecord{*recordKind, hostPath, name}, error);
            case beneath::WriteResult::SameAlready:
            case beneath::WriteResult::InTheWay: continue;  // a name another copy took
            case beneath::WriteResult::Failed:
                return Fail(error, "the copy of " + ShownBytes(hostPath) + " was not made: " + why);
        }
    }
}

std::optional<std::string> PutBackHostFile(std::string_view kind, const std::string& path,
                                           const std::string& copiesFolder,
                                           const std::string& copyName) {
    std::string why;
    const auto place = PlaceOfHostFile(kind, path, &why);
    if (!place) return why;
    if (!beneath::PlainRelative(copyName) || copyName.find('/') != std::string::npos)
        return "the copy is named \"" + ShownBytes(copyName) +
               "\", which is not a file of the backup's folder";
    const beneath::UniqueFd copy =
        beneath::OpenRegularBeneath(copiesFolder, copyName, &why, beneath::RootLink::Refuse);
    if (!copy.Valid()) return "the saved copy " + ShownBytes(copyName) + " cannot be read: " + why;
    struct stat st {};
    if (::fstat(copy.Get(), &st) != 0) return "the saved copy cannot be read";
    switch (beneath::WriteNewBeneath(place->root, place->relative, copy.Get(), st.st_mode & 0777,
                                     &why)) {
        case beneath::WriteResult::Written:
        case beneath::WriteResult::SameAlready: return std::nullopt;
        case beneath::WriteResult::InTheWay:
            return "another file is there now, and a restore never replaces one";
        case beneath::WriteResult::Failed: break;
    }
    return why;
}

#else  // Wine's menu entries are files of a Linux host: none on Windows.

HostFileState HostFileStateOf(const std::string&) { return HostFileState::Other; }

bool RemoveHostFile(const std::string&, std::string* why) {
    return Fail(why, "menu entries are Wine's, on Linux");
}

bool BackupWriter::AddHostFile(std::string_view, const std::string&, std::string* error) {
    return Fail(error, "menu entries are Wine's, on Linux");
}

std::optional<std::string> PutBackHostFile(std::string_view, const std::string&, const std::string&,
                                           const std::string&) {
    return "menu entries are Wine's, on Linux";
}

#endif

}  // namespace vostrel
