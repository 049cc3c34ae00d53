// Writing a RegFile: the whole file as wineserver writes it, or the file as
// read with only the changed lines edited, checked by reading it back.
#include "system/wine/wine_reg_file.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "system/text.h"
#include "system/wine/wine_reg_text.h"

namespace vostrel {

using namespace regtext;

// ---------------------------------------------------------------- writing

namespace {

class Writer {
public:
    Writer(const RegFile& file, std::string& out) : file_(file), out_(out) {}

    // Every key below `root`, depth first, parents before their sub-keys.
    // The writer keeps its own stack, so however deep a file nests its keys
    // it never runs out of the machine's stack.
    void Tree(const RegFileKey& root) {
        struct Level {
            const RegFileKey* key;
            std::size_t next;  // the sub-key to write next
            std::size_t mark;  // the length of `path` before this key's name
        };
        std::string path;
        std::vector<Level> levels;
        if (Written(root)) Header(root, path);
        levels.push_back({&root, 0, 0});
        while (!levels.empty()) {
            Level& level = levels.back();
            if (level.next == level.key->subkeys.size()) {
                path.resize(level.mark);
                levels.pop_back();
                continue;
            }
            const RegFileKey* sub = level.key->subkeys[level.next++];
            const std::size_t mark = path.size();
            if (!path.empty()) path += "\\\\";
            EscapeName(path, sub->name, '[', ']');
            if (Written(*sub)) Header(*sub, path);
            levels.push_back({sub, 0, mark});
        }
    }

    // Wine writes a key that holds something, or that no sub-key implies.
    static bool Written(const RegFileKey& key) {
        return RegFile::HasValues(key) || key.subkeys.empty() || key.hasClass || key.symlink;
    }

    // One key's lines on their own, as Tree writes them.
    void Block(const RegFileKey& key, const std::string& path) { Header(key, path); }

private:
    void Header(const RegFileKey& key, const std::string& path) {
        out_ += "\n[";
        out_ += path;
        out_ += "] ";
        const auto seconds = static_cast<std::int64_t>(key.modified - kTicks1601To1970) /
                             static_cast<std::int64_t>(kTicksPerSecond);
        out_ += std::to_string(static_cast<std::uint32_t>(seconds));
        out_ += "\n#time=";
        AppendHex(out_, key.modified >> 32, false);
        AppendHex(out_, key.modified & 0xFFFFFFFFu, true);
        out_.push_back('\n');
        if (key.hasClass) {
            out_ += "#class=\"";
            EscapeName(out_, key.keyClass, '"', '"');
            out_ += "\"\n";
        }
        if (key.symlink) out_ += "#link\n";
        for (const RegFileValue& value : file_.Values(key)) {
            file_.ValueBytes(value, bytes_);
            DumpValue(out_, value.name, value.type, bytes_, scratch_);
        }
    }

    const RegFile& file_;
    std::string& out_;
    std::vector<std::uint8_t> bytes_;
    std::u16string scratch_;
};

}  // namespace

std::string RegFile::Serialize() const {
    std::string out;
    out.reserve(contents_.size() + 4096);
    out += "WINE REGISTRY Version 2\n;; All keys relative to ";
    out += relativeToLine_;
    out.push_back('\n');
    if (!arch_.empty()) {
        out += "\n#arch=";
        out += arch_;
        out.push_back('\n');
    }
    Writer writer(*this, out);
    writer.Tree(*root_);
    return out;
}

// ---------------------------------------------------------------- saving

void RegFile::BeforeChange() {
    if (wineForm_ < 0) wineForm_ = Serialize() == contents_ ? 1 : 0;
}

void RegFile::MarkChanged(RegFileKey& key) {
    if (key.changed) return;
    key.changed = true;
    changed_.push_back(&key);
}

bool RegFile::SourceLines(const RegFileValue& value, std::size_t& begin, std::size_t& end) const {
    if (value.form == RegFileValue::Form::Bytes || contents_.empty()) return false;
    const char* base = contents_.data();
    if (value.data.data() <= base || value.data.data() > base + contents_.size()) return false;
    const auto at = static_cast<std::size_t>(value.data.data() - base);
    const auto lineEnd = contents_.rfind('\n', at - 1);
    begin = lineEnd == std::string::npos ? 0 : lineEnd + 1;
    const auto next = contents_.find('\n', at + value.data.size());
    end = next == std::string::npos ? contents_.size() : next + 1;
    return true;
}

void RegFile::DropSourceLines(const RegFileKey& key, const RegFileValue& value, bool drop) {
    auto mark = [&](const RegFileValue& v) {
        std::size_t begin = 0, end = 0;
        if (!SourceLines(v, begin, end)) return;
        if (drop)
            dropped_[begin] = end;
        else
            dropped_.erase(begin);
    };
    mark(value);
    const auto [first, last] = shadowed_.equal_range(&key);
    for (auto it = first; it != last; ++it)
        if (CompareRegNames(it->second.name, value.name) == 0) mark(it->second);
}

namespace {

// Whether `key` still hangs in the tree below `root`.
bool Attached(const RegFile& file, const RegFileKey& key) {
    const RegFileKey* k = &key;
    for (; k->parent; k = k->parent)
        if (file.FindSubkey(*k->parent, k->name) != k) return false;
    return k == &file.Root();
}

// The key's path as its "[...]" line writes it.
std::string KeyLinePath(const RegFileKey& key) {
    std::vector<const RegFileKey*> chain;
    for (const RegFileKey* k = &key; k->parent; k = k->parent) chain.push_back(k);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty()) path += "\\\\";
        EscapeName(path, (*it)->name, '[', ']');
    }
    return path;
}

