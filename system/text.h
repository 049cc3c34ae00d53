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
//
// There are two case folds in the program, on purpose. This one is small,
// fixed and the same on every platform: the portable core compares the
// names it holds itself with it (settings keys, section names, paths typed
// into a catalogue). The Wine backend uses Wine's own table instead
// (system/wine/wine_case.h), built from the C library's full Unicode data,
// because there the order and identity of names must be exactly Wine's: a
// registry key sorted or matched differently from wineserver would be
// written out of order or found twice, and a file name folded differently
// would get another 8.3 name. That table needs the C library's Unicode
// locale, which the Windows build does not have, so it cannot replace this
// one; and this one is too small to stand in for Wine's.
char16_t FoldCase(char16_t c);

// Compares two UTF-8 texts without regard to letter case.
bool EqualsNoCase(std::string_view a, std::string_view b);

// 1-based position of the first occurrence of `what` in `text` at or after
// 1-based position `start`, without regard to letter case; 0 when absent.
std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t start = 1);
bool ContainsNoCase(std::string_view text, std::string_view what);

// 1-based position of `what` at or after 1-based `start`, exact; 0 when absent.
std::size_t Find(std::string_view text, std::string_view what, std::size_t start = 1);

// Appends one code point in UTF-8. A lone surrogate is written as its own
// three bytes (WTF-8), which is how the Wine registry files keep names that
// are not valid UTF-16.
void AppendUtf8(std::string& out, char32_t cp);

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
