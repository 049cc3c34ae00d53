#include "scan/registry_walker.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_set>
#include <vector>

#include "scan/catalogue.h"
#include "scan/checks.h"
#include "scan/folder_variables.h"
#include "scan/section_table.h"
#include "system/text.h"

namespace vostrel {

namespace {

// Names start in buffers of the classic 255 characters and data in 255
// bytes; a name or data that does not fit makes the buffer grow and the same
// index is asked again, so no value is skipped for its size.
constexpr DWORD kFirstBufferSize = 255;
constexpr DWORD kLargestName = 32768;
// The longest data the walk reads. Windows runs no command line and opens
// no path longer than 32767 UTF-16 units, at most three UTF-8 bytes each, so
// longer text names no file a check could test: such a value is counted as
// not checked and never copied, however large the registry file makes it.
constexpr DWORD kLargestData = 3 * 32768;

DWORD Grown(DWORD current, DWORD needed, DWORD largest) {
    return std::min(largest, std::max(current * 2, needed));
}

// RegEnumKeyExA into a growing buffer: the status, and the name on success.
LONG EnumSubkey(RegistryApi& registry, HKEY key, DWORD index, std::vector<char>& buffer,
                std::string& name) {
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG status =
            registry.EnumKeyEx(key, index, buffer.data(), &length, nullptr, nullptr);
        if (status == ERROR_MORE_DATA && buffer.size() < kLargestName) {
            buffer.resize(Grown(static_cast<DWORD>(buffer.size()), length + 1, kLargestName));
            continue;
        }
        if (status == ERROR_SUCCESS)
            name.assign(buffer.data(), std::min<std::size_t>(length, buffer.size()));
        return status;
    }
}

struct ValueBuffers {
    std::vector<char> name = std::vector<char>(kFirstBufferSize);
    std::vector<std::uint8_t> data = std::vector<std::uint8_t>(kFirstBufferSize);
};

// Grows what the platform said was too small, or both buffers when it did
// not say; false when they cannot grow any more.
bool GrowValueBuffers(ValueBuffers& buffers, DWORD nameLength, DWORD dataSize) {
    const auto nameSize = static_cast<DWORD>(buffers.name.size());
    const auto currentData = static_cast<DWORD>(buffers.data.size());
    const bool nameShort = nameLength + 1 > nameSize && nameSize < kLargestName;
    const bool dataShort = dataSize > currentData && currentData < kLargestData;
    if (nameShort) buffers.name.resize(Grown(nameSize, nameLength + 1, kLargestName));
    if (dataShort) buffers.data.resize(Grown(currentData, dataSize, kLargestData));
    if (nameShort || dataShort) return true;
    if (nameSize >= kLargestName && currentData >= kLargestData) return false;
    buffers.name.resize(Grown(nameSize, 0, kLargestName));
    buffers.data.resize(Grown(currentData, 0, kLargestData));
    return true;
}

// The name and kind of the value at `index` without its data.
LONG EnumValueNameAt(RegistryApi& registry, HKEY key, DWORD index, ValueBuffers& buffers,
                     std::string& name, DWORD& type) {
    for (;;) {
        DWORD nameLength = static_cast<DWORD>(buffers.name.size());
        const LONG status = registry.EnumValue(key, index, buffers.name.data(), &nameLength, &type,
                                               nullptr, nullptr);
        if (status == ERROR_MORE_DATA && buffers.name.size() < kLargestName) {
            buffers.name.resize(
                Grown(static_cast<DWORD>(buffers.name.size()), nameLength + 1, kLargestName));
            continue;
        }
        if (status == ERROR_SUCCESS)
            name.assign(buffers.name.data(),
                        std::min<std::size_t>(nameLength, buffers.name.size()));
        return status;
    }
}

// RegEnumValueA into growing buffers: the status, and on success the name,
// the kind and the data's byte count (the data stays in the buffer). Data
// longer than kLargestData is not read: `oversized` is set, with the name
// and kind only.
LONG EnumValueAt(RegistryApi& registry, HKEY key, DWORD index, ValueBuffers& buffers,
                 std::string& name, DWORD& type, DWORD& size, bool& oversized) {
    oversized = false;
    for (;;) {
        DWORD nameLength = static_cast<DWORD>(buffers.name.size());
        size = static_cast<DWORD>(buffers.data.size());
        const LONG status = registry.EnumValue(key, index, buffers.name.data(), &nameLength, &type,
                                               buffers.data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            if (size <= kLargestData && GrowValueBuffers(buffers, nameLength, size)) continue;
            oversized = true;
            size = 0;
            return EnumValueNameAt(registry, key, index, buffers, name, type);
        }
        if (status == ERROR_SUCCESS)
            name.assign(buffers.name.data(),
                        std::min<std::size_t>(nameLength, buffers.name.size()));
        return status;
    }
}

// On a platform whose registry calls pass text through the ANSI code page,
// characters it cannot carry turn into '?'. A path read that way names
// another file (or none), so testing it would report a problem for a file
// that is right there, and the repair would delete a sound entry. Such data
// is not tested: it is handed on as empty text, which every check passes
// over. Text that came over whole (a real '?' in the data, or a backend that
// hands over every character) is tested as it is.
void KeepFaithfulText(RegistryApi& registry, HKEY key, const std::string& valueName, DWORD type,
                      std::string& text) {
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) return;
    if (text.find('?') == std::string::npos) return;
    DWORD rawType = 0;
    std::vector<std::uint8_t> raw;
    if (registry.QueryValueRaw(key, valueName, &rawType, &raw) != ERROR_SUCCESS) {
        text.clear();
        return;
    }
    std::u16string wide(raw.size() / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<char16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
    const std::string stored = Utf16ToUtf8(wide.substr(0, wide.find(u'\0')));
    if (stored != text) text.clear();
}

// RenderValueText into a string the walk reuses.
void RenderValueTextInto(DWORD type, const std::uint8_t* data, DWORD size, std::string& out) {
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        const auto* text = reinterpret_cast<const char*>(data);
        out.assign(text, std::find(text, text + size, '\0'));
        return;
    }
    out.clear();
    if (type == REG_DWORD && size <= 4) {
        std::uint32_t number = 0;
        for (DWORD i = 0; i < size; ++i) number |= static_cast<std::uint32_t>(data[i]) << (8 * i);
        char digits[16];
        const auto written =
            std::snprintf(digits, sizeof digits, "%d", static_cast<std::int32_t>(number));
        out.assign(digits, static_cast<std::size_t>(written));
    }
}

