#include "system/folder_identity.h"

#include <sys/stat.h>
#include <sys/statfs.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <string_view>

namespace vostrel {

namespace {

// Magic numbers of the kernel's pseudo file systems (linux/magic.h).
constexpr std::array<unsigned long, 16> kPseudoMagic{
    0x9fa0ul,      // proc
    0x62656572ul,  // sysfs
    0x1cd1ul,      // devpts
    0x27e0ebul,    // cgroup
    0x63677270ul,  // cgroup2
    0x64626720ul,  // debugfs
    0x74726163ul,  // tracefs
    0x73636673ul,  // securityfs
    0x6165676cul,  // pstore
    0xcafe4a11ul,  // bpf
    0x62656570ul,  // configfs
    0x65735543ul,  // fusectl
    0x19800202ul,  // mqueue
    0x42494e4dul,  // binfmt_misc
    0x958458f6ul,  // hugetlbfs
    0x6e736673ul,  // nsfs
};

bool IsUnder(std::string_view path, std::string_view top) {
    if (path.substr(0, top.size()) != top) return false;
    return path.size() == top.size() || path[top.size()] == '/';
}

// /dev is a tmpfs-like device file system, known only by its place.
bool IsDeviceFolder(const std::string& hostPath) {
    char resolved[PATH_MAX];
    if (!::realpath(hostPath.c_str(), resolved)) return false;
    return IsUnder(resolved, "/dev") || IsUnder(resolved, "/proc") || IsUnder(resolved, "/sys");
}

// devtmpfs reports the magic number of tmpfs.
constexpr unsigned long kTmpfsMagic = 0x01021994ul;

bool IsPseudoFileSystem(const std::string& hostPath) {
    struct statfs fs {};
    if (::statfs(hostPath.c_str(), &fs) != 0) return IsDeviceFolder(hostPath);
    const auto type = static_cast<unsigned long>(fs.f_type);
    for (unsigned long magic : kPseudoMagic)
        if (type == magic) return true;
    return type == kTmpfsMagic && IsDeviceFolder(hostPath);
}

}  // namespace

std::optional<FolderIdentity> IdentifyHostFolder(const std::string& hostPath) {
    struct stat st {};
    if (::stat(hostPath.c_str(), &st) != 0) return std::nullopt;
    FolderIdentity id;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.pseudo = IsPseudoFileSystem(hostPath);
    return id;
}

}  // namespace vostrel
