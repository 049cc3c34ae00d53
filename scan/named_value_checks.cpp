// The sections whose values are named by what they stand for: the shared
// libraries' use counts (SharedDLLs) and the programs given a compatibility
// layer name a file, the installer's folders name a folder, and the MUI
// cache names a program followed by what is cached about it
// ("C:\App\app.exe.FriendlyAppName"). The value's data is not looked at.
#include <array>
#include <optional>

#include "scan/checks.h"
#include "scan/problem_rows.h"
#include "system/paths.h"
#include "system/text.h"

namespace vostrel {

namespace {

// A full path on a drive, "C:\...", or a network path, "\\server\share\...";
// nothing else is a path a value's name can be taken for.
bool NamesFullPath(std::string_view name) {
    if (name.size() >= 3 && ((name[0] | 0x20) >= 'a' && (name[0] | 0x20) <= 'z') &&
        name[1] == ':' && name[2] == '\\')
        return true;
    return name.size() > 2 && name[0] == '\\' && name[1] == '\\' && name[2] != '?' &&
           name[2] != '.';
}

// The suffixes the MUI cache puts after a program's path, upper case.
constexpr std::array<std::string_view, 2> kMuiCacheSuffixes{".FRIENDLYAPPNAME",
                                                            ".APPLICATIONCOMPANY"};

// The program a MUI cache name stands for: the name without its suffix.
// Nothing for the cache's own values (LangID), for resource strings
// ("@%SystemRoot%\system32\shell32.dll,-8752") and for a suffix not known.
std::optional<std::string_view> MuiCacheProgram(std::string_view name) {
    const std::string upper = UpperAscii(name);
    for (const std::string_view suffix : kMuiCacheSuffixes) {
        if (upper.size() > suffix.size() && upper.ends_with(suffix))
            return name.substr(0, name.size() - suffix.size());
    }
    return std::nullopt;
}

}  // namespace

void CheckNamedFileValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                         std::string_view valueName, std::string&, std::string_view sectionKey,
                         std::string_view keyPath) {
    const std::string path = TrimQuotes(valueName);
    if (!NamesFullPath(path) || path.back() == '\\') return;
    if (PathExists(session, path)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, path, sectionKey, keyPath, false);
}

void CheckNamedFolderValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                           std::string_view valueName, std::string&, std::string_view sectionKey,
                           std::string_view keyPath) {
    const std::string folder = TrimQuotes(valueName);
    if (!NamesFullPath(folder)) return;
    if (FolderExists(session, folder)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, folder, sectionKey, keyPath, false,
                       true);
}

void CheckMuiCacheValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                        std::string_view valueName, std::string&, std::string_view sectionKey,
                        std::string_view keyPath) {
    const auto program = MuiCacheProgram(valueName);
    if (!program || !NamesFullPath(*program)) return;
    const std::string path(*program);
    if (PathExists(session, path)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, path, sectionKey, keyPath, false);
}

}  // namespace vostrel
