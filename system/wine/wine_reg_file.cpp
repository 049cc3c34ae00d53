#include "system/wine/wine_reg_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unordered_map>
#include <unordered_set>

#include "system/text.h"
#include "system/wine/wine_case.h"

namespace vostrel {

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000ull;
constexpr std::uint64_t kTicks1601To1970 = 116444736000000000ull;

// ---------------------------------------------------------------- case fold

// Lower-casing of one UTF-16 unit the way wineserver compares names: with
// Wine's own case table, which leaves out the one-way mappings of Unicode
// (so "\x130" and "i" are two names, as in Wine).
char16_t Fold(char16_t c) { return WineDowncase(c); }

// ---------------------------------------------------------------- WTF-8

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
        std::size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3
                                                                 : (c & 0xF8) == 0xF0 ? 4 : 0;
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

void AppendCodePoint(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

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
            case 'a': out.push_back(u'\a'); ++i; continue;
            case 'b': out.push_back(u'\b'); ++i; continue;
            case 'e': out.push_back(u'\x1b'); ++i; continue;
            case 'f': out.push_back(u'\f'); ++i; continue;
            case 'n': out.push_back(u'\n'); ++i; continue;
            case 'r': out.push_back(u'\r'); ++i; continue;
            case 't': out.push_back(u'\t'); ++i; continue;
            case 'v': out.push_back(u'\v'); ++i; continue;
            case 'x': {
                ++i;
                if (i >= s.size() || !IsHex(static_cast<unsigned char>(s[i]))) {
                    out.push_back(u'x');
                    continue;
                }
                unsigned v = 0;
                for (int k = 0; k < 4 && i < s.size() && IsHex(static_cast<unsigned char>(s[i])); ++k)
                    v = v * 16 + HexValue(static_cast<unsigned char>(s[i++]));
                out.push_back(static_cast<char16_t>(v));
                continue;
            }
            default:
                break;
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
                        bool dropFinalNul = false) {
    static constexpr char kEscapes[] = ".......abtnvfr.............e....";
    const std::size_t start = out.size();
    char buffer[16];
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        const std::size_t left = s.size() - i;
        if (c > 127) {
            const bool nextIsHex = left > 1 && s[i + 1] < 128 && IsHex(static_cast<unsigned char>(s[i + 1]));
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
        AppendHex(out, static_cast<std::uint32_t>(data[0] | (data[1] << 8) | (data[2] << 16) |
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

struct Line {
    std::string_view text;  // without the line end
    std::size_t next = 0;   // offset of the following line
};

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

}  // namespace

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
        AppendCodePoint(out, cp);
    }
    return out;
}

// ---------------------------------------------------------------- parser

class RegFileParser {
public:
    RegFileParser(RegFile& file, std::string fileName) : file_(file), fileName_(std::move(fileName)) {}

    bool Run(std::string* error) {
        const std::string_view contents = file_.contents_;
        if (!contents.empty() && contents.back() != '\n')
            return Fail(error, CountLines(contents), "the file ends in the middle of a line (cut off?)");
        std::size_t pos = 0;
        line_ = 0;
        const Line header = Next(pos);
        if (header.text != "WINE REGISTRY Version 2")
            return Fail(error, 1, "not a Wine registry file (the first line is not \"WINE REGISTRY Version 2\")");
        while (pos < contents.size()) {
            const Line line = Next(pos);
            if (!HandleLine(line, pos)) return Fail(error, line_, problem_);
        }
        FlushValues();
        SortWhatCameOutOfOrder();
        return true;
    }

private:
    Line Next(std::size_t& pos) {
        const Line line = LineAt(file_.contents_, pos);
        pos = line.next;
        ++line_;
        return line;
    }

    static std::size_t CountLines(std::string_view s) {
        return static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n')) + 1;
    }

    bool Fail(std::string* error, std::size_t line, const std::string& what) {
        if (error) *error = fileName_ + " line " + std::to_string(line) + ": " + what;
        return false;
    }

    bool Problem(std::string what) {
        problem_ = std::move(what);
        return false;
    }

    bool HandleLine(const Line& line, std::size_t& pos) {
        std::string_view text = line.text;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
        if (text.empty()) return true;
        switch (text.front()) {
            case '[': return KeyLine(text, static_cast<std::size_t>(line.text.data() - file_.contents_.data()));
            case '@':
            case '"': return ValueLine(text, line, pos);
            case '#': return OptionLine(text);
            case ';': return CommentLine(text);
            default: return Problem("unrecognised line");
        }
    }

    bool CommentLine(std::string_view text) {
        static constexpr std::string_view kRelative = ";; All keys relative to ";
        if (key_ || !file_.relativeToLine_.empty() || text.substr(0, kRelative.size()) != kRelative)
            return true;
        file_.relativeToLine_ = std::string(text.substr(kRelative.size()));
        std::u16string units;
        UnescapeText(file_.relativeToLine_, units);
        file_.relativeTo_ = Utf16ToWtf(units);
        return true;
    }

    bool OptionLine(std::string_view text) {
        if (!key_) {
            if (text.substr(0, 6) == "#arch=") file_.arch_ = std::string(TrimBlanks(text.substr(6)));
            return true;
        }
        if (text.substr(0, 6) == "#time=") {
            std::uint64_t time = 0;
            for (char c : text.substr(6)) {
                if (!IsHex(static_cast<unsigned char>(c))) break;
                time = (time << 4) | HexValue(static_cast<unsigned char>(c));
            }
            key_->modified = time;
            return true;
        }
        if (text.substr(0, 7) == "#class=") {
            std::string_view rest = text.substr(7);
            if (rest.empty() || rest.front() != '"') return Problem("the class is not a quoted text");
            rest.remove_prefix(1);
            const auto end = FindUnescaped(rest, '"');
            if (end == std::string_view::npos) return Problem("the class text has no closing quote");
            key_->keyClass = Name(rest.substr(0, end));
            key_->hasClass = true;
            return true;
        }
        if (TrimBlanks(text) == "#link") key_->symlink = true;
        return true;  // other options mean nothing to wineserver either
    }

    // A name as held in memory: a view into the file when it needs no decoding.
    std::string_view Name(std::string_view escaped) {
        if (!NeedsUnescape(escaped)) return escaped;
        std::u16string units;
        UnescapeText(escaped, units);
        return file_.Keep(Utf16ToWtf(units));
    }

    bool KeyLine(std::string_view text, std::size_t lineStart) {
        std::string_view inner = text.substr(1);
        const auto close = FindUnescaped(inner, ']');
        if (close == std::string_view::npos) return Problem("the key name has no closing ']'");
        const std::string_view rest = TrimBlanks(inner.substr(close + 1));
        inner = inner.substr(0, close);
        std::uint64_t time = 0;
        if (rest.empty()) {
            time = FileTimeNow();
        } else {
            std::uint64_t seconds = 0;
            for (char c : rest) {
                if (c < '0' || c > '9' || seconds > 0xFFFFFFFFull) return Problem("unexpected text after the key name");
                seconds = seconds * 10 + static_cast<unsigned>(c - '0');
            }
            time = seconds * kTicksPerSecond + kTicks1601To1970;
        }
        FlushValues();
        parts_.clear();
        std::vector<std::string> decoded;
        if (!NeedsEscapesOtherThanSeparators(inner)) {
            SplitOnSeparators(inner, parts_);
        } else {
            std::u16string units;
            UnescapeText(inner, units);
            decoded = SplitPath(Utf16ToWtf(units));
            for (const auto& part : decoded) parts_.emplace_back(part);
        }
        if (firstKey_) {
            firstKey_ = false;
            prefixParts_ = PrefixToSkip(parts_);
        }
        key_ = Resolve(time, !decoded.empty());
        key_->modified = time;
        key_->header = lineStart;
        return true;
    }

    // The key named by parts_, added with its parents when missing. Keys
    // mostly follow a sibling or a parent, so the names shared with the key
    // line before (the same bytes) lead to the same keys without a look-up.
    RegFileKey* Resolve(std::uint64_t time, bool decoded) {
        const std::size_t first = std::min(prefixParts_, parts_.size());
        std::size_t same = 0;
        if (decoded) {
            lastParts_.clear();
            lastKeys_.clear();
        }
        while (same < parts_.size() && same < lastParts_.size() && parts_[same] == lastParts_[same]) ++same;
        RegFileKey* key = same > first ? lastKeys_[same - 1] : &file_.Root();
        lastParts_.resize(same);
        lastKeys_.resize(same);
        for (std::size_t i = same; i < parts_.size(); ++i) {
            if (i >= first) key = FindOrAdd(*key, parts_[i], decoded, time);
            if (decoded) continue;
            lastParts_.push_back(parts_[i]);
            lastKeys_.push_back(key);
        }
        return key;
    }

    static bool NeedsEscapesOtherThanSeparators(std::string_view s) {
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (static_cast<unsigned char>(s[i]) >= 0x80) return true;
            if (s[i] != '\\') continue;
            if (i + 1 >= s.size() || s[i + 1] != '\\') return true;
            ++i;
        }
        return false;
    }

    static void SplitOnSeparators(std::string_view s, std::vector<std::string_view>& parts) {
        std::size_t start = 0;
        while (true) {
            const auto sep = s.find("\\\\", start);
            const auto end = sep == std::string_view::npos ? s.size() : sep;
            if (end > start) parts.push_back(s.substr(start, end - start));
            if (sep == std::string_view::npos) return;
            start = sep + 2;
        }
    }

    // Files of old Wine versions name keys from a point above the file's
    // root ("[Machine\\Software...]"): as wineserver does, when the first
    // key starts with the name of the root or one of its parents, that many
    // leading names are skipped in every key of the file.
    std::size_t PrefixToSkip(const std::vector<std::string_view>& parts) const {
        if (parts.empty() || file_.relativeTo_.empty()) return 0;
        const auto base = SplitPath(file_.relativeTo_);
        for (std::size_t k = 0; k < base.size(); ++k)
            if (CompareRegNames(parts[0], base[base.size() - 1 - k]) == 0) return k + 1;
        return 0;
    }

    // Files written by Wine list every key and value in order, so new ones
    // are appended. Out of order (a file from elsewhere), a key's sub-keys
    // are found through a hash index and sorted once the file is read.
    RegFileKey* FindOrAdd(RegFileKey& parent, std::string_view name, bool keep, std::uint64_t time) {
        auto& subs = parent.subkeys;
        if (parent.unsorted) {
            if (RegFileKey* found = FindUnsorted(parent, name)) return found;
            return AddUnsorted(parent, keep ? file_.Keep(name) : name, time);
        }
        if (!subs.empty()) {
            const int order = CompareRegNames(subs.back()->name, name);
            if (order == 0) return subs.back();
            if (order > 0) {
                if (RegFileKey* found = file_.FindSubkey(parent, name)) return found;
                parent.unsorted = true;
                unsortedKeys_.push_back(&parent);
                if (subs.size() > kFewSubkeys)
                    for (RegFileKey* sub : subs) index_.emplace(IndexKey{&parent, sub->name}, sub);
                return AddUnsorted(parent, keep ? file_.Keep(name) : name, time);
            }
        }
        RegFileKey* key = file_.NewKey(keep ? file_.Keep(name) : name, &parent, time);
        subs.push_back(key);
        return key;
    }

    // A key's sub-keys out of order: a few are searched one by one, more
    // through one hash index of (parent, name) for the whole file.
    RegFileKey* FindUnsorted(const RegFileKey& parent, std::string_view name) const {
        if (parent.subkeys.size() <= kFewSubkeys) {
            for (RegFileKey* sub : parent.subkeys)
                if (CompareRegNames(sub->name, name) == 0) return sub;
            return nullptr;
        }
        const auto found = index_.find(IndexKey{&parent, name});
        return found == index_.end() ? nullptr : found->second;
    }

    RegFileKey* AddUnsorted(RegFileKey& parent, std::string_view name, std::uint64_t time) {
        RegFileKey* key = file_.NewKey(name, &parent, time);
        auto& subs = parent.subkeys;
        subs.push_back(key);
        if (subs.size() == kFewSubkeys + 1)
            for (RegFileKey* sub : subs) index_.emplace(IndexKey{&parent, sub->name}, sub);
        else if (subs.size() > kFewSubkeys + 1)
            index_.emplace(IndexKey{&parent, key->name}, key);
        return key;
    }

    // Hashing and equality of names in Wine's order (folded UTF-16 units).
    struct FoldedHash {
        std::size_t operator()(std::string_view name) const {
            std::uint64_t h = 1469598103934665603ull;
            std::size_t i = 0;
            for (; i < name.size(); ++i) {
                const auto c = static_cast<unsigned char>(name[i]);
                if (c >= 0x80) break;
                h = (h ^ Fold(c)) * 1099511628211ull;
            }
            if (i < name.size()) {
                UnitReader reader(name.substr(i));
                char16_t unit = 0;
                while (reader.Next(unit)) h = (h ^ Fold(unit)) * 1099511628211ull;
            }
            return static_cast<std::size_t>(h);
        }
    };
    static constexpr std::size_t kFewSubkeys = 8;
    struct IndexKey {
        const RegFileKey* parent;
        std::string_view name;
    };
    struct IndexHash {
        std::size_t operator()(const IndexKey& k) const {
            return FoldedHash()(k.name) ^ (reinterpret_cast<std::uintptr_t>(k.parent) * 0x9E3779B97F4A7C15ull);
        }
    };
    struct IndexEqual {
        bool operator()(const IndexKey& a, const IndexKey& b) const {
            return a.parent == b.parent && CompareRegNames(a.name, b.name) == 0;
        }
    };

    // Values of one key in Wine's order; of values named alike the last one
    // written counts, as in wineserver. Keys hold few values, so a stable
    // insertion sort does without the buffer of a merge sort.
    void SortValues(RegFileKey& key) {
        std::vector<RegFileValue>& values = key.values;
        auto less = [](const RegFileValue& a, const RegFileValue& b) { return CompareRegNames(a.name, b.name) < 0; };
        if (values.size() <= 32) {
            for (std::size_t i = 1; i < values.size(); ++i) {
                RegFileValue moving = values[i];
                std::size_t j = i;
                for (; j > 0 && less(moving, values[j - 1]); --j) values[j] = values[j - 1];
                values[j] = moving;
            }
        } else {
            std::stable_sort(values.begin(), values.end(), less);
        }
        std::size_t kept = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (kept > 0 && CompareRegNames(values[kept - 1].name, values[i].name) == 0) {
                file_.shadowed_.emplace(&key, values[kept - 1]);
                values[kept - 1] = values[i];
            }
            else
                values[kept++] = values[i];
        }
        values.resize(kept);
    }

