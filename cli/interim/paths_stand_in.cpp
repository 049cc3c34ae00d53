// Interim path operations, linked only while system/paths.cpp is not in the
// tree (see cli/CMakeLists.txt). They follow the same rules, so code and tests
// written against them keep passing when the real ones arrive.
#include "system/paths.h"

#include <string>

#include "system/registry.h"
#include "system/text.h"

namespace vostrel {

std::string TrimQuotes(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == '"' || text[b] == '\r' || text[b] == ' ')) ++b;
    while (e > b && (text[e - 1] == '"' || text[e - 1] == '\n' || text[e - 1] == ' ')) --e;
    return std::string(text.substr(b, e - b));
}

std::string StripArguments(std::string_view commandLine) {
    const std::size_t p = Find(commandLine, "/");
    const std::size_t c = Find(commandLine, ",");
    std::string result;
    if (p > 0) result = TrimQuotes(commandLine.substr(0, p - 1));
    if (c > 0) result = TrimQuotes(commandLine.substr(0, c - 1));
    if (result.empty()) return std::string(commandLine);
    return result;
}

std::string GetFileExtension(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        const char ch = path[i - 1];
        if (ch == '.') return LowerAscii(path.substr(i));
        if (ch == ':' || ch == '\\') return {};
    }
    return {};
}

std::string GetFileName(std::string_view path) {
    if (Trim(path).empty()) return {};
    const auto pos = path.rfind('\\');
    if (pos == std::string_view::npos) return {};
    return std::string(path.substr(pos + 1));
}

std::string AddBackslash(std::string_view path) {
    if (Trim(path).empty()) return {};
    if (path.back() == '\\') return std::string(path);
    return std::string(path) + "\\";
}

std::string StripRootVariable(std::string_view path) {
    if (const auto p = FindNoCase(path, "%Systemroot%")) return std::string(path.substr(p - 1 + 12));
    if (const auto p = FindNoCase(path, "%ProgramFiles%")) return std::string(path.substr(p - 1 + 14));
    return {};
}

std::string StripCommonFilesVariable(std::string_view path) {
    if (const auto p = FindNoCase(path, "%commonprogramfiles%"))
        return std::string(path.substr(p - 1 + 20));
    return {};
}

std::string GetWindowsDir(FileSystemApi& files) { return files.GetWindowsDirectory(); }
std::string GetSystemDir(FileSystemApi& files) { return files.GetSystemDirectory(); }

std::string GetProgramFilesDir(RegistryApi& registry) {
    std::string text;
    if (!QueryRegistryValue(registry, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                            "ProgramFilesDir", text))
        return {};
    return TrimCopy(text);
}

std::string GetCommonFilesDir(RegistryApi& registry) {
    std::string text;
    if (!QueryRegistryValue(registry, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                            "CommonFilesDir", text))
        return {};
    return TrimCopy(text);
}

std::string GetShortPath(FileSystemApi& files, std::string_view path) {
    return files.GetShortPathName(path);
}

bool FileExists(FileSystemApi& files, std::string_view path) {
    static constexpr DWORD kMasks[] = {0, 2, 32, 1, 0, 4};
    for (DWORD mask : kMasks) {
        std::vector<FindData> found;
        const LONG status = files.FindFiles(path, &found);
        if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) return false;
        if (status != ERROR_SUCCESS) return true;
        for (const auto& entry : found) {
            const DWORD strict = entry.attributes &
                                 (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
            if ((strict & ~mask) == 0) return true;
        }
    }
    return false;
}

}  // namespace vostrel
