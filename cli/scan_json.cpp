#include "cli/scan_json.h"

#include <algorithm>
#include <array>
#include <iostream>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/safe_output.h"
#include "results/problem_id.h"

namespace vostrel::cli {

namespace {

// True when every byte is part of well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF): the JSON library writes such text
// as it is and replaces anything else, which is left to it.
bool WellFormedUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        std::size_t length;
        char32_t cp, lowest;
        if ((c & 0xE0) == 0xC0) {
            length = 2, cp = c & 0x1F, lowest = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, cp = c & 0x0F, lowest = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, cp = c & 0x07, lowest = 0x10000;
        } else {
            return false;
        }
        if (static_cast<std::size_t>(end - p) < length) return false;
        for (std::size_t i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        p += length;
    }
    return true;
}

// A JSON string as the library writes it (ensure_ascii off): quotes,
// backslashes and the C0 controls escaped, everything else as it is.
void AppendString(std::string& out, std::string_view text) {
    if (!WellFormedUtf8(text)) {
        out += nlohmann::json(std::string(text))
                   .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        return;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        out.append(text.substr(plain, i - plain));
        plain = i + 1;
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                out += "\\u00";
                out.push_back(kHex[c >> 4]);
                out.push_back(kHex[c & 0xF]);
        }
    }
    out.append(text.substr(plain));
    out.push_back('"');
}

// One object of a problem array, its keys given in the library's (sorted)
// order, at the depth of the array's elements.
class ObjectText {
public:
    explicit ObjectText(std::string& out) : out_(out) { out_ += "    {"; }
    ~ObjectText() { out_ += "\n    }"; }

    void Field(std::string_view key, std::string_view value) {
        Key(key);
        AppendString(out_, value);
    }
    // A text, or null when there is none.
    void Field(std::string_view key, const std::string* value) {
        Key(key);
        if (value)
            AppendString(out_, *value);
        else
            out_ += "null";
    }
    void Field(std::string_view key, bool value) {
        Key(key);
        out_ += value ? "true" : "false";
    }
    void Field(std::string_view key, const std::vector<std::string>& values) {
        Key(key);
        if (values.empty()) {
            out_ += "[]";
            return;
        }
        out_ += "[\n";
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i) out_ += ",\n";
            out_ += "        ";
            AppendString(out_, values[i]);
        }
        out_ += "\n      ]";
    }

private:
    void Key(std::string_view key) {
        out_ += first_ ? "\n      " : ",\n      ";
        first_ = false;
        AppendString(out_, key);
        out_ += ": ";
    }
    std::string& out_;
    bool first_ = true;
};

// The id of a problem's program, or null.
const std::string* GroupIdOf(const ProblemGroups& groups, std::size_t index) {
    const ProblemGroup* group = groups.GroupOf({index});
    return group ? &group->id : nullptr;
}

void Problem(std::string& out, const RegistryProblem& p, const std::string* group) {
    ObjectText o(out);
    o.Field("data", p.testedPath);
    // The value's data whole, as read (added to schema 1).
    o.Field("dataAsRead", p.dataAsRead);
    o.Field("group", group);
    o.Field("id", ProblemId(p));
    o.Field("key", p.keyPath);
    o.Field("missing", p.testedPath);
    o.Field("root", p.rootName);
    o.Field("scanner", p.scanner);
    o.Field("section", p.section);
    o.Field("systemFolder", p.systemFolder);
    o.Field("value", p.valueName);
}

void Problem(std::string& out, const ShortcutProblem& p, const std::string* group) {
    ObjectText o(out);
    o.Field("group", group);
    o.Field("id", ProblemId(p));
    o.Field("path", p.path);
    o.Field("target", p.target);
}

void Problem(std::string& out, const MenuEntryProblem& p, const std::string* group) {
    ObjectText o(out);
    o.Field("group", group);
    o.Field("icons", p.icons);
    o.Field("id", ProblemId(p));
    o.Field("name", p.name);
    o.Field("orphan", p.orphan);
    o.Field("path", p.path);
    o.Field("prefix", p.prefix);
    o.Field("reason", p.reason);
    o.Field("target", p.target);
}

// The text goes out whenever this much of it is waiting.
constexpr std::size_t kChunk = std::size_t{64} * 1024;

void Drain(std::ostream& stream, std::string& text) {
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    text.clear();
}

template <class Problems>
void AppendArray(std::ostream& stream, std::string& text, const Problems& problems,
                 const ProblemGroups& groups) {
    if (problems.empty()) {
        text += "[]";
        return;
    }
    text += "[\n";
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (i > 0) text += ",\n";
        Problem(text, problems[i], GroupIdOf(groups, problems.PositionOf(i)));
        if (text.size() >= kChunk) Drain(stream, text);
    }
    text += "\n  ]";
}

}  // namespace

void WriteScanJson(std::ostream& stream, const ScanSession& session, const ProblemGroups& groups,
                   const std::string& machine, const std::string& prefix) {
    const nlohmann::json head = ScanJsonHead(session, groups, machine, prefix);
    // The problem arrays take their place among the head's keys, which the
    // library keeps sorted.
    constexpr std::array<std::string_view, 3> kArrays = {"menuEntries", "registry", "shortcuts"};
    std::vector<std::string_view> keys(kArrays.begin(), kArrays.end());
    for (auto it = head.begin(); it != head.end(); ++it) keys.push_back(it.key());
    std::sort(keys.begin(), keys.end());
    std::string text;
    text.reserve(kChunk + 4096);
    text += "{";
    for (std::size_t i = 0; i < keys.size(); ++i) {
        text += i ? ",\n  " : "\n  ";
        AppendString(text, keys[i]);
        text += ": ";
        if (keys[i] == "registry") {
            AppendArray(stream, text, session.result.problems.Of<RegistryProblem>(), groups);
        } else if (keys[i] == "shortcuts") {
            AppendArray(stream, text, session.result.problems.Of<ShortcutProblem>(), groups);
        } else if (keys[i] == "menuEntries") {
            AppendArray(stream, text, session.result.problems.Of<MenuEntryProblem>(), groups);
        } else {
            const std::string value =
                head.at(std::string(keys[i]))
                    .dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
            // One level deeper than the library writes it alone.
            for (const char c : value) {
                text.push_back(c);
                if (c == '\n') text += "  ";
            }
        }
    }
    text += "\n}\n";
    Drain(stream, text);
    stream.flush();
}

void PrintScanJson(const ScanSession& session, const ProblemGroups& groups,
                   const std::string& machine, const std::string& prefix) {
    RawStandardOutput raw;
    WriteScanJson(std::cout, session, groups, machine, prefix);
}

}  // namespace vostrel::cli