    void SortWhatCameOutOfOrder() {
        auto byName = [](const RegFileKey* a, const RegFileKey* b) { return CompareRegNames(a->name, b->name) < 0; };
        for (RegFileKey* key : unsortedKeys_) {
            std::sort(key->subkeys.begin(), key->subkeys.end(), byName);
            key->unsorted = false;
        }
        for (RegFileKey* key : unsortedValues_) SortValues(*key);
    }

    bool ValueLine(std::string_view text, const Line& line, std::size_t& pos) {
        if (!key_) return Problem("a value before the first key");
        std::string_view name;
        std::string_view rest;
        if (text.front() == '@') {
            rest = text.substr(1);
        } else {
            const auto end = FindUnescaped(text.substr(1), '"');
            if (end == std::string_view::npos) return Problem("the value name has no closing quote");
            name = Name(text.substr(1, end));
            rest = text.substr(end + 2);
        }
        rest = TrimBlanks(rest);
        if (rest.empty() || rest.front() != '=') return Problem("'=' expected after the value name");
        rest = TrimBlanks(rest.substr(1));
        RegFileValue value;
        value.name = name;
        if (!ValueData(rest, line, pos, value)) return false;
        InsertParsedValue(value);
        return true;
    }

    bool ValueData(std::string_view rest, const Line& line, std::size_t& pos, RegFileValue& value) {
        struct TextPrefix {
            std::string_view prefix;
            DWORD type;
        };
        static constexpr TextPrefix kTextPrefixes[] = {
            {"\"", REG_SZ}, {"str:\"", REG_SZ}, {"str(2):\"", REG_EXPAND_SZ}, {"str(7):\"", REG_MULTI_SZ}};
        for (const auto& p : kTextPrefixes) {
            if (rest.substr(0, p.prefix.size()) != p.prefix) continue;
            const std::string_view body = rest.substr(p.prefix.size());
            const auto end = FindUnescaped(body, '"');
            if (end == std::string_view::npos) return Problem("the text has no closing quote");
            if (!TrimBlanks(body.substr(end + 1)).empty()) return Problem("unexpected text after the closing quote");
            value.type = p.type;
            value.form = RegFileValue::Form::Text;
            value.data = body.substr(0, end);
            return true;
        }
        if (rest.substr(0, 6) == "dword:") {
            std::uint32_t number = 0;
            if (!ParseHexNumber(TrimBlanks(rest.substr(6)), number)) return Problem("a dword needs 1 to 8 hex digits");
            value.type = REG_DWORD;
            value.form = RegFileValue::Form::Dword;
            value.data = TrimBlanks(rest.substr(6));
            return true;
        }
        std::string_view list;
        if (rest.substr(0, 4) == "hex:") {
            value.type = REG_BINARY;
            list = rest.substr(4);
        } else if (rest.substr(0, 4) == "hex(") {
            const auto close = rest.find("):");
            std::uint32_t type = 0;
            if (close == std::string_view::npos || !ParseHexNumber(rest.substr(4, close - 4), type))
                return Problem("a hex value needs its kind as hex(<kind>):");
            value.type = type;
            list = rest.substr(close + 2);
        } else {
            return Problem("unknown kind of value data");
        }
        return HexData(list, line, pos, value);
    }

