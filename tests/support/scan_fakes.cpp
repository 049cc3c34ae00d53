#include "support/scan_fakes.h"

#include <algorithm>
#include <cstring>

#include "system/text.h"

namespace vostrel::testing {

struct ScanTreeRegistry::Node {
    struct Value {
        std::string name;
        DWORD type = REG_NONE;
        std::vector<std::uint8_t> bytes;
    };
    std::string name;
    std::vector<std::unique_ptr<Node>> children;
    std::vector<Value> values;

    Node* Child(std::string_view childName) {
        for (auto& child : children)
            if (EqualsNoCase(child->name, childName)) return child.get();
        return nullptr;
    }
    Value* FindValue(std::string_view valueName) {
        for (auto& value : values)
            if (EqualsNoCase(value.name, valueName)) return &value;
        return nullptr;
    }
};

namespace {

std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::vector<std::uint8_t> TextBytes(const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

// Wildcard match of a name, without regard to case (* and ?).
bool Matches(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '*')
        return Matches(pattern.substr(1), name) || (!name.empty() && Matches(pattern, name.substr(1)));
    if (name.empty()) return false;
    const bool same = pattern[0] == '?' || std::toupper(static_cast<unsigned char>(pattern[0])) ==
                                               std::toupper(static_cast<unsigned char>(name[0]));
    return same && Matches(pattern.substr(1), name.substr(1));
}

std::string ParentOf(const std::string& path) {
    const auto at = path.rfind('\\');
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

}  // namespace

ScanTreeRegistry::ScanTreeRegistry() {
    for (const auto& root : kRootKeys) {
        roots_[root.handle] = std::make_unique<Node>();
        roots_[root.handle]->name = std::string(root.name);
    }
}

ScanTreeRegistry::~ScanTreeRegistry() = default;

ScanTreeRegistry::Node* ScanTreeRegistry::Resolve(HKEY key) {
    if (const auto it = roots_.find(key); it != roots_.end()) return it->second.get();
    if (const auto it = handles_.find(key); it != handles_.end()) return it->second;
    return nullptr;
}

ScanTreeRegistry::Node* ScanTreeRegistry::Find(Node* from, std::string_view path, bool create) {
    Node* node = from;
    for (const auto part : SplitPath(path)) {
        if (!node) return nullptr;
        Node* child = node->Child(part);
        if (!child && create) {
            node->children.push_back(std::make_unique<Node>());
            child = node->children.back().get();
            child->name = std::string(part);
        }
        node = child;
    }
    return node;
}

HKEY ScanTreeRegistry::NewHandle(Node* node) {
    const HKEY handle = nextHandle_++;
    handles_[handle] = node;
    return handle;
}

void ScanTreeRegistry::CreateKey(HKEY root, const std::string& path) { Find(Resolve(root), path, true); }

void ScanTreeRegistry::SetBytes(HKEY root, const std::string& path, const std::string& name, DWORD type,
                            std::vector<std::uint8_t> bytes) {
    Node* node = Find(Resolve(root), path, true);
    if (auto* value = node->FindValue(name)) {
        value->type = type;
        value->bytes = std::move(bytes);
        return;
    }
    node->values.push_back({name, type, std::move(bytes)});
}

void ScanTreeRegistry::AppendString(HKEY root, const std::string& path, const std::string& name,
                                const std::string& text) {
    Find(Resolve(root), path, true)->values.push_back({name, REG_SZ, TextBytes(text)});
}

void ScanTreeRegistry::SetString(HKEY root, const std::string& path, const std::string& name,
                             const std::string& text, DWORD type) {
    SetBytes(root, path, name, type, TextBytes(text));
}

void ScanTreeRegistry::SetDword(HKEY root, const std::string& path, const std::string& name,
                            std::uint32_t value) {
    std::vector<std::uint8_t> bytes(4);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    SetBytes(root, path, name, REG_DWORD, std::move(bytes));
}

LONG ScanTreeRegistry::OpenKeyEx(HKEY key, std::string_view subKey, DWORD, HKEY* result) {
    *result = kNullKey;
    Node* node = Find(Resolve(key), subKey, false);
    if (!node) return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(node);
    return ERROR_SUCCESS;
}

LONG ScanTreeRegistry::OpenKey(HKEY key, std::string_view subKey, HKEY* result) {
    return OpenKeyEx(key, subKey, KEY_ALL_ACCESS, result);
}

LONG ScanTreeRegistry::CreateKeyEx(HKEY key, std::string_view subKey, DWORD, DWORD, HKEY* result,
                               DWORD* disposition) {
    *result = kNullKey;
    Node* from = Resolve(key);
    if (!from) return ERROR_INVALID_HANDLE;
    const bool existed = Find(from, subKey, false) != nullptr;
    *result = NewHandle(Find(from, subKey, true));
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    return ERROR_SUCCESS;
}

LONG ScanTreeRegistry::QueryValueEx(HKEY key, std::string_view valueName, DWORD* type,
                                std::uint8_t* data, DWORD* cbData) {
    Node* node = Resolve(key);
    if (!node) return ERROR_INVALID_HANDLE;
    const auto* value = node->FindValue(valueName);
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (type) *type = value->type;
    const auto size = static_cast<DWORD>(value->bytes.size());
    if (!data) {
        if (cbData) *cbData = size;
        return ERROR_SUCCESS;
    }
    if (!cbData) return ERROR_INVALID_PARAMETER;
    if (*cbData < size) {
        *cbData = size;
        return ERROR_MORE_DATA;
    }
    std::copy(value->bytes.begin(), value->bytes.end(), data);
    *cbData = size;
    return ERROR_SUCCESS;
}

LONG ScanTreeRegistry::SetValueEx(HKEY key, std::string_view valueName, DWORD type,
                              const std::uint8_t* data, DWORD cbData) {
    return SetValueRaw(key, valueName, type, std::span<const std::uint8_t>(data, cbData));
}

LONG ScanTreeRegistry::DeleteValue(HKEY key, std::string_view valueName) {
    Node* node = Resolve(key);
    if (!node) return ERROR_INVALID_HANDLE;
    const auto it = std::find_if(node->values.begin(), node->values.end(),
                                 [&](const auto& v) { return EqualsNoCase(v.name, valueName); });
    if (it == node->values.end()) return ERROR_FILE_NOT_FOUND;
    node->values.erase(it);
    return ERROR_SUCCESS;
}

LONG ScanTreeRegistry::EnumKeyEx(HKEY key, DWORD index, char* name, DWORD* cchName, char*, DWORD*) {
    Node* node = Resolve(key);
    if (!node) return ERROR_INVALID_HANDLE;
    if (index >= node->children.size()) return ERROR_NO_MORE_ITEMS;
    const std::string& childName = node->children[index]->name;
    if (childName.size() + 1 > *cchName) {
        *cchName = static_cast<DWORD>(childName.size());
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, childName.c_str(), childName.size() + 1);
    *cchName = static_cast<DWORD>(childName.size());
    return ERROR_SUCCESS;
}

LONG ScanTreeRegistry::EnumValue(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* type,
                             std::uint8_t* data, DWORD* cbData) {
    Node* node = Resolve(key);
    if (!node) return ERROR_INVALID_HANDLE;
    if (index >= node->values.size()) return ERROR_NO_MORE_ITEMS;
    const auto& value = node->values[index];
    const auto size = static_cast<DWORD>(value.bytes.size());
    const bool nameFits = value.name.size() + 1 <= *cchName;
    const bool dataFits = !data || (cbData && size <= *cbData);
    if (!nameFits || !dataFits) {
        *cchName = static_cast<DWORD>(value.name.size());
        if (cbData) *cbData = size;
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, value.name.c_str(), value.name.size() + 1);
    *cchName = static_cast<DWORD>(value.name.size());
    if (type) *type = value.type;
    if (data) std::copy(value.bytes.begin(), value.bytes.end(), data);
    if (cbData) *cbData = size;
    return ERROR_SUCCESS;
}

LONG ScanTreeRegistry::CloseKey(HKEY key) {
    handles_.erase(key);
    return ERROR_SUCCESS;
}

LONG ScanTreeRegistry::QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type,
                                 std::vector<std::uint8_t>* data) {
    Node* node = Resolve(key);
    if (!node) return ERROR_INVALID_HANDLE;
    const auto* value = node->FindValue(valueName);
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (type) *type = value->type;
    if (data) *data = value->bytes;
    return ERROR_SUCCESS;
}

LONG ScanTreeRegistry::SetValueRaw(HKEY key, std::string_view valueName, DWORD type,
                               std::span<const std::uint8_t> data) {
    Node* node = Resolve(key);
    if (!node) return ERROR_INVALID_HANDLE;
    std::vector<std::uint8_t> bytes(data.begin(), data.end());
    if (auto* value = node->FindValue(valueName)) {
        value->type = type;
        value->bytes = std::move(bytes);
    } else {
        node->values.push_back({std::string(valueName), type, std::move(bytes)});
    }
    return ERROR_SUCCESS;
}

FakeFileSystem::FakeFileSystem() {
    AddFolder("C:\\windows\\system32");
    AddFolder("C:\\windows\\Fonts");
}

void FakeFileSystem::AddFolder(const std::string& path) {
    for (std::string folder = path; folder.size() > 2; folder = ParentOf(folder)) {
        FindData entry;
        entry.attributes = FILE_ATTRIBUTE_DIRECTORY;
        entry.name = folder.substr(folder.rfind('\\') + 1);
        entries_.emplace(UpperAscii(folder), entry);
    }
}

void FakeFileSystem::AddFile(const std::string& path, DWORD attributes) {
    AddFolder(ParentOf(path));
    FindData entry;
    entry.attributes = attributes;
    entry.name = path.substr(path.rfind('\\') + 1);
    entries_[UpperAscii(path)] = entry;
}

void FakeFileSystem::RemoveFile(const std::string& path) { entries_.erase(UpperAscii(path)); }

std::string FakeFileSystem::GetShortPathName(std::string_view path) {
    return entries_.count(UpperAscii(path)) ? std::string(path) : std::string();
}

LONG FakeFileSystem::FindFiles(std::string_view pattern, std::vector<FindData>* found) {
    ++searches_;
    found->clear();
    const std::string text(pattern);
    if (text.find_first_of("<>|\"") != std::string::npos) return ERROR_INVALID_NAME;
    const std::string folder = UpperAscii(ParentOf(text));
    const std::string last = text.substr(text.rfind('\\') == std::string::npos ? 0 : text.rfind('\\') + 1);
    if (folder.size() > 2 && !entries_.count(folder)) return ERROR_PATH_NOT_FOUND;
    for (const auto& [key, entry] : entries_)
        if (ParentOf(key) == folder && Matches(last, entry.name)) found->push_back(entry);
    return found->empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

DWORD FakeFileSystem::GetFileAttributes(std::string_view path) {
    const auto it = entries_.find(UpperAscii(path));
    return it == entries_.end() ? INVALID_FILE_ATTRIBUTES : it->second.attributes;
}

bool FakeFileSystem::GetVolumeInformation(std::string_view, std::string* label) {
    if (label) label->clear();
    return true;
}

bool FakeFileSystem::DeleteFile(std::string_view path) { return entries_.erase(UpperAscii(path)) > 0; }

bool FakeFileSystem::CopyFile(std::string_view from, std::string_view to) {
    const auto it = entries_.find(UpperAscii(from));
    if (it == entries_.end()) return false;
    AddFile(std::string(to), it->second.attributes);
    return true;
}

std::optional<std::string> FakeFileSystem::HostPath(std::string_view windowsPath) {
    std::string host = "/host/" + std::string(windowsPath);
    std::replace(host.begin(), host.end(), '\\', '/');
    return host;
}

std::string MemorySettings::Get(std::string_view key, std::string_view fallback) {
    const auto it = values.find(UpperAscii(key));
    return it == values.end() ? std::string(fallback) : it->second;
}

bool MemorySettings::Save(std::string_view key, std::string_view value) {
    values[UpperAscii(key)] = std::string(value);
    return true;
}

FakeMachine::FakeMachine() {}

}  // namespace vostrel::testing
