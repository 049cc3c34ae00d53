// The file system as the program needs it from the platform: kernel32's
// folder look-ups, the file search, attributes, drives and the few file
// operations of repair and backup, all on Windows paths in UTF-8.
//
// One backend per platform: a Wine prefix's dosdevices, a mounted Windows
// disk, or the live Windows file system.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/winapi.h"

namespace vostrel {

// One entry found by a search, as WIN32_FIND_DATA gives it.
struct FindData {
    DWORD attributes = 0;
    std::string name;       // the long name
    std::string shortName;  // the 8.3 name; empty when the long name is already one
    std::uint64_t size = 0;
};

struct Drive {
    char letter = 'C';  // upper case
    DriveType type = DriveType::Fixed;
};

// Whose files a drive holds: the machine's own (its folder lies inside the
// machine, as C: of a Wine prefix does), or the host's (z: mapped to "/",
// d: to a games folder or a mount point), which the machine merely sees.
struct DriveOwner {
    bool machineOwn = true;
    std::string hostFolder;  // the folder a host drive maps to
};

// What the shortcut walk of a drive does with one entry it meets.
enum class WalkEntry {
    File,             // a regular file: a candidate for the shortcut check
    Folder,           // a folder to walk, with everything below it
    FolderFilesOnly,  // a folder whose own files are checked, nothing below
    Skip,             // anything else: never opened
};

// One entry of a folder as the shortcut walk lists it.
struct WalkItem {
    std::string name;  // the long name, as the search gives it ("." and ".." included)
    // True when the listing already judged the entry: then `attributes` and
    // `kind` are what GetFileAttributes and ClassifyWalkEntry would say of its
    // path, as far as the walk looks at them (the directory bit and the
    // candidate mask; hidden and system are not read).
    bool looked = false;
    DWORD attributes = 0;
    WalkEntry kind = WalkEntry::Skip;
};

// One walk of a drive's folders for the shortcut scan, offered by a backend
// that can list a folder and judge all its entries in one go instead of
// looking every entry up by its path. The walk calls, for every folder it
// comes to: Enter, then (when Enter says yes) List, ShortFolder, Look for
// every entry but "." and "..", the same again for each sub-folder, and
// Leave last. The answers are those the single calls (FindFiles,
// GetShortPathName, GetFileAttributes, ClassifyWalkEntry) would give.
class DriveWalker {
public:
    static constexpr std::size_t kStart = static_cast<std::size_t>(-1);
    virtual ~DriveWalker() = default;
    // Enters a folder (a Windows path ending in a backslash). `item` is its
    // place in the listing of the folder entered last, its parent; kStart for
    // the folder the walk starts at. False when the walk must not look into
    // it: it was entered before in this walk (through a link), or it lies in
    // a kernel file system; such a folder is not left.
    virtual bool Enter(const std::string& folder, std::size_t item) = 0;
    // The search of the entered folder followed by "*": its entries in the
    // platform's order, with the status FindFiles gives.
    virtual LONG List(std::vector<WalkItem>* items) = 0;
    // GetShortPathName of the entered folder, for the progress caption.
    virtual std::string ShortFolder() = 0;
    // Called for an entry of the entered folder (its place in the listing
    // and its path) before the walk acts on it: fills in attributes and kind
    // when the listing left them open.
    virtual void Look(std::size_t item, const std::string& path, WalkItem* entry) = 0;
    // The entered folder and all below it are done.
    virtual void Leave() = 0;
};

// A shortcut file held open for the repair's last look and removal: the
// repair reads it through ReadablePath and removes it through Remove, both
// reaching the very file that was opened, wherever its path now leads.
class HeldFile {
public:
    virtual ~HeldFile() = default;
    // A host path that reads the held file.
    virtual std::string ReadablePath() const = 0;
    // Removes the held file; false (with *why) when it cannot be removed or
    // is no longer the file that was opened.
    virtual bool Remove(std::string* why) = 0;
};

// Whether the files of a drive can be looked at now. A drive whose disk is
// unplugged or not mounted is not a drive whose files were deleted: what
// lies on it is neither missing nor present, only out of reach.
enum class DriveReach {
    Available,
    Unavailable,  // no such drive, or its folder is missing, not a folder or empty
    Network,      // a network share: nothing on it can be judged from here
};

struct DriveState {
    DriveReach reach = DriveReach::Available;
    std::string why;  // for the user: "its folder /media/usb is missing"
};

// What the host says of a file that Wine names by its host path
// ("\??\unix\usr\share\fonts\x.ttf").
enum class HostFilePresence {
    File,        // a file is there
    Missing,     // nothing (or a folder) is there, on a disk that is there
    DiskAbsent,  // the path lies on a disk that is not there
    Unknown,     // the host cannot tell (no host, a folder that cannot be searched)
};

class FileSystemApi {
public:
    virtual ~FileSystemApi() = default;

    // GetWindowsDirectoryA / GetSystemDirectoryA: the folder without a
    // trailing backslash; an empty text when the call fails.
    virtual std::string GetWindowsDirectory() = 0;
    virtual std::string GetSystemDirectory() = 0;

