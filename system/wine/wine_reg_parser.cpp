// Reading a Wine registry file: one pass over the lines, keys and values
// kept as views into the file's text, decoded only when asked for.
#include "system/wine/wine_reg_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "system/text.h"
#include "system/wine/mapped_text_guard.h"
#include "system/wine/wine_reg_text.h"

namespace vostrel {

using namespace regtext;

// ---------------------------------------------------------------- the text

void RegFileUnmap::operator()(char*) const {
    if (guarded) UnguardMappedText(static_cast<const char*>(base));
    if (base) ::munmap(base, length);
}

bool RegFileText::Reserve(std::size_t wanted) {
    constexpr std::size_t kLargePage = std::size_t{2} << 20;
    wanted = std::max<std::size_t>(wanted, 1);
    // A large page needs its address aligned: map one more and start inside.
    const std::size_t length = wanted >= kLargePage ? wanted + kLargePage : wanted;
    void* base =
        ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) {
        errno = ENOMEM;
        return false;
    }
    char* start = static_cast<char*>(base);
    if (wanted >= kLargePage) {
        const auto at = reinterpret_cast<std::uintptr_t>(start);
        start += (kLargePage - at % kLargePage) % kLargePage;
#ifdef MADV_HUGEPAGE
        ::madvise(start, wanted, MADV_HUGEPAGE);  // a hint: without it, small pages
#endif
    }
    std::unique_ptr<char, RegFileUnmap> fresh(start, RegFileUnmap{base, length});
    if (size > 0) std::memcpy(fresh.get(), bytes.get(), size);
    bytes = std::move(fresh);
    room = wanted;
    return true;
}

bool RegFileText::Map(int fd, std::size_t wanted) {
    if (wanted == 0) {
        errno = EINVAL;
        return false;
    }
    void* base = ::mmap(nullptr, wanted, PROT_READ, MAP_PRIVATE, fd, 0);
    if (base == MAP_FAILED) return false;
    if (!GuardMappedText(static_cast<const char*>(base), wanted)) {
        ::munmap(base, wanted);
        errno = EMFILE;
        return false;
    }
    bytes = std::unique_ptr<char, RegFileUnmap>(static_cast<char*>(base),
                                                RegFileUnmap{base, wanted, true});
    size = room = wanted;
    mapped = true;
    return true;
}

void RegFileText::Release(std::size_t from, std::size_t to) const {
    if (!mapped || !bytes) return;
    static const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    to = std::min(to, size);
    from = (from + page - 1) / page * page;  // whole pages only
    to = to / page * page;
    if (from >= to) return;
    ::madvise(bytes.get() + from, to - from, MADV_DONTNEED);
}

// ---------------------------------------------------------------- value lines

