#include "menus/menu_icons.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>

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

std::vector<std::string> IconsSafeToRemove(const std::vector<WineMenuEntry>& removing,
                                           const std::vector<WineMenuEntry>& all,
                                           const MenuPlaces& places) {
    std::set<std::string> goingPaths;
    for (const WineMenuEntry& entry : removing) goingPaths.insert(entry.path);
    std::set<std::string> keptKeys, keptFiles;
    for (const WineMenuEntry& entry : all) {
        if (goingPaths.count(entry.path) || entry.icon.empty()) continue;
        keptKeys.insert(IconKey(entry));
        for (const std::string& file : IconFilesOf(entry, places)) keptFiles.insert(file);
    }
    std::set<std::string> result;
    for (const WineMenuEntry& entry : removing) {
        if (entry.icon.empty() || keptKeys.count(IconKey(entry))) continue;
        // Only the builder's own icons: by the name it gives them.
        std::string name = entry.icon;
        if (name.front() == '/') {
            name = std::filesystem::path(name).stem().string();
        }
        if (!IsMenuBuilderIconName(name)) continue;
        for (const std::string& file : IconFilesOf(entry, places))
            if (!keptFiles.count(file)) result.insert(file);
    }
    return {result.begin(), result.end()};
}

}  // namespace vostrel::menus
