// The shortcut walk's view of a Wine prefix: which drives are the prefix's
// own and which the host's, which entries a walk may open, and the
// repair's hold on a shortcut file the walk judged.
//
// A wineboot prefix maps z: to the host's "/" and links the user's Desktop,
// Documents and the like to the home folder, so a walk that followed every
// link would walk the whole host, other prefixes included, and judge their
// shortcuts against this prefix's C:. The rules here keep every walk inside
// the tree it was asked for.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "system/text.h"
#include "system/wine/wine_files.h"

namespace vostrel {

namespace {

char LetterOf(std::string_view path) {
    if (path.size() < 2 || path[1] != ':') return 0;
    const char c = path[0];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return 0;
    return static_cast<char>(c & ~0x20);
}

// The parts of a Windows path below its drive, empty parts dropped.
std::vector<std::string> PartsBelowDrive(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t i = 2;
    while (i < path.size()) {
        const std::size_t end = std::min(path.find_first_of("\\/", i), path.size());
        if (end > i) parts.emplace_back(path.substr(i, end - i));
        i = end + 1;
    }
    return parts;
}

// "C:\users\<anyone>\Desktop": installers put shortcuts there, and Wine
// links it to the host's desktop folder.
bool IsUsersDesktop(std::string_view path) {
    if (LetterOf(path) != 'C') return false;
    const auto parts = PartsBelowDrive(path);
    return parts.size() == 3 && EqualsNoCase(parts[0], "users") &&
           EqualsNoCase(parts[2], "Desktop");
}

// The shortcut endings the check looks at; other files need no record.
bool HasShortcutEnding(std::string_view name) {
    if (name.size() < 3) return false;
    const std::string ending = UpperAscii(name.substr(name.size() - 3));
    return ending == "LNK" || ending == "URL";
}

std::string WalkKey(std::string_view path) { return UpperAscii(path); }

// A resolved path's parent folder.
std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return path.substr(0, slash);
}

// True when a folder between `top` (excluded) and `folder` (included) is a
// Wine prefix.
bool PrefixBelow(const std::string& top, std::string folder) {
    while (folder.size() > top.size() && IsInsideHostFolder(folder, top)) {
        if (IsWinePrefixFolder(folder)) return true;
        folder = ParentOf(folder);
    }
    return false;
}

// Opens a resolved folder one part at a time, following no link: the
// folder that comes back is the one the resolved path named, even if a
// part of it is swapped for a link meanwhile. -1 when that fails.
int OpenFolderNoLinks(const std::string& realFolder) {
    int fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::size_t i = 1;
    while (fd >= 0 && i < realFolder.size()) {
        const std::size_t end = std::min(realFolder.find('/', i), realFolder.size());
        const std::string part = realFolder.substr(i, end - i);
        i = end + 1;
        if (part.empty()) continue;
        const int next = ::openat(fd, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    return fd;
}

class WineHeldFile : public HeldFile {
public:
    WineHeldFile(int folder, int file, std::string name, struct stat st)
        : folder_(folder), file_(file), name_(std::move(name)), st_(st) {}
    ~WineHeldFile() override {
        ::close(file_);
        ::close(folder_);
    }
    std::string ReadablePath() const override { return "/proc/self/fd/" + std::to_string(file_); }
    bool Remove(std::string* why) override {
        struct stat now {};
        if (::fstatat(folder_, name_.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
            now.st_dev != st_.st_dev || now.st_ino != st_.st_ino) {
            if (why) *why = "it was replaced after it was checked";
            return false;
        }
        if (::unlinkat(folder_, name_.c_str(), 0) != 0) {
            if (why) *why = std::string("it could not be deleted: ") + std::strerror(errno);
            return false;
        }
        return true;
    }

private:
    int folder_;
    int file_;
    std::string name_;
    struct stat st_;
};

}  // namespace

const std::string& WineFileSystem::RealPrefix() {
    if (realPrefix_.empty()) realPrefix_ = RealHostPath(prefix_).value_or(std::string());
    return realPrefix_;
}

const WineFileSystem::WalkDrive* WineFileSystem::FindWalkDrive(char drive) {
    if (const auto known = walkDrives_.find(drive); known != walkDrives_.end())
        return &known->second;
    const DriveRoot* root = FindDriveRoot(drive);
    if (!root) return nullptr;
    const auto real = RealHostPath(root->hostPath);
    struct stat st {};
    if (!real || ::stat(real->c_str(), &st) != 0) return nullptr;
    WalkDrive walk;
    walk.realRoot = *real;
    walk.device = static_cast<std::uint64_t>(st.st_dev);
    walk.machineOwn = !RealPrefix().empty() && IsInsideHostFolder(*real, RealPrefix());
    return &walkDrives_.emplace(drive, walk).first->second;
}

DriveOwner WineFileSystem::OwnerOfDrive(char letter) {
    letter = static_cast<char>(letter & ~0x20);
    if (const WalkDrive* drive = FindWalkDrive(letter))
        return DriveOwner{drive->machineOwn, drive->machineOwn ? std::string() : drive->realRoot};
    // A drive whose folder is missing: judged by where its link points.
    const auto root = WineDriveRoot(prefix_, letter);
    if (!root) return {};
    const bool own = !RealPrefix().empty() && IsInsideHostFolder(*root, RealPrefix());
    return DriveOwner{own, own ? std::string() : *root};
}

WalkEntry WineFileSystem::ClassifyWalkEntry(std::string_view driveRoot, std::string_view path,
                                            DWORD) {
    const char letter = LetterOf(driveRoot);
    const WalkDrive* drive = letter ? FindWalkDrive(letter) : nullptr;
    const auto host = HostPath(path);
    if (!drive || !host) return WalkEntry::Skip;
    const bool isRoot = PartsBelowDrive(path).empty();
    if (isRoot) {
        // A new walk of this drive: what an earlier walk recorded is stale.
        const std::string key = WalkKey(std::string(1, letter) + ":");
        for (auto it = walkedFiles_.lower_bound(key);
             it != walkedFiles_.end() && it->first.rfind(key, 0) == 0;)
            it = walkedFiles_.erase(it);
    }
    return ClassifyHostEntry(*drive, path, *host, isRoot, nullptr);
}

void WineFileSystem::NoteWalkedFile(std::string_view path, std::uint64_t device,
                                    std::uint64_t inode) {
    walkedFiles_[WalkKey(path)] = {device, inode};
}

WalkEntry WineFileSystem::ClassifyHostEntry(const WalkDrive& walkDrive, std::string_view path,
                                            const std::string& host, bool isRoot,
                                            std::string* realFolder) {
    const WalkDrive* drive = &walkDrive;
    struct stat st {};
    if (::lstat(host.c_str(), &st) != 0) return WalkEntry::Skip;
    const bool linked = S_ISLNK(st.st_mode);
    if (linked && ::stat(host.c_str(), &st) != 0) return WalkEntry::Skip;  // a dangling link
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return WalkEntry::Skip;  // FIFOs, sockets, devices

    if (S_ISREG(st.st_mode)) {
        if (linked) {  // a link to a file counts where the file lies
            const auto real = RealHostPath(host);
            const std::string& tree = drive->machineOwn ? RealPrefix() : drive->realRoot;
            if (!real || !IsInsideHostFolder(ParentOf(*real), tree)) return WalkEntry::Skip;
        }
        if (HasShortcutEnding(path))
            NoteWalkedFile(path, static_cast<std::uint64_t>(st.st_dev),
                           static_cast<std::uint64_t>(st.st_ino));
        return WalkEntry::File;
    }

    const auto real = RealHostPath(host);
    if (!real) return WalkEntry::Skip;
    if (realFolder) *realFolder = *real;
    if (IsWinePrefixFolder(*real)) return WalkEntry::Skip;  // another prefix, or this one again
    if (drive->machineOwn) {
        if (IsInsideHostFolder(*real, RealPrefix())) {
            if (!isRoot && static_cast<std::uint64_t>(st.st_dev) != drive->device)
                return WalkEntry::Skip;
            return WalkEntry::Folder;
        }
        return linked && IsUsersDesktop(path) ? WalkEntry::FolderFilesOnly : WalkEntry::Skip;
    }
    if (!isRoot && static_cast<std::uint64_t>(st.st_dev) != drive->device) return WalkEntry::Skip;
    if (!RealPrefix().empty() && IsInsideHostFolder(*real, RealPrefix())) return WalkEntry::Skip;
    if (!IsInsideHostFolder(*real, drive->realRoot)) return WalkEntry::Skip;
    return WalkEntry::Folder;
}

bool WineFileSystem::InWalkedTree(char letter, std::string_view windowsFolder,
                                  const std::string& realFolder, std::string* why) {
    const WalkDrive* drive = FindWalkDrive(letter);
    if (!drive) {
        *why = "its drive is gone";
        return false;
    }
    if (drive->machineOwn) {
        const bool desktop = IsUsersDesktop(windowsFolder);
        if (!desktop && !IsInsideHostFolder(realFolder, RealPrefix())) {
            *why = "its folder now leads out of the prefix";
            return false;
        }
        if (!desktop && PrefixBelow(RealPrefix(), realFolder)) {
            *why = "its folder now lies in another Wine prefix";
            return false;
        }
        return true;
    }
    if (!IsInsideHostFolder(realFolder, drive->realRoot)) {
        *why = "its folder now leads out of the drive";
        return false;
    }
    if (!RealPrefix().empty() && IsInsideHostFolder(realFolder, RealPrefix())) {
        *why = "its folder now lies in the prefix itself";
        return false;
    }
    if (IsWinePrefixFolder(drive->realRoot) || PrefixBelow(drive->realRoot, realFolder)) {
        *why = "its folder now lies in a Wine prefix";
        return false;
    }
    return true;
}

std::unique_ptr<HeldFile> WineFileSystem::HoldWalkedFile(std::string_view path, std::string* why,
                                                         bool* gone) {
    std::string reason;
    auto fail = [&](std::string text, bool isGone = false) -> std::unique_ptr<HeldFile> {
        if (why) *why = std::move(text);
        if (gone) *gone = isGone;
        return nullptr;
    };
    if (gone) *gone = false;
    cache_.ForgetAll();
    const char letter = LetterOf(path);
    const Located located = Locate(path);
    if (!letter || located.status != ERROR_SUCCESS || located.hostFolder.empty()) {
        const bool missing =
            located.status == ERROR_FILE_NOT_FOUND || located.status == ERROR_PATH_NOT_FOUND;
        return fail(missing ? "it no longer exists" : "it can no longer be found", missing);
    }
    if (located.entry.attributes & FILE_ATTRIBUTE_READONLY) return fail("it is read-only");
    const auto realFolder = RealHostPath(located.hostFolder);
    if (!realFolder) return fail("its folder can no longer be reached");
    const std::size_t lastSeparator = path.find_last_of("\\/");
    const std::string_view windowsFolder =
        lastSeparator == std::string_view::npos ? path : path.substr(0, lastSeparator);
    if (!InWalkedTree(letter, windowsFolder, *realFolder, &reason)) return fail(reason);

    const int folder = OpenFolderNoLinks(*realFolder);
    if (folder < 0) return fail("its folder changed while it was checked");
    const int file = ::openat(folder, located.entry.hostName.c_str(),
                              O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (file < 0) {
        const int error = errno;
        ::close(folder);
        if (error == ENOENT) return fail("it no longer exists", true);
        return fail(error == ELOOP ? "it is a link now"
                                   : std::string("it cannot be opened: ") + std::strerror(error));
    }
    struct stat st {};
    std::string problem;
    if (::fstat(file, &st) != 0 || !S_ISREG(st.st_mode)) {
        problem = "it is no longer a regular file";
    } else if (const auto seen = walkedFiles_.find(WalkKey(path));
               seen != walkedFiles_.end() &&
               (seen->second.first != static_cast<std::uint64_t>(st.st_dev) ||
                seen->second.second != static_cast<std::uint64_t>(st.st_ino))) {
        problem = "it is not the file the scan judged";
    }
    if (!problem.empty()) {
        ::close(file);
        ::close(folder);
        return fail(problem);
    }
    return std::make_unique<WineHeldFile>(folder, file, located.entry.hostName, st);
}

}  // namespace vostrel