namespace {

bool Problem(std::string* problem, const char* what) {
    if (problem) *problem = what;
    return false;
}

// The comma list may go on over continuation lines ending in '\'.
template <typename More>
bool HexData(std::string_view contents, std::string_view list, std::string_view lineText, More more,
             bool check, RegFileValue& value, std::string* problem) {
    const char* base = contents.data();
    const std::size_t start = static_cast<std::size_t>(list.data() - base);
    std::size_t end = static_cast<std::size_t>(lineText.data() + lineText.size() - base);
    std::string_view last = lineText;
    while (!TrimBlanks(last).empty() && TrimBlanks(last).back() == '\\') {
        Line next;
        if (!more(next))
            return Problem(problem, "the hex data goes on past the end of the file (cut off?)");
        last = next.text;
        end = static_cast<std::size_t>(next.text.data() + next.text.size() - base);
    }
    value.form = RegFileValue::Form::Hex;
    value.data = std::string_view(base + start, end - start);
    if (check && !DecodeHexList(value.data, nullptr)) return Problem(problem, "malformed hex data");
    return true;
}

// One value line: `text` is the line from its name on, `lineText` the whole
// line; `more` hands over the next line of the file (false at its end) for
// hex data that goes on. The name comes back as written (`written`), to be
// decoded by the caller. With `check`, hex digits are checked as well (the
// first read of a file; the lines read again later passed it already).
template <typename More>
bool ReadValueLine(std::string_view contents, std::string_view text, std::string_view lineText,
                   More more, bool check, RegFileValue& value, std::string_view& written,
                   std::string* problem) {
    std::string_view rest;
    written = {};
    if (text.front() == '@') {
        rest = text.substr(1);
    } else {
        const auto end = FindUnescaped(text.substr(1), '"');
        if (end == std::string_view::npos)
            return Problem(problem, "the value name has no closing quote");
        written = text.substr(1, end);
        rest = text.substr(end + 2);
    }
    rest = TrimBlanks(rest);
    if (rest.empty() || rest.front() != '=')
        return Problem(problem, "'=' expected after the value name");
    rest = TrimBlanks(rest.substr(1));
    struct TextPrefix {
        std::string_view prefix;
        DWORD type;
    };
    static constexpr TextPrefix kTextPrefixes[] = {{"\"", REG_SZ},
                                                   {"str:\"", REG_SZ},
                                                   {"str(2):\"", REG_EXPAND_SZ},
                                                   {"str(7):\"", REG_MULTI_SZ}};
    for (const auto& p : kTextPrefixes) {
        if (rest.substr(0, p.prefix.size()) != p.prefix) continue;
        const std::string_view body = rest.substr(p.prefix.size());
        const auto end = FindUnescaped(body, '"');
        if (end == std::string_view::npos) return Problem(problem, "the text has no closing quote");
        if (!TrimBlanks(body.substr(end + 1)).empty())
            return Problem(problem, "unexpected text after the closing quote");
        value.type = p.type;
        value.form = RegFileValue::Form::Text;
        value.data = body.substr(0, end);
        return true;
    }
    if (rest.substr(0, 6) == "dword:") {
        std::uint32_t number = 0;
        if (check && !ParseHexNumber(TrimBlanks(rest.substr(6)), number))
            return Problem(problem, "a dword needs 1 to 8 hex digits");
        value.type = REG_DWORD;
        value.form = RegFileValue::Form::Dword;
        value.data = TrimBlanks(rest.substr(6));
        return true;
    }
    std::string_view list;
    if (rest.substr(0, 4) == "hex:") {
        value.type = REG_BINARY;
        list = rest.substr(4);
    } else if (rest.substr(0, 4) == "hex(") {
        const auto close = rest.find("):");
        std::uint32_t type = 0;
        if (close == std::string_view::npos || !ParseHexNumber(rest.substr(4, close - 4), type))
            return Problem(problem, "a hex value needs its kind as hex(<kind>):");
        value.type = type;
        list = rest.substr(close + 2);
    } else {
        return Problem(problem, "unknown kind of value data");
    }
    return HexData(contents, list, lineText, more, check, value, problem);
}

// A name as written decoded into WTF-8.
std::string DecodeName(std::string_view written) {
    std::u16string units;
    UnescapeText(written, units);
    return Utf16ToWtf(units);
}

}  // namespace

std::size_t RegFile::ReadValues(std::size_t at, std::uint32_t count, std::vector<RegFileValue>& out,
                                std::deque<std::string>& names) const {
    out.reserve(out.size() + count);
    const std::string_view contents = contents_;
    std::size_t pos = at;
    auto more = [&](Line& next) {
        if (pos >= contents.size()) return false;
        next = LineAt(contents, pos);
        pos = next.next;
        return true;
    };
    for (std::uint32_t found = 0; found < count && pos < contents.size();) {
        const Line line = LineAt(contents, pos);
        pos = line.next;
        std::string_view text = line.text;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        if (text.empty() || (text.front() != '@' && text.front() != '"')) continue;
        RegFileValue value;
        std::string_view written;
        if (!ReadValueLine(contents, text, line.text, more, false, value, written, nullptr))
            continue;  // cannot happen: the parser read the same line
        value.name = NeedsUnescape(written)
                         ? std::string_view(names.emplace_back(DecodeName(written)))
                         : written;
        out.push_back(value);
        ++found;
    }
    return pos;
}

