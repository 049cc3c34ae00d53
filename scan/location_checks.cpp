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
void TestPath(ScanSession& session, HKEY hRoot, std::string_view RootName,
              std::string_view ValueName, const std::string& path, std::string_view SectionName,
              std::string_view KeyPath, bool completed) {
    if (PathExists(session, path)) return;
    AddRegistryProblem(session, hRoot, RootName, ValueName, path, SectionName, KeyPath, completed);
}

// A path with a folder, taken from its drive letter on; nothing without a drive.
std::optional<std::string> FromDriveLetter(std::string_view data) {
    const std::size_t marker = rules::Pos(data, rules::kDriveMarker);
    if (marker == 0) return std::nullopt;
    return rules::FromOrSame(data, static_cast<std::ptrdiff_t>(marker) - 1);
}

}  // namespace

void CheckAppPathValue(ScanSession& session, HKEY hRoot, std::string_view RootName,
                       std::string_view ValueName, std::string& ValueData,
                       std::string_view SectionName, std::string_view KeyPath) {
    if (Trim(ValueData).empty()) return;
    ValueData = TrimQuotes(ValueData);
    const std::string kind = UpperAscii(Trim(GetFileExtension(ValueData)));
    if (std::find(kAppKinds.begin(), kAppKinds.end(), kind) == kAppKinds.end()) return;
    for (auto variable : kPathVariables) {
        if (!ContainsNoCase(ValueData, variable)) continue;
        CheckPathWithVariables(session, hRoot, RootName, ValueName, ValueData, SectionName,
                               KeyPath);
        return;
    }
    if (HoldsFolderVariable(ValueData)) return;  // another variable: nothing to test it against
    if (!rules::Holds(ValueData, "\\")) {
        TestPath(session, hRoot, RootName, ValueName, SystemFolderPath(session, ValueData),
                 SectionName, KeyPath, true);
        return;
    }
    TestPath(session, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath, false);
}

void CheckHelpFileValue(ScanSession& session, HKEY hRoot, std::string_view RootName,
                        std::string_view ValueName, std::string& ValueData,
                        std::string_view SectionName, std::string_view KeyPath) {
    if (ValueData.empty()) return;
    if (!ExpandInPlace(session, ValueData)) return;
    const std::string path = AddBackslash(ValueData) + std::string(ValueName);
    if (rules::Holds(path, "\\")) {
        TestPath(session, hRoot, RootName, ValueName, path, SectionName, KeyPath, false);
        return;
    }
    // A folder of blanks only: the help file is looked for in the system folder.
    if (Trim(ValueName).empty()) return;
    TestPath(session, hRoot, RootName, ValueName, SystemFolderPath(session, ValueName), SectionName,
             KeyPath, true);
}

void CheckSharedToolValue(ScanSession& session, HKEY hRoot, std::string_view RootName,
                          std::string_view ValueName, std::string& ValueData,
                          std::string_view SectionName, std::string_view KeyPath) {
    if (Trim(ValueData).empty()) return;
    if (!ExpandInPlace(session, ValueData)) return;
    if (!rules::Holds(ValueData, ".")) return;
    if (!rules::Holds(ValueData, "\\")) {
        if (rules::Holds(ValueData, "*")) return;
        const std::string path = SystemFolderPath(session, ValueData);
        if (GetFileExtension(ValueData).size() != 3) return;
        TestPath(session, hRoot, RootName, ValueName, path, SectionName, KeyPath, true);
        return;
    }
    auto fromDrive = FromDriveLetter(ValueData);
    if (!fromDrive) return;
    ValueData = *fromDrive;
    if (GetFileExtension(ValueData).size() != 3) return;
    TestPath(session, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath, false);
}

void CheckVirtualDeviceValue(ScanSession& session, HKEY hRoot, std::string_view RootName,
                             std::string_view ValueName, std::string& ValueData,
                             std::string_view SectionName, std::string_view KeyPath) {
    if (Trim(ValueData).empty()) return;
    if (!ExpandInPlace(session, ValueData)) return;
    if (!rules::Holds(ValueData, ".")) return;
    if (!rules::Holds(ValueData, "\\")) {
        TestPath(session, hRoot, RootName, ValueName, SystemFolderPath(session, ValueData),
                 SectionName, KeyPath, true);
        return;
    }
    auto fromDrive = FromDriveLetter(ValueData);
    if (!fromDrive) return;
    ValueData = *fromDrive;
    TestPath(session, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath, false);
}

void CheckFontValue(ScanSession& session, HKEY hRoot, std::string_view RootName,
                    std::string_view ValueName, std::string& ValueData,
                    std::string_view SectionName, std::string_view KeyPath) {
    if (ValueData.empty()) return;
    if (!ExpandInPlace(session, ValueData)) return;
    if (!rules::Holds(ValueData, "\\")) {
        const std::string path = AddBackslash(GetWindowsDir(session.files)) + "Fonts\\" + ValueData;
        TestPath(session, hRoot, RootName, ValueName, path, SectionName, KeyPath, false);
        return;
    }
    if (PathExists(session, ValueData)) return;
    // A font of the host that Wine lists itself: it writes the value again
    // at its next start, wherever the font went.
    if (IsWineHostFontLink(session, ValueName, ValueData)) return;
    AddRegistryProblem(session, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath, false);
}

}  // namespace vostrel
