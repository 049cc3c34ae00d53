// Startup entries and uninstall entries: one or two file paths are pulled
// out of a command line by plain text rules and tested. A file name without
// a drive is looked for in the system folder. An uninstall entry's
// InstallLocation is a folder.
#include <array>
#include <optional>

#include "scan/checks.h"
#include "scan/folder_variables.h"
#include "scan/problem_rows.h"
#include "scan/text_rules.h"
#include "system/paths.h"
#include "system/text.h"

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

constexpr std::array<UninstallCheck, 7> kUninstallChecks{{
    {"UNINSTALLSTRING", CheckCommandLine},
    {"UNINSTALLPATH", CheckCommandLine},
    {"QUIETUNINSTALLSTRING", CheckQuietUninstallString},
    {"INSTALLSOURCE", CheckUninstallFilePath},
    {"MODIFYPATH", CheckUninstallFilePath},
    {"DISPLAYICON", CheckUninstallFilePath},
    {"INSTALLLOCATION", CheckInstallLocation},
}};

// A candidate of CheckDrivePaths: cut before its arguments, and after the
// three characters that follow its first dot when more follow them.
std::string DrivePathCandidate(std::string_view text) {
    std::string candidate = StripArguments(text);
    if (const std::size_t dot = Pos(candidate, "."); dot != kNotFound) {
        const std::string_view after = FromOrSame(candidate, static_cast<std::ptrdiff_t>(dot) + 1);
        if (TrimQuotes(after).size() != 3) candidate = std::string(Left(candidate, dot + 4));
    }
    return candidate;
}

// The program of a command line that is a program on a drive followed by
// switches only: "C:\App\uninst.exe" /S, or C:\App\unins000.exe /SILENT
// unquoted (its folder may hold blanks). Nothing for any other form, or
// when what follows the program holds a dot, a colon or a backslash (it
// may name a file of its own).
std::optional<std::string> ProgramBeforeSwitches(std::string_view text) {
    text = Trim(text);
    std::string_view program;
    std::string_view rest;
    if (!text.empty() && text.front() == '"') {
        const std::size_t close = text.find('"', 1);
        if (close == std::string_view::npos) return std::nullopt;
        program = text.substr(1, close - 1);
        rest = text.substr(close + 1);
    } else {
        const std::string upper = UpperAscii(text);
        std::size_t end = kNotFound;
        for (std::size_t at = upper.find(".EXE"); at != kNotFound;
             at = upper.find(".EXE", at + 1)) {
            if (at + 4 == upper.size() || upper[at + 4] == ' ') {
                end = at + 4;
                break;
            }
        }
        if (end == kNotFound) return std::nullopt;
        program = text.substr(0, end);
        rest = text.substr(end);
    }
    if (!rest.empty() && rest.front() != ' ') return std::nullopt;
    if (rest.find_first_of(".:\\\"") != std::string_view::npos) return std::nullopt;
    if (program.size() < 4 || program[1] != ':' || program[2] != '\\') return std::nullopt;
    if (UpperAscii(GetFileExtension(program)) != "EXE") return std::nullopt;
    return std::string(program);
}

}  // namespace

void CheckInstallLocation(ScanSession& session, HKEY rootKey, std::string_view rootName,
                          std::string_view valueName, std::string& valueData,
                          std::string_view sectionKey, std::string_view keyPath) {
    if (!ExpandInPlace(session, valueData)) return;
    const std::string folder = TrimQuotes(valueData);
    if (!NamesFullFolder(folder)) return;
    if (FolderExists(session, folder)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, folder, sectionKey, keyPath, false,
                       true);
}

void CheckUninstallValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                         std::string_view valueName, std::string& valueData,
                         std::string_view sectionKey, std::string_view keyPath) {
    const std::string name = UpperAscii(valueName);
    for (const auto& entry : kUninstallChecks) {
        if (entry.valueName != name) continue;
        entry.check(session, rootKey, rootName, valueName, valueData, sectionKey, keyPath);
        return;
    }
}

void CheckUninstallFilePath(ScanSession& session, HKEY rootKey, std::string_view rootName,
                            std::string_view valueName, std::string& valueData,
                            std::string_view sectionKey, std::string_view keyPath) {
    if (valueData.empty()) return;
    if (!ExpandInPlace(session, valueData)) return;
    valueData = TrimQuotes(valueData);
    if (!Holds(valueData, ".")) return;
    if (Holds(valueData, "\\")) {
        const std::size_t marker = Pos(valueData, kDriveMarker);
        if (marker == kNotFound) return;
        valueData = StripArguments(FromOrSame(valueData, static_cast<std::ptrdiff_t>(marker) - 1));
        if (PathExists(session, valueData)) return;
        AddRegistryProblem(session, rootKey, rootName, valueName, valueData, sectionKey, keyPath,
                           false);
        return;
    }
    if (Holds(valueData, kAddressMarker)) return;
    valueData = StripArguments(valueData);
    const std::string path = AddBackslash(GetSystemDir(session.files)) + valueData;
    if (PathExists(session, path)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, path, sectionKey, keyPath, true);
}