struct Edit {
    std::size_t begin, end;  // the bytes of the file as read that `text` replaces
    std::string text;
};

// The edits that give a key's "[...]" line and its "#time=" line the key's
// time, when it is not the time they hold. The lines keep everything else.
void TimeEdits(std::string_view contents, const RegFileKey& key, std::vector<Edit>& edits) {
    const char* base = contents.data();
    const Line line = LineAt(contents, key.header);
    const std::string_view text = TrimBlanks(line.text);
    if (text.empty() || text.front() != '[') return;
    const auto close = FindUnescaped(text.substr(1), ']');
    if (close == std::string_view::npos) return;
    const std::string_view seconds = TrimBlanks(text.substr(close + 2));
    std::uint64_t written = 0;
    bool known = false;
    if (!seconds.empty()) {
        std::uint64_t n = 0;
        for (char c : seconds) n = n * 10 + static_cast<unsigned>(c - '0');
        written = n * kTicksPerSecond + kTicks1601To1970;
        known = true;
    }
    std::string_view timeDigits;
    for (std::size_t pos = line.next; pos < contents.size();) {
        const Line more = LineAt(contents, pos);
        const std::string_view t = TrimBlanks(more.text);
        if (!t.empty() && t.front() == '[') break;
        if (t.substr(0, 6) == "#time=") {
            std::size_t n = 6;
            std::uint64_t time = 0;
            while (n < t.size() && IsHex(static_cast<unsigned char>(t[n])))
                time = (time << 4) | HexValue(static_cast<unsigned char>(t[n++]));
            timeDigits = t.substr(6, n - 6);
            written = time;
            known = true;
        }
        pos = more.next;
    }
    if (!known || written == key.modified) return;
    if (!seconds.empty()) {
        const auto secs = static_cast<std::int64_t>(key.modified - kTicks1601To1970) /
                          static_cast<std::int64_t>(kTicksPerSecond);
        const auto at = static_cast<std::size_t>(seconds.data() - base);
        edits.push_back(
            {at, at + seconds.size(), std::to_string(static_cast<std::uint32_t>(secs))});
    }
    if (timeDigits.data()) {
        std::string hex;
        AppendHex(hex, key.modified >> 32, false);
        AppendHex(hex, key.modified & 0xFFFFFFFFu, true);
        const auto at = static_cast<std::size_t>(timeDigits.data() - base);
        edits.push_back({at, at + timeDigits.size(), std::move(hex)});
    }
}

// Where the lines of a key's values begin: after its "[...]" line and the
// option lines ("#time=", "#class=", "#link") that follow it.
std::size_t AfterOptions(std::string_view contents, std::size_t header) {
    std::size_t pos = LineAt(contents, header).next;
    while (pos < contents.size()) {
        const Line line = LineAt(contents, pos);
        const std::string_view t = TrimBlanks(line.text);
        if (t.empty() || t.front() != '#') break;
        pos = line.next;
    }
    return pos;
}

