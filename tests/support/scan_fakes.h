// Small in-memory stand-ins for the machine, the settings and the window,
// for tests of the scan engine and its views:
// - the registry is the one in-memory registry of the tests (MemoryRegistry);
// - FakeFileSystem: files and folders by Windows path, a drive collection,
//   the Windows and system folders, and the file search with wildcards;
// - MemorySettings: the settings store as a map, keys without regard to case;
// - FakeMachine: a scan session over them, with a RecordingObserver.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "session/scan_session.h"
#include "support/memory_registry.h"
#include "support/recording_observer.h"
#include "system/file_system_api.h"
#include "system/registry_api.h"
#include "system/settings.h"

namespace vostrel::testing {

class FakeFileSystem final : public FileSystemApi {
public:
    FakeFileSystem();

    // A file (with its folders); attributes as FindFirstFile reports them.
    void AddFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_ARCHIVE);
    void AddFolder(const std::string& path);
    void RemoveFile(const std::string& path);
    void SetDrives(std::vector<Drive> drives) { drives_ = std::move(drives); }
    void SetWindowsDirectory(std::string dir) { windows_ = std::move(dir); }
    // The drive of `letter` (upper case) is the host's, mapped to `hostFolder`.
    void SetHostDrive(char letter, std::string hostFolder) {
        hostDrives_[letter] = std::move(hostFolder);
    }
    int searches() const { return searches_; }

    std::string GetWindowsDirectory() override { return windows_; }
    std::string GetSystemDirectory() override {
        return windows_.empty() ? "" : windows_ + "\\system32";
    }
    std::string GetShortPathName(std::string_view path) override;
    LONG FindFiles(std::string_view pattern, std::vector<FindData>* found) override;
    DWORD GetFileAttributes(std::string_view path) override;
    std::vector<Drive> GetDrives() override { return drives_; }
    bool GetVolumeInformation(std::string_view root, std::string* label) override;
    std::string GetTempPath() override { return "C:\\windows\\temp\\"; }
    bool DeleteFile(std::string_view path) override;
    bool CopyFile(std::string_view from, std::string_view to) override;
    std::optional<std::string> HostPath(std::string_view windowsPath) override;
    DriveOwner OwnerOfDrive(char letter) override {
        const auto host = hostDrives_.find(letter);
        if (host == hostDrives_.end()) return {};
        return {false, host->second};
    }

private:
    std::map<char, std::string> hostDrives_;
    std::map<std::string, FindData> entries_;  // by upper-case full path
    std::vector<Drive> drives_{{'C', DriveType::Fixed}};
    std::string windows_ = "C:\\windows";
    int searches_ = 0;
};

class MemorySettings final : public SettingsStore {
public:
    std::string Get(std::string_view key, std::string_view fallback) override;
    bool Save(std::string_view key, std::string_view value) override;
    std::map<std::string, std::string> values;  // by upper-case key
};

// A scan session over the fakes, with events let through at every point (no
// throttling), so that tests see every place where events run.
struct FakeMachine {
    MemoryRegistry registry;
    FakeFileSystem files;
    MemorySettings settings;
    RecordingObserver observer;
    ScanSession session{registry, files, settings, observer};
    FakeMachine();
};

}  // namespace vostrel::testing
