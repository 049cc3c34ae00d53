// Text conversions of the native backends: the program's UTF-8, Windows'
// UTF-16 (the W functions) and the ANSI code page of the A functions.
#pragma once

#include <string>
#include <string_view>

namespace vostrel::win32 {

// UTF-8 <-> UTF-16. Embedded NULs are kept; invalid UTF-8 becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// UTF-8 <-> the ANSI code page, as the A functions take and give text.
// Characters the code page cannot carry become '?' (no best-fit look-alikes,
// so that what is written is never silently a different name).
std::string ToAnsi(std::string_view utf8);
std::string FromAnsi(std::string_view ansi);

}  // namespace vostrel::win32
