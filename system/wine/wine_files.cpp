#include "system/wine/wine_files.h"

#include "system/atomic_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "system/posix/host_disk.h"
#include "system/text.h"

namespace vostrel {

namespace {

bool IsFolder(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// The entry as a search shows it, the stored attributes read now.
FindData ToFindData(const HostEntry& entry, const std::string& hostFolder) {
    const DWORD stored = StoredDosAttributes(JoinHostPath(hostFolder, entry.hostName));
    return FindData{entry.attributes | stored, entry.name, entry.shortName, entry.size};
}

// The user whose profile Wine makes: the host user running it.
std::string HostUserName() {
    if (const passwd* user = getpwuid(getuid()); user && user->pw_name && *user->pw_name)
        return user->pw_name;
    if (const char* name = std::getenv("USER"); name && *name) return name;
    return "user";
}

// "C:", "C:\" or "C:/": the drive letter, upper case; 0 for anything else.
char DriveOfRoot(std::string_view root) {
    if (root.size() < 2 || root.size() > 3 || root[1] != ':') return 0;
    if (root.size() == 3 && root[2] != '\\' && root[2] != '/') return 0;
    const char c = root[0];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return 0;
    return static_cast<char>(c & ~0x20);
}

bool IsHostFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Wine keeps a drive's label in a file at its root.
std::string ReadDriveLabel(const std::string& hostRoot) {
    std::string text;
    if (!ReadSmallTextFile(JoinHostPath(hostRoot, ".windows-label"), 4096, &text, nullptr))
        return {};
    std::string label = text.substr(0, text.find('\n'));
    while (!label.empty() && (label.back() == '\r' || label.back() == '\n')) label.pop_back();
    return label;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CopyContents(int from, int to) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(from, buffer, sizeof buffer);
        if (got < 0) return false;
        if (got == 0) return true;
        if (!WriteAll(to, buffer, static_cast<std::size_t>(got))) return false;
    }
}

void CopyDosAttributes(const std::string& from, int to) {
    char value[64];
    const ssize_t length = getxattr(from.c_str(), "user.DOSATTRIB", value, sizeof value);
    if (length > 0) fsetxattr(to, "user.DOSATTRIB", value, static_cast<std::size_t>(length), 0);
}

// Writes a copy beside the target and renames it over the target, so the
// target is either the old file or the whole copy.
bool CopyHostFile(const std::string& from, const std::string& hostFolder, const std::string& to) {
    // Only a regular file is copied; a FIFO is never waited on.
    const int source = open(from.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (source < 0) return false;
    struct stat st {};
    std::string temp = JoinHostPath(hostFolder, ".vostrel-copy-XXXXXX");
    const int target = fstat(source, &st) == 0 && S_ISREG(st.st_mode) ? mkstemp(temp.data()) : -1;
    bool ok = target >= 0 && CopyContents(source, target) &&
              fchmod(target, st.st_mode & 07777) == 0 && fsync(target) == 0;
    if (target >= 0) {
        CopyDosAttributes(from, target);
        ok = close(target) == 0 && ok;
    }
    close(source);
    ok = ok && rename(temp.c_str(), to.c_str()) == 0;
    if (!ok && target >= 0) unlink(temp.c_str());
    return ok;
}

bool SameHostFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

WineFileSystem::WineFileSystem(std::string prefixPath, std::map<char, DriveType> driveTypes,
                               std::int64_t settle)
    : prefix_(std::move(prefixPath)), driveTypes_(std::move(driveTypes)), cache_(512, settle) {}

std::string WineFileSystem::GetWindowsDirectory() { return "C:\\windows"; }

std::string WineFileSystem::GetSystemDirectory() { return "C:\\windows\\system32"; }

std::string WineFileSystem::GetTempPath() { return "C:\\users\\" + HostUserName() + "\\Temp\\"; }

void WineFileSystem::ForgetCache() {
    cache_.ForgetAll();
    walking_.active = false;
    roots_.clear();
    driveStates_.clear();
    walkDrives_.clear();
    realPrefix_.clear();
}

const WineFileSystem::DriveRoot* WineFileSystem::FindDriveRoot(char drive) {
    if (const auto known = roots_.find(drive); known != roots_.end()) return &known->second;
    const auto hostPath = WineDriveRoot(prefix_, drive);
    if (!hostPath || !IsHostFolder(*hostPath)) return nullptr;  // asked again next time
    const auto stored =
        roots_.emplace(drive, DriveRoot{*hostPath, HostAttributes(*hostPath, "", nullptr)});
    return &stored.first->second;
}

WineFileSystem::Folder WineFileSystem::FindFolder(char drive, const std::vector<std::string>& parts,
                                                  std::size_t count) {
    Folder folder;
    const DriveRoot* root = FindDriveRoot(drive);
    if (!root) {
        folder.status = ERROR_PATH_NOT_FOUND;
        return folder;
    }
    folder.hostPath = root->hostPath;
    folder.attributes = root->attributes;
    folder.parentAttributes = folder.attributes;
    folder.parentHostPath = folder.hostPath;
    for (std::size_t i = 0; i < count; ++i) {
        const auto listing = cache_.List(folder.hostPath);
        if (listing->status != ERROR_SUCCESS) {
            folder.status = listing->status;
            return folder;
        }
        const HostEntry* entry = FindEntry(*listing, Utf8ToUtf16(parts[i]));
        if (!entry) {
            folder.status = ERROR_PATH_NOT_FOUND;
            return folder;
        }
        if (!IsFolder(entry->attributes)) {
            folder.status = ERROR_INVALID_NAME;  // a file where a folder should be
            return folder;
        }
        folder.parentHostPath = folder.hostPath;
        folder.hostPath = JoinHostPath(folder.hostPath, entry->hostName);
        folder.parentAttributes = folder.attributes;
        folder.attributes = entry->attributes;
        folder.driveRoot = false;
    }
    return folder;
}

WineFileSystem::Located WineFileSystem::Locate(std::string_view path) {
    Located located;
    const WindowsPath parsed = ParseWindowsPath(path);
    located.status = parsed.lastHasWildcards ? ERROR_INVALID_NAME : parsed.status;
    if (located.status != ERROR_SUCCESS) return located;
    const std::size_t depth = parsed.parts.empty() ? 0 : parsed.parts.size() - 1;
    const Folder folder = FindFolder(parsed.drive, parsed.parts, depth);
    located.status = folder.status;
    if (located.status != ERROR_SUCCESS) return located;
    if (parsed.parts.empty()) {  // the drive root itself
        located.hostPath = folder.hostPath;
        located.entry.attributes = folder.attributes;
        return located;
    }
    const auto listing = cache_.List(folder.hostPath);
    const HostEntry* entry = listing->status == ERROR_SUCCESS
                                 ? FindEntry(*listing, Utf8ToUtf16(parsed.parts.back()))
                                 : nullptr;
    if (!entry || (parsed.trailingSeparator && !IsFolder(entry->attributes))) {
        located.status = listing->status != ERROR_SUCCESS ? listing->status : ERROR_FILE_NOT_FOUND;
        return located;
    }
    located.hostFolder = folder.hostPath;
    located.hostPath = JoinHostPath(folder.hostPath, entry->hostName);
    located.entry = *entry;
    located.entry.attributes |= StoredDosAttributes(located.hostPath);
    return located;
}

void WineFileSystem::AddDotEntries(const Folder& folder, std::u16string_view mask,
                                   std::vector<FindData>* found) {
    if (folder.driveRoot) return;  // a drive root has neither "." nor ".."
    if (MatchesMask(u".", mask))
        found->push_back(
            FindData{folder.attributes | StoredDosAttributes(folder.hostPath), ".", "", 0});
    if (MatchesMask(u"..", mask))
        found->push_back(FindData{
            folder.parentAttributes | StoredDosAttributes(folder.parentHostPath), "..", "", 0});
}

// The file calls of Windows take paths of at most MAX_PATH - 1 (259)
// characters, counted in UTF-16 units as the wide functions count them, and
// refuse longer ones with ERROR_FILENAME_EXCED_RANGE; so do we, so that a
// long path counts as refused (and so as existing) here too.
static bool TooLongForFileCalls(std::string_view path) {
    constexpr std::size_t kMaxPath = 260;
    if (path.size() < kMaxPath) return false;  // UTF-8 never has fewer bytes than units
    return Utf8ToUtf16(path).size() >= kMaxPath;
}

LONG WineFileSystem::FindFiles(std::string_view pattern, std::vector<FindData>* found) {
    found->clear();
    if (TooLongForFileCalls(pattern)) return ERROR_FILENAME_EXCED_RANGE;
    // A pattern ending in a separator has no name to look for: Wine says so
    // before it looks at anything else.
    if (!pattern.empty() && (pattern.back() == '\\' || pattern.back() == '/'))
        return ERROR_FILE_NOT_FOUND;
    const WindowsPath parsed = ParseWindowsPath(pattern);
    if (parsed.status != ERROR_SUCCESS) return parsed.status;
    if (parsed.trailingSeparator) return ERROR_FILE_NOT_FOUND;  // "C:\Dir\  "
    const bool hasMask = !parsed.parts.empty();
    const std::size_t depth = hasMask ? parsed.parts.size() - 1 : 0;
    const Folder folder = FindFolder(parsed.drive, parsed.parts, depth);
    if (folder.status != ERROR_SUCCESS) return folder.status;
    if (!hasMask) return ERROR_FILE_NOT_FOUND;  // "C:" and "C:\Dir\.." name no entry

    const std::string& mask = parsed.parts.back();
    if (!parsed.lastHasWildcards) {
        if (const std::string device = DosDeviceName(mask); !device.empty()) {
            found->push_back(FindData{FILE_ATTRIBUTE_ARCHIVE, device, "", 0});
            return ERROR_SUCCESS;
        }
    }
    const auto listing = cache_.List(folder.hostPath);
    if (listing->status != ERROR_SUCCESS) return listing->status;
    const std::u16string wideMask = Utf8ToUtf16(mask);
    if (!parsed.lastHasWildcards) {
        const HostEntry* entry = FindEntry(*listing, wideMask);
        if (!entry) return ERROR_FILE_NOT_FOUND;
        found->push_back(ToFindData(*entry, folder.hostPath));
        return ERROR_SUCCESS;
    }
    AddDotEntries(folder, wideMask, found);
    for (const auto& entry : listing->entries) {
        const bool matches = MatchesMask(entry.wide, wideMask) ||
                             (!entry.wideShort.empty() && MatchesMask(entry.wideShort, wideMask));
        if (matches) found->push_back(ToFindData(entry, folder.hostPath));
    }
    return found->empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

DWORD WineFileSystem::GetFileAttributes(std::string_view path) {
    if (TooLongForFileCalls(path)) return INVALID_FILE_ATTRIBUTES;
    const Located located = Locate(path);
    return located.status == ERROR_SUCCESS ? located.entry.attributes : INVALID_FILE_ATTRIBUTES;
}

// Each name of the path is looked up on its own and replaced by its short
// name when it has one, else by its name as stored; separators, "." and
// ".." stay as written, and every name up to the last must exist.
std::string WineFileSystem::GetShortPathName(std::string_view path) {
    if (HasWildcards(path) || GetFileAttributes(path) == INVALID_FILE_ATTRIBUTES) return {};
    const DriveRoot* root = FindDriveRoot(static_cast<char>(path[0] & ~0x20));
    if (!root) return {};
    std::vector<std::string> walked{root->hostPath};  // host folders so far, for ".."
    std::string shortPath(path.substr(0, 2));
    std::size_t i = 2;
    while (i < path.size()) {
        if (path[i] == '\\' || path[i] == '/') {
            shortPath.push_back(path[i++]);
            continue;
        }
        const std::size_t end = std::min(path.find_first_of("\\/", i), path.size());
        const std::string_view name = path.substr(i, end - i);
        i = end;
        shortPath.append(name == "." || name == ".." ? name : std::string_view());
        if (name == ".") continue;
        if (name == "..") {
            if (walked.size() > 1) walked.pop_back();
            continue;
        }
        const auto listing = cache_.List(walked.back());
        const HostEntry* entry =
            listing->status == ERROR_SUCCESS
                ? FindEntry(*listing, Utf8ToUtf16(StripTrailingDotsAndBlanks(name)))
                : nullptr;
        if (!entry) return {};
        shortPath += entry->shortName.empty() ? entry->name : entry->shortName;
        walked.push_back(JoinHostPath(walked.back(), entry->hostName));
    }
    return shortPath;
}

DriveState WineFileSystem::StateOfDrive(char letter) {
    letter = static_cast<char>(letter & ~0x20);
    if (const auto known = driveStates_.find(letter); known != driveStates_.end())
        return known->second;
    DriveState state;
    const std::string name = std::string(1, letter) + ":";
    const auto root = WineDriveRoot(prefix_, letter);
    struct stat st {};
    if (WineDriveType(driveTypes_, letter) == DriveType::Remote) {
        state.reach = DriveReach::Network;
        state.why = "a network drive";
    } else if (!root) {
        state.reach = DriveReach::Unavailable;
        state.why = "the prefix has no drive " + name;
    } else if (::stat(root->c_str(), &st) != 0) {
        state.reach = DriveReach::Unavailable;
        state.why = "its folder " + *root + " is missing";
    } else if (!S_ISDIR(st.st_mode)) {
        state.reach = DriveReach::Unavailable;
        state.why = *root + " is not a folder";
    } else if (IsEmptyHostFolder(*root)) {
        // An unmounted disk leaves its mount point empty; an empty drive has
        // nothing on it to judge either.
        state.reach = DriveReach::Unavailable;
        state.why = "its folder " + *root + " is empty (its disk may not be mounted)";
    }
    driveStates_.emplace(letter, state);
    return state;
}

HostFilePresence WineFileSystem::StateOfHostFile(std::string_view hostPath) {
    const std::string path(hostPath);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? HostFilePresence::Missing : HostFilePresence::File;
    if (errno != ENOENT && errno != ENOTDIR) return HostFilePresence::Unknown;
    return OnAbsentDisk(path, nullptr) ? HostFilePresence::DiskAbsent : HostFilePresence::Missing;
}

std::vector<Drive> WineFileSystem::GetDrives() {
    std::vector<Drive> drives;
    for (const char letter : WineDriveLetters(prefix_))
        drives.push_back(Drive{letter, WineDriveType(driveTypes_, letter)});
    return drives;
}

bool WineFileSystem::GetVolumeInformation(std::string_view root, std::string* label) {
    const char drive = DriveOfRoot(root);
    if (!drive) return false;
    const auto hostRoot = WineDriveRoot(prefix_, drive);
    if (!hostRoot || !IsHostFolder(*hostRoot)) return false;
    if (label) *label = ReadDriveLabel(*hostRoot);
    return true;
}

// Windows refuses to delete a read-only file; so does this.
bool WineFileSystem::DeleteFile(std::string_view path) {
    const Located located = Locate(path);
    if (located.status != ERROR_SUCCESS || IsFolder(located.entry.attributes)) return false;
    if (located.entry.attributes & FILE_ATTRIBUTE_READONLY) return false;
    const bool deleted = unlink(located.hostPath.c_str()) == 0;
    cache_.Forget(located.hostFolder);
    return deleted;
}

// Overwrites an existing target unless it is a folder, read-only or hidden
// (as CopyFileA does); the copy keeps the source's permissions and stored
// DOS attributes.
bool WineFileSystem::CopyFile(std::string_view from, std::string_view to) {
    const Located source = Locate(from);
    if (source.status != ERROR_SUCCESS || IsFolder(source.entry.attributes)) return false;
    const WindowsPath target = ParseWindowsPath(to);
    if (target.status != ERROR_SUCCESS || target.lastHasWildcards || target.parts.empty() ||
        target.trailingSeparator)
        return false;
    const Folder folder = FindFolder(target.drive, target.parts, target.parts.size() - 1);
    if (folder.status != ERROR_SUCCESS) return false;
    const auto listing = cache_.List(folder.hostPath);
    if (listing->status != ERROR_SUCCESS) return false;
    std::string hostTarget = JoinHostPath(folder.hostPath, target.parts.back());
    if (const HostEntry* existing = FindEntry(*listing, Utf8ToUtf16(target.parts.back()))) {
        constexpr DWORD kRefused =
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
        hostTarget = JoinHostPath(folder.hostPath, existing->hostName);
        if ((existing->attributes | StoredDosAttributes(hostTarget)) & kRefused) return false;
        if (SameHostFile(source.hostPath, hostTarget)) return false;
    }
    const bool copied = CopyHostFile(source.hostPath, folder.hostPath, hostTarget);
    cache_.Forget(folder.hostPath);
    return copied;
}

// Names that exist are followed as the search follows them; the rest of the
// path is appended as written, so a file about to be created has a place.
std::optional<std::string> WineFileSystem::HostPath(std::string_view windowsPath) {
    if (walking_.active && windowsPath == walking_.windowsPath) return walking_.hostPath;
    const WindowsPath parsed = ParseWindowsPath(windowsPath);
    if (parsed.status != ERROR_SUCCESS) return std::nullopt;
    const auto root = WineDriveRoot(prefix_, parsed.drive);
    if (!root) return std::nullopt;
    std::string host = *root;
    bool following = true;
    for (const auto& part : parsed.parts) {
        const HostEntry* entry = nullptr;
        std::shared_ptr<const FolderListing> listing;
        if (following) {
            listing = cache_.List(host);
            entry =
                listing->status == ERROR_SUCCESS ? FindEntry(*listing, Utf8ToUtf16(part)) : nullptr;
        }
        following = entry != nullptr;
        host =
            JoinHostPath(host, entry ? std::string_view(entry->hostName) : std::string_view(part));
    }
    return host;
}

}  // namespace vostrel
