// Host files that must be on the disk before the program goes on: a backup
// record is appended and flushed before the value it saves is deleted, a
// shortcut is copied and flushed before the shortcut is deleted.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vostrel {

// Appends the bytes to the file (created when missing) and flushes the file
// and, when it was created, its folder. True when all of it is on the disk.
bool AppendDurably(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// Copies a file over `to` (replacing it) and flushes the copy and its folder.
bool CopyDurably(const std::string& from, const std::string& to, std::string* error = nullptr);

}  // namespace vostrel

namespace vostrel {

// A backup file while a repair writes it. It is created exclusively (an
// existing file or a link planted at its name is never opened) and readable
// by its owner only. Records are appended without a flush each; Sync puts
// everything appended so far on the disk at once (group commit). An append
// that fails part way cuts the file back to the end of the last complete
// record and flushes it, so that the next record never joins a torn line.
class AppendOnlyFile {
public:
    virtual ~AppendOnlyFile() = default;
    virtual bool Append(std::string_view bytes, std::string* error = nullptr) = 0;
    virtual bool Sync(std::string* error = nullptr) = 0;
};

// Nothing when `path` exists already (`exists` is then set) or cannot be
// created.
std::unique_ptr<AppendOnlyFile> CreateAppendOnlyFile(const std::string& path, bool* exists,
                                                     std::string* error = nullptr);

// Creates a folder that must not exist yet, readable by its owner only.
bool CreatePrivateFolder(const std::string& path, bool* exists, std::string* error = nullptr);

// Flushes a folder's entries (new names in it) to the disk.
bool SyncFolder(const std::string& path, std::string* error = nullptr);

// Copies `from` (a regular file) into `folder` as the new file `name`,
// never replacing anything and keeping the file's permissions, flushed to
// the disk (the folder itself is not).
bool CopyIntoFolderExclusively(const std::string& from, const std::string& folder,
                               const std::string& name, std::string* error = nullptr);

// Why the program must not write backups into `folder`, nor take them from
// it: it belongs to another user (neither the user nor root), another user
// may write to it (and it is not sticky), or it is not a folder. Nothing
// when it is safe or does not exist yet.
std::optional<std::string> SharedFolderRefusal(const std::string& folder);

// Why a backup file must not be restored: it belongs to another user
// (neither the user nor root), another user may write to it, or it is not a
// regular file; its owner could have put any record in it. Nothing when
// it is the user's own file (or does not exist).
std::optional<std::string> ForeignBackupFileRefusal(const std::string& path);

// Puts the file `name` of `folder` back at `to`. The name must be a plain
// file name (no separator, not "." or ".."), and the file a regular file
// reached without following a link. `to` is created new, with the copy's
// permissions and never wider; when a file is already there the copy is not
// written, and the result says whether that file holds the same bytes.
enum class PutBackResult { Written, SameAlready, InTheWay, Failed };
PutBackResult PutBackCopy(const std::string& folder, const std::string& name, const std::string& to,
                          std::string* error = nullptr);

// True for a name that stays inside its folder: not empty, no separator,
// not "." or "..".
bool IsPlainFileName(std::string_view name);

}  // namespace vostrel
