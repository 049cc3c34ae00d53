#include "menus/menu_check.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

namespace vostrel::menus {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

bool IsAscii(const std::string& s) {
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// stat() of a host path, told apart as the judgement needs it.
Presence HostPresence(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return Presence::Present;
    return (errno == ENOENT || errno == ENOTDIR) ? Presence::Missing : Presence::Unknown;
}

// The name in `folder` that matches `name` without regard to ASCII letter
// case; empty when there is none, nothing when the folder cannot be listed.
std::optional<std::string> FindIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return std::nullopt;
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string candidate = entry->d_name;
        if (SameIgnoringAsciiCase(candidate, name)) {
            found = candidate;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::string Normalised(const std::string& path) {
    std::string text = std::filesystem::path(path).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

bool IsAbsoluteHostPath(const std::string& path) { return !path.empty() && path.front() == '/'; }

}  // namespace

Presence WindowsPathPresence(const std::string& prefix, const std::string& windowsPath,
                             std::string* hostPath) {
    if (!IsWindowsDrivePath(windowsPath)) return Presence::Unknown;
    std::string current = prefix + "/dosdevices/" + AsciiLower(windowsPath[0]) + ":";
    struct stat st {};
    if (::stat(current.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Presence::Unknown;  // no such drive

    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 3; i <= windowsPath.size(); ++i) {
        if (i == windowsPath.size() || windowsPath[i] == '\\' || windowsPath[i] == '/') {
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += windowsPath[i];
        }
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& name = parts[i];
        std::string next = current + "/" + name;
        Presence here = HostPresence(next);
        struct stat folder {};
        const bool inFolder = ::stat(current.c_str(), &folder) == 0 && S_ISDIR(folder.st_mode);
        if (here == Presence::Missing && inFolder) {
            // Wine finds names without regard to letter case.
            const auto match = FindIgnoringCase(current, name);
            if (!match) return Presence::Unknown;
            if (!match->empty()) {
                next = current + "/" + *match;
                here = HostPresence(next);
            }
        }
        if (here == Presence::Missing) {
            // A short name (PROGRA~1) or a name whose case differs beyond
            // ASCII may still be there under another spelling.
            if (inFolder && (name.find('~') != std::string::npos || !IsAscii(name)))
                return Presence::Unknown;
            if (hostPath) {
                *hostPath = next;
                for (std::size_t j = i + 1; j < parts.size(); ++j) *hostPath += "/" + parts[j];
            }
            return Presence::Missing;
        }
        if (here == Presence::Unknown) return Presence::Unknown;
        current = next;
    }
    if (hostPath) *hostPath = current;
    return Presence::Present;
}

std::string EntryPrefix(const WineMenuEntry& entry, const MenuPlaces& places) {
    return entry.launch.winePrefix ? *entry.launch.winePrefix : places.DefaultPrefix();
}

bool SamePrefix(const std::string& a, const std::string& b) {
    if (Normalised(a) == Normalised(b)) return true;
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::vector<MenuEntryProblem> CheckMenuEntries(const std::vector<WineMenuEntry>& entries,
                                               const PrefixUnderTest& prefix,
                                               const MenuPlaces& places,
                                               const LinkTargetReader& readLink,
                                               const AbsentDiskTest& onAbsentDisk,
                                               std::size_t* outOfReach) {
    std::vector<MenuEntryProblem> problems;
    // A missing path on a disk that is not there: the entry is counted and
    // left alone.
    const auto away = [&](const std::string& hostPath) {
        if (!onAbsentDisk || hostPath.empty() || !onAbsentDisk(hostPath)) return false;
        if (outOfReach) ++*outOfReach;
        return true;
    };
    for (const WineMenuEntry& entry : entries) {
        const std::string entryPrefix = EntryPrefix(entry, places);
        if (!IsAbsoluteHostPath(entryPrefix))
            continue;  // "~/.wine" and the like: nothing sure to say
        MenuEntryProblem problem;
        problem.desktopFile = entry.path;
        problem.name = entry.name;
        problem.winePrefix = entryPrefix;
        problem.target = entry.launch.target;
        problem.reason = MenuEntryReason::PrefixMissing;
        struct stat st {};
        if (::lstat(entryPrefix.c_str(), &st) != 0) {
            // A prefix is gone only when the disk that held it is there.
            if (errno == ENOENT && !away(entryPrefix)) problems.push_back(problem);
            continue;
        }
        const bool ours = entry.launch.winePrefix
                              ? SamePrefix(*entry.launch.winePrefix, prefix.hostPath)
                              : (prefix.isDefault || SamePrefix(entryPrefix, prefix.hostPath));
        if (!ours) continue;

        std::string linkHostPath;
        Presence presence = Presence::Unknown;
        bool isLink = false;
        switch (entry.launch.kind) {
            case LaunchKind::WindowsLink:
                isLink = true;
                presence = WindowsPathPresence(prefix.hostPath, entry.launch.target, &linkHostPath);
                break;
            case LaunchKind::HostLink:
                isLink = true;
                linkHostPath = entry.launch.target;
                presence = HostPresence(linkHostPath);
                break;
            case LaunchKind::WindowsProgram:
                presence = WindowsPathPresence(prefix.hostPath, entry.launch.target, &linkHostPath);
                break;
            case LaunchKind::HostProgram:
                linkHostPath = entry.launch.target;
                presence = HostPresence(entry.launch.target);
                break;
            case LaunchKind::ProgId:
            case LaunchKind::Other: break;
        }
        if (presence == Presence::Missing) {
            if (away(linkHostPath)) continue;
            problem.reason =
                isLink ? MenuEntryReason::LinkMissing : MenuEntryReason::ProgramMissing;
            problems.push_back(problem);
            continue;
        }
        if (presence != Presence::Present || !isLink || !readLink) continue;
        // The link is there: what it starts must be there too.
        const auto linkTarget = readLink(linkHostPath);
        if (!linkTarget || linkTarget->empty()) continue;
        std::string programHostPath;
        const Presence program =
            IsWindowsDrivePath(*linkTarget)
                ? WindowsPathPresence(prefix.hostPath, *linkTarget, &programHostPath)
                : Presence::Unknown;
        if (program == Presence::Missing && !away(programHostPath)) {
            problem.reason = MenuEntryReason::ProgramMissing;
            problem.linkTarget = *linkTarget;
            problems.push_back(problem);
        }
    }
    return problems;
}

}  // namespace vostrel::menus
