// The checks of the registry sections. Each takes the six check arguments in
// the program's order: the root's handle and name, the value's name, its
// data as text (a copy the check may clean as it goes), the section key and
// the path of the key holding the value. A missing file is recorded with
// AddRegistryProblem; nothing else is written anywhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/scan_session.h"
#include "system/winapi.h"

namespace vostrel {

using ValueCheck = void (*)(ScanSession& session, HKEY rootKey, std::string_view rootName,
                            std::string_view valueName, std::string& valueData,
                            std::string_view sectionKey, std::string_view keyPath);

#define VOSTREL_CHECK(name)                                                                    \
    void name(ScanSession& session, HKEY rootKey, std::string_view rootName,                   \
              std::string_view valueName, std::string& valueData, std::string_view sectionKey, \
              std::string_view keyPath)

// Class registrations ("ActiveX \ COM", "ActiveX \ COM Subsections").
VOSTREL_CHECK(CheckComClassValue);
// True when the first character of the path is the letter of a fixed drive.
bool IsOnFixedDrive(ScanSession& session, std::string_view path);

// Software locations, help files, shared files, virtual devices, fonts.
VOSTREL_CHECK(CheckAppPathValue);
VOSTREL_CHECK(CheckHelpFileValue);
VOSTREL_CHECK(CheckSharedToolValue);
VOSTREL_CHECK(CheckVirtualDeviceValue);
VOSTREL_CHECK(CheckFontValue);

// Startup and uninstall entries.
VOSTREL_CHECK(CheckUninstallValue);
VOSTREL_CHECK(CheckCommandLine);
VOSTREL_CHECK(CheckUninstallFilePath);
VOSTREL_CHECK(CheckQuietUninstallString);
VOSTREL_CHECK(CheckInstallLocation);
VOSTREL_CHECK(CheckDrivePaths);
VOSTREL_CHECK(CheckSystemFolderFile);

// The deeper sections. Shared DLLs and compatibility layers: the value's
// name is a program's or library's path. Installer folders: the name is a
// folder. The MUI cache: the name is a program's path with the suffix of
// what is cached about it.
VOSTREL_CHECK(CheckNamedFileValue);
VOSTREL_CHECK(CheckNamedFolderValue);
VOSTREL_CHECK(CheckMuiCacheValue);
// A service's ImagePath, a sound event's wave file, a type library's file.
VOSTREL_CHECK(CheckServiceValue);
VOSTREL_CHECK(CheckSoundEventValue);
VOSTREL_CHECK(CheckTypeLibraryValue);
// A class's verb commands and icon.
VOSTREL_CHECK(CheckFileAssociationValue);

#undef VOSTREL_CHECK

// The names of the keys from `base` down to the key at `keyPath` (compared
// without regard to letter case), or nothing when keyPath does not lie
// below base.
std::optional<std::vector<std::string_view>> KeysBelow(std::string_view keyPath,
                                                       std::string_view base);

}  // namespace vostrel
