// The small path operations the checks share: trimming quotes and
// arguments, taking a path apart, the folder look-ups and the existence test.
// Positions count from 1; a blank is the space character only.
#pragma once

#include <string>
#include <string_view>

#include "system/file_system_api.h"
#include "system/registry_api.h"

namespace vostrel {

// Text operations (no platform access).
std::string TrimQuotes(std::string_view text);
std::string StripArguments(std::string_view commandLine);
std::string GetFileExtension(std::string_view path);
std::string GetFileName(std::string_view path);
std::string AddBackslash(std::string_view path);
std::string StripRootVariable(std::string_view path);
std::string StripCommonFilesVariable(std::string_view path);

// Folder look-ups.
std::string GetWindowsDir(FileSystemApi& files);
std::string GetSystemDir(FileSystemApi& files);
std::string GetProgramFilesDir(RegistryApi& registry);
std::string GetCommonFilesDir(RegistryApi& registry);
std::string GetShortPath(FileSystemApi& files, std::string_view path);

// True for any existing file, whatever its attributes; false for a folder
// and for a missing path; true for a path the platform refuses to search.
bool FileExists(FileSystemApi& files, std::string_view path);

}  // namespace vostrel
