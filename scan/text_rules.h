// The text rules the checks are written in: 0-based positions, kNotFound when a
// text is absent, the first n characters, the text from a position. A cut
// that cannot be made (a start before the first character) keeps the text as
// it is. Every rule returns a view into the text it was given.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

namespace vostrel::rules {

inline constexpr std::size_t kNotFound = std::string_view::npos;

inline constexpr std::string_view kDriveMarker = ":\\";
inline constexpr std::string_view kAddressMarker = ":/";

// Position of the first `what` at or after `start`; kNotFound when there is none.
constexpr std::size_t Pos(std::string_view text, std::string_view what, std::size_t start = 0) {
    return text.find(what, start);
}

constexpr bool Holds(std::string_view text, std::string_view what) {
    return text.find(what) != kNotFound;
}

// The first n characters (all of the text when it is shorter).
constexpr std::string_view Left(std::string_view text, std::size_t n) {
    return text.substr(0, std::min(n, text.size()));
}

// The text from position p on: nothing when p is past the end, the text
// unchanged when p is before the start (a position one before a marker found
// at the very start).
constexpr std::string_view FromOrSame(std::string_view text, std::ptrdiff_t p) {
    if (p < 0) return text;
    if (static_cast<std::size_t>(p) > text.size()) return {};
    return text.substr(static_cast<std::size_t>(p));
}

// n characters from position p; nothing when p is past the end.
constexpr std::string_view Mid(std::string_view text, std::size_t p, std::size_t n) {
    if (p > text.size()) return {};
    return text.substr(p, n);
}

// A folder named in full: a drive path ("C:\...") or a network share
// ("\\server\share"). A relative folder depends on where a program runs.
constexpr bool NamesFullFolder(std::string_view path) {
    return (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || path.starts_with("\\\\");
}

// The text before an icon's ",index" (a number, negative for a resource
// id); the text as it is when it ends in no such index.
constexpr std::string_view WithoutIconIndex(std::string_view data) {
    const std::size_t comma = data.rfind(',');
    if (comma == kNotFound) return data;
    std::string_view index = data.substr(comma + 1);
    while (!index.empty() && index.front() == ' ') index.remove_prefix(1);
    while (!index.empty() && index.back() == ' ') index.remove_suffix(1);
    if (!index.empty() && index.front() == '-') index.remove_prefix(1);
    if (index.empty()) return data;
    for (char c : index)
        if (c < '0' || c > '9') return data;
    return data.substr(0, comma);
}

constexpr char UpperAsciiChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// True when `text` holds a program's or driver's extension (.exe, .sys,
// .dll, .com; any letter case) at position `dot`.
constexpr bool ProgramExtensionAt(std::string_view text, std::size_t dot) {
    if (dot + 4 > text.size() || text[dot] != '.') return false;
    const char a = UpperAsciiChar(text[dot + 1]), b = UpperAsciiChar(text[dot + 2]),
               c = UpperAsciiChar(text[dot + 3]);
    return (a == 'E' && b == 'X' && c == 'E') || (a == 'S' && b == 'Y' && c == 'S') ||
           (a == 'D' && b == 'L' && c == 'L') || (a == 'C' && b == 'O' && c == 'M');
}

// The program a command line starts: the text between quotes when it
// starts with one, else the text up to the first program or driver name
// (.exe, .sys, .dll, .com) that a blank follows or that ends the line, so
// that an unquoted folder may hold blanks ("C:\Program Files\App\app.exe
// /open"). Empty for any other form.
constexpr std::string_view ProgramOfCommandLine(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (text.empty()) return {};
    if (text.front() == '"') {
        const std::size_t close = text.find('"', 1);
        if (close == kNotFound) return {};
        return text.substr(1, close - 1);
    }
    for (std::size_t dot = text.find('.'); dot != kNotFound; dot = text.find('.', dot + 1)) {
        if (!ProgramExtensionAt(text, dot)) continue;
        if (dot + 4 == text.size() || text[dot + 4] == ' ') return text.substr(0, dot + 4);
    }
    return {};
}

// Every program an unquoted command line may start, in the order Windows
// tries them: "C:\Tools\www.site.com kit\app.exe /x" is first
// "C:\Tools\www.site.com", then "C:\Tools\www.site.com kit\app.exe". A
// quoted line has one, the text between its quotes; a line of no known
// form has none.
inline std::vector<std::string_view> ProgramsOfCommandLine(std::string_view text) {
    std::vector<std::string_view> programs;
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (text.empty()) return programs;
    if (text.front() == '"') {
        if (const std::string_view quoted = ProgramOfCommandLine(text); !quoted.empty())
            programs.push_back(quoted);
        return programs;
    }
    for (std::size_t dot = text.find('.'); dot != kNotFound; dot = text.find('.', dot + 1)) {
        if (!ProgramExtensionAt(text, dot)) continue;
        if (dot + 4 == text.size() || text[dot + 4] == ' ')
            programs.push_back(text.substr(0, dot + 4));
    }
    return programs;
}

}  // namespace vostrel::rules
