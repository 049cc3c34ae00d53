#include "system/wine/wine_reg_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "system/registry_store.h"
#include "system/text.h"
#include "system/wine/wine_reg_file.h"

namespace vostrel {

namespace regtext {

// ---------------------------------------------------------------- WTF-8

bool IsHex(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned HexValue(unsigned char c) {
    if (c <= '9') return c - '0';
    return (c | 0x20) - 'a' + 10;
}

// A printable ASCII name that needs no escaping work.
bool IsPlainAscii(std::string_view text) {
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 32 || c > 126) return false;
    }
    return true;
}

// ---------------------------------------------------------------- escapes

// Decodes the escaped text of the file (wineserver's parse_strW) into UTF-16
// units. Bytes above 127, which Wine never writes, are read as UTF-8.
// One UTF-8 sequence at s[i]: its code point and length, or nothing.
bool DecodeUtf8At(std::string_view s, std::size_t i, char32_t& cp, std::size_t& len) {
    const auto c = static_cast<unsigned char>(s[i]);
    len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return false;
    cp = c & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
        const auto cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (cc & 0x3F);
    }
    return cp >= 0x80 && cp <= 0x10FFFF;
}

void UnescapeText(std::string_view s, std::u16string& out) {
    std::size_t i = 0;
    // Bytes above 127 (never written by Wine): UTF-8, or Latin-1 when invalid.
    auto pushUtf8 = [&]() {
        char32_t cp = 0;
        std::size_t len = 0;
        if (!DecodeUtf8At(s, i, cp, len)) {
            out.push_back(static_cast<unsigned char>(s[i++]));
            return;
        }
        i += len;
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    };
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c != '\\') {
            if (c >= 0x80) {
                pushUtf8();
            } else {
                out.push_back(c);
                ++i;
            }
            continue;
        }
        if (++i >= s.size()) break;
        const auto e = static_cast<unsigned char>(s[i]);
        switch (e) {
            case 'a':
                out.push_back(u'\a');
                ++i;
                continue;
            case 'b':
                out.push_back(u'\b');
                ++i;
                continue;
            case 'e':
                out.push_back(u'\x1b');
                ++i;
                continue;
            case 'f':
                out.push_back(u'\f');
                ++i;
                continue;
            case 'n':
                out.push_back(u'\n');
                ++i;
                continue;
            case 'r':
                out.push_back(u'\r');
                ++i;
                continue;
            case 't':
                out.push_back(u'\t');
                ++i;
                continue;
            case 'v':
                out.push_back(u'\v');
                ++i;
                continue;
            case 'x': {
                ++i;
                if (i >= s.size() || !IsHex(static_cast<unsigned char>(s[i]))) {
                    out.push_back(u'x');
                    continue;
                }
                unsigned v = 0;
                for (int k = 0; k < 4 && i < s.size() && IsHex(static_cast<unsigned char>(s[i]));
                     ++k)
                    v = v * 16 + HexValue(static_cast<unsigned char>(s[i++]));
                out.push_back(static_cast<char16_t>(v));
                continue;
            }
            default: break;
        }
        if (e >= '0' && e <= '7') {
            unsigned v = 0;
            for (int k = 0; k < 3 && i < s.size() && s[i] >= '0' && s[i] <= '7'; ++k)
                v = v * 8 + static_cast<unsigned>(s[i++] - '0');
            out.push_back(static_cast<char16_t>(v));
            continue;
        }
        if (e >= 0x80) {
            pushUtf8();
        } else {
            out.push_back(e);
            ++i;
        }
    }
}

// UnescapeText for text whose characters all come out below 128, one byte
// each; false as soon as one does not.
bool UnescapeAscii(std::string_view s, std::vector<std::uint8_t>& out) {
    static constexpr char kLetters[] = "abefnrtv";
    static constexpr std::uint8_t kControls[] = {'\a', '\b', 0x1b, '\f', '\n', '\r', '\t', '\v'};
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) return false;
        if (c != '\\') {
            out.push_back(c);
            ++i;
            continue;
        }
        if (++i >= s.size()) break;
        const auto e = static_cast<unsigned char>(s[i]);
        if (e >= 0x80) return false;
        if (const char* letter = e ? std::strchr(kLetters, e) : nullptr) {
            out.push_back(kControls[letter - kLetters]);
            ++i;
            continue;
        }
        unsigned v = 0;
        if (e == 'x') {
            ++i;
            if (i >= s.size() || !IsHex(static_cast<unsigned char>(s[i]))) {
                out.push_back('x');
                continue;
            }
            for (int k = 0; k < 4 && i < s.size() && IsHex(static_cast<unsigned char>(s[i])); ++k)
                v = v * 16 + HexValue(static_cast<unsigned char>(s[i++]));
        } else if (e >= '0' && e <= '7') {
            for (int k = 0; k < 3 && i < s.size() && s[i] >= '0' && s[i] <= '7'; ++k)
                v = v * 8 + static_cast<unsigned>(s[i++] - '0');
        } else {
            out.push_back(e);
            ++i;
            continue;
        }
        if (v >= 0x80) return false;
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return true;
}

