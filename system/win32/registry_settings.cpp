#include "system/win32/windows_headers.h"

#include "system/win32/registry_settings.h"

#include "system/win32/code_page.h"

namespace vostrel {

namespace {

// Text values are read and written through the W functions, so a folder
// name outside the ANSI code page survives.
std::optional<std::wstring> ReadText(::HKEY key, const std::wstring& name) {
    std::wstring text(128, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        ::DWORD kind = 0;
        ::DWORD size = static_cast<::DWORD>(text.size() * sizeof(wchar_t));
        const LONG status = ::RegQueryValueExW(key, name.c_str(), nullptr, &kind,
                                               reinterpret_cast<BYTE*>(text.data()), &size);
        if (status == ERROR_MORE_DATA) {
            text.assign(size / sizeof(wchar_t) + 1, L'\0');
            continue;
        }
        if (status != ERROR_SUCCESS || kind != REG_SZ) return std::nullopt;
        text.resize(size / sizeof(wchar_t));
        const auto end = text.find(L'\0');
        if (end != std::wstring::npos) text.resize(end);
        return text;
    }
    return std::nullopt;
}

std::wstring ModuleFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 6; ++attempt) {
        const ::DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<::DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            const auto slash = path.find_last_of(L"\\/");
            return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
        }
        path.assign(path.size() * 2, L'\0');
    }
    return {};
}

// True when a file can be created in the folder (the file is removed again).
bool CanWriteIn(const std::wstring& folder) {
    if (folder.empty()) return false;
    const std::wstring probe =
        folder + L"\\vostrel-write-test-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    const HANDLE file =
        ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

std::wstring LocalAppDataFolder() {
    wchar_t* known = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &known)))
        folder = known;
    ::CoTaskMemFree(known);
    return folder;
}

}  // namespace

std::string DefaultSettingsKey() {
    return "Software\\VB and VBA Program Settings\\" + std::string(kAppName) + "\\" +
           std::string(kSettingsSection);
}

RegistrySettingsStore::RegistrySettingsStore(std::string keyPath) : keyPath_(std::move(keyPath)) {}

std::string RegistrySettingsStore::Get(std::string_view key, std::string_view fallback) {
    ::HKEY settings = nullptr;
    if (::RegOpenKeyExW(win32::NativeCurrentUser(), win32::Widen(keyPath_).c_str(), 0,
                        KEY_QUERY_VALUE, &settings) != ERROR_SUCCESS)
        return std::string(fallback);
    const auto text = ReadText(settings, win32::Widen(key));
    ::RegCloseKey(settings);
    return text ? win32::Narrow(*text) : std::string(fallback);
}

bool RegistrySettingsStore::Save(std::string_view key, std::string_view value) {
    ::HKEY settings = nullptr;
    if (::RegCreateKeyExW(win32::NativeCurrentUser(), win32::Widen(keyPath_).c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &settings,
                          nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring text = win32::Widen(value);
    const LONG status = ::RegSetValueExW(settings, win32::Widen(key).c_str(), 0, REG_SZ,
                                         reinterpret_cast<const BYTE*>(text.c_str()),
                                         static_cast<::DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(settings);
    return status == ERROR_SUCCESS;
}

std::string DefaultSettingsPath() { return "HKEY_CURRENT_USER\\" + DefaultSettingsKey(); }

// The folder of the running program, as the original kept its files beside
// itself; when that folder is not writable (Program Files for an ordinary
// account) the per-user %LOCALAPPDATA%\Vostrel 2006 instead, created on use.
std::string ProgramFolder() {
    const std::wstring beside = ModuleFolder();
    if (CanWriteIn(beside)) return win32::Narrow(beside);
    const std::wstring local = LocalAppDataFolder();
    if (local.empty()) return win32::Narrow(beside);
    const std::wstring folder = local + L"\\" + win32::Widen(kAppName);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return win32::Narrow(folder);
}

std::unique_ptr<SettingsStore> OpenDefaultSettings() {
    return std::make_unique<RegistrySettingsStore>();
}

}  // namespace vostrel
