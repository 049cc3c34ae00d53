// The live Windows registry through advapi32's ANSI functions.
//
// It is no RegistryStore behind RegistryAdapter, on purpose: the A functions
// are the contract RegistryApi copies, so they are called as they are. That
// keeps the differential test meaningful: the Windows build run under Wine
// meets Wine's own advapi32, while the Linux build reads the same prefix
// through our store and adapter; where the two disagree, our copy of the
// rules is wrong.
//
// Keys opened here are handed out as small numbers (1, 2, 3, ...) standing
// for the real handles in a table; the predefined roots keep their 32-bit
// values 0x8000000x and 0 is the null handle, as everywhere in the program.
#pragma once

#include <string>
#include <vector>

#include "system/registry_api.h"

namespace vostrel {

class Win32Registry final : public RegistryApi {
public:
    Win32Registry() = default;
    ~Win32Registry() override;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

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

    // How many keys this object holds open right now.
    std::size_t OpenKeyCount() const;

private:
    HKEY Remember(void* native);
    void* Native(HKEY key) const;

    std::vector<void*> open_;  // open_[n - 1] is the real handle of key number n
};

}  // namespace vostrel