    // The comma list may go on over continuation lines ending in '\'.
    bool HexData(std::string_view list, const Line& line, std::size_t& pos, RegFileValue& value) {
        const char* base = file_.contents_.data();
        const std::size_t start = static_cast<std::size_t>(list.data() - base);
        std::size_t end = static_cast<std::size_t>(line.text.data() + line.text.size() - base);
        std::string_view last = line.text;
        while (!TrimBlanks(last).empty() && TrimBlanks(last).back() == '\\') {
            if (pos >= file_.contents_.size()) return Problem("the hex data goes on past the end of the file (cut off?)");
            const Line more = Next(pos);
            last = more.text;
            end = static_cast<std::size_t>(more.text.data() + more.text.size() - base);
        }
        value.form = RegFileValue::Form::Hex;
        value.data = std::string_view(base + start, end - start);
        if (!DecodeHexList(value.data, nullptr)) return Problem("malformed hex data");
        return true;
    }

    // The values of the current key gather in pending_ and are handed to the
    // key at its end, so that its vector is allocated once, at its size.
    void InsertParsedValue(const RegFileValue& value) {
        const int order = pending_.empty() ? -1 : CompareRegNames(pending_.back().name, value.name);
        if (order == 0) {
            file_.shadowed_.emplace(key_, pending_.back());
            pending_.back() = value;
            return;
        }
        if (order > 0) pendingUnsorted_ = true;
        pending_.push_back(value);
    }

