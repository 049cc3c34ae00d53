#include "system/posix/beneath.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace vostrel::beneath {

namespace {

std::atomic<bool> gForceWalk{false};

bool Fail(std::string* why, std::string what) {
    if (why) *why = std::move(what);
    return false;
}

std::string ErrnoText(int error) { return std::strerror(error); }

// The components of a plain relative path.
std::vector<std::string_view> Components(std::string_view relative) {
    std::vector<std::string_view> parts;
    while (!relative.empty()) {
        const std::size_t slash = relative.find('/');
        parts.push_back(relative.substr(0, slash));
        if (slash == std::string_view::npos) break;
        relative.remove_prefix(slash + 1);
    }
    return parts;
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The kernel's own walk: one call, nothing followed, nothing above the root.
// Nothing (errno ENOSYS) where the kernel or a sandbox lacks it.
int OpenAt2(int rootFd, const std::string& relative, int flags) {
    open_how how{};
    how.flags = static_cast<unsigned long long>(flags);
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(::syscall(SYS_openat2, rootFd, relative.c_str(), &how, sizeof how));
}

std::string WalkRefusal(std::string_view relative, int error) {
    if (error == ELOOP || error == ENOTDIR || error == EXDEV)
        return std::string(relative) + " passes a link or a file where a folder should be";
    return std::string(relative) + " cannot be opened: " + ErrnoText(error);
}

bool SameBytes(int a, int b) {
    char x[8192], y[8192];
    if (::lseek(a, 0, SEEK_SET) < 0 || ::lseek(b, 0, SEEK_SET) < 0) return false;
    for (;;) {
        const ssize_t n = ::read(a, x, sizeof x);
        if (n < 0) return false;
        ssize_t got = 0;
        while (got < n) {
            const ssize_t m = ::read(b, y + got, static_cast<std::size_t>(n - got));
            if (m <= 0) return false;
            got += m;
        }
        if (n == 0) return ::read(b, y, 1) == 0;
        if (std::memcmp(x, y, static_cast<std::size_t>(n)) != 0) return false;
    }
}

bool CopyAll(int from, int to) {
    if (::lseek(from, 0, SEEK_SET) < 0) return false;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            done += w;
        }
    }
}

std::string TemporaryName(const std::string& leaf) {
    static std::mt19937_64 random{std::random_device{}()};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
    return "." + leaf.substr(0, 200) + suffix;
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.Release();
    }
    return *this;
}

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
}

void ForceComponentWalk(bool force) { gForceWalk = force; }

