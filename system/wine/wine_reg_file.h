// One Wine registry file (system.reg, user.reg, userdef.reg) in memory: the
// tree of keys and values as wineserver keeps it, read in one pass and
// written back exactly as wineserver writes it (server/registry.c), so that
// reading a file Wine wrote and saving it unchanged gives the same bytes.
//
// Names are held as WTF-8 (UTF-8 that may also carry lone UTF-16 surrogates)
// so that every UTF-16 name survives. Values read from the file stay in their
// written form (views into the file buffer) and are decoded when asked for;
// values set later hold their stored bytes. Sub-keys and values are kept in
// Wine's order: UTF-16 code units compared after lower-casing, then the
// shorter name first. Lookups are binary searches in that order.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "system/winapi.h"

namespace vostrel {

struct RegFileValue {
    enum class Form : std::uint8_t { Bytes, Text, Dword, Hex };
    std::string_view name;  // WTF-8; empty for the default value
    // Form::Bytes: the stored bytes. Otherwise the written form from the
    // file: the escaped text between the quotes, the hex digits of a dword,
    // or the comma list of a hex value (continuation lines included).
    std::string_view data;
    DWORD type = REG_NONE;
    Form form = Form::Bytes;
};

struct RegFileKey {
    std::string_view name;  // WTF-8
    RegFileKey* parent = nullptr;
    std::vector<RegFileKey*> subkeys;  // Wine's order
    std::vector<RegFileValue> values;  // Wine's order
    std::uint64_t modified = 0;        // FILETIME: 100 ns since 1601
    std::string_view keyClass;         // WTF-8, meaningful when hasClass
    bool hasClass = false;
    bool symlink = false;
};

// Wine's order of names: negative, zero or positive.
int CompareRegNames(std::string_view a, std::string_view b);

// The current time as a FILETIME, as wineserver stamps changed keys.
std::uint64_t FileTimeNow();

// WTF-8 <-> UTF-16 code units; lone surrogates survive both ways.
std::u16string WtfToUtf16(std::string_view text);
std::string Utf16ToWtf(std::u16string_view units);

class RegFile {
public:
    // Reads a whole file. `fileName` only names the file in errors, which
    // read "<file> line <n>: <what is wrong>". Nothing when it is malformed.
    static std::unique_ptr<RegFile> Parse(std::string fileName, std::string contents,
                                          std::string* error);
    // An empty file relative to `relativeTo` (e.g. "REGISTRY\\User\\.Default"),
    // with "#arch=<arch>" when arch is not empty.
    static std::unique_ptr<RegFile> Empty(std::string_view relativeTo, std::string_view arch);

    // The file as wineserver would write it.
    std::string Serialize() const;

    RegFileKey& Root() { return *root_; }
    const RegFileKey& Root() const { return *root_; }
    // The key the file is relative to, decoded: "REGISTRY\\Machine".
    const std::string& RelativeTo() const { return relativeTo_; }
    // The "#arch=" of the file ("win64", "win32") or empty.
    const std::string& Arch() const { return arch_; }

    RegFileKey* FindSubkey(const RegFileKey& key, std::string_view name) const;
    // Adds a sub-key that does not exist yet, stamped `time`.
    RegFileKey* AddSubkey(RegFileKey& parent, std::string_view name, std::uint64_t time);
    // Takes a sub-key added by AddSubkey out again (it must have no children).
    void RemoveSubkey(RegFileKey& parent, const RegFileKey* child);

    const RegFileValue* FindValue(const RegFileKey& key, std::string_view name) const;
    void SetValue(RegFileKey& key, std::string_view name, DWORD type,
                  std::span<const std::uint8_t> data);
    // Puts back a value exactly as it was (views stay valid for the file's life).
    void RestoreValue(RegFileKey& key, const RegFileValue& value);
    bool DeleteValue(RegFileKey& key, std::string_view name);

    // The stored bytes of a value (UTF-16LE with its NUL for text written as a string).
    std::vector<std::uint8_t> ValueBytes(const RegFileValue& value) const;
    void ValueBytes(const RegFileValue& value, std::vector<std::uint8_t>& out) const;

private:
    RegFile() = default;
    std::string_view Keep(std::string_view text);
    RegFileKey* NewKey(std::string_view name, RegFileKey* parent, std::uint64_t time);
    friend class RegFileParser;

    std::string contents_;                // the file as read; views point into it
    std::deque<std::string> kept_;        // names and data set since
    std::deque<RegFileKey> keys_;         // every key, at a stable address
    RegFileKey* root_ = nullptr;
    std::string relativeToLine_;          // as written after ";; All keys relative to "
    std::string relativeTo_;              // decoded
    std::string arch_;                    // "win64", "win32" or empty
};

}  // namespace vostrel
