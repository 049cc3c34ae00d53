#include "system/path_presence.h"

#include <vector>

#include "system/paths.h"
#include "system/text.h"

namespace vostrel {

namespace {

// What Windows answers for a network path it cannot reach.
constexpr LONG kBadNetPath = 53;
constexpr LONG kBadNetName = 67;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool StartsWithDrive(std::string_view path) {
    return path.size() >= 2 && IsLetter(path[0]) && path[1] == ':';
}

// "name\" or "name/" at the start of `text`, without regard to letter case.
bool StartsWithFolder(std::string_view text, std::string_view name) {
    return text.size() > name.size() && EqualsNoCase(text.substr(0, name.size()), name) &&
           IsSeparator(text[name.size()]);
}

// "\??\", "\\?\" and "\\.\": the NT object prefix and the two Win32
// prefixes that hand a path to the object manager as it stands.
bool TakeObjectPrefix(std::string_view& path) {
    if (path.size() < 4 || !IsSeparator(path[0]) || !IsSeparator(path[3])) return false;
    const bool nt = path[1] == '?' && path[2] == '?';
    const bool win32 = IsSeparator(path[1]) && (path[2] == '?' || path[2] == '.');
    if (!nt && !win32) return false;
    path.remove_prefix(4);
    return true;
}

// "usr\share\x" below "\??\unix\" is the host's "/usr/share/x", as Wine's
// ntdll maps it (either separator; repeated separators are one).
std::string HostPathOf(std::string_view rest) {
    std::string host = "/";
    for (char c : rest) {
        const char out = c == '\\' ? '/' : c;
        if (out == '/' && host.back() == '/') continue;
        host.push_back(out);
    }
    return host;
}

std::string JoinUnderWindows(std::string_view windowsDir, std::string_view rest) {
    std::string joined(windowsDir);
    while (!joined.empty() && IsSeparator(joined.back())) joined.pop_back();
    while (!rest.empty() && IsSeparator(rest.front())) rest.remove_prefix(1);
    return joined + "\\" + std::string(rest);
}

}  // namespace

SpelledPath SpellOutPath(std::string_view path, std::string_view windowsDir) {
    std::string_view rest = path;
    if (TakeObjectPrefix(rest)) {
        if (StartsWithFolder(rest, "unix")) return {PathForm::Host, HostPathOf(rest.substr(5))};
        if (StartsWithFolder(rest, "UNC")) return {PathForm::Network, std::string(path)};
        if (StartsWithDrive(rest)) return {PathForm::Drive, std::string(rest)};
        return {PathForm::Unknown, std::string(path)};
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        return {PathForm::Network, std::string(path)};
    if (StartsWithDrive(path)) return {PathForm::Drive, std::string(path)};
    // "\SystemRoot\..." is the Windows folder to the NT kernel; services
    // and drivers also name a path below it with no root at all.
    if (!windowsDir.empty()) {
        if (!path.empty() && IsSeparator(path[0]) && StartsWithFolder(path.substr(1), "SystemRoot"))
            return {PathForm::Drive, JoinUnderWindows(windowsDir, path.substr(11))};
        for (std::string_view folder : {"system32", "syswow64"})
            if (StartsWithFolder(path, folder))
                return {PathForm::Drive, JoinUnderWindows(windowsDir, path)};
    }
    return {PathForm::Unknown, std::string(path)};
}

std::optional<PathPresence> DriveOutOfReach(FileSystemApi& files, std::string_view drivePath) {
    if (!StartsWithDrive(drivePath)) return std::nullopt;
    const char letter = static_cast<char>(drivePath[0] & ~0x20);
    const DriveState state = files.StateOfDrive(letter);
    if (state.reach == DriveReach::Available) return std::nullopt;
    PathPresence out;
    out.tested = std::string(drivePath);
    out.kind =
        state.reach == DriveReach::Network ? PathPresence::Network : PathPresence::DriveUnavailable;
    out.drive = letter;
    out.why = state.why;
    return out;
}

namespace {

// ProbePath for a file, or for a folder when `folder` is set.
PathPresence ProbeEntry(FileSystemApi& files, std::string_view path, bool folder) {
    SpelledPath spelled = SpellOutPath(path, GetWindowsDir(files));
    PathPresence out;
    // A folder is searched for by its name, without a closing backslash;
    // a drive's root keeps its own.
    if (folder && spelled.form == PathForm::Drive) {
        while (spelled.path.size() > 3 && spelled.path.back() == '\\') spelled.path.pop_back();
    }
    out.tested = spelled.path;
    switch (spelled.form) {
        case PathForm::Network: out.kind = PathPresence::Network; return out;
        case PathForm::Unknown: out.kind = PathPresence::UnknownForm; return out;
        case PathForm::Host:
            // The host tells of files only.
            if (folder) {
                out.kind = PathPresence::UnknownForm;
                return out;
            }
            switch (files.StateOfHostFile(spelled.path)) {
                case HostFilePresence::File: out.kind = PathPresence::Present; break;
                case HostFilePresence::Missing: out.kind = PathPresence::Missing; break;
                case HostFilePresence::DiskAbsent:
                    out.kind = PathPresence::DriveUnavailable;
                    out.why = "the host disk that holds it is not there";
                    break;
                case HostFilePresence::Unknown: out.kind = PathPresence::UnknownForm; break;
            }
            return out;
        case PathForm::Drive: break;
    }
    if (auto away = DriveOutOfReach(files, spelled.path)) return *away;
    // The root of a drive that is there is there.
    if (folder && spelled.path.size() == 3 && spelled.path.ends_with(":\\")) {
        out.kind = PathPresence::Present;
        return out;
    }
    std::vector<FindData> found;
    const LONG status = files.FindFiles(spelled.path, &found);
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) {
        out.kind = PathPresence::Missing;
        // A drive that maps to the host's root (z:) or to a folder of
        // games reaches other disks too: a path through one that is not
        // there is out of reach, not gone.
        if (const auto host = files.HostPath(spelled.path);
            host && files.StateOfHostFile(*host) == HostFilePresence::DiskAbsent) {
            out.kind = PathPresence::DriveUnavailable;
            out.drive = static_cast<char>(spelled.path[0] & ~0x20);
            out.why = "the disk that holds " + *host + " is not there";
        }
        return out;
    }
    if (status == kBadNetPath || status == kBadNetName) {
        out.kind = PathPresence::Network;
        return out;
    }
    if (status == ERROR_NOT_READY) {
        out.kind = PathPresence::DriveUnavailable;
        out.drive = static_cast<char>(spelled.path[0] & ~0x20);
        out.why = "its disk is not ready";
        return out;
    }
    if (status != ERROR_SUCCESS) {
        // The platform refuses to search it (an invalid name, a drive that
        // is not ready): nothing is removed on a guess.
        out.kind = PathPresence::UnknownForm;
        return out;
    }
    out.kind = PathPresence::Missing;
    for (const auto& entry : found)
        if (((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder)
            out.kind = PathPresence::Present;
    return out;
}

}  // namespace

PathPresence ProbePath(FileSystemApi& files, std::string_view path) {
    return ProbeEntry(files, path, false);
}

PathPresence ProbeFolder(FileSystemApi& files, std::string_view path) {
    return ProbeEntry(files, path, true);
}

}  // namespace vostrel
