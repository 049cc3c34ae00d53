#include "shortcuts/advertised.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vostrel {

namespace {

// The installer's base-85 digits, in the order of their values.
constexpr std::string_view kBase85Digits =
    "!$%&'()*+,-.0123456789=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz{}~";
constexpr std::size_t kEncodedGuidSize = 20;
constexpr std::size_t kMaxFeatureSize = 38;

// Twenty base-85 digits: four 32-bit words, five digits each, the lowest
// digit first (the sum wraps around as the installer's own does).
std::optional<std::array<std::uint32_t, 4>> DecodeGuidWords(std::string_view text) {
    if (text.size() < kEncodedGuidSize) return std::nullopt;
    std::array<std::uint32_t, 4> words{};
    for (std::size_t word = 0; word < 4; ++word) {
        std::uint32_t value = 0;
        std::uint32_t base = 1;
        for (std::size_t digit = 0; digit < 5; ++digit) {
            const std::size_t at = kBase85Digits.find(text[word * 5 + digit]);
            if (at == std::string_view::npos) return std::nullopt;
            value += static_cast<std::uint32_t>(at) * base;
            base *= 85;
        }
        words[word] = value;
    }
    return words;
}

std::string Hex(std::uint32_t value, int digits) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = kHex[value & 0xF];
    return text;
}

// The words as a GUID laid out in memory: Data1, Data2 and Data3 in the
// second word, the eight bytes of Data4 in the last two, little-endian.
std::string GuidText(const std::array<std::uint32_t, 4>& w) {
    std::string text =
        "{" + Hex(w[0], 8) + "-" + Hex(w[1] & 0xFFFF, 4) + "-" + Hex(w[1] >> 16, 4) + "-";
    for (int i = 0; i < 8; ++i) {
        const std::uint32_t byte = (w[2 + i / 4] >> (8 * (i % 4))) & 0xFF;
        if (i == 2) text += "-";
        text += Hex(byte, 2);
    }
    return text + "}";
}

bool KeyExists(RegistryApi& registry, HKEY root, const std::string& path) {
    ScopedKey key(registry);
    return registry.OpenKeyEx(root, path, KEY_READ, key.out()) == ERROR_SUCCESS;
}

std::vector<std::string> SubKeys(RegistryApi& registry, HKEY root, const std::string& path) {
    std::vector<std::string> names;
    ScopedKey key(registry);
    if (registry.OpenKeyEx(root, path, KEY_READ, key.out()) != ERROR_SUCCESS) return names;
    for (DWORD index = 0;; ++index) {
        char name[256] = {};
        DWORD size = sizeof(name);
        const LONG status = registry.EnumKeyEx(key.get(), index, name, &size, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) continue;  // a name too long for a user id
        names.emplace_back(name, size);
        if (index > 10000) break;
    }
    return names;
}

}  // namespace

std::string SquashProductCode(std::string_view guid) {
    std::string hex;
    for (char c : guid)
        if (c != '{' && c != '}' && c != '-') hex.push_back(c);
    if (hex.size() != 32) return {};
    std::string out;
    out.append(hex.rbegin() + 24, hex.rend());         // Data1, reversed
    out.append(hex.rbegin() + 20, hex.rbegin() + 24);  // Data2
    out.append(hex.rbegin() + 16, hex.rbegin() + 20);  // Data3
    for (std::size_t i = 16; i < 32; i += 2) {
        out.push_back(hex[i + 1]);
        out.push_back(hex[i]);
    }
    return out;
}

std::optional<InstallerDescriptor> DecodeInstallerDescriptor(std::string_view descriptor) {
    const auto product = DecodeGuidWords(descriptor);
    if (!product) return std::nullopt;
    const std::string_view rest = descriptor.substr(kEncodedGuidSize);
    std::size_t end = rest.find('>');
    if (end == std::string_view::npos) end = rest.find('<');
    if (end == std::string_view::npos || end > kMaxFeatureSize) return std::nullopt;
    if (rest[end] == '>' && !DecodeGuidWords(rest.substr(end + 1))) return std::nullopt;
    InstallerDescriptor decoded;
    decoded.product = GuidText(*product);
    decoded.feature = std::string(rest.substr(0, end));
    decoded.squashed = SquashProductCode(decoded.product);
    return decoded;
}

ProductState InstalledProductState(RegistryApi& registry, const std::string& squashed) {
    if (squashed.size() != 32) return ProductState::Unknown;
    // A registry that does not even have the machine's software key says
    // nothing about what is installed.
    if (!KeyExists(registry, HKEY_LOCAL_MACHINE, "Software")) return ProductState::Unknown;
    if (KeyExists(registry, HKEY_LOCAL_MACHINE,
                  "Software\\Classes\\Installer\\Products\\" + squashed))
        return ProductState::Registered;
    if (KeyExists(registry, HKEY_CURRENT_USER,
                  "Software\\Microsoft\\Installer\\Products\\" + squashed))
        return ProductState::Registered;
    const std::string installer = "Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\";
    for (const auto& user : SubKeys(registry, HKEY_LOCAL_MACHINE, installer + "UserData"))
        if (KeyExists(registry, HKEY_LOCAL_MACHINE,
                      installer + "UserData\\" + user + "\\Products\\" + squashed))
            return ProductState::Registered;
    for (const auto& user : SubKeys(registry, HKEY_LOCAL_MACHINE, installer + "Managed"))
        if (KeyExists(registry, HKEY_LOCAL_MACHINE,
                      installer + "Managed\\" + user + "\\Installer\\Products\\" + squashed))
            return ProductState::Registered;
    return ProductState::Gone;
}

}  // namespace vostrel
