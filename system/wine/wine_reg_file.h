// One Wine registry file (system.reg, user.reg, userdef.reg) in memory: the
// tree of keys and values as wineserver keeps it, read in one pass and
// written back exactly as wineserver writes it (server/registry.c), so that
// reading a file Wine wrote and saving it unchanged gives the same bytes.
//
// Names are held as WTF-8 (UTF-8 that may also carry lone UTF-16 surrogates)
// so that every UTF-16 name survives. Values read from the file stay in their
// written form (views into the file buffer) and are decoded when asked for;
// values set later hold their stored bytes. No record is built per value at
// load: a key keeps where its value lines are, and its values are read from
// the text again when it is opened (the last key read stays at hand); only a
// key that changes, or whose lines came out of order, gets records of its own. Sub-keys and values are kept in
// Wine's order: UTF-16 code units compared after lower-casing, then the
// shorter name first. Lookups are binary searches in that order.
//
// Saving changes no line that no change touched. A file in Wine's own form
// is written as wineserver writes it. Any other file (CRLF line ends, keys
// out of order or listed twice, escapes Wine does not write, raw bytes) is
// written as it was read with only the changed lines edited: removed values
// lose their lines, new and changed values get a line next to their key's
// other values, a changed key's time is rewritten in place and new keys are
// added at the end. The result is read back before it is handed out; should
// it not hold exactly the keys and values in memory, the save is refused.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <memory_resource>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "system/winapi.h"

namespace vostrel {

struct RegFileValue {
    enum class Form : std::uint8_t { Bytes, Text, Dword, Hex };
    std::string_view name;  // WTF-8; empty for the default value
    // Form::Bytes: the stored bytes. Otherwise the written form from the
    // file: the escaped text between the quotes, the hex digits of a dword,
    // or the comma list of a hex value (continuation lines included).
    std::string_view data;
    DWORD type = REG_NONE;
    Form form = Form::Bytes;
};

struct RegFileKey;

// The sub-keys of a key: an array in the file's arena, which the file grows
// (doubling, the arrays outgrown staying in the arena: at most the size of
// all the lists again) and the program only reads.
class RegFileKeyList {
public:
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    RegFileKey* operator[](std::size_t i) const { return items_[i]; }
    RegFileKey* back() const { return items_[count_ - 1]; }
    RegFileKey* const* begin() const { return items_; }
    RegFileKey* const* end() const { return items_ + count_; }

private:
    friend class RegFile;
    friend class RegFileParser;
    RegFileKey** Begin() { return items_; }
    RegFileKey** End() { return items_ + count_; }
    void Insert(std::size_t at, RegFileKey* key, std::pmr::memory_resource& memory);
    void Erase(const RegFileKey* key);

    RegFileKey** items_ = nullptr;
    std::uint32_t count_ = 0;
    std::uint32_t room_ = 0;
};

// A key lives in its file's arena and is never destroyed one by one: it
// holds only views, numbers and pointers into memory the file owns.
struct RegFileKey {
    std::string_view name;  // WTF-8
    RegFileKey* parent = nullptr;
    RegFileKeyList subkeys;  // Wine's order
    // The key's values as records of their own (Wine's order), once it
    // changed or when its lines were out of order; else null, and its values
    // are the `valueCount` value lines from `valuesAt` in the file's text.
    std::vector<RegFileValue>* held = nullptr;
    std::uint64_t modified = 0;  // FILETIME: 100 ns since 1601
    std::string_view keyClass;   // WTF-8, meaningful when hasClass
    // Where the key's last "[...]" line starts in the file as read; npos for
    // a key with no line of its own (added since, or only implied by a sub-key).
    std::size_t header = std::string_view::npos;
    std::size_t valuesAt = std::string_view::npos;
    std::uint32_t valueCount = 0;
    // The flags last, beside the count: a hundred thousand keys, 8 bytes each.
    bool hasClass = false;
    bool symlink = false;
    bool unsorted = false;  // while a file is read: sub-keys came out of order
    bool changed = false;   // its values or its time changed since the file was read
};
static_assert(std::is_trivially_destructible_v<RegFileKey>);
static_assert(sizeof(void*) != 8 || sizeof(RegFileKey) <= 96);

// Wine's order of names: negative, zero or positive.
int CompareRegNames(std::string_view a, std::string_view b);

// The current time as a FILETIME, as wineserver stamps changed keys.
std::uint64_t FileTimeNow();

// WTF-8 <-> UTF-16 code units; lone surrogates survive both ways.
std::u16string WtfToUtf16(std::string_view text);
std::string Utf16ToWtf(std::u16string_view units);

// A file's text in one buffer of its own mapping: memory that is not first
// cleared (a 25 MB system.reg costs its copy, not also a fill), asked for in
// large pages where the system has them, so that taking it in does not fault
// in every 4 kB page on its own.
struct RegFileUnmap {
    void* base = nullptr;
    std::size_t length = 0;
    bool guarded = false;  // a mapped file's text (see mapped_text_guard.h)
    void operator()(char* bytes) const;
};

// A registry file that only ever changes by being replaced (a regular file
// with one name, not reached through a symbolic link: wineserver and this
// program both save such a file by renaming a new one over it) is instead
// mapped read-only from the file itself. Its pages then belong to the page
// cache: nothing is copied or cleared, and the pages the program is not
// reading can be let go (Release) and come back from the cache when read.
struct RegFileText {
    std::unique_ptr<char, RegFileUnmap> bytes;
    std::size_t size = 0;  // bytes held
    std::size_t room = 0;  // bytes that fit
    bool mapped = false;   // the file's own pages, read-only

