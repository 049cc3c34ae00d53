// The tree of a RegFile: finding, adding and removing keys and values in
// Wine's order, and the stored bytes of a value.
#include "system/wine/wine_reg_file.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "system/text.h"
#include "system/wine/wine_reg_text.h"

namespace vostrel {

using namespace regtext;

// ---------------------------------------------------------------- RegFile

std::unique_ptr<RegFile> RegFile::Empty(std::string_view relativeTo, std::string_view arch) {
    std::unique_ptr<RegFile> file(new RegFile());
    file->wineForm_ = 1;  // nothing read: written as Wine writes it
    file->root_ = file->NewKey({}, nullptr, FileTimeNow());
    file->relativeTo_ = std::string(relativeTo);
    file->arch_ = std::string(arch);
    const auto parts = SplitPath(relativeTo);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) file->relativeToLine_ += "\\\\";
        EscapeName(file->relativeToLine_, parts[i], '[', ']');
    }
    return file;
}

std::string_view RegFile::Keep(std::string_view text) {
    kept_.emplace_back(text);
    return kept_.back();
}

void RegFileKeyList::Insert(std::size_t at, RegFileKey* key, std::pmr::memory_resource& memory) {
    // The list holds pointers: its sizes are counts of sizeof(RegFileKey*).
    // NOLINTBEGIN(bugprone-sizeof-expression)
    if (count_ == room_) {
        const std::uint32_t room = room_ == 0 ? 1 : room_ * 2;
        auto* items = static_cast<RegFileKey**>(
            memory.allocate(sizeof(RegFileKey*) * room, alignof(RegFileKey*)));
        if (count_ > 0) std::memcpy(items, items_, sizeof(RegFileKey*) * count_);
        items_ = items;  // the old array stays in the arena
        room_ = room;
    }
    std::memmove(items_ + at + 1, items_ + at, sizeof(RegFileKey*) * (count_ - at));
    // NOLINTEND(bugprone-sizeof-expression)
    items_[at] = key;
    ++count_;
}

void RegFileKeyList::Erase(const RegFileKey* key) {
    const auto end = std::remove(Begin(), End(), key);
    count_ = static_cast<std::uint32_t>(end - Begin());
}

std::string_view RegFile::OwnName(std::string_view name) {
    const char* text = contents_.data();
    if (!buffer_.mapped || name.empty() || name.data() < text ||
        name.data() >= text + contents_.size())
        return name;
    char* copy = static_cast<char*>(arena_->allocate(name.size(), 1));
    std::memcpy(copy, name.data(), name.size());
    return {copy, name.size()};
}

RegFileKey* RegFile::NewKey(std::string_view name, RegFileKey* parent, std::uint64_t time) {
    RegFileKey& key = *new (arena_->allocate(sizeof(RegFileKey), alignof(RegFileKey))) RegFileKey;
    key.name = OwnName(name);
    key.parent = parent;
    key.modified = time;
    return &key;
}

RegFileKey* RegFile::FindSubkey(const RegFileKey& key, std::string_view name) const {
    const auto it = std::lower_bound(key.subkeys.begin(), key.subkeys.end(), name,
                                     [](const RegFileKey* k, std::string_view n) {
                                         return CompareRegNames(k->name, n) < 0;
                                     });
    if (it == key.subkeys.end() || CompareRegNames((*it)->name, name) != 0) return nullptr;
    return *it;
}

RegFileKey* RegFile::AddSubkey(RegFileKey& parent, std::string_view name, std::uint64_t time) {
    BeforeChange();
    MarkChanged(parent);
    RegFileKey* key = NewKey(Keep(name), &parent, time);
    added_.push_back(key);
    const auto it = std::lower_bound(parent.subkeys.begin(), parent.subkeys.end(), name,
                                     [](const RegFileKey* k, std::string_view n) {
                                         return CompareRegNames(k->name, n) < 0;
                                     });
    parent.subkeys.Insert(static_cast<std::size_t>(it - parent.subkeys.begin()), key, *arena_);
    return key;
}

void RegFile::RemoveSubkey(RegFileKey& parent, const RegFileKey* child) {
    BeforeChange();
    added_.erase(std::remove(added_.begin(), added_.end(), child), added_.end());
    parent.subkeys.Erase(child);
}

RegFile::RemovedKey RegFile::RemoveKey(RegFileKey& parent, RegFileKey* child) {
    BeforeChange();
    MarkChanged(parent);
    RemovedKey removed{child, false, std::string_view::npos};
    const auto added = std::find(added_.begin(), added_.end(), child);
    if (added != added_.end()) {
        removed.added = true;
        added_.erase(added);
    }
    // The key's block in the file as read: its "[...]" line, its option
    // lines and its values, up to the next key's line.
    if (child->header != std::string_view::npos && !contents_.empty() &&
        child->header < contents_.size()) {
        std::size_t end = contents_.find('\n', child->header);
        end = end == std::string_view::npos ? contents_.size() : end + 1;
        while (end < contents_.size()) {
            std::size_t next = contents_.find('\n', end);
            next = next == std::string_view::npos ? contents_.size() : next + 1;
            std::string_view line = contents_.substr(end, next - end);
            const auto first = line.find_first_not_of(" \t");
            if (first != std::string_view::npos && line[first] == '[') break;
            end = next;
        }
        if (!dropped_.count(child->header)) {
            dropped_[child->header] = end;
            removed.linesBegin = child->header;
        }
    }
    parent.subkeys.Erase(child);
    if (lastRead_.key == child) lastRead_.key = nullptr;
    return removed;
}

