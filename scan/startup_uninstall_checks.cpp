// Startup entries and uninstall entries: one or two file paths are pulled
// out of a command line by plain text rules and tested. A file name without
// a drive is looked for in the system folder.
#include <array>

#include "scan/checks.h"
#include "scan/folder_variables.h"
#include "scan/problem_rows.h"
#include "scan/text_rules.h"
#include "system/paths.h"

namespace vostrel {

namespace {

using namespace rules;

bool ExpandInPlace(ScanSession& session, std::string& data) {
    auto expanded = ExpandFolderVariables(session, data);
    if (!expanded) return false;
    data = std::move(*expanded);
    return true;
}

struct UninstallCheck {
    std::string_view valueName;  // upper case
    ValueCheck check;
};

constexpr std::array<UninstallCheck, 6> kUninstallChecks{{
    {"UNINSTALLSTRING", CheckCommandLine},
    {"UNINSTALLPATH", CheckCommandLine},
    {"QUIETUNINSTALLSTRING", CheckQuietUninstallString},
    {"INSTALLSOURCE", CheckUninstallFilePath},
    {"MODIFYPATH", CheckUninstallFilePath},
    {"DISPLAYICON", CheckUninstallFilePath},
}};

// A candidate of CheckDrivePaths: cut before its arguments, and after the
// three characters that follow its first dot when more follow them.
std::string DrivePathCandidate(std::string_view text) {
    std::string candidate = StripArguments(text);
    if (const std::size_t dot = Pos(candidate, ".")) {
        const std::string after = FromOrSame(candidate, static_cast<std::ptrdiff_t>(dot) + 1);
        if (TrimQuotes(after).size() != 3) candidate = Left(candidate, dot + 3);
    }
    return candidate;
}

}  // namespace

void CheckUninstallValue(ScanSession& session, HKEY hRoot, std::string_view RootName,
                         std::string_view ValueName, std::string& ValueData,
                         std::string_view SectionName, std::string_view KeyPath) {
    const std::string name = UpperAscii(ValueName);
    for (const auto& entry : kUninstallChecks) {
        if (entry.valueName != name) continue;
        entry.check(session, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath);
        return;
    }
}

void CheckUninstallFilePath(ScanSession& session, HKEY hRoot, std::string_view RootName,
                            std::string_view ValueName, std::string& ValueData,
                            std::string_view SectionName, std::string_view KeyPath) {
    if (ValueData.empty()) return;
    if (!ExpandInPlace(session, ValueData)) return;
    ValueData = TrimQuotes(ValueData);
    if (!Holds(ValueData, ".")) return;
    if (Holds(ValueData, "\\")) {
        const std::size_t marker = Pos(ValueData, kDriveMarker);
        if (marker == 0) return;
        ValueData = StripArguments(FromOrSame(ValueData, static_cast<std::ptrdiff_t>(marker) - 1));
        if (PathExists(session, ValueData)) return;
        AddRegistryProblem(session, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath,
                           false);
        return;
    }
    if (Holds(ValueData, kAddressMarker)) return;
    ValueData = StripArguments(ValueData);
    const std::string path = AddBackslash(GetSystemDir(session.files)) + ValueData;
    if (PathExists(session, path)) return;
    AddRegistryProblem(session, hRoot, RootName, ValueName, path, SectionName, KeyPath, true);
}

void CheckCommandLine(ScanSession& session, HKEY hRoot, std::string_view RootName,
                      std::string_view ValueName, std::string& ValueData,
                      std::string_view SectionName, std::string_view KeyPath) {
    if (Trim(ValueData).empty()) return;
    if (!ExpandInPlace(session, ValueData)) return;
    ValueData = TrimQuotes(ValueData);
    const std::size_t dot = Pos(ValueData, ".");
    if (dot == 0) return;
    if (const std::size_t backslash = Pos(ValueData, "\\", dot + 1)) {
        if (Pos(ValueData, ".", backslash + 1) == 0) return;
        CheckDrivePaths(session, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath);
        return;
    }
    std::string program = StripArguments(ValueData);
    if (const std::size_t dash = Pos(program, "-"); dash && Pos(program, "\\", dash) == 0)
        program = Left(program, dash - 1);
    program = TrimQuotes(program);
    if (const std::size_t blank = Pos(program, " "); blank && Pos(program, "\\", blank) == 0)
        program = FromOrSame(program, static_cast<std::ptrdiff_t>(blank) + 1);
    std::string extension;
    if (const std::size_t programDot = Pos(program, "."))
        extension = TrimCopy(FromOrSame(program, static_cast<std::ptrdiff_t>(programDot) + 1));
    if (extension.size() != 3) return;
    bool completed = false;
    if (!Holds(program, kDriveMarker)) {
        program = AddBackslash(GetSystemDir(session.files)) + program;
        completed = true;
    }
    if (PathExists(session, program)) return;
    AddRegistryProblem(session, hRoot, RootName, ValueName, program, SectionName, KeyPath,
                       completed);
}

void CheckDrivePaths(ScanSession& session, HKEY hRoot, std::string_view RootName,
                     std::string_view ValueName, std::string& ValueData,
                     std::string_view SectionName, std::string_view KeyPath) {
    const std::size_t first = Pos(ValueData, kDriveMarker);
    if (first == 0) return;
    const std::size_t second = Pos(ValueData, kDriveMarker, first + 1);
    if (second == 0) {
        ValueData = StripArguments(FromOrSame(ValueData, static_cast<std::ptrdiff_t>(first) - 1));
        if (PathExists(session, ValueData)) return;
        AddRegistryProblem(session, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath,
                           false);
        return;
    }
    // A marker at the very start has no drive letter before it: the first
    // candidate then starts at the first character.
    const std::size_t start = first > 1 ? first - 1 : 1;
    const std::array<std::string, 2> candidates{
        DrivePathCandidate(Mid(ValueData, start, second - 2)),
        DrivePathCandidate(FromOrSame(ValueData, static_cast<std::ptrdiff_t>(second) - 1)),
    };
    for (const auto& candidate : candidates) {
        if (PathExists(session, candidate)) continue;
        AddRegistryProblem(session, hRoot, RootName, ValueName, candidate, SectionName, KeyPath,
                           false);
    }
}

void CheckQuietUninstallString(ScanSession& session, HKEY hRoot, std::string_view RootName,
                               std::string_view ValueName, std::string& ValueData,
                               std::string_view SectionName, std::string_view KeyPath) {
    if (!ExpandInPlace(session, ValueData)) return;
    const std::size_t firstDot = Pos(ValueData, ".");
    if (firstDot == 0) return;
    std::string piece = Left(ValueData, firstDot + 3);
    if (!Holds(piece, kDriveMarker))
        CheckSystemFolderFile(session, hRoot, RootName, ValueName, piece, SectionName, KeyPath);
    std::size_t start = firstDot;
    if (const std::size_t secondDot = Pos(ValueData, ".", firstDot + 1)) {
        piece = Left(ValueData, secondDot + 3);
        const std::size_t blank = Pos(piece, " ");
        std::string name;
        if (blank > 0) {
            name = Pos(piece, "\\", blank + 1)
                       ? TrimQuotes(piece)
                       : TrimQuotes(FromOrSame(piece, static_cast<std::ptrdiff_t>(blank) + 1));
        }
        if (!Holds(name, "\\"))
            CheckSystemFolderFile(session, hRoot, RootName, ValueName, name, SectionName, KeyPath);
        start = blank;
    }
    if (start == 0) return;
    const std::size_t backslash = Pos(ValueData, "\\", start + 1);
    if (backslash == 0 || Pos(ValueData, ".", backslash + 1) == 0) return;
    CheckDrivePaths(session, hRoot, RootName, ValueName, ValueData, SectionName, KeyPath);
}

void CheckSystemFolderFile(ScanSession& session, HKEY hRoot, std::string_view RootName,
                           std::string_view ValueName, std::string& ValueData,
                           std::string_view SectionName, std::string_view KeyPath) {
    const std::size_t dot = Pos(ValueData, ".");
    if (dot == 0) return;
    if (FromOrSame(ValueData, static_cast<std::ptrdiff_t>(dot) + 1).size() != 3) return;
    std::string path = ValueData;
    bool completed = false;
    if (!Holds(ValueData, kDriveMarker)) {
        const std::size_t blank = Pos(ValueData, " ");
        const std::string name =
            blank ? FromOrSame(ValueData, static_cast<std::ptrdiff_t>(blank) + 1) : ValueData;
        path = GetSystemDir(session.files) + "\\" + name;
        completed = true;
    }
    if (PathExists(session, path)) return;
    AddRegistryProblem(session, hRoot, RootName, ValueName, path, SectionName, KeyPath, completed);
}

}  // namespace vostrel
