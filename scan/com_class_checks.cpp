// The class registrations: a value naming a program file (OCX, AX, EXE,
// DLL) is tested where it points; paths with a folder only on fixed drives.
// The values of ProgID keys are class names and are never tested; a
// DefaultIcon's file is tested without its icon index.
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

constexpr std::array<std::string_view, 4> kProgramFileKinds{"OCX", "AX", "EXE", "DLL"};
constexpr std::array<std::string_view, 3> kPathVariables{"%Systemroot%", "%ProgramFiles%",
                                                         "%commonprogramfiles%"};

bool IsProgramFileKind(std::string_view data) {
    const std::string kind = UpperAscii(Trim(GetFileExtension(data)));
    for (auto known : kProgramFileKinds)
        if (kind == known) return true;
    return false;
}

bool HoldsPathVariable(std::string_view data) {
    for (auto variable : kPathVariables)
        if (ContainsNoCase(data, variable)) return true;
    return false;
}

// A DefaultIcon key names the file that holds a class's icon, the icon's
// index or resource id after a comma: C:\App\app.exe,0 or "app.dll",-101.
bool IsDefaultIconKey(std::string_view keyPath) {
    const std::size_t slash = keyPath.rfind('\\');
    const std::string_view last =
        slash == std::string_view::npos ? keyPath : keyPath.substr(slash + 1);
    return EqualsNoCase(last, "DefaultIcon");
}

const std::vector<Drive>& DriveCollection(ScanSession& session) {
    auto& drives = session.facts.drives;
    if (!drives) drives = session.files.GetDrives();
    return *drives;
}

}  // namespace

bool IsOnFixedDrive(ScanSession& session, std::string_view path) {
    const std::string letter = UpperAscii(Trim(path.substr(0, 1)));
    for (const auto& drive : DriveCollection(session)) {
        if (std::string(1, drive.letter) == letter) return drive.type == DriveType::Fixed;
    }
    return false;
}

void CheckComClassValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                        std::string_view valueName, std::string& valueData,
                        std::string_view sectionKey, std::string_view keyPath) {
    using namespace rules;
    if (Trim(valueData).empty()) return;
    // WMPlayer.OCX under VersionIndependentProgID is a class's name, not a file.
    if (IsProgramIdKey(keyPath)) return;
    if (IsDefaultIconKey(keyPath)) valueData = std::string(WithoutIconIndex(valueData));
    valueData = TrimQuotes(valueData);
    if (!Holds(valueData, ".")) return;
    if (!IsProgramFileKind(valueData)) return;
    if (HoldsPathVariable(valueData)) {
        CheckPathWithVariables(session, rootKey, rootName, valueName, valueData, sectionKey,
                               keyPath);
        return;
    }
    if (HoldsFolderVariable(valueData)) return;  // another variable: nothing to test it against
    if (!Holds(valueData, "\\")) {
        if (Pos(valueData, ".") == 0) return;
        const std::string path = AddBackslash(GetSystemDir(session.files)) + valueData;
        if (PathExists(session, path)) return;
        AddRegistryProblem(session, rootKey, rootName, valueName, path, sectionKey, keyPath, true);
        return;
    }
    if (!IsOnFixedDrive(session, valueData)) return;
    if (PathExists(session, valueData)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, valueData, sectionKey, keyPath,
                       false);
}

}  // namespace vostrel
