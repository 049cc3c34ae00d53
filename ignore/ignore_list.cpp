#include "ignore/ignore_list.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

#include "system/atomic_file.h"
#include "system/settings.h"
#include "system/text.h"

namespace vostrel {

namespace {

// A list is a few lines a person wrote; anything far beyond that is not one.
constexpr std::size_t kMaxFileBytes = std::size_t{4} * 1024 * 1024;
constexpr std::size_t kMaxLineBytes = std::size_t{64} * 1024;

constexpr std::string_view kEveryMachineHeader = "[every machine]";

struct RootName {
    std::string_view shortName;
    std::string_view fullName;
};
constexpr std::array<RootName, 6> kRootNames{{
    {"HKCR", "HKEY_CLASSES_ROOT"},
    {"HKCU", "HKEY_CURRENT_USER"},
    {"HKLM", "HKEY_LOCAL_MACHINE"},
    {"HKU", "HKEY_USERS"},
    {"HKCC", "HKEY_CURRENT_CONFIG"},
    {"HKDD", "HKEY_DYN_DATA"},
}};

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A character a line of the file cannot hold as it is: a line break ends
// the line, and the other control characters (tab aside) would be invisible
// or act on a terminal that shows the file.
bool NeedsEscape(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && c != '\t') || u == 0x7F;
}

// "text" with a quote written twice; e"text" when the text holds a
// character a line cannot hold, with backslash escapes (see the header).
std::string Quote(std::string_view text) {
    const bool escaped = std::any_of(text.begin(), text.end(), NeedsEscape);
    std::string out = escaped ? "e\"" : "\"";
    for (char c : text) {
        if (c == '"') {
            out += "\"\"";
        } else if (escaped && c == '\\') {
            out += "\\\\";
        } else if (escaped && c == '\n') {
            out += "\\n";
        } else if (escaped && c == '\r') {
            out += "\\r";
        } else if (escaped && NeedsEscape(c)) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            const auto u = static_cast<unsigned char>(c);
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string NormalMachine(std::string_view machine) {
    std::string m(machine);
    while (m.size() > 1 && m.back() == '/') m.pop_back();
    return m;
}

// Reads the words of one line: bare words and "quoted texts".
struct Token {
    std::string text;
    bool quoted = false;
};

std::optional<std::vector<Token>> Tokens(std::string_view line, std::string* error) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i == line.size()) return tokens;
        Token token;
        // e"..." is a quoted text with backslash escapes.
        const bool escaped = line[i] == 'e' && i + 1 < line.size() && line[i + 1] == '"';
        if (escaped) ++i;
        if (line[i] == '"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (escaped && line[i] == '\\') {
                    const char next = i + 1 < line.size() ? line[i + 1] : '\0';
                    if (next == '\\' || next == '"') {
                        token.text += next;
                        i += 2;
                    } else if (next == 'n' || next == 'r' || next == 't') {
                        token.text += next == 'n' ? '\n' : next == 'r' ? '\r' : '\t';
                        i += 2;
                    } else if (next == 'x' && i + 3 < line.size() && HexDigit(line[i + 2]) >= 0 &&
                               HexDigit(line[i + 3]) >= 0) {
                        token.text +=
                            static_cast<char>(HexDigit(line[i + 2]) * 16 + HexDigit(line[i + 3]));
                        i += 4;
                    } else {
                        *error = "an escape in e\"...\" is \\\\, \\n, \\r, \\t or \\xHH";
                        return std::nullopt;
                    }
                    continue;
                }
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        token.text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                token.text += line[i++];
            }
            if (!closed) {
                *error = "a quoted text is not closed";
                return std::nullopt;
            }
            if (i < line.size() && line[i] != ' ' && line[i] != '\t') {
                *error = "a space must follow a quoted text";
                return std::nullopt;
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
                if (line[i] == '"') {
                    *error = "a quote inside a word";
                    return std::nullopt;
                }
                token.text += line[i++];
            }
        }
        tokens.push_back(std::move(token));
    }
}