void RegFile::NoteTextRead(std::size_t at, std::size_t end) const {
    if (!buffer_.mapped) return;
    // A page read brings its neighbours with it (the kernel maps up to 64 kB
    // around a fault), so text read far from the last read counts whole.
    constexpr std::size_t kBlock = std::size_t{64} << 10;
    constexpr std::size_t kKeepAtMost = std::size_t{12} << 20;
    const std::size_t block = at / kBlock;
    textReadBack_ += block == lastBlockRead_ ? end - at : std::max(end - at, kBlock);
    lastBlockRead_ = end / kBlock;
    if (textReadBack_ < kKeepAtMost) return;
    buffer_.Release(0, buffer_.size);
    textReadBack_ = 0;
    lastBlockRead_ = std::string_view::npos;
}

// ---------------------------------------------------------------- parser

class RegFileParser {
public:
    RegFileParser(RegFile& file, std::string fileName)
        : file_(file), fileName_(std::move(fileName)) {}

    bool Run(std::string* error) {
        const std::string_view contents = file_.contents_;
        if (!contents.empty() && contents.back() != '\n')
            return Fail(error, CountLines(contents),
                        "the file ends in the middle of a line (cut off?)");
        std::size_t pos = 0;
        line_ = 0;
        const Line header = Next(pos);
        if (header.text != "WINE REGISTRY Version 2")
            return Fail(
                error, 1,
                "not a Wine registry file (the first line is not \"WINE REGISTRY Version 2\")");
        // A file mapped from disk is let go of behind the reading, a few
        // megabytes at a time: the keys keep only where their lines are.
        constexpr std::size_t kReleaseStep = std::size_t{4} << 20;
        std::size_t released = 0;
        while (pos < contents.size()) {
            const Line line = Next(pos);
            if (!HandleLine(line, pos)) return Fail(error, line_, problem_);
            if (pos - released >= 2 * kReleaseStep) {
                file_.buffer_.Release(released, pos - kReleaseStep);
                released = pos - kReleaseStep;
            }
        }
        FlushValues();
        SortWhatCameOutOfOrder();
        file_.buffer_.Release(0, contents.size());
        return true;
    }

private:
    Line Next(std::size_t& pos) {
        const Line line = LineAt(file_.contents_, pos);
        pos = line.next;
        ++line_;
        return line;
    }

    static std::size_t CountLines(std::string_view s) {
        return static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n')) + 1;
    }

    bool Fail(std::string* error, std::size_t line, const std::string& what) {
        if (error) *error = fileName_ + " line " + std::to_string(line) + ": " + what;
        return false;
    }

    bool Problem(std::string what) {
        problem_ = std::move(what);
        return false;
    }

    bool HandleLine(const Line& line, std::size_t& pos) {
        std::string_view text = line.text;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        if (text.empty()) return true;
        switch (text.front()) {
            case '[':
                return KeyLine(text,
                               static_cast<std::size_t>(line.text.data() - file_.contents_.data()));
            case '@':
            case '"': return ValueLine(text, line, pos);
            case '#': return OptionLine(text);
            case ';': return CommentLine(text);
            default: return Problem("unrecognised line");
        }
    }

    bool CommentLine(std::string_view text) {
        static constexpr std::string_view kRelative = ";; All keys relative to ";
        if (key_ || !file_.relativeToLine_.empty() || text.substr(0, kRelative.size()) != kRelative)
            return true;
        // Carriage returns at its end are line breaks an editor wrote, not
        // part of the root: a file saved again spells the line the same way.
        std::string_view root = text.substr(kRelative.size());
        while (!root.empty() && root.back() == '\r') root.remove_suffix(1);
        file_.relativeToLine_ = std::string(root);
        std::u16string units;
        UnescapeText(file_.relativeToLine_, units);
        file_.relativeTo_ = Utf16ToWtf(units);
        return true;
    }

