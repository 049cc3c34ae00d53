// What a scan finds, as typed records: a registry value that names a file
// that is not there, and a shortcut whose target is gone. The results views,
// the repair, the backup, the scan report and the JSON output all read these
// fields by name.
#pragma once

#include <string>

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
    bool selected = true;       // ticked for repair; a repair leaves the others alone
};

struct ShortcutProblem {
    std::string path;      // the shortcut file, a Windows path
    std::string target;    // its target as the file holds it
    std::string reason;    // why it counts as broken
    bool selected = true;  // ticked for repair; a repair leaves the others alone
};

}  // namespace vostrel