std::optional<Place> ShellFolderPlace(const std::string& driveC, std::string_view relative,
                                      const std::string& home) {
    if (!PlainRelative(relative) || home.empty() || home.front() != '/') return std::nullopt;
    const auto parts = Components(relative);
    if (parts.size() < 4 || parts[0] != "users") return std::nullopt;
    // Only the link itself is read; its folder is walked without links.
    const std::string linkFolder = "users/" + std::string(parts[1]);
    UniqueFd root(::open(driveC.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root.Valid()) return std::nullopt;
    UniqueFd user = OpenFolderBeneath(root.Get(), linkFolder, false, nullptr);
    if (!user.Valid()) return std::nullopt;
    const std::string name(parts[2]);
    char target[4096];
    const ssize_t size = ::readlinkat(user.Get(), name.c_str(), target, sizeof target - 1);
    if (size <= 0) return std::nullopt;
    target[size] = '\0';
    // The link may name the home folder itself (a desktop folder set to $HOME).
    std::string relativeTarget;
    if (std::string_view(target) != home) {
        const auto inHome = RelativeTo(home, target);
        if (!inHome) return std::nullopt;
        relativeTarget = *inHome;
    }
    std::string rest = relativeTarget;
    for (std::size_t i = 3; i < parts.size(); ++i)
        rest += (rest.empty() ? "" : "/") + std::string(parts[i]);
    return Place{home, rest};
}

bool PlainRelative(std::string_view relative) {
    if (relative.empty() || relative.front() == '/' ||
        relative.find('\0') != std::string_view::npos)
        return false;
    for (std::string_view part : Components(relative))
        if (part.empty() || part == "." || part == "..") return false;
    return true;
}

std::optional<std::string> RelativeTo(std::string_view root, std::string_view path) {
    while (root.size() > 1 && root.back() == '/') root.remove_suffix(1);
    if (root.empty() || root.front() != '/') return std::nullopt;
    const std::size_t cut = root == "/" ? 1 : root.size() + 1;
    if (path.size() <= cut || path.compare(0, root.size(), root) != 0 || path[cut - 1] != '/')
        return std::nullopt;
    std::string relative(path.substr(cut));
    if (!PlainRelative(relative)) return std::nullopt;
    return relative;
}

UniqueFd OpenFolderBeneath(int rootFd, std::string_view relative, bool create, std::string* why) {
    if (relative.empty()) {
        UniqueFd again(::openat(rootFd, ".", kFolderFlags));
        if (!again.Valid()) Fail(why, "the folder cannot be opened: " + ErrnoText(errno));
        return again;
    }
    if (!PlainRelative(relative)) {
        errno = EINVAL;
        Fail(why, std::string(relative) + " is not a plain path below its folder");
        return UniqueFd();
    }
    if (!gForceWalk) {
        UniqueFd fd(OpenAt2(rootFd, std::string(relative), kFolderFlags));
        if (fd.Valid()) return fd;
        const int error = errno;
        // Missing folders to make, or no openat2: the walk below does it.
        if (error != ENOSYS && error != EPERM && error != EAGAIN && !(create && error == ENOENT)) {
            Fail(why, WalkRefusal(relative, error));
            errno = error;
            return UniqueFd();
        }
    }
    UniqueFd current(::openat(rootFd, ".", kFolderFlags));
    if (!current.Valid()) {
        Fail(why, "the folder cannot be opened: " + ErrnoText(errno));
        return current;
    }
    for (std::string_view part : Components(relative)) {
        const std::string name(part);
        UniqueFd next(::openat(current.Get(), name.c_str(), kFolderFlags));
        if (!next.Valid() && errno == ENOENT && create) {
            if (::mkdirat(current.Get(), name.c_str(), 0700) != 0 && errno != EEXIST) {
                const int error = errno;
                Fail(why, "the folder " + std::string(relative) +
                              " cannot be made: " + ErrnoText(error));
                errno = error;
                return UniqueFd();
            }
            next = UniqueFd(::openat(current.Get(), name.c_str(), kFolderFlags));
        }
        if (!next.Valid()) {
            const int error = errno;
            Fail(why, WalkRefusal(relative, error));
            errno = error;
            return UniqueFd();
        }
        current = std::move(next);
    }
    return current;
}

std::optional<Parent> OpenParentBeneath(const std::string& root, std::string_view relative,
                                        bool create, std::string* why, RootLink rootLink) {
    if (!PlainRelative(relative)) {
        errno = EINVAL;
        Fail(why, std::string(relative) + " is not a plain path below " + root);
        return std::nullopt;
    }
    UniqueFd rootFd(::open(root.c_str(), rootLink == RootLink::Follow
                                             ? O_RDONLY | O_DIRECTORY | O_CLOEXEC
                                             : kFolderFlags));
    if (!rootFd.Valid()) {
        const int error = errno;
        Fail(why, "the folder " + root +
                      (error == ELOOP || error == ENOTDIR
                           ? std::string(" cannot be opened without following a link")
                           : " cannot be opened: " + ErrnoText(error)));
        errno = error;
        return std::nullopt;
    }
    const std::size_t slash = relative.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash);
    Parent parent;
    parent.dir = OpenFolderBeneath(rootFd.Get(), folder, create, why);
    if (!parent.dir.Valid()) return std::nullopt;
    parent.leaf =
        std::string(slash == std::string_view::npos ? relative : relative.substr(slash + 1));
    return parent;
}

