#include "menus/desktop_entry.h"

#include <unordered_map>

namespace vostrel::menus {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Key names are A-Za-z0-9 and '-', optionally followed by [locale].
bool IsValidKey(std::string_view key) {
    if (key.empty()) return false;
    std::size_t i = 0;
    while (i < key.size() && key[i] != '[') {
        const char c = key[i];
        const bool ok =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
        if (!ok) return false;
        ++i;
    }
    if (i == 0) return false;
    if (i == key.size()) return true;
    // "[locale]" up to the end, non-empty, with no nested brackets.
    if (key.back() != ']' || key.size() - i < 3) return false;
    for (std::size_t j = i + 1; j + 1 < key.size(); ++j)
        if (key[j] == '[' || key[j] == ']' || static_cast<unsigned char>(key[j]) < 0x20)
            return false;
    return true;
}

// Group names: printable ASCII except [ and ], or any UTF-8 text byte.
bool IsValidGroupName(std::string_view name) {
    if (name.empty()) return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || c == '[' || c == ']') return false;
    }
    return true;
}

std::string LineError(std::size_t line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

// %f %F %u %U %i %c %k, and the deprecated %d %D %n %N %v %m.
bool IsFieldCode(std::string_view word) {
    return word.size() == 2 && word[0] == '%' &&
           std::string_view("fFuUickdDnNvm").find(word[1]) != std::string_view::npos;
}

std::string ReplacePercentPercent(const std::string& word) {
    std::string out;
    out.reserve(word.size());
    for (std::size_t i = 0; i < word.size(); ++i) {
        out += word[i];
        if (word[i] == '%' && i + 1 < word.size() && word[i + 1] == '%') ++i;
    }
    return out;
}

}  // namespace

std::optional<std::string> DesktopEntryGroup::Raw(std::string_view key) const {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->first == key) return it->second;
    return std::nullopt;
}

const DesktopEntryGroup* DesktopEntryFile::Group(std::string_view name) const {
    for (const auto& group : groups)
        if (group.name == name) return &group;
    return nullptr;
}

std::optional<std::string> DesktopEntryFile::String(std::string_view group,
                                                    std::string_view key) const {
    const DesktopEntryGroup* found = Group(group);
    if (!found) return std::nullopt;
    auto raw = found->Raw(key);
    if (!raw) return std::nullopt;
    return UnescapeDesktopString(*raw);
}

std::optional<std::string> DesktopEntryFile::LocaleString(std::string_view group,
                                                          std::string_view key,
                                                          std::string_view locale) const {
    const DesktopEntryGroup* found = Group(group);
    if (!found) return std::nullopt;
    // lang_COUNTRY.ENCODING@MODIFIER: the encoding plays no part.
    std::string_view lang = locale, country, modifier;
    if (const auto at = lang.find('@'); at != std::string_view::npos) {
        modifier = lang.substr(at + 1);
        lang = lang.substr(0, at);
    }
    if (const auto dot = lang.find('.'); dot != std::string_view::npos) lang = lang.substr(0, dot);
    if (const auto underscore = lang.find('_'); underscore != std::string_view::npos) {
        country = lang.substr(underscore + 1);
        lang = lang.substr(0, underscore);
    }
    std::vector<std::string> tries;
    if (!lang.empty()) {
        const std::string base = std::string(key) + "[" + std::string(lang);
        if (!country.empty() && !modifier.empty())
            tries.push_back(base + "_" + std::string(country) + "@" + std::string(modifier) + "]");
        if (!country.empty()) tries.push_back(base + "_" + std::string(country) + "]");
        if (!modifier.empty()) tries.push_back(base + "@" + std::string(modifier) + "]");
        tries.push_back(base + "]");
    }
    tries.emplace_back(key);
    for (const auto& name : tries)
        if (auto raw = found->Raw(name)) return UnescapeDesktopString(*raw);
    return std::nullopt;
}

