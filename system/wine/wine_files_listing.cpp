#include "system/wine/wine_files_listing.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "system/text.h"
#include "system/wine/wine_files_path.h"
#include "system/wine/wine_shortname.h"

namespace vostrel {

namespace {

constexpr DWORD kStoredMask = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Wine hides a Unix dot-file, whatever else is stored for it.
bool IsDotFile(std::string_view name) { return name.size() > 1 && name[0] == '.' && name != ".."; }

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

HostEntry MakeEntry(std::string hostName, DWORD attributes, std::uint64_t size) {
    HostEntry entry;
    entry.wide = Utf8ToUtf16(hostName);
    entry.name = Utf16ToUtf8(entry.wide);
    entry.shortName = WineShortName(entry.name);
    entry.wideShort = Utf8ToUtf16(entry.shortName);
    entry.hostName = std::move(hostName);
    entry.attributes = attributes;
    entry.size = size;
    return entry;
}

std::u16string UpperName(std::u16string_view name) {
    std::u16string upper(name);
    for (char16_t& c : upper) c = UpcaseUnit(c);
    return upper;
}

// File systems whose times have nanoseconds, taken from the kernel's clock:
// ext2/3/4, XFS, Btrfs, tmpfs, F2FS, overlayfs.
bool FineStamps(unsigned long type) {
    switch (type) {
        case 0xEF53ul:
        case 0x58465342ul:
        case 0x9123683Eul:
        case 0x01021994ul:
        case 0xF2F52010ul:
        case 0x794C7630ul: return true;
        default: return false;
    }
}

LONG StatusOfErrno(int error) {
    return error == EACCES || error == EPERM ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND;
}

}  // namespace

std::string JoinHostPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') path.push_back('/');
    path.append(name);
    return path;
}

DWORD StoredDosAttributes(const std::string& hostPath) {
    char text[11] = {};
    const ssize_t length = getxattr(hostPath.c_str(), "user.DOSATTRIB", text, sizeof text - 1);
    if (length <= 2 || text[0] != '0' || text[1] != 'x') return 0;
    text[length] = '\0';
    char* end = nullptr;
    const long value = std::strtol(text, &end, 16);
    if (*end != '\0') return 0;
    return static_cast<DWORD>(value) & kStoredMask;
}