    void FlushValues() {
        if (!key_ || pending_.empty()) return;
        auto& values = key_->values;
        if (values.empty()) {
            values.assign(pending_.begin(), pending_.end());
        } else {
            values.insert(values.end(), pending_.begin(), pending_.end());
            pendingUnsorted_ = true;
        }
        if (pendingUnsorted_) unsortedValues_.insert(key_);
        pending_.clear();
        pendingUnsorted_ = false;
    }

    RegFile& file_;
    std::string fileName_;
    std::size_t line_ = 0;
    RegFileKey* key_ = nullptr;
    bool firstKey_ = true;
    std::size_t prefixParts_ = 0;
    std::string problem_;
    std::vector<RegFileKey*> unsortedKeys_;
    std::unordered_map<IndexKey, RegFileKey*, IndexHash, IndexEqual> index_;
    std::unordered_set<RegFileKey*> unsortedValues_;
    std::vector<RegFileValue> pending_;
    bool pendingUnsorted_ = false;
    // The key line before: its names as written and the keys they led to.
    std::vector<std::string_view> parts_;
    std::vector<std::string_view> lastParts_;
    std::vector<RegFileKey*> lastKeys_;
};

// ---------------------------------------------------------------- RegFile

std::unique_ptr<RegFile> RegFile::Parse(std::string fileName, std::string contents, std::string* error) {
    std::unique_ptr<RegFile> file(new RegFile());
    file->contents_ = std::move(contents);
    file->root_ = file->NewKey({}, nullptr, FileTimeNow());
    RegFileParser parser(*file, std::move(fileName));
    if (!parser.Run(error)) return nullptr;
    return file;
}