    bool OptionLine(std::string_view text) {
        if (!key_) {
            if (text.substr(0, 6) == "#arch=") {
                std::string_view arch = TrimBlanks(text.substr(6));
                while (!arch.empty() && arch.back() == '\r')
                    arch = TrimBlanks(arch.substr(0, arch.size() - 1));
                file_.arch_ = std::string(arch);
            }
            return true;
        }
        if (text.substr(0, 6) == "#time=") {
            std::uint64_t time = 0;
            for (char c : text.substr(6)) {
                if (!IsHex(static_cast<unsigned char>(c))) break;
                time = (time << 4) | HexValue(static_cast<unsigned char>(c));
            }
            key_->modified = time;
            return true;
        }
        if (text.substr(0, 7) == "#class=") {
            std::string_view rest = text.substr(7);
            if (rest.empty() || rest.front() != '"')
                return Problem("the class is not a quoted text");
            rest.remove_prefix(1);
            const auto end = FindUnescaped(rest, '"');
            if (end == std::string_view::npos)
                return Problem("the class text has no closing quote");
            key_->keyClass = file_.OwnName(Name(rest.substr(0, end)));
            key_->hasClass = true;
            return true;
        }
        if (TrimBlanks(text) == "#link") key_->symlink = true;
        return true;  // other options mean nothing to wineserver either
    }

    // A name as held in memory: a view into the file when it needs no decoding.
    std::string_view Name(std::string_view escaped) {
        if (!NeedsUnescape(escaped)) return escaped;
        std::u16string units;
        UnescapeText(escaped, units);
        return file_.Keep(Utf16ToWtf(units));
    }

    bool KeyLine(std::string_view text, std::size_t lineStart) {
        std::string_view inner = text.substr(1);
        const auto close = FindUnescaped(inner, ']');
        if (close == std::string_view::npos) return Problem("the key name has no closing ']'");
        const std::string_view rest = TrimBlanks(inner.substr(close + 1));
        inner = inner.substr(0, close);
        std::uint64_t time = 0;
        if (rest.empty()) {
            time = FileTimeNow();
        } else {
            std::uint64_t seconds = 0;
            for (char c : rest) {
                if (c < '0' || c > '9' || seconds > 0xFFFFFFFFull)
                    return Problem("unexpected text after the key name");
                seconds = seconds * 10 + static_cast<unsigned>(c - '0');
            }
            time = seconds * kTicksPerSecond + kTicks1601To1970;
        }
        FlushValues();
        parts_.clear();
        std::vector<std::string> decoded;
        if (!NeedsEscapesOtherThanSeparators(inner)) {
            SplitOnSeparators(inner, parts_);
        } else {
            std::u16string units;
            UnescapeText(inner, units);
            decoded = SplitPath(Utf16ToWtf(units));
            for (const auto& part : decoded) parts_.emplace_back(part);
        }
        if (firstKey_) {
            firstKey_ = false;
            prefixParts_ = PrefixToSkip(parts_);
        }
        key_ = Resolve(time, !decoded.empty());
        key_->modified = time;
        key_->header = lineStart;
        return true;
    }

    // The key named by parts_, added with its parents when missing. Keys
    // mostly follow a sibling or a parent, so the names shared with the key
    // line before (the same bytes) lead to the same keys without a look-up.
    RegFileKey* Resolve(std::uint64_t time, bool decoded) {
        const std::size_t first = std::min(prefixParts_, parts_.size());
        std::size_t same = 0;
        if (decoded) {
            lastParts_.clear();
            lastKeys_.clear();
        }
        while (same < parts_.size() && same < lastParts_.size() && parts_[same] == lastParts_[same])
            ++same;
        RegFileKey* key = same > first ? lastKeys_[same - 1] : &file_.Root();
        lastParts_.resize(same);
        lastKeys_.resize(same);
        for (std::size_t i = same; i < parts_.size(); ++i) {
            if (i >= first) key = FindOrAdd(*key, parts_[i], decoded, time);
            if (decoded) continue;
            lastParts_.push_back(parts_[i]);
            lastKeys_.push_back(key);
        }
        return key;
    }

