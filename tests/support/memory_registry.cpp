#include "support/memory_registry.h"

#include <cstring>

#include "system/text.h"

namespace vostrel::testing {

namespace {

std::string Canonical(std::string path) {
    const std::string upper = UpperAscii(path);
    if (upper.starts_with("HKEY_CLASSES_ROOT")) path = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes" + path.substr(17);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return UpperAscii(path);
}

}  // namespace

std::vector<std::uint8_t> MemoryRegistry::Utf16Bytes(const std::string& utf8) {
    std::vector<std::uint8_t> bytes;
    for (char16_t c : Utf8ToUtf16(utf8)) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

void MemoryRegistry::Put(const std::string& keyPath, const std::string& name, DWORD kind,
                         std::vector<std::uint8_t> data) {
    std::string path = Canonical(keyPath);
    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
        keys_[path.substr(0, at)];
    keys_[path].values[UpperAscii(name)] = Value{name, kind, std::move(data)};
}

void MemoryRegistry::PutText(const std::string& keyPath, const std::string& name, DWORD kind,
                             const std::string& utf8) {
    Put(keyPath, name, kind, Utf16Bytes(utf8));
}

std::optional<MemoryRegistry::Value> MemoryRegistry::Get(const std::string& keyPath, const std::string& name) const {
    const auto key = keys_.find(Canonical(keyPath));
    if (key == keys_.end()) return std::nullopt;
    const auto value = key->second.values.find(UpperAscii(name));
    if (value == key->second.values.end()) return std::nullopt;
    return value->second;
}

bool MemoryRegistry::HasKey(const std::string& keyPath) const { return keys_.count(Canonical(keyPath)) > 0; }

std::optional<std::string> MemoryRegistry::PathOf(HKEY key, std::string_view subKey) const {
    std::string base;
    if (IsPredefinedRoot(key)) {
        base = std::string(RootName(key));
    } else {
        const auto handle = handles_.find(key);
        if (handle == handles_.end()) return std::nullopt;
        base = handle->second;
    }
    return Canonical(subKey.empty() ? base : base + "\\" + std::string(subKey));
}

HKEY MemoryRegistry::NewHandle(const std::string& path) {
    handles_[next_] = path;
    return next_++;
}

LONG MemoryRegistry::OpenKeyEx(HKEY key, std::string_view subKey, DWORD, HKEY* result) {
    *result = kNullKey;
    const auto path = PathOf(key, subKey);
    if (!path) return ERROR_INVALID_HANDLE;
    const bool root = path->find('\\') == std::string::npos;
    if (!root && !keys_.count(*path)) return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(*path);
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::OpenKey(HKEY key, std::string_view subKey, HKEY* result) {
    return OpenKeyEx(key, subKey, KEY_ALL_ACCESS, result);
}

LONG MemoryRegistry::CreateKeyEx(HKEY key, std::string_view subKey, DWORD, DWORD, HKEY* result, DWORD* disposition) {
    *result = kNullKey;
    if (refusal) return ERROR_ACCESS_DENIED;
    const auto path = PathOf(key, subKey);
    if (!path) return ERROR_INVALID_HANDLE;
    const bool existed = keys_.count(*path) > 0;
    for (std::size_t at = path->find('\\'); at != std::string::npos; at = path->find('\\', at + 1))
        keys_[path->substr(0, at)];
    keys_[*path];
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = NewHandle(*path);
    return ERROR_SUCCESS;
}

MemoryRegistry::Value* MemoryRegistry::Find(HKEY key, std::string_view name) {
    const auto path = PathOf(key, "");
    if (!path) return nullptr;
    auto k = keys_.find(*path);
    if (k == keys_.end()) return nullptr;
    auto v = k->second.values.find(UpperAscii(name));
    return v == k->second.values.end() ? nullptr : &v->second;
}

LONG MemoryRegistry::QueryValueEx(HKEY key, std::string_view valueName, DWORD* type, std::uint8_t* data,
                                  DWORD* cbData) {
    if (!PathOf(key, "")) return ERROR_INVALID_HANDLE;
    const Value* value = Find(key, valueName);
    if (!value) return ERROR_FILE_NOT_FOUND;
    std::vector<std::uint8_t> bytes = value->data;
    if (IsTextKind(value->kind)) {
        std::u16string wide;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            wide.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
        const std::string text = Utf16ToUtf8(wide);
        bytes.assign(text.begin(), text.end());
    }
    if (type) *type = value->kind;
    if (!data) {
        if (cbData) *cbData = static_cast<DWORD>(bytes.size());
        return ERROR_SUCCESS;
    }
    if (*cbData < bytes.size()) {
        *cbData = static_cast<DWORD>(bytes.size());
        return ERROR_MORE_DATA;
    }
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    *cbData = static_cast<DWORD>(bytes.size());
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::SetValueEx(HKEY key, std::string_view valueName, DWORD type, const std::uint8_t* data,
                                DWORD cbData) {
    std::vector<std::uint8_t> raw(data, data + cbData);
    if (IsTextKind(type)) {
        std::string text(raw.begin(), raw.end());
        raw.clear();
        for (char16_t c : Utf8ToUtf16(text)) {
            raw.push_back(static_cast<std::uint8_t>(c));
            raw.push_back(static_cast<std::uint8_t>(c >> 8));
        }
    }
    return SetValueRaw(key, valueName, type, raw);
}

LONG MemoryRegistry::SetValueRaw(HKEY key, std::string_view valueName, DWORD type,
                                 std::span<const std::uint8_t> data) {
    if (refusal) return ERROR_ACCESS_DENIED;
    const auto path = PathOf(key, "");
    if (!path || (!keys_.count(*path) && path->find('\\') != std::string::npos)) return ERROR_INVALID_HANDLE;
    keys_[*path].values[UpperAscii(valueName)] =
        Value{std::string(valueName), type, std::vector<std::uint8_t>(data.begin(), data.end())};
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::DeleteValue(HKEY key, std::string_view valueName) {
    if (refusal) return ERROR_ACCESS_DENIED;
    const auto path = PathOf(key, "");
    if (!path) return ERROR_INVALID_HANDLE;
    auto k = keys_.find(*path);
    if (k == keys_.end() || !k->second.values.erase(UpperAscii(valueName))) return ERROR_FILE_NOT_FOUND;
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::CloseKey(HKEY key) {
    handles_.erase(key);
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type,
                                   std::vector<std::uint8_t>* data) {
    if (!PathOf(key, "")) return ERROR_INVALID_HANDLE;
    const Value* value = Find(key, valueName);
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (type) *type = value->kind;
    if (data) *data = value->data;
    return ERROR_SUCCESS;
}

}  // namespace vostrel::testing