std::unique_ptr<RegFile> RegFile::Empty(std::string_view relativeTo, std::string_view arch) {
    std::unique_ptr<RegFile> file(new RegFile());
    file->wineForm_ = 1;  // nothing read: written as Wine writes it
    file->root_ = file->NewKey({}, nullptr, FileTimeNow());
    file->relativeTo_ = std::string(relativeTo);
    file->arch_ = std::string(arch);
    const auto parts = SplitPath(relativeTo);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) file->relativeToLine_ += "\\\\";
        EscapeName(file->relativeToLine_, parts[i], '[', ']');
    }
    return file;
}

std::string_view RegFile::Keep(std::string_view text) {
    kept_.emplace_back(text);
    return kept_.back();
}

RegFileKey* RegFile::NewKey(std::string_view name, RegFileKey* parent, std::uint64_t time) {
    RegFileKey& key = keys_.emplace_back();
    key.name = name;
    key.parent = parent;
    key.modified = time;
    return &key;
}

RegFileKey* RegFile::FindSubkey(const RegFileKey& key, std::string_view name) const {
    const auto it = std::lower_bound(key.subkeys.begin(), key.subkeys.end(), name,
                                     [](const RegFileKey* k, std::string_view n) {
                                         return CompareRegNames(k->name, n) < 0;
                                     });
    if (it == key.subkeys.end() || CompareRegNames((*it)->name, name) != 0) return nullptr;
    return *it;
}

RegFileKey* RegFile::AddSubkey(RegFileKey& parent, std::string_view name, std::uint64_t time) {
    BeforeChange();
    MarkChanged(parent);
    RegFileKey* key = NewKey(Keep(name), &parent, time);
    added_.push_back(key);
    const auto it = std::lower_bound(parent.subkeys.begin(), parent.subkeys.end(), name,
                                     [](const RegFileKey* k, std::string_view n) {
                                         return CompareRegNames(k->name, n) < 0;
                                     });
    parent.subkeys.insert(it, key);
    return key;
}

void RegFile::RemoveSubkey(RegFileKey& parent, const RegFileKey* child) {
    BeforeChange();
    added_.erase(std::remove(added_.begin(), added_.end(), child), added_.end());
    auto& subs = parent.subkeys;
    subs.erase(std::remove(subs.begin(), subs.end(), child), subs.end());
}

namespace {

auto LowerValue(std::vector<RegFileValue>& values, std::string_view name) {
    return std::lower_bound(values.begin(), values.end(), name,
                            [](const RegFileValue& v, std::string_view n) {
                                return CompareRegNames(v.name, n) < 0;
                            });
}

}  // namespace

const RegFileValue* RegFile::FindValue(const RegFileKey& key, std::string_view name) const {
    auto& values = const_cast<std::vector<RegFileValue>&>(key.values);
    const auto it = LowerValue(values, name);
    if (it == values.end() || CompareRegNames(it->name, name) != 0) return nullptr;
    return &*it;
}

void RegFile::RestoreValue(RegFileKey& key, const RegFileValue& value) {
    BeforeChange();
    MarkChanged(key);
    const auto it = LowerValue(key.values, value.name);
    const bool exists = it != key.values.end() && CompareRegNames(it->name, value.name) == 0;
    if (exists && it->data.data() != value.data.data()) DropSourceLines(key, *it, true);
    DropSourceLines(key, value, false);
    if (exists)
        *it = value;
    else
        key.values.insert(it, value);
}

