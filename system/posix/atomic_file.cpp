#include "system/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <ctime>

#include <fstream>
#include <sstream>

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

bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string* error) {
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

bool ReadWholeFile(const std::string& path, std::string& contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return false;
    contents = std::move(buffer).str();
    return true;
}

}  // namespace vostrel
