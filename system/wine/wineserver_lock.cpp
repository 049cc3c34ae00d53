#include "system/wine/wineserver_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <optional>

#include "system/atomic_file.h"

namespace vostrel {

namespace {

std::string ServerFolderName(const struct stat& prefix) {
    char name[64];
    std::snprintf(name, sizeof name, "server-%llx-%llx",
                  static_cast<unsigned long long>(prefix.st_dev),
                  static_cast<unsigned long long>(prefix.st_ino));
    return name;
}

// The name Debian's Wine keeps in "<prefix>/wineserver": "wine-XXXXXX".
// Something there that is not a regular file (a FIFO would never end a
// read) is named in `unsure`: the lock's folder cannot be told then.
std::string PrivateTmpName(const std::string& prefixPath, std::string* unsure) {
    const std::string path = prefixPath + "/wineserver";
    std::string text, why;
    bool missing = false;
    if (!ReadSmallTextFile(path, 4096, &text, &why, &missing)) {
        struct stat st {};
        if (!missing && unsure && ::lstat(path.c_str(), &st) == 0) *unsure = why;
        return {};
    }
    std::string name = text.substr(0, text.find('\n'));
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return {};
    return name;
}

// Opens a lock file without waiting (a FIFO planted there would wait for a
// writer for ever): -1 when it is missing or cannot be opened; -2, with
// the reason in `unsure`, when it is there but is not a regular file.
int OpenLockFile(const std::string& path, int access, std::string* unsure) {
    const int fd = ::open(path.c_str(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        struct stat st {};
        // Not a file that opens at all (a socket, a device without a
        // driver): as untrustworthy as a FIFO.
        if (errno != ENOENT && errno != ENOTDIR && errno != EACCES &&
            ::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            if (unsure) *unsure = path + " is not a regular file";
            return -2;
        }
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (unsure) *unsure = path + " is not a regular file";
        return -2;
    }
    return fd;
}

std::string UnsureMessage(const std::string& prefixPath, const std::string& why) {
    return "It cannot be told whether Wine is running on the prefix " + prefixPath + ": " + why +
           ", where Wine keeps its lock. Nothing is changed; remove that and try again.";
}

std::vector<std::string> TempFolders() {
    std::vector<std::string> folders;
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp) folders.emplace_back(tmp);
    folders.emplace_back("/tmp");
    return folders;
}

struct flock WholeFile(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    return lock;
}

// 0 when nobody holds a lock on the file; the holder's pid, or -1 when unknown.
long Holder(int fd) {
    struct flock lock = WholeFile(F_WRLCK);
    if (::fcntl(fd, F_OFD_GETLK, &lock) != 0) return 0;
    if (lock.l_type == F_UNLCK) return 0;
    return lock.l_pid > 0 ? lock.l_pid : -1;
}

}  // namespace

namespace {

std::vector<std::string> LockPaths(const std::string& prefixPath, std::string* unsure) {
    struct stat prefix {};
    if (::stat(prefixPath.c_str(), &prefix) != 0) return {};
    const std::string server = ServerFolderName(prefix);
    std::vector<std::string> paths;
    const std::string privateName = PrivateTmpName(prefixPath, unsure);
    for (const auto& tmp : TempFolders()) {
        if (!privateName.empty()) paths.push_back(tmp + "/" + privateName + "/" + server + "/lock");
        paths.push_back(tmp + "/.wine-" + std::to_string(::getuid()) + "/" + server + "/lock");
    }
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

}  // namespace

std::vector<std::string> WineserverLockPaths(const std::string& prefixPath) {
    return LockPaths(prefixPath, nullptr);
}

long RunningWineserver(const std::string& prefixPath) {
    std::string unsure;
    const auto paths = LockPaths(prefixPath, &unsure);
    if (!unsure.empty()) return -1;  // cannot be told: as if one ran
    for (const auto& path : paths) {
        const int fd = OpenLockFile(path, O_RDONLY, nullptr);
        if (fd == -2) return -1;  // cannot be told: as if one ran
        if (fd < 0) continue;
        const long holder = Holder(fd);
        ::close(fd);
        if (holder != 0) return holder;
    }
    return 0;
}

std::optional<std::string> WineserverUncertainty(const std::string& prefixPath) {
    std::string why;
    for (const auto& path : LockPaths(prefixPath, &why)) {
        if (!why.empty()) break;
        const int fd = OpenLockFile(path, O_RDONLY, &why);
        if (fd >= 0) ::close(fd);
        if (fd == -2) break;
    }
    if (why.empty()) return std::nullopt;
    return UnsureMessage(prefixPath, why);
}

WineserverLock::~WineserverLock() { Release(); }

WineserverLock::WineserverLock(WineserverLock&& other) noexcept : fds_(std::move(other.fds_)) {
    other.fds_.clear();
}

WineserverLock& WineserverLock::operator=(WineserverLock&& other) noexcept {
    if (this != &other) {
        Release();
        fds_ = std::move(other.fds_);
        other.fds_.clear();
    }
    return *this;
}

bool WineserverLock::Acquire(const std::string& prefixPath, long* holder, std::string* unsure) {
    Release();
    if (holder) *holder = 0;
    std::string why;
    const auto paths = LockPaths(prefixPath, &why);
    for (const auto& path : paths) {
        const int fd = why.empty() ? OpenLockFile(path, O_RDWR, &why) : -2;
        if (fd == -2) {
            Release();
            if (holder) *holder = -1;
            if (unsure) *unsure = UnsureMessage(prefixPath, why);
            return false;
        }
        if (fd < 0) continue;
        struct flock lock = WholeFile(F_WRLCK);
        if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) {
            fds_.push_back(fd);
            continue;
        }
        const long who = Holder(fd);
        ::close(fd);
        Release();
        if (holder) *holder = who != 0 ? who : -1;
        return false;
    }
    if (!why.empty()) {  // the wineserver file of a prefix without lock paths
        if (holder) *holder = -1;
        if (unsure) *unsure = UnsureMessage(prefixPath, why);
        return false;
    }
    return true;
}

void WineserverLock::Release() {
    for (int fd : fds_) ::close(fd);  // closing the descriptor drops its lock
    fds_.clear();
}

}  // namespace vostrel