    // GetShortPathNameA: the short form of an existing path; empty when the
    // path does not exist.
    virtual std::string GetShortPathName(std::string_view path) = 0;

    // FindFirstFileA/FindNextFileA over one pattern: the last part of the
    // path may hold * and ?; names match without regard to letter case, long
    // and short names alike. Entries come in the platform's listing order
    // ("." and ".." included when the pattern matches them, as Windows does).
    // ERROR_SUCCESS with at least one entry; ERROR_FILE_NOT_FOUND or
    // ERROR_PATH_NOT_FOUND when nothing matches; any other status when the
    // platform refuses the search (invalid name, drive not ready).
    virtual LONG FindFiles(std::string_view pattern, std::vector<FindData>* found) = 0;

    // GetFileAttributesA: INVALID_FILE_ATTRIBUTES for a missing path.
    virtual DWORD GetFileAttributes(std::string_view path) = 0;

    // The drive collection, in the platform's order (A to Z).
    virtual std::vector<Drive> GetDrives() = 0;

    // GetVolumeInformationA of a drive root ("C:\"): true when the volume is
    // ready (a label may be empty).
    virtual bool GetVolumeInformation(std::string_view root, std::string* label) = 0;

    // GetTempPathA: the temporary folder with a trailing backslash.
    virtual std::string GetTempPath() = 0;

    // DeleteFileA / CopyFileA (failIfExists false). True on success.
    virtual bool DeleteFile(std::string_view path) = 0;
    virtual bool CopyFile(std::string_view from, std::string_view to) = 0;

    // Where a Windows path lives on the host, when it maps to one (the Wine
    // backend); the native backend returns the path itself.
    virtual std::optional<std::string> HostPath(std::string_view windowsPath) = 0;

    // Whether the drive of a letter (upper case) can be looked at now. A
    // backend that cannot tell keeps this default: every drive is there.
    virtual DriveState StateOfDrive(char /*letter*/) { return {}; }

    // Whether the host file at `hostPath` (a host path, "/usr/share/...")
    // exists as a file. A backend without a host (Windows itself) cannot
    // tell.
    virtual HostFilePresence StateOfHostFile(std::string_view /*hostPath*/) {
        return HostFilePresence::Unknown;
    }

    // Whose files the drive of a letter holds. A backend where every drive is
    // the machine's own (Windows itself) keeps this default.
    virtual DriveOwner OwnerOfDrive(char /*letter*/) { return {}; }

    // How the shortcut walk of the drive whose root is `driveRoot` ("C:\")
    // treats the entry at `path` (the root itself included), whose attributes
    // the walk has just read. A backend that knows more than the attributes
    // (what kind of host file it is, where a link leads) keeps the walk
    // inside the machine's own tree.
    virtual WalkEntry ClassifyWalkEntry(std::string_view /*driveRoot*/, std::string_view path,
                                        DWORD attributes) {
        (void)path;
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? WalkEntry::Folder : WalkEntry::File;
    }

    // The walk of the drive whose root is `driveRoot` ("C:\"), when the
    // backend has one of its own; nothing when the walk is to use the single
    // calls above.
    virtual std::unique_ptr<DriveWalker> StartDriveWalk(std::string_view /*driveRoot*/) {
        return nullptr;
    }

    // Opens a shortcut file that an earlier walk judged, for the repair: only
    // when it is still a regular file inside the tree that walk could reach.
    // Null with *why when not; *gone is set when the file no longer exists.
    // This default looks the file up by its path again and removes it by
    // path.
    virtual std::unique_ptr<HeldFile> HoldWalkedFile(std::string_view path, std::string* why,
                                                     bool* gone);

    // The Wine prefix this file system belongs to (its folder on the host);
    // nothing for the live Windows machine. Backups record it.
    virtual std::optional<std::string> PrefixFolder() { return std::nullopt; }

    // Forgets whatever the backend cached about folder contents, so that a
    // later search sees the disk as it is now. Called at scan start and after
    // every change the program makes itself.
    virtual void ForgetCache() {}
};

namespace detail {

// The held file of a backend without handles of its own: the path again.
class PathHeldFile : public HeldFile {
public:
    PathHeldFile(FileSystemApi& files, std::string path, std::string hostPath)
        : files_(files), path_(std::move(path)), hostPath_(std::move(hostPath)) {}
    std::string ReadablePath() const override { return hostPath_; }
    bool Remove(std::string* why) override {
        if (files_.DeleteFile(path_)) return true;
        if (why) *why = "it could not be deleted";
        return false;
    }

private:
    FileSystemApi& files_;
    std::string path_;
    std::string hostPath_;
};

}  // namespace detail

inline std::unique_ptr<HeldFile> FileSystemApi::HoldWalkedFile(std::string_view path,
                                                               std::string* why, bool* gone) {
    if (gone) *gone = false;
    const DWORD attributes = GetFileAttributes(path);
    const auto host = HostPath(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !host) {
        if (gone) *gone = true;
        if (why) *why = "it no longer exists";
        return nullptr;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (why) *why = "it is a folder now";
        return nullptr;
    }
    return std::make_unique<detail::PathHeldFile>(*this, std::string(path), *host);
}

}  // namespace vostrel