// "HKLM\x" becomes "HKEY_LOCAL_MACHINE\x"; an unknown root is an error,
// because a misspelt one would never match and the entry would silently do
// nothing.
std::optional<std::string> NormalKeyPattern(std::string_view pattern, std::string* error) {
    const std::size_t slash = pattern.find('\\');
    const std::string_view root = pattern.substr(0, slash);
    const std::string_view rest = slash == std::string_view::npos ? "" : pattern.substr(slash);
    if (root.find_first_of("*?") != std::string_view::npos) return std::string(pattern);
    for (const RootName& name : kRootNames) {
        if (EqualsNoCase(root, name.fullName) || EqualsNoCase(root, name.shortName))
            return std::string(name.fullName) + std::string(rest);
    }
    *error = "\"" + std::string(root) + "\" is not a registry root (such as HKEY_LOCAL_MACHINE)";
    return std::nullopt;
}

struct ParsedLine {
    std::optional<IgnoreEntry> entry;
    std::optional<std::string> block;
};

std::optional<ParsedLine> ParseLine(std::string_view raw, std::string* error) {
    const std::string_view line = TrimBlanks(raw);
    ParsedLine parsed;
    if (line.empty() || line.front() == '#' || line.front() == ';') return parsed;
    if (line.front() == '[') {
        if (line.back() != ']') {
            *error = "a block header must end with ]";
            return std::nullopt;
        }
        const std::string_view inside = line.substr(1, line.size() - 2);
        if (EqualsNoCase(TrimBlanks(inside), "every machine")) {
            parsed.block = "";
            return parsed;
        }
        const auto tokens = Tokens(inside, error);
        if (!tokens) return std::nullopt;
        if (tokens->size() != 2 || tokens->at(0).quoted ||
            !EqualsNoCase(tokens->at(0).text, "machine") || !tokens->at(1).quoted ||
            tokens->at(1).text.empty()) {
            *error = "a block header is [every machine] or [machine \"folder\"]";
            return std::nullopt;
        }
        parsed.block = NormalMachine(tokens->at(1).text);
        return parsed;
    }
    const auto tokens = Tokens(line, error);
    if (!tokens) return std::nullopt;
    const std::vector<Token>& t = *tokens;
    IgnoreEntry entry;
    if (t[0].quoted) {
        *error = "an entry starts with registry, shortcut or menu";
        return std::nullopt;
    }
    if (EqualsNoCase(t[0].text, "registry")) {
        entry.kind = IgnoreEntry::Kind::Registry;
    } else if (EqualsNoCase(t[0].text, "shortcut")) {
        entry.kind = IgnoreEntry::Kind::Shortcut;
    } else if (EqualsNoCase(t[0].text, "menu")) {
        entry.kind = IgnoreEntry::Kind::MenuEntry;
    } else {
        *error = "\"" + t[0].text +
                 "\" is not understood; an entry starts with registry, shortcut or menu";
        return std::nullopt;
    }
    if (t.size() < 2 || !t[1].quoted || t[1].text.empty()) {
        *error = "the " + t[0].text + " entry needs a path in double quotes";
        return std::nullopt;
    }
    if (entry.kind == IgnoreEntry::Kind::Registry) {
        auto pattern = NormalKeyPattern(t[1].text, error);
        if (!pattern) return std::nullopt;
        entry.pattern = std::move(*pattern);
        if (t.size() == 4 && !t[2].quoted && EqualsNoCase(t[2].text, "value") && t[3].quoted) {
            entry.value = t[3].text;
        } else if (t.size() != 2) {
            *error = "after the key only value \"name\" may follow";
            return std::nullopt;
        }
    } else {
        if (t.size() != 2) {
            *error = entry.kind == IgnoreEntry::Kind::Shortcut
                         ? "after the shortcut's path nothing may follow"
                         : "after the menu entry's path nothing may follow";
            return std::nullopt;
        }
        entry.pattern = t[1].text;
    }
    parsed.entry = std::move(entry);
    return parsed;
}

std::string EntryLine(const IgnoreEntry& entry) {
    if (entry.kind == IgnoreEntry::Kind::Shortcut) return "shortcut " + Quote(entry.pattern);
    if (entry.kind == IgnoreEntry::Kind::MenuEntry) return "menu " + Quote(entry.pattern);
    std::string line = "registry " + Quote(entry.pattern);
    if (entry.value) line += " value " + Quote(*entry.value);
    return line;
}

