#include "system/win32/windows_headers.h"

#include "system/win32/win32_registry.h"

#include <algorithm>
#include <cstring>

#include "system/win32/code_page.h"

namespace vostrel {

namespace {

// A predefined root as Windows spells it: the 32-bit value, sign-extended.
::HKEY PredefinedHandle(HKEY root) {
    return reinterpret_cast<::HKEY>(
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<std::int32_t>(root))));
}

bool IsPredefinedRange(HKEY key) { return key >= 0x80000000u && key <= 0x8000000Fu; }

// The largest value name the registry allows is 16383 characters; in a
// multi-byte code page each may take two bytes.
constexpr std::size_t kNameBufferSize = 2 * 16384 + 1;
constexpr int kGrowAttempts = 8;

std::string_view AsText(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Text data reaches the caller in UTF-8; anything else unchanged.
std::vector<std::uint8_t> ToCallerBytes(DWORD kind, std::vector<std::uint8_t> bytes) {
    if (!IsTextKind(kind)) return bytes;
    const std::string utf8 = win32::FromAnsi(AsText(bytes));
    return {utf8.begin(), utf8.end()};
}

// Hands data to a caller's buffer with the registry's rules: with no buffer
// only the size; a buffer too small gets ERROR_MORE_DATA and the size needed.
LONG GiveData(const std::vector<std::uint8_t>& bytes, std::uint8_t* data, DWORD* cbData) {
    const auto needed = static_cast<DWORD>(bytes.size());
    if (!data) {
        if (cbData) *cbData = needed;
        return ERROR_SUCCESS;
    }
    if (!cbData) return ERROR_INVALID_PARAMETER;
    if (*cbData < needed) {
        *cbData = needed;
        return ERROR_MORE_DATA;
    }
    std::copy(bytes.begin(), bytes.end(), data);
    *cbData = needed;
    return ERROR_SUCCESS;
}

// Hands a name to a caller's buffer of *size bytes (the NUL included).
LONG GiveName(const std::string& text, char* buffer, DWORD* size) {
    if (!buffer || !size) return ERROR_INVALID_PARAMETER;
    if (text.size() + 1 > *size) return ERROR_MORE_DATA;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    *size = static_cast<DWORD>(text.size());
    return ERROR_SUCCESS;
}

// The whole of a value through RegQueryValueExA, growing the buffer as asked.
LONG ReadWholeValue(::HKEY key, const std::string& name, ::DWORD* kind,
                    std::vector<std::uint8_t>* bytes) {
    bytes->assign(256, 0);
    for (int attempt = 0; attempt < kGrowAttempts; ++attempt) {
        ::DWORD size = static_cast<::DWORD>(bytes->size());
        const LONG status =
            ::RegQueryValueExA(key, name.c_str(), nullptr, kind, bytes->data(), &size);
        if (status == ERROR_MORE_DATA) {
            bytes->assign(std::max<std::size_t>(size, bytes->size() * 2), 0);
            continue;
        }
        if (status == ERROR_SUCCESS) bytes->resize(size);
        return status;
    }
    return ERROR_MORE_DATA;
}

}  // namespace

Win32Registry::~Win32Registry() {
    for (void* native : open_)
        if (native) ::RegCloseKey(static_cast<::HKEY>(native));
}

std::size_t Win32Registry::OpenKeyCount() const {
    return static_cast<std::size_t>(
        std::count_if(open_.begin(), open_.end(), [](void* native) { return native != nullptr; }));
}

HKEY Win32Registry::Remember(void* native) {
    for (const auto& root : kRootKeys)
        if (PredefinedHandle(root.handle) == native) return root.handle;
    auto free = std::find(open_.begin(), open_.end(), nullptr);
    if (free == open_.end()) free = open_.insert(open_.end(), nullptr);
    *free = native;
    return static_cast<HKEY>(free - open_.begin()) + 1;
}

void* Win32Registry::Native(HKEY key) const {
    if (key == kNullKey) return nullptr;
    if (IsPredefinedRange(key)) return PredefinedHandle(key);
    if (key > open_.size()) return nullptr;
    return open_[key - 1];
}

LONG Win32Registry::OpenKeyEx(HKEY key, std::string_view subKey, DWORD access, HKEY* result) {
    *result = kNullKey;
    ::HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExA(static_cast<::HKEY>(Native(key)),
                                        win32::ToAnsi(subKey).c_str(), 0, access, &opened);
    if (status == ERROR_SUCCESS) *result = Remember(opened);
    return status;
}