    static bool NeedsEscapesOtherThanSeparators(std::string_view s) {
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (static_cast<unsigned char>(s[i]) >= 0x80) return true;
            if (s[i] != '\\') continue;
            if (i + 1 >= s.size() || s[i + 1] != '\\') return true;
            ++i;
        }
        return false;
    }

    static void SplitOnSeparators(std::string_view s, std::vector<std::string_view>& parts) {
        std::size_t start = 0;
        while (true) {
            const auto sep = s.find("\\\\", start);
            const auto end = sep == std::string_view::npos ? s.size() : sep;
            if (end > start) parts.push_back(s.substr(start, end - start));
            if (sep == std::string_view::npos) return;
            start = sep + 2;
        }
    }

    // Files of old Wine versions name keys from a point above the file's
    // root ("[Machine\\Software...]"): as wineserver does, when the first
    // key starts with the name of the root or one of its parents, that many
    // leading names are skipped in every key of the file.
    std::size_t PrefixToSkip(const std::vector<std::string_view>& parts) const {
        if (parts.empty() || file_.relativeTo_.empty()) return 0;
        const auto base = SplitPath(file_.relativeTo_);
        for (std::size_t k = 0; k < base.size(); ++k)
            if (CompareRegNames(parts[0], base[base.size() - 1 - k]) == 0) return k + 1;
        return 0;
    }

    // Files written by Wine list every key and value in order, so new ones
    // are appended. Out of order (a file from elsewhere), a key's sub-keys
    // are found through a hash index and sorted once the file is read.
    RegFileKey* FindOrAdd(RegFileKey& parent, std::string_view name, bool keep,
                          std::uint64_t time) {
        auto& subs = parent.subkeys;
        if (parent.unsorted) {
            if (RegFileKey* found = FindUnsorted(parent, name)) return found;
            return AddUnsorted(parent, keep ? file_.Keep(name) : name, time);
        }
        if (!subs.empty()) {
            const int order = CompareRegNames(subs.back()->name, name);
            if (order == 0) return subs.back();
            if (order > 0) {
                if (RegFileKey* found = file_.FindSubkey(parent, name)) return found;
                parent.unsorted = true;
                unsortedKeys_.push_back(&parent);
                if (subs.size() > kFewSubkeys)
                    for (RegFileKey* sub : subs) index_.emplace(IndexKey{&parent, sub->name}, sub);
                return AddUnsorted(parent, keep ? file_.Keep(name) : name, time);
            }
        }
        RegFileKey* key = file_.NewKey(keep ? file_.Keep(name) : name, &parent, time);
        subs.Insert(subs.size(), key, *file_.arena_);
        return key;
    }

    // A key's sub-keys out of order: a few are searched one by one, more
    // through one hash index of (parent, name) for the whole file.
    RegFileKey* FindUnsorted(const RegFileKey& parent, std::string_view name) const {
        if (parent.subkeys.size() <= kFewSubkeys) {
            for (RegFileKey* sub : parent.subkeys)
                if (CompareRegNames(sub->name, name) == 0) return sub;
            return nullptr;
        }
        const auto found = index_.find(IndexKey{&parent, name});
        return found == index_.end() ? nullptr : found->second;
    }

    RegFileKey* AddUnsorted(RegFileKey& parent, std::string_view name, std::uint64_t time) {
        RegFileKey* key = file_.NewKey(name, &parent, time);
        auto& subs = parent.subkeys;
        subs.Insert(subs.size(), key, *file_.arena_);
        if (subs.size() == kFewSubkeys + 1)
            for (RegFileKey* sub : subs) index_.emplace(IndexKey{&parent, sub->name}, sub);
        else if (subs.size() > kFewSubkeys + 1)
            index_.emplace(IndexKey{&parent, key->name}, key);
        return key;
    }

    // Hashing and equality of names in Wine's order (folded UTF-16 units).
    struct FoldedHash {
        std::size_t operator()(std::string_view name) const {
            std::uint64_t h = 1469598103934665603ull;
            std::size_t i = 0;
            for (; i < name.size(); ++i) {
                const auto c = static_cast<unsigned char>(name[i]);
                if (c >= 0x80) break;
                h = (h ^ Fold(c)) * 1099511628211ull;
            }
            if (i < name.size()) {
                UnitReader reader(name.substr(i));
                char16_t unit = 0;
                while (reader.Next(unit)) h = (h ^ Fold(unit)) * 1099511628211ull;
            }
            return static_cast<std::size_t>(h);
        }
    };
    static constexpr std::size_t kFewSubkeys = 8;
    struct IndexKey {
        const RegFileKey* parent;
        std::string_view name;
    };
    struct IndexHash {
        std::size_t operator()(const IndexKey& k) const {
            return FoldedHash()(k.name) ^
                   (reinterpret_cast<std::uintptr_t>(k.parent) * 0x9E3779B97F4A7C15ull);
        }
    };
    struct IndexEqual {
        bool operator()(const IndexKey& a, const IndexKey& b) const {
            return a.parent == b.parent && CompareRegNames(a.name, b.name) == 0;
        }
    };

    // Values of one key in Wine's order; of values named alike the last one
    // written counts, as in wineserver. Keys hold few values, so a stable
    // insertion sort does without the buffer of a merge sort.
    void SortValues(RegFileKey& key) {
        std::vector<RegFileValue>& values = *key.held;
        auto less = [](const RegFileValue& a, const RegFileValue& b) {
            return CompareRegNames(a.name, b.name) < 0;
        };
        if (values.size() <= 32) {
            for (std::size_t i = 1; i < values.size(); ++i) {
                RegFileValue moving = values[i];
                std::size_t j = i;
                for (; j > 0 && less(moving, values[j - 1]); --j) values[j] = values[j - 1];
                values[j] = moving;
            }
        } else {
            std::stable_sort(values.begin(), values.end(), less);
        }
        std::size_t kept = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (kept > 0 && CompareRegNames(values[kept - 1].name, values[i].name) == 0) {
                file_.shadowed_.emplace(&key, values[kept - 1]);
                values[kept - 1] = values[i];
            } else
                values[kept++] = values[i];
        }
        values.resize(kept);
    }

    void SortWhatCameOutOfOrder() {
        auto byName = [](const RegFileKey* a, const RegFileKey* b) {
            return CompareRegNames(a->name, b->name) < 0;
        };
        for (RegFileKey* key : unsortedKeys_) {
            std::sort(key->subkeys.Begin(), key->subkeys.End(), byName);
            key->unsorted = false;
        }
        for (RegFileKey* key : unsortedValues_) SortValues(*key);
    }

    bool ValueLine(std::string_view text, const Line& line, std::size_t& pos) {
        if (!key_) return Problem("a value before the first key");
        auto more = [&](Line& next) {
            if (pos >= file_.contents_.size()) return false;
            next = Next(pos);
            return true;
        };
        RegFileValue value;
        std::string_view written;
        if (!ReadValueLine(file_.contents_, text, line.text, more, true, value, written, &problem_))
            return false;
        NoteValue(static_cast<std::size_t>(line.text.data() - file_.contents_.data()), written);
        return true;
    }

    // A key's value lines are only counted here, and read again from the
    // text when the key is opened. While they come in Wine's order (each
    // name after the one before) the key needs nothing more; otherwise, and
    // for a key whose lines are split over two "[...]" blocks, its values
    // are read into records of their own at the end of the block and sorted
    // once the file is read.
    void NoteValue(std::size_t lineStart, std::string_view written) {
        if (pendingCount_ == UINT32_MAX) FlushValues();  // the rest is held
        if (pendingCount_ == 0) pendingAt_ = lineStart;
        std::string_view name = written;
        if (NeedsUnescape(written)) {
            std::string& store = names_[pendingCount_ % 2];
            store = DecodeName(written);
            name = store;
        }
        if (pendingCount_ > 0 && CompareRegNames(previous_, name) >= 0) pendingOrdered_ = false;
        previous_ = name;
        ++pendingCount_;
    }

    void FlushValues() {
        if (!key_ || pendingCount_ == 0) return;
        if (pendingOrdered_ && !key_->held && key_->valueCount == 0) {
            key_->valuesAt = pendingAt_;
            key_->valueCount = pendingCount_;
        } else {
            std::vector<RegFileValue>& held = file_.Hold(*key_);
            file_.ReadValues(pendingAt_, pendingCount_, held, file_.kept_);
            unsortedValues_.insert(key_);
        }
        pendingCount_ = 0;
        pendingOrdered_ = true;
        previous_ = {};
    }

    RegFile& file_;
    std::string fileName_;
    std::size_t line_ = 0;
    RegFileKey* key_ = nullptr;
    bool firstKey_ = true;
    std::size_t prefixParts_ = 0;
    std::string problem_;
    std::vector<RegFileKey*> unsortedKeys_;
    std::unordered_map<IndexKey, RegFileKey*, IndexHash, IndexEqual> index_;
    std::unordered_set<RegFileKey*> unsortedValues_;
    // The value lines of the current key so far.
    std::size_t pendingAt_ = 0;
    std::uint32_t pendingCount_ = 0;
    bool pendingOrdered_ = true;
    std::string_view previous_;  // the last name, decoded
    std::string names_[2];       // decoded names, the last two
    // The key line before: its names as written and the keys they led to.
    std::vector<std::string_view> parts_;
    std::vector<std::string_view> lastParts_;
    std::vector<RegFileKey*> lastKeys_;
};

