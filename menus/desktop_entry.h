// A reader for freedesktop.org desktop entry files (.desktop): the menu and
// desktop entries Wine's menu builder writes for the programs of a prefix.
// It reads groups ("[Desktop Entry]"), keys with their locale variants
// (Name[de]), comments, the string escapes \s \n \t \r \\, and the quoting
// of the Exec key, so that a line such as
//   Exec=env WINEPREFIX="/home/ann/.wine" wine C:\\\\Games\\\\My\\ Game.lnk
// comes apart into the words a launcher would run. The files are small and
// may be anything a user or a program left in the folder, so the reader
// refuses what no desktop entry is: NUL bytes, more than 1 MiB, thousands of
// groups or keys.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vostrel::menus {

inline constexpr std::size_t kMaxDesktopEntrySize = 1 << 20;
inline constexpr std::size_t kMaxDesktopEntryGroups = 256;
inline constexpr std::size_t kMaxDesktopEntryKeys = 4096;  // in all groups together
inline constexpr std::size_t kMaxExecWords = 1024;

inline constexpr std::string_view kDesktopEntryGroup = "Desktop Entry";

struct DesktopEntryGroup {
    std::string name;
    // Keys as written (with any [locale] suffix) and their values, still
    // escaped, in file order. A key written twice keeps its last value.
    std::vector<std::pair<std::string, std::string>> entries;

    // The value of `key` as written, escapes and all; nothing when absent.
    std::optional<std::string> Raw(std::string_view key) const;
};

struct DesktopEntryFile {
    std::vector<DesktopEntryGroup> groups;

    const DesktopEntryGroup* Group(std::string_view name) const;
    // A string key of a group, its escapes undone.
    std::optional<std::string> String(std::string_view group, std::string_view key) const;
    // A localised key for a locale such as "de_AT.UTF-8@euro": the best of
    // Key[de_AT@euro], Key[de_AT], Key[de@euro], Key[de], then Key.
    std::optional<std::string> LocaleString(std::string_view group, std::string_view key,
                                            std::string_view locale) const;
};

struct DesktopEntryParse {
    std::optional<DesktopEntryFile> file;  // empty on error
    std::string error;                     // "line 3: a key outside any group" and the like
};

DesktopEntryParse ParseDesktopEntry(std::string_view text);

// Undoes the escapes of a string value: \s \n \t \r and \\. Any other
// backslash is kept as written (the Exec key's own quoting uses them).
std::string UnescapeDesktopString(std::string_view raw);

// Splits an Exec value (its string escapes already undone) into words, as
// a launcher does: blanks separate words; "double quotes" group them, and
// inside them a backslash escapes " ` $ and \; outside quotes a backslash
// escapes the next character and 'single quotes' quote literally, as the
// shell-style parsers of the desktops do (Wine's menu builder escapes
// blanks and backslashes that way). Field codes standing as a word (%f %F
// %u %U %i %c %k and the deprecated ones) are dropped, and %% becomes %.
// Nothing on an unclosed quote, a trailing lone backslash, or more than
// kMaxExecWords words.
std::optional<std::vector<std::string>> SplitExec(std::string_view exec);

}  // namespace vostrel::menus