void RegFile::SetValue(RegFileKey& key, std::string_view name, DWORD type,
                       std::span<const std::uint8_t> data) {
    RegFileValue value;
    const RegFileValue* existing = FindValue(key, name);
    value.name = existing ? existing->name : Keep(name);
    value.type = type;
    value.form = RegFileValue::Form::Bytes;
    value.data = Keep(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    RestoreValue(key, value);
}

bool RegFile::DeleteValue(RegFileKey& key, std::string_view name) {
    const auto it = LowerValue(key.values, name);
    if (it == key.values.end() || CompareRegNames(it->name, name) != 0) return false;
    BeforeChange();
    MarkChanged(key);
    DropSourceLines(key, *it, true);
    key.values.erase(it);
    return true;
}

std::vector<std::uint8_t> RegFile::ValueBytes(const RegFileValue& value) const {
    std::vector<std::uint8_t> out;
    ValueBytes(value, out);
    return out;
}

bool RegFile::AsciiText(const RegFileValue& value, std::vector<std::uint8_t>& out) {
    out.clear();
    if (value.form != RegFileValue::Form::Text || !UnescapeAscii(value.data, out)) return false;
    out.push_back(0);
    return true;
}

void RegFile::ValueBytes(const RegFileValue& value, std::vector<std::uint8_t>& out) const {
    out.clear();
    switch (value.form) {
        case RegFileValue::Form::Bytes:
            out.assign(value.data.begin(), value.data.end());
            return;
        case RegFileValue::Form::Text: {
            std::u16string units;
            units.reserve(value.data.size() + 1);
            UnescapeText(value.data, units);
            units.push_back(0);
            out.reserve(units.size() * 2);
            AppendUnitsAsBytes(units, out);
            return;
        }
        case RegFileValue::Form::Dword: {
            std::uint32_t number = 0;
            ParseHexNumber(value.data, number);
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
            return;
        }
        case RegFileValue::Form::Hex:
            out.reserve(value.data.size() / 3 + 1);
            DecodeHexList(value.data, &out);
            return;
    }
}

// ---------------------------------------------------------------- writing

namespace {

class Writer {
public:
    Writer(const RegFile& file, std::string& out) : file_(file), out_(out) {}

    // Every key below `root`, depth first, parents before their sub-keys.
    // The writer keeps its own stack, so however deep a file nests its keys
    // it never runs out of the machine's stack.
    void Tree(const RegFileKey& root) {
        struct Level {
            const RegFileKey* key;
            std::size_t next;  // the sub-key to write next
            std::size_t mark;  // the length of `path` before this key's name
        };
        std::string path;
        std::vector<Level> levels;
        if (Written(root)) Header(root, path);
        levels.push_back({&root, 0, 0});
        while (!levels.empty()) {
            Level& level = levels.back();
            if (level.next == level.key->subkeys.size()) {
                path.resize(level.mark);
                levels.pop_back();
                continue;
            }
            const RegFileKey* sub = level.key->subkeys[level.next++];
            const std::size_t mark = path.size();
            if (!path.empty()) path += "\\\\";
            EscapeName(path, sub->name, '[', ']');
            if (Written(*sub)) Header(*sub, path);
            levels.push_back({sub, 0, mark});
        }
    }

    // Wine writes a key that holds something, or that no sub-key implies.
    static bool Written(const RegFileKey& key) {
        return !key.values.empty() || key.subkeys.empty() || key.hasClass || key.symlink;
    }

    // One key's lines on their own, as Tree writes them.
    void Block(const RegFileKey& key, const std::string& path) { Header(key, path); }

private:
    void Header(const RegFileKey& key, const std::string& path) {
        out_ += "\n[";
        out_ += path;
        out_ += "] ";
        const auto seconds = static_cast<std::int64_t>(key.modified - kTicks1601To1970) /
                             static_cast<std::int64_t>(kTicksPerSecond);
        out_ += std::to_string(static_cast<std::uint32_t>(seconds));
        out_ += "\n#time=";
        AppendHex(out_, key.modified >> 32, false);
        AppendHex(out_, key.modified & 0xFFFFFFFFu, true);
        out_.push_back('\n');
        if (key.hasClass) {
            out_ += "#class=\"";
            EscapeName(out_, key.keyClass, '"', '"');
            out_ += "\"\n";
        }
        if (key.symlink) out_ += "#link\n";
        for (const RegFileValue& value : key.values) {
            file_.ValueBytes(value, bytes_);
            DumpValue(out_, value.name, value.type, bytes_, scratch_);
        }
    }

    const RegFile& file_;
    std::string& out_;
    std::vector<std::uint8_t> bytes_;
    std::u16string scratch_;
};

}  // namespace

std::string RegFile::Serialize() const {
    std::string out;
    out.reserve(contents_.size() + 4096);
    out += "WINE REGISTRY Version 2\n;; All keys relative to ";
    out += relativeToLine_;
    out.push_back('\n');
    if (!arch_.empty()) {
        out += "\n#arch=";
        out += arch_;
        out.push_back('\n');
    }
    Writer writer(*this, out);
    writer.Tree(*root_);
    return out;
}

// ---------------------------------------------------------------- saving

void RegFile::BeforeChange() {
    if (wineForm_ < 0) wineForm_ = Serialize() == contents_ ? 1 : 0;
}

void RegFile::MarkChanged(RegFileKey& key) {
    if (key.changed) return;
    key.changed = true;
    changed_.push_back(&key);
}

bool RegFile::SourceLines(const RegFileValue& value, std::size_t& begin, std::size_t& end) const {
    if (value.form == RegFileValue::Form::Bytes || contents_.empty()) return false;
    const char* base = contents_.data();
    if (value.data.data() <= base || value.data.data() > base + contents_.size()) return false;
    const auto at = static_cast<std::size_t>(value.data.data() - base);
    const auto lineEnd = contents_.rfind('\n', at - 1);
    begin = lineEnd == std::string::npos ? 0 : lineEnd + 1;
    const auto next = contents_.find('\n', at + value.data.size());
    end = next == std::string::npos ? contents_.size() : next + 1;
    return true;
}

void RegFile::DropSourceLines(const RegFileKey& key, const RegFileValue& value, bool drop) {
    auto mark = [&](const RegFileValue& v) {
        std::size_t begin = 0, end = 0;
        if (!SourceLines(v, begin, end)) return;
        if (drop) dropped_[begin] = end;
        else dropped_.erase(begin);
    };
    mark(value);
    const auto [first, last] = shadowed_.equal_range(&key);
    for (auto it = first; it != last; ++it)
        if (CompareRegNames(it->second.name, value.name) == 0) mark(it->second);
}

namespace {

// Whether `key` still hangs in the tree below `root`.
bool Attached(const RegFile& file, const RegFileKey& key) {
    const RegFileKey* k = &key;
    for (; k->parent; k = k->parent)
        if (file.FindSubkey(*k->parent, k->name) != k) return false;
    return k == &file.Root();
}

// The key's path as its "[...]" line writes it.
std::string KeyLinePath(const RegFileKey& key) {
    std::vector<const RegFileKey*> chain;
    for (const RegFileKey* k = &key; k->parent; k = k->parent) chain.push_back(k);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty()) path += "\\\\";
        EscapeName(path, (*it)->name, '[', ']');
    }
    return path;
}