DWORD HostAttributes(const std::string& hostPath, std::string_view name, std::uint64_t* size,
                     bool stored) {
    struct stat st {};
    if (lstat(hostPath.c_str(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
    DWORD attributes = 0;
    if (S_ISLNK(st.st_mode)) {
        if (stat(hostPath.c_str(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
        if (S_ISDIR(st.st_mode)) attributes |= kAttributeReparsePoint;
    }
    const bool folder = S_ISDIR(st.st_mode);
    attributes |= folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) attributes |= FILE_ATTRIBUTE_READONLY;
    if (IsDotFile(name)) attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (stored) attributes |= StoredDosAttributes(hostPath);
    if (size) *size = folder ? 0 : static_cast<std::uint64_t>(st.st_size);
    return attributes;
}

std::shared_ptr<const FolderListing> ReadFolder(const std::string& hostFolder) {
    auto listing = std::make_shared<FolderListing>();
    DIR* dir = opendir(hostFolder.c_str());
    if (!dir) {
        listing->status = StatusOfErrno(errno);
        return listing;
    }
    while (const dirent* item = readdir(dir)) {
        const std::string_view name = item->d_name;
        if (name == "." || name == "..") continue;
        std::uint64_t size = 0;
        const DWORD attributes = HostAttributes(JoinHostPath(hostFolder, name), name, &size, false);
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;  // a dangling link
        listing->entries.push_back(MakeEntry(std::string(name), attributes, size));
    }
    closedir(dir);
    std::sort(listing->entries.begin(), listing->entries.end(),
              [](const HostEntry& a, const HostEntry& b) { return NameBefore(a.wide, b.wide); });
    for (std::size_t i = 0; i < listing->entries.size(); ++i) {
        const HostEntry& entry = listing->entries[i];
        listing->byName.try_emplace(UpperName(entry.wide), i);
        if (!entry.wideShort.empty())
            listing->byShortName.try_emplace(UpperName(entry.wideShort), i);
    }
    return listing;
}

const HostEntry* FindEntry(const FolderListing& listing, std::u16string_view name) {
    const std::u16string upper = UpperName(name);
    if (const auto it = listing.byName.find(upper); it != listing.byName.end()) {
        for (std::size_t i = it->second; i < listing.entries.size(); ++i) {
            const HostEntry& entry = listing.entries[i];
            if (!NamesEqualNoCase(entry.wide, name)) break;
            if (entry.wide == name) return &entry;
        }
        return &listing.entries[it->second];
    }
    const bool mayBeShort = name.find(u'~') != std::u16string_view::npos && IsLegal83Name(name);
    if (!mayBeShort) return nullptr;
    const auto it = listing.byShortName.find(upper);
    return it == listing.byShortName.end() ? nullptr : &listing.entries[it->second];
}

std::shared_ptr<const FolderListing> FolderCache::List(const std::string& hostFolder) {
    // The moment before the folder is looked at: any change made after it
    // gets a later time than a stamp older than it by a clock tick.
    timespec looked{};
    clock_gettime(CLOCK_REALTIME, &looked);
    struct stat st {};
    if (stat(hostFolder.c_str(), &st) != 0) {
        Forget(hostFolder);
        auto missing = std::make_shared<FolderListing>();
        missing->status = StatusOfErrno(errno);
        return missing;
    }
    const Stamp stamp{st.st_dev, st.st_ino, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
    const auto it = slots_.find(hostFolder);
    if (it != slots_.end() && it->second.stamp == stamp) {
        ages_.splice(ages_.begin(), ages_, it->second.age);
        return it->second.listing;
    }
    auto listing = ReadFolder(hostFolder);
    if (ChangedJustBefore(stamp, Nanoseconds(looked), hostFolder)) {
        Forget(hostFolder);  // a change in the same clock tick would not move the stamp
        return listing;
    }
    Store(hostFolder, stamp, listing);
    return listing;
}

// Folder times move in ticks: a folder changed within a tick of the moment
// it was looked at may change again without its stamp moving. The local
// file systems of Linux stamp in nanoseconds from a clock that moves every
// few milliseconds; any other (FAT keeps two seconds, a network share the
// server's clock) gets the full settling time.
bool FolderCache::ChangedJustBefore(const Stamp& stamp, std::int64_t looked,
                                    const std::string& hostFolder) {
    const std::int64_t age = looked - std::max(stamp.modified, stamp.changed);
    if (age >= settle_) return false;
    constexpr std::int64_t kFineTick = 50'000'000;
    if (age < kFineTick) return true;
    auto known = fineStamps_.find(stamp.device);
    if (known == fineStamps_.end()) {
        struct statfs fs {};
        const bool fine = statfs(hostFolder.c_str(), &fs) == 0 &&
                          FineStamps(static_cast<unsigned long>(fs.f_type));
        known = fineStamps_.emplace(stamp.device, fine).first;
    }
    return !known->second;
}

void FolderCache::Store(const std::string& hostFolder, const Stamp& stamp,
                        std::shared_ptr<const FolderListing> listing) {
    Forget(hostFolder);
    if (capacity_ == 0) return;
    while (slots_.size() >= capacity_) {
        slots_.erase(ages_.back());
        ages_.pop_back();
    }
    ages_.push_front(hostFolder);
    slots_.emplace(hostFolder, Slot{stamp, std::move(listing), ages_.begin()});
}

void FolderCache::Forget(const std::string& hostFolder) {
    const auto it = slots_.find(hostFolder);
    if (it == slots_.end()) return;
    ages_.erase(it->second.age);
    slots_.erase(it);
}

void FolderCache::ForgetAll() {
    slots_.clear();
    ages_.clear();
}

}  // namespace vostrel
