#include "menus/prefix_disk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <filesystem>
#include <optional>

namespace vostrel::menus {

namespace {

// More than this many links on the way is a loop, as the system counts.
constexpr int kMaxLinks = 40;
// A mount table larger than this is not read; the device test still holds.
constexpr std::size_t kMaxMountInfoSize = 4 << 20;

std::vector<std::string> Names(const std::string& path) {
    std::vector<std::string> names;
    std::string name;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            if (!name.empty() && name != ".") names.push_back(name);
            name.clear();
        } else {
            name += path[i];
        }
    }
    return names;
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string Parent(const std::string& path) {
    const auto slash = path.rfind('/');
    return (slash == std::string::npos || slash == 0) ? "/" : path.substr(0, slash);
}

std::string Normalised(const std::string& path) {
    std::string text = std::filesystem::path(path).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

// How many names `path` has below `root`; nothing when it is not at or below it.
std::optional<std::size_t> DepthBelow(const std::string& path, const std::string& root) {
    const auto rootNames = Names(root);
    const auto names = Names(path);
    if (names.size() < rootNames.size() ||
        !std::equal(rootNames.begin(), rootNames.end(), names.begin()))
        return std::nullopt;
    return names.size() - rootNames.size();
}

// The walk from / to the prefix folder, links followed: the deepest folder
// that exists (a real path, no links in it) and the path the prefix would
// have below it.
struct Deepest {
    std::string existing;
    std::string intended;
};

enum class WalkEnd { Missing, Complete, Unreadable };

WalkEnd WalkDown(const std::string& path, Deepest* deepest) {
    const auto names = Names(path);
    std::deque<std::string> rest(names.begin(), names.end());
    std::string current = "/";
    int links = 0;
    while (!rest.empty()) {
        const std::string name = rest.front();
        if (name == "..") {
            current = Parent(current);
            rest.pop_front();
            continue;
        }
        const std::string next = Join(current, name);
        struct stat st {};
        if (::lstat(next.c_str(), &st) != 0) {
            if (errno != ENOENT) return WalkEnd::Unreadable;
            std::string intended = current;
            for (const auto& part : rest) intended = Join(intended, part);
            deepest->existing = current;
            deepest->intended = Normalised(intended);
            return WalkEnd::Missing;
        }
        rest.pop_front();
        if (S_ISLNK(st.st_mode)) {
            if (++links > kMaxLinks) return WalkEnd::Unreadable;
            std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1,
                               '\0');
            const ssize_t n = ::readlink(next.c_str(), target.data(), target.size());
            if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return WalkEnd::Unreadable;
            target.resize(static_cast<std::size_t>(n));
            const auto parts = Names(target);
            rest.insert(rest.begin(), parts.begin(), parts.end());
            if (target.front() == '/') current = "/";
            continue;
        }
        // Only the last name may be something other than a folder.
        if (!S_ISDIR(st.st_mode) && !rest.empty()) return WalkEnd::Unreadable;
        current = next;
    }
    return WalkEnd::Complete;
}

// Whether a folder has anything in it; nothing when it cannot be listed.
std::optional<bool> IsEmptyFolder(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return std::nullopt;
    bool empty = true;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            empty = false;
            break;
        }
    }
    const bool failed = empty && errno != 0;
    ::closedir(dir);
    if (failed) return std::nullopt;
    return empty;
}

std::string ReadMountInfo(const std::string& path) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return text;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kMaxMountInfoSize) {
            text.clear();
            break;
        }
    }
    ::close(fd);
    return text;
}

bool IsMountPoint(const std::string& folder, const MountPlaces& mounts) {
    struct stat here {
    }, above{};
    if (::stat(folder.c_str(), &here) == 0 && ::stat(Parent(folder).c_str(), &above) == 0 &&
        here.st_dev != above.st_dev)
        return true;
    const auto points = MountPointsOf(ReadMountInfo(mounts.mountInfo));
    return std::find(points.begin(), points.end(), folder) != points.end();
}