struct Edit {
    std::size_t begin, end;  // the bytes of the file as read that `text` replaces
    std::string text;
};

// The edits that give a key's "[...]" line and its "#time=" line the key's
// time, when it is not the time they hold. The lines keep everything else.
void TimeEdits(std::string_view contents, const RegFileKey& key, std::vector<Edit>& edits) {
    const char* base = contents.data();
    const Line line = LineAt(contents, key.header);
    const std::string_view text = TrimBlanks(line.text);
    if (text.empty() || text.front() != '[') return;
    const auto close = FindUnescaped(text.substr(1), ']');
    if (close == std::string_view::npos) return;
    const std::string_view seconds = TrimBlanks(text.substr(close + 2));
    std::uint64_t written = 0;
    bool known = false;
    if (!seconds.empty()) {
        std::uint64_t n = 0;
        for (char c : seconds) n = n * 10 + static_cast<unsigned>(c - '0');
        written = n * kTicksPerSecond + kTicks1601To1970;
        known = true;
    }
    std::string_view timeDigits;
    for (std::size_t pos = line.next; pos < contents.size();) {
        const Line more = LineAt(contents, pos);
        const std::string_view t = TrimBlanks(more.text);
        if (!t.empty() && t.front() == '[') break;
        if (t.substr(0, 6) == "#time=") {
            std::size_t n = 6;
            std::uint64_t time = 0;
            while (n < t.size() && IsHex(static_cast<unsigned char>(t[n])))
                time = (time << 4) | HexValue(static_cast<unsigned char>(t[n++]));
            timeDigits = t.substr(6, n - 6);
            written = time;
            known = true;
        }
        pos = more.next;
    }
    if (!known || written == key.modified) return;
    if (!seconds.empty()) {
        const auto secs = static_cast<std::int64_t>(key.modified - kTicks1601To1970) /
                          static_cast<std::int64_t>(kTicksPerSecond);
        const auto at = static_cast<std::size_t>(seconds.data() - base);
        edits.push_back({at, at + seconds.size(), std::to_string(static_cast<std::uint32_t>(secs))});
    }
    if (timeDigits.data()) {
        std::string hex;
        AppendHex(hex, key.modified >> 32, false);
        AppendHex(hex, key.modified & 0xFFFFFFFFu, true);
        const auto at = static_cast<std::size_t>(timeDigits.data() - base);
        edits.push_back({at, at + timeDigits.size(), std::move(hex)});
    }
}

// Where the lines of a key's values begin: after its "[...]" line and the
// option lines ("#time=", "#class=", "#link") that follow it.
std::size_t AfterOptions(std::string_view contents, std::size_t header) {
    std::size_t pos = LineAt(contents, header).next;
    while (pos < contents.size()) {
        const Line line = LineAt(contents, pos);
        const std::string_view t = TrimBlanks(line.text);
        if (t.empty() || t.front() != '#') break;
        pos = line.next;
    }
    return pos;
}

