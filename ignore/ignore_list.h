// The ignore list: entries the user told the program to leave alone. An
// ignored entry is never listed, counted or repaired. The list is one text
// file in the program's config folder that people may read and edit:
//
//   # Entries Vostrel 2006 leaves alone.
//   [every machine]
//   registry "HKEY_LOCAL_MACHINE\Software\Old Game\*"
//   shortcut "C:\users\*\Desktop\Old Game.lnk"
//   menu "/home/ann/.local/share/applications/wine/Programs/Old Game.desktop"
//
//   [machine "/home/ann/.wine"]
//   registry "HKEY_CLASSES_ROOT\CLSID\{0001}\InprocServer32" value "(Default)"
//
// A registry line without `value` covers every value of the keys it names.
// Texts are in double quotes; a quote inside one is written twice. In key
// paths and shortcut paths `*` stands for any run of characters (backslashes
// included) and `?` for one character; letter case does not matter, as on
// Windows. Value names are compared whole, without wildcards. A menu line
// names one of Wine's menu or desktop entries by its host path; it is
// matched the same way (letter case ignored), so it may leave out a little
// more than the one file, never less.
//
// A text that a line cannot hold as it is (a value name or a folder with a
// line break or another control character) is written e"..." instead:
// there a backslash starts an escape, \n a line feed, \r a carriage
// return, \t a tab, \xHH any byte, \\ a backslash, and a quote is
// written twice as in "...". Only such texts are written that way; older
// files never hold e"...", so they read as before.
//
// A line that cannot be understood applies nothing, is named (file and
// line) in a warning, and is kept as written when the list is saved again;
// the rest of the list still applies. A file that cannot be read at all
// (not a regular file, too large) is an error.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vostrel {

struct IgnoreEntry {
    enum class Kind { Registry, Shortcut, MenuEntry };
    // The machine's folder (a Wine prefix) or its name; empty: every machine.
    std::string machine;
    Kind kind = Kind::Registry;
    // "ROOT\key\path" (root by its full name), the shortcut's Windows path
    // or the menu entry's host path.
    std::string pattern;
    // The value name; absent: every value of the key.
    std::optional<std::string> value;

    bool operator==(const IgnoreEntry&) const = default;
};

struct IgnoreParseError {
    int line = 0;  // 1-based
    std::string message;
    // "Line 3 of the ignore list: …".
    std::string Text() const;
};

class IgnoreList {
public:
    // Reads the text of an ignore file; nothing, and in `error` the first
    // line that cannot be understood, unless every line can.
    static std::optional<IgnoreList> Parse(std::string_view text, IgnoreParseError* error);
    // Reads the text of an ignore file, leaving out (and naming in
    // `problems`) the lines that cannot be understood.
    static IgnoreList Read(std::string_view text, std::vector<IgnoreParseError>* problems);

    // The file's text: what was read, with added and removed entries, its
    // comments and blank lines kept.
    std::string Text() const;

    // The entries in file order; `Remove` and the listings number them from 1.
    std::vector<IgnoreEntry> Entries() const;

    // Adds an entry at the end of its machine's block (a new block when there
    // is none). False when the same entry is already there.
    bool Add(const IgnoreEntry& entry);
    // Removes entry `number` (1-based, as listed); false when there is none.
    bool Remove(std::size_t number);

    bool IgnoresRegistryValue(std::string_view machine, std::string_view keyPath,
                              std::string_view valueName) const;
    bool IgnoresShortcut(std::string_view machine, std::string_view path) const;
    bool IgnoresMenuEntry(std::string_view machine, std::string_view path) const;

private:
    bool IgnoresPath(IgnoreEntry::Kind kind, std::string_view machine, std::string_view path) const;
    struct Line {
        std::string text;                  // as written
        std::optional<IgnoreEntry> entry;  // set on entry lines
        std::optional<std::string> block;  // set on block headers: the machine ("" = every)
    };
    std::vector<Line> lines_;
};

// `text` matches `pattern` where `*` is any run of characters and `?` one
// character, without regard to letter case.
bool WildcardMatch(std::string_view pattern, std::string_view text);

// The file, by default $XDG_CONFIG_HOME/vostrel/ignore.txt.
std::string DefaultIgnoreListPath();

// A missing file is an empty list. A file that cannot be read (a FIFO, a
// device, a folder, too large) gives nothing and the reason in `error`.
// Each line that cannot be understood is left out and named, with the
// file, in `warnings`.
std::optional<IgnoreList> LoadIgnoreList(const std::string& path, std::string* error,
                                         std::vector<std::string>* warnings = nullptr);
// Replaces the file atomically, creating its folder.
bool SaveIgnoreList(const std::string& path, const IgnoreList& list, std::string* error);

// The entry for a registry key pattern ("HKLM\Software\Old*", its root by
// the short or the full name, `*` and `?` as wildcards) and, when given, one
// value of the keys it names. It is made as a line of the list and read back
// by the list's own reader, so that what a line refuses (no such root, an
// empty key) is refused here, the reason in `error`. Its machine is empty
// (every machine) for the caller to set.
std::optional<IgnoreEntry> RegistryKeyEntry(std::string_view key,
                                            const std::optional<std::string>& value,
                                            std::string* error);

}  // namespace vostrel
