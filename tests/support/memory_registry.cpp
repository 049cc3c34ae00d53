#include "support/memory_registry.h"

#include <algorithm>

#include "system/text.h"

namespace vostrel::testing {

namespace {

constexpr std::string_view kUserSid = "S-1-5-21-0-0-0-1000";

std::vector<std::uint8_t> TextBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t unit : Utf8ToUtf16(text)) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

bool Less(std::string_view a, std::string_view b) { return CompareRegistryNames(a, b) < 0; }

std::size_t Utf16Length(std::string_view text) { return Utf8ToUtf16(text).size(); }

// The root and the rest of a full path ("HKEY_LOCAL_MACHINE\Software\X").
bool SplitRoot(std::string_view keyPath, HKEY* root, std::string_view* rest) {
    const auto slash = keyPath.find('\\');
    const auto found = RootFromName(keyPath.substr(0, slash));
    if (!found) return false;
    *root = *found;
    *rest = slash == std::string_view::npos ? std::string_view() : keyPath.substr(slash + 1);
    return true;
}

}  // namespace

// ---------------------------------------------------------------- the store

MemoryRegistryStore::MemoryRegistryStore() {
    machine_ = NewNode({});
    user_ = NewNode(kUserSid);
    users_ = NewNode({});
    users_->fixed = true;
    defaultUser_ = NewNode(".Default");
    users_->subkeys = {defaultUser_, user_};
    std::sort(users_->subkeys.begin(), users_->subkeys.end(),
              [](const Node* a, const Node* b) { return Less(a->name, b->name); });
    // Every Wine prefix has it: HKEY_CLASSES_ROOT shows it.
    AddChild(AddChild(machine_, "Software"), "Classes");
}

MemoryRegistryStore::Node* MemoryRegistryStore::NewNode(std::string_view name) {
    nodes_.emplace_back();
    nodes_.back().name = std::string(name);
    return &nodes_.back();
}

MemoryRegistryStore::Node* MemoryRegistryStore::Child(const Node* parent,
                                                      std::string_view name) const {
    const auto it =
        std::lower_bound(parent->subkeys.begin(), parent->subkeys.end(), name,
                         [](const Node* n, std::string_view want) { return Less(n->name, want); });
    return it != parent->subkeys.end() && CompareRegistryNames((*it)->name, name) == 0 ? *it
                                                                                       : nullptr;
}

MemoryRegistryStore::Node* MemoryRegistryStore::AddChild(Node* parent, std::string_view name) {
    if (Node* existing = Child(parent, name)) return existing;
    Node* child = NewNode(name);
    const auto at =
        std::lower_bound(parent->subkeys.begin(), parent->subkeys.end(), name,
                         [](const Node* n, std::string_view want) { return Less(n->name, want); });
    parent->subkeys.insert(at, child);
    return child;
}

LONG MemoryRegistryStore::Root(HKEY root, StoreKey* key) {
    switch (root) {
        case HKEY_LOCAL_MACHINE: *key = {machine_, 0}; return ERROR_SUCCESS;
        case HKEY_CURRENT_USER: *key = {user_, 0}; return ERROR_SUCCESS;
        case HKEY_USERS: *key = {users_, 0}; return ERROR_SUCCESS;
        case HKEY_CLASSES_ROOT: return Open({machine_, 0}, "Software\\Classes", key, nullptr);
        case HKEY_CURRENT_CONFIG:
            return Open({machine_, 0}, "System\\CurrentControlSet\\Hardware Profiles\\Current", key,
                        nullptr);
        case HKEY_DYN_DATA: return ERROR_FILE_NOT_FOUND;
        default: return ERROR_INVALID_HANDLE;
    }
}

LONG MemoryRegistryStore::Open(StoreKey from, std::string_view path, StoreKey* key,
                               bool* throughLink) {
    const auto parts = SplitKeyPath(path);
    if (parts.size() > kMaxKeyPathDepth) return ERROR_FILE_NOT_FOUND;
    Node* node = NodeOf(from);
    for (const auto part : parts)
        if (!(node = Child(node, part))) return ERROR_FILE_NOT_FOUND;
    *key = {node, 0};
    if (throughLink) *throughLink = false;
    return ERROR_SUCCESS;
}

LONG MemoryRegistryStore::Create(StoreKey from, std::string_view path, StoreKey* key,
                                 bool* created) {
    const auto parts = SplitKeyPath(path);
    if (parts.size() > kMaxKeyPathDepth) return ERROR_INVALID_PARAMETER;
    Node* node = NodeOf(from);
    std::size_t found = 0;
    for (; found < parts.size(); ++found) {
        Node* child = Child(node, parts[found]);
        if (!child) break;
        node = child;
    }
    if (created) *created = found < parts.size();
    if (found < parts.size()) {
        if (node->fixed) return ERROR_ACCESS_DENIED;
        for (std::size_t i = found; i < parts.size(); ++i)
            if (Utf16Length(parts[i]) > kMaxKeyNameUnits) return ERROR_INVALID_PARAMETER;
        if (refusal) return ERROR_ACCESS_DENIED;
        for (std::size_t i = found; i < parts.size(); ++i) node = AddChild(node, parts[i]);
    }
    *key = {node, 0};
    return ERROR_SUCCESS;
}

