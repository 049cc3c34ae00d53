// Wine's 8.3 names. Wine does not store short names: it derives one from
// every long name that is not already a valid 8.3 name, from the first
// characters of the name, a '~', three characters of a hash of the whole
// name and the first characters of the extension ("Program Files" becomes
// "PROG~FBU"). Both the listing and the path lookup use the same rule, so
// a short name written into the registry by a Windows program running
// under Wine finds its file again here.
#pragma once

#include <string>
#include <string_view>

namespace vostrel {

// True when the name needs no short name: at most eight characters, an
// optional dot and one to three more, ASCII only, none of the characters
// DOS names forbid; "." and ".." are valid, any other leading dot is not.
// Letter case does not matter ("readme.txt" is valid as it is).
bool IsLegal83Name(std::u16string_view name);

// The short name Wine makes for a long name (upper case, with '~').
std::u16string HashShortName(std::u16string_view longName);

// The short name of a UTF-8 name, or the empty text when the name is
// already a valid 8.3 name.
std::string WineShortName(std::string_view name);

}  // namespace vostrel