LONG Win32Registry::OpenKey(HKEY key, std::string_view subKey, HKEY* result) {
    // RegOpenKeyA gives back the very handle it was given for an empty
    // sub-key; a second number for one handle would be closed twice.
    if (subKey.empty()) return OpenKeyEx(key, subKey, MAXIMUM_ALLOWED, result);
    *result = kNullKey;
    ::HKEY opened = nullptr;
    const LONG status =
        ::RegOpenKeyA(static_cast<::HKEY>(Native(key)), win32::ToAnsi(subKey).c_str(), &opened);
    if (status == ERROR_SUCCESS) *result = Remember(opened);
    return status;
}

LONG Win32Registry::CreateKeyEx(HKEY key, std::string_view subKey, DWORD options, DWORD access,
                                HKEY* result, DWORD* disposition) {
    *result = kNullKey;
    ::HKEY created = nullptr;
    ::DWORD how = 0;
    const LONG status =
        ::RegCreateKeyExA(static_cast<::HKEY>(Native(key)), win32::ToAnsi(subKey).c_str(), 0,
                          nullptr, options, access, nullptr, &created, &how);
    if (status != ERROR_SUCCESS) return status;
    *result = Remember(created);
    if (disposition) *disposition = how;
    return status;
}

LONG Win32Registry::QueryValueEx(HKEY key, std::string_view valueName, DWORD* type,
                                 std::uint8_t* data, DWORD* cbData) {
    ::DWORD kind = 0;
    std::vector<std::uint8_t> bytes;
    const LONG status =
        ReadWholeValue(static_cast<::HKEY>(Native(key)), win32::ToAnsi(valueName), &kind, &bytes);
    if (status != ERROR_SUCCESS) return status;
    if (type) *type = kind;
    return GiveData(ToCallerBytes(kind, std::move(bytes)), data, cbData);
}

LONG Win32Registry::SetValueEx(HKEY key, std::string_view valueName, DWORD type,
                               const std::uint8_t* data, DWORD cbData) {
    const auto native = static_cast<::HKEY>(Native(key));
    const std::string name = win32::ToAnsi(valueName);
    if (!IsTextKind(type) || !data)
        return ::RegSetValueExA(native, name.c_str(), 0, type, data, cbData);
    // RegSetValueExA counts a NUL that follows text data in memory even when
    // the byte count leaves it out (NT does this, and Wine with it). A
    // non-zero guard byte after the data keeps the stored bytes exactly the
    // given ones: a text written without its NUL is stored without it.
    std::string ansi = win32::ToAnsi({reinterpret_cast<const char*>(data), cbData});
    const auto size = static_cast<::DWORD>(ansi.size());
    ansi.push_back('\x01');
    return ::RegSetValueExA(native, name.c_str(), 0, type,
                            reinterpret_cast<const BYTE*>(ansi.data()), size);
}

LONG Win32Registry::DeleteKey(HKEY key, std::string_view subKey) {
    if (subKey.find_first_not_of('\\') == std::string_view::npos) return ERROR_INVALID_PARAMETER;
    return ::RegDeleteKeyA(static_cast<::HKEY>(Native(key)), win32::ToAnsi(subKey).c_str());
}

LONG Win32Registry::DeleteValue(HKEY key, std::string_view valueName) {
    return ::RegDeleteValueA(static_cast<::HKEY>(Native(key)), win32::ToAnsi(valueName).c_str());
}

LONG Win32Registry::EnumKeyEx(HKEY key, DWORD index, char* name, DWORD* cchName, char* cls,
                              DWORD* cchClass) {
    const auto native = static_cast<::HKEY>(Native(key));
    std::string nameBuffer(kNameBufferSize, '\0');
    std::string classBuffer(256, '\0');
    LONG status = ERROR_MORE_DATA;
    ::DWORD nameLength = 0, classLength = 0;
    for (int attempt = 0; attempt < kGrowAttempts && status == ERROR_MORE_DATA; ++attempt) {
        nameLength = static_cast<::DWORD>(nameBuffer.size());
        classLength = static_cast<::DWORD>(classBuffer.size());
        status = ::RegEnumKeyExA(native, index, nameBuffer.data(), &nameLength, nullptr,
                                 classBuffer.data(), &classLength, nullptr);
        if (status == ERROR_MORE_DATA) classBuffer.assign(classBuffer.size() * 4, '\0');
    }
    if (status != ERROR_SUCCESS) return status;
    const std::string keyName = win32::FromAnsi({nameBuffer.data(), nameLength});
    if (cls && cchClass) {
        const std::string className = win32::FromAnsi({classBuffer.data(), classLength});
        if (className.size() + 1 > *cchClass) return ERROR_MORE_DATA;
        status = GiveName(className, cls, cchClass);
    }
    const LONG nameStatus = GiveName(keyName, name, cchName);
    return nameStatus != ERROR_SUCCESS ? nameStatus : status;
}

