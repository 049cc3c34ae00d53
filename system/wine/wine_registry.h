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
// its SymbolicLinkValue, as Windows does. Handles check the access they were
// opened with. Names and text data reach the program in full Unicode (UTF-8),
// as Wine's wide functions see them: nothing passes through the ANSI code
// page, while buffer sizes and ERROR_MORE_DATA follow the A functions'
// rules, counted in bytes of that UTF-8.
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
#include <unordered_map>
#include <vector>

#include "system/registry_api.h"
#include "system/wine/wine_reg_file.h"

namespace vostrel {

class WineRegistry final : public RegistryApi {
public:
    ~WineRegistry() override;

    LONG OpenKeyEx(HKEY key, std::string_view subKey, DWORD access, HKEY* result) override;
    LONG OpenKey(HKEY key, std::string_view subKey, HKEY* result) override;
    LONG CreateKeyEx(HKEY key, std::string_view subKey, DWORD options, DWORD access, HKEY* result,
                     DWORD* disposition) override;
    LONG QueryValueEx(HKEY key, std::string_view valueName, DWORD* type, std::uint8_t* data,
                      DWORD* cbData) override;
    LONG SetValueEx(HKEY key, std::string_view valueName, DWORD type, const std::uint8_t* data,
                    DWORD cbData) override;
    LONG DeleteValue(HKEY key, std::string_view valueName) override;
    LONG EnumKeyEx(HKEY key, DWORD index, char* name, DWORD* cchName, char* cls,
                   DWORD* cchClass) override;
    LONG EnumValue(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* type,
                   std::uint8_t* data, DWORD* cbData) override;
    LONG CloseKey(HKEY key) override;
    DWORD GetPlatformId() override { return 2; }
    LONG QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type,
                       std::vector<std::uint8_t>* data) override;
    LONG SetValueRaw(HKEY key, std::string_view valueName, DWORD type,
                     std::span<const std::uint8_t> data) override;
    std::optional<std::string> WriteRefusal() override;
    bool KeyIdentity(HKEY key, std::uint64_t* id, bool* throughLink) override;

    // Defers the saves of every write until the matching EndBatch (batches
    // nest; the outermost EndBatch saves). EndBatch saves each changed hive
    // and returns false, with the reason in *error, when one could not be
    // saved; its changes then stay in memory and the next save retries them.
    void BeginBatch() override;
    bool EndBatch(std::string* error = nullptr) override;

    // Why the last write failed, or empty.
    const std::string& LastError() const { return lastError_; }
    const std::string& PrefixPath() const { return prefix_; }

    // The file writer; tests replace it to fail or to stop part way.
    using FileWriter = bool (*)(const std::string& path, std::string_view contents, std::string* error);
    void SetFileWriterForTesting(FileWriter writer) { writer_ = writer; }

private:
    friend std::unique_ptr<WineRegistry> OpenWineRegistry(const std::string&, std::string*);

    enum HiveId { kMachine = 0, kUser = 1, kDefaultUser = 2, kHiveCount = 3 };
    struct Hive {
        std::string path;
        std::unique_ptr<RegFile> file;
        bool existed = false;   // the file was there when read
        struct FileStamp {
            std::uint64_t dev = 0, ino = 0, size = 0;
            std::int64_t mtimeNs = 0, ctimeNs = 0;
            bool operator==(const FileStamp&) const = default;
        } stamp;
        bool dirty = false;
    };
    // Where a handle points: a key of a hive, or the HKEY_USERS list.
    struct Place {
        int hive = -1;                // -1: HKEY_USERS itself
        RegFileKey* key = nullptr;
    };
    struct Handle {
        Place place;
        DWORD access = 0;
        bool throughLink = false;  // opening it followed a symbolic link
    };

    WineRegistry() = default;
    LONG ResolveHandle(HKEY key, DWORD need, Place* place);
    LONG Walk(Place start, std::string_view subKey, Place* result, int* linkBudget);
    LONG Step(Place& place, std::string_view name, int* linkBudget);
    RegFileKey* LastListed(const RegFileKey& parent, std::string_view name) const;
    LONG FollowLink(Place& place, int* linkBudget);
    LONG RootPlace(HKEY root, Place* place);
    HKEY NewHandle(Place place, DWORD access, bool throughLink = false);
    std::vector<std::pair<std::string_view, Place>> Children(const Place& place) const;
    static LONG CopyChildName(std::string_view nameA, std::string_view className, char* name,
                              DWORD* cchName, char* cls, DWORD* cchClass);

    LONG StoreValue(HKEY key, std::string_view valueName, DWORD type,
                    std::span<const std::uint8_t> stored);
    LONG Commit(int hive);
    LONG SaveHive(int hive);
    std::optional<std::string> StaleHive() const;
    static Hive::FileStamp StampOf(const std::string& path, bool* exists);

    std::string prefix_;
    std::array<Hive, kHiveCount> hives_;
    std::string userSid_;
    std::unordered_map<HKEY, Handle> handles_;
    HKEY nextHandle_ = 0x100;
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
    } lastListed_;  // the sub-key EnumKeyEx handed out last
    // Reused by the read calls so that a walk allocates nothing per value.
    std::vector<std::uint8_t> dataScratch_;
};

// Reads the registry of the Wine prefix at `prefixPath`. Nothing (and the
// reason in *error, naming the file and line when a file is malformed) when
// the folder does not exist, is not a Wine prefix or holds a registry file
// that cannot be read. Opening changes nothing in the prefix, except that it
// removes the temporary files of saves whose process was killed part way
// (their process is gone; the hive itself was never touched by them).
std::unique_ptr<WineRegistry> OpenWineRegistry(const std::string& prefixPath, std::string* error);

}  // namespace vostrel