void CheckCommandLine(ScanSession& session, HKEY rootKey, std::string_view rootName,
                      std::string_view valueName, std::string& valueData,
                      std::string_view sectionKey, std::string_view keyPath) {
    if (Trim(valueData).empty()) return;
    if (!ExpandInPlace(session, valueData)) return;
    // A quoted program on a drive is the program, whatever follows it
    // ("C:\App\app.exe" "%1").
    if (const std::string_view trimmed = Trim(valueData); trimmed.starts_with('"')) {
        const std::string program(ProgramOfCommandLine(trimmed));
        if (program.size() > 3 && program[1] == ':' && program[2] == '\\' &&
            GetFileExtension(program).size() == 3) {
            if (PathExists(session, program)) return;
            AddRegistryProblem(session, rootKey, rootName, valueName, program, sectionKey, keyPath,
                               false);
            return;
        }
    }
    valueData = TrimQuotes(valueData);
    const std::size_t dot = Pos(valueData, ".");
    if (dot == kNotFound) return;
    if (const std::size_t backslash = Pos(valueData, "\\", dot + 1); backslash != kNotFound) {
        if (Pos(valueData, ".", backslash + 1) == kNotFound) return;
        CheckDrivePaths(session, rootKey, rootName, valueName, valueData, sectionKey, keyPath);
        return;
    }
    std::string program = StripArguments(valueData);
    if (const std::size_t dash = Pos(program, "-");
        dash != kNotFound && Pos(program, "\\", dash) == kNotFound)
        program.resize(dash);
    program = TrimQuotes(program);
    if (const std::size_t blank = Pos(program, " ");
        blank != kNotFound && Pos(program, "\\", blank) == kNotFound)
        program.erase(0, blank + 1);
    std::string extension;
    if (const std::size_t programDot = Pos(program, "."); programDot != kNotFound)
        extension = TrimCopy(FromOrSame(program, static_cast<std::ptrdiff_t>(programDot) + 1));
    if (extension.size() != 3) return;
    bool completed = false;
    if (!Holds(program, kDriveMarker)) {
        program = AddBackslash(GetSystemDir(session.files)) + program;
        completed = true;
    }
    if (PathExists(session, program)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, program, sectionKey, keyPath,
                       completed);
}

void CheckDrivePaths(ScanSession& session, HKEY rootKey, std::string_view rootName,
                     std::string_view valueName, std::string& valueData,
                     std::string_view sectionKey, std::string_view keyPath) {
    const std::size_t first = Pos(valueData, kDriveMarker);
    if (first == kNotFound) return;
    const std::size_t second = Pos(valueData, kDriveMarker, first + 1);
    if (second == kNotFound) {
        valueData = StripArguments(FromOrSame(valueData, static_cast<std::ptrdiff_t>(first) - 1));
        if (PathExists(session, valueData)) return;
        AddRegistryProblem(session, rootKey, rootName, valueName, valueData, sectionKey, keyPath,
                           false);
        return;
    }
    // A marker at the very start has no drive letter before it: the first
    // candidate then starts at the first character. It is as long as the text
    // before the second drive letter, counted from the start.
    const std::size_t start = first > 0 ? first - 1 : 0;
    const std::array<std::string, 2> candidates{
        DrivePathCandidate(Mid(valueData, start, second - 1)),
        DrivePathCandidate(FromOrSame(valueData, static_cast<std::ptrdiff_t>(second) - 1)),
    };
    for (const auto& candidate : candidates) {
        if (PathExists(session, candidate)) continue;
        AddRegistryProblem(session, rootKey, rootName, valueName, candidate, sectionKey, keyPath,
                           false);
    }
}

void CheckQuietUninstallString(ScanSession& session, HKEY rootKey, std::string_view rootName,
                               std::string_view valueName, std::string& valueData,
                               std::string_view sectionKey, std::string_view keyPath) {
    if (!ExpandInPlace(session, valueData)) return;
    if (const auto program = ProgramBeforeSwitches(valueData)) {
        if (PathExists(session, *program)) return;
        AddRegistryProblem(session, rootKey, rootName, valueName, *program, sectionKey, keyPath,
                           false);
        return;
    }
    const std::size_t firstDot = Pos(valueData, ".");
    if (firstDot == kNotFound) return;
    std::string piece(Left(valueData, firstDot + 4));
    if (!Holds(piece, kDriveMarker))
        CheckSystemFolderFile(session, rootKey, rootName, valueName, piece, sectionKey, keyPath);
    std::size_t start = firstDot;
    if (const std::size_t secondDot = Pos(valueData, ".", firstDot + 1); secondDot != kNotFound) {
        piece = Left(valueData, secondDot + 4);
        const std::size_t blank = Pos(piece, " ");
        std::string name;
        if (blank != kNotFound) {
            name = Pos(piece, "\\", blank + 1) != kNotFound
                       ? TrimQuotes(piece)
                       : TrimQuotes(FromOrSame(piece, static_cast<std::ptrdiff_t>(blank) + 1));
        }
        if (!Holds(name, "\\"))
            CheckSystemFolderFile(session, rootKey, rootName, valueName, name, sectionKey, keyPath);
        start = blank;
    }
    if (start == kNotFound) return;
    const std::size_t backslash = Pos(valueData, "\\", start + 1);
    if (backslash == kNotFound || Pos(valueData, ".", backslash + 1) == kNotFound) return;
    CheckDrivePaths(session, rootKey, rootName, valueName, valueData, sectionKey, keyPath);
}

void CheckSystemFolderFile(ScanSession& session, HKEY rootKey, std::string_view rootName,
                           std::string_view valueName, std::string& valueData,
                           std::string_view sectionKey, std::string_view keyPath) {
    const std::size_t dot = Pos(valueData, ".");
    if (dot == kNotFound) return;
    if (FromOrSame(valueData, static_cast<std::ptrdiff_t>(dot) + 1).size() != 3) return;
    std::string path = valueData;
    bool completed = false;
    if (!Holds(valueData, kDriveMarker)) {
        const std::size_t blank = Pos(valueData, " ");
        const std::string_view name =
            blank != kNotFound ? FromOrSame(valueData, static_cast<std::ptrdiff_t>(blank) + 1)
                               : std::string_view(valueData);
        path = GetSystemDir(session.files) + "\\";
        path += name;
        completed = true;
    }
    if (PathExists(session, path)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, path, sectionKey, keyPath, completed);
}

}  // namespace vostrel
