#include "lnk_builder.h"

#include <cctype>
#include <stdexcept>

namespace vostrel::testing {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutString(std::vector<std::uint8_t>& out, const std::string& ascii) {
    Put16(out, static_cast<std::uint32_t>(ascii.size()));
    for (char c : ascii) Put16(out, static_cast<unsigned char>(c));
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

}  // namespace

std::vector<std::uint8_t> BuildLnk(const LnkParts& layout) {
    std::uint32_t flags = 0x80;  // strings in UTF-16
    if (!layout.itemList.empty()) flags |= 0x01;
    if (!layout.linkInfo.empty()) flags |= 0x02;
    flags |= layout.moreFlags;
    if (!layout.relativePath.empty()) flags |= 0x08;
    if (!layout.workingDirectory.empty()) flags |= 0x10;
    std::vector<std::uint8_t> out;
    Put32(out, 0x4C);
    const std::uint8_t clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    out.insert(out.end(), clsid, clsid + 16);
    Put32(out, flags);
    Put32(out, 0x20);                // attributes
    out.resize(out.size() + 24, 0);  // three times
    Put32(out, 0);                   // file size
    Put32(out, 0);                   // icon index
    Put32(out, 1);                   // show command
    out.resize(out.size() + 12, 0);  // hot key and reserved
    if (!layout.itemList.empty()) {
        Put16(out, static_cast<std::uint32_t>(layout.itemList.size() + 2));
        out.insert(out.end(), layout.itemList.begin(), layout.itemList.end());
        Put16(out, 0);
    }
    out.insert(out.end(), layout.linkInfo.begin(), layout.linkInfo.end());
    if (!layout.relativePath.empty()) PutString(out, layout.relativePath);
    if (!layout.workingDirectory.empty()) PutString(out, layout.workingDirectory);
    out.insert(out.end(), layout.extraData.begin(), layout.extraData.end());
    Put32(out, 0);  // the terminal block
    return out;
}

namespace {

void PutAnsi(std::vector<std::uint8_t>& out, const std::string& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
    out.push_back(0);
}

void PutUtf16(std::vector<std::uint8_t>& out, const std::u16string& text) {
    for (char16_t c : text) Put16(out, c);
    Put16(out, 0);
}

void Set32(std::vector<std::uint8_t>& out, std::size_t at, std::size_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> BuildLinkInfo(const LinkInfo& info) {
    const std::size_t header = info.unicode ? 0x24 : 0x1C;
    std::vector<std::uint8_t> out(header, 0);
    Set32(out, 4, header);
    std::uint32_t flags = 0;
    if (info.volume) {
        flags |= 0x1;
        Set32(out, 12, out.size());
        Put32(out, 0x11);  // volume id: size, drive type, serial, label offset, empty label
        Put32(out, info.driveType);
        Put32(out, 0x1234ABCD);
        Put32(out, 0x10);
        out.push_back(0);
        Set32(out, 16, out.size());
        PutAnsi(out, info.localBase);
    }
    if (!info.netName.empty()) {
        flags |= 0x2;
        const std::size_t at = out.size();
        Set32(out, 20, at);
        Put32(out, 0);  // size, set below
        Put32(out, info.deviceName.empty() ? 0x2 : 0x3);
        Put32(out, 0x14);  // net name offset
        Put32(out, 0);     // device name offset, set below
        Put32(out, 0x20000);
        PutAnsi(out, info.netName);
        if (!info.deviceName.empty()) {
            Set32(out, at + 12, out.size() - at);
            PutAnsi(out, info.deviceName);
        }
        Set32(out, at, out.size() - at);
    }
    Set32(out, 24, out.size());
    PutAnsi(out, info.suffix);
    if (info.unicode) {
        if (info.volume) {
            Set32(out, 0x1C, out.size());
            PutUtf16(out, info.localBaseUnicode);
        }
        Set32(out, 0x20, out.size());
        PutUtf16(out, info.suffixUnicode);
    }
    Set32(out, 8, flags);
    Set32(out, 0, out.size());
    return out;
}

std::vector<std::uint8_t> DarwinBlock(const std::string& descriptor) {
    std::vector<std::uint8_t> out;
    Put32(out, 0x314);
    Put32(out, 0xA0000006u);
    std::vector<std::uint8_t> ansi(descriptor.begin(), descriptor.end());
    ansi.resize(260, 0);
    out.insert(out.end(), ansi.begin(), ansi.end());
    for (std::size_t i = 0; i < 260; ++i)
        Put16(out, i < descriptor.size() ? static_cast<unsigned char>(descriptor[i]) : 0);
    return out;
}

std::vector<std::uint8_t> MyComputerItem() {
    std::vector<std::uint8_t> item{0x14, 0x00, 0x1F, 0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A,
                                   0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
    return item;
}

std::vector<std::uint8_t> DriveItem(const std::string& root) {
    std::vector<std::uint8_t> item(25, 0);
    item[0] = 25;
    item[2] = 0x2F;
    for (std::size_t i = 0; i < root.size() && 3 + i < item.size(); ++i)
        item[3 + i] = static_cast<std::uint8_t>(root[i]);
    return item;
}

std::vector<std::uint8_t> FileEntryItem(const std::string& shortName,
                                        const std::u16string& longName, std::uint16_t version,
                                        bool folder) {
    std::vector<std::uint8_t> item{0, 0, static_cast<std::uint8_t>(folder ? 0x31 : 0x32), 0};
    Put32(item, 1234);        // size
    Put32(item, 0x30E75D89);  // FAT time
    Put16(item, folder ? 0x10 : 0x20);
    item.insert(item.end(), shortName.begin(), shortName.end());
    item.push_back(0);
    if (item.size() % 2) item.push_back(0);
    const std::size_t ext = item.size();
    const std::size_t nameAt = version >= 9 ? 46 : version >= 8 ? 42 : version >= 7 ? 38 : 20;
    std::vector<std::uint8_t> block;
    Put16(block, 0);  // size, set below
    Put16(block, version);
    Put32(block, 0xBEEF0004u);
    block.resize(nameAt, 0x11);  // times, references: anything
    for (char16_t c : longName) Put16(block, c);
    Put16(block, 0);
    Put16(block, static_cast<std::uint32_t>(ext));  // first extension block's offset
    block[0] = static_cast<std::uint8_t>(block.size());
    block[1] = static_cast<std::uint8_t>(block.size() >> 8);
    item.insert(item.end(), block.begin(), block.end());
    item[0] = static_cast<std::uint8_t>(item.size());
    item[1] = static_cast<std::uint8_t>(item.size() >> 8);
    return item;
}

std::vector<std::uint8_t> StripLinkInfo(const std::vector<std::uint8_t>& lnk) {
    std::uint32_t flags = Get32(lnk, 0x14);
    if (!(flags & 0x02)) return lnk;
    std::size_t at = 0x4C;
    if (flags & 0x01) at += 2 + (lnk[at] | (lnk[at + 1] << 8));
    const std::uint32_t size = Get32(lnk, at);
    std::vector<std::uint8_t> out(lnk.begin(), lnk.begin() + static_cast<long>(at));
    out.insert(out.end(), lnk.begin() + static_cast<long>(at + size), lnk.end());
    flags &= ~0x02u;
    for (int i = 0; i < 4; ++i) out[0x14 + i] = static_cast<std::uint8_t>(flags >> (8 * i));
    return out;
}

std::string EncodeInstallerDescriptor(const std::string& productGuid, const std::string& feature) {
    static constexpr char kDigits[] =
        "!$%&'()*+,-.0123456789=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz{}~";
    std::string hex;
    for (char c : productGuid)
        if (std::isxdigit(static_cast<unsigned char>(c))) hex.push_back(c);
    if (hex.size() != 32) throw std::invalid_argument("not a GUID: " + productGuid);
    auto part = [&](std::size_t at, std::size_t n) {
        return static_cast<std::uint32_t>(std::stoul(hex.substr(at, n), nullptr, 16));
    };
    auto bytes = [&](std::size_t at) {  // four bytes of Data4, little-endian
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | part(at + 2 * static_cast<std::size_t>(i), 2);
        return v;
    };
    const std::uint32_t words[4] = {part(0, 8), part(8, 4) | (part(12, 4) << 16), bytes(16),
                                    bytes(24)};
    std::string out;
    for (std::uint32_t word : words)
        for (int i = 0; i < 5; ++i, word /= 85) out.push_back(kDigits[word % 85]);
    return out + feature + "<";
}

}  // namespace vostrel::testing