LONG Win32Registry::EnumValue(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* type,
                              std::uint8_t* data, DWORD* cbData) {
    const auto native = static_cast<::HKEY>(Native(key));
    std::string nameBuffer(kNameBufferSize, '\0');
    std::vector<std::uint8_t> bytes(1024, 0);
    LONG status = ERROR_MORE_DATA;
    ::DWORD nameLength = 0, size = 0, kind = 0;
    for (int attempt = 0; attempt < kGrowAttempts && status == ERROR_MORE_DATA; ++attempt) {
        nameLength = static_cast<::DWORD>(nameBuffer.size());
        size = static_cast<::DWORD>(bytes.size());
        status = ::RegEnumValueA(native, index, nameBuffer.data(), &nameLength, nullptr, &kind,
                                 bytes.data(), &size);
        if (status == ERROR_MORE_DATA)
            bytes.assign(std::max<std::size_t>(size, bytes.size() * 4), 0);
    }
    if (status != ERROR_SUCCESS) return status;
    bytes.resize(size);
    const std::string valueName = win32::FromAnsi({nameBuffer.data(), nameLength});
    if (type) *type = kind;
    // The name and the data are both checked before either is given, as
    // the registry does: ERROR_MORE_DATA leaves the caller's buffers alone.
    const std::vector<std::uint8_t> callerBytes = ToCallerBytes(kind, std::move(bytes));
    if (cchName && valueName.size() + 1 > *cchName) return ERROR_MORE_DATA;
    if (data && cbData && callerBytes.size() > *cbData) {
        *cbData = static_cast<DWORD>(callerBytes.size());
        return ERROR_MORE_DATA;
    }
    status = GiveName(valueName, name, cchName);
    if (status != ERROR_SUCCESS) return status;
    return GiveData(callerBytes, data, cbData);
}

LONG Win32Registry::CloseKey(HKEY key) {
    if (key == kNullKey) return ERROR_INVALID_HANDLE;
    if (IsPredefinedRange(key)) return ERROR_SUCCESS;
    if (key > open_.size() || !open_[key - 1]) return ERROR_INVALID_HANDLE;
    const LONG status = ::RegCloseKey(static_cast<::HKEY>(open_[key - 1]));
    open_[key - 1] = nullptr;
    return status;
}

DWORD Win32Registry::GetPlatformId() {
    OSVERSIONINFOA info;
    static_assert(sizeof(info) == 148, "the version record is 148 bytes");
    std::memset(&info, 0, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    std::memset(info.szCSDVersion, ' ', sizeof(info.szCSDVersion));
    if (!::GetVersionExA(&info)) return 0;
    return info.dwPlatformId;
}

LONG Win32Registry::QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type,
                                  std::vector<std::uint8_t>* data) {
    const auto native = static_cast<::HKEY>(Native(key));
    const std::wstring name = win32::Widen(valueName);
    std::vector<std::uint8_t> bytes(256, 0);
    for (int attempt = 0; attempt < kGrowAttempts; ++attempt) {
        ::DWORD kind = 0, size = static_cast<::DWORD>(bytes.size());
        const LONG status =
            ::RegQueryValueExW(native, name.c_str(), nullptr, &kind, bytes.data(), &size);
        if (status == ERROR_MORE_DATA) {
            bytes.assign(std::max<std::size_t>(size, bytes.size() * 2), 0);
            continue;
        }
        if (status != ERROR_SUCCESS) return status;
        bytes.resize(size);
        if (type) *type = kind;
        if (data) *data = std::move(bytes);
        return status;
    }
    return ERROR_MORE_DATA;
}

LONG Win32Registry::SetValueRaw(HKEY key, std::string_view valueName, DWORD type,
                                std::span<const std::uint8_t> data) {
    return ::RegSetValueExW(static_cast<::HKEY>(Native(key)), win32::Widen(valueName).c_str(), 0,
                            type, data.data(), static_cast<::DWORD>(data.size()));
}

}  // namespace vostrel