    // Room for `room` bytes; false (errno set) when no memory is left.
    bool Reserve(std::size_t room);
    // Maps the first `size` bytes of the open file `fd` read-only; false
    // (errno set) when it cannot be mapped.
    bool Map(int fd, std::size_t size);
    // Lets go of the resident pages wholly inside [from, to) of a mapped
    // text; they are read again from the page cache when next used.
    void Release(std::size_t from, std::size_t to) const;
};

class RegFile {
public:
    // Reads a whole file. `fileName` only names the file in errors, which
    // read "<file> line <n>: <what is wrong>". Nothing when it is malformed.
    static std::unique_ptr<RegFile> Parse(std::string fileName, std::string contents,
                                          std::string* error);
    static std::unique_ptr<RegFile> Parse(std::string fileName, RegFileText contents,
                                          std::string* error);
    // An empty file relative to `relativeTo` (e.g. "REGISTRY\\User\\.Default"),
    // with "#arch=<arch>" when arch is not empty.
    static std::unique_ptr<RegFile> Empty(std::string_view relativeTo, std::string_view arch);

    // The file as wineserver would write it.
    std::string Serialize() const;

    // The text to save: the file as wineserver would write it when it was
    // read in that form, else the file as read with only the changed lines
    // edited. False, and why in *error, when the edited text would not read
    // back as exactly these keys and values.
    bool SaveText(std::string& out, std::string* error) const;

    RegFileKey& Root() { return *root_; }
    const RegFileKey& Root() const { return *root_; }
    // The key the file is relative to, decoded: "REGISTRY\\Machine".
    const std::string& RelativeTo() const { return relativeTo_; }
    // The "#arch=" of the file ("win64", "win32") or empty.
    const std::string& Arch() const { return arch_; }

    RegFileKey* FindSubkey(const RegFileKey& key, std::string_view name) const;
    // Adds a sub-key that does not exist yet, stamped `time`.
    RegFileKey* AddSubkey(RegFileKey& parent, std::string_view name, std::uint64_t time);
    // Takes a sub-key added by AddSubkey out again (it must have no children).
    void RemoveSubkey(RegFileKey& parent, const RegFileKey* child);
    // Takes a key with no sub-keys out of the tree with its values; its lines
    // leave the file as read. The key itself stays in the arena, unhooked,
    // so that PutBackKey can hang it in again (a save that failed).
    struct RemovedKey {
        RegFileKey* key = nullptr;
        bool added = false;  // it was added since the file was read
        std::size_t linesBegin = std::string_view::npos;
    };
    RemovedKey RemoveKey(RegFileKey& parent, RegFileKey* child);
    void PutBackKey(RegFileKey& parent, const RemovedKey& removed);

    // The key's values in Wine's order. Values still in the text are read
    // from it here: the span and its names stay valid until the values of
    // another key are asked for (Values, FindValue) or this key changes.
    std::span<const RegFileValue> Values(const RegFileKey& key) const;
    static bool HasValues(const RegFileKey& key) {
        return key.held ? !key.held->empty() : key.valueCount > 0;
    }
    // Gives the key's values records of their own, whose views stay valid
    // for the file's life: done by every change, and before a caller keeps
    // a value it found to put it back later.
    void HoldValues(RegFileKey& key);
    // Like Values, the value found stays valid until another key is asked.
    const RegFileValue* FindValue(const RegFileKey& key, std::string_view name) const;
    void SetValue(RegFileKey& key, std::string_view name, DWORD type,
                  std::span<const std::uint8_t> data);
    // Puts back a value exactly as it was (views stay valid for the file's life).
    void RestoreValue(RegFileKey& key, const RegFileValue& value);
    bool DeleteValue(RegFileKey& key, std::string_view name);

