// The file system of a Wine prefix as Windows programs running in it see
// it: drive letters from dosdevices/, names matched without regard to
// letter case or through Wine's 8.3 names, attributes as Wine derives them
// from the host, and the folders Wine gives a fresh prefix.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/file_system_api.h"
#include "system/wine/wine_drives.h"
#include "system/wine/wine_files_listing.h"
#include "system/wine/wine_files_path.h"

namespace vostrel {

class WineFileSystem : public FileSystemApi {
public:
    // `driveTypes` is what HKLM\Software\Wine\Drives says ('D' -> CdRom),
    // keyed by upper-case letter; drives it does not name get the default.
    // `settle` (nanoseconds): how long after its last change a folder's
    // listing may be kept; tests shorten it.
    WineFileSystem(std::string prefixPath, std::map<char, DriveType> driveTypes,
                   std::int64_t settle = 2'000'000'000);

    std::string GetWindowsDirectory() override;
    std::string GetSystemDirectory() override;
    std::string GetShortPathName(std::string_view path) override;
    LONG FindFiles(std::string_view pattern, std::vector<FindData>* found) override;
    DWORD GetFileAttributes(std::string_view path) override;
    std::vector<Drive> GetDrives() override;
    bool GetVolumeInformation(std::string_view root, std::string* label) override;
    std::string GetTempPath() override;
    bool DeleteFile(std::string_view path) override;
    bool CopyFile(std::string_view from, std::string_view to) override;
    std::optional<std::string> HostPath(std::string_view windowsPath) override;
    void ForgetCache() override;
    std::optional<std::string> PrefixFolder() override { return prefix_; }

    // The drive walk (wine_files_walk.cpp). A drive is the prefix's own when
    // its folder, links resolved, lies inside the prefix; any other drive is
    // the host's. The walk of any drive never enters a Wine prefix (another
    // one, or this one again through a host drive), never crosses into
    // another file system below the drive's root, never opens anything but
    // regular files and folders, and on a prefix drive follows no folder
    // link out of the prefix - but for the Desktop folders of C:\users\*,
    // whose own files are checked.
    DriveState StateOfDrive(char letter) override;
    HostFilePresence StateOfHostFile(std::string_view hostPath) override;
    DriveOwner OwnerOfDrive(char letter) override;
    WalkEntry ClassifyWalkEntry(std::string_view driveRoot, std::string_view path,
                                DWORD attributes) override;
    std::unique_ptr<HeldFile> HoldWalkedFile(std::string_view path, std::string* why,
                                             bool* gone) override;
    // The walk's own listing: each folder opened once, relative to its
    // parent, and read once; every entry judged from the listing (the
    // entry's type from the listing itself, one stat at most for links and
    // shortcut files), so that a walk costs about what find does.
    std::unique_ptr<DriveWalker> StartDriveWalk(std::string_view driveRoot) override;

private:
    // A folder of a drive found on the host.
    struct Folder {
        LONG status = ERROR_SUCCESS;
        std::string hostPath;
        DWORD attributes = 0;        // its own, as "." shows them
        DWORD parentAttributes = 0;  // its parent's, as ".." shows them
        std::string parentHostPath;
        bool driveRoot = true;
    };
    // One existing entry named by a path.
    struct Located {
        LONG status = ERROR_SUCCESS;
        std::string hostFolder;
        std::string hostPath;
        HostEntry entry;
    };

    // A drive's root folder on the host and its attributes; nothing when
    // the prefix has no such drive or its folder is missing. A drive found
    // is kept until ForgetCache; a missing one is looked for every time.
    struct DriveRoot {
        std::string hostPath;
        DWORD attributes = 0;
    };
    const DriveRoot* FindDriveRoot(char drive);

    Folder FindFolder(char drive, const std::vector<std::string>& parts, std::size_t count);
    Located Locate(std::string_view path);
    void AddDotEntries(const Folder& folder, std::u16string_view mask,
                       std::vector<FindData>* found);

    // What the walk knows of a drive: its resolved root, the root's file
    // system and whether it is the prefix's own.
    struct WalkDrive {
        std::string realRoot;
        std::uint64_t device = 0;
        bool machineOwn = true;
    };
    const WalkDrive* FindWalkDrive(char drive);
    // What ClassifyWalkEntry says of an entry whose host path is known;
    // *real (may be null) gets the resolved path of a folder to walk.
    WalkEntry ClassifyHostEntry(const WalkDrive& drive, std::string_view path,
                                const std::string& host, bool isRoot, std::string* real);
    // Notes the device and inode of a shortcut file the walk hands on.
    void NoteWalkedFile(std::string_view path, std::uint64_t device, std::uint64_t inode);
    // The resolved prefix folder; empty when it cannot be resolved.
    const std::string& RealPrefix();
    // True when a resolved folder lies in the tree the walk of `drive` may
    // reach (a shortcut there may be removed); *why says why not.
    bool InWalkedTree(char drive, std::string_view windowsFolder, const std::string& realFolder,
                      std::string* why);

    friend class WineDriveWalker;

    // The entry the walk is looking at: HostPath of its path is answered
    // from the walk's listing, without a look-up through every folder.
    struct WalkedEntry {
        bool active = false;
        std::string windowsPath;
        std::string hostPath;
    };
    WalkedEntry walking_;

    std::string prefix_;
    std::string realPrefix_;
    std::map<char, WalkDrive> walkDrives_;
    // The device and inode of every shortcut file the walk handed on, by
    // upper-cased Windows path: the repair removes only that very file.
    std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> walkedFiles_;
    std::map<char, DriveType> driveTypes_;
    FolderCache cache_;
    std::map<char, DriveRoot> roots_;
    // What StateOfDrive said of each letter since the last ForgetCache.
    std::map<char, DriveState> driveStates_;
};

}  // namespace vostrel