// The check of a section key (compared exactly); null for a section that
// checks nothing.
ValueCheck CheckOfSection(std::string_view sectionKey) {
    const SectionRow* section = SectionRowOfScanner(sectionKey);
    return section ? section->check : nullptr;
}

// The buffers of a walk, shared by all its keys so that each key does not
// allocate its own (they only ever grow, which changes no answer), and what
// the walk does with a value.
struct WalkBuffers {
    WalkBuffers(ScanSession& session, std::string_view sectionKey)
        : check(CheckOfSection(sectionKey)),
          readValues(check != nullptr || session.observer.ShowsValues()) {}

    ValueBuffers values;
    std::string valueName;
    std::string valueData;  // the value as the checks see it
    std::string checkData;  // the copy a check may clean as it goes
    std::vector<char> keyName = std::vector<char>(kFirstBufferSize);
    ValueCheck check;
    // A walk that checks nothing and shows nothing reads no value.
    bool readValues;
};

void ScanOpenKeyValues(ScanSession& session, HKEY key, HKEY rootKey, std::string_view keyPath,
                       std::string_view sectionKey, std::string_view rootName, WalkBuffers& walk) {
    if (!walk.readValues) return;
    ValueBuffers& buffers = walk.values;
    std::string& valueName = walk.valueName;
    std::string& valueData = walk.valueData;
    for (DWORD index = 0;; ++index) {
        if (session.cancelRequested) return;
        DWORD type = 0, size = 0;
        bool oversized = false;
        if (EnumValueAt(session.registry, key, index, buffers, valueName, type, size, oversized) !=
            ERROR_SUCCESS)
            return;
        if (oversized) {
            if (walk.check) CountNotChecked(session, NotCheckedReason::PathForm);
            continue;
        }
        RenderValueTextInto(type, buffers.data.data(), size, valueData);
        KeepFaithfulText(session.registry, key, valueName, type, valueData);
        session.observer.ValueVisited(valueData);
        if (session.cancelRequested) return;
        if (walk.check) {
            // An expandable value names the file its expansion names. One
            // written with a variable the prefix does not set names none
            // that can be tested: its check is not asked.
            if (type == REG_EXPAND_SZ) {
                auto expanded = ExpandEnvironmentText(session, valueData);
                if (!expanded) continue;
                walk.checkData = std::move(*expanded);
            } else {
                walk.checkData.assign(valueData);
            }
            session.valueAsRead = valueData;
            walk.check(session, rootKey, rootName, valueName, walk.checkData, sectionKey, keyPath);
            session.valueAsRead = {};
            if (session.cancelRequested) return;
        }
    }
}

