// Whether a host path that is not there lies on a disk that is not there.
//
// People keep prefixes and games on external or second disks. Unplugged,
// the disk's folder under /media, /run/media or /mnt is missing; not
// mounted, its mount point is an empty folder. Either way a file below it is
// out of reach, not deleted. A path whose nearest existing folder is an
// ordinary folder with something in it really is gone.
#pragma once

#include <string>
#include <vector>

namespace vostrel {

// The folders under which removable and second disks are mounted
// ("/media/usb", "/media/ann/usb", "/run/media/ann/usb", "/mnt/games").
// Tests build their own.
struct MountRoots {
    std::vector<std::string> roots{"/media", "/run/media", "/mnt"};
    std::string fstab = "/etc/fstab";  // the mount points the system knows
};
const MountRoots& DefaultMountRoots();

// The path itself when it exists, else its nearest folder that does ("/"
// at worst).
std::string NearestExisting(const std::string& hostPath);

// True when the folder exists and holds nothing.
bool IsEmptyHostFolder(const std::string& folder);

// True when `hostPath` does not exist and lies on a disk that is not there:
// its nearest existing folder is a mount root, or a folder right below one
// that is not itself a mounted disk ("/media/ann", an empty "/mnt/games"),
// or an empty folder that the system's table of file systems mounts a
// disk on. An empty folder anywhere else is only an empty folder. *why, when given, says which.
bool OnAbsentDisk(const std::string& hostPath, std::string* why,
                  const MountRoots& roots = DefaultMountRoots());

}  // namespace vostrel
