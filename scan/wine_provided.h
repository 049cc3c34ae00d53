// The checks' side of "Wine supplies this itself" (system/wine_provides.h):
// which tested paths are files of the system folders or the Fonts folder
// that the Wine running the machine provides, and which Fonts-key values
// are the host font links Wine writes again at its next start. Nothing here
// tests a file; a path that exists is never asked about.
#pragma once

#include <string_view>

#include "session/scan_session.h"

namespace vostrel {

// True when `path` names a file directly in C:\windows, its system32,
// syswow64 or system folder (or the machine's system folder) that Wine
// provides as a builtin, or a file directly in C:\windows\Fonts that Wine
// provides as a font. False when no Wine is known.
bool ProvidedByWine(ScanSession& session, std::string_view path);

// True when `path` lies below a folder one of Wine's add-ons fills when it
// is installed (Wine Mono's C:\windows\Microsoft.NET and C:\windows\mono,
// Wine Gecko's system32\gecko and syswow64\gecko). Wine registers some of
// their files itself, whether the add-on is there or not. False when no
// Wine is known.
bool InWineAddOnFolder(ScanSession& session, std::string_view path);

// True for a value of the Fonts key that Wine wrote for a font of the host:
// its data is a host path ("\\??\\unix\\...") or a path on a host drive (a drive
// whose folder lies outside the prefix) and HKEY_CURRENT_USER\Software\Wine\Fonts\External Fonts holds
// the same name with the same data.
bool IsWineHostFontLink(ScanSession& session, std::string_view valueName, std::string_view data);

// True when the key holding a value is a ProgID or VersionIndependentProgID
// key: such values name classes, never files.
bool IsProgramIdKey(std::string_view keyPath);

}  // namespace vostrel