// How deep a walk goes below its starting key: the registry's own limit on
// the depth of keys. A key nested deeper (only a crafted file holds one) is
// not entered.
constexpr std::size_t kMaxWalkDepth = 512;

// The walk below an open key, depth first, each subkey opened from its
// parent, once, for both its values and its own subkeys. The walk keeps its
// own stack of open keys, so no input can make it recurse deeper than the
// machine's stack allows.
//
// A symbolic link key opens its target, which may be the key itself, one of
// its parents, or a key the walk sees elsewhere. A key reached through a link
// is entered only when it is not one of the keys the walk is in and was not
// entered through a link before: a cycle of links ends at once, and no key is
// read twice through links. Keys reached without a link are the tree itself
// and are always walked; only the few reached through links are remembered.
void WalkOpenKey(ScanSession& session, HKEY key, std::string_view keyPath, HKEY rootKey,
                 std::string_view sectionKey, std::string_view rootName, WalkBuffers& walk) {
    struct Level {
        HKEY key;
        std::size_t pathLength;  // the key's path is the walk's path up to here
        DWORD index = 0;
        bool throughLink = false;
        std::uint64_t id = 0;  // the key's identity, when the platform tells it
        bool known = false;
    };
    RegistryApi& registry = session.registry;
    std::unordered_set<std::uint64_t> linked;  // keys entered through a link
    std::uint64_t id = 0;
    bool followed = false;
    const bool rootKnown = registry.KeyIdentity(key, &id, &followed);
    // The path of the key being looked at; each level's path is a head of
    // it. Only a walk that reads values needs it.
    std::string path(walk.readValues ? keyPath : std::string_view());
    std::vector<Level> levels;
    levels.push_back({key, path.size(), 0, rootKnown && followed, id, rootKnown});
    // Closes every key the walk opened (the first is the caller's).
    auto closeAll = [&]() {
        for (std::size_t i = 1; i < levels.size(); ++i) registry.CloseKey(levels[i].key);
        levels.clear();
    };
    std::string name;
    while (!levels.empty()) {
        Level& level = levels.back();
        if (EnumSubkey(registry, level.key, level.index++, walk.keyName, name) != ERROR_SUCCESS) {
            if (levels.size() > 1) registry.CloseKey(level.key);
            levels.pop_back();
            if (levels.empty()) return;
        } else {
            if (walk.readValues) {
                path.resize(level.pathLength);
                path += '\\';
                path += name;
            }
            session.observer.KeyVisited(name);
            HKEY sub = kNullKey;
            if (registry.OpenKeyEx(level.key, name, KEY_READ, &sub) == ERROR_SUCCESS) {
                bool throughLink = level.throughLink;
                bool enter = levels.size() <= kMaxWalkDepth;
                const bool known = enter && registry.KeyIdentity(sub, &id, &followed);
                if (known) {
                    throughLink = throughLink || followed;
                    if (throughLink) {
                        const bool inside =
                            std::any_of(levels.begin(), levels.end(),
                                        [&](const Level& l) { return l.known && l.id == id; });
                        enter = !inside && linked.insert(id).second;
                    }
                }
                if (enter) {
                    ScanOpenKeyValues(session, sub, rootKey, path, sectionKey, rootName, walk);
                    levels.push_back({sub, path.size(), 0, throughLink, id, known});
                    continue;
                }
                registry.CloseKey(sub);
            }
        }
        if (session.cancelRequested) {
            closeAll();
            return;
        }
    }
}

}  // namespace

