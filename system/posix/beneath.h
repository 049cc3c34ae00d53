// Reaching a file beneath a root folder without ever leaving it: no "..",
// no absolute part, and no symbolic link followed on the way, neither in
// the middle of the path nor at its end. Files are then acted on through
// the open parent folder (unlinkat, openat, renameat), never again through
// the path string, so a folder swapped for a link after the walk cannot
// send the action elsewhere.
//
// The walk uses openat2(RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS) where the
// kernel has it, and otherwise opens one component at a time with
// O_NOFOLLOW | O_DIRECTORY. The root itself is opened as given (it is one
// of the user's own folders, named by the caller).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vostrel::beneath {

// An open file descriptor, closed with the object.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd();

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_ = -1;
};

// True for a relative path the walk accepts: not empty, not absolute, no
// empty, "." or ".." component, no NUL byte.
bool PlainRelative(std::string_view relative);

// `path` relative to `root` when it is a plain path strictly below it
// (compared as text, both absolute): "a/b" for root "/r" and path "/r/a/b".
std::optional<std::string> RelativeTo(std::string_view root, std::string_view path);

// Opens the folder `relative` beneath the open folder `rootFd` (an empty
// relative path opens the root again). With `create`, missing folders are
// made (mode 0700 and the creation mask), never through a link.
UniqueFd OpenFolderBeneath(int rootFd, std::string_view relative, bool create, std::string* why);

// Whether the root folder itself may be a link (one of the user's folders,
// named by the user) or must not be (a folder this program made).
enum class RootLink { Follow, Refuse };

// The open parent folder of `relative` beneath the folder `root`, and the
// last component's name.
struct Parent {
    UniqueFd dir;
    std::string leaf;
};
std::optional<Parent> OpenParentBeneath(const std::string& root, std::string_view relative,
                                        bool create, std::string* why,
                                        RootLink rootLink = RootLink::Follow);

// What is at a name of an open folder, not following a link.
enum class LeafState { Regular, Gone, Other };
LeafState StateAt(int dirFd, const std::string& leaf);
// The same for `relative` beneath `root`: Other also when the way there
// leaves the root or passes a link.
LeafState StateBeneath(const std::string& root, std::string_view relative);

// Opens a regular file beneath `root` for reading, without following a
// link and without blocking on a FIFO or a device (which are refused).
UniqueFd OpenRegularBeneath(const std::string& root, std::string_view relative, std::string* why,
                            RootLink rootLink = RootLink::Follow);

// Removes the regular file `relative` beneath `root` through its parent
// folder's descriptor, and flushes the folder. False, with the reason,
// when it is gone, is something else, or cannot be removed.
bool RemoveRegularBeneath(const std::string& root, std::string_view relative, std::string* why);

// Writes the bytes of the open regular file `source` as the new file
// `relative` beneath `root` with `mode`: folders on the way are made, the
// bytes go to a temporary name in the same folder, are flushed, and the
// file takes its name only when nothing is there (never replacing a file).
// When a file is already there, the result says whether it holds the same
// bytes.
enum class WriteResult { Written, SameAlready, InTheWay, Failed };
WriteResult WriteNewBeneath(const std::string& root, std::string_view relative, int source,
                            unsigned mode, std::string* why, RootLink rootLink = RootLink::Follow);

// Wine links the shell folders of a prefix's user (drive_c/users/<user>/
// Desktop, Documents, ...) to the user's own folders in $HOME. For a path
// `relative` beneath the prefix's drive_c that passes such a link as its
// third component, the place it stands for beneath `home`: the link is
// read, and taken only when it points, as a plain absolute path, into
// `home`; what follows it is walked beneath `home` like any other path.
// Nothing for any other path or link.
struct Place {
    std::string root;
    std::string relative;
};
std::optional<Place> ShellFolderPlace(const std::string& driveC, std::string_view relative,
                                      const std::string& home);

// For tests: walk component by component even where openat2 is there.
void ForceComponentWalk(bool force);

}  // namespace vostrel::beneath
