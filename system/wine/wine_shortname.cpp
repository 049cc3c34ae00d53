#include "system/wine/wine_shortname.h"

#include "system/text.h"
#include "system/wine/wine_case.h"

namespace vostrel {

namespace {

constexpr std::u16string_view kDosForbidden = u"*?<>|\"+=,;[] \u00e5";

bool IsInvalidDosChar(char16_t c) {
    if (c > 0x7f) return true;
    return kDosForbidden.find(c) != std::u16string_view::npos || c == u'~' || c == u'.';
}

char16_t UpperAscii16(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

// The hash of the whole long name, letter case folded: the same file gives
// the same short name however its name is written.
std::uint16_t NameHash(std::u16string_view name) {
    std::uint16_t hash = 0xbeef;
    for (std::size_t i = 0; i + 1 < name.size(); ++i) {
        hash = static_cast<std::uint16_t>((hash << 3) ^ (hash >> 5) ^ WineDowncase(name[i]) ^
                                          (WineDowncase(name[i + 1]) << 8));
    }
    if (!name.empty())
        hash = static_cast<std::uint16_t>((hash << 3) ^ (hash >> 5) ^ WineDowncase(name.back()));
    return hash;
}

// Position of the last dot that starts an extension: never the first
// character, never the last one.
std::size_t ExtensionDot(std::u16string_view name) {
    std::size_t dot = std::u16string_view::npos;
    for (std::size_t i = 1; i + 1 < name.size(); ++i)
        if (name[i] == u'.') dot = i;
    return dot;
}

char16_t ShortChar(char16_t c) { return IsInvalidDosChar(c) ? u'_' : UpperAscii16(c); }

}  // namespace

bool IsLegal83Name(std::u16string_view name) {
    constexpr std::u16string_view kForbidden = u"*?<>|\"+=,;[] \u00e5:/\\";
    if (name.size() > 12) return false;
    if (!name.empty() && name[0] == u'.') return name == u"." || name == u"..";
    std::size_t dot = std::u16string_view::npos;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] > 0x7f) return false;
        if (kForbidden.find(name[i]) != std::u16string_view::npos) return false;
        if (name[i] != u'.') continue;
        if (dot != std::u16string_view::npos) return false;
        dot = i;
    }
    if (dot == std::u16string_view::npos) return name.size() <= 8;
    if (dot > 8) return false;
    const std::size_t tail = name.size() - dot;
    return tail > 1 && tail < 5;
}

std::u16string HashShortName(std::u16string_view name) {
    static constexpr char16_t kHashChars[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    const std::uint16_t hash = NameHash(name);
    const std::size_t dot = ExtensionDot(name);

    std::u16string out;
    std::size_t i = 0;
    for (; i < 4 && i < name.size() && i != dot; ++i) out.push_back(ShortChar(name[i]));
    out.append(5 - i, u'~');  // at least one '~', padded to five characters
    out.push_back(kHashChars[(hash >> 10) & 0x1f]);
    out.push_back(kHashChars[(hash >> 5) & 0x1f]);
    out.push_back(kHashChars[hash & 0x1f]);
    if (dot == std::u16string_view::npos) return out;
    out.push_back(u'.');
    for (std::size_t k = dot + 1; k < name.size() && k < dot + 4; ++k)
        out.push_back(ShortChar(name[k]));
    return out;
}

std::string WineShortName(std::string_view name) {
    const std::u16string wide = Utf8ToUtf16(name);
    if (wide.empty() || IsLegal83Name(wide)) return {};
    return Utf16ToUtf8(HashShortName(wide));
}

}  // namespace vostrel
