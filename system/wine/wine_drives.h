// The drives of a Wine prefix: every "x:" entry of its dosdevices folder is
// a drive letter, a link to the folder that is the drive's root ("c:" to
// "../drive_c", "z:" to "/"). Entries such as "d::" (the raw device behind a
// drive) and "com1" are not drives.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/winapi.h"

namespace vostrel {

// A type name of HKLM\Software\Wine\Drives ("hd", "cdrom", "network",
// "floppy", "ramdisk"), compared without regard to letter case.
// Anything else is a fixed disk.
DriveType WineDriveTypeFromText(std::string_view text);

// The type of a drive the registry says nothing about: a: and b: are
// floppies, everything else a fixed disk.
DriveType DefaultWineDriveType(char letter);

// The type of a drive: the registry's word when it has one, else the default.
// `types` is keyed by upper-case letter.
DriveType WineDriveType(const std::map<char, DriveType>& types, char letter);

// The drive letters of the prefix (upper case, A to Z).
std::vector<char> WineDriveLetters(const std::string& prefixPath);

// The host folder that is the root of a drive, with links resolved against
// the dosdevices folder ("/home/ann/.wine/drive_c", "/"); nothing when the
// prefix has no such drive. The folder itself need not exist.
std::optional<std::string> WineDriveRoot(const std::string& prefixPath, char letter);

// A folder is a Wine prefix when it holds "system.reg" and a "dosdevices"
// folder.
bool IsWinePrefixFolder(const std::string& hostPath);

// The host path with every link resolved; nothing when it cannot be
// resolved (a part is missing or cannot be searched).
std::optional<std::string> RealHostPath(const std::string& hostPath);

// True when `path` is `folder` or lies below it (both resolved, no
// trailing slash but for "/").
bool IsInsideHostFolder(std::string_view path, std::string_view folder);

}  // namespace vostrel
