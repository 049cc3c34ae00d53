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
    std::vector<std::uint8_t> linkInfo;   // a whole link information block (LinkInfo below)
    std::uint32_t moreFlags = 0;          // header flags beyond those the parts set
    std::vector<std::uint8_t> extraData;  // extra data blocks before the terminal one
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

// A link information block as Windows writes it. The ANSI texts are the
// bytes as stored (in the maker's code page); the UTF-16 forms are written,
// with the longer header, when `unicode` is set.
struct LinkInfo {
    bool volume = true;           // a volume and a local base path
    std::uint32_t driveType = 3;  // 3: a fixed disk, 4: a network drive
    std::string localBase;
    std::string netName;     // "\\server\share": adds a network relative link
    std::string deviceName;  // the drive letter the share was mapped to ("Z:")
    std::string suffix;
    bool unicode = false;
    std::u16string localBaseUnicode;
    std::u16string suffixUnicode;
};
std::vector<std::uint8_t> BuildLinkInfo(const LinkInfo& info);

// The Darwin (advertised shortcut) extra data block holding `descriptor`,
// in ANSI and in UTF-16.
std::vector<std::uint8_t> DarwinBlock(const std::string& descriptor);

// A Windows Installer descriptor naming a product ("{XXXXXXXX-...}") and a
// feature, without a component: the product code in the installer's 20
// base-85 digits, the feature, then '<'.
std::string EncodeInstallerDescriptor(const std::string& productGuid, const std::string& feature);

// The same link without its link information block: only the item list
// (and the strings) are left to name the target.
std::vector<std::uint8_t> StripLinkInfo(const std::vector<std::uint8_t>& lnk);

}  // namespace vostrel::testing
