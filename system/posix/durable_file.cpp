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

void CloseKeepingErrnoEarly(int fd) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

}  // namespace

bool AppendDurably(const std::string& path, std::string_view bytes, std::string* error) {
    struct stat st {};
    const bool existed = ::stat(path.c_str(), &st) == 0;
    // A FIFO at the path would make the open wait for a reader.
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0) return Fail(error, "cannot open " + path);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return Fail(error, path + " is not a plain file");
    }
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    if (!written) return Fail(error, "cannot write " + path);
    if (!existed && !SyncFolderOf(path)) return Fail(error, "cannot flush the folder of " + path);
    return true;
}

bool CopyDurably(const std::string& from, const std::string& to, std::string* error) {
    const int in = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (in < 0) return Fail(error, "cannot read " + from);
    struct stat source {};
    if (::fstat(in, &source) != 0 || !S_ISREG(source.st_mode)) {
        CloseKeepingErrnoEarly(in);
        if (errno == 0) errno = EINVAL;
        return Fail(error, from + " is not a plain file");
    }
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

namespace vostrel {

namespace {

int CloseKeepingErrno(int fd) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return -1;
}

class PosixAppendOnlyFile : public AppendOnlyFile {
public:
    PosixAppendOnlyFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixAppendOnlyFile() override { ::close(fd_); }

    bool Append(std::string_view bytes, std::string* error) override {
        if (WriteAll(fd_, bytes)) {
            complete_ += static_cast<off_t>(bytes.size());
            return true;
        }
        const int saved = errno;
        // A torn record is cut off before anything else is written.
        const bool cut = ::ftruncate(fd_, complete_) == 0 &&
                         ::lseek(fd_, complete_, SEEK_SET) >= 0 && ::fsync(fd_) == 0;
        errno = saved;
        std::string what = "cannot write " + path_;
        if (!cut) what += " (and the unfinished record could not be cut off)";
        return Fail(error, what);
    }

    bool Sync(std::string* error) override {
        if (::fsync(fd_) != 0) return Fail(error, "cannot flush " + path_);
        return true;
    }

private:
    int fd_;
    std::string path_;
    off_t complete_ = 0;
};

bool SameBytes(int a, int b) {
    char left[65536], right[65536];
    for (;;) {
        const ssize_t n = ::read(a, left, sizeof left);
        if (n < 0) return false;
        ssize_t got = 0;
        while (got < n) {
            const ssize_t m = ::read(b, right + got, static_cast<std::size_t>(n - got));
            if (m <= 0) return false;
            got += m;
        }
        if (std::memcmp(left, right, static_cast<std::size_t>(n)) != 0) return false;
        if (n == 0) {
            char extra;
            return ::read(b, &extra, 1) == 0;
        }
    }
}

bool CopyFd(int in, int out) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!WriteAll(out, std::string_view(buffer, static_cast<std::size_t>(n)))) return false;
    }
}

}  // namespace

std::unique_ptr<AppendOnlyFile> CreateAppendOnlyFile(const std::string& path, bool* exists,
                                                     std::string* error) {
    if (exists) *exists = false;
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (exists) *exists = errno == EEXIST;
        Fail(error, "cannot create " + path);
        return nullptr;
    }
    return std::make_unique<PosixAppendOnlyFile>(fd, path);
}

bool CreatePrivateFolder(const std::string& path, bool* exists, std::string* error) {
    if (exists) *exists = false;
    if (::mkdir(path.c_str(), 0700) == 0) return true;
    if (exists) *exists = errno == EEXIST;
    return Fail(error, "cannot create the folder " + path);
}

bool SyncFolder(const std::string& path, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Fail(error, "cannot open the folder " + path);
    const bool ok = ::fsync(fd) == 0;
    CloseKeepingErrno(fd);
    if (!ok) return Fail(error, "cannot flush the folder " + path);
    return true;
}

