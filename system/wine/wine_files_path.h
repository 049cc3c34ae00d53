// Windows paths taken apart the way Win32 does before it looks at a disk:
// either slash separates, "." and ".." are applied, trailing dots and
// blanks of a name are dropped, and the wildcards * and ? may only stand in
// the last part. Plus the name rules that do not depend on a disk: mask
// matching, DOS device names and the order Wine lists a folder in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "system/winapi.h"

namespace vostrel {

// The status Windows gives for a network path it cannot reach.
inline constexpr LONG kErrorBadNetPath = 53;

struct WindowsPath {
    LONG status = ERROR_SUCCESS;     // anything else: the path cannot be searched
    char drive = 0;                  // upper-case letter
    std::vector<std::string> parts;  // the names below the drive root, in UTF-8
    bool trailingSeparator = false;  // the path ended with \ or /
    bool lastHasWildcards = false;   // the last part holds * or ?
};

// "C:\Dir\name", "c:/dir/name", "\\?\C:\name" and the drive-relative "C:name"
// (taken from the root). A path without a drive letter gives
// ERROR_PATH_NOT_FOUND, a network path kErrorBadNetPath, a character no
// Windows name may hold (< > | " : or a control character) or a wildcard
// before the last part ERROR_INVALID_NAME.
WindowsPath ParseWindowsPath(std::string_view path);

bool HasWildcards(std::string_view text);

// Win32 drops the dots and blanks a name ends with ("file. ." is "file").
std::string StripTrailingDotsAndBlanks(std::string_view name);

// Upper case of one UTF-16 unit, as Wine compares names: its Unicode case
// table (see wine_case.h), so "日本", "ÉTÉ" and "été", "ΑΒΓ" and "αβγ" all
// match as Wine matches them.
char16_t UpcaseUnit(char16_t c);
bool NamesEqualNoCase(std::u16string_view a, std::u16string_view b);

// Wine's listing order: names compared unit by unit in upper case, the
// shorter first when one starts the other, then by exact code units.
bool NameBefore(std::u16string_view a, std::u16string_view b);

// A search mask against one name, without regard to letter case: * is any
// run of characters, ? exactly one; dots and stars left over at the end of
// the mask match nothing ("a.*" finds "a", "*.*" finds everything).
bool MatchesMask(std::u16string_view name, std::u16string_view mask);

// The DOS device a name stands for in every folder (CON, PRN, AUX, NUL,
// COM1-COM9, LPT1-LPT9, whatever extension follows), as written before its
// extension; empty when it is an ordinary name.
std::string DosDeviceName(std::string_view name);

}  // namespace vostrel
