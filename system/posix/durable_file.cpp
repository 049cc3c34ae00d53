#include "system/durable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vostrel {

namespace {

bool Fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool SyncFolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

bool AppendDurably(const std::string& path, std::string_view bytes, std::string* error) {
    struct stat st {};
    const bool existed = ::stat(path.c_str(), &st) == 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return Fail(error, "cannot open " + path);
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    if (!written) return Fail(error, "cannot write " + path);
    if (!existed && !SyncFolderOf(path)) return Fail(error, "cannot flush the folder of " + path);
    return true;
}

bool CopyDurably(const std::string& from, const std::string& to, std::string* error) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Fail(error, "cannot read " + from);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        const int saved = errno;
        ::close(in);
        errno = saved;
        return Fail(error, "cannot create " + to);
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (!WriteAll(out, std::string_view(buffer, static_cast<std::size_t>(n)))) {
            ok = false;
            break;
        }
    }
    ok = ok && ::fsync(out) == 0;
    const int saved = errno;
    ::close(in);
    ::close(out);
    errno = saved;
    if (!ok) return Fail(error, "cannot copy " + from + " to " + to);
    if (!SyncFolderOf(to)) return Fail(error, "cannot flush the folder of " + to);
    return true;
}

}  // namespace vostrel