bool CopyIntoFolderExclusively(const std::string& from, const std::string& folder,
                               const std::string& name, std::string* error) {
    if (!IsPlainFileName(name)) {
        errno = EINVAL;
        return Fail(error, "not a plain file name: " + name);
    }
    const int in = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) return Fail(error, "cannot read " + from);
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        CloseKeepingErrno(in);
        if (errno == 0) errno = EINVAL;
        return Fail(error, from + " is not a plain file");
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) {
        CloseKeepingErrno(in);
        return Fail(error, "cannot open the folder " + folder);
    }
    // The copy keeps the shortcut's permissions (its folder is the owner's
    // alone), so that a restore gives them back.
    const int out =
        ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                 (st.st_mode & 0777) | S_IRUSR);
    ::close(dir);
    if (out < 0) {
        CloseKeepingErrno(in);
        return Fail(error, "cannot create " + folder + "/" + name);
    }
    const bool ok = CopyFd(in, out) && ::fsync(out) == 0;
    const int saved = errno;
    ::close(in);
    ::close(out);
    errno = saved;
    if (!ok) {
        ::unlink((folder + "/" + name).c_str());  // no half copy stays behind
        errno = saved;
        return Fail(error, "cannot copy " + from + " to " + folder + "/" + name);
    }
    return true;
}

std::optional<std::string> SharedFolderRefusal(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return std::nullopt;
    if (!S_ISDIR(st.st_mode)) return folder + " is not a folder";
    if (st.st_uid != ::geteuid() && st.st_uid != 0)
        return "the backup folder " + folder + " belongs to another user (uid " +
               std::to_string(st.st_uid) + "); choose a folder of your own";
    const bool othersWrite =
        (st.st_mode & S_IWOTH) != 0 || ((st.st_mode & S_IWGRP) != 0 && st.st_gid != ::getegid());
    if (othersWrite && (st.st_mode & S_ISVTX) == 0)
        return "the backup folder " + folder +
               " can be written by other users; choose a folder of your own";
    return std::nullopt;
}

std::optional<std::string> ForeignBackupFileRefusal(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0) return std::nullopt;
    if (!S_ISREG(st.st_mode)) return "the backup " + path + " is not a regular file";
    if (st.st_uid != ::geteuid() && st.st_uid != 0)
        return "the backup " + path + " belongs to another user (uid " + std::to_string(st.st_uid) +
               "), who could have put anything in it";
    const bool othersWrite =
        (st.st_mode & S_IWOTH) != 0 || ((st.st_mode & S_IWGRP) != 0 && st.st_gid != ::getegid());
    if (othersWrite) return "the backup " + path + " can be written by other users";
    return std::nullopt;
}

PutBackResult PutBackCopy(const std::string& folder, const std::string& name, const std::string& to,
                          std::string* error) {
    if (!IsPlainFileName(name)) {
        errno = EINVAL;
        Fail(error, "the copy's name \"" + name + "\" is not a plain file name in " + folder);
        return PutBackResult::Failed;
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) {
        Fail(error, "cannot open the folder " + folder);
        return PutBackResult::Failed;
    }
    const int in = ::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    ::close(dir);
    if (in < 0) {
        Fail(error, "the copy " + name + " cannot be opened without following a link");
        return PutBackResult::Failed;
    }
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        CloseKeepingErrno(in);
        if (errno == 0) errno = EINVAL;
        Fail(error, "the copy " + name + " is not a plain file");
        return PutBackResult::Failed;
    }
    const int out =
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0 && errno == EEXIST) {
        const int there = ::open(to.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat thereStat {};
        const bool same = there >= 0 && ::fstat(there, &thereStat) == 0 &&
                          S_ISREG(thereStat.st_mode) && thereStat.st_size == st.st_size &&
                          SameBytes(in, there);
        if (there >= 0) ::close(there);
        ::close(in);
        if (same) return PutBackResult::SameAlready;
        errno = EEXIST;
        Fail(error, "a different file is already at " + to);
        return PutBackResult::InTheWay;
    }
    if (out < 0) {
        CloseKeepingErrno(in);
        Fail(error, "cannot create " + to);
        return PutBackResult::Failed;
    }
    // The creation mask may have narrowed the mode; never widen it past
    // the copy's.
    bool ok = ::fchmod(out, st.st_mode & 0777) == 0 && CopyFd(in, out) && ::fsync(out) == 0;
    const int saved = errno;
    ::close(in);
    ::close(out);
    errno = saved;
    if (!ok) {
        ::unlink(to.c_str());
        errno = saved;
        Fail(error, "cannot write " + to);
        return PutBackResult::Failed;
    }
    if (!SyncFolderOf(to)) {
        Fail(error, "cannot flush the folder of " + to);
        return PutBackResult::Failed;
    }
    return PutBackResult::Written;
}

bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\\') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace vostrel
