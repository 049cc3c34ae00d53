#include "system/wine/wine_registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "system/atomic_file.h"
#include "system/text.h"
#include "system/wine/wineserver_lock.h"

namespace vostrel {

namespace {

constexpr LONG kRegistryIoFailed = 1016;  // ERROR_REGISTRY_IO_FAILED
constexpr int kMaxLinkFollows = 16;
constexpr std::string_view kDefaultUserSid = "S-1-5-21-0-0-0-1000";

// Calls `visit` with each name of a path, the empty ones between doubled
// backslashes skipped.
template <typename Visit>
void ForEachPathPart(std::string_view path, Visit visit) {
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto slash = path.find('\\', start);
        const auto end = slash == std::string_view::npos ? path.size() : slash;
        if (end > start) visit(path.substr(start, end - start));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
}

std::size_t Utf16Length(std::string_view text) { return WtfToUtf16(text).size(); }

std::string ShellQuote(const std::string& text) {
    if (text.find_first_not_of(
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-+,") ==
        std::string::npos)
        return text;
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    return out + "'";
}

std::string RunningMessage(const std::string& prefix, long pid) {
    const std::string quoted = ShellQuote(prefix);
    std::string who = pid > 0 ? " (wineserver process " + std::to_string(pid) + ")" : "";
    return "Wine is running on the prefix " + prefix + who +
           " and keeps its own copy of the registry, which would undo the changes. Stop it with "
           "\"WINEPREFIX=" +
           quoted + " wineserver -k\", or wait for it to end with \"WINEPREFIX=" + quoted +
           " wineserver -w\", then try again.";
}

}  // namespace

WineRegistryStore::~WineRegistryStore() {
    if (batchDepth_ > 0) {
        batchDepth_ = 1;
        EndBatch(nullptr);
    }
}

// ---------------------------------------------------------------- places

LONG WineRegistryStore::RootPlace(HKEY root, Place* place) {
    switch (root) {
        case HKEY_LOCAL_MACHINE:
            *place = {kMachine, &hives_[kMachine].file->Root()};
            return ERROR_SUCCESS;
        case HKEY_CURRENT_USER: *place = {kUser, &hives_[kUser].file->Root()}; return ERROR_SUCCESS;
        case HKEY_USERS: *place = {}; return ERROR_SUCCESS;
        case HKEY_CLASSES_ROOT: {
            int budget = kMaxLinkFollows;
            return Walk({kMachine, &hives_[kMachine].file->Root()}, "Software\\Classes", place,
                        &budget);
        }
        case HKEY_CURRENT_CONFIG: {
            int budget = kMaxLinkFollows;
            return Walk({kMachine, &hives_[kMachine].file->Root()},
                        "System\\CurrentControlSet\\Hardware Profiles\\Current", place, &budget);
        }
        case HKEY_DYN_DATA: return ERROR_FILE_NOT_FOUND;
        default: return ERROR_INVALID_HANDLE;
    }
}

LONG WineRegistryStore::Root(HKEY root, StoreKey* key) {
    Place place;
    const LONG status = RootPlace(root, &place);
    if (status == ERROR_SUCCESS) *key = KeyOf(place);
    return status;
}

std::vector<std::pair<std::string_view, WineRegistryStore::Place>> WineRegistryStore::Children(
    const Place& place) const {
    std::vector<std::pair<std::string_view, Place>> children;
    if (place.hive >= 0) {
        for (RegFileKey* sub : place.key->subkeys)
            children.emplace_back(sub->name, Place{place.hive, sub});
        return children;
    }
    children.emplace_back(".Default", Place{kDefaultUser, &hives_[kDefaultUser].file->Root()});
    children.emplace_back(userSid_, Place{kUser, &hives_[kUser].file->Root()});
    std::sort(children.begin(), children.end(),
              [](const auto& a, const auto& b) { return CompareRegNames(a.first, b.first) < 0; });
    return children;
}

// A walk lists a key's sub-keys and opens each one it is given: the one
// listed last is found without a search when it still holds its place.
RegFileKey* WineRegistryStore::LastListed(const RegFileKey& parent, std::string_view name) const {
    if (lastListed_.parent != &parent || lastListed_.index >= parent.subkeys.size()) return nullptr;
    RegFileKey* child = parent.subkeys[lastListed_.index];
    return child == lastListed_.child && child->name == name ? child : nullptr;
}

LONG WineRegistryStore::Step(Place& place, std::string_view name, int* linkBudget) {
    if (place.hive < 0) {
        for (const auto& [childName, child] : Children(place)) {
            if (CompareRegNames(childName, name) != 0) continue;
            place = child;
            return ERROR_SUCCESS;
        }
        return ERROR_FILE_NOT_FOUND;
    }
    RegFileKey* child = LastListed(*place.key, name);
    if (!child) child = hives_[place.hive].file->FindSubkey(*place.key, name);
    if (!child) return ERROR_FILE_NOT_FOUND;
    place.key = child;
    return child->symlink ? FollowLink(place, linkBudget) : ERROR_SUCCESS;
}

// A link key holds its target as REG_LINK text: "\Registry\Machine\Software\Classes".
LONG WineRegistryStore::FollowLink(Place& place, int* linkBudget) {
    if (--*linkBudget < 0) return ERROR_FILE_NOT_FOUND;
    RegFile& file = *hives_[place.hive].file;
    const RegFileValue* value = file.FindValue(*place.key, "SymbolicLinkValue");
    if (!value || value->type != REG_LINK) return ERROR_FILE_NOT_FOUND;
    const auto bytes = file.ValueBytes(*value);
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    while (!units.empty() && units.back() == 0) units.pop_back();
    const std::string target = Utf16ToWtf(units);
    const auto parts = SplitKeyPath(target);
    if (parts.size() < 2 || CompareRegNames(parts[0], "Registry") != 0) return ERROR_FILE_NOT_FOUND;
    std::size_t next = 2;
    if (CompareRegNames(parts[1], "Machine") == 0) {
        place = {kMachine, &hives_[kMachine].file->Root()};
    } else if (CompareRegNames(parts[1], "User") == 0) {
        place = {};
    } else {
        return ERROR_FILE_NOT_FOUND;
    }
    for (; next < parts.size(); ++next)
        if (LONG status = Step(place, parts[next], linkBudget); status != ERROR_SUCCESS)
            return status;
    return ERROR_SUCCESS;
}

LONG WineRegistryStore::Walk(Place start, std::string_view subKey, Place* result, int* linkBudget) {
    std::size_t depth = 0;
    ForEachPathPart(subKey, [&](std::string_view) { ++depth; });
    if (depth > kMaxKeyPathDepth) return ERROR_FILE_NOT_FOUND;
    LONG status = ERROR_SUCCESS;
    ForEachPathPart(subKey, [&](std::string_view part) {
        if (status == ERROR_SUCCESS) status = Step(start, part, linkBudget);
    });
    if (status != ERROR_SUCCESS) return status;
    *result = start;
    return ERROR_SUCCESS;
}

std::uint64_t WineRegistryStore::Identity(StoreKey key) {
    // Every key lives at one address for the registry's life; HKEY_USERS
    // itself, which is no key of a file, is 0.
    return reinterpret_cast<std::uintptr_t>(key.node);
}

// ---------------------------------------------------------------- opening keys

LONG WineRegistryStore::Open(StoreKey from, std::string_view path, StoreKey* key,
                             bool* throughLink) {
    Place place = PlaceOf(from);
    int budget = kMaxLinkFollows;
    if (LONG status = Walk(place, path, &place, &budget); status != ERROR_SUCCESS) return status;
    *key = KeyOf(place);
    if (throughLink) *throughLink = budget < kMaxLinkFollows;
    return ERROR_SUCCESS;
}

LONG WineRegistryStore::Create(StoreKey from, std::string_view path, StoreKey* key, bool* created) {
    Place place = PlaceOf(from);
    const auto parts = SplitKeyPath(path);
    if (parts.size() > kMaxKeyPathDepth) return ERROR_INVALID_PARAMETER;
    int budget = kMaxLinkFollows;
    std::size_t found = 0;
    for (; found < parts.size(); ++found) {
        Place next = place;
        const LONG status = Step(next, parts[found], &budget);
        if (status == ERROR_FILE_NOT_FOUND && place.hive >= 0 &&
            !hives_[place.hive].file->FindSubkey(*place.key, parts[found]))
            break;  // missing: created below
        if (status == ERROR_FILE_NOT_FOUND && place.hive < 0) return ERROR_ACCESS_DENIED;
        if (status != ERROR_SUCCESS) return status;
        place = next;
    }
    if (found == parts.size()) {
        if (created) *created = false;
        *key = KeyOf(place);
        return ERROR_SUCCESS;
    }
    if (place.hive < 0) return ERROR_ACCESS_DENIED;  // HKEY_USERS takes no new keys
    for (std::size_t i = found; i < parts.size(); ++i)
        if (Utf16Length(parts[i]) > kMaxKeyNameUnits) return ERROR_INVALID_PARAMETER;
    if (auto why = WriteRefusal()) {
        lastError_ = *why;
        return ERROR_ACCESS_DENIED;
    }
    RegFile& file = *hives_[place.hive].file;
    RegFileKey* parent = place.key;
    const std::uint64_t oldTime = parent->modified;
    const std::uint64_t now = FileTimeNow();
    RegFileKey* last = parent;
    for (std::size_t i = found; i < parts.size(); ++i) last = file.AddSubkey(*last, parts[i], now);
    parent->modified = now;
    if (LONG status = Commit(place.hive); status != ERROR_SUCCESS) {
        // Take the new keys out again, leaf first.
        for (RegFileKey* k = last; k != parent; k = k->parent) file.RemoveSubkey(*k->parent, k);
        parent->modified = oldTime;
        return status;
    }
    if (created) *created = true;
    *key = KeyOf({place.hive, last});
    return ERROR_SUCCESS;
}

// ---------------------------------------------------------------- reading

void WineRegistryStore::GiveValue(const RegFile& file, const RegFileValue& stored, DataWanted want,
                                  StoreValue* value) const {
    value->name = stored.name;
    value->kind = stored.type;
    value->utf8 = false;
    value->data.clear();
    if (want == DataWanted::None) return;
    // ASCII text written in the file is its own UTF-8: no UTF-16 on the way.
    if (want == DataWanted::Utf8Text && IsTextKind(stored.type) &&
        RegFile::AsciiText(stored, value->data)) {
        value->utf8 = true;
        return;
    }
    file.ValueBytes(stored, value->data);
}

LONG WineRegistryStore::ReadValue(StoreKey key, std::string_view name, DataWanted want,
                                  StoreValue* value) {
    const Place place = PlaceOf(key);
    if (place.hive < 0) return ERROR_FILE_NOT_FOUND;
    const RegFile& file = *hives_[place.hive].file;
    const RegFileValue* stored = file.FindValue(*place.key, name);
    if (!stored) return ERROR_FILE_NOT_FOUND;
    GiveValue(file, *stored, want, value);
    return ERROR_SUCCESS;
}

LONG WineRegistryStore::ValueAt(StoreKey key, std::size_t index, DataWanted want,
                                StoreValue* value) {
    const Place place = PlaceOf(key);
    if (place.hive < 0) return ERROR_NO_MORE_ITEMS;
    const RegFile& file = *hives_[place.hive].file;
    const std::span<const RegFileValue> values = file.Values(*place.key);
    if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
    GiveValue(file, values[index], want, value);
    return ERROR_SUCCESS;
}

LONG WineRegistryStore::SubkeyAt(StoreKey key, std::size_t index, std::string_view* name,
                                 std::string_view* keyClass) {
    const Place place = PlaceOf(key);
    *keyClass = {};
    if (place.hive >= 0) {
        if (index >= place.key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
        RegFileKey* sub = place.key->subkeys[index];
        lastListed_ = {place.key, index, sub};
        *name = sub->name;
        if (sub->hasClass) *keyClass = sub->keyClass;
        return ERROR_SUCCESS;
    }
    const auto children = Children(place);
    if (index >= children.size()) return ERROR_NO_MORE_ITEMS;
    *name = children[index].first;
    return ERROR_SUCCESS;
}

// ---------------------------------------------------------------- writing values

LONG WineRegistryStore::SetValue(StoreKey key, std::string_view valueName, DWORD type,
                                 std::span<const std::uint8_t> stored) {
    const Place place = PlaceOf(key);
    if (place.hive < 0) return ERROR_ACCESS_DENIED;
    const std::string name(valueName);
    if (auto why = WriteRefusal()) {
        lastError_ = *why;
        return ERROR_ACCESS_DENIED;
    }
    RegFile& file = *hives_[place.hive].file;
    RegFileKey& target = *place.key;
    file.HoldValues(target);  // `old` must outlive the values read from the text
    const RegFileValue* existing = file.FindValue(target, name);
    std::optional<RegFileValue> old;
    if (existing) {
        old = *existing;
        const auto bytes = file.ValueBytes(*existing);
        if (existing->type == type &&
            std::equal(bytes.begin(), bytes.end(), stored.begin(), stored.end()))
            return ERROR_SUCCESS;  // the same value again changes nothing, as in wineserver
    }
    const std::uint64_t oldTime = target.modified;
    file.SetValue(target, name, type, stored);
    target.modified = FileTimeNow();
    if (LONG status = Commit(place.hive); status != ERROR_SUCCESS) {
        if (old)
            file.RestoreValue(target, *old);
        else
            file.DeleteValue(target, name);
        target.modified = oldTime;
        return status;
    }
    return ERROR_SUCCESS;
}

LONG WineRegistryStore::DeleteValue(StoreKey key, std::string_view valueName) {
    const Place place = PlaceOf(key);
    if (place.hive < 0) return ERROR_ACCESS_DENIED;
    if (auto why = WriteRefusal()) {
        lastError_ = *why;
        return ERROR_ACCESS_DENIED;
    }
    RegFile& file = *hives_[place.hive].file;
    RegFileKey& target = *place.key;
    const std::string name(valueName);
    if (!file.FindValue(target, name)) return ERROR_FILE_NOT_FOUND;
    file.HoldValues(target);  // `old` must outlive the values read from the text
    const RegFileValue* existing = file.FindValue(target, name);
    const RegFileValue old = *existing;
    const std::uint64_t oldTime = target.modified;
    file.DeleteValue(target, name);
    target.modified = FileTimeNow();
    if (LONG status = Commit(place.hive); status != ERROR_SUCCESS) {
        file.RestoreValue(target, old);
        target.modified = oldTime;
        return status;
    }
    return ERROR_SUCCESS;
}

LONG WineRegistryStore::DeleteKey(StoreKey parentKey, std::string_view name) {
    const Place place = PlaceOf(parentKey);
    if (place.hive < 0) return ERROR_ACCESS_DENIED;  // HKEY_USERS keeps its hives
    RegFile& file = *hives_[place.hive].file;
    RegFileKey& parent = *place.key;
    RegFileKey* child = file.FindSubkey(parent, name);
    if (!child) return ERROR_FILE_NOT_FOUND;
    if (!child->subkeys.empty()) return ERROR_ACCESS_DENIED;
    if (auto why = WriteRefusal()) {
        lastError_ = *why;
        return ERROR_ACCESS_DENIED;
    }
    if (lastListed_.child == child) lastListed_ = {};
    const std::uint64_t oldTime = parent.modified;
    const RegFile::RemovedKey removed = file.RemoveKey(parent, child);
    parent.modified = FileTimeNow();
    if (LONG status = Commit(place.hive); status != ERROR_SUCCESS) {
        file.PutBackKey(parent, removed);
        parent.modified = oldTime;
        return status;
    }
    return ERROR_SUCCESS;
}

// ---------------------------------------------------------------- saving

void WineRegistryStore::BeginBatch() { ++batchDepth_; }

bool WineRegistryStore::EndBatch(std::string* error) {
    if (batchDepth_ == 0) return true;
    if (--batchDepth_ > 0) return true;
    batchRefusal_.reset();
    bool ok = true;
    for (int hive = 0; hive < kHiveCount; ++hive) {
        if (!hives_[hive].dirty) continue;
        if (SaveHive(hive) != ERROR_SUCCESS) {
            if (error) *error = lastError_;
            ok = false;
        }
    }
    return ok;
}

LONG WineRegistryStore::Commit(int hive) {
    const bool wasDirty = hives_[hive].dirty;
    hives_[hive].dirty = true;
    if (batchDepth_ > 0) return ERROR_SUCCESS;
    const LONG status = SaveHive(hive);
    if (status != ERROR_SUCCESS) hives_[hive].dirty = wasDirty;
    return status;
}

LONG WineRegistryStore::SaveHive(int hive) {
    Hive& h = hives_[hive];
    WineserverLock lock;
    long holder = 0;
    std::string unsure;
    if (!lock.Acquire(prefix_, &holder, &unsure)) {
        lastError_ = unsure.empty() ? RunningMessage(prefix_, holder) : unsure;
        return ERROR_ACCESS_DENIED;
    }
    bool exists = false;
    const auto stamp = StampOf(h.path, &exists);
    if (exists != h.existed || (exists && !(stamp == h.stamp))) {
        lastError_ = h.path +
                     " was changed by another program after it was read; open the prefix "
                     "again before changing its registry.";
        return ERROR_ACCESS_DENIED;
    }
    std::string contents;
    std::string why;
    if (!h.file->SaveText(contents, &why)) {
        lastError_ = "The registry file " + h.path + " was not saved: " + why + ".";
        return kRegistryIoFailed;
    }
    const bool written =
        writer_ ? writer_(h.path, contents, &why) : WriteFileAtomically(h.path, contents, &why);
    if (!written) {
        lastError_ = "The registry file could not be saved: " + why;
        return kRegistryIoFailed;
    }
    h.stamp = StampOf(h.path, &h.existed);
    h.dirty = false;
    lastError_.clear();
    return ERROR_SUCCESS;
}

WineRegistryStore::Hive::FileStamp WineRegistryStore::StampOf(const std::string& path,
                                                              bool* exists) {
    struct stat st {};
    Hive::FileStamp stamp;
    *exists = ::stat(path.c_str(), &st) == 0;
    if (!*exists) return stamp;
    stamp.dev = st.st_dev;
    stamp.ino = st.st_ino;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return stamp;
}

std::optional<std::string> WineRegistryStore::StaleHive() const {
    for (const Hive& h : hives_) {
        bool exists = false;
        const auto stamp = StampOf(h.path, &exists);
        if (exists != h.existed || (exists && !(stamp == h.stamp)))
            return h.path +
                   " was changed by another program after it was read; open the prefix "
                   "again before changing its registry.";
    }
    return std::nullopt;
}

std::optional<std::string> WineRegistryStore::WriteRefusal() {
    if (batchDepth_ > 0 && batchRefusal_) return *batchRefusal_;
    std::optional<std::string> refusal;
    if (auto unsure = WineserverUncertainty(prefix_))
        refusal = std::move(unsure);
    else if (const long pid = RunningWineserver(prefix_); pid != 0)
        refusal = RunningMessage(prefix_, pid);
    else
        refusal = StaleHive();
    if (batchDepth_ > 0) batchRefusal_ = refusal;
    return refusal;
}

// ---------------------------------------------------------------- opening a prefix

// The whole file in one buffer of its size (a growing stream buffer would
// for a moment take two to three times the file), or mapped.
bool ReadRegistryFile(const std::string& path, RegFileText& contents) {
    // Never waits on a FIFO, nor reads a device that never ends.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int saved = S_ISREG(st.st_mode) ? errno : EINVAL;
        ::close(fd);
        errno = saved;
        return false;
    }
    contents = RegFileText();
    // A file only ever replaced as a whole is mapped rather than copied (see
    // RegFileText); wineserver writes into any other file where it stands,
    // which would change or cut the text under a mapping.
    struct stat link {};
    if (S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_size > 0 &&
        ::lstat(path.c_str(), &link) == 0 && S_ISREG(link.st_mode) && link.st_ino == st.st_ino &&
        link.st_dev == st.st_dev && contents.Map(fd, static_cast<std::size_t>(st.st_size))) {
        ::close(fd);
        return true;
    }
    // One byte more than the size: a read that fills it tells that the file
    // grew meanwhile, and the buffer then doubles.
    for (std::size_t wanted = static_cast<std::size_t>(st.st_size) + 1;;
         wanted = contents.room * 2) {
        if (contents.size == contents.room && !contents.Reserve(wanted)) {
            ::close(fd);
            errno = ENOMEM;
            return false;
        }
        const ssize_t n =
            ::read(fd, contents.bytes.get() + contents.size, contents.room - contents.size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return n == 0;
        }
        contents.size += static_cast<std::size_t>(n);
    }
}

namespace {

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

}  // namespace

std::unique_ptr<WineRegistryStore> OpenWineRegistryStore(const std::string& prefixPath,
                                                         std::string* error) {
    struct stat st {};
    if (::stat(prefixPath.c_str(), &st) != 0) {
        Fail(error, "The Wine prefix " + prefixPath + " does not exist.");
        return nullptr;
    }
    if (!S_ISDIR(st.st_mode)) {
        Fail(error, prefixPath + " is not a folder, so it is not a Wine prefix.");
        return nullptr;
    }
    std::unique_ptr<WineRegistryStore> registry(new WineRegistryStore());
    registry->prefix_ = prefixPath;
    static constexpr const char* kFiles[] = {"system.reg", "user.reg", "userdef.reg"};
    for (int i = 0; i < WineRegistryStore::kHiveCount; ++i) {
        auto& hive = registry->hives_[i];
        hive.path = prefixPath + "/" + kFiles[i];
        // A save killed part way leaves its temporary file beside the hive.
        RemoveStaleTempFiles(hive.path);
        hive.stamp = WineRegistryStore::StampOf(hive.path, &hive.existed);
        if (!hive.existed) {
            if (i == WineRegistryStore::kMachine) {
                Fail(error, prefixPath + " is not a Wine prefix: it has no system.reg.");
                return nullptr;
            }
            continue;
        }
        RegFileText contents;
        if (!ReadRegistryFile(hive.path, contents)) {
            Fail(error, "Cannot read " + hive.path + ": " +
                            (errno == EINVAL ? std::string("it is not a regular file")
                                             : std::string(std::strerror(errno))));
            return nullptr;
        }
        hive.file = RegFile::Parse(hive.path, std::move(contents), error);
        if (!hive.file) return nullptr;
    }
    const std::string arch = registry->hives_[WineRegistryStore::kMachine].file->Arch();
    auto& user = registry->hives_[WineRegistryStore::kUser];
    if (!user.file)
        user.file = RegFile::Empty("REGISTRY\\User\\" + std::string(kDefaultUserSid), arch);
    auto& defaultUser = registry->hives_[WineRegistryStore::kDefaultUser];
    if (!defaultUser.file) defaultUser.file = RegFile::Empty("REGISTRY\\User\\.Default", arch);
    const auto userPath = SplitKeyPath(user.file->RelativeTo());
    registry->userSid_ =
        userPath.size() == 3 ? std::string(userPath[2]) : std::string(kDefaultUserSid);
    return registry;
}

std::unique_ptr<WineRegistry> OpenWineRegistry(const std::string& prefixPath, std::string* error) {
    auto store = OpenWineRegistryStore(prefixPath, error);
    if (!store) return nullptr;
    return std::make_unique<WineRegistry>(std::move(store));
}

}  // namespace vostrel
