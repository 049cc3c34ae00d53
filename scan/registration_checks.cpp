// Registrations that name one file each, at a known place below their
// section's key: a service's program or driver (Services\<name>\ImagePath),
// a sound event's wave file (AppEvents\Schemes\Apps\<app>\<event>\.Current
// or .Default) and a type library's file (TypeLib\<guid>\<version>\<locale>
// and then win32 or win64). Values anywhere else below those keys are not looked at.
#include <optional>
#include <string>
#include <vector>

#include "scan/checks.h"
#include "scan/problem_rows.h"
#include "scan/text_rules.h"
#include "scan/wine_provided.h"
#include "system/paths.h"
#include "system/text.h"

namespace vostrel {

namespace {

bool IsDefaultValue(std::string_view valueName) {
    return valueName.empty() || valueName == kDefaultValueLabel;
}

// A type library's file: the path without the index of the library among
// the file's resources ("C:\App\app.dll\2" is in app.dll), and unquoted.
std::string TypeLibraryFile(std::string_view data) {
    std::string path = TrimQuotes(Trim(data));
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos || slash + 1 == path.size()) return path;
    const std::string_view last = std::string_view(path).substr(slash + 1);
    const bool index = last.find_first_not_of("0123456789") == std::string_view::npos;
    const std::string_view before = std::string_view(path).substr(0, slash);
    if (index && before.rfind('.') != std::string_view::npos &&
        before.rfind('.') > before.rfind('\\'))
        path.resize(slash);
    return path;
}

bool IsDrivePath(std::string_view path) {
    return path.size() >= 3 && path[1] == ':' && path[2] == '\\';
}

// A 32-bit program that names a file of system32 on a 64-bit machine is
// given the file of syswow64: true when that one is there.
bool In32BitSystemFolder(ScanSession& session, const std::string& path) {
    const std::string windows = GetWindowsDir(session.files);
    if (windows.empty()) return false;
    const std::string system32 = AddBackslash(windows) + "system32\\";
    if (path.size() <= system32.size() || !EqualsNoCase(path.substr(0, system32.size()), system32))
        return false;
    const std::string wow = AddBackslash(windows) + "syswow64\\" + path.substr(system32.size());
    return ProbeForScan(session, wow).kind == PathPresence::Present;
}

}  // namespace

std::optional<std::vector<std::string_view>> KeysBelow(std::string_view keyPath,
                                                       std::string_view base) {
    if (keyPath.size() <= base.size() + 1 || !EqualsNoCase(keyPath.substr(0, base.size()), base) ||
        keyPath[base.size()] != '\\')
        return std::nullopt;
    std::vector<std::string_view> names;
    std::string_view rest = keyPath.substr(base.size() + 1);
    while (true) {
        const std::size_t slash = rest.find('\\');
        names.push_back(rest.substr(0, slash));
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    return names;
}

void CheckServiceValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                       std::string_view valueName, std::string& valueData,
                       std::string_view sectionKey, std::string_view keyPath) {
    if (!EqualsNoCase(valueName, "ImagePath")) return;
    const auto below = KeysBelow(keyPath, "SYSTEM\\CurrentControlSet\\Services");
    if (!below || below->size() != 1) return;
    // Windows tries each program an unquoted line may name: one that is
    // there (or cannot be judged) is the one it starts.
    std::string missing;
    for (const std::string_view candidate : rules::ProgramsOfCommandLine(valueData)) {
        const std::string program(candidate);
        // A bare name is looked for along a search path the scan cannot follow.
        if (program.find('\\') == std::string::npos) return;
        if (InWineAddOnFolder(session, program)) return;
        if (PathExists(session, program)) return;
        if (missing.empty()) missing = program;
    }
    if (missing.empty()) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, missing, sectionKey, keyPath, false);
}

void CheckSoundEventValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                          std::string_view valueName, std::string& valueData,
                          std::string_view sectionKey, std::string_view keyPath) {
    if (!IsDefaultValue(valueName)) return;
    const auto below = KeysBelow(keyPath, "AppEvents\\Schemes\\Apps");
    if (!below || below->size() != 3) return;
    const std::string_view scheme = below->back();
    if (!EqualsNoCase(scheme, ".Current") && !EqualsNoCase(scheme, ".Default")) return;
    const std::string sound = TrimQuotes(Trim(valueData));
    if (sound.empty()) return;  // the event plays no sound
    std::string path = sound;
    bool completed = false;
    if (sound.find('\\') == std::string::npos) {
        // A bare name is one of the Windows folder's sounds.
        const std::string windows = GetWindowsDir(session.files);
        if (windows.empty()) return;
        path = AddBackslash(windows) + "media\\" + sound;
        completed = true;
    } else if (!IsDrivePath(sound)) {
        return;
    }
    if (PathExists(session, path)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, path, sectionKey, keyPath, completed);
}

void CheckTypeLibraryValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                           std::string_view valueName, std::string& valueData,
                           std::string_view sectionKey, std::string_view keyPath) {
    if (!IsDefaultValue(valueName)) return;
    const auto below = KeysBelow(keyPath, "TypeLib");
    if (!below || below->size() != 4) return;
    const std::string_view platform = below->back();
    if (!EqualsNoCase(platform, "win32") && !EqualsNoCase(platform, "win64")) return;
    const std::string path = TypeLibraryFile(valueData);
    // A bare name is looked for along a search path the scan cannot follow.
    if (!IsDrivePath(path)) return;
    if (EqualsNoCase(platform, "win32") && In32BitSystemFolder(session, path)) return;
    if (PathExists(session, path)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, path, sectionKey, keyPath, false);
}

}  // namespace vostrel
