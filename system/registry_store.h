// What a registry backend has to provide: a tree of keys with named values,
// each value a kind and its stored bytes. Nothing more: no handles, no
// buffers, no access masks, no code pages. Those rules of the Windows calls
// are written once, in RegistryAdapter (system/registry_adapter.h), on top of
// any store, so that the Wine prefix's .reg files and the in-memory registry
// of the tests cannot disagree about them.
//
// Keys are handed out as StoreKey: a small value the store alone can read (a
// pointer to its own key object and a part number, such as a hive). A
// StoreKey stays valid for the store's life: a key taken out of the tree
// (DeleteKey, or a key whose creation failed) is only unhooked from its
// parent, and a StoreKey of it reaches a key that no path leads to.
//
// Names cross in UTF-8 (WTF-8 where a stored name holds a lone UTF-16
// surrogate). Data crosses as stored: UTF-16LE for the text kinds, their
// NUL(s) included, unless the caller lets the store hand text over in UTF-8
// where that is cheap for it (see DataWanted). Status codes are Windows'.
//
// Sub-keys and values are listed in the store's order, which for every store
// of this program is the registry's own order on the platform
// (CompareRegistryNames): the walk of a scan meets keys in the same order on
// the real machine and in the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "system/winapi.h"

namespace vostrel {

// A key of a store: its own key object and which part of the store holds it.
struct StoreKey {
    void* node = nullptr;
    int part = 0;
    bool operator==(const StoreKey&) const = default;
};

// What a read hands over besides the name and the kind.
enum class DataWanted : std::uint8_t {
    None,      // no data (listing names and kinds only)
    Stored,    // the stored bytes, UTF-16LE for text
    Utf8Text,  // the stored bytes, but text kinds may come already in UTF-8
};

// One value as a store hands it out.
struct StoreValue {
    std::string_view name;  // valid until the next call of the store
    DWORD kind = REG_NONE;
    std::vector<std::uint8_t> data;  // as DataWanted asked; reused by the caller
    bool utf8 = false;               // data is UTF-8 text with its NUL, not UTF-16LE
};

// The registry's limits, in UTF-16 units and levels.
inline constexpr std::size_t kMaxKeyNameUnits = 255;
inline constexpr std::size_t kMaxValueNameUnits = 16383;
inline constexpr std::size_t kMaxKeyPathDepth = 512;

class RegistryStore {
public:
    virtual ~RegistryStore() = default;

    // The key a predefined root stands for: ERROR_INVALID_HANDLE for a
    // handle that is no root, ERROR_FILE_NOT_FOUND for a root the store has
    // nothing behind (HKEY_DYN_DATA).
    virtual LONG Root(HKEY root, StoreKey* key) = 0;

    // The key at `path` below `from` (names split at '\', empty names
    // skipped; an empty path is `from` itself). Symbolic link keys are
    // followed; *throughLink (may be null) tells whether one was.
    // ERROR_FILE_NOT_FOUND when a key of the path is missing.
    virtual LONG Open(StoreKey from, std::string_view path, StoreKey* key, bool* throughLink) = 0;

    // Open, creating every missing key of the path; *created (may be null)
    // tells whether one was. ERROR_ACCESS_DENIED where keys cannot be added
    // or writes are refused (WriteRefusal), ERROR_INVALID_PARAMETER for a
    // name or a depth over the registry's limits.
    virtual LONG Create(StoreKey from, std::string_view path, StoreKey* key, bool* created) = 0;

    // The index-th sub-key's name and class (empty when it has none).
    // ERROR_NO_MORE_ITEMS past the last one.
    virtual LONG SubkeyAt(StoreKey key, std::size_t index, std::string_view* name,
                          std::string_view* keyClass) = 0;

    // The index-th value (ERROR_NO_MORE_ITEMS past the last), or the value
    // of a name, matched without regard to case (ERROR_FILE_NOT_FOUND).
    virtual LONG ValueAt(StoreKey key, std::size_t index, DataWanted want, StoreValue* value) = 0;
    virtual LONG ReadValue(StoreKey key, std::string_view name, DataWanted want,
                           StoreValue* value) = 0;

    // Stores the bytes as they are under the kind, replacing a value of the
    // same name (whose name keeps its spelling). Setting a value to what it
    // holds already changes nothing.
    virtual LONG SetValue(StoreKey key, std::string_view name, DWORD kind,
                          std::span<const std::uint8_t> data) = 0;
    // ERROR_FILE_NOT_FOUND for a missing value.
    virtual LONG DeleteValue(StoreKey key, std::string_view name) = 0;
    // Takes the sub-key `name` of `parent` out with its values, as
    // RegDeleteKey does: ERROR_ACCESS_DENIED while it has sub-keys of its own
    // (or writes are refused), ERROR_FILE_NOT_FOUND when there is no such
    // sub-key. A link key is taken out itself, not the key it leads to.
    virtual LONG DeleteKey(StoreKey parent, std::string_view name) = 0;

    // Why writes are refused right now, or nothing. While refused, every
    // change fails with ERROR_ACCESS_DENIED and changes nothing.
    virtual std::optional<std::string> WriteRefusal() { return std::nullopt; }

    // Defers saving until the matching EndBatch; EndBatch is false, with the
    // reason, when the changes could not be saved. Batches nest.
    virtual void BeginBatch() {}
    virtual bool EndBatch(std::string* error) {
        (void)error;
        return true;
    }

    // The same number for every StoreKey of one key, however it was reached.
    virtual std::uint64_t Identity(StoreKey key) = 0;
};

// The registry's order of names on this platform: negative, zero or positive.
// On Linux it is wineserver's (UTF-16 units compared after Wine's lower-casing,
// then the shorter name first); zero means "the same name".
int CompareRegistryNames(std::string_view a, std::string_view b);

// The names of a key path, the empty ones between doubled backslashes skipped.
std::vector<std::string_view> SplitKeyPath(std::string_view path);

}  // namespace vostrel
