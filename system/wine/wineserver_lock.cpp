#include "system/wine/wineserver_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <fstream>

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
std::string PrivateTmpName(const std::string& prefixPath) {
    std::ifstream in(prefixPath + "/wineserver");
    std::string name;
    if (!in || !std::getline(in, name)) return {};
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return {};
    return name;
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

std::vector<std::string> WineserverLockPaths(const std::string& prefixPath) {
    struct stat prefix {};
    if (::stat(prefixPath.c_str(), &prefix) != 0) return {};
    const std::string server = ServerFolderName(prefix);
    std::vector<std::string> paths;
    const std::string privateName = PrivateTmpName(prefixPath);
    for (const auto& tmp : TempFolders()) {
        if (!privateName.empty()) paths.push_back(tmp + "/" + privateName + "/" + server + "/lock");
        paths.push_back(tmp + "/.wine-" + std::to_string(::getuid()) + "/" + server + "/lock");
    }
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

long RunningWineserver(const std::string& prefixPath) {
    for (const auto& path : WineserverLockPaths(prefixPath)) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        const long holder = Holder(fd);
        ::close(fd);
        if (holder != 0) return holder;
    }
    return 0;
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

bool WineserverLock::Acquire(const std::string& prefixPath, long* holder) {
    Release();
    if (holder) *holder = 0;
    for (const auto& path : WineserverLockPaths(prefixPath)) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
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
    return true;
}

void WineserverLock::Release() {
    for (int fd : fds_) ::close(fd);  // closing the descriptor drops its lock
    fds_.clear();
}

}  // namespace vostrel