LONG MemoryRegistryStore::SubkeyAt(StoreKey key, std::size_t index, std::string_view* name,
                                   std::string_view* keyClass) {
    const Node* node = NodeOf(key);
    if (index >= node->subkeys.size()) return ERROR_NO_MORE_ITEMS;
    *name = node->subkeys[index]->name;
    *keyClass = node->subkeys[index]->keyClass;
    return ERROR_SUCCESS;
}

void MemoryRegistryStore::Settle(const Node* key) {
    if (!key->unsettled) return;
    std::stable_sort(key->values.begin(), key->values.end(),
                     [](const Value& a, const Value& b) { return Less(a.name, b.name); });
    key->unsettled = false;
}

void MemoryRegistryStore::Append(Node* key, std::string_view name, DWORD kind,
                                 std::vector<std::uint8_t> data) {
    key->values.push_back(Value{std::string(name), kind, std::move(data)});
    key->unsettled = true;
}

const MemoryRegistryStore::Value* MemoryRegistryStore::FindValue(const Node* key,
                                                                 std::string_view name) const {
    Settle(key);
    const auto it =
        std::lower_bound(key->values.begin(), key->values.end(), name,
                         [](const Value& v, std::string_view want) { return Less(v.name, want); });
    return it != key->values.end() && CompareRegistryNames(it->name, name) == 0 ? &*it : nullptr;
}

namespace {

void Give(const MemoryRegistryStore::Value& stored, DataWanted want, StoreValue* value) {
    value->name = stored.name;
    value->kind = stored.kind;
    value->utf8 = false;
    if (want == DataWanted::None)
        value->data.clear();
    else
        value->data.assign(stored.data.begin(), stored.data.end());
}

}  // namespace

LONG MemoryRegistryStore::ValueAt(StoreKey key, std::size_t index, DataWanted want,
                                  StoreValue* value) {
    const Node* node = NodeOf(key);
    Settle(node);
    if (index >= node->values.size()) return ERROR_NO_MORE_ITEMS;
    Give(node->values[index], want, value);
    return ERROR_SUCCESS;
}

LONG MemoryRegistryStore::ReadValue(StoreKey key, std::string_view name, DataWanted want,
                                    StoreValue* value) {
    const Value* stored = FindValue(NodeOf(key), name);
    if (!stored) return ERROR_FILE_NOT_FOUND;
    Give(*stored, want, value);
    return ERROR_SUCCESS;
}

void MemoryRegistryStore::Put(Node* key, std::string_view name, DWORD kind,
                              std::vector<std::uint8_t> data) {
    Settle(key);
    auto it =
        std::lower_bound(key->values.begin(), key->values.end(), name,
                         [](const Value& v, std::string_view want) { return Less(v.name, want); });
    if (it != key->values.end() && CompareRegistryNames(it->name, name) == 0) {
        it->kind = kind;
        it->data = std::move(data);
        return;
    }
    key->values.insert(it, Value{std::string(name), kind, std::move(data)});
}

LONG MemoryRegistryStore::SetValue(StoreKey key, std::string_view name, DWORD kind,
                                   std::span<const std::uint8_t> data) {
    Node* node = NodeOf(key);
    if (node->fixed || refusal) return ERROR_ACCESS_DENIED;
    Put(node, name, kind, std::vector<std::uint8_t>(data.begin(), data.end()));
    return ERROR_SUCCESS;
}

LONG MemoryRegistryStore::DeleteValue(StoreKey key, std::string_view name) {
    Node* node = NodeOf(key);
    if (node->fixed || refusal || refuseDeletes) return ERROR_ACCESS_DENIED;
    const Value* stored = FindValue(node, name);
    if (!stored) return ERROR_FILE_NOT_FOUND;
    node->values.erase(node->values.begin() + (stored - node->values.data()));
    return ERROR_SUCCESS;
}

LONG MemoryRegistryStore::DeleteKey(StoreKey parent, std::string_view name) {
    Node* node = NodeOf(parent);
    Node* child = Child(node, name);
    if (!child) return ERROR_FILE_NOT_FOUND;
    if (node->fixed || child->fixed || refusal || refuseDeletes || !child->subkeys.empty())
        return ERROR_ACCESS_DENIED;
    // The node stays in nodes_, unhooked: a StoreKey of it stays valid.
    node->subkeys.erase(std::find(node->subkeys.begin(), node->subkeys.end(), child));
    return ERROR_SUCCESS;
}

