#include "system/wine/wine_case.h"

#include <locale.h>
#include <wctype.h>
#include <array>
#include <cstdint>

#include "system/text.h"

namespace vostrel {

namespace {

class CaseTables {
public:
    CaseTables() {
        locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
        for (std::uint32_t c = 0; c < upper_.size(); ++c) {
            upper_[c] = lower_[c] = static_cast<char16_t>(c);
            if (c >= 0xD800 && c <= 0xDFFF) continue;  // halves of a pair are not letters
            if (!utf8) {
                // No Unicode data: the Latin, Greek and Cyrillic letters at least.
                const char16_t lower = FoldCase(static_cast<char16_t>(c));
                if (lower != c) lower_[c] = lower;
                continue;
            }
            const auto wc = static_cast<wint_t>(c);
            const wint_t up = towupper_l(wc, utf8);
            const wint_t down = towlower_l(wc, utf8);
            if (up <= 0xFFFF && towlower_l(up, utf8) == wc) upper_[c] = static_cast<char16_t>(up);
            if (down <= 0xFFFF && towupper_l(down, utf8) == wc)
                lower_[c] = static_cast<char16_t>(down);
        }
        if (!utf8) {
            for (std::uint32_t c = 0; c < lower_.size(); ++c)
                if (lower_[c] != c) upper_[lower_[c]] = static_cast<char16_t>(c);
        } else {
            freelocale(utf8);
        }
    }
    char16_t Upper(char16_t c) const { return upper_[c]; }
    char16_t Lower(char16_t c) const { return lower_[c]; }

private:
    std::array<char16_t, 0x10000> upper_{};
    std::array<char16_t, 0x10000> lower_{};
};

const CaseTables& Tables() {
    static const CaseTables tables;
    return tables;
}

}  // namespace

char16_t WineUpcase(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    return Tables().Upper(c);
}

char16_t WineDowncase(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    return Tables().Lower(c);
}

}  // namespace vostrel
