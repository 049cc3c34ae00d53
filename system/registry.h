// The registry operations the rest of the program uses: read one value as
// text, set, create and delete, written once on top of the platform calls.
// Each operation opens what it needs and closes it before it returns; a step
// that fails is skipped and the next one runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "system/registry_api.h"

namespace vostrel {

// A value argument: a text or a 32-bit signed number.
using RegValue = std::variant<std::string, std::int32_t>;

// The value as text: a string as read, a number in signed decimal.
std::string RegValueText(const RegValue& value);

// Reads a value of an existing key with full access. True and `text` set
// when it is a REG_SZ or REG_DWORD that could be read; otherwise false and
// `text` untouched.
bool QueryRegistryValue(RegistryApi& api, HKEY root, std::string_view keyPath,
                        std::string_view valueName, std::string& text);

// Two-step read from an open key. 0 when `value` was filled; otherwise the
// failing call's status, or -1 for a kind other than REG_SZ and REG_DWORD.
// A string value whose second read fails is set to the empty text.
LONG ReadValueFromKey(RegistryApi& api, HKEY key, std::string_view valueName, RegValue& value);

// Writes into an existing key (never creates it): REG_DWORD when the value
// is numeric text, else REG_SZ of the trimmed text with no terminating NUL.
void SetRegistryValue(RegistryApi& api, HKEY root, std::string_view keyPath,
                      std::string_view valueName, const RegValue& value);

// Opens the key, creating it and its missing parents when needed, and
// writes the value with WriteValueToKey.
void CreateKeyAndSetValue(RegistryApi& api, HKEY root, std::string_view keyPath,
                          std::string_view valueName, const RegValue& value, DWORD kind);

// Creates every missing key of the path; an existing key is left unchanged.
void CreateRegistryKey(RegistryApi& api, HKEY root, std::string_view keyPath);

// REG_SZ: the text (not trimmed) and one NUL. REG_DWORD: 4 bytes. Any other
// kind writes nothing and returns 0.
LONG WriteValueToKey(RegistryApi& api, HKEY key, std::string_view valueName, DWORD kind,
                     const RegValue& value);

// Deletes a value; a missing key or value is not reported.
void DeleteRegistryValue(RegistryApi& api, HKEY root, std::string_view keyPath,
                         std::string_view valueName);

// The platform family: 2 on the NT family, 0 when unknown.
DWORD GetPlatformId(RegistryApi& api);

// The numeric-text rule of the set operation: a sign, digits, at most one
// decimal point and an exponent (E or D), or &H hex, or &O octal, blanks
// around ignored. The empty text and blanks only are not numeric.
bool IsNumericText(std::string_view text);

// Converts a value to a signed 32-bit number: fractions round half to even;
// anything out of range or not a number gives 0.
std::int32_t ToInt32(const RegValue& value);

}  // namespace vostrel