bool NeedsUnescape(std::string_view s) {
    for (char ch : s)
        if (ch == '\\' || static_cast<unsigned char>(ch) >= 0x80) return true;
    return false;
}

// Writes UTF-16 units escaped as wineserver's dump_strW does; returns the
// number of characters written. The final NUL of text data is not written
// (the reader adds it back); a name keeps every character, even a last NUL,
// which wineserver would drop.
std::size_t EscapeUnits(std::string& out, std::u16string_view s, char esc0, char esc1,
                        bool dropFinalNul) {
    static constexpr char kEscapes[] = ".......abtnvfr.............e....";
    const std::size_t start = out.size();
    char buffer[16];
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        const std::size_t left = s.size() - i;
        if (c > 127) {
            const bool nextIsHex =
                left > 1 && s[i + 1] < 128 && IsHex(static_cast<unsigned char>(s[i + 1]));
            const int n = std::snprintf(buffer, sizeof buffer, nextIsHex ? "\\x%04x" : "\\x%x",
                                        static_cast<unsigned>(c));
            out.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (c < 32) {
            if (c == 0 && left == 1 && dropFinalNul) continue;
            if (kEscapes[c] != '.') {
                out.push_back('\\');
                out.push_back(kEscapes[c]);
                continue;
            }
            const bool nextIsOctal = left > 1 && s[i + 1] >= u'0' && s[i + 1] <= u'7';
            const int n = std::snprintf(buffer, sizeof buffer, nextIsOctal ? "\\%03o" : "\\%o",
                                        static_cast<unsigned>(c));
            out.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (c == u'\\' || c == static_cast<char16_t>(esc0) || c == static_cast<char16_t>(esc1))
            out.push_back('\\');
        out.push_back(static_cast<char>(c));
    }
    return out.size() - start;
}

std::size_t EscapeName(std::string& out, std::string_view name, char esc0, char esc1) {
    if (!IsPlainAscii(name)) return EscapeUnits(out, WtfToUtf16(name), esc0, esc1);
    const std::size_t start = out.size();
    for (char c : name) {
        if (c == '\\' || c == esc0 || c == esc1) out.push_back('\\');
        out.push_back(c);
    }
    return out.size() - start;
}

// ---------------------------------------------------------------- data forms

// Reads the comma list of a hex value, continuation lines included. Returns
// false on anything else; `out` may be null to only check.
bool DecodeHexList(std::string_view s, std::vector<std::uint8_t>* out) {
    std::size_t i = 0;
    bool expectByte = true;  // after a comma (or at the start) a byte may follow
    auto skipBlanks = [&]() {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    };
    while (true) {
        skipBlanks();
        if (i >= s.size()) return true;
        if (s[i] == '\\') {  // continuation: the list goes on on the next line
            ++i;
            skipBlanks();
            if (i < s.size() && s[i] == '\r') ++i;
            if (i >= s.size() || s[i] != '\n') return false;
            ++i;
            continue;
        }
        if (!expectByte || !IsHex(static_cast<unsigned char>(s[i]))) return false;
        unsigned v = HexValue(static_cast<unsigned char>(s[i++]));
        if (i < s.size() && IsHex(static_cast<unsigned char>(s[i])))
            v = v * 16 + HexValue(static_cast<unsigned char>(s[i++]));
        if (out) out->push_back(static_cast<std::uint8_t>(v));
        skipBlanks();
        expectByte = false;
        if (i < s.size() && s[i] == ',') {
            ++i;
            expectByte = true;
        }
    }
}

bool ParseHexNumber(std::string_view s, std::uint32_t& value) {
    if (s.empty() || s.size() > 8) return false;
    value = 0;
    for (char c : s) {
        if (!IsHex(static_cast<unsigned char>(c))) return false;
        value = value * 16 + HexValue(static_cast<unsigned char>(c));
    }
    return true;
}

void AppendUnitsAsBytes(std::u16string_view units, std::vector<std::uint8_t>& out) {
    for (char16_t u : units) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
}

// ---------------------------------------------------------------- writing values

void AppendHex(std::string& out, std::uint64_t value, bool padded) {
    char buffer[24];
    const int n = std::snprintf(buffer, sizeof buffer, padded ? "%08llx" : "%llx",
                                static_cast<unsigned long long>(value));
    out.append(buffer, static_cast<std::size_t>(n));
}

// One value line (and its continuation lines) as wineserver's dump_value.
void DumpValue(std::string& out, std::string_view name, DWORD type,
               const std::vector<std::uint8_t>& data, std::u16string& scratch) {
    std::size_t count;
    if (!name.empty()) {
        out.push_back('"');
        count = 1 + EscapeName(out, name, '"', '"');
        out += "\"=";
        count += 2;
    } else {
        out += "@=";
        count = 2;
    }
    const std::size_t len = data.size();
    if (IsTextKind(type) && len >= 2 && len % 2 == 0 && data[len - 1] == 0 && data[len - 2] == 0) {
        if (type != REG_SZ) {
            out += "str(";
            AppendHex(out, type, false);
            out += "):";
        }
        scratch.clear();
        for (std::size_t i = 0; i + 1 < len; i += 2)
            scratch.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
        out.push_back('"');
        EscapeUnits(out, scratch, '"', '"', true);
        out += "\"\n";
        return;
    }
    if (type == REG_DWORD && len == 4) {
        out += "dword:";
        AppendHex(out,
                  static_cast<std::uint32_t>(data[0] | (data[1] << 8) | (data[2] << 16) |
                                             (static_cast<std::uint32_t>(data[3]) << 24)),
                  true);
        out.push_back('\n');
        return;
    }
    const std::size_t before = out.size();
    if (type == REG_BINARY) {
        out += "hex:";
    } else {
        out += "hex(";
        AppendHex(out, type, false);
        out += "):";
    }
    count += out.size() - before;
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < len; ++i) {
        out.push_back(kDigits[data[i] >> 4]);
        out.push_back(kDigits[data[i] & 15]);
        count += 2;
        if (i + 1 < len) {
            out.push_back(',');
            if (++count > 76) {
                out += "\\\n  ";
                count = 2;
            }
        }
    }
    out.push_back('\n');
}

