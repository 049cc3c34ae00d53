#include "system/registry.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "system/text.h"

namespace vostrel {

namespace {

const std::uint8_t* Bytes(const std::string& text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

std::array<std::uint8_t, 4> DwordBytes(std::int32_t number) {
    std::array<std::uint8_t, 4> bytes{};
    const auto u = static_cast<std::uint32_t>(number);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(u >> (8 * i));
    return bytes;
}

bool IsDigits(std::string_view s, int base) {
    if (s.empty()) return false;
    for (char c : s) {
        const bool ok =
            base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : (c >= '0' && c <= '7');
        if (!ok) return false;
    }
    return true;
}

// "&H..." or "&O..." as a 32-bit pattern; nothing when it does not fit.
std::optional<std::int32_t> RadixNumber(std::string_view digits, int base) {
    std::uint64_t v = 0;
    for (char c : digits) {
        v = v * static_cast<std::uint64_t>(base) +
            static_cast<std::uint64_t>(
                std::isdigit(static_cast<unsigned char>(c))
                    ? c - '0'
                    : (std::tolower(static_cast<unsigned char>(c)) - 'a' + 10));
        if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

}  // namespace

std::string RegValueText(const RegValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    return std::to_string(std::get<std::int32_t>(value));
}

bool IsNumericText(std::string_view text) {
    std::string_view s = Trim(text);
    if (s.empty()) return false;
    if (s.size() > 2 && s[0] == '&') {
        const char radix = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
        if (radix == 'H') return IsDigits(s.substr(2), 16);
        if (radix == 'O') return IsDigits(s.substr(2), 8);
        return false;
    }
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-') ++i;
    std::size_t digits = 0, points = 0;
    for (; i < s.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(s[i]))) {
            ++digits;
        } else if (s[i] == '.') {
            if (++points > 1) return false;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (i == s.size()) return true;
    const char e = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
    if (e != 'E' && e != 'D') return false;
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::string_view exponent = s.substr(i);
    if (exponent.empty()) return false;
    for (char c : exponent)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

std::int32_t ToInt32(const RegValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
    const std::string_view s = Trim(std::get<std::string>(value));
    if (!IsNumericText(s)) return 0;
    if (s[0] == '&') {
        const bool hex = std::toupper(static_cast<unsigned char>(s[1])) == 'H';
        return RadixNumber(s.substr(2), hex ? 16 : 8).value_or(0);
    }
    std::string plain(s);
    for (char& c : plain)
        if (c == 'd' || c == 'D') c = 'E';
    const double d = std::strtod(plain.c_str(), nullptr);
    const double rounded = std::nearbyint(d);  // halves to the even neighbour
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max()))
        return 0;
    return static_cast<std::int32_t>(rounded);
}

LONG ReadValueFromKey(RegistryApi& api, HKEY key, std::string_view valueName, RegValue& value) {
    DWORD kind = 0, size = 0;
    LONG status = api.QueryValueEx(key, valueName, &kind, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    if (kind == REG_SZ) {
        std::vector<std::uint8_t> buffer(size, 0);
        status = api.QueryValueEx(key, valueName, &kind, buffer.data(), &size);
        if (status != ERROR_SUCCESS) {
            value = std::string();
            return status;
        }
        // The text ends at its terminating NUL; a value stored without one
        // keeps all its characters.
        // An empty value has no buffer at all (and strnlen must not see null).
        if (buffer.empty()) {
            value = std::string();
            return ERROR_SUCCESS;
        }
        const auto* chars = reinterpret_cast<const char*>(buffer.data());
        const std::size_t length = strnlen(chars, std::min<std::size_t>(size, buffer.size()));
        value = std::string(chars, length);
        return ERROR_SUCCESS;
    }
    if (kind == REG_DWORD) {
        std::uint8_t bytes[4] = {};
        DWORD four = 4;
        status = api.QueryValueEx(key, valueName, &kind, bytes, &four);
        if (status == ERROR_SUCCESS) {
            std::uint32_t u = 0;
            for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
            value = static_cast<std::int32_t>(u);
        }
        return status;
    }
    return kUnsupportedKind;
}

bool QueryRegistryValue(RegistryApi& api, HKEY root, std::string_view keyPath,
                        std::string_view valueName, std::string& text) {
    ScopedKey key(api);
    api.OpenKeyEx(root, keyPath, KEY_ALL_ACCESS, key.out());
    RegValue value = std::string();
    if (ReadValueFromKey(api, key.get(), valueName, value) != ERROR_SUCCESS) return false;
    text = RegValueText(value);
    return true;
}

void SetRegistryValue(RegistryApi& api, HKEY root, std::string_view keyPath,
                      std::string_view valueName, const RegValue& value) {
    ScopedKey key(api);
    api.OpenKey(root, keyPath, key.out());
    const bool numeric =
        std::holds_alternative<std::int32_t>(value) || IsNumericText(std::get<std::string>(value));
    if (numeric) {
        const auto bytes = DwordBytes(ToInt32(value));
        api.SetValueEx(key.get(), valueName, REG_DWORD, bytes.data(), 4);
        return;
    }
    const std::string text = TrimCopy(std::get<std::string>(value));
    api.SetValueEx(key.get(), valueName, REG_SZ, Bytes(text), static_cast<DWORD>(text.size()));
}

void CreateRegistryKey(RegistryApi& api, HKEY root, std::string_view keyPath) {
    ScopedKey key(api);
    DWORD disposition = 0;
    api.CreateKeyEx(root, keyPath, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, key.out(),
                    &disposition);
}

LONG WriteValueToKey(RegistryApi& api, HKEY key, std::string_view valueName, DWORD kind,
                     const RegValue& value) {
    if (kind == REG_SZ) {
        const std::string text = RegValueText(value);
        std::string data = text;
        data.push_back('\0');
        return api.SetValueEx(key, valueName, REG_SZ, Bytes(data), static_cast<DWORD>(data.size()));
    }
    if (kind == REG_DWORD) {
        const auto bytes = DwordBytes(ToInt32(value));
        return api.SetValueEx(key, valueName, REG_DWORD, bytes.data(), 4);
    }
    return ERROR_SUCCESS;
}

void CreateKeyAndSetValue(RegistryApi& api, HKEY root, std::string_view keyPath,
                          std::string_view valueName, const RegValue& value, DWORD kind) {
    ScopedKey key(api);
    if (api.OpenKeyEx(root, keyPath, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS) {
        CreateRegistryKey(api, root, keyPath);
        api.OpenKeyEx(root, keyPath, KEY_ALL_ACCESS, key.out());
    }
    WriteValueToKey(api, key.get(), valueName, kind, value);
}

void DeleteRegistryValue(RegistryApi& api, HKEY root, std::string_view keyPath,
                         std::string_view valueName) {
    ScopedKey key(api);
    api.OpenKey(root, keyPath, key.out());
    api.DeleteValue(key.get(), valueName);
}

DWORD GetPlatformId(RegistryApi& api) { return api.GetPlatformId(); }

}  // namespace vostrel
