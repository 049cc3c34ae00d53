// The one in-memory registry of the tests: a RegistryStore that keeps keys
// and values as a Wine prefix's registry does (values as their stored bytes,
// text in UTF-16LE; sub-keys and values in the registry's order, names
// matched without regard to case; HKEY_CLASSES_ROOT showing
// HKEY_LOCAL_MACHINE\Software\Classes, HKEY_USERS listing .Default and the
// user), behind the same RegistryAdapter as the real backend, so that every
// buffer rule a test meets is the program's own.
//
// Set-up goes straight into the store (a refusal does not stop it); the
// program's calls go through the adapter. Fault injection is a few options
// of the store: a refusal of every write, refused deletes, a failing batch.
//
//   MemoryRegistry registry;
//   registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
//                      "ProgramFilesDir", "C:\\Program Files");
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/registry_adapter.h"
#include "system/registry_store.h"

namespace vostrel::testing {

class MemoryRegistryStore final : public RegistryStore {
public:
    MemoryRegistryStore();

    // While set, every change is refused with ERROR_ACCESS_DENIED and
    // WriteRefusal gives this reason.
    std::optional<std::string> refusal;
    // Deleting a value fails with ERROR_ACCESS_DENIED (and deletes nothing).
    bool refuseDeletes = false;
    // The outermost EndBatch fails with this reason (the changes stay).
    std::optional<std::string> batchFailure;

    struct Value {
        std::string name;
        DWORD kind = REG_NONE;
        std::vector<std::uint8_t> data;
        bool operator==(const Value&) const = default;
    };
    struct Node {
        std::string name;
        std::string keyClass;
        std::vector<Node*> subkeys;         // the registry's order
        mutable std::vector<Value> values;  // the registry's order, once settled
        mutable bool unsettled = false;     // values were appended out of order
        bool fixed = false;                 // HKEY_USERS itself: no values, no new keys
    };

    // Set-up, past any refusal: the key (made with its parents) of a root,
    // and a value stored as given.
    Node* MakeKey(HKEY root, std::string_view path);
    void Put(Node* key, std::string_view name, DWORD kind, std::vector<std::uint8_t> data);
    // Adds a value without looking for one of the same name, for quick
    // set-up of large keys (the order is restored when the key is next read).
    void Append(Node* key, std::string_view name, DWORD kind, std::vector<std::uint8_t> data);
    // The key of a root and path, or null.
    Node* FindKey(HKEY root, std::string_view path);
    const Value* FindValue(const Node* key, std::string_view name) const;
    // Every key of HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_USERS\.Default
    // by its full path in upper case, with its values by upper-case name.
    std::map<std::string, std::map<std::string, Value>> Snapshot() const;

    LONG Root(HKEY root, StoreKey* key) override;
    LONG Open(StoreKey from, std::string_view path, StoreKey* key, bool* throughLink) override;
    LONG Create(StoreKey from, std::string_view path, StoreKey* key, bool* created) override;
    LONG SubkeyAt(StoreKey key, std::size_t index, std::string_view* name,
                  std::string_view* keyClass) override;
    LONG ValueAt(StoreKey key, std::size_t index, DataWanted want, StoreValue* value) override;
    LONG ReadValue(StoreKey key, std::string_view name, DataWanted want,
                   StoreValue* value) override;
    LONG SetValue(StoreKey key, std::string_view name, DWORD kind,
                  std::span<const std::uint8_t> data) override;
    LONG DeleteValue(StoreKey key, std::string_view name) override;
    LONG DeleteKey(StoreKey parent, std::string_view name) override;
    std::optional<std::string> WriteRefusal() override { return refusal; }
    void BeginBatch() override { ++batchDepth_; }
    bool EndBatch(std::string* error) override;
    std::uint64_t Identity(StoreKey key) override;

private:
    Node* NewNode(std::string_view name);
    Node* Child(const Node* parent, std::string_view name) const;
    Node* AddChild(Node* parent, std::string_view name);
    static Node* NodeOf(StoreKey key) { return static_cast<Node*>(key.node); }
    static void Settle(const Node* key);

    std::deque<Node> nodes_;
    Node* machine_ = nullptr;
    Node* user_ = nullptr;
    Node* users_ = nullptr;
    Node* defaultUser_ = nullptr;
    int batchDepth_ = 0;
};

// The store's holder comes first among the bases, so that the store exists
// before the adapter is given it.
struct MemoryRegistryHolder {
    MemoryRegistryStore memoryStore;
};

class MemoryRegistry : private MemoryRegistryHolder, public RegistryAdapter {
public:
    using Value = MemoryRegistryStore::Value;
    using Key = std::map<std::string, Value>;

    explicit MemoryRegistry(TextSide side = TextSide::Unicode)
        : RegistryAdapter(memoryStore, side), refusal(memoryStore.refusal) {}

    MemoryRegistryStore& store() { return memoryStore; }

    // Set-up by root and path; keys are made with all their parents.
    void CreateKey(HKEY root, std::string_view path);
    // Text as the A functions take it (UTF-8), with a terminating NUL added.
    void SetString(HKEY root, std::string_view path, std::string_view name, std::string_view text,
                   DWORD kind = REG_SZ);
    // SetString without looking for a value of the same name (quick set-up
    // of large keys).
    void AppendString(HKEY root, std::string_view path, std::string_view name,
                      std::string_view text);
    void SetDword(HKEY root, std::string_view path, std::string_view name, std::uint32_t number);
    // Bytes as the A functions take them: text kinds in UTF-8, stored in UTF-16.
    void SetBytes(HKEY root, std::string_view path, std::string_view name, DWORD kind,
                  std::vector<std::uint8_t> bytes);

    // Set-up and inspection by full path ("HKEY_LOCAL_MACHINE\Software\X"):
    // the stored bytes as they are, or text stored as UTF-16LE with its NUL.
    void Put(std::string_view keyPath, std::string_view name, DWORD kind,
             std::vector<std::uint8_t> data);
    void PutText(std::string_view keyPath, std::string_view name, DWORD kind,
                 std::string_view utf8);
    std::optional<Value> Get(std::string_view keyPath, std::string_view name);
    bool HasKey(std::string_view keyPath);
    // Every key and value, to compare a whole registry before and after.
    std::map<std::string, Key> keys() const { return memoryStore.Snapshot(); }

    // Text of a text kind as UTF-16LE bytes with the terminating NUL.
    static std::vector<std::uint8_t> Utf16Bytes(std::string_view utf8);

    // The store's refusal of every write (see MemoryRegistryStore).
    std::optional<std::string>& refusal;
};

}  // namespace vostrel::testing
