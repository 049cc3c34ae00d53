#include "system/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include <algorithm>
#include <ctime>

#include <limits>

namespace vostrel {

namespace {

std::string Describe(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t n = ::write(fd, contents.data(), contents.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The temporary file of a save is "<file>.vostrel-<pid>-XXXXXX": the pid of
// the process that writes it, which also holds an exclusive lock on it until
// the file is renamed or removed. Older versions wrote "<file>.vostrel-XXXXXX"
// and took no lock.
constexpr std::string_view kTempTag = ".vostrel-";

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The pid in the rest of a temporary name after the tag ("1234-Ab3xYz"), 0
// for the older form ("Ab3xYz"), -1 for a name that is not one of ours.
long TempCreator(std::string_view rest) {
    constexpr std::size_t kRandom = 6;  // mkstemp's XXXXXX
    if (rest.size() == kRandom) return rest.find('-') == std::string_view::npos ? 0 : -1;
    const auto dash = rest.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash > 10 ||
        rest.size() != dash + 1 + kRandom)
        return -1;
    long pid = 0;
    for (char c : rest.substr(0, dash)) {
        if (c < '0' || c > '9') return -1;
        pid = pid * 10 + (c - '0');
    }
    return pid > 0 ? pid : -1;
}

// The file a chain of symbolic links finally leads to (the path itself when
// it is no link, or when the chain ends nowhere within a sensible number of
// steps); the file need not exist.
std::string FinalTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return current;
        target.resize(static_cast<std::size_t>(n));
        current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
    errno = ELOOP;
    return {};
}

bool ProcessAlive(long pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

}  // namespace

int RemoveStaleTempFiles(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string prefix = BaseName(path) + std::string(kTempTag);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    const int dirFd = ::dirfd(dir);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) continue;
        const long creator = TempCreator(name.substr(prefix.size()));
        if (creator < 0 || (creator > 0 && ProcessAlive(creator))) continue;
        const int fd =
            ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        // Only a plain file of ours, whose writer holds no lock on it: a save
        // in progress keeps its lock until the file is renamed. A file of
        // the older form carries no pid and no lock, so it must also be
        // older than any save could take.
        const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
        const bool old = creator > 0 || st.st_mtime + 3600 < std::time(nullptr);
        if (ours && old && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (::unlinkat(dirFd, entry->d_name, 0) == 0) ++removed;
        }
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

bool WriteFileAtomically(const std::string& given, std::string_view contents, std::string* error) {
    // A link is kept: what it leads to is replaced, beside itself, so that
    // the rename stays on one file system and the link still finds it.
    const std::string path = FinalTarget(given);
    if (path.empty()) {
        if (error) *error = Describe("cannot follow the links of", given);
        return false;
    }
    std::string temp = path + std::string(kTempTag) + std::to_string(::getpid()) + "-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        if (error) *error = Describe("cannot create a temporary file beside", path);
        return false;
    }
    // Held until the file is closed: whoever cleans up stale temporary files
    // leaves this one alone while it is being written.
    ::flock(fd, LOCK_EX | LOCK_NB);
    struct stat original {};
    const mode_t mode = ::stat(path.c_str(), &original) == 0 ? (original.st_mode & 07777) : 0644;
    ::fchmod(fd, mode);
    const bool written = WriteAll(fd, contents) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!written) {
        errno = savedErrno;
        if (error) *error = Describe("cannot write", temp);
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        if (error) *error = Describe("cannot replace", path);
        ::unlink(temp.c_str());
        return false;
    }
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool ReadSmallTextFile(const std::string& path, std::size_t cap, std::string* text,
                       std::string* error, bool* missing) {
    if (missing) *missing = false;
    auto fail = [&](const std::string& why) {
        if (error) *error = path + " " + why;
        return false;
    };
    // Without O_NONBLOCK a FIFO would wait for a writer that never comes.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (missing) *missing = errno == ENOENT;
        return fail(std::string("cannot be opened: ") + std::strerror(errno));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int saved = errno;
        ::close(fd);
        return fail(std::string("cannot be examined: ") + std::strerror(saved));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        const char* what = S_ISDIR(st.st_mode)    ? "a folder"
                           : S_ISFIFO(st.st_mode) ? "a FIFO (named pipe)"
                           : S_ISCHR(st.st_mode)  ? "a character device"
                           : S_ISBLK(st.st_mode)  ? "a block device"
                           : S_ISSOCK(st.st_mode) ? "a socket"
                                                  : "not a regular file";
        return fail(std::string("is not a file that can be read: it is ") + what +
                    ", not a regular file");
    }
    if (static_cast<std::uint64_t>(st.st_size) > cap) {
        ::close(fd);
        return fail("is not read: it holds " + std::to_string(st.st_size) +
                    " bytes, more than the " + std::to_string(cap) + " such a file may have");
    }
    std::string out;
    out.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == out.size()) {
            // The file grew while it was read: read on, up to the cap.
            if (out.size() > cap) {
                ::close(fd);
                return fail("is not read: it grew past the " + std::to_string(cap) +
                            " bytes such a file may have");
            }
            out.resize(std::min(out.size() * 2, cap + 1));
        }
        const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int saved = errno;
            ::close(fd);
            return fail(std::string("cannot be read: ") + std::strerror(saved));
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (got > cap)
        return fail("is not read: it grew past the " + std::to_string(cap) +
                    " bytes such a file may have");
    out.resize(got);
    if (text) *text = std::move(out);
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
    // The same care as for a small file: a FIFO or a device is never read.
    return ReadSmallTextFile(path, std::numeric_limits<std::size_t>::max() / 4, &contents, nullptr);
}

}  // namespace vostrel