DesktopEntryParse ParseDesktopEntry(std::string_view text) {
    DesktopEntryParse result;
    if (text.size() > kMaxDesktopEntrySize) {
        result.error = "larger than " + std::to_string(kMaxDesktopEntrySize) + " bytes";
        return result;
    }
    if (text.find('\0') != std::string_view::npos) {
        result.error = "not a text file (it holds NUL bytes)";
        return result;
    }
    // A UTF-8 byte order mark is tolerated, as the desktops do.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    DesktopEntryFile file;
    std::unordered_map<std::string, std::size_t> keyIndex;  // the current group's keys
    std::size_t keys = 0;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == '#') continue;
        if (trimmed.front() == '[') {
            if (trimmed.back() != ']') {
                result.error = LineError(lineNumber, "a group header without its ]");
                return result;
            }
            const std::string_view name = trimmed.substr(1, trimmed.size() - 2);
            if (!IsValidGroupName(name)) {
                result.error =
                    LineError(lineNumber, "a group name with characters a group name cannot hold");
                return result;
            }
            if (file.Group(name)) {
                result.error =
                    LineError(lineNumber, "the group [" + std::string(name) + "] a second time");
                return result;
            }
            if (file.groups.size() >= kMaxDesktopEntryGroups) {
                result.error =
                    LineError(lineNumber,
                              "more than " + std::to_string(kMaxDesktopEntryGroups) + " groups");
                return result;
            }
            file.groups.push_back({std::string(name), {}});
            keyIndex.clear();
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            result.error = LineError(lineNumber, "neither a group, a key nor a comment");
            return result;
        }
        const std::string_view key = Trim(line.substr(0, eq));
        if (!IsValidKey(key)) {
            result.error = LineError(lineNumber, "the key \"" + std::string(key) +
                                                     "\" is not a valid key name");
            return result;
        }
        if (file.groups.empty()) {
            result.error = LineError(lineNumber, "a key outside any group");
            return result;
        }
        if (++keys > kMaxDesktopEntryKeys) {
            result.error = LineError(lineNumber,
                                     "more than " + std::to_string(kMaxDesktopEntryKeys) + " keys");
            return result;
        }
        // Blanks after '=' belong to no value; blanks at its end are kept,
        // as \s is there for leading ones only.
        std::string_view value = line.substr(eq + 1);
        while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
        auto& entries = file.groups.back().entries;
        const auto [place, added] = keyIndex.try_emplace(std::string(key), entries.size());
        if (added)
            entries.emplace_back(std::string(key), std::string(value));
        else
            entries[place->second].second = std::string(value);
    }
    result.file = std::move(file);
    return result;
}

std::string UnescapeDesktopString(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c != '\\' || i + 1 == raw.size()) {
            out += c;
            continue;
        }
        const char next = raw[i + 1];
        switch (next) {
            case 's': out += ' '; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            default:
                out += '\\';
                out += next;
                break;
        }
        ++i;
    }
    return out;
}

std::optional<std::vector<std::string>> SplitExec(std::string_view exec) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool standalone = true;  // the word so far was written bare, so may be a field code
    std::size_t i = 0;
    const auto finish = [&]() -> bool {
        if (!inWord) return true;
        if (!(standalone && IsFieldCode(word))) {
            if (words.size() >= kMaxExecWords) return false;
            words.push_back(ReplacePercentPercent(word));
        }
        word.clear();
        inWord = false;
        standalone = true;
        return true;
    };
    while (i < exec.size()) {
        const char c = exec[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (!finish()) return std::nullopt;
            ++i;
        } else if (c == '"') {
            inWord = true;
            standalone = false;
            ++i;
            for (;;) {
                if (i >= exec.size()) return std::nullopt;  // unclosed quote
                const char d = exec[i++];
                if (d == '"') break;
                if (d == '\\' && i < exec.size() &&
                    (exec[i] == '"' || exec[i] == '`' || exec[i] == '$' || exec[i] == '\\')) {
                    word += exec[i++];
                    continue;
                }
                word += d;
            }
        } else if (c == '\'') {
            inWord = true;
            standalone = false;
            const auto close = exec.find('\'', i + 1);
            if (close == std::string_view::npos) return std::nullopt;
            word.append(exec.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == '\\') {
            if (i + 1 >= exec.size()) return std::nullopt;
            inWord = true;
            standalone = false;
            word += exec[i + 1];
            i += 2;
        } else {
            inWord = true;
            word += c;
            ++i;
        }
    }
    if (!finish()) return std::nullopt;
    return words;
}

}  // namespace vostrel::menus
