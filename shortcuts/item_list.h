// The path of a shell item list (the target identifier of a .lnk file): a
// "My Computer" root, a drive item and one item per folder and file name.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vostrel {

// The Windows path the list names ("C:\Dir\file.exe"), or the empty text
// when it names something other than a file-system path of a drive.
std::string ItemListPath(std::span<const std::uint8_t> itemList);

}  // namespace vostrel
