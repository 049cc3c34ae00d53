#include "system/posix/host_disk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace vostrel {

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return path.substr(0, slash);
}

// True when a disk is mounted on the folder: it lies on another device
// than its parent.
bool IsMountPoint(const std::string& folder) {
    struct stat own {
    }, parent{};
    if (::stat(folder.c_str(), &own) != 0 || ::stat(ParentOf(folder).c_str(), &parent) != 0)
        return false;
    return own.st_dev != parent.st_dev;
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// How many folders `folder` lies below `root`; -1 when it is not below it.
int LevelsBelow(const std::string& folder, const std::string& root) {
    if (folder == root) return 0;
    if (folder.size() <= root.size() || folder.compare(0, root.size(), root) != 0 ||
        folder[root.size()] != '/')
        return -1;
    int levels = 0;
    for (std::size_t i = root.size(); i < folder.size(); ++i)
        if (folder[i] == '/' && i + 1 < folder.size()) ++levels;
    return levels;
}

// True when the system's table of file systems names `folder` as a mount
// point (the second field of a line; "\040" stands for a blank).
bool ListedMountPoint(const std::string& folder, const std::string& fstab) {
    std::ifstream in(fstab);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (!(fields >> device >> mountPoint) || device.empty() || device[0] == '#') continue;
        for (std::size_t at; (at = mountPoint.find("\\040")) != std::string::npos;)
            mountPoint.replace(at, 4, " ");
        if (WithoutTrailingSlashes(mountPoint) == folder) return true;
    }
    return false;
}

}  // namespace

const MountRoots& DefaultMountRoots() {
    static const MountRoots roots;
    return roots;
}

bool IsEmptyHostFolder(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return false;
    bool empty = true;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        empty = false;
        break;
    }
    ::closedir(dir);
    return empty;
}

std::string NearestExisting(const std::string& hostPath) {
    std::string existing = WithoutTrailingSlashes(hostPath);
    if (existing.empty() || existing.front() != '/') return "/";
    while (existing != "/" && !Exists(existing)) existing = ParentOf(existing);
    return existing;
}

bool OnAbsentDisk(const std::string& hostPath, std::string* why, const MountRoots& roots) {
    const std::string path = WithoutTrailingSlashes(hostPath);
    if (path.empty() || path.front() != '/' || Exists(path)) return false;
    const std::string existing = NearestExisting(path);
    // Under /media, /run/media or /mnt a missing folder where disks are
    // mounted is a disk that is unplugged: the root itself, or a folder right
    // below it that is not a mounted disk ("/media/ann", an empty "/mnt/games").
    for (const std::string& root : roots.roots) {
        const int levels = LevelsBelow(existing, WithoutTrailingSlashes(root));
        if (levels < 0 || levels > 1) continue;
        if (levels == 1 && IsMountPoint(existing)) continue;
        if (levels == 1 && root == "/mnt" && !IsEmptyHostFolder(existing)) continue;
        if (why) *why = "no disk is mounted below " + existing;
        return true;
    }
    // Anywhere else only an empty folder the system mounts a disk on: an
    // empty folder an uninstaller left behind is no disk.
    if (IsEmptyHostFolder(existing) && !IsMountPoint(existing) &&
        ListedMountPoint(existing, roots.fstab)) {
        if (why) *why = "its disk is not mounted on " + existing;
        return true;
    }
    return false;
}

}  // namespace vostrel
