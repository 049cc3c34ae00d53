#include "system/wine/wine_files_path.h"

#include <array>

#include "system/text.h"
#include "system/wine/wine_case.h"

namespace vostrel {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsForbidden(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || c == '<' || c == '>' || c == '|' || c == '"' || c == ':';
}

// "\\?\C:\x" is "C:\x"; any other path starting with two separators is a
// network path.
std::string_view DropLongPathPrefix(std::string_view path) {
    if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] == '?' &&
        IsSeparator(path[3]))
        path.remove_prefix(4);
    return path;
}

// Applies "." and ".." and drops the dots and blanks names end with. A last
// name that was nothing but dots and blanks leaves the path ending in a
// separator, as "C:\Dir\  " is "C:\Dir\".
std::vector<std::string> SplitAndApplyDots(std::string_view rest, bool* endsInSeparator) {
    std::vector<std::string> parts;
    *endsInSeparator = false;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        const std::string_view token = rest.substr(start, end - start);
        const bool last = end == rest.size();
        if (token == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (token != ".") {
            std::string name = StripTrailingDotsAndBlanks(token);
            if (!name.empty())
                parts.push_back(std::move(name));
            else if (last && start > 0)
                *endsInSeparator = true;
        }
        start = end + 1;
    }
    return parts;
}

}  // namespace

std::string StripTrailingDotsAndBlanks(std::string_view name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    return std::string(name);
}

bool HasWildcards(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

WindowsPath ParseWindowsPath(std::string_view path) {
    WindowsPath out;
    path = DropLongPathPrefix(path);
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        out.status = kErrorBadNetPath;
        return out;
    }
    if (path.size() < 2 || path[1] != ':' || !IsLetter(path[0])) {
        const bool invalid = path.find_first_of("<>|\":") != std::string_view::npos;
        out.status = invalid ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND;
        return out;
    }
    out.drive = static_cast<char>(path[0] & ~0x20);
    const std::string_view rest = path.substr(2);
    for (char c : rest) {
        if (IsForbidden(c)) {
            out.status = ERROR_INVALID_NAME;
            return out;
        }
    }
    out.parts = SplitAndApplyDots(rest, &out.trailingSeparator);
    for (std::size_t i = 0; i < out.parts.size(); ++i) {
        if (!HasWildcards(out.parts[i])) continue;
        if (i + 1 < out.parts.size() || out.trailingSeparator) {
            out.status = ERROR_INVALID_NAME;
            return out;
        }
        out.lastHasWildcards = true;
    }
    return out;
}

char16_t UpcaseUnit(char16_t c) { return WineUpcase(c); }

bool NamesEqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpcaseUnit(a[i]) != UpcaseUnit(b[i])) return false;
    return true;
}

bool NameBefore(std::u16string_view a, std::u16string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t ua = UpcaseUnit(a[i]), ub = UpcaseUnit(b[i]);
        if (ua != ub) return ua < ub;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

bool MatchesMask(std::u16string_view name, std::u16string_view mask) {
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::u16string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == u'*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() &&
                   (mask[m] == u'?' || UpcaseUnit(mask[m]) == UpcaseUnit(name[n]))) {
            ++m;
            ++n;
        } else if (starMask != std::u16string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && (mask[m] == u'*' || mask[m] == u'.')) ++m;
    return m == mask.size();
}

std::string DosDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    const std::string upper = UpperAscii(base);
    static constexpr std::array<std::string_view, 4> kPlain{"CON", "PRN", "AUX", "NUL"};
    for (const auto device : kPlain)
        if (upper == device) return std::string(base);
    const bool numbered = upper.size() == 4 &&
                          (upper.starts_with("COM") || upper.starts_with("LPT")) &&
                          upper[3] >= '1' && upper[3] <= '9';
    return numbered ? std::string(base) : std::string();
}

}  // namespace vostrel