void RegFile::PutBackKey(RegFileKey& parent, const RemovedKey& removed) {
    RegFileKey* key = removed.key;
    if (removed.added) added_.push_back(key);
    if (removed.linesBegin != std::string_view::npos) dropped_.erase(removed.linesBegin);
    const auto it = std::lower_bound(parent.subkeys.begin(), parent.subkeys.end(), key->name,
                                     [](const RegFileKey* k, std::string_view n) {
                                         return CompareRegNames(k->name, n) < 0;
                                     });
    parent.subkeys.Insert(static_cast<std::size_t>(it - parent.subkeys.begin()), key, *arena_);
}

namespace {

template <typename Values>
auto LowerValue(Values& values, std::string_view name) {
    return std::lower_bound(values.begin(), values.end(), name,
                            [](const RegFileValue& v, std::string_view n) {
                                return CompareRegNames(v.name, n) < 0;
                            });
}

}  // namespace

std::span<const RegFileValue> RegFile::Values(const RegFileKey& key) const {
    if (key.held) return *key.held;
    if (key.valueCount == 0) return {};
    if (lastRead_.key != &key) {
        lastRead_.key = nullptr;
        lastRead_.values.clear();
        lastRead_.names.clear();
        NoteTextRead(key.valuesAt,
                     ReadValues(key.valuesAt, key.valueCount, lastRead_.values, lastRead_.names));
        lastRead_.key = &key;
    }
    return lastRead_.values;
}

std::vector<RegFileValue>& RegFile::Hold(RegFileKey& key) {
    if (key.held) return *key.held;
    std::vector<RegFileValue>& held = held_.emplace_back();
    if (key.valueCount > 0) ReadValues(key.valuesAt, key.valueCount, held, kept_);
    key.held = &held;
    key.valuesAt = std::string_view::npos;
    key.valueCount = 0;
    if (lastRead_.key == &key) lastRead_.key = nullptr;
    return held;
}

void RegFile::HoldValues(RegFileKey& key) { Hold(key); }

const RegFileValue* RegFile::FindValue(const RegFileKey& key, std::string_view name) const {
    const std::span<const RegFileValue> values = Values(key);
    const auto it = LowerValue(values, name);
    if (it == values.end() || CompareRegNames(it->name, name) != 0) return nullptr;
    return &*it;
}

void RegFile::RestoreValue(RegFileKey& key, const RegFileValue& value) {
    BeforeChange();
    MarkChanged(key);
    std::vector<RegFileValue>& values = Hold(key);
    const auto it = LowerValue(values, value.name);
    const bool exists = it != values.end() && CompareRegNames(it->name, value.name) == 0;
    if (exists && it->data.data() != value.data.data()) DropSourceLines(key, *it, true);
    DropSourceLines(key, value, false);
    if (exists)
        *it = value;
    else
        values.insert(it, value);
}

void RegFile::SetValue(RegFileKey& key, std::string_view name, DWORD type,
                       std::span<const std::uint8_t> data) {
    Hold(key);
    RegFileValue value;
    const RegFileValue* existing = FindValue(key, name);
    value.name = existing ? existing->name : Keep(name);
    value.type = type;
    value.form = RegFileValue::Form::Bytes;
    value.data = Keep(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    RestoreValue(key, value);
}

bool RegFile::DeleteValue(RegFileKey& key, std::string_view name) {
    if (!FindValue(key, name)) return false;
    BeforeChange();
    MarkChanged(key);
    std::vector<RegFileValue>& values = Hold(key);
    const auto it = LowerValue(values, name);
    DropSourceLines(key, *it, true);
    values.erase(it);
    return true;
}

std::vector<std::uint8_t> RegFile::ValueBytes(const RegFileValue& value) const {
    std::vector<std::uint8_t> out;
    ValueBytes(value, out);
    return out;
}

bool RegFile::AsciiText(const RegFileValue& value, std::vector<std::uint8_t>& out) {
    out.clear();
    if (value.form != RegFileValue::Form::Text || !UnescapeAscii(value.data, out)) return false;
    out.push_back(0);
    return true;
}

void RegFile::ValueBytes(const RegFileValue& value, std::vector<std::uint8_t>& out) const {
    out.clear();
    switch (value.form) {
        case RegFileValue::Form::Bytes: out.assign(value.data.begin(), value.data.end()); return;
        case RegFileValue::Form::Text: {
            std::u16string units;
            units.reserve(value.data.size() + 1);
            UnescapeText(value.data, units);
            units.push_back(0);
            out.reserve(units.size() * 2);
            AppendUnitsAsBytes(units, out);
            return;
        }
        case RegFileValue::Form::Dword: {
            std::uint32_t number = 0;
            ParseHexNumber(value.data, number);
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
            return;
        }
        case RegFileValue::Form::Hex:
            out.reserve(value.data.size() / 3 + 1);
            DecodeHexList(value.data, &out);
            return;
    }
}

}  // namespace vostrel