// Where two files differ in keys or values, or empty when they do not.
std::string Difference(const RegFile& a, const RegFile& b) {
    std::vector<std::pair<const RegFileKey*, const RegFileKey*>> pending{{&a.Root(), &b.Root()}};
    std::vector<std::uint8_t> bytesA, bytesB;
    while (!pending.empty()) {
        const RegFileKey* ka = pending.back().first;
        const RegFileKey* kb = pending.back().second;
        pending.pop_back();
        auto differs = [&](const char* what) {
            const std::string path = KeyLinePath(*ka);
            return std::string(what) + " of the key [" +
                   (path.empty() ? std::string("(root)") : path) + "]";
        };
        if (ka->hasClass != kb->hasClass || (ka->hasClass && ka->keyClass != kb->keyClass))
            return differs("the class");
        if (ka->symlink != kb->symlink) return differs("the link mark");
        const std::span<const RegFileValue> valuesA = a.Values(*ka);
        const std::span<const RegFileValue> valuesB = b.Values(*kb);
        if (valuesA.size() != valuesB.size()) return differs("the values");
        for (std::size_t i = 0; i < valuesA.size(); ++i) {
            const RegFileValue& va = valuesA[i];
            const RegFileValue& vb = valuesB[i];
            a.ValueBytes(va, bytesA);
            b.ValueBytes(vb, bytesB);
            if (va.name != vb.name || va.type != vb.type || bytesA != bytesB)
                return differs("a value");
        }
        const auto& subA = ka->subkeys;
        const auto& subB = kb->subkeys;
        for (std::size_t i = 0; i < std::max(subA.size(), subB.size()); ++i) {
            const RegFileKey* sa = i < subA.size() ? subA[i] : nullptr;
            const RegFileKey* sb = i < subB.size() ? subB[i] : nullptr;
            if (sa && sb && sa->name == sb->name) {
                pending.emplace_back(sa, sb);
                continue;
            }
            // The first key that only one of them has.
            const RegFileKey* only = !sa                                       ? sb
                                     : !sb                                     ? sa
                                     : CompareRegNames(sa->name, sb->name) < 0 ? sa
                                                                               : sb;
            return "the key [" + KeyLinePath(*only) + "]";
        }
    }
    return {};
}

}  // namespace

std::string RegFile::EditedText() const {
    std::vector<Edit> edits;
    for (const auto& [begin, end] : dropped_) edits.push_back({begin, end, {}});
    std::vector<std::uint8_t> bytes;
    std::u16string scratch;
    std::vector<const RegFileKey*> blocks;  // keys that need lines of their own
    for (const RegFileKey* key : changed_) {
        if (!Attached(*this, *key)) continue;
        if (key->header == std::string::npos) {
            blocks.push_back(key);
            continue;
        }
        TimeEdits(contents_, *key, edits);
        const std::span<const RegFileValue> values = Values(*key);
        std::size_t begin = 0, end = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (SourceLines(values[i], begin, end)) continue;  // as read
            // A new or changed value goes next to its neighbours in Wine's
            // order, or first in the key when they are new as well.
            std::size_t at = std::string::npos;
            for (std::size_t j = i; j-- > 0 && at == std::string::npos;)
                if (SourceLines(values[j], begin, end)) at = end;
            for (std::size_t j = i + 1; j < values.size() && at == std::string::npos; ++j)
                if (SourceLines(values[j], begin, end)) at = begin;
            if (at == std::string::npos) at = AfterOptions(contents_, key->header);
            std::string line;
            ValueBytes(values[i], bytes);
            DumpValue(line, values[i].name, values[i].type, bytes, scratch);
            edits.push_back({at, at, std::move(line)});
        }
    }
    for (const RegFileKey* key : added_)
        if (!key->changed && Attached(*this, *key)) blocks.push_back(key);
    for (const RegFileKey* key : blocks) {
        if (HasValues(*key) || key->subkeys.empty() || key->hasClass || key->symlink) {
            std::string text;
            Writer writer(*this, text);
            writer.Block(*key, KeyLinePath(*key));
            edits.push_back({contents_.size(), contents_.size(), std::move(text)});
        }
    }
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
    });
    // New lines end as the file's lines do.
    const auto firstEnd = contents_.find('\n');
    const bool crlf =
        firstEnd != std::string::npos && firstEnd > 0 && contents_[firstEnd - 1] == '\r';
    std::string out;
    out.reserve(contents_.size() + 4096);
    std::size_t cursor = 0;
    for (const Edit& edit : edits) {
        if (edit.begin > cursor) out.append(contents_, cursor, edit.begin - cursor);
        for (char c : edit.text) {
            if (c == '\n' && crlf) out.push_back('\r');
            out.push_back(c);
        }
        cursor = std::max(cursor, edit.end);
    }
    if (cursor < contents_.size()) out.append(contents_, cursor, std::string::npos);
    return out;
}

bool RegFile::SaveText(std::string& out, std::string* error) const {
    const bool wineForm = wineForm_ >= 0 ? wineForm_ == 1 : Serialize() == contents_;
    if (wineForm) {
        out = Serialize();
        return true;
    }
    out = EditedText();
    std::string why;
    const auto again = Parse("the edited file", out, &why);
    if (!again)
        why = "it would not read back: " + why;
    else
        why = Difference(*this, *again);
    if (why.empty()) return true;
    if (error)
        *error =
            "the file is not in the form Wine writes, and saving only the changed lines would "
            "change " +
            why + " as well, so it was left as it is";
    out.clear();
    return false;
}

}  // namespace vostrel
