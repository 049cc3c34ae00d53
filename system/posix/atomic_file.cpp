#include "system/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string* error) {
    std::string temp = path + ".vostrel-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        if (error) *error = Describe("cannot create a temporary file beside", path);
        return false;
    }
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
