#include "system/paths.h"

#include <vector>

#include "system/registry.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr std::string_view kSystemRootVariable = "%Systemroot%";
constexpr std::string_view kProgramFilesVariable = "%ProgramFiles%";
constexpr std::string_view kCommonFilesVariable = "%commonprogramfiles%";
constexpr std::string_view kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// Buffer sizes of the platform calls: the folder look-ups get 256
// characters, the short path 164 of its 165.
constexpr std::size_t kFolderBuffer = 256;
constexpr std::size_t kShortPathBuffer = 164;

// Positions of the argument cut are held as signed 16-bit numbers: one
// beyond their range is not seen.
constexpr std::size_t kLargestPosition = 32767;

std::size_t SixteenBitPosition(std::size_t position) {
    return position > kLargestPosition ? 0 : position;
}

// Everything after the first occurrence of `variable` (any letter case);
// nothing when it does not occur.
std::optional<std::string> AfterVariable(std::string_view path, std::string_view variable) {
    const std::size_t at = FindNoCase(path, variable);
    if (at == 0) return std::nullopt;
    return std::string(path.substr(at - 1 + variable.size()));
}

std::string LowerText(std::string_view text) {
    std::u16string wide = Utf8ToUtf16(text);
    for (char16_t& c : wide) c = FoldCase(c);
    return Utf16ToUtf8(wide);
}

// A platform answer that does not fit the caller's buffer. The platform
// then fills nothing and returns the size it needs, and the old code took
// that many characters of an empty buffer: a row of NUL characters. An
// answer that does not fit is treated as a failed call instead.
std::string FittingAnswer(const std::string& answer, std::size_t buffer) {
    return Utf8ToAnsi(answer).size() < buffer ? answer : std::string();
}

std::string CurrentVersionValue(RegistryApi& registry, std::string_view valueName) {
    std::string text;
    if (!QueryRegistryValue(registry, HKEY_LOCAL_MACHINE, kCurrentVersionKey, valueName, text))
        return {};
    return TrimCopy(text);
}

}  // namespace

std::string TrimQuotes(std::string_view text) {
    while (!text.empty() && (text.front() == '"' || text.front() == '\r' || text.front() == ' '))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == '"' || text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    return std::string(text);
}

// The cut at a comma wins over the cut at a slash, wherever each stands.
std::string StripArguments(std::string_view commandLine) {
    const std::size_t slash = SixteenBitPosition(Find(commandLine, "/"));
    const std::size_t comma = SixteenBitPosition(Find(commandLine, ","));
    std::string result;
    if (slash > 0) result = TrimQuotes(commandLine.substr(0, slash - 1));
    if (comma > 0) result = TrimQuotes(commandLine.substr(0, comma - 1));
    if (result.empty()) return std::string(commandLine);
    return result;
}

std::string GetFileExtension(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        const char c = path[i - 1];
        if (c == '.') return LowerText(path.substr(i));
        if (c == ':' || c == '\\') return {};
    }
    return {};
}

std::string GetFileName(std::string_view path) {
    if (Trim(path).empty()) return {};
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos) return {};
    return std::string(path.substr(slash + 1));
}

std::string AddBackslash(std::string_view path) {
    if (Trim(path).empty()) return {};
    if (path.back() == '\\') return std::string(path);
    return std::string(path) + '\\';
}

std::string StripRootVariable(std::string_view path) {
    if (auto rest = AfterVariable(path, kSystemRootVariable)) return *rest;
    if (auto rest = AfterVariable(path, kProgramFilesVariable)) return *rest;
    return {};
}

std::string StripCommonFilesVariable(std::string_view path) {
    return AfterVariable(path, kCommonFilesVariable).value_or(std::string());
}

std::string GetWindowsDir(FileSystemApi& files) {
    return FittingAnswer(files.GetWindowsDirectory(), kFolderBuffer);
}

std::string GetSystemDir(FileSystemApi& files) {
    return FittingAnswer(files.GetSystemDirectory(), kFolderBuffer);
}

std::string GetProgramFilesDir(RegistryApi& registry) {
    return CurrentVersionValue(registry, "ProgramFilesDir");
}

std::string GetCommonFilesDir(RegistryApi& registry) {
    return CurrentVersionValue(registry, "CommonFilesDir");
}

std::string GetShortPath(FileSystemApi& files, std::string_view path) {
    return FittingAnswer(files.GetShortPathName(path), kShortPathBuffer);
}

// Any file the search finds counts, whatever its hidden and system
// attributes say: a cleaner that took a hidden system file for missing
// would delete the registry entry of a file that is right there. Folders
// never count; a path the platform refuses to search counts as existing,
// so nothing is removed on a guess.
bool FileExists(FileSystemApi& files, std::string_view path) {
    std::vector<FindData> found;
    const LONG status = files.FindFiles(path, &found);
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) return false;
    if (status != ERROR_SUCCESS) return true;
    for (const auto& entry : found)
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    return false;
}

}  // namespace vostrel
