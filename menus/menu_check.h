// Which of Wine's menu entries are stale, for one prefix:
//   - an entry of this prefix (its WINEPREFIX, or no WINEPREFIX when this is
//     the default prefix ~/.wine) whose link (.lnk) is gone from the prefix,
//     or whose program is: the program it names itself, or the target of the
//     link it names;
//   - an entry whose prefix no longer exists at all: no prefix will ever
//     claim it, so it is listed with the scan of any prefix.
// Entries of other prefixes that exist are left to those prefixes' scans.
// Only what is certainly missing counts: a drive the prefix does not map, a
// folder that cannot be read, a link that cannot be read, a short (8.3) name
// that is not found, a bare program name, a file association's ProgID and a
// web address are never a problem.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "menus/menu_entries.h"

namespace vostrel::menus {

struct PrefixUnderTest {
    std::string hostPath;    // the prefix folder
    bool isDefault = false;  // it is ~/.wine, which entries without WINEPREFIX belong to
};

enum class MenuEntryReason {
    LinkMissing,     // the .lnk the entry starts is gone
    ProgramMissing,  // the program is gone (named by the entry, or by its .lnk)
    PrefixMissing,   // the entry's prefix is gone: an orphan
};

struct MenuEntryProblem {
    std::string desktopFile;  // host path of the .desktop file
    std::string name;         // its Name=
    std::string winePrefix;   // the prefix it belongs to (its WINEPREFIX, or ~/.wine)
    std::string target;       // what it starts, as read from its Exec line
    std::string linkTarget;   // for a link whose program is gone: the link's target
    MenuEntryReason reason = MenuEntryReason::LinkMissing;
};

// Reads a .lnk file at a host path and gives its target's Windows path
// (C:\Games\game.exe); an empty string when the link points nowhere that
// can be tested, nothing when the file cannot be read as a link. The
// caller provides it from its shortcut reader.
using LinkTargetReader = std::function<std::optional<std::string>(const std::string& hostPath)>;

// Whether a path is there, as far as can be told.
enum class Presence { Present, Missing, Unknown };

// A Windows path (C:\users\Public\Desktop\Game.lnk) looked up in a prefix
// through its dosdevices drive links, without regard to letter case as
// Wine does. `hostPath` receives the host path found, or where it would be.
Presence WindowsPathPresence(const std::string& prefix, const std::string& windowsPath,
                             std::string* hostPath = nullptr);

// The prefix an entry belongs to: its WINEPREFIX, else the default prefix.
std::string EntryPrefix(const WineMenuEntry& entry, const MenuPlaces& places);

// True when the two name the same prefix folder (the same text once
// normalised, or the same folder on disk).
bool SamePrefix(const std::string& a, const std::string& b);

// Whether a host path that is not there lies on a disk that is not there
// (unplugged, or not mounted): then what it names is out of reach, not gone.
using AbsentDiskTest = std::function<bool(const std::string& hostPath)>;

// The problems among `entries` for `prefix`, in the order of `entries`.
// Orphans (PrefixMissing) come with every prefix. `readLink` may be empty:
// then a link's own target is not looked at. With `onAbsentDisk`, an entry
// whose prefix, link or program is missing from a disk that is not there is
// no problem: it is counted in *outOfReach (when given) and left alone.
std::vector<MenuEntryProblem> CheckMenuEntries(const std::vector<WineMenuEntry>& entries,
                                               const PrefixUnderTest& prefix,
                                               const MenuPlaces& places,
                                               const LinkTargetReader& readLink,
                                               const AbsentDiskTest& onAbsentDisk = nullptr,
                                               std::size_t* outOfReach = nullptr);

}  // namespace vostrel::menus