LeafState StateAt(int dirFd, const std::string& leaf) {
    struct stat st {};
    if (::fstatat(dirFd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? LeafState::Gone : LeafState::Other;
    return S_ISREG(st.st_mode) ? LeafState::Regular : LeafState::Other;
}

LeafState StateBeneath(const std::string& root, std::string_view relative) {
    const auto parent = OpenParentBeneath(root, relative, false, nullptr);
    if (!parent) return errno == ENOENT ? LeafState::Gone : LeafState::Other;
    return StateAt(parent->dir.Get(), parent->leaf);
}

UniqueFd OpenRegularBeneath(const std::string& root, std::string_view relative, std::string* why,
                            RootLink rootLink) {
    const auto parent = OpenParentBeneath(root, relative, false, why, rootLink);
    if (!parent) return UniqueFd();
    UniqueFd fd(::openat(parent->dir.Get(), parent->leaf.c_str(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) {
        Fail(why, std::string(relative) +
                      " cannot be opened without following a link: " + ErrnoText(errno));
        return fd;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        Fail(why, std::string(relative) + " is not a plain file");
        errno = EINVAL;
        return UniqueFd();
    }
    // Reads from here on may block as on any plain file.
    ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool RemoveRegularBeneath(const std::string& root, std::string_view relative, std::string* why) {
    std::string walk;
    const auto parent = OpenParentBeneath(root, relative, false, &walk);
    if (!parent) {
        if (errno == ENOENT) return Fail(why, "it is gone already");
        return Fail(why, "it is not reached without passing a link: " + walk);
    }
    switch (StateAt(parent->dir.Get(), parent->leaf)) {
        case LeafState::Gone: return Fail(why, "it is gone already");
        case LeafState::Other: return Fail(why, "it is no longer a plain file");
        case LeafState::Regular: break;
    }
    if (::unlinkat(parent->dir.Get(), parent->leaf.c_str(), 0) != 0)
        return Fail(why, "it could not be deleted: " + ErrnoText(errno));
    ::fsync(parent->dir.Get());
    return true;
}

WriteResult WriteNewBeneath(const std::string& root, std::string_view relative, int source,
                            unsigned mode, std::string* why, RootLink rootLink) {
    std::string walk;
    auto parent = OpenParentBeneath(root, relative, true, &walk, rootLink);
    if (!parent) {
        Fail(why, walk);
        return WriteResult::Failed;
    }
    const int dir = parent->dir.Get();
    const std::string& leaf = parent->leaf;
    const auto there = [&]() -> WriteResult {
        UniqueFd existing(
            ::openat(dir, leaf.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (existing.Valid() && ::fstat(existing.Get(), &st) == 0 && S_ISREG(st.st_mode) &&
            SameBytes(source, existing.Get()))
            return WriteResult::SameAlready;
        Fail(why, "another file is already there");
        return WriteResult::InTheWay;
    };
    if (StateAt(dir, leaf) != LeafState::Gone) return there();
    std::string temporary;
    UniqueFd out;
    for (int attempt = 0; attempt < 16 && !out.Valid(); ++attempt) {
        temporary = TemporaryName(leaf);
        out = UniqueFd(::openat(dir, temporary.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode & 0777));
        if (!out.Valid() && errno != EEXIST) break;
    }
    if (!out.Valid()) {
        Fail(why, "a file cannot be made in its folder: " + ErrnoText(errno));
        return WriteResult::Failed;
    }
    // The creation mask may have narrowed the mode; never widen it past `mode`.
    const bool written = ::fchmod(out.Get(), mode & 0777) == 0 && CopyAll(source, out.Get()) &&
                         ::fsync(out.Get()) == 0;
    const int writeError = errno;
    out = UniqueFd();
    if (!written) {
        ::unlinkat(dir, temporary.c_str(), 0);
        Fail(why, "it cannot be written: " + ErrnoText(writeError));
        return WriteResult::Failed;
    }
    // Takes the name only when it is free: renameat2(RENAME_NOREPLACE), or a
    // hard link where the file system lacks it.
    int status = ::renameat2(dir, temporary.c_str(), dir, leaf.c_str(), RENAME_NOREPLACE);
    if (status != 0 && (errno == EINVAL || errno == ENOSYS)) {
        status = ::linkat(dir, temporary.c_str(), dir, leaf.c_str(), 0);
        const int linkError = errno;
        ::unlinkat(dir, temporary.c_str(), 0);
        errno = linkError;
    }
    if (status != 0) {
        const int error = errno;
        ::unlinkat(dir, temporary.c_str(), 0);
        if (error == EEXIST) return there();
        Fail(why, "it cannot take its name: " + ErrnoText(error));
        return WriteResult::Failed;
    }
    if (::fsync(dir) != 0) {
        Fail(why, "its folder cannot be flushed: " + ErrnoText(errno));
        return WriteResult::Failed;
    }
    return WriteResult::Written;
}

}  // namespace vostrel::beneath
