// The class registrations: a value naming a program file (OCX, AX, EXE,
// DLL) is tested where it points; paths with a folder only on fixed drives.
// The values of ProgID keys are class names and are never tested.
#include <array>

#include "scan/checks.h"
#include "scan/folder_variables.h"
#include "scan/problem_rows.h"
#include "scan/text_rules.h"
#include "scan/wine_provided.h"
#include "system/paths.h"

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

void CheckComClassValue(ScanSession& session, HKEY hRoot, std::string_view RootName,
                        std::string_view ValueName, std::string& ValueData,
                        std::string_view SectionName, std::string_view KeyPath) {
    using namespace rules;
    if (Trim(ValueData).empty()) return;
    // WMPlayer.OCX under VersionIndependentProgID is a class's name, not a file.
    if (IsProgramIdKey(KeyPath)) return;
    ValueData = TrimQuotes(ValueData);
    if (!Holds(ValueData, ".")) return;
    if (!IsProgramFileKind(ValueData)) return;
    if (HoldsPathVariable(ValueData)) {
        CheckPathWithVariables(session, hRoot, RootName, ValueName, ValueData, SectionName,
                               KeyPath);
        return;
    }
    if (HoldsFolderVariable(ValueData)) return;  // another variable: nothing to test it against
    if (!Holds(ValueData, "\\")) {
        if (Pos(ValueData, ".") == 1) return;
        const std::string path = AddBackslash(GetSystemDir(session.files)) + ValueData;
        if (PathExists(session, path)) return;
        AddRegistryProblem(session, hRoot, RootName, ValueName, path, SectionName, KeyPath, true);
        return;
    }
    if (!IsOnFixedDrive(session, ValueData)) return;
    if (PathExists(session, ValueData)) return;
    AddRegistryProblem(session, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath, false);
}

}  // namespace vostrel
