// The registry walks of a scan: every value below a key (WalkRegistryKeys),
// the values of one key (ScanKeyValues), the names of one key's subkeys
// (ListClassIdKeys), and the dispatch of each value to its section's check.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "session/scan_session.h"

namespace vostrel {

// The values of every subkey below keyPath, depth first, a subkey's own
// values before its subkeys. The values of keyPath itself are not looked at.
// The walk goes at most 512 levels deep (the registry's own limit), and a key
// reached through a symbolic link is walked once at most, so a link cycle ends.
// For a section without a check, values are read only when the observer shows
// them, and keys walked only when it shows keys or values.
void WalkRegistryKeys(ScanSession& session, HKEY rootKey, std::string_view keyPath,
                      std::string_view sectionKey, std::string_view rootName);

// The values of keyPath itself, each told to the observer and handed to the
// section's check. Every value is examined with its full data.
void ScanKeyValues(ScanSession& session, HKEY rootKey, std::string_view keyPath,
                   std::string_view sectionKey, std::string_view rootName);

// Tells the observer the names of keyPath's direct subkeys; checks nothing,
// and reads nothing for an observer that shows no keys.
void ListClassIdKeys(ScanSession& session, HKEY rootKey, std::string_view keyPath);

// A value as the walk reads it: REG_SZ and REG_EXPAND_SZ as their text up to
// the first NUL (an expandable value unexpanded: the walk expands it for the
// checks), REG_MULTI_SZ as its first string, REG_DWORD as signed decimal,
// and the empty text for every other kind and on failure.
std::string ReadValueAsText(RegistryApi& registry, HKEY key, std::string_view valueName);
std::string RenderValueText(DWORD type, const std::uint8_t* data, DWORD size);

// The value's data as the walk read it (the text above, with
// text the platform could not carry whole given as empty), read afresh by
// its name: ERROR_SUCCESS, or the registry's answer (ERROR_FILE_NOT_FOUND
// for a value that is not there).
LONG ReadValueAsChecked(RegistryApi& registry, HKEY key, std::string_view valueName,
                        std::string* text);

// Calls the check of sectionKey (compared exactly) with a copy of the data,
// unless the scan is being cancelled. An unknown section key calls nothing.
void DispatchValueCheck(ScanSession& session, std::string_view valueData,
                        std::string_view sectionKey, std::string_view valueName, HKEY rootKey,
                        std::string_view rootName, std::string_view keyPath);

}  // namespace vostrel