// ---------------------------------------------------------------- lines

Line LineAt(std::string_view contents, std::size_t pos) {
    const auto end = contents.find('\n', pos);
    Line line;
    if (end == std::string_view::npos) {
        line.text = contents.substr(pos);
        line.next = contents.size();
    } else {
        line.text = contents.substr(pos, end - pos);
        line.next = end + 1;
    }
    if (!line.text.empty() && line.text.back() == '\r') line.text.remove_suffix(1);
    return line;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Offset of the first unescaped `end` in `s`, or npos.
std::size_t FindUnescaped(std::string_view s, char end) {
    if (end != '\\') {
        // The next `end`, escaped when an odd run of backslashes stands
        // before it (each pair is one escaped backslash).
        for (std::size_t from = 0; from < s.size();) {
            const std::size_t at = s.find(end, from);
            if (at == std::string_view::npos) return at;
            std::size_t run = at;
            while (run > 0 && s[run - 1] == '\\') --run;
            if ((at - run) % 2 == 0) return at;
            from = at + 1;
        }
        return std::string_view::npos;
    }
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\') {
            ++i;
            continue;
        }
        if (s[i] == end) return i;
    }
    return std::string_view::npos;
}

std::vector<std::string> SplitPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto slash = path.find('\\', start);
        const auto end = slash == std::string_view::npos ? path.size() : slash;
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    return parts;
}

}  // namespace regtext

using namespace regtext;

// ---------------------------------------------------------------- public helpers

int CompareRegNames(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    const std::size_t common = std::min(a.size(), b.size());
    for (; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca >= 0x80 || cb >= 0x80) break;
        const char16_t fa = Fold(ca), fb = Fold(cb);
        if (fa != fb) return fa < fb ? -1 : 1;
    }
    if (i == common) {
        if (a.size() == b.size()) return 0;
        return a.size() < b.size() ? -1 : 1;
    }
    UnitReader ra(a.substr(i)), rb(b.substr(i));
    while (true) {
        char16_t ua = 0, ub = 0;
        const bool ha = ra.Next(ua), hb = rb.Next(ub);
        if (!ha || !hb) return ha == hb ? 0 : (ha ? 1 : -1);
        const char16_t fa = Fold(ua), fb = Fold(ub);
        if (fa != fb) return fa < fb ? -1 : 1;
    }
}

// The registry of a Linux build is a Wine prefix's: wineserver's order.
int CompareRegistryNames(std::string_view a, std::string_view b) { return CompareRegNames(a, b); }

std::uint64_t FileTimeNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * kTicksPerSecond +
           static_cast<std::uint64_t>(now.tv_nsec) / 100 + kTicks1601To1970;
}

std::u16string WtfToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    UnitReader reader(text);
    char16_t unit;
    while (reader.Next(unit)) out.push_back(unit);
    return out;
}

std::string Utf16ToWtf(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t cp = units[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

}  // namespace vostrel
