#include "shortcuts/item_list.h"

#include <array>
#include <optional>
#include <vector>

#include "system/text.h"

namespace vostrel {

namespace {

using Bytes = std::span<const std::uint8_t>;

// {20D04FE0-3AEA-1069-A2D8-08002B30309D} as stored (little-endian fields).
constexpr std::array<std::uint8_t, 16> kMyComputer{0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                                   0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
constexpr std::uint32_t kFileEntryExtension = 0xBEEF0004u;

std::uint16_t U16(Bytes b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t U32(Bytes b, std::size_t at) {
    return static_cast<std::uint32_t>(U16(b, at)) |
           (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}

// A NUL-terminated ANSI text starting at `at`; nothing when it runs past the item.
std::optional<std::string> AnsiAt(Bytes item, std::size_t at, unsigned codePage) {
    std::string bytes;
    for (std::size_t i = at; i < item.size(); ++i) {
        if (item[i] == 0) return AnsiCodePageToUtf8(bytes, codePage);
        bytes.push_back(static_cast<char>(item[i]));
    }
    return std::nullopt;
}

// A NUL-terminated UTF-16 text starting at `at`; nothing when it runs past the item.
std::optional<std::string> Utf16At(Bytes item, std::size_t at) {
    std::u16string text;
    for (std::size_t i = at; i + 1 < item.size(); i += 2) {
        const char16_t c = U16(item, i);
        if (c == 0) return Utf16ToUtf8(text);
        text.push_back(c);
    }
    return std::nullopt;
}

bool Printable(const std::string& name) {
    if (name.empty()) return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == '\\') return false;
    return true;
}

// Where the long name starts in the extension block that follows the
// primary name: Windows marks it with a signature and a version, Wine
// writes the older layout without them.
std::size_t LongNameOffset(Bytes item, std::size_t ext) {
    if (U32(item, ext + 4) != kFileEntryExtension) return 20;
    const std::uint16_t version = U16(item, ext + 2);
    if (version >= 9) return 46;
    if (version >= 8) return 42;
    if (version >= 7) return 38;
    return 20;
}

std::optional<std::string> LongName(Bytes item) {
    if (item.size() < 18) return std::nullopt;
    const std::size_t ext = U16(item, item.size() - 2);
    if (ext < 14 || ext + 8 > item.size() - 2) return std::nullopt;
    auto name = Utf16At(item.first(item.size() - 2), ext + LongNameOffset(item, ext));
    if (!name || !Printable(*name)) return std::nullopt;
    return name;
}

std::optional<std::string> FileEntryName(Bytes item, unsigned codePage) {
    if (auto longName = LongName(item)) return longName;
    if (item.size() <= 14) return std::nullopt;
    const bool unicode = (item[2] & 0x04) != 0;
    auto name = unicode ? Utf16At(item, 14) : AnsiAt(item, 14, codePage);
    if (!name || !Printable(*name)) return std::nullopt;
    return name;
}

std::optional<std::string> VolumeName(Bytes item) {
    if (item.size() < 6) return std::nullopt;
    auto name = AnsiAt(item, 3, kWesternCodePage);
    if (!name || name->size() < 2 || (*name)[1] != ':') return std::nullopt;
    if (name->back() != '\\') name->push_back('\\');
    return name;
}

}  // namespace

std::string ItemListPath(std::span<const std::uint8_t> itemList, unsigned codePage) {
    std::string path;
    std::size_t at = 0;
    while (at + 2 <= itemList.size()) {
        const std::size_t size = U16(itemList, at);
        if (size == 0) break;
        if (size < 3 || at + size > itemList.size()) return {};
        const Bytes item = itemList.subspan(at, size);
        at += size;
        const std::uint8_t type = item[2];
        if (type == 0x1F) {
            if (!path.empty() || item.size() < 20) return {};
            if (!std::equal(kMyComputer.begin(), kMyComputer.end(), item.begin() + 4)) return {};
            continue;
        }
        if ((type & 0x70) == 0x20) {
            auto volume = VolumeName(item);
            if (!volume || !path.empty()) return {};
            path = *volume;
            continue;
        }
        if ((type & 0x70) != 0x30 || path.empty()) return {};
        auto name = FileEntryName(item, codePage);
        if (!name) return {};
        if (path.back() != '\\') path.push_back('\\');
        path += *name;
    }
    return path;
}

bool ItemListOnNetwork(std::span<const std::uint8_t> itemList) {
    std::size_t at = 0;
    while (at + 3 <= itemList.size()) {
        const std::size_t size = U16(itemList, at);
        if (size < 3 || at + size > itemList.size()) return false;
        // The network class of shell items: 0x41 to 0x4F (0xC3: a UNC path).
        if ((itemList[at + 2] & 0x70) == 0x40) return true;
        at += size;
    }
    return false;
}

}  // namespace vostrel
