// The text of Wine's registry files, shared by the reader and the writer of
// RegFile: names and data escaped as wineserver escapes them, WTF-8, the hex
// forms of values, lines, and the order of names. Only the wine_reg_* files
// use these; the rest of the program goes through RegFile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "system/winapi.h"
#include "system/wine/wine_case.h"

namespace vostrel::regtext {

inline constexpr std::uint64_t kTicksPerSecond = 10000000ull;
inline constexpr std::uint64_t kTicks1601To1970 = 116444736000000000ull;

// Lower-casing of one UTF-16 unit the way wineserver compares names: with
// Wine's own case table, which leaves out the one-way mappings of Unicode
// (so "\x130" and "i" are two names, as in Wine).
inline char16_t Fold(char16_t c) { return WineDowncase(c); }

// Reads UTF-16 code units out of WTF-8 one at a time.
class UnitReader {
public:
    explicit UnitReader(std::string_view text) : text_(text) {}
    bool Next(char16_t& unit) {
        if (pendingLow_) {
            unit = pendingLow_;
            pendingLow_ = 0;
            return true;
        }
        if (pos_ >= text_.size()) return false;
        const char32_t cp = DecodeOne();
        if (cp >= 0x10000) {
            unit = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            pendingLow_ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit = static_cast<char16_t>(cp);
        }
        return true;
    }

private:
    char32_t DecodeOne() {
        const auto c = static_cast<unsigned char>(text_[pos_]);
        std::size_t len = c < 0x80             ? 1
                          : (c & 0xE0) == 0xC0 ? 2
                          : (c & 0xF0) == 0xE0 ? 3
                          : (c & 0xF8) == 0xF0 ? 4
                                               : 0;
        if (len == 1 || len == 0 || pos_ + len > text_.size()) {
            ++pos_;
            return len == 1 ? c : 0xFFFD;
        }
        char32_t cp = c & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(text_[pos_ + k]);
            if ((cc & 0xC0) != 0x80) {
                ++pos_;
                return 0xFFFD;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        pos_ += len;
        return cp;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    char16_t pendingLow_ = 0;
};

bool IsHex(unsigned char c);
unsigned HexValue(unsigned char c);
// A printable ASCII name that needs no escaping work.
bool IsPlainAscii(std::string_view text);

// Decodes the escaped text of the file (wineserver's parse_strW) into UTF-16
// units. Bytes above 127, which Wine never writes, are read as UTF-8.
void UnescapeText(std::string_view s, std::u16string& out);
// UnescapeText for text whose characters all come out below 128, one byte
// each; false as soon as one does not.
bool UnescapeAscii(std::string_view s, std::vector<std::uint8_t>& out);
bool NeedsUnescape(std::string_view s);
// Writes UTF-16 units escaped as wineserver's dump_strW does; returns the
// number of characters written. The final NUL of text data is not written
// (the reader adds it back); a name keeps every character, even a last NUL,
// which wineserver would drop.
std::size_t EscapeUnits(std::string& out, std::u16string_view s, char esc0, char esc1,
                        bool dropFinalNul = false);
std::size_t EscapeName(std::string& out, std::string_view name, char esc0, char esc1);

// Reads the comma list of a hex value, continuation lines included. Returns
// false on anything else; `out` may be null to only check.
bool DecodeHexList(std::string_view s, std::vector<std::uint8_t>* out);
bool ParseHexNumber(std::string_view s, std::uint32_t& value);
void AppendUnitsAsBytes(std::u16string_view units, std::vector<std::uint8_t>& out);

void AppendHex(std::string& out, std::uint64_t value, bool padded);
// One value line (and its continuation lines) as wineserver's dump_value.
void DumpValue(std::string& out, std::string_view name, DWORD type,
               const std::vector<std::uint8_t>& data, std::u16string& scratch);

struct Line {
    std::string_view text;  // without the line end
    std::size_t next = 0;   // offset of the following line
};
Line LineAt(std::string_view contents, std::size_t pos);
std::string_view TrimBlanks(std::string_view s);
// Offset of the first unescaped `end` in `s`, or npos.
std::size_t FindUnescaped(std::string_view s, char end);
std::vector<std::string> SplitPath(std::string_view path);

}  // namespace vostrel::regtext
