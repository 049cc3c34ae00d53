// Software locations, help files, shared files, virtual devices and fonts:
// each value that names a file is completed to a full path and tested.
#include <algorithm>
#include <array>

#include "scan/checks.h"
#include "scan/folder_variables.h"
#include "scan/problem_rows.h"
#include "scan/text_rules.h"
#include "scan/wine_provided.h"
#include "system/paths.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr std::array<std::string_view, 3> kAppKinds{"EXE", "DLL", "OCX"};
constexpr std::array<std::string_view, 3> kPathVariables{"%Systemroot%", "%ProgramFiles%",
                                                         "%commonprogramfiles%"};

std::string SystemFolderPath(ScanSession& session, std::string_view name) {
    return AddBackslash(GetSystemDir(session.files)) + std::string(name);
}

// Replaces the folder variables of the data; false when one is unknown.
bool ExpandInPlace(ScanSession& session, std::string& data) {
    auto expanded = ExpandFolderVariables(session, data);
    if (!expanded) return false;
    data = std::move(*expanded);
    return true;
}

// Records `path` unless it exists.
void TestPath(ScanSession& session, HKEY rootKey, std::string_view rootName,
              std::string_view valueName, const std::string& path, std::string_view sectionKey,
              std::string_view keyPath, bool completed) {
    if (PathExists(session, path)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, path, sectionKey, keyPath, completed);
}

// A path with a folder, taken from its drive letter on; nothing without a drive.
std::optional<std::string> FromDriveLetter(std::string_view data) {
    const std::size_t marker = rules::Pos(data, rules::kDriveMarker);
    if (marker == rules::kNotFound) return std::nullopt;
    return std::string(rules::FromOrSame(data, static_cast<std::ptrdiff_t>(marker) - 1));
}

// An App Paths key's Path value: the folders, separated by ';', put before
// the search path when the program starts. The value is stale when no
// folder it names is there any more: one still there keeps it doing its
// work. Empty parts, relative ones and parts written with a variable this
// machine does not set are passed over; it is the first missing folder that
// is reported.
void CheckAppFolders(ScanSession& session, HKEY rootKey, std::string_view rootName,
                     std::string_view valueName, std::string_view valueData,
                     std::string_view sectionKey, std::string_view keyPath) {
    std::optional<std::string> firstMissing;
    std::size_t start = 0;
    while (start <= valueData.size()) {
        std::size_t end = valueData.find(';', start);
        if (end == std::string_view::npos) end = valueData.size();
        const std::string part = TrimQuotes(valueData.substr(start, end - start));
        start = end + 1;
        if (part.empty()) continue;
        const auto folder = ExpandFolderVariables(session, part);
        if (!folder || !rules::NamesFullFolder(*folder)) continue;
        if (FolderExists(session, *folder)) return;
        if (!firstMissing) firstMissing = *folder;
    }
    if (!firstMissing) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, *firstMissing, sectionKey, keyPath,
                       false, true);
}

}  // namespace

void CheckAppPathValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                       std::string_view valueName, std::string& valueData,
                       std::string_view sectionKey, std::string_view keyPath) {
    if (Trim(valueData).empty()) return;
    if (EqualsNoCase(Trim(valueName), "Path")) {
        CheckAppFolders(session, rootKey, rootName, valueName, valueData, sectionKey, keyPath);
        return;
    }
    valueData = TrimQuotes(valueData);
    const std::string kind = UpperAscii(Trim(GetFileExtension(valueData)));
    if (std::find(kAppKinds.begin(), kAppKinds.end(), kind) == kAppKinds.end()) return;
    for (auto variable : kPathVariables) {
        if (!ContainsNoCase(valueData, variable)) continue;
        CheckPathWithVariables(session, rootKey, rootName, valueName, valueData, sectionKey,
                               keyPath);
        return;
    }
    if (HoldsFolderVariable(valueData)) return;  // another variable: nothing to test it against
    if (!rules::Holds(valueData, "\\")) {
        TestPath(session, rootKey, rootName, valueName, SystemFolderPath(session, valueData),
                 sectionKey, keyPath, true);
        return;
    }
    TestPath(session, rootKey, rootName, valueName, valueData, sectionKey, keyPath, false);
}

void CheckHelpFileValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                        std::string_view valueName, std::string& valueData,
                        std::string_view sectionKey, std::string_view keyPath) {
    if (valueData.empty()) return;
    if (!ExpandInPlace(session, valueData)) return;
    const std::string path = AddBackslash(valueData) + std::string(valueName);
    if (rules::Holds(path, "\\")) {
        TestPath(session, rootKey, rootName, valueName, path, sectionKey, keyPath, false);
        return;
    }
    // A folder of blanks only: the help file is looked for in the system folder.
    if (Trim(valueName).empty()) return;
    TestPath(session, rootKey, rootName, valueName, SystemFolderPath(session, valueName),
             sectionKey, keyPath, true);
}

void CheckSharedToolValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                          std::string_view valueName, std::string& valueData,
                          std::string_view sectionKey, std::string_view keyPath) {
    if (Trim(valueData).empty()) return;
    if (!ExpandInPlace(session, valueData)) return;
    if (!rules::Holds(valueData, ".")) return;
    if (!rules::Holds(valueData, "\\")) {
        if (rules::Holds(valueData, "*")) return;
        const std::string path = SystemFolderPath(session, valueData);
        if (GetFileExtension(valueData).size() != 3) return;
        TestPath(session, rootKey, rootName, valueName, path, sectionKey, keyPath, true);
        return;
    }
    auto fromDrive = FromDriveLetter(valueData);
    if (!fromDrive) return;
    valueData = *fromDrive;
    if (GetFileExtension(valueData).size() != 3) return;
    TestPath(session, rootKey, rootName, valueName, valueData, sectionKey, keyPath, false);
}

void CheckVirtualDeviceValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                             std::string_view valueName, std::string& valueData,
                             std::string_view sectionKey, std::string_view keyPath) {
    if (Trim(valueData).empty()) return;
    if (!ExpandInPlace(session, valueData)) return;
    if (!rules::Holds(valueData, ".")) return;
    if (!rules::Holds(valueData, "\\")) {
        TestPath(session, rootKey, rootName, valueName, SystemFolderPath(session, valueData),
                 sectionKey, keyPath, true);
        return;
    }
    auto fromDrive = FromDriveLetter(valueData);
    if (!fromDrive) return;
    valueData = *fromDrive;
    TestPath(session, rootKey, rootName, valueName, valueData, sectionKey, keyPath, false);
}

void CheckFontValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                    std::string_view valueName, std::string& valueData, std::string_view sectionKey,
                    std::string_view keyPath) {
    if (valueData.empty()) return;
    if (!ExpandInPlace(session, valueData)) return;
    if (!rules::Holds(valueData, "\\")) {
        const std::string path = AddBackslash(GetWindowsDir(session.files)) + "Fonts\\" + valueData;
        TestPath(session, rootKey, rootName, valueName, path, sectionKey, keyPath, false);
        return;
    }
    if (PathExists(session, valueData)) return;
    // A font of the host that Wine lists itself: it writes the value again
    // at its next start, wherever the font went.
    if (IsWineHostFontLink(session, valueName, valueData)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, valueData, sectionKey, keyPath,
                       false);
}

}  // namespace vostrel
