// Whether the sizes a shell link (.lnk) file declares for its parts fit in
// the file. liblnk allocates what a file declares (a location information
// block, an extra data block) before it reads it, up to 4 GiB for a file of a
// few hundred bytes; a file whose parts do not fit is no readable link, and is
// refused before liblnk sees it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vostrel {

// Walks the header, the item list, the link information, the strings and
// the extra data blocks; false as soon as one reaches past the end.
bool LnkSizesFit(std::span<const std::uint8_t> data);

// The link information block as written: where the target was on the
// machine that made the link. ANSI texts are the bytes as stored, in that
// machine's code page; the UTF-16 forms are there only when the block has
// them (a header of 0x24 bytes or more).
struct LnkLinkInfo {
    bool onVolume = false;        // a volume and a local base path
    std::uint32_t driveType = 0;  // the volume's drive type (4: a network drive)
    std::string localBaseAnsi;
    std::optional<std::u16string> localBaseUnicode;
    bool onNetwork = false;  // a network share (\\server\share), maybe through a drive letter
    std::string netNameAnsi;
    std::optional<std::u16string> netNameUnicode;
    std::string suffixAnsi;  // the common path suffix, after the base or the share
    std::optional<std::u16string> suffixUnicode;
};

// The parts of a link file the shell library leaves out: the header flags,
// the link information and the extra data blocks. Nothing when a part
// reaches past the end or points outside its block.
struct LnkLayout {
    std::uint32_t flags = 0;
    std::optional<LnkLinkInfo> linkInfo;
    // Extra data blocks: signature and the whole block (size and signature included).
    std::vector<std::pair<std::uint32_t, std::span<const std::uint8_t>>> extraBlocks;
};
std::optional<LnkLayout> ReadLnkLayout(std::span<const std::uint8_t> data);

inline constexpr std::uint32_t kLnkHasDarwinId = 0x1000;
inline constexpr std::uint32_t kLnkDarwinBlock = 0xA0000006u;

// The whole file at a host path when it is a regular file of at most
// `limit` bytes (opened without blocking, so a FIFO never holds the caller).
std::optional<std::vector<std::uint8_t>> ReadSmallRegularFile(const std::string& hostPath,
                                                              std::size_t limit);

}  // namespace vostrel