std::unique_ptr<RegFile> RegFile::Parse(std::string fileName, std::string contents,
                                        std::string* error) {
    std::unique_ptr<RegFile> file(new RegFile());
    file->text_ = std::move(contents);
    file->contents_ = file->text_;
    file->root_ = file->NewKey({}, nullptr, FileTimeNow());
    RegFileParser parser(*file, std::move(fileName));
    if (!parser.Run(error)) return nullptr;
    return file;
}

namespace {

std::unique_ptr<std::pmr::monotonic_buffer_resource> NewArena(RegFileText& space,
                                                              std::size_t bytes) {
    if (bytes == 0 || !space.Reserve(bytes))  // the heap will do
        return std::make_unique<std::pmr::monotonic_buffer_resource>();
    return std::make_unique<std::pmr::monotonic_buffer_resource>(space.bytes.get(), space.room,
                                                                 std::pmr::new_delete_resource());
}

}  // namespace

RegFile::RegFile(std::size_t arenaBytes) : arena_(NewArena(arenaSpace_, arenaBytes)) {}

std::unique_ptr<RegFile> RegFile::Parse(std::string fileName, RegFileText contents,
                                        std::string* error) {
    // The keys of a file take up to about twice its text (short key lines
    // cost the most); the arena's untouched part costs nothing.
    std::unique_ptr<RegFile> file(new RegFile(contents.size * 2));
    file->buffer_ = std::move(contents);
    file->contents_ = std::string_view(file->buffer_.bytes.get(), file->buffer_.size);
    if (file->contents_.data() == nullptr) file->contents_ = std::string_view();
    file->root_ = file->NewKey({}, nullptr, FileTimeNow());
    RegFileParser parser(*file, std::move(fileName));
    if (!parser.Run(error)) return nullptr;
    return file;
}

}  // namespace vostrel
