// The input of a fuzz run as a file that readers taking a path can open: a
// memory file named through /proc/self/fd, rewritten for every run, so that
// fuzzing writes nothing to disk.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace vostrel::fuzz {

inline const std::string& InputFile(const std::uint8_t* data, std::size_t size) {
    static const int fd = ::memfd_create("fuzz-input", MFD_CLOEXEC);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ::ftruncate(fd, 0) != 0) std::abort();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
    return path;
}

}  // namespace vostrel::fuzz
