// The live Windows file system through kernel32's ANSI functions.
#pragma once

#include <map>

#include "system/file_system_api.h"

namespace vostrel {

class Win32FileSystem final : public FileSystemApi {
public:
    std::string GetWindowsDirectory() override;
    std::string GetSystemDirectory() override;
    std::string GetShortPathName(std::string_view path) override;
    LONG FindFiles(std::string_view pattern, std::vector<FindData>* found) override;
    DWORD GetFileAttributes(std::string_view path) override;
    std::vector<Drive> GetDrives() override;
    DriveState StateOfDrive(char letter) override;
    void ForgetCache() override { driveStates_.clear(); }
    bool GetVolumeInformation(std::string_view root, std::string* label) override;
    std::string GetTempPath() override;
    bool DeleteFile(std::string_view path) override;
    bool CopyFile(std::string_view from, std::string_view to) override;
    std::optional<std::string> HostPath(std::string_view windowsPath) override;

private:
    DriveState LookAtDrive(char letter);
    // What StateOfDrive said of each letter since the last ForgetCache.
    std::map<char, DriveState> driveStates_;
};

}  // namespace vostrel