    // The stored bytes of a value (UTF-16LE with its NUL for text written as a string).
    std::vector<std::uint8_t> ValueBytes(const RegFileValue& value) const;
    void ValueBytes(const RegFileValue& value, std::vector<std::uint8_t>& out) const;
    // Text written in the file (Form::Text) whose characters are all ASCII:
    // those characters and the final NUL, one byte each, in `out`. False,
    // `out` unspecified, for any other value.
    static bool AsciiText(const RegFileValue& value, std::vector<std::uint8_t>& out);

private:
    // A file whose keys are read into an arena of about `bytes` (0: one
    // that grows on the heap).
    explicit RegFile(std::size_t arenaBytes = 0);
    std::string_view Keep(std::string_view text);
    // Called before every change: notes whether the file as read is in
    // Wine's own form, while the tree still holds it unchanged.
    void BeforeChange();
    // The lines (begin, end) in contents_ of a value read from the file,
    // continuation lines and line end included; false for any other value.
    bool SourceLines(const RegFileValue& value, std::size_t& begin, std::size_t& end) const;
    // Marks the lines of the value `name` of `key` read from the file, those
    // of the copies it overrode included, as taken out (or back in).
    void DropSourceLines(const RegFileKey& key, const RegFileValue& value, bool drop);
    void MarkChanged(RegFileKey& key);
    std::string EditedText() const;
    RegFileKey* NewKey(std::string_view name, RegFileKey* parent, std::uint64_t time);
    // A key's name or class as the key keeps it: a mapped text is let go of
    // while it is not read, so names (compared at every look-up and listed by
    // every walk) are copied out of it into the arena; else the view itself.
    std::string_view OwnName(std::string_view name);
    // Appends the `count` values whose lines start at `at` in the text
    // (lines the parser checked) to `out`; names that need decoding are
    // decoded into `names`. Returns where the last line read ends.
    std::size_t ReadValues(std::size_t at, std::uint32_t count, std::vector<RegFileValue>& out,
                           std::deque<std::string>& names) const;
    // Notes that the text from `at` to `end` was read again; a mapped text
    // is let go of once some megabytes of it were taken back in.
    void NoteTextRead(std::size_t at, std::size_t end) const;
    std::vector<RegFileValue>& Hold(RegFileKey& key);
    friend class RegFileParser;

    std::string_view contents_;     // the file as read; views point into it
    std::string text_;              // contents_ when handed over as a string
    RegFileText buffer_;            // contents_ when read into a buffer
    std::deque<std::string> kept_;  // names and data set since
    // The keys read from a large file live in one arena, a mapping of large
    // pages where the system has them (then the heap): a hundred thousand of
    // them cost neither one allocation each nor a page fault per 4 kB.
    RegFileText arenaSpace_;
    std::unique_ptr<std::pmr::monotonic_buffer_resource> arena_;  // every key and sub-key list
    std::deque<std::vector<RegFileValue>> held_;  // the records of keys that hold theirs
    // The text taken back in since it was last let go of (NoteTextRead).
    mutable std::size_t textReadBack_ = 0;
    mutable std::size_t lastBlockRead_ = std::string_view::npos;
    // The values of the key read from the text last.
    mutable struct {
        const RegFileKey* key = nullptr;
        std::vector<RegFileValue> values;
        std::deque<std::string> names;  // its names that needed decoding
    } lastRead_;
    RegFileKey* root_ = nullptr;
    std::string relativeToLine_;  // as written after ";; All keys relative to "
    std::string relativeTo_;      // decoded
    std::string arch_;            // "win64", "win32" or empty

    int wineForm_ = -1;  // the file as read is Serialize()'s: 1, not: 0, unknown: -1
    // Values of the file overridden by a later line of the same name.
    std::unordered_multimap<const RegFileKey*, RegFileValue> shadowed_;
    std::map<std::size_t, std::size_t> dropped_;  // lines (begin -> end) taken out
    std::vector<RegFileKey*> changed_;            // keys marked changed, in order
    std::vector<RegFileKey*> added_;              // keys added since the file was read
};

}  // namespace vostrel
