#include "results/backup_codec.h"

#include <cstdint>

#include "system/text.h"

namespace vostrel {

namespace {

constexpr int kShift = 10;
constexpr unsigned char kHighestShiftable = 245;
constexpr int kEscapeDigits = 6;

std::string CodePointUtf8(char32_t cp) {
    std::u16string wide;
    if (cp >= 0x10000) {
        cp -= 0x10000;
        wide.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        wide.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        wide.push_back(static_cast<char16_t>(cp));
    }
    return Utf16ToUtf8(wide);
}

// The ANSI byte of one code point, or -1 when it has none.
int AnsiOf(char32_t cp) {
    if (cp == '?') return '?';
    const std::string ansi = Utf8ToAnsi(CodePointUtf8(cp));
    if (ansi.size() != 1 || ansi[0] == '?') return -1;
    return static_cast<unsigned char>(ansi[0]);
}

bool NeedsEscape(char32_t cp, int ansi) {
    return ansi < 0 || ansi > kHighestShiftable || cp == '^' || cp == 0 || cp == 3 ||
           cp == static_cast<unsigned char>(kBackupEscape);
}

constexpr char kHex[] = "0123456789ABCDEF";

void AppendEscape(std::string& out, char32_t cp) {
    out.push_back(kBackupEscape);
    for (int shift = 4 * (kEscapeDigits - 1); shift >= 0; shift -= 4)
        out.push_back(kHex[(cp >> shift) & 0xF]);
}

// The length of the valid UTF-8 sequence at `at` and its code point, or 0
// for a byte that starts none (a stray continuation byte, a cut or
// overlong sequence, a surrogate, anything above U+10FFFF).
std::size_t Utf8Sequence(std::string_view text, std::size_t at, char32_t* cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        *cp = lead;
        return 1;
    }
    std::size_t length;
    char32_t value, lowest;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, lowest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, lowest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, lowest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *cp = value;
    return length;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<char32_t> EscapedCodePoint(std::string_view digits) {
    if (digits.size() != kEscapeDigits) return std::nullopt;
    char32_t cp = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        cp = cp * 16 + static_cast<char32_t>(d);
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    return cp;
}

}  // namespace

std::string EncodeBackupText(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char c : ansi) {
        const auto b = static_cast<unsigned char>(c);
        if (b > kHighestShiftable) continue;
        out.push_back(static_cast<char>(b + kShift));
    }
    return out;
}

std::string DecodeBackupText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < kShift) continue;
        out.push_back(static_cast<char>(b - kShift));
    }
    return out;
}

std::string EscapeBackupField(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const std::size_t length = Utf8Sequence(utf8, i, &cp);
        if (length == 0) {  // a byte of a host name that is not UTF-8: kept as it is
            const auto b = static_cast<unsigned char>(utf8[i++]);
            out.push_back(kBackupEscape);
            out.push_back(kByteEscapeMark);
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 0xF]);
            continue;
        }
        i += length;
        const int ansi = AnsiOf(cp);
        if (NeedsEscape(cp, ansi))
            AppendEscape(out, cp);
        else
            out.push_back(static_cast<char>(ansi));
    }
    return out;
}

std::optional<std::string> UnescapeBackupField(std::string_view ansi) {
    std::string out;
    std::size_t plainStart = 0;
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        if (ansi[i] != kBackupEscape) continue;
        out += AnsiToUtf8(ansi.substr(plainStart, i - plainStart));
        if (i + 1 < ansi.size() && ansi[i + 1] == kByteEscapeMark) {
            if (i + 4 > ansi.size()) return std::nullopt;
            const int hi = HexDigit(ansi[i + 2]), lo = HexDigit(ansi[i + 3]);
            // Only bytes that cannot be text are written this way.
            if (hi < 8 || lo < 0) return std::nullopt;
            out.push_back(static_cast<char>(hi * 16 + lo));
            i += 3;
            plainStart = i + 1;
            continue;
        }
        const auto cp = EscapedCodePoint(ansi.substr(i + 1, kEscapeDigits));
        if (!cp) return std::nullopt;
        out += CodePointUtf8(*cp);
        i += kEscapeDigits;
        plainStart = i + 1;
    }
    out += AnsiToUtf8(ansi.substr(std::min(plainStart, ansi.size())));
    return out;
}

bool ValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t length = Utf8Sequence(bytes, i, &cp);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string ShownBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t length = Utf8Sequence(bytes, i, &cp);
        if (length == 0) {
            const auto b = static_cast<unsigned char>(bytes[i++]);
            out += "\\x";
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 0xF]);
            continue;
        }
        out.append(bytes.substr(i, length));
        i += length;
    }
    return out;
}

std::string FormatBackupLine(const std::vector<std::string>& fields) {
    std::string plain;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) plain.push_back('^');
        plain += EscapeBackupField(fields[i]);
    }
    return EncodeBackupText(plain);
}

std::optional<std::vector<std::string>> ParseBackupLine(std::string_view line) {
    for (char c : line)
        if (static_cast<unsigned char>(c) < kShift) return std::nullopt;
    const std::string plain = DecodeBackupText(line);
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t caret = plain.find('^', start);
        auto field = UnescapeBackupField(std::string_view(plain).substr(
            start, caret == std::string::npos ? std::string::npos : caret - start));
        if (!field) return std::nullopt;
        fields.push_back(std::move(*field));
        if (caret == std::string::npos) break;
        start = caret + 1;
    }
    return fields;
}

std::vector<std::string> SplitBackupLines(std::string_view contents) {
    std::vector<std::string> lines;
    while (!contents.empty()) {
        const std::size_t lf = contents.find('\n');
        std::string_view line = contents.substr(0, lf);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        if (lf == std::string_view::npos) break;
        contents.remove_prefix(lf + 1);
    }
    return lines;
}

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 0xF]);
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> BytesFromHex(std::string_view hex) {
    if (hex.size() % 2) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return bytes;
}

}  // namespace vostrel
