// Small in-memory stand-ins for the machine, the settings and the window,
// for tests of the scan engine and its views:
// - ScanTreeRegistry: a registry tree with the RegistryApi buffer rules
//   (ERROR_MORE_DATA, NUL-terminated text data), counting open handles;
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
#include "support/recording_observer.h"
#include "system/file_system_api.h"
#include "system/registry_api.h"
#include "system/settings.h"

namespace vostrel::testing {

class ScanTreeRegistry final : public RegistryApi {
public:
    ScanTreeRegistry();
    ~ScanTreeRegistry() override;

    // Setting up: keys are created with all their parents.
    void CreateKey(HKEY root, const std::string& path);
    void SetString(HKEY root, const std::string& path, const std::string& name,
                   const std::string& text, DWORD type = REG_SZ);
    void SetDword(HKEY root, const std::string& path, const std::string& name, std::uint32_t value);
    void SetBytes(HKEY root, const std::string& path, const std::string& name, DWORD type,
                  std::vector<std::uint8_t> bytes);
    // Appends a value without looking for one of the same name (fast set-up
    // of large keys).
    void AppendString(HKEY root, const std::string& path, const std::string& name,
                      const std::string& text);
    void SetPlatformId(DWORD id) { platformId_ = id; }
    std::size_t OpenHandles() const { return handles_.size(); }

    LONG OpenKeyEx(HKEY key, std::string_view subKey, DWORD access, HKEY* result) override;
    LONG OpenKey(HKEY key, std::string_view subKey, HKEY* result) override;
    LONG CreateKeyEx(HKEY key, std::string_view subKey, DWORD options, DWORD access, HKEY* result,
                     DWORD* disposition) override;
    LONG QueryValueEx(HKEY key, std::string_view valueName, DWORD* type, std::uint8_t* data,
                      DWORD* cbData) override;
    LONG SetValueEx(HKEY key, std::string_view valueName, DWORD type, const std::uint8_t* data,
                    DWORD cbData) override;
    LONG DeleteValue(HKEY key, std::string_view valueName) override;
    LONG EnumKeyEx(HKEY key, DWORD index, char* name, DWORD* cchName, char* cls,
                   DWORD* cchClass) override;
    LONG EnumValue(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* type,
                   std::uint8_t* data, DWORD* cbData) override;
    LONG CloseKey(HKEY key) override;
    DWORD GetPlatformId() override { return platformId_; }
    LONG QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type,
                       std::vector<std::uint8_t>* data) override;
    LONG SetValueRaw(HKEY key, std::string_view valueName, DWORD type,
                     std::span<const std::uint8_t> data) override;

    struct Node;

private:
    Node* Resolve(HKEY key);
    Node* Find(Node* from, std::string_view path, bool create);
    HKEY NewHandle(Node* node);

    std::map<HKEY, std::unique_ptr<Node>> roots_;
    std::map<HKEY, Node*> handles_;
    HKEY nextHandle_ = 1;
    DWORD platformId_ = 2;
};

class FakeFileSystem final : public FileSystemApi {
public:
    FakeFileSystem();

    // A file (with its folders); attributes as FindFirstFile reports them.
    void AddFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_ARCHIVE);
    void AddFolder(const std::string& path);
    void RemoveFile(const std::string& path);
    void SetDrives(std::vector<Drive> drives) { drives_ = std::move(drives); }
    void SetWindowsDirectory(std::string dir) { windows_ = std::move(dir); }
    int searches() const { return searches_; }

    std::string GetWindowsDirectory() override { return windows_; }
    std::string GetSystemDirectory() override { return windows_.empty() ? "" : windows_ + "\\system32"; }
    std::string GetShortPathName(std::string_view path) override;
    LONG FindFiles(std::string_view pattern, std::vector<FindData>* found) override;
    DWORD GetFileAttributes(std::string_view path) override;
    std::vector<Drive> GetDrives() override { return drives_; }
    bool GetVolumeInformation(std::string_view root, std::string* label) override;
    std::string GetTempPath() override { return "C:\\windows\\temp\\"; }
    bool DeleteFile(std::string_view path) override;
    bool CopyFile(std::string_view from, std::string_view to) override;
    std::optional<std::string> HostPath(std::string_view windowsPath) override;

private:
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
    ScanTreeRegistry registry;
    FakeFileSystem files;
    MemorySettings settings;
    RecordingObserver observer;
    ScanSession session{registry, files, settings, observer, std::chrono::microseconds(0)};
    FakeMachine();
};

}  // namespace vostrel::testing
