// The path of a shell item list (the target identifier of a .lnk file): a
// "My Computer" root, a drive item and one item per folder and file name.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "shortcuts/ansi_text.h"

namespace vostrel {

// The Windows path the list names ("C:\Dir\file.exe"), or the empty text
// when it names something other than a file-system path of a drive. Names
// kept only in ANSI are read in `codePage`, the machine's ANSI code page; a
// name that is no text there leaves the path empty.
std::string ItemListPath(std::span<const std::uint8_t> itemList,
                         unsigned codePage = kWesternCodePage);

// True when an item of the list is a network place (a share, a server, a
// \\server\share path).
bool ItemListOnNetwork(std::span<const std::uint8_t> itemList);

}  // namespace vostrel
