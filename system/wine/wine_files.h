// The file system of a Wine prefix as Windows programs running in it see
// it: drive letters from dosdevices/, names matched without regard to
// letter case or through Wine's 8.3 names, attributes as Wine derives them
// from the host, and the folders Wine gives a fresh prefix.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/file_system_api.h"
#include "system/wine/wine_drives.h"
#include "system/wine/wine_files_listing.h"
#include "system/wine/wine_files_path.h"

namespace vostrel {

class WineFileSystem : public FileSystemApi {
public:
    // `driveTypes` is what HKLM\Software\Wine\Drives says ('D' -> CdRom),
    // keyed by upper-case letter; drives it does not name get the default.
    // `settle` (nanoseconds): how long after its last change a folder's
    // listing may be kept; tests shorten it.
    WineFileSystem(std::string prefixPath, std::map<char, DriveType> driveTypes,
                   std::int64_t settle = 2'000'000'000);

    std::string GetWindowsDirectory() override;
    std::string GetSystemDirectory() override;
    std::string GetShortPathName(std::string_view path) override;
    LONG FindFiles(std::string_view pattern, std::vector<FindData>* found) override;
    DWORD GetFileAttributes(std::string_view path) override;
    std::vector<Drive> GetDrives() override;
    bool GetVolumeInformation(std::string_view root, std::string* label) override;
    std::string GetTempPath() override;
    bool DeleteFile(std::string_view path) override;
    bool CopyFile(std::string_view from, std::string_view to) override;
    std::optional<std::string> HostPath(std::string_view windowsPath) override;
    void ForgetCache() override;
    std::optional<std::string> PrefixFolder() override { return prefix_; }

private:
    // A folder of a drive found on the host.
    struct Folder {
        LONG status = ERROR_SUCCESS;
        std::string hostPath;
        DWORD attributes = 0;        // its own, as "." shows them
        DWORD parentAttributes = 0;  // its parent's, as ".." shows them
        bool driveRoot = true;
    };
    // One existing entry named by a path.
    struct Located {
        LONG status = ERROR_SUCCESS;
        std::string hostFolder;
        std::string hostPath;
        HostEntry entry;
    };

    // A drive's root folder on the host and its attributes; nothing when
    // the prefix has no such drive or its folder is missing. A drive found
    // is kept until ForgetCache; a missing one is looked for every time.
    struct DriveRoot {
        std::string hostPath;
        DWORD attributes = 0;
    };
    const DriveRoot* FindDriveRoot(char drive);

    Folder FindFolder(char drive, const std::vector<std::string>& parts, std::size_t count);
    Located Locate(std::string_view path);
    void AddDotEntries(const Folder& folder, std::u16string_view mask, std::vector<FindData>* found);

    std::string prefix_;
    std::map<char, DriveType> driveTypes_;
    FolderCache cache_;
    std::map<char, DriveRoot> roots_;
};

}  // namespace vostrel
