// The shortcut walk of a Wine prefix's drive at the speed of find: every
// folder is opened once, relative to the folder it was found in, and read
// once; every entry is judged from that listing. The entry's type comes from
// the listing itself, so a plain file or folder costs no call at all; a
// link, or an entry whose type the file system does not report, costs one
// or two stats, and a shortcut file one (its device and inode, for the
// repair). The drive and the prefix are resolved once per walk. The rules
// are those of ClassifyWalkEntry (wine_files_walk.cpp), applied to what the
// listing says:
//
//  - a folder found by the listing lies where its parent lies plus its
//    name, so no path needs resolving; whether it is another file system or
//    a Wine prefix is seen when it is opened (its stat, its own listing),
//    before anything in it is looked at;
//  - hidden and system attributes (user.DOSATTRIB) are never read: no
//    decision of the walk depends on them;
//  - a name Windows cannot take as it is (a character no Windows name may
//    hold, trailing dots or blanks, bytes that are not UTF-8) is looked up
//    through the single calls, as is everything below a folder of such a
//    name, so that odd names come out exactly as the search gives them.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "system/folder_identity.h"
#include "system/text.h"
#include "system/wine/wine_files.h"
#include "system/wine/wine_shortname.h"

namespace vostrel {

namespace {

constexpr std::size_t kMaxPath = 260;

bool Forbidden(unsigned char c) {
    return c < 0x20 || c == '<' || c == '>' || c == '|' || c == '"' || c == ':' || c == '*' ||
           c == '?' || c == '\\' || c == '/';
}

bool IsAscii(std::string_view name) {
    for (const char c : name)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// A host name Windows takes as it is: the search shows it unchanged and a
// path ending in it finds it again.
bool PlainName(std::string_view name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
    for (const char c : name)
        if (Forbidden(static_cast<unsigned char>(c))) return false;
    return IsAscii(name) || Utf16ToUtf8(Utf8ToUtf16(name)) == name;
}

// "X:\name\name\": a folder path made of plain names only.
bool PlainFolder(std::string_view folder) {
    if (folder.size() < 3 || folder[1] != ':' || folder[2] != '\\' || folder.back() != '\\')
        return false;
    const char letter = folder[0];
    if (!((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z'))) return false;
    std::size_t i = 3;
    while (i < folder.size()) {
        const std::size_t end = folder.find('\\', i);
        if (!PlainName(folder.substr(i, end - i))) return false;
        i = end + 1;
    }
    return true;
}

// The file calls of Windows refuse paths of MAX_PATH (260) UTF-16 units and
// more; the single calls do the same.
bool TooLong(std::string_view folder, std::string_view name) {
    if (folder.size() + name.size() < kMaxPath) return false;
    return Utf8ToUtf16(folder).size() + Utf8ToUtf16(name).size() >= kMaxPath;
}

bool HasShortcutEnding(std::string_view name) {
    if (name.size() < 3) return false;
    const std::string ending = UpperAscii(name.substr(name.size() - 3));
    return ending == "LNK" || ending == "URL";
}

}  // namespace

class WineDriveWalker : public DriveWalker {
public:
    WineDriveWalker(WineFileSystem& files, std::string driveRoot, WineFileSystem::WalkDrive drive)
        : files_(files), driveRoot_(std::move(driveRoot)), drive_(std::move(drive)) {}
    ~WineDriveWalker() override {
        while (!levels_.empty()) Leave();
    }

    bool Enter(const std::string& folder, std::size_t item) override;
    LONG List(std::vector<WalkItem>* items) override;
    std::string ShortFolder() override;
    void Look(std::size_t item, const std::string& path, WalkItem* entry) override;
    void Leave() override;

private:
    // An entry of a folder this walk listed itself.
    struct Entry {
        std::string hostName;
        std::string name;     // as Windows shows it
        std::u16string wide;  // the same in UTF-16, for names beyond ASCII
        bool plain = true;    // else judged through the single calls
        // A folder to walk: its resolved path, whether it is reached
        // through a link, and whether its file system and its being a Wine
        // prefix are still to be checked when it is opened.
        unsigned char type = DT_UNKNOWN;  // DT_REG, DT_DIR or anything else, links followed
        bool linked = false;
        std::uint64_t device = 0, inode = 0;  // when stat was asked (links, shortcut files)
        std::string real;
        bool checkOnEnter = false;
    };
    struct Level {
        std::string windows;  // "C:\dir\"
        std::string host;     // as HostPath gives it
        std::string real;     // links resolved
        DIR* dir = nullptr;
        bool searched = false;     // listed through FindFiles, entries looked up one by one
        bool fromListing = false;  // found as a plain entry of its parent's own listing
        std::vector<std::pair<std::string, unsigned char>> raw;  // names and types, as read
        std::vector<Entry> entries;  // sorted, "." and ".." not included
        std::size_t dots = 0;        // "." and ".." in front of the listing
        std::string shortFolder;
    };

    bool EnterSearched(const std::string& folder);
    bool ReadListing(Level& level, int fd, bool checkPrefix);
    bool IsPseudo(std::uint64_t device, const std::string& host);
    static bool Before(const Entry& a, const Entry& b);

    WineFileSystem& files_;
    std::string driveRoot_;
    WineFileSystem::WalkDrive drive_;
    std::vector<Level> levels_;
    std::set<FolderIdentity> entered_;
    std::uint64_t startDevice_ = 0;
    bool startKnown_ = false;
    bool startPseudo_ = false;
};

std::unique_ptr<DriveWalker> WineFileSystem::StartDriveWalk(std::string_view driveRoot) {
    if (driveRoot.size() < 2 || driveRoot[1] != ':') return nullptr;
    const char letter = static_cast<char>(driveRoot[0] & ~0x20);
    if (letter < 'A' || letter > 'Z') return nullptr;
    const WalkDrive* drive = FindWalkDrive(letter);
    if (!drive) return nullptr;  // the single calls skip every entry of a drive that is gone
    RealPrefix();
    return std::make_unique<WineDriveWalker>(*this, std::string(driveRoot), *drive);
}

// The folder as the single calls enter it: looked up by its Windows path.
bool WineDriveWalker::EnterSearched(const std::string& folder) {
    if (const auto host = files_.HostPath(folder)) {
        if (const auto identity = IdentifyHostFolder(*host)) {
            if (identity->pseudo || !entered_.insert(*identity).second) return false;
        }
    }
    Level level;
    level.windows = folder;
    level.searched = true;
    levels_.push_back(std::move(level));
    return true;
}

bool WineDriveWalker::IsPseudo(std::uint64_t device, const std::string& host) {
    if (startKnown_ && device == startDevice_) return startPseudo_;
    const auto identity = IdentifyHostFolder(host);
    return !identity || identity->pseudo;
}

bool WineDriveWalker::Enter(const std::string& folder, std::size_t item) {
    files_.walking_.active = false;
    Level level;
    level.windows = folder;
    int fd = -1;
    bool checkOnEnter = false;
    const Level* parent = levels_.empty() ? nullptr : &levels_.back();
    if (parent && item != kStart) {
        if (parent->searched || item < parent->dots ||
            item - parent->dots >= parent->entries.size())
            return EnterSearched(folder);
        const Entry& from = parent->entries[item - parent->dots];
        if (!from.plain) return EnterSearched(folder);
        level.host = JoinHostPath(parent->host, from.hostName);
        level.real = from.real;
        level.fromListing = true;
        checkOnEnter = from.checkOnEnter;
        fd = ::openat(::dirfd(parent->dir), from.hostName.c_str(),
                      O_RDONLY | O_DIRECTORY | O_CLOEXEC | (from.linked ? 0 : O_NOFOLLOW));
    } else {
        if (!PlainFolder(folder)) return EnterSearched(folder);
        const auto host = files_.HostPath(folder);
        const auto real = host ? RealHostPath(*host) : std::nullopt;
        if (!real) return EnterSearched(folder);
        level.host = *host;
        level.real = *real;
        fd = ::open(level.host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0) ::close(fd);
        // Swapped for something else since it was listed: judged again by
        // its path before the single calls take it.
        if (checkOnEnter && files_.ClassifyWalkEntry(driveRoot_, folder,
                                                     FILE_ATTRIBUTE_DIRECTORY) != WalkEntry::Folder)
            return false;
        return EnterSearched(folder);
    }
    const auto device = static_cast<std::uint64_t>(st.st_dev);
    // A folder below the root on another file system is not the drive's.
    if (checkOnEnter && device != drive_.device) {
        ::close(fd);
        return false;
    }
    FolderIdentity identity{device, static_cast<std::uint64_t>(st.st_ino), false};
    if (!startKnown_) {
        identity.pseudo = IsPseudo(device, level.host);
        startKnown_ = true;
        startDevice_ = device;
        startPseudo_ = identity.pseudo;
    } else {
        identity.pseudo = IsPseudo(device, level.host);
    }
    if (identity.pseudo || entered_.count(identity)) {
        ::close(fd);
        return false;
    }
    if (!ReadListing(level, fd, checkOnEnter)) return false;  // another Wine prefix
    entered_.insert(identity);
    levels_.push_back(std::move(level));
    return true;
}

// Reads the names of an opened folder (taking over `fd`); false when the
// folder turns out to be a Wine prefix and `checkPrefix` asked for that.
bool WineDriveWalker::ReadListing(Level& level, int fd, bool checkPrefix) {
    level.dir = ::fdopendir(fd);
    if (!level.dir) {
        ::close(fd);
        level.searched = true;
        return true;
    }
    bool registry = false, devices = false;
    while (const dirent* item = ::readdir(level.dir)) {
        const std::string_view name = item->d_name;
        if (name == "." || name == "..") continue;
        registry = registry || name == "system.reg";
        devices = devices || name == "dosdevices";
        level.raw.emplace_back(std::string(name), item->d_type);
    }
    const int folder = ::dirfd(level.dir);
    if (checkPrefix && registry && devices) {
        struct stat reg {
        }, dev{};
        if (::fstatat(folder, "system.reg", &reg, 0) == 0 && S_ISREG(reg.st_mode) &&
            ::fstatat(folder, "dosdevices", &dev, 0) == 0 && S_ISDIR(dev.st_mode)) {
            ::closedir(level.dir);
            level.dir = nullptr;
            return false;
        }
    }
    // Entries of a folder that cannot be searched cannot be looked at: the
    // single calls show none of them.
    if (::faccessat(folder, ".", X_OK, AT_EACCESS) != 0) level.searched = true;
    return true;
}

bool WineDriveWalker::Before(const Entry& a, const Entry& b) {
    if (a.wide.empty() && b.wide.empty()) {  // both ASCII: Wine's order without UTF-16
        const std::size_t common = std::min(a.name.size(), b.name.size());
        for (std::size_t i = 0; i < common; ++i) {
            char ua = a.name[i], ub = b.name[i];
            if (ua >= 'a' && ua <= 'z') ua = static_cast<char>(ua - 32);
            if (ub >= 'a' && ub <= 'z') ub = static_cast<char>(ub - 32);
            if (ua != ub) return static_cast<unsigned char>(ua) < static_cast<unsigned char>(ub);
        }
        if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
        return a.name < b.name;
    }
    const std::u16string wa = a.wide.empty() ? Utf8ToUtf16(a.name) : a.wide;
    const std::u16string wb = b.wide.empty() ? Utf8ToUtf16(b.name) : b.wide;
    return NameBefore(wa, wb);
}

LONG WineDriveWalker::List(std::vector<WalkItem>* items) {
    items->clear();
    Level& level = levels_.back();
    if (level.searched) {
        std::vector<FindData> found;
        const LONG status = files_.FindFiles(level.windows + "*", &found);
        items->reserve(found.size());
        for (FindData& entry : found) items->push_back(WalkItem{std::move(entry.name)});
        return status;
    }
    if (TooLong(level.windows, "*")) return ERROR_FILENAME_EXCED_RANGE;
    const int folder = ::dirfd(level.dir);
    level.entries.reserve(level.raw.size());
    for (auto& [hostName, type] : level.raw) {
        Entry entry;
        entry.type = type;
        struct stat st {};
        if (type != DT_REG && type != DT_DIR) {
            if (::fstatat(folder, hostName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;  // gone
            if (S_ISLNK(st.st_mode)) {
                entry.linked = true;
                if (::fstatat(folder, hostName.c_str(), &st, 0) != 0) continue;  // a dangling link
            }
            entry.type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
            entry.device = static_cast<std::uint64_t>(st.st_dev);
            entry.inode = static_cast<std::uint64_t>(st.st_ino);
        } else if (type == DT_REG && HasShortcutEnding(hostName)) {
            // The repair removes only the very file the walk saw.
            if (::fstatat(folder, hostName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            entry.device = static_cast<std::uint64_t>(st.st_dev);
            entry.inode = static_cast<std::uint64_t>(st.st_ino);
        }
        entry.plain = PlainName(hostName);
        if (!IsAscii(hostName)) entry.wide = Utf8ToUtf16(hostName);
        entry.name = entry.plain
                         ? hostName
                         : Utf16ToUtf8(entry.wide.empty() ? Utf8ToUtf16(hostName) : entry.wide);
        entry.hostName = std::move(hostName);
        level.entries.push_back(std::move(entry));
    }
    level.raw.clear();
    level.raw.shrink_to_fit();
    std::sort(level.entries.begin(), level.entries.end(), Before);

    // A drive root has neither "." nor "..".
    level.dots = level.windows.size() > 3 ? 2 : 0;
    items->reserve(level.dots + level.entries.size());
    if (level.dots) {
        items->push_back(WalkItem{"."});
        items->push_back(WalkItem{".."});
    }
    const std::string& prefix = files_.realPrefix_;
    for (Entry& entry : level.entries) {
        WalkItem item{entry.name};
        if (entry.plain) {
            item.looked = true;
            const bool isFolder = entry.type == DT_DIR;
            if (entry.linked || (entry.type != DT_REG && !isFolder)) {
                item.kind = files_.ClassifyHostEntry(drive_, level.windows + entry.name,
                                                     JoinHostPath(level.host, entry.hostName),
                                                     false, &entry.real);
            } else if (!isFolder) {
                item.kind = WalkEntry::File;
                if (HasShortcutEnding(entry.name))
                    files_.NoteWalkedFile(level.windows + entry.name, entry.device, entry.inode);
            } else {
                entry.real = JoinHostPath(level.real, entry.hostName);
                entry.checkOnEnter = true;
                bool inside = false;
                if (drive_.machineOwn)
                    inside = IsInsideHostFolder(entry.real, prefix);
                else
                    inside = !(!prefix.empty() && IsInsideHostFolder(entry.real, prefix)) &&
                             IsInsideHostFolder(entry.real, drive_.realRoot);
                item.kind = inside ? WalkEntry::Folder : WalkEntry::Skip;
            }
            item.attributes =
                isFolder ? FILE_ATTRIBUTE_DIRECTORY | (entry.linked ? kAttributeReparsePoint : 0)
                         : FILE_ATTRIBUTE_ARCHIVE;
            if (TooLong(level.windows, entry.name)) item.attributes = INVALID_FILE_ATTRIBUTES;
        }
        items->push_back(std::move(item));
    }
    return items->empty() ? ERROR_FILE_NOT_FOUND
                          : ERROR_SUCCESS;  // as the search says of an empty root
}

std::string WineDriveWalker::ShortFolder() {
    Level& level = levels_.back();
    const Level* parent = levels_.size() > 1 ? &levels_[levels_.size() - 2] : nullptr;
    if (level.fromListing && parent && !parent->shortFolder.empty()) {
        const std::string name =
            level.windows.substr(parent->windows.size(),
                                 level.windows.size() - parent->windows.size() - 1);
        const std::string shortName = WineShortName(name);
        level.shortFolder = parent->shortFolder + (shortName.empty() ? name : shortName) + "\\";
    } else {
        level.shortFolder = files_.GetShortPathName(level.windows);
    }
    return level.shortFolder;
}

void WineDriveWalker::Look(std::size_t item, const std::string& path, WalkItem* entry) {
    const Level& level = levels_.back();
    if (!level.searched && item >= level.dots && item - level.dots < level.entries.size()) {
        const Entry& found = level.entries[item - level.dots];
        if (found.plain && entry->looked) {
            files_.walking_.windowsPath.assign(path);
            files_.walking_.hostPath.assign(level.host);
            if (files_.walking_.hostPath.empty() || files_.walking_.hostPath.back() != '/')
                files_.walking_.hostPath.push_back('/');
            files_.walking_.hostPath.append(found.hostName);
            files_.walking_.active = true;
            return;
        }
    }
    files_.walking_.active = false;
    entry->attributes = files_.GetFileAttributes(path);
    entry->kind = files_.ClassifyWalkEntry(driveRoot_, path, entry->attributes);
    entry->looked = true;
}

void WineDriveWalker::Leave() {
    files_.walking_.active = false;
    if (levels_.back().dir) ::closedir(levels_.back().dir);
    levels_.pop_back();
}

}  // namespace vostrel
