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
#include <vector>

namespace vostrel {

// Walks the header, the item list, the link information, the strings and
// the extra data blocks; false as soon as one reaches past the end.
bool LnkSizesFit(std::span<const std::uint8_t> data);

// The whole file at a host path when it is a regular file of at most
// `limit` bytes (opened without blocking, so a FIFO never holds the caller).
std::optional<std::vector<std::uint8_t>> ReadSmallRegularFile(const std::string& hostPath,
                                                              std::size_t limit);

}  // namespace vostrel