std::string RenderValueText(DWORD type, const std::uint8_t* data, DWORD size) {
    std::string text;
    RenderValueTextInto(type, data, size, text);
    return text;
}

std::string ReadValueAsText(RegistryApi& registry, HKEY key, std::string_view valueName) {
    DWORD type = 0, size = 0;
    if (registry.QueryValueEx(key, valueName, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ && type != REG_DWORD)
        return {};
    std::vector<std::uint8_t> data(type == REG_DWORD ? 4 : size, 0);
    DWORD read = static_cast<DWORD>(data.size());
    if (registry.QueryValueEx(key, valueName, &type, data.data(), &read) != ERROR_SUCCESS)
        return {};
    return RenderValueText(type, data.data(),
                           std::min<DWORD>(read, static_cast<DWORD>(data.size())));
}

LONG ReadValueAsChecked(RegistryApi& registry, HKEY key, std::string_view valueName,
                        std::string* text) {
    text->clear();
    DWORD type = 0, size = 0;
    LONG status = registry.QueryValueEx(key, valueName, &type, nullptr, &size);
    std::vector<std::uint8_t> data;
    // A value that grows between the two calls is asked again.
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < 4; ++attempt) {
        data.assign(std::max<DWORD>(size, 1), 0);
        DWORD read = static_cast<DWORD>(data.size());
        status = registry.QueryValueEx(key, valueName, &type, data.data(), &read);
        if (status == ERROR_MORE_DATA) {
            size = std::max(read, static_cast<DWORD>(data.size() * 2));
            status = ERROR_SUCCESS;
            continue;
        }
        if (status != ERROR_SUCCESS) return status;
        RenderValueTextInto(type, data.data(),
                            std::min<DWORD>(read, static_cast<DWORD>(data.size())), *text);
        KeepFaithfulText(registry, key, std::string(valueName), type, *text);
        return ERROR_SUCCESS;
    }
    return status == ERROR_SUCCESS ? ERROR_MORE_DATA : status;
}

void WalkRegistryKeys(ScanSession& session, HKEY rootKey, std::string_view keyPath,
                      std::string_view sectionKey, std::string_view rootName) {
    WalkBuffers walk(session, sectionKey);
    // A walk that checks nothing, for a front end that shows neither keys
    // nor values, would have nothing to tell.
    if (!walk.readValues && !session.observer.ShowsKeys()) return;
    ScopedKey key(session.registry);
    if (session.registry.OpenKeyEx(rootKey, keyPath, KEY_READ, key.out()) != ERROR_SUCCESS) return;
    WalkOpenKey(session, key.get(), keyPath, rootKey, sectionKey, rootName, walk);
}

void ScanKeyValues(ScanSession& session, HKEY rootKey, std::string_view keyPath,
                   std::string_view sectionKey, std::string_view rootName) {
    ScopedKey key(session.registry);
    if (session.registry.OpenKey(rootKey, keyPath, key.out()) != ERROR_SUCCESS) return;
    WalkBuffers walk(session, sectionKey);
    ScanOpenKeyValues(session, key.get(), rootKey, keyPath, sectionKey, rootName, walk);
}

void ListClassIdKeys(ScanSession& session, HKEY rootKey, std::string_view keyPath) {
    if (!session.observer.ShowsKeys()) return;  // the names are all it tells
    ScopedKey key(session.registry);
    if (session.registry.OpenKey(rootKey, keyPath, key.out()) != ERROR_SUCCESS) return;
    std::vector<char> nameBuffer(kFirstBufferSize);
    std::string name;
    for (DWORD index = 0;; ++index) {
        if (session.cancelRequested) return;
        if (EnumSubkey(session.registry, key.get(), index, nameBuffer, name) != ERROR_SUCCESS)
            return;
        session.observer.KeyVisited(name);
    }
}

void DispatchValueCheck(ScanSession& session, std::string_view valueData,
                        std::string_view sectionKey, std::string_view valueName, HKEY rootKey,
                        std::string_view rootName, std::string_view keyPath) {
    const ValueCheck check = CheckOfSection(sectionKey);
    if (!check || session.cancelRequested) return;
    std::string data(valueData);
    session.valueAsRead = valueData;
    check(session, rootKey, rootName, valueName, data, sectionKey, keyPath);
    session.valueAsRead = {};
}

}  // namespace vostrel
