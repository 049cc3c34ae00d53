// The text rules the checks are written in: 1-based positions, the first n
// characters, the text from a position. A cut that cannot be made (a start
// before position 1) reports failure, and the caller keeps its text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "system/text.h"

namespace vostrel::rules {

inline constexpr std::string_view kDriveMarker = ":\\";
inline constexpr std::string_view kAddressMarker = ":/";

// Position of the first `what` at or after `start`; 0 when there is none.
inline std::size_t Pos(std::string_view text, std::string_view what, std::size_t start = 1) {
    return Find(text, what, start);
}

inline bool Holds(std::string_view text, std::string_view what) { return Pos(text, what) != 0; }

// The first n characters (all of the text when it is shorter).
inline std::string Left(std::string_view text, std::size_t n) {
    return std::string(text.substr(0, std::min(n, text.size())));
}

// The text from position p on; nothing when p is before position 1.
inline std::optional<std::string> From(std::string_view text, std::ptrdiff_t p) {
    if (p < 1) return std::nullopt;
    if (static_cast<std::size_t>(p) > text.size()) return std::string();
    return std::string(text.substr(static_cast<std::size_t>(p) - 1));
}

// The text from p on, or the text unchanged when the cut cannot be made.
inline std::string FromOrSame(std::string_view text, std::ptrdiff_t p) {
    auto cut = From(text, p);
    return cut ? *cut : std::string(text);
}

// n characters from position p (p at least 1).
inline std::string Mid(std::string_view text, std::size_t p, std::size_t n) {
    if (p < 1 || p > text.size()) return {};
    return std::string(text.substr(p - 1, n));
}

}  // namespace vostrel::rules
