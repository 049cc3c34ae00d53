// Builds shell link (.lnk) files by hand for the odd cases Wine's shell
// never writes: relative targets only, no target at all, bare item lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vostrel::testing {

struct LnkParts {
    std::vector<std::uint8_t> itemList;  // the items without the list size and terminator
    std::string relativePath;
    std::string workingDirectory;
};

std::vector<std::uint8_t> BuildLnk(const LnkParts& layout);

// Shell items: the "My Computer" root, a drive ("C:\"), and a file entry in
// the layout Windows Vista and later write (primary 8.3 name, long name in
// the 0xBEEF0004 extension block of the given version).
std::vector<std::uint8_t> MyComputerItem();
std::vector<std::uint8_t> DriveItem(const std::string& root);
std::vector<std::uint8_t> FileEntryItem(const std::string& shortName,
                                        const std::u16string& longName, std::uint16_t version,
                                        bool folder);

// The same link without its link information block: only the item list
// (and the strings) are left to name the target.
std::vector<std::uint8_t> StripLinkInfo(const std::vector<std::uint8_t>& lnk);

}  // namespace vostrel::testing
