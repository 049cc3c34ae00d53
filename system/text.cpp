#include "system/text.h"

#include <algorithm>
#include <array>

namespace vostrel {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::string TrimCopy(std::string_view text) { return std::string(Trim(text)); }

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

char16_t FoldCase(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        const bool oddGroup = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddGroup) return (c % 2 == 1) ? static_cast<char16_t>(c + 1) : c;
        return (c % 2 == 0) ? static_cast<char16_t>(c + 1) : c;
    }
    if (c == 0x178) return 0xFF;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 32);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
    return c;
}

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::u16string Fold(std::string_view text) {
    std::u16string wide = Utf8ToUtf16(text);
    for (char16_t& c : wide) c = FoldCase(c);
    return wide;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    // Text of the same length is folded byte by byte as long as it is ASCII.
    if (a.size() == b.size()) {
        std::size_t i = 0;
        for (; i < a.size(); ++i) {
            const auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
            if ((ca | cb) >= 0x80) break;
            if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
        }
        if (i == a.size()) return true;
    } else if (IsAscii(a) && IsAscii(b)) {
        return false;
    }
    return Fold(a) == Fold(b);
}

std::size_t Find(std::string_view text, std::string_view what, std::size_t start) {
    if (start == 0) start = 1;
    if (start > text.size() + 1) return 0;
    const auto pos = text.find(what, start - 1);
    return pos == std::string_view::npos ? 0 : pos + 1;
}

std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t start) {
    // Positions are byte positions of the UTF-8 text; folding keeps ASCII
    // lengths, and only ASCII letters are folded here so positions stay valid.
    if (start == 0) start = 1;
    if (start > text.size() + 1) return 0;
    if (what.size() > text.size()) return 0;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t at = start - 1; at + what.size() <= text.size(); ++at) {
        std::size_t i = 0;
        while (i < what.size() && lower(text[at + i]) == lower(what[i])) ++i;
        if (i == what.size()) return at + 1;
    }
    return 0;
}

bool ContainsNoCase(std::string_view text, std::string_view what) {
    return FindNoCase(text, what) != 0;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            bool ok = i + len <= text.size();
            char32_t v = c & (0x7F >> len);
            for (std::size_t k = 1; ok && k < len; ++k) {
                const unsigned char cc = static_cast<unsigned char>(text[i + k]);
                if ((cc & 0xC0) != 0x80) ok = false;
                v = (v << 6) | (cc & 0x3F);
            }
            if (ok) {
                cp = v;
            } else {
                len = 1;
            }
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned codes.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The byte for a character, or -1 when Windows-1252 has none.
int AnsiByte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == cp) return 0x80 + i;
    // Wine and Windows map the unassigned bytes to the C1 controls and back.
    if (cp >= 0x80 && cp <= 0x9F && kCp1252High[cp - 0x80] == 0) return static_cast<int>(cp);
    return -1;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
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

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string Utf8ToAnsi(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const std::u16string wide = Utf8ToUtf16(text);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t cp = wide[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size()) ++i;  // a pair: one '?'
        const int b = AnsiByte(cp);
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

std::string AnsiToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const unsigned char b = static_cast<unsigned char>(ch);
        char32_t cp = b;
        if (b >= 0x80 && b <= 0x9F && kCp1252High[b - 0x80] != 0) cp = kCp1252High[b - 0x80];
        AppendUtf8(out, cp);
    }
    return out;
}

std::string AnsiView(std::string_view text) {
    if (IsAscii(text)) return std::string(text);
    return AnsiToUtf8(Utf8ToAnsi(text));
}

bool FitsAnsi(std::string_view text) {
    if (IsAscii(text)) return true;
    const std::u16string wide = Utf8ToUtf16(text);
    return std::all_of(wide.begin(), wide.end(), [](char16_t c) { return AnsiByte(c) >= 0; });
}

}  // namespace vostrel
