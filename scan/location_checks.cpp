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

std::string SystemFolderPath(MainForm& form, std::string_view name) {
    return AddBackslash(GetSystemDir(form.files)) + std::string(name);
}

// Replaces the folder variables of the data; false when one is unknown.
bool ExpandInPlace(MainForm& form, std::string& data) {
    auto expanded = ExpandFolderVariables(form, data);
    if (!expanded) return false;
    data = std::move(*expanded);
    return true;
}

// Records `path` unless it exists.
void TestPath(MainForm& form, HKEY hRoot, std::string_view RootName, std::string_view ValueName,
              const std::string& path, std::string_view SectionName, std::string_view KeyPath,
              bool completed) {
    if (PathExists(form, path)) return;
    AddProblemRow(form, hRoot, RootName, ValueName, path, SectionName, KeyPath, completed);
}

// A path with a folder, taken from its drive letter on; nothing without a drive.
std::optional<std::string> FromDriveLetter(std::string_view data) {
    const std::size_t marker = rules::Pos(data, rules::kDriveMarker);
    if (marker == 0) return std::nullopt;
    return rules::FromOrSame(data, static_cast<std::ptrdiff_t>(marker) - 1);
}

}  // namespace

void CheckAppPathValue(MainForm& form, HKEY hRoot, std::string_view RootName,
                       std::string_view ValueName, std::string& ValueData,
                       std::string_view SectionName, std::string_view KeyPath) {
    if (Trim(ValueData).empty()) return;
    ValueData = TrimQuotes(ValueData);
    const std::string kind = UpperAscii(Trim(GetFileExtension(ValueData)));
    if (std::find(kAppKinds.begin(), kAppKinds.end(), kind) == kAppKinds.end()) return;
    for (auto variable : kPathVariables) {
        if (!ContainsNoCase(ValueData, variable)) continue;
        CheckPathWithVariables(form, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath);
        return;
    }
    if (HoldsFolderVariable(ValueData)) return;  // another variable: nothing to test it against
    if (!rules::Holds(ValueData, "\\")) {
        TestPath(form, hRoot, RootName, ValueName, SystemFolderPath(form, ValueData), SectionName,
                 KeyPath, true);
        return;
    }
    TestPath(form, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath, false);
}

void CheckHelpFileValue(MainForm& form, HKEY hRoot, std::string_view RootName,
                        std::string_view ValueName, std::string& ValueData,
                        std::string_view SectionName, std::string_view KeyPath) {
    if (ValueData.empty()) return;
    if (!ExpandInPlace(form, ValueData)) return;
    const std::string path = AddBackslash(ValueData) + std::string(ValueName);
    if (rules::Holds(path, "\\")) {
        TestPath(form, hRoot, RootName, ValueName, path, SectionName, KeyPath, false);
        return;
    }
    // A folder of blanks only: the help file is looked for in the system folder.
    if (Trim(ValueName).empty()) return;
    TestPath(form, hRoot, RootName, ValueName, SystemFolderPath(form, ValueName), SectionName,
             KeyPath, true);
}

void CheckSharedToolValue(MainForm& form, HKEY hRoot, std::string_view RootName,
                          std::string_view ValueName, std::string& ValueData,
                          std::string_view SectionName, std::string_view KeyPath) {
    if (Trim(ValueData).empty()) return;
    if (!ExpandInPlace(form, ValueData)) return;
    if (!rules::Holds(ValueData, ".")) return;
    if (!rules::Holds(ValueData, "\\")) {
        if (rules::Holds(ValueData, "*")) return;
        const std::string path = SystemFolderPath(form, ValueData);
        if (GetFileExtension(ValueData).size() != 3) return;
        TestPath(form, hRoot, RootName, ValueName, path, SectionName, KeyPath, true);
        return;
    }
    auto fromDrive = FromDriveLetter(ValueData);
    if (!fromDrive) return;
    ValueData = *fromDrive;
    if (GetFileExtension(ValueData).size() != 3) return;
    TestPath(form, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath, false);
}

void CheckVirtualDeviceValue(MainForm& form, HKEY hRoot, std::string_view RootName,
                             std::string_view ValueName, std::string& ValueData,
                             std::string_view SectionName, std::string_view KeyPath) {
    if (Trim(ValueData).empty()) return;
    if (!ExpandInPlace(form, ValueData)) return;
    if (!rules::Holds(ValueData, ".")) return;
    if (!rules::Holds(ValueData, "\\")) {
        TestPath(form, hRoot, RootName, ValueName, SystemFolderPath(form, ValueData), SectionName,
                 KeyPath, true);
        return;
    }
    auto fromDrive = FromDriveLetter(ValueData);
    if (!fromDrive) return;
    ValueData = *fromDrive;
    TestPath(form, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath, false);
}

void CheckFontValue(MainForm& form, HKEY hRoot, std::string_view RootName,
                    std::string_view ValueName, std::string& ValueData,
                    std::string_view SectionName, std::string_view KeyPath) {
    if (ValueData.empty()) return;
    if (!ExpandInPlace(form, ValueData)) return;
    if (!rules::Holds(ValueData, "\\")) {
        const std::string path = AddBackslash(GetWindowsDir(form.files)) + "Fonts\\" + ValueData;
        TestPath(form, hRoot, RootName, ValueName, path, SectionName, KeyPath, false);
        return;
    }
    if (PathExists(form, ValueData)) return;
    // A font of the host that Wine lists itself: it writes the value again
    // at its next start, wherever the font went.
    if (IsWineHostFontLink(form, ValueName, ValueData)) return;
    AddProblemRow(form, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath, false);
}

}  // namespace vostrel
