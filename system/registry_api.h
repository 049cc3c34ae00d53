// The registry as the program needs it from the platform: the advapi32 calls,
// with their handles, status codes and buffer rules, in the program's UTF-8.
//
// Text crosses this boundary in UTF-8 under the rules of the ANSI ("A")
// functions of Windows: buffer sizes and counts in bytes, ERROR_MORE_DATA.
// The Wine backend hands over every character, as the wide functions see
// it; the native one uses the A functions themselves, so there names and text
// pass through the ANSI code page and characters it cannot carry arrive as
// '?'. Text data of REG_SZ, REG_EXPAND_SZ
// and REG_MULTI_SZ is UTF-8 with its terminating NUL(s); byte counts are counts
// of those UTF-8 bytes. The raw calls give the stored bytes unchanged (UTF-16
// for text kinds) so that a backup can put a value back exactly.
//
// Two implementations, one per platform. On Linux the registry of a Wine
// prefix is a RegistryStore (system/registry_store.h) behind RegistryAdapter,
// which keeps these rules once for every store (the tests' in-memory
// registry included). On Windows the native A functions are this contract
// already, so Win32Registry calls them directly: the program on Windows, and
// the differential test running it under Wine, then meet Windows' own rules
// and not our copy of them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "system/winapi.h"

namespace vostrel {

class RegistryApi {
public:
    virtual ~RegistryApi() = default;

    // RegOpenKeyExA. 0 and a handle when the key exists and the access is
    // granted; a non-zero status and *result == kNullKey otherwise. An empty
    // sub-key opens a new handle to `key` itself.
    virtual LONG OpenKeyEx(HKEY key, std::string_view subKey, DWORD access, HKEY* result) = 0;

    // RegOpenKeyA: opens with the most access the caller is allowed.
    virtual LONG OpenKey(HKEY key, std::string_view subKey, HKEY* result) = 0;

    // RegCreateKeyExA: creates every missing key of the path; an existing key
    // opens unchanged. *disposition (may be null) tells which happened.
    virtual LONG CreateKeyEx(HKEY key, std::string_view subKey, DWORD options, DWORD access,
                             HKEY* result, DWORD* disposition) = 0;

    // RegQueryValueExA. With data == nullptr: *type and the byte count in
    // *cbData. With a buffer of *cbData bytes: the data and its byte count;
    // ERROR_MORE_DATA (and the needed count in *cbData) when it does not fit.
    // ERROR_FILE_NOT_FOUND for a missing value. type and cbData may be null
    // where the caller does not want them (cbData only when data is null).
    virtual LONG QueryValueEx(HKEY key, std::string_view valueName, DWORD* type, std::uint8_t* data,
                              DWORD* cbData) = 0;

    // RegSetValueExA: stores exactly the given bytes under the given kind
    // (text kinds are converted from UTF-8 as the A function converts ANSI).
    virtual LONG SetValueEx(HKEY key, std::string_view valueName, DWORD type,
                            const std::uint8_t* data, DWORD cbData) = 0;

    // RegDeleteValueA.
    virtual LONG DeleteValue(HKEY key, std::string_view valueName) = 0;

    // RegDeleteKeyA: the key at `subKey` below `key` goes with its values.
    // ERROR_ACCESS_DENIED while it has sub-keys, ERROR_FILE_NOT_FOUND when
    // it is not there. An empty sub-key is refused (ERROR_INVALID_PARAMETER):
    // a repair never deletes a key through a handle of its own.
    virtual LONG DeleteKey(HKEY key, std::string_view subKey) = 0;

    // RegEnumKeyExA. *cchName is the name buffer's size in bytes, the NUL
    // included; on success it becomes the name's length without the NUL.
    // ERROR_MORE_DATA when the name (or the class, when asked) does not fit,
    // ERROR_NO_MORE_ITEMS past the last sub-key. cls/cchClass may be null.
    virtual LONG EnumKeyEx(HKEY key, DWORD index, char* name, DWORD* cchName, char* cls,
                           DWORD* cchClass) = 0;

    // RegEnumValueA, with the same name rule; data/cbData and type may be
    // null. ERROR_MORE_DATA when the name or the data does not fit (the
    // needed sizes are then in *cchName / *cbData where the platform gives them).
    virtual LONG EnumValue(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* type,
                           std::uint8_t* data, DWORD* cbData) = 0;

    // RegCloseKey. Closing a predefined root or the null handle is harmless.
    virtual LONG CloseKey(HKEY key) = 0;

    // GetVersionExA's dwPlatformId: 2 on the NT family; 0 when unknown.
    virtual DWORD GetPlatformId() = 0;

    // The stored bytes of a value, unconverted (UTF-16LE for text kinds).
    virtual LONG QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type,
                               std::vector<std::uint8_t>* data) = 0;
    // Stores raw bytes as they are (the counterpart of QueryValueRaw).
    virtual LONG SetValueRaw(HKEY key, std::string_view valueName, DWORD type,
                             std::span<const std::uint8_t> data) = 0;

    // Why writes are refused right now (for example a running wineserver
    // holds the prefix), or nothing when they are allowed. While refused,
    // every write returns ERROR_ACCESS_DENIED and nothing is changed.
    virtual std::optional<std::string> WriteRefusal() { return std::nullopt; }

    // Which key a handle stands for, so that a walk never goes round a cycle
    // of symbolic link keys: *id is the same for every handle of one key, and
    // *throughLink tells whether opening this handle followed a link. False
    // where the platform cannot tell (a walk then relies on its depth bound).
    virtual bool KeyIdentity(HKEY key, std::uint64_t* id, bool* throughLink) {
        (void)key;
        (void)id;
        (void)throughLink;
        return false;
    }

    // Defers saving until the matching EndBatch (a repair of thousands of
    // values saves once). EndBatch is false, with the reason, when the
    // changes could not be saved. Backends that write at once ignore both.
    virtual void BeginBatch() {}
    virtual bool EndBatch(std::string* error = nullptr) {
        (void)error;
        return true;
    }
};

// Closes a handle when it goes out of scope: the owning operation closes
// every handle it opened, whatever happened in between.
class ScopedKey {
public:
    explicit ScopedKey(RegistryApi& api) : api_(api) {}
    ~ScopedKey() { api_.CloseKey(key_); }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    RegistryApi& api_;
    HKEY key_ = kNullKey;
};

}  // namespace vostrel