// True when `intended` lies below one of the media roots and the deepest
// folder there is the root itself, a folder above it, or one of the disks'
// own folders right below it.
bool MissingBelowMediaRoot(const Deepest& deepest, const MountPlaces& mounts) {
    for (const auto& root : mounts.mediaRoots) {
        std::vector<std::string> forms{Normalised(root.path)};
        // The root may itself be a link (/media to /run/media).
        std::error_code error;
        const auto real = std::filesystem::canonical(root.path, error);
        if (!error && real.string() != forms.front()) forms.push_back(real.string());
        for (const auto& form : forms) {
            if (!DepthBelow(deepest.intended, form)) continue;
            if (DepthBelow(form, deepest.existing)) return true;  // the root itself is missing
            const auto depth = DepthBelow(deepest.existing, form);
            if (depth && *depth <= static_cast<std::size_t>(std::max(root.depth, 0))) return true;
        }
    }
    return false;
}

}  // namespace

MountPlaces MountPlaces::Host() {
    MountPlaces mounts;
    mounts.mediaRoots = {{"/media", 1}, {"/run/media", 2}, {"/mnt", 1}};
    mounts.mountInfo = "/proc/self/mountinfo";
    return mounts;
}

std::vector<std::string> MountPointsOf(const std::string& mountInfoText) {
    std::vector<std::string> points;
    std::size_t pos = 0;
    while (pos < mountInfoText.size()) {
        std::size_t end = mountInfoText.find('\n', pos);
        if (end == std::string::npos) end = mountInfoText.size();
        const std::string line = mountInfoText.substr(pos, end - pos);
        pos = end + 1;
        // mount ID, parent ID, major:minor, root, mount point, ...
        std::size_t field = 0, start = 0;
        std::string point;
        for (std::size_t i = 0; i <= line.size(); ++i) {
            if (i < line.size() && line[i] != ' ') continue;
            if (i > start) {
                if (field == 4) {
                    point = line.substr(start, i - start);
                    break;
                }
                ++field;
            }
            start = i + 1;
        }
        if (point.empty() || point.front() != '/') continue;
        std::string unescaped;
        for (std::size_t i = 0; i < point.size(); ++i) {
            if (point[i] == '\\' && i + 3 < point.size() && point[i + 1] >= '0' &&
                point[i + 1] <= '3' && point[i + 2] >= '0' && point[i + 2] <= '7' &&
                point[i + 3] >= '0' && point[i + 3] <= '7') {
                unescaped += static_cast<char>((point[i + 1] - '0') * 64 +
                                               (point[i + 2] - '0') * 8 + (point[i + 3] - '0'));
                i += 3;
            } else {
                unescaped += point[i];
            }
        }
        points.push_back(Normalised(unescaped));
    }
    return points;
}

PrefixFolderState PrefixFolderStateOf(const std::string& prefix, const MountPlaces& mounts) {
    if (prefix.empty() || prefix.front() != '/') return PrefixFolderState::Unknown;
    struct stat st {};
    if (::lstat(prefix.c_str(), &st) == 0) return PrefixFolderState::Present;
    if (errno != ENOENT) return PrefixFolderState::Unknown;
    Deepest deepest;
    switch (WalkDown(prefix, &deepest)) {
        case WalkEnd::Missing: break;
        case WalkEnd::Complete: return PrefixFolderState::Present;  // it came back meanwhile
        case WalkEnd::Unreadable: return PrefixFolderState::Unknown;
    }
    if (MissingBelowMediaRoot(deepest, mounts)) return PrefixFolderState::Unavailable;
    const auto empty = IsEmptyFolder(deepest.existing);
    if (!empty) return PrefixFolderState::Unknown;
    if (*empty || IsMountPoint(deepest.existing, mounts)) return PrefixFolderState::Unavailable;
    return PrefixFolderState::Gone;
}

}  // namespace vostrel::menus
