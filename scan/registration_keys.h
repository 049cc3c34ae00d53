// Keys that are one program's registration and nothing else: an App Paths
// key whose program is gone, an uninstall key whose uninstaller is gone.
// Taking out only the dead value would leave the key behind (the program
// still listed by Wine's uninstaller, an App Paths key with an empty
// default), so such a key goes whole, as long as nothing in it still lives.
//
// A value "lives" when it names a place (a drive path, a share, a
// variable) that the scan did not find missing: it is there, or the scan
// could not tell. A key with sub-keys is never taken out whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/scan_session.h"
#include "system/registry_api.h"

namespace vostrel {

// One value of a key as stored: its name ("" for the default value), its
// kind and its raw bytes.
struct StoredValue {
    std::string name;
    DWORD kind = REG_NONE;
    std::vector<std::uint8_t> data;
    bool operator==(const StoredValue&) const = default;
};

// A key's own values as stored, and whether it has sub-keys.
struct StoredKey {
    std::vector<StoredValue> values;
    bool hasSubkeys = false;
};

// Nothing when the key is not there or cannot be read in full.
std::optional<StoredKey> ReadStoredKey(RegistryApi& registry, HKEY root, std::string_view keyPath);

// Whether a value's text names a place: a drive path ("C:\…", also quoted
// or after a program's arguments), a share ("\\server\…") or a variable
// ("%ProgramFiles%\…").
bool NamesAPlace(std::string_view text);

// Whether the key holds nothing that lives beside the dead values (names as
// the problems carry them: "(Default)" for the default value).
bool HoldsNothingElseThatLives(const StoredKey& key, const std::vector<std::string>& deadValues);

// The key of a problem is its section's registration key: it lies right
// below one of the section's walks, and the value is the registration value.
bool IsRegistrationValue(const RegistryProblem& problem);

// Marks the problems whose whole key the repair takes out (wholeKey), after
// a scan: a registration value whose key holds nothing else that lives.
void MarkWholeKeys(ScanSession& session);

}  // namespace vostrel
