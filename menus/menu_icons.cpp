#include "menus/menu_icons.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string_view>

#include "menus/desktop_entry.h"

namespace vostrel::menus {

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Sub-folders (not links) of a folder, sorted.
std::vector<std::string> SubFolders(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::lstat((folder + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The Icon= values of a desktop entry's text, in every group and locale, as
// a launcher may read them (a file that is not quite a desktop entry may
// still be shown, so its lines are read one by one).
void AddIconValues(std::string_view text, std::set<std::string>& names) {
    static const char* const kExtensions[] = {".png", ".svg", ".svgz", ".xpm"};
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.substr(0, 4) != "Icon") continue;
        line.remove_prefix(4);
        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            line.remove_prefix(close + 1);
        }
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line.front() != '=') continue;
        line.remove_prefix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (line.empty()) continue;
        const std::string value = UnescapeDesktopString(line);
        names.insert(value);
        if (value.front() == '/') {
            names.insert(std::filesystem::path(value).lexically_normal().string());
            names.insert(std::filesystem::path(value).stem().string());
            continue;
        }
        for (const char* extension : kExtensions) {
            const std::string_view ext(extension);
            if (value.size() > ext.size() &&
                value.compare(value.size() - ext.size(), ext.size(), ext) == 0)
                names.insert(value.substr(0, value.size() - ext.size()));
        }
    }
}

// Walks `folder` (and, when `deep`, its sub-folders, never through a link
// to a folder) for *.desktop files, adding the icons each names.
void AddLaunchersBelow(const std::string& folder, bool deep, const std::set<std::string>& skip,
                       std::set<std::string>& names, std::size_t& budget, int depth = 0) {
    if (depth > kMaxMenuDepth || budget == 0) return;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    std::vector<std::string> files, folders;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (deep) folders.push_back(path);
        } else if (name.size() > 8 && name.compare(name.size() - 8, 8, ".desktop") == 0) {
            files.push_back(path);
        }
    }
    ::closedir(dir);
    for (const std::string& path : files) {
        if (budget == 0) return;
        --budget;
        if (skip.count(path)) continue;
        // A launcher may be a link into a package's own folder: it is read
        // where it leads, but never when it is not a regular file.
        std::string text, why;
        if (ReadDesktopFileAt(AT_FDCWD, path, /*followLink=*/true, &text, &why))
            AddIconValues(text, names);
    }
    for (const std::string& sub : folders)
        AddLaunchersBelow(sub, deep, skip, names, budget, depth + 1);
}

// The icon key an entry uses, as compared between entries: the bare name,
// or the absolute path.
std::string IconKey(const WineMenuEntry& entry) { return entry.icon; }

}  // namespace

bool IsMenuBuilderIconName(const std::string& name) {
    if (name.size() < 8 || name[4] != '_') return false;
    for (int i = 0; i < 4; ++i)
        if (!IsHexDigit(name[static_cast<std::size_t>(i)])) return false;
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot <= 5 || dot + 1 >= name.size()) return false;
    std::size_t i = dot + 1;
    if (name[i] == '-') ++i;
    if (i >= name.size()) return false;
    for (; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return name.find('/') == std::string::npos;
}

std::vector<std::string> IconFilesOf(const WineMenuEntry& entry, const MenuPlaces& places) {
    std::vector<std::string> files;
    const std::string& icon = entry.icon;
    const std::string iconsDir = places.IconsDir();
    if (icon.empty()) return files;
    if (icon.front() == '/') {
        const std::string normal = std::filesystem::path(icon).lexically_normal().string();
        if (normal.compare(0, iconsDir.size() + 1, iconsDir + "/") == 0 && IsRegularFile(normal))
            files.push_back(normal);
        return files;
    }
    if (icon.find('/') != std::string::npos || icon == "." || icon == "..") return files;
    static const char* const kExtensions[] = {".png", ".svg", ".svgz", ".xpm"};
    for (const char* extension : kExtensions) {
        const std::string flat = iconsDir + "/" + icon + extension;  // the old flat folder
        if (IsRegularFile(flat)) files.push_back(flat);
    }
    for (const std::string& theme : SubFolders(iconsDir))
        for (const std::string& size : SubFolders(iconsDir + "/" + theme))
            for (const std::string& context : SubFolders(iconsDir + "/" + theme + "/" + size))
                for (const char* extension : kExtensions) {
                    const std::string path = iconsDir + "/" + theme + "/" + size + "/" + context +
                                             "/" + icon + extension;
                    if (IsRegularFile(path)) files.push_back(path);
                }
    return files;
}

std::set<std::string> IconsNamedByLaunchers(const MenuPlaces& places,
                                            const std::set<std::string>& removing) {
    std::set<std::string> names;
    std::size_t budget = kMaxMenuFiles * 4;
    AddLaunchersBelow(places.ApplicationsDir(), true, removing, names, budget);
    AddLaunchersBelow(places.desktopDir, false, removing, names, budget);
    if (!places.configHome.empty())
        AddLaunchersBelow(places.configHome + "/autostart", false, removing, names, budget);
    for (const std::string& data : places.systemDataDirs)
        AddLaunchersBelow(data + "/applications", true, removing, names, budget);
    for (const std::string& config : places.systemConfigDirs)
        AddLaunchersBelow(config + "/autostart", false, removing, names, budget);
    return names;
}

std::vector<std::string> IconsSafeToRemove(const std::vector<WineMenuEntry>& removing,
                                           const std::vector<WineMenuEntry>& all,
                                           const MenuPlaces& places) {
    if (removing.empty()) return {};
    std::set<std::string> goingPaths;
    for (const WineMenuEntry& entry : removing) goingPaths.insert(entry.path);
    std::set<std::string> keptKeys, keptFiles;
    for (const WineMenuEntry& entry : all) {
        if (goingPaths.count(entry.path) || entry.icon.empty()) continue;
        keptKeys.insert(IconKey(entry));
        for (const std::string& file : IconFilesOf(entry, places)) keptFiles.insert(file);
    }
    // The user's own launchers and the system's: a name or a file one of
    // them shows stays, whichever way it is spelt.
    for (const std::string& name : IconsNamedByLaunchers(places, goingPaths)) {
        keptKeys.insert(name);
        if (name.front() == '/') keptFiles.insert(name);
    }
    std::set<std::string> result;
    for (const WineMenuEntry& entry : removing) {
        if (entry.icon.empty() || keptKeys.count(IconKey(entry))) continue;
        // Only the builder's own icons: by the name it gives them.
        std::string name = entry.icon;
        if (name.front() == '/') {
            name = std::filesystem::path(name).stem().string();
        }
        if (keptKeys.count(name)) continue;
        if (!IsMenuBuilderIconName(name)) continue;
        for (const std::string& file : IconFilesOf(entry, places))
            if (!keptFiles.count(file)) result.insert(file);
    }
    return {result.begin(), result.end()};
}

}  // namespace vostrel::menus
