// The registry calls of the program (RegistryApi, the advapi32 A functions)
// on top of any RegistryStore: handles, access masks, status codes, buffer
// sizes and ERROR_MORE_DATA with the needed sizes, enumeration by index, and
// the conversion of text between the stored UTF-16 and the program's UTF-8.
// Written once here, so that every store keeps exactly these rules.
//
// Text side: by default names and text reach the program in full Unicode,
// as Wine's wide functions see them (a path naming "日本" names that folder).
// TextSide::Ansi passes them through the ANSI code page as the A functions
// of native Windows do: characters the code page cannot carry arrive as '?'
// and are written as '?'. Either way sizes are counted in bytes of the UTF-8
// the program sees, the NUL included where the A functions include it.
//
// Handles are slots of a table (no allocation per opened key once the table
// has grown to the walk's depth): the low 20 bits name the slot, the bits
// above count its reuse, so a handle closed and then used again is
// ERROR_INVALID_HANDLE, not somebody else's key. The predefined roots keep
// their 0x8000000x values; 0 is the null handle.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "system/registry_api.h"
#include "system/registry_store.h"

namespace vostrel {

enum class TextSide : std::uint8_t { Unicode, Ansi };

class RegistryAdapter : public RegistryApi {
public:
    explicit RegistryAdapter(RegistryStore& store, TextSide side = TextSide::Unicode)
        : store_(store), side_(side) {}
    RegistryAdapter(const RegistryAdapter&) = delete;
    RegistryAdapter& operator=(const RegistryAdapter&) = delete;

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
    DWORD GetPlatformId() override { return platformId_; }
    LONG QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type,
                       std::vector<std::uint8_t>* data) override;
    LONG SetValueRaw(HKEY key, std::string_view valueName, DWORD type,
                     std::span<const std::uint8_t> data) override;
    std::optional<std::string> WriteRefusal() override { return store_.WriteRefusal(); }
    bool KeyIdentity(HKEY key, std::uint64_t* id, bool* throughLink) override;
    void BeginBatch() override { store_.BeginBatch(); }
    bool EndBatch(std::string* error = nullptr) override { return store_.EndBatch(error); }

    // What GetPlatformId answers (2, the NT family, unless set).
    void SetPlatformId(DWORD id) { platformId_ = id; }
    // Handles opened and not yet closed.
    std::size_t OpenHandles() const { return slots_.size() - free_.size(); }

private:
    struct Slot {
        StoreKey key;
        DWORD access = 0;
        std::uint32_t reuse = 0;
        bool open = false;
        bool throughLink = false;  // opening it followed a symbolic link
    };

    LONG Resolve(HKEY key, DWORD need, StoreKey* place);
    LONG NewHandle(StoreKey place, DWORD access, bool throughLink, HKEY* result);
    const Slot* SlotOf(HKEY key) const;
    // A name or path from the program as the store takes it.
    std::string_view InName(std::string_view name);
    // A name from the store as the program gets it.
    std::string_view OutName(std::string_view name, std::string& scratch) const;
    // The value in scratch_ as the program gets it: text in UTF-8.
    void ToProgramSide(StoreValue& value);

    RegistryStore& store_;
    TextSide side_;
    DWORD platformId_ = 2;
    std::vector<Slot> slots_;
    std::vector<std::uint32_t> free_;
    // Reused by the calls so that a walk allocates nothing per value.
    StoreValue scratch_;
    std::string nameScratch_, classScratch_, inScratch_;
};

}  // namespace vostrel
