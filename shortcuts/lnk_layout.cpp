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

namespace {

using Bytes = std::span<const std::uint8_t>;

// A NUL-terminated ANSI text at `at` of a block; nothing when it runs past it.
std::optional<std::string> AnsiIn(Bytes block, std::size_t at) {
    if (at >= block.size()) return std::nullopt;
    std::string text;
    for (std::size_t i = at; i < block.size(); ++i) {
        if (block[i] == 0) return text;
        text.push_back(static_cast<char>(block[i]));
    }
    return std::nullopt;
}

// A NUL-terminated UTF-16 text at `at` of a block; nothing when it runs past it.
std::optional<std::u16string> Utf16In(Bytes block, std::size_t at) {
    std::u16string text;
    for (std::size_t i = at; i + 1 < block.size(); i += 2) {
        const auto c = static_cast<char16_t>(U16(block, i));
        if (c == 0) return text;
        text.push_back(c);
    }
    return std::nullopt;
}

constexpr std::uint32_t kVolumeAndLocalBase = 0x1;
constexpr std::uint32_t kNetworkRelativeLink = 0x2;

// The common network relative link: the share's name, in ANSI and, when its
// header is long enough to hold the offset, in UTF-16.
bool ReadNetworkLink(Bytes link, LnkLinkInfo& info) {
    if (link.size() < 0x14) return false;
    const std::uint32_t size = U32(link, 0);
    if (size < 0x14 || size > link.size()) return false;
    link = link.first(size);
    const std::uint32_t netNameAt = U32(link, 8);
    auto netName = AnsiIn(link, netNameAt);
    if (!netName) return false;
    info.netNameAnsi = *netName;
    if (netNameAt > 0x14 && link.size() >= 0x1C) {
        info.netNameUnicode = Utf16In(link, U32(link, 0x14));
        if (!info.netNameUnicode) return false;
    }
    return true;
}

std::optional<LnkLinkInfo> ReadLinkInfo(Bytes block) {
    LnkLinkInfo info;
    if (block.size() < 0x1C) return std::nullopt;
    const std::uint32_t headerSize = U32(block, 4);
    const std::uint32_t flags = U32(block, 8);
    if (headerSize < 0x1C || headerSize > block.size()) return std::nullopt;
    const bool unicode = headerSize >= 0x24;
    if (flags & kVolumeAndLocalBase) {
        info.onVolume = true;
        const std::uint32_t volumeAt = U32(block, 12);
        if (volumeAt >= block.size() || block.size() - volumeAt < 8) return std::nullopt;
        info.driveType = U32(block, volumeAt + 4);
        auto base = AnsiIn(block, U32(block, 16));
        if (!base) return std::nullopt;
        info.localBaseAnsi = *base;
        if (unicode) {
            info.localBaseUnicode = Utf16In(block, U32(block, 0x1C));
            if (!info.localBaseUnicode) return std::nullopt;
        }
    }
    if (flags & kNetworkRelativeLink) {
        info.onNetwork = true;
        const std::uint32_t linkAt = U32(block, 20);
        if (linkAt >= block.size() || !ReadNetworkLink(block.subspan(linkAt), info))
            return std::nullopt;
    }
    if (flags & (kVolumeAndLocalBase | kNetworkRelativeLink)) {
        auto suffix = AnsiIn(block, U32(block, 24));
        if (!suffix) return std::nullopt;
        info.suffixAnsi = *suffix;
        if (unicode) {
            info.suffixUnicode = Utf16In(block, U32(block, 0x20));
            if (!info.suffixUnicode) return std::nullopt;
        }
    }
    return info;
}

}  // namespace

std::optional<LnkLayout> ReadLnkLayout(std::span<const std::uint8_t> data) {
    if (!LnkSizesFit(data)) return std::nullopt;
    const std::size_t n = data.size();
    LnkLayout layout;
    layout.flags = U32(data, 0x14);
    std::size_t pos = kHeaderSize;
    if (layout.flags & kHasItemList) pos += 2 + U16(data, pos);
    if (layout.flags & kHasLinkInfo) {
        const std::uint32_t size = U32(data, pos);
        layout.linkInfo = ReadLinkInfo(data.subspan(pos, size));
        if (!layout.linkInfo) return std::nullopt;
        pos += size;
    }
    for (std::uint32_t flag : kStringFlags)
        if (layout.flags & flag)
            pos += 2 +
                   static_cast<std::size_t>(U16(data, pos)) * ((layout.flags & kIsUnicode) ? 2 : 1);
    while (pos + 8 <= n) {
        const std::uint32_t size = U32(data, pos);
        if (size < 8) break;  // the terminal block
        layout.extraBlocks.emplace_back(U32(data, pos + 4), data.subspan(pos, size));
        pos += size;
    }
    return layout;
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
