// The registry of a Wine prefix, read from and written to its .reg files:
//
//   HKEY_LOCAL_MACHINE   system.reg
//   HKEY_CURRENT_USER    user.reg (also HKEY_USERS\<the SID named in user.reg>)
//   HKEY_USERS\.Default  userdef.reg
//   HKEY_CLASSES_ROOT    HKEY_LOCAL_MACHINE\Software\Classes, as in Wine
//   HKEY_CURRENT_CONFIG  HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current
//   HKEY_DYN_DATA        nothing: every open fails with ERROR_FILE_NOT_FOUND
//
// Opening a path through a symbolic link key ("#link" in the file) follows
// its SymbolicLinkValue, as Windows does. The files are a RegistryStore
// (WineRegistryStore); the program reaches them through RegistryAdapter,
// whose handles check the access they were opened with. Names and text data
// reach the program in full Unicode (UTF-8), as Wine's wide functions see
// them: nothing passes through the ANSI code page, while buffer sizes and
// ERROR_MORE_DATA follow the A functions' rules, counted in bytes of that
// UTF-8.
//
// Every write saves the hive it changed at once: the whole file is written
// beside the original, flushed and renamed over it, so a crash leaves the old
// or the new file, never a mix (a temporary file a killed save left behind is
// removed when the prefix is opened next). A file not in Wine's own form keeps
// every line the change did not touch (see RegFile::SaveText). Between BeginBatch and EndBatch the saves
// wait for EndBatch instead (a repair of thousands of values saves once).
//
// A running Wine keeps the registry in its wineserver and writes it back
// later, which would undo our changes (and ours would undo its): while a
// wineserver runs on the prefix, or a file was changed on disk since it was
// read, every write is refused with ERROR_ACCESS_DENIED and nothing changes;
// WriteRefusal says why. Reading is always allowed. While a hive is saved,
// the wineserver lock of the prefix is held so that no Wine starts meanwhile.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/registry_adapter.h"
#include "system/registry_store.h"
#include "system/wine/wine_reg_file.h"

namespace vostrel {

class WineRegistryStore final : public RegistryStore {
public:
    ~WineRegistryStore() override;

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
    std::optional<std::string> WriteRefusal() override;
    std::uint64_t Identity(StoreKey key) override;

    // Defers the saves of every write until the matching EndBatch (batches
    // nest; the outermost EndBatch saves). EndBatch saves each changed hive
    // and returns false, with the reason in *error, when one could not be
    // saved; its changes then stay in memory and the next save retries them.
    void BeginBatch() override;
    bool EndBatch(std::string* error) override;

    // Why the last write failed, or empty.
    const std::string& LastError() const { return lastError_; }
    const std::string& PrefixPath() const { return prefix_; }

    // The file writer; tests replace it to fail or to stop part way.
    using FileWriter = bool (*)(const std::string& path, std::string_view contents,
                                std::string* error);
    void SetFileWriterForTesting(FileWriter writer) { writer_ = writer; }

private:
    friend std::unique_ptr<WineRegistryStore> OpenWineRegistryStore(const std::string&,
                                                                    std::string*);

    enum HiveId { kMachine = 0, kUser = 1, kDefaultUser = 2, kHiveCount = 3 };
    struct Hive {
        std::string path;
        std::unique_ptr<RegFile> file;
        bool existed = false;  // the file was there when read
        struct FileStamp {
            std::uint64_t dev = 0, ino = 0, size = 0;
            std::int64_t mtimeNs = 0, ctimeNs = 0;
            bool operator==(const FileStamp&) const = default;
        } stamp;
        bool dirty = false;
    };
    // Where a key is: a key of a hive, or the HKEY_USERS list (hive -1).
    struct Place {
        int hive = -1;
        RegFileKey* key = nullptr;
    };
    static Place PlaceOf(StoreKey key) { return {key.part, static_cast<RegFileKey*>(key.node)}; }
    static StoreKey KeyOf(Place place) { return {place.key, place.hive}; }

    WineRegistryStore() = default;
    LONG RootPlace(HKEY root, Place* place);
    LONG Walk(Place start, std::string_view subKey, Place* result, int* linkBudget);
    LONG Step(Place& place, std::string_view name, int* linkBudget);
    RegFileKey* LastListed(const RegFileKey& parent, std::string_view name) const;
    LONG FollowLink(Place& place, int* linkBudget);
    std::vector<std::pair<std::string_view, Place>> Children(const Place& place) const;
    void GiveValue(const RegFile& file, const RegFileValue& stored, DataWanted want,
                   StoreValue* value) const;

    LONG Commit(int hive);
    LONG SaveHive(int hive);
    std::optional<std::string> StaleHive() const;
    static Hive::FileStamp StampOf(const std::string& path, bool* exists);

    std::string prefix_;
    std::array<Hive, kHiveCount> hives_;
    std::string userSid_;
    int batchDepth_ = 0;
    // Inside a batch the wineserver and the files are checked once, by the
    // first write; the save checks them again under the lock.
    std::optional<std::optional<std::string>> batchRefusal_;
    std::string lastError_;
    FileWriter writer_ = nullptr;
    struct Listed {
        const RegFileKey* parent = nullptr;
        std::size_t index = 0;
        const RegFileKey* child = nullptr;
    } lastListed_;  // the sub-key SubkeyAt handed out last
};

// Reads the registry files of the Wine prefix at `prefixPath`. Nothing (and
// the reason in *error, naming the file and line when a file is malformed)
// when the folder does not exist, is not a Wine prefix or holds a registry
// file that cannot be read. Opening changes nothing in the prefix, except
// that it removes the temporary files of saves whose process was killed part
// way (their process is gone; the hive itself was never touched by them).
std::unique_ptr<WineRegistryStore> OpenWineRegistryStore(const std::string& prefixPath,
                                                         std::string* error);

// Reads one registry file for parsing: mapped from the file when it only
// ever changes by being replaced as a whole (see RegFileText), else copied
// into a buffer. False, errno set, when it cannot be read.
bool ReadRegistryFile(const std::string& path, RegFileText& contents);

// The registry of a Wine prefix as the program calls it: the store of its
// files behind the adapter, with the store's own questions passed on.
class WineRegistry final : public RegistryAdapter {
public:
    using FileWriter = WineRegistryStore::FileWriter;

    explicit WineRegistry(std::unique_ptr<WineRegistryStore> store)
        : RegistryAdapter(*store), store_(std::move(store)) {}

    // Why the last write failed, or empty.
    const std::string& LastError() const { return store_->LastError(); }
    const std::string& PrefixPath() const { return store_->PrefixPath(); }
    void SetFileWriterForTesting(FileWriter writer) { store_->SetFileWriterForTesting(writer); }
    WineRegistryStore& Store() { return *store_; }

private:
    std::unique_ptr<WineRegistryStore> store_;
};

// OpenWineRegistryStore behind the adapter.
std::unique_ptr<WineRegistry> OpenWineRegistry(const std::string& prefixPath, std::string* error);

}  // namespace vostrel
