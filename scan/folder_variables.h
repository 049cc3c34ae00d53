// The folder variables that registry data may be written with, expanded as
// Windows would from the machine's own registry: %SystemRoot% and %windir%
// (the Windows folder), %SystemDrive%, %ProgramFiles%, %ProgramFiles(x86)%,
// %CommonProgramFiles%, %CommonProgramFiles(x86)%, %ProgramData% and
// %ALLUSERSPROFILE%. Names match without regard to letter case.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "session/scan_session.h"

namespace vostrel {

// The text with every known variable replaced by its folder. Nothing when a
// %NAME% remains that is unknown, or known but not set on this machine (such
// data cannot be tested). A lone "%" or a "%...%" holding a blank, a quote or
// a path separator is not a variable and stays as it is.
std::optional<std::string> ExpandFolderVariables(ScanSession& session, std::string_view text);

// A text value (REG_SZ or REG_EXPAND_SZ, as stored) below a root, trimmed;
// nothing when it is missing, of another kind or empty.
std::optional<std::string> RootText(RegistryApi& registry, HKEY root, std::string_view keyPath,
                                    std::string_view valueName);

// True when the text holds something written like a variable, %NAME%.
bool HoldsFolderVariable(std::string_view text);

// The variables of this machine, by upper-case name; read once per scan.
const std::map<std::string, std::string>& FolderVariables(ScanSession& session);

// An expandable value's text (REG_EXPAND_SZ) as Windows expands it for the
// prefix's user: the folder variables above, and %USERPROFILE%, %PUBLIC%,
// %APPDATA%, %LOCALAPPDATA%, %TEMP% and %TMP% as the prefix's registry sets
// them for its user. Nothing when a %NAME% remains that is unknown or not
// set (Windows would leave it as it is, naming no file that can be tested).
std::optional<std::string> ExpandEnvironmentText(ScanSession& session, std::string_view text);

// The variables ExpandEnvironmentText knows, by upper-case name; read once
// per scan.
const std::map<std::string, std::string>& EnvironmentVariables(ScanSession& session);

}  // namespace vostrel
