// A registry held in memory for the repair and restore tests: keys by path
// (names without regard to case), values with their kind and raw bytes, and
// HKEY_CLASSES_ROOT showing HKEY_LOCAL_MACHINE\SOFTWARE\Classes as Windows does.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "system/registry_api.h"

namespace vostrel::testing {

class MemoryRegistry : public RegistryApi {
public:
    struct Value {
        std::string name;
        DWORD kind = REG_NONE;
        std::vector<std::uint8_t> data;
        bool operator==(const Value&) const = default;
    };
    struct Key {
        std::map<std::string, Value> values;  // by upper-case name
        bool operator==(const Key&) const = default;
    };

    // Test set-up and inspection by full path ("HKEY_LOCAL_MACHINE\Software\X").
    void Put(const std::string& keyPath, const std::string& name, DWORD kind, std::vector<std::uint8_t> data);
    void PutText(const std::string& keyPath, const std::string& name, DWORD kind, const std::string& utf8);
    std::optional<Value> Get(const std::string& keyPath, const std::string& name) const;
    bool HasKey(const std::string& keyPath) const;
    const std::map<std::string, Key>& keys() const { return keys_; }

    std::optional<std::string> refusal;

    LONG OpenKeyEx(HKEY key, std::string_view subKey, DWORD access, HKEY* result) override;
    LONG OpenKey(HKEY key, std::string_view subKey, HKEY* result) override;
    LONG CreateKeyEx(HKEY key, std::string_view subKey, DWORD options, DWORD access, HKEY* result,
                     DWORD* disposition) override;
    LONG QueryValueEx(HKEY key, std::string_view valueName, DWORD* type, std::uint8_t* data, DWORD* cbData) override;
    LONG SetValueEx(HKEY key, std::string_view valueName, DWORD type, const std::uint8_t* data, DWORD cbData) override;
    LONG DeleteValue(HKEY key, std::string_view valueName) override;
    LONG EnumKeyEx(HKEY, DWORD, char*, DWORD*, char*, DWORD*) override { return ERROR_NO_MORE_ITEMS; }
    LONG EnumValue(HKEY, DWORD, char*, DWORD*, DWORD*, std::uint8_t*, DWORD*) override { return ERROR_NO_MORE_ITEMS; }
    LONG CloseKey(HKEY key) override;
    DWORD GetPlatformId() override { return 2; }
    LONG QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type, std::vector<std::uint8_t>* data) override;
    LONG SetValueRaw(HKEY key, std::string_view valueName, DWORD type, std::span<const std::uint8_t> data) override;
    std::optional<std::string> WriteRefusal() override { return refusal; }

    // Text of a text kind as UTF-16LE bytes with the terminating NUL.
    static std::vector<std::uint8_t> Utf16Bytes(const std::string& utf8);

private:
    std::optional<std::string> PathOf(HKEY key, std::string_view subKey) const;
    Value* Find(HKEY key, std::string_view name);
    HKEY NewHandle(const std::string& path);

    std::map<std::string, Key> keys_;          // by upper-case full path
    std::map<HKEY, std::string> handles_;
    HKEY next_ = 1;
};

}  // namespace vostrel::testing
