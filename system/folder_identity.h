// Telling folders apart on the host: the same folder reached through two
// links has one identity (device and inode on Linux), so a walk that follows
// links can refuse to enter a folder twice. Pseudo file systems (/proc, /sys,
// /dev and their kind) are flagged so that no walk ever enters them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vostrel {

struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool pseudo = false;  // a kernel or device file system, not files of a user

    bool operator<(const FolderIdentity& other) const {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

// The identity of the folder at a host path (links followed); nothing when
// the path cannot be examined.
std::optional<FolderIdentity> IdentifyHostFolder(const std::string& hostPath);

}  // namespace vostrel
