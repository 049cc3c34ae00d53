// Whether a prefix folder that is not there is gone for good, or lies on a
// disk that is not there right now. People keep prefixes on second and
// external disks: unplugged, the disk's folder below /media or /run/media
// is missing; not mounted, its mount point is an empty folder. The menu
// entries of such a prefix are no orphans: they work again once the disk
// is back.
//
// The walk goes up from the prefix folder (following links as the system
// does) to the deepest folder that exists. The prefix is only gone when
// that folder is an ordinary, non-empty folder on the same disk as its
// parent. It is unavailable when that folder is
//   - empty (a mount point with nothing mounted, or a folder on the way),
//   - a mount point (another device than its parent's, or in the mount table),
//   - one of the folders removable disks are mounted below (/media,
//     /run/media/<user>, /mnt) or a folder directly in one of them.
// Anything that cannot be read on the way leaves the question open.
#pragma once

#include <string>
#include <vector>

namespace vostrel::menus {

// Where the system mounts disks, and where its mount table is read.
struct MountPlaces {
    struct MediaRoot {
        std::string path;  // "/run/media"
        int depth = 1;     // how many folders below it are the disks' own (user, label)
    };
    std::vector<MediaRoot> mediaRoots;
    std::string mountInfo;  // a file in the form of /proc/self/mountinfo

    // /media, /run/media (user and label), /mnt and /proc/self/mountinfo.
    static MountPlaces Host();
};

enum class PrefixFolderState {
    Present,      // the folder is there (as a name: it may be a link)
    Gone,         // it was deleted from a disk that is there
    Unavailable,  // the disk that holds it is not there
    Unknown,      // something on the way cannot be read
};

// The state of a prefix folder given as an absolute host path.
PrefixFolderState PrefixFolderStateOf(const std::string& prefix, const MountPlaces& mounts);

// The mount points a mount table (mountinfo) lists, their octal escapes
// (\040 for a blank) undone.
std::vector<std::string> MountPointsOf(const std::string& mountInfoText);

}  // namespace vostrel::menus
