// The machine while its prefix is still being read: a registry and a file
// system that answer as an empty, read-only machine until the loaded ones
// are put in, and forward every call to them from then on. The window can
// so be shown, with its session made over these, before the registry files
// (tens of megabytes on a big prefix) are read on a worker thread. They are
// put in on the window's thread, between two of its events, so the session
// is never used from two threads.
#pragma once

#include <memory>
#include <string>

#include "system/machine.h"

namespace vostrel::shell {

class DeferredRegistry final : public RegistryApi {
public:
    void Install(std::unique_ptr<RegistryApi> loaded) { loaded_ = std::move(loaded); }
    bool loaded() const { return loaded_ != nullptr; }

    LONG OpenKeyEx(HKEY key, std::string_view subKey, DWORD access, HKEY* result) override;
    LONG OpenKey(HKEY key, std::string_view subKey, HKEY* result) override;
    LONG CreateKeyEx(HKEY key, std::string_view subKey, DWORD options, DWORD access, HKEY* result,
                     DWORD* disposition) override;
    LONG QueryValueEx(HKEY key, std::string_view valueName, DWORD* type, std::uint8_t* data,
                      DWORD* cbData) override;
    LONG SetValueEx(HKEY key, std::string_view valueName, DWORD type, const std::uint8_t* data,
                    DWORD cbData) override;
    LONG DeleteValue(HKEY key, std::string_view valueName) override;
    LONG DeleteKey(HKEY key, std::string_view subKey) override;
    LONG EnumKeyEx(HKEY key, DWORD index, char* name, DWORD* cchName, char* cls,
                   DWORD* cchClass) override;
    LONG EnumValue(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* type,
                   std::uint8_t* data, DWORD* cbData) override;
    LONG CloseKey(HKEY key) override;
    DWORD GetPlatformId() override;
    LONG QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type,
                       std::vector<std::uint8_t>* data) override;
    LONG SetValueRaw(HKEY key, std::string_view valueName, DWORD type,
                     std::span<const std::uint8_t> data) override;
    std::optional<std::string> WriteRefusal() override;
    bool KeyIdentity(HKEY key, std::uint64_t* id, bool* throughLink) override;
    void BeginBatch() override;
    bool EndBatch(std::string* error = nullptr) override;

private:
    std::unique_ptr<RegistryApi> loaded_;
};

class DeferredFiles final : public FileSystemApi {
public:
    explicit DeferredFiles(std::string prefix) : prefix_(std::move(prefix)) {}
    void Install(std::unique_ptr<FileSystemApi> loaded) { loaded_ = std::move(loaded); }
    bool loaded() const { return loaded_ != nullptr; }

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
    DriveOwner OwnerOfDrive(char letter) override;
    WalkEntry ClassifyWalkEntry(std::string_view driveRoot, std::string_view path,
                                DWORD attributes) override;
    std::unique_ptr<DriveWalker> StartDriveWalk(std::string_view driveRoot) override;
    std::unique_ptr<HeldFile> HoldWalkedFile(std::string_view path, std::string* why,
                                             bool* gone) override;
    std::optional<std::string> PrefixFolder() override;
    void ForgetCache() override;

private:
    std::string prefix_;
    std::unique_ptr<FileSystemApi> loaded_;
};

// A machine made of the two, for the prefix at `prefix`, described as the
// loaded one will be; the pointers reach its parts for Install after the
// machine itself has been handed over.
struct DeferredMachine {
    std::unique_ptr<Machine> machine;
    DeferredRegistry* registry = nullptr;
    DeferredFiles* files = nullptr;
};
DeferredMachine MakeDeferredMachine(const std::string& prefix);

// Why nothing can be written yet.
inline constexpr const char* kStillLoading =
    "the prefix's registry is still being read; try again in a moment";

}  // namespace vostrel::shell
