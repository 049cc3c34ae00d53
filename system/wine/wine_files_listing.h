// Host folders as Wine shows them to Windows programs: each entry with its
// 8.3 name and the attributes Wine derives from the host (directory,
// read-only from the write bits, hidden and system from the
// "user.DOSATTRIB" extended attribute, dot-files hidden), in Wine's order.
//
// FolderCache keeps the listings of recently used folders so that a scan
// does not read the same folder for every value that names a file in it.
// A listing is used again only while its folder's change stamp (inode,
// modification and change times) is what it was when it was read, and a
// folder changed just before it was read is not kept (its times move in
// ticks, so a second change might not move them: within 50 ms on the local
// file systems of Linux, two seconds on any other), so files added,
// removed or renamed by anyone show at once; attribute
// changes of existing files show after Forget/ForgetAll, which the owner
// calls after its own writes and at the start of every scan.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "system/winapi.h"

namespace vostrel {

inline constexpr DWORD kAttributeReparsePoint = 0x400;

// A listed entry's attributes leave out the hidden and system bits stored in
// "user.DOSATTRIB": reading that for every entry of every folder listed
// would cost a call per entry where most look-ups only ask whether a name
// exists. Whoever hands attributes on adds them (StoredDosAttributes).
struct HostEntry {
    std::string hostName;   // the name's bytes on the host
    std::string name;       // the long name as Windows sees it (UTF-8)
    std::u16string wide;    // the same in UTF-16, for matching and order
    std::string shortName;  // the 8.3 name; empty when the name is one
    std::u16string wideShort;
    DWORD attributes = 0;
    std::uint64_t size = 0;
};

struct FolderListing {
    LONG status = ERROR_SUCCESS;  // ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED
    std::vector<HostEntry> entries;
    // Upper-case name -> the first entry of that name; entries equal but
    // for letter case stand next to each other. Upper-case short name ->
    // the first entry with that short name.
    std::unordered_map<std::u16string, std::size_t> byName;
    std::unordered_map<std::u16string, std::size_t> byShortName;
};

// The attributes of a host file or folder, `name` being its last part (it
// decides the dot-file rule); INVALID_FILE_ATTRIBUTES when it does not
// exist (a dangling link does not). `size` (may be null) gets the file size.
// `stored`: with the bits of "user.DOSATTRIB".
DWORD HostAttributes(const std::string& hostPath, std::string_view name, std::uint64_t* size,
                     bool stored = true);

// The hidden and system bits stored in "user.DOSATTRIB" ("0x6"), 0 when
// there is nothing usable.
DWORD StoredDosAttributes(const std::string& hostPath);

// "dir" + "/" + "name" without doubling the slash of "/".
std::string JoinHostPath(const std::string& folder, std::string_view name);

// The entry a Windows name means: the exact name, else the first name equal
// without regard to letter case, else (for a valid 8.3 name with a '~') the
// entry whose short name it is. Null when there is none.
const HostEntry* FindEntry(const FolderListing& listing, std::u16string_view name);

class FolderCache {
public:
    // `settle`: how long after its last change a folder's listing may be
    // kept (nanoseconds).
    explicit FolderCache(std::size_t capacity = 512, std::int64_t settle = 2'000'000'000)
        : capacity_(capacity), settle_(settle) {}

    // The listing of a host folder, read afresh when it changed since.
    std::shared_ptr<const FolderListing> List(const std::string& hostFolder);

    void Forget(const std::string& hostFolder);
    void ForgetAll();

private:
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        std::int64_t modified = 0;  // nanoseconds
        std::int64_t changed = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Slot {
        Stamp stamp;
        std::shared_ptr<const FolderListing> listing;
        std::list<std::string>::iterator age;
    };

    bool ChangedJustBefore(const Stamp& stamp, std::int64_t looked, const std::string& hostFolder);
    void Store(const std::string& hostFolder, const Stamp& stamp,
               std::shared_ptr<const FolderListing> listing);

    std::size_t capacity_;
    std::int64_t settle_;
    std::unordered_map<std::string, Slot> slots_;
    std::list<std::string> ages_;                 // most recently used first
    std::unordered_map<dev_t, bool> fineStamps_;  // by device: times in nanoseconds
};

// Reads a folder now, without the cache.
std::shared_ptr<const FolderListing> ReadFolder(const std::string& hostFolder);

}  // namespace vostrel
