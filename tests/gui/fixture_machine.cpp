#include "fixture_machine.h"

#include "system/file_system_api.h"
#include "system/registry_api.h"

namespace vostrel::shell::testing {

namespace {

// Until the Wine backend is merged: a machine with nothing on it.
class EmptyRegistry final : public RegistryApi {
public:
    LONG OpenKeyEx(HKEY, std::string_view, DWORD, HKEY* r) override { *r = kNullKey; return ERROR_FILE_NOT_FOUND; }
    LONG OpenKey(HKEY, std::string_view, HKEY* r) override { *r = kNullKey; return ERROR_FILE_NOT_FOUND; }
    LONG CreateKeyEx(HKEY, std::string_view, DWORD, DWORD, HKEY* r, DWORD*) override { *r = kNullKey; return ERROR_ACCESS_DENIED; }
    LONG QueryValueEx(HKEY, std::string_view, DWORD*, std::uint8_t*, DWORD*) override { return ERROR_FILE_NOT_FOUND; }
    LONG SetValueEx(HKEY, std::string_view, DWORD, const std::uint8_t*, DWORD) override { return ERROR_ACCESS_DENIED; }
    LONG DeleteValue(HKEY, std::string_view) override { return ERROR_FILE_NOT_FOUND; }
    LONG EnumKeyEx(HKEY, DWORD, char*, DWORD*, char*, DWORD*) override { return ERROR_NO_MORE_ITEMS; }
    LONG EnumValue(HKEY, DWORD, char*, DWORD*, DWORD*, std::uint8_t*, DWORD*) override { return ERROR_NO_MORE_ITEMS; }
    LONG CloseKey(HKEY) override { return ERROR_SUCCESS; }
    DWORD GetPlatformId() override { return 2; }
    LONG QueryValueRaw(HKEY, std::string_view, DWORD*, std::vector<std::uint8_t>*) override { return ERROR_FILE_NOT_FOUND; }
    LONG SetValueRaw(HKEY, std::string_view, DWORD, std::span<const std::uint8_t>) override { return ERROR_ACCESS_DENIED; }
};

class EmptyFiles final : public FileSystemApi {
public:
    std::string GetWindowsDirectory() override { return "C:\\windows"; }
    std::string GetSystemDirectory() override { return "C:\\windows\\system32"; }
    std::string GetShortPathName(std::string_view) override { return {}; }
    LONG FindFiles(std::string_view, std::vector<FindData>*) override { return ERROR_FILE_NOT_FOUND; }
    DWORD GetFileAttributes(std::string_view) override { return INVALID_FILE_ATTRIBUTES; }
    std::vector<Drive> GetDrives() override { return {{'C', DriveType::Fixed}}; }
    bool GetVolumeInformation(std::string_view, std::string*) override { return true; }
    std::string GetTempPath() override { return "C:\\windows\\temp\\"; }
    bool DeleteFile(std::string_view) override { return false; }
    bool CopyFile(std::string_view, std::string_view) override { return false; }
    std::optional<std::string> HostPath(std::string_view) override { return std::nullopt; }
};

}  // namespace

std::unique_ptr<Machine> OpenFixtureMachine(const std::string& prefix) {
    auto machine = std::make_unique<Machine>();
    machine->registry = std::make_unique<EmptyRegistry>();
    machine->files = std::make_unique<EmptyFiles>();
    machine->description = "Wine prefix " + prefix;
    return machine;
}

}  // namespace vostrel::shell::testing