std::string BlockHeader(const std::string& machine) {
    return machine.empty() ? std::string(kEveryMachineHeader) : "[machine " + Quote(machine) + "]";
}

bool MachineCovers(const std::string& entryMachine, std::string_view machine) {
    return entryMachine.empty() || entryMachine == NormalMachine(machine);
}

}  // namespace

std::string IgnoreParseError::Text() const {
    return "Line " + std::to_string(line) + " of the ignore list: " + message;
}

std::optional<IgnoreList> IgnoreList::Parse(std::string_view text, IgnoreParseError* error) {
    if (text.size() > kMaxFileBytes) {
        if (error) *error = {1, "the file is larger than an ignore list can be"};
        return std::nullopt;
    }
    std::vector<IgnoreParseError> problems;
    IgnoreList list = Read(text, &problems);
    if (!problems.empty()) {
        if (error) *error = problems.front();
        return std::nullopt;
    }
    return list;
}

IgnoreList IgnoreList::Read(std::string_view text, std::vector<IgnoreParseError>* problems) {
    IgnoreList list;
    std::string block;  // entries before any header are for every machine
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        Line line;
        line.text = std::string(raw);
        if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
        std::string message;
        std::optional<ParsedLine> parsed;
        if (raw.size() > kMaxLineBytes)
            message = "the line is too long";
        else if (raw.find('\0') != std::string_view::npos)
            message = "the line holds a NUL character; this is not a text file";
        else
            parsed = ParseLine(raw, &message);
        if (!parsed) {
            // Kept as written, so that saving the list never loses it, but
            // it applies nothing. A bad block header leaves the block as
            // it was: its entries stay with the machine before it rather
            // than apply to one the header did not name.
            if (problems) problems->push_back({number, message});
            list.lines_.push_back(std::move(line));
            continue;
        }
        if (parsed->block) block = *parsed->block;
        line.block = parsed->block;
        if (parsed->entry) {
            parsed->entry->machine = block;
            line.entry = std::move(parsed->entry);
        }
        list.lines_.push_back(std::move(line));
    }
    return list;
}

std::string IgnoreList::Text() const {
    std::string text;
    for (const Line& line : lines_) text += line.text + "\n";
    return text;
}

std::vector<IgnoreEntry> IgnoreList::Entries() const {
    std::vector<IgnoreEntry> entries;
    for (const Line& line : lines_)
        if (line.entry) entries.push_back(*line.entry);
    return entries;
}

bool IgnoreList::Add(const IgnoreEntry& given) {
    IgnoreEntry entry = given;
    entry.machine = NormalMachine(entry.machine);
    if (entry.kind == IgnoreEntry::Kind::Registry) {
        std::string error;
        if (auto pattern = NormalKeyPattern(entry.pattern, &error)) entry.pattern = *pattern;
    }
    for (const Line& line : lines_)
        if (line.entry && *line.entry == entry) return false;

    // After the last line of the machine's last block that is not blank.
    std::optional<std::size_t> insertAfter;
    std::string block;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].block) block = *lines_[i].block;
        if (block == entry.machine && (lines_[i].entry || lines_[i].block)) insertAfter = i;
    }
    Line line{EntryLine(entry), entry, std::nullopt};
    if (insertAfter) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*insertAfter) + 1, line);
        return true;
    }
    if (lines_.empty()) {
        lines_.push_back({"# Entries Vostrel 2006 leaves alone: never listed, counted or repaired.",
                          std::nullopt, std::nullopt});
        lines_.push_back(
            {"# registry \"ROOT\\key\" [value \"name\"], shortcut \"C:\\path\"; "
             "* and ? are wildcards.",
             std::nullopt, std::nullopt});
        lines_.push_back(
            {"# e\"...\" holds a text with line breaks or control characters: "
             "\\n, \\r, \\t, \\xHH, \\\\.",
             std::nullopt, std::nullopt});
    }
    if (!lines_.empty()) lines_.push_back({"", std::nullopt, std::nullopt});
    lines_.push_back({BlockHeader(entry.machine), std::nullopt, entry.machine});
    lines_.push_back(line);
    return true;
}

