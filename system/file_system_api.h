// The file system as the program needs it from the platform: kernel32's
// folder look-ups, the file search, attributes, drives and the few file
// operations of repair and backup, all on Windows paths in UTF-8.
//
// One backend per platform: a Wine prefix's dosdevices, a mounted Windows
// disk, or the live Windows file system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/winapi.h"

namespace vostrel {

// One entry found by a search, as WIN32_FIND_DATA gives it.
struct FindData {
    DWORD attributes = 0;
    std::string name;       // the long name
    std::string shortName;  // the 8.3 name; empty when the long name is already one
    std::uint64_t size = 0;
};

struct Drive {
    char letter = 'C';  // upper case
    DriveType type = DriveType::Fixed;
};

class FileSystemApi {
public:
    virtual ~FileSystemApi() = default;

    // GetWindowsDirectoryA / GetSystemDirectoryA: the folder without a
    // trailing backslash; an empty text when the call fails.
    virtual std::string GetWindowsDirectory() = 0;
    virtual std::string GetSystemDirectory() = 0;

    // GetShortPathNameA: the short form of an existing path; empty when the
    // path does not exist.
    virtual std::string GetShortPathName(std::string_view path) = 0;

    // FindFirstFileA/FindNextFileA over one pattern: the last part of the
    // path may hold * and ?; names match without regard to letter case, long
    // and short names alike. Entries come in the platform's listing order
    // ("." and ".." included when the pattern matches them, as Windows does).
    // ERROR_SUCCESS with at least one entry; ERROR_FILE_NOT_FOUND or
    // ERROR_PATH_NOT_FOUND when nothing matches; any other status when the
    // platform refuses the search (invalid name, drive not ready).
    virtual LONG FindFiles(std::string_view pattern, std::vector<FindData>* found) = 0;

    // GetFileAttributesA: INVALID_FILE_ATTRIBUTES for a missing path.
    virtual DWORD GetFileAttributes(std::string_view path) = 0;

    // The drive collection, in the platform's order (A to Z).
    virtual std::vector<Drive> GetDrives() = 0;

    // GetVolumeInformationA of a drive root ("C:\"): true when the volume is
    // ready (a label may be empty).
    virtual bool GetVolumeInformation(std::string_view root, std::string* label) = 0;

    // GetTempPathA: the temporary folder with a trailing backslash.
    virtual std::string GetTempPath() = 0;

    // DeleteFileA / CopyFileA (failIfExists false). True on success.
    virtual bool DeleteFile(std::string_view path) = 0;
    virtual bool CopyFile(std::string_view from, std::string_view to) = 0;

    // Where a Windows path lives on the host, when it maps to one (the Wine
    // backend); the native backend returns the path itself.
    virtual std::optional<std::string> HostPath(std::string_view windowsPath) = 0;

    // The Wine prefix this file system belongs to (its folder on the host);
    // nothing for the live Windows machine. Backups record it.
    virtual std::optional<std::string> PrefixFolder() { return std::nullopt; }

    // Forgets whatever the backend cached about folder contents, so that a
    // later search sees the disk as it is now. Called at scan start and after
    // every change the program makes itself.
    virtual void ForgetCache() {}
};

}  // namespace vostrel
