// The text rules the checks are written in: 0-based positions, kNotFound when a
// text is absent, the first n characters, the text from a position. A cut
// that cannot be made (a start before the first character) keeps the text as
// it is. Every rule returns a view into the text it was given.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

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

}  // namespace vostrel::rules
