// Internet shortcut (.url) files: INI text with a [InternetShortcut] section
// whose URL= key holds the address.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vostrel {

// The URL= address of the [InternetShortcut] section (section and key
// names without regard to case); nothing when the text is not an internet
// shortcut.
std::optional<std::string> ParseUrlFile(std::string_view contents);

// The local Windows path of a file: address ("file:///C:/Dir/a%20b.exe"
// gives C:\Dir\a b.exe); the empty text for any other address (a web page
// has no file behind it) and for a file: address of a network share.
std::string LocalPathOfUrl(std::string_view url);

}  // namespace vostrel