bool MemoryRegistryStore::EndBatch(std::string* error) {
    if (batchDepth_ == 0 || --batchDepth_ > 0) return true;
    if (!batchFailure) return true;
    if (error) *error = *batchFailure;
    return false;
}

std::uint64_t MemoryRegistryStore::Identity(StoreKey key) {
    return reinterpret_cast<std::uintptr_t>(key.node);
}

MemoryRegistryStore::Node* MemoryRegistryStore::MakeKey(HKEY root, std::string_view path) {
    StoreKey base;
    if (Root(root, &base) != ERROR_SUCCESS) return nullptr;
    Node* node = NodeOf(base);
    for (const auto part : SplitKeyPath(path)) node = AddChild(node, part);
    return node;
}

MemoryRegistryStore::Node* MemoryRegistryStore::FindKey(HKEY root, std::string_view path) {
    StoreKey key;
    if (Root(root, &key) != ERROR_SUCCESS || Open(key, path, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return NodeOf(key);
}

std::map<std::string, std::map<std::string, MemoryRegistryStore::Value>>
MemoryRegistryStore::Snapshot() const {
    std::map<std::string, std::map<std::string, Value>> all;
    struct Pending {
        const Node* node;
        std::string path;
    };
    std::vector<Pending> pending{{machine_, "HKEY_LOCAL_MACHINE"},
                                 {user_, "HKEY_CURRENT_USER"},
                                 {defaultUser_, "HKEY_USERS\\.DEFAULT"}};
    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();
        auto& values = all[next.path];
        Settle(next.node);
        for (const Value& value : next.node->values) values[UpperAscii(value.name)] = value;
        for (const Node* sub : next.node->subkeys)
            pending.push_back({sub, next.path + "\\" + UpperAscii(sub->name)});
    }
    return all;
}

// ---------------------------------------------------------------- the registry

std::vector<std::uint8_t> MemoryRegistry::Utf16Bytes(std::string_view utf8) {
    std::vector<std::uint8_t> bytes = TextBytes(utf8);
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

void MemoryRegistry::CreateKey(HKEY root, std::string_view path) {
    memoryStore.MakeKey(root, path);
}

void MemoryRegistry::SetBytes(HKEY root, std::string_view path, std::string_view name, DWORD kind,
                              std::vector<std::uint8_t> bytes) {
    if (IsTextKind(kind))
        bytes = TextBytes({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    memoryStore.Put(memoryStore.MakeKey(root, path), name, kind, std::move(bytes));
}

void MemoryRegistry::SetString(HKEY root, std::string_view path, std::string_view name,
                               std::string_view text, DWORD kind) {
    memoryStore.Put(memoryStore.MakeKey(root, path), name, kind, Utf16Bytes(text));
}

void MemoryRegistry::AppendString(HKEY root, std::string_view path, std::string_view name,
                                  std::string_view text) {
    memoryStore.Append(memoryStore.MakeKey(root, path), name, REG_SZ, Utf16Bytes(text));
}

void MemoryRegistry::SetDword(HKEY root, std::string_view path, std::string_view name,
                              std::uint32_t number) {
    std::vector<std::uint8_t> bytes(4);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(number >> (8 * i));
    memoryStore.Put(memoryStore.MakeKey(root, path), name, REG_DWORD, std::move(bytes));
}

void MemoryRegistry::Put(std::string_view keyPath, std::string_view name, DWORD kind,
                         std::vector<std::uint8_t> data) {
    HKEY root = kNullKey;
    std::string_view rest;
    if (!SplitRoot(keyPath, &root, &rest)) return;
    if (auto* key = memoryStore.MakeKey(root, rest))
        memoryStore.Put(key, name, kind, std::move(data));
}

void MemoryRegistry::PutText(std::string_view keyPath, std::string_view name, DWORD kind,
                             std::string_view utf8) {
    Put(keyPath, name, kind, Utf16Bytes(utf8));
}

std::optional<MemoryRegistry::Value> MemoryRegistry::Get(std::string_view keyPath,
                                                         std::string_view name) {
    HKEY root = kNullKey;
    std::string_view rest;
    if (!SplitRoot(keyPath, &root, &rest)) return std::nullopt;
    const auto* key = memoryStore.FindKey(root, rest);
    const Value* value = key ? memoryStore.FindValue(key, name) : nullptr;
    if (!value) return std::nullopt;
    return *value;
}

bool MemoryRegistry::HasKey(std::string_view keyPath) {
    HKEY root = kNullKey;
    std::string_view rest;
    return SplitRoot(keyPath, &root, &rest) && memoryStore.FindKey(root, rest) != nullptr;
}

}  // namespace vostrel::testing
