// Text helpers shared by every layer: blanks-only trimming, case folding that
// matches how Windows compares names, and the conversions between the program's
// UTF-8, the platform's UTF-16 and the ANSI code page (Windows-1252).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vostrel {

// Removes blanks (the space character only) at both ends.
std::string_view Trim(std::string_view text);
std::string TrimCopy(std::string_view text);

std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);

// Simple one-to-one case fold of a UTF-16 code unit (ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic), to lower case.
char16_t FoldCase(char16_t c);

// Compares two UTF-8 texts without regard to letter case.
bool EqualsNoCase(std::string_view a, std::string_view b);

// 1-based position of the first occurrence of `what` in `text` at or after
// 1-based position `start`, without regard to letter case; 0 when absent.
std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t start = 1);
bool ContainsNoCase(std::string_view text, std::string_view what);

// 1-based position of `what` at or after 1-based `start`, exact; 0 when absent.
std::size_t Find(std::string_view text, std::string_view what, std::size_t start = 1);

// UTF-8 <-> UTF-16. Invalid UTF-8 bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// The ANSI code page of the platform boundary: Windows-1252.
// Characters it cannot carry become '?', as the A functions of Windows do.
std::string Utf8ToAnsi(std::string_view text);
std::string AnsiToUtf8(std::string_view bytes);
// UTF-8 text as it looks after a round trip through the ANSI code page.
std::string AnsiView(std::string_view text);
// True when every character of the text exists in the ANSI code page.
bool FitsAnsi(std::string_view text);

}  // namespace vostrel