bool IgnoreList::Remove(std::size_t number) {
    std::size_t seen = 0;
    for (auto it = lines_.begin(); it != lines_.end(); ++it) {
        if (it->entry && ++seen == number) {
            lines_.erase(it);
            return true;
        }
    }
    return false;
}

bool IgnoreList::IgnoresRegistryValue(std::string_view machine, std::string_view keyPath,
                                      std::string_view valueName) const {
    for (const Line& line : lines_) {
        if (!line.entry || line.entry->kind != IgnoreEntry::Kind::Registry) continue;
        const IgnoreEntry& e = *line.entry;
        if (!MachineCovers(e.machine, machine)) continue;
        if (e.value && !EqualsNoCase(*e.value, valueName)) continue;
        if (WildcardMatch(e.pattern, keyPath)) return true;
    }
    return false;
}

bool IgnoreList::IgnoresShortcut(std::string_view machine, std::string_view path) const {
    return IgnoresPath(IgnoreEntry::Kind::Shortcut, machine, path);
}

bool IgnoreList::IgnoresMenuEntry(std::string_view machine, std::string_view path) const {
    return IgnoresPath(IgnoreEntry::Kind::MenuEntry, machine, path);
}

bool IgnoreList::IgnoresPath(IgnoreEntry::Kind kind, std::string_view machine,
                             std::string_view path) const {
    for (const Line& line : lines_) {
        if (!line.entry || line.entry->kind != kind) continue;
        if (MachineCovers(line.entry->machine, machine) && WildcardMatch(line.entry->pattern, path))
            return true;
    }
    return false;
}

bool WildcardMatch(std::string_view patternText, std::string_view textText) {
    std::u16string pattern = Utf8ToUtf16(patternText);
    std::u16string text = Utf8ToUtf16(textText);
    for (char16_t& c : pattern) c = FoldCase(c);
    for (char16_t& c : text) c = FoldCase(c);
    // The classic greedy match with one backtracking point: linear in practice,
    // never exponential, whatever the number of stars.
    std::size_t p = 0, t = 0;
    std::size_t star = std::u16string::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = t;
        } else if (star != std::u16string::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

std::string DefaultIgnoreListPath() {
#ifdef _WIN32
    return ProgramFolder() + "\\ignore.txt";
#else
    const std::string settings = DefaultSettingsPath();
    if (settings.empty()) return {};  // no home folder: nothing is read
    return std::filesystem::path(settings).parent_path().string() + "/ignore.txt";
#endif
}

std::optional<IgnoreList> LoadIgnoreList(const std::string& path, std::string* error,
                                         std::vector<std::string>* warnings) {
    if (path.empty()) {
        std::string why;
#ifndef _WIN32
        UserHomeFolder(&why);
#endif
        if (error) *error = "The ignore list cannot be found: " + why + ".";
        return std::nullopt;
    }
    std::string text, why;
    bool missing = false;
    if (!ReadSmallTextFile(path, kMaxFileBytes, &text, &why, &missing)) {
        if (missing) return IgnoreList{};
        if (error) *error = "The ignore list " + why + ".";
        return std::nullopt;
    }
    std::vector<IgnoreParseError> problems;
    IgnoreList list = IgnoreList::Read(text, &problems);
    if (warnings)
        for (const IgnoreParseError& problem : problems)
            warnings->push_back(path + ": " + problem.Text() + "; the line is left out");
    return list;
}

bool SaveIgnoreList(const std::string& path, const IgnoreList& list, std::string* error) {
    std::error_code ec;
    const auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) {
        if (error) *error = "The folder " + folder.string() + " could not be made: " + ec.message();
        return false;
    }
    return WriteFileAtomically(path, list.Text(), error);
}

std::optional<IgnoreEntry> RegistryKeyEntry(std::string_view key,
                                            const std::optional<std::string>& value,
                                            std::string* error) {
    std::string line = "registry " + Quote(key);
    if (value) line += " value " + Quote(*value);
    IgnoreParseError parseError;
    const auto parsed = IgnoreList::Parse(line, &parseError);
    if (!parsed || parsed->Entries().size() != 1) {
        if (error) *error = parsed ? "not one entry" : parseError.message;
        return std::nullopt;
    }
    return parsed->Entries().front();
}

}  // namespace vostrel
