#include "shortcuts/lnk_layout.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vostrel {

namespace {

constexpr std::size_t kHeaderSize = 0x4C;
constexpr std::uint32_t kHasItemList = 0x1;
constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kStringFlags[] = {0x4, 0x8, 0x10, 0x20, 0x40};  // name ... icon location
constexpr std::uint32_t kIsUnicode = 0x80;

std::uint32_t U16(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint32_t>(d[at] | (d[at + 1] << 8));
}

std::uint32_t U32(std::span<const std::uint8_t> d, std::size_t at) {
    return U16(d, at) | (U16(d, at + 2) << 16);
}

}  // namespace

bool LnkSizesFit(std::span<const std::uint8_t> data) {
    const std::size_t n = data.size();
    if (n < kHeaderSize || U32(data, 0) != kHeaderSize) return false;
    const std::uint32_t flags = U32(data, 0x14);
    std::size_t pos = kHeaderSize;
    if (flags & kHasItemList) {
        if (pos + 2 > n) return false;
        pos += 2 + U16(data, pos);
        if (pos > n) return false;
    }
    if (flags & kHasLinkInfo) {
        if (pos + 4 > n) return false;
        const std::uint32_t size = U32(data, pos);
        if (size < 4 || size > n - pos) return false;
        pos += size;
    }
    for (std::uint32_t flag : kStringFlags) {
        if (!(flags & flag)) continue;
        if (pos + 2 > n) return false;
        pos += 2 + static_cast<std::size_t>(U16(data, pos)) * ((flags & kIsUnicode) ? 2 : 1);
        if (pos > n) return false;
    }
    while (pos + 4 <= n) {
        const std::uint32_t size = U32(data, pos);
        if (size < 4) break;  // the terminal block
        if (size > n - pos) return false;
        pos += size;
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> ReadSmallRegularFile(const std::string& hostPath,
                                                              std::size_t limit) {
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::optional<std::vector<std::uint8_t>> result;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::uint64_t>(st.st_size) <= limit) {
        // Room for one byte more than the file holds, to see it grow meanwhile.
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size) + 1);
        std::size_t done = 0;
        for (;;) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                if (got == 0 && done < bytes.size()) {
                    bytes.resize(done);
                    result = std::move(bytes);
                }
                break;
            }
            done += static_cast<std::size_t>(got);
            if (done == bytes.size()) break;  // it grew meanwhile
        }
    }
    ::close(fd);
    return result;
}

}  // namespace vostrel