// Where two files differ in keys or values, or empty when they do not.
std::string Difference(const RegFile& a, const RegFile& b) {
    std::vector<std::pair<const RegFileKey*, const RegFileKey*>> pending{{&a.Root(), &b.Root()}};
    std::vector<std::uint8_t> bytesA, bytesB;
    while (!pending.empty()) {
        const RegFileKey* ka = pending.back().first;
        const RegFileKey* kb = pending.back().second;
        pending.pop_back();
        auto differs = [&](const char* what) {
            const std::string path = KeyLinePath(*ka);
            return std::string(what) + " of the key [" + (path.empty() ? std::string("(root)") : path) + "]";
        };
        if (ka->hasClass != kb->hasClass || (ka->hasClass && ka->keyClass != kb->keyClass))
            return differs("the class");
        if (ka->symlink != kb->symlink) return differs("the link mark");
        if (ka->values.size() != kb->values.size()) return differs("the values");
        for (std::size_t i = 0; i < ka->values.size(); ++i) {
            const RegFileValue& va = ka->values[i];
            const RegFileValue& vb = kb->values[i];
            a.ValueBytes(va, bytesA);
            b.ValueBytes(vb, bytesB);
            if (va.name != vb.name || va.type != vb.type || bytesA != bytesB) return differs("a value");
        }
        const auto& subA = ka->subkeys;
        const auto& subB = kb->subkeys;
        for (std::size_t i = 0; i < std::max(subA.size(), subB.size()); ++i) {
            const RegFileKey* sa = i < subA.size() ? subA[i] : nullptr;
            const RegFileKey* sb = i < subB.size() ? subB[i] : nullptr;
            if (sa && sb && sa->name == sb->name) {
                pending.emplace_back(sa, sb);
                continue;
            }
            // The first key that only one of them has.
            const RegFileKey* only = !sa ? sb : !sb ? sa : CompareRegNames(sa->name, sb->name) < 0 ? sa : sb;
            return "the key [" + KeyLinePath(*only) + "]";
        }
    }
    return {};
}

}  // namespace

std::string RegFile::EditedText() const {
    std::vector<Edit> edits;
    for (const auto& [begin, end] : dropped_) edits.push_back({begin, end, {}});
    std::vector<std::uint8_t> bytes;
    std::u16string scratch;
    std::vector<const RegFileKey*> blocks;  // keys that need lines of their own
    for (const RegFileKey* key : changed_) {
        if (!Attached(*this, *key)) continue;
        if (key->header == std::string::npos) {
            blocks.push_back(key);
            continue;
        }
        TimeEdits(contents_, *key, edits);
        const auto& values = key->values;
        std::size_t begin = 0, end = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (SourceLines(values[i], begin, end)) continue;  // as read
            // A new or changed value goes next to its neighbours in Wine's
            // order, or first in the key when they are new as well.
            std::size_t at = std::string::npos;
            for (std::size_t j = i; j-- > 0 && at == std::string::npos;)
                if (SourceLines(values[j], begin, end)) at = end;
            for (std::size_t j = i + 1; j < values.size() && at == std::string::npos; ++j)
                if (SourceLines(values[j], begin, end)) at = begin;
            if (at == std::string::npos) at = AfterOptions(contents_, key->header);
            std::string line;
            ValueBytes(values[i], bytes);
            DumpValue(line, values[i].name, values[i].type, bytes, scratch);
            edits.push_back({at, at, std::move(line)});
        }
    }
    for (const RegFileKey* key : added_)
        if (!key->changed && Attached(*this, *key)) blocks.push_back(key);
    for (const RegFileKey* key : blocks) {
        if (!key->values.empty() || key->subkeys.empty() || key->hasClass || key->symlink) {
            std::string text;
            Writer writer(*this, text);
            writer.Block(*key, KeyLinePath(*key));
            edits.push_back({contents_.size(), contents_.size(), std::move(text)});
        }
    }
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
    });
    // New lines end as the file's lines do.
    const auto firstEnd = contents_.find('\n');
    const bool crlf = firstEnd != std::string::npos && firstEnd > 0 && contents_[firstEnd - 1] == '\r';
    std::string out;
    out.reserve(contents_.size() + 4096);
    std::size_t cursor = 0;
    for (const Edit& edit : edits) {
        if (edit.begin > cursor) out.append(contents_, cursor, edit.begin - cursor);
        for (char c : edit.text) {
            if (c == '\n' && crlf) out.push_back('\r');
            out.push_back(c);
        }
        cursor = std::max(cursor, edit.end);
    }
    if (cursor < contents_.size()) out.append(contents_, cursor, std::string::npos);
    return out;
}

bool RegFile::SaveText(std::string& out, std::string* error) const {
    const bool wineForm = wineForm_ >= 0 ? wineForm_ == 1 : Serialize() == contents_;
    if (wineForm) {
        out = Serialize();
        return true;
    }
    out = EditedText();
    std::string why;
    const auto again = Parse("the edited file", out, &why);
    if (!again) why = "it would not read back: " + why;
    else why = Difference(*this, *again);
    if (why.empty()) return true;
    if (error)
        *error = "the file is not in the form Wine writes, and saving only the changed lines would "
                 "change " + why + " as well, so it was left as it is";
    out.clear();
    return false;
}

}  // namespace vostrel
