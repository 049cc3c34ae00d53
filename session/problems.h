// What a scan finds, as typed records: a registry value that names a file
// that is not there, a shortcut whose target is gone, and a menu entry Wine
// made whose program, link or prefix is gone. The results views,
// the repair, the backup, the scan report and the JSON output all read these
// fields by name.
#pragma once

#include <string>
#include <vector>

#include "system/winapi.h"

namespace vostrel {

// The value name shown for a key's unnamed (default) value.
inline constexpr std::string_view kDefaultValueLabel = "(Default)";

struct RegistryProblem {
    HKEY root = kNullKey;
    std::string rootName;       // "HKEY_LOCAL_MACHINE"
    std::string keyPath;        // the key holding the value, below the root
    std::string valueName;      // "(Default)" for the unnamed value
    std::string dataAsRead;     // the value's data as the walk read it
    std::string testedPath;     // the file looked for and not found
    std::string section;        // the catalogue row that found it ("Custom Controls")
    std::string scanner;        // the section's check ("ActiveX \ COM")
    bool systemFolder = false;  // the system folder was put in front of the data
    bool testedFolder = false;  // testedPath is a folder, not a file
    // testedPath is a class that is not registered ("HKEY_CLASSES_ROOT\\txtfile"),
    // not a file: the name a file type's key or its Open With list gives.
    bool testedClass = false;
    // The value is its key's registration and the key holds nothing else
    // that lives: the repair takes the whole key out, with its other values.
    bool wholeKey = false;
    bool selected = true;  // ticked for repair; a repair leaves the others alone
};

struct ShortcutProblem {
    std::string path;      // the shortcut file, a Windows path
    std::string target;    // its target as the file holds it
    std::string reason;    // why it counts as broken
    bool selected = true;  // ticked for repair; a repair leaves the others alone
};

// A menu or desktop entry (a .desktop file of the user's) that Wine's menu
// builder made and that starts something gone. Unlike a shortcut it lies
// outside the machine, on the host, and brings the icons it shows along.
struct MenuEntryProblem {
    std::string path;    // the .desktop file, a host path
    std::string name;    // its Name=
    std::string prefix;  // the prefix it belongs to (its WINEPREFIX, or ~/.wine)
    std::string target;  // what is gone: the program, the link, or the prefix's link
    std::string
        reason;  // kMenuEntryLinkMissing, kMenuEntryProgramMissing or kMenuEntryPrefixMissing
    bool orphan = false;  // its prefix is gone: no prefix will claim it
    // The icon files (host paths) it names that no entry outside the scan's
    // problems names: they go with it unless a problem left alone names them.
    std::vector<std::string> icons;
    bool selected = true;  // ticked for repair; a repair leaves the others alone
};

inline constexpr std::string_view kMenuEntryLinkMissing = "link missing";
inline constexpr std::string_view kMenuEntryProgramMissing = "program missing";
inline constexpr std::string_view kMenuEntryPrefixMissing = "prefix missing";

}  // namespace vostrel
