#include "support/fake_registry.h"

#include <algorithm>
#include <cstring>

#include "system/text.h"

namespace vostrel::testing {

namespace {

std::vector<std::string> SplitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string Parent(const std::string& path) {
    const auto slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Copies a name into a caller's buffer of *size bytes (NUL included).
LONG CopyName(const std::string& text, char* buffer, DWORD* size) {
    if (!buffer || !size || text.size() + 1 > *size) return ERROR_MORE_DATA;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    *size = static_cast<DWORD>(text.size());
    return ERROR_SUCCESS;
}

}  // namespace

std::string FakeRegistry::PathOf(HKEY key, std::string_view subKey) const {
    std::string base;
    if (IsPredefinedRoot(key)) {
        base = std::string(RootName(key));
    } else if (const auto it = handles_.find(key); it != handles_.end()) {
        base = it->second;
    } else {
        return {};
    }
    for (const auto& part : SplitKeyPath(subKey)) base += "\\" + UpperAscii(part);
    return base;
}

FakeRegistry::Key* FakeRegistry::KeyOf(HKEY key) {
    const std::string path = PathOf(key, "");
    if (path.empty()) return nullptr;
    if (IsPredefinedRoot(key)) keys_.try_emplace(path, Key{path, {}});
    const auto it = keys_.find(path);
    return it == keys_.end() ? nullptr : &it->second;
}

HKEY FakeRegistry::NewHandle(const std::string& path) {
    const HKEY handle = nextHandle_++;
    handles_[handle] = path;
    return handle;
}

void FakeRegistry::AddKey(HKEY root, std::string_view keyPath) {
    HKEY key = kNullKey;
    CreateKeyEx(root, keyPath, 0, KEY_ALL_ACCESS, &key, nullptr);
    CloseKey(key);
}

void FakeRegistry::SetBytes(HKEY root, std::string_view keyPath, std::string_view name, DWORD kind,
                            std::vector<std::uint8_t> bytes) {
    AddKey(root, keyPath);
    Key& key = keys_[PathOf(root, keyPath)];
    key.values[UpperAscii(name)] = Value{std::string(name), kind, std::move(bytes)};
}

void FakeRegistry::SetString(HKEY root, std::string_view keyPath, std::string_view name,
                             std::string_view text, DWORD kind) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    SetBytes(root, keyPath, name, kind, std::move(bytes));
}

void FakeRegistry::SetDword(HKEY root, std::string_view keyPath, std::string_view name,
                            std::uint32_t number) {
    std::vector<std::uint8_t> bytes(4);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(number >> (8 * i));
    SetBytes(root, keyPath, name, REG_DWORD, std::move(bytes));
}

bool FakeRegistry::HasKey(HKEY root, std::string_view keyPath) const {
    return keys_.count(PathOf(root, keyPath)) > 0;
}

bool FakeRegistry::HasValue(HKEY root, std::string_view keyPath, std::string_view name) const {
    const auto it = keys_.find(PathOf(root, keyPath));
    return it != keys_.end() && it->second.values.count(UpperAscii(name)) > 0;
}

LONG FakeRegistry::OpenKeyEx(HKEY key, std::string_view subKey, DWORD, HKEY* result) {
    *result = kNullKey;
    const std::string path = PathOf(key, subKey);
    if (path.empty()) return ERROR_INVALID_HANDLE;
    if (!IsPredefinedRoot(key) || !subKey.empty())
        if (!keys_.count(path)) return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(path);
    return ERROR_SUCCESS;
}

LONG FakeRegistry::OpenKey(HKEY key, std::string_view subKey, HKEY* result) {
    return OpenKeyEx(key, subKey, KEY_ALL_ACCESS, result);
}

LONG FakeRegistry::CreateKeyEx(HKEY key, std::string_view subKey, DWORD, DWORD, HKEY* result,
                               DWORD* disposition) {
    *result = kNullKey;
    std::string path = PathOf(key, "");
    if (path.empty()) return ERROR_INVALID_HANDLE;
    bool created = false;
    for (const auto& part : SplitKeyPath(subKey)) {
        path += "\\" + UpperAscii(part);
        created = keys_.try_emplace(path, Key{part, {}}).second || created;
    }
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(path);
    return ERROR_SUCCESS;
}

LONG FakeRegistry::QueryValueEx(HKEY key, std::string_view valueName, DWORD* type,
                                std::uint8_t* data, DWORD* cbData) {
    Key* k = KeyOf(key);
    if (!k) return ERROR_INVALID_HANDLE;
    const auto it = k->values.find(UpperAscii(valueName));
    if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
    const auto& bytes = it->second.bytes;
    if (type) *type = it->second.kind;
    if (!cbData) return ERROR_SUCCESS;
    const DWORD room = *cbData;
    *cbData = static_cast<DWORD>(bytes.size());
    if (!data) return ERROR_SUCCESS;
    if (bytes.size() > room) return ERROR_MORE_DATA;
    std::copy(bytes.begin(), bytes.end(), data);
    return ERROR_SUCCESS;
}

LONG FakeRegistry::SetValueEx(HKEY key, std::string_view valueName, DWORD type,
                              const std::uint8_t* data, DWORD cbData) {
    return SetValueRaw(key, valueName, type, std::span<const std::uint8_t>(data, cbData));
}

LONG FakeRegistry::DeleteValue(HKEY key, std::string_view valueName) {
    Key* k = KeyOf(key);
    if (!k) return ERROR_INVALID_HANDLE;
    return k->values.erase(UpperAscii(valueName)) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG FakeRegistry::EnumKeyEx(HKEY key, DWORD index, char* name, DWORD* cchName, char*, DWORD*) {
    const std::string path = PathOf(key, "");
    if (path.empty()) return ERROR_INVALID_HANDLE;
    DWORD seen = 0;
    for (const auto& [childPath, child] : keys_) {
        if (Parent(childPath) != path) continue;
        if (seen++ == index) return CopyName(child.name, name, cchName);
    }
    return ERROR_NO_MORE_ITEMS;
}

LONG FakeRegistry::EnumValue(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* type,
                             std::uint8_t* data, DWORD* cbData) {
    Key* k = KeyOf(key);
    if (!k) return ERROR_INVALID_HANDLE;
    if (index >= k->values.size()) return ERROR_NO_MORE_ITEMS;
    const Value& value = std::next(k->values.begin(), index)->second;
    if (const LONG status = CopyName(value.name, name, cchName); status != ERROR_SUCCESS) return status;
    return QueryValueEx(key, value.name, type, data, cbData);
}

LONG FakeRegistry::CloseKey(HKEY key) {
    if (key == kNullKey || IsPredefinedRoot(key)) return ERROR_SUCCESS;
    return handles_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG FakeRegistry::QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type,
                                 std::vector<std::uint8_t>* data) {
    Key* k = KeyOf(key);
    if (!k) return ERROR_INVALID_HANDLE;
    const auto it = k->values.find(UpperAscii(valueName));
    if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
    if (type) *type = it->second.kind;
    if (data) *data = it->second.bytes;
    return ERROR_SUCCESS;
}

LONG FakeRegistry::SetValueRaw(HKEY key, std::string_view valueName, DWORD type,
                               std::span<const std::uint8_t> data) {
    Key* k = KeyOf(key);
    if (!k) return ERROR_INVALID_HANDLE;
    const std::string upper = UpperAscii(valueName);
    const auto it = k->values.find(upper);
    const std::string name = it != k->values.end() ? it->second.name : std::string(valueName);
    k->values[upper] = Value{name, type, std::vector<std::uint8_t>(data.begin(), data.end())};
    return ERROR_SUCCESS;
}

}  // namespace vostrel::testing
