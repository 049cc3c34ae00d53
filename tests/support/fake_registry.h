// A small in-memory registry for tests that need a RegistryApi but not a
// Wine prefix: keys by path (letter case ignored), each with named values
// of any kind. Values are stored as RegQueryValueExA hands them out (text
// kinds as UTF-8 with their terminating NUL), and the raw calls see the
// same bytes. Handles are small numbers; a closed handle is invalid.
//
//   FakeRegistry registry;
//   registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
//                      "ProgramFilesDir", "C:\\Program Files");
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "system/registry_api.h"

namespace vostrel::testing {

class FakeRegistry : public RegistryApi {
public:
    // Creates the key and its parents.
    void AddKey(HKEY root, std::string_view keyPath);
    // REG_SZ (or another text kind) with a terminating NUL added.
    void SetString(HKEY root, std::string_view keyPath, std::string_view name,
                   std::string_view text, DWORD kind = REG_SZ);
    void SetDword(HKEY root, std::string_view keyPath, std::string_view name, std::uint32_t number);
    // Any kind, bytes as given.
    void SetBytes(HKEY root, std::string_view keyPath, std::string_view name, DWORD kind,
                  std::vector<std::uint8_t> bytes);
    bool HasKey(HKEY root, std::string_view keyPath) const;
    bool HasValue(HKEY root, std::string_view keyPath, std::string_view name) const;
    // Handles opened and not yet closed.
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
    DWORD GetPlatformId() override { return 2; }
    LONG QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type,
                       std::vector<std::uint8_t>* data) override;
    LONG SetValueRaw(HKEY key, std::string_view valueName, DWORD type,
                     std::span<const std::uint8_t> data) override;

private:
    struct Value {
        std::string name;  // as first written
        DWORD kind = REG_NONE;
        std::vector<std::uint8_t> bytes;
    };
    struct Key {
        std::string name;                   // last part, as first written
        std::map<std::string, Value> values;  // by upper-case name
    };

    // "HKEY_LOCAL_MACHINE\SOFTWARE\X" in upper case; empty for a bad handle.
    std::string PathOf(HKEY key, std::string_view subKey) const;
    Key* KeyOf(HKEY key);
    HKEY NewHandle(const std::string& path);

    std::map<std::string, Key> keys_;        // by upper-case full path
    std::map<HKEY, std::string> handles_;    // open handle -> upper-case full path
    HKEY nextHandle_ = 0x100;
};

}  // namespace vostrel::testing
