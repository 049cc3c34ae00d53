#include "scan/problem_rows.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "scan/section_table.h"
#include "scan/wine_provided.h"
#include "session/sections.h"
#include "system/path_presence.h"
#include "system/paths.h"
#include "system/registry.h"
#include "system/settings_keys.h"
#include "system/text.h"

namespace vostrel {

namespace {

// True when the problem was added (the ignore list may leave it out).
bool AppendProblem(ScanSession& session, HKEY rootKey, std::string_view valueName,
                   std::string_view testedPath, std::string_view sectionKey,
                   std::string_view keyPath, std::string_view rootName, bool systemFolder,
                   bool testedFolder = false, bool testedClass = false) {
    RegistryProblem problem;
    problem.root = rootKey;
    problem.rootName = std::string(rootName);
    problem.keyPath = std::string(keyPath);
    problem.valueName = std::string(valueName);
    problem.dataAsRead = std::string(session.valueAsRead);
    problem.testedPath = std::string(testedPath);
    problem.scanner = std::string(sectionKey);
    problem.section = std::string(SectionOfScanner(sectionKey));
    problem.systemFolder = systemFolder;
    problem.testedFolder = testedFolder;
    problem.testedClass = testedClass;
    return RecordProblem(session, std::move(problem));
}

}  // namespace

void AddRegistryProblem(ScanSession& session, HKEY rootKey, std::string_view rootName,
                        std::string_view valueName, std::string_view testedPath,
                        std::string_view sectionKey, std::string_view keyPath, bool systemFolder,
                        bool testedFolder) {
    const std::string_view keyName = Trim(valueName).empty() ? kDefaultValueLabel : valueName;
    if (AppendProblem(session, rootKey, keyName, testedPath, sectionKey, keyPath, rootName,
                      systemFolder, testedFolder))
        ProblemRecorded(session);
}

void AddClassProblem(ScanSession& session, HKEY rootKey, std::string_view rootName,
                     std::string_view valueName, std::string_view className,
                     std::string_view sectionKey, std::string_view keyPath) {
    const std::string_view keyName = Trim(valueName).empty() ? kDefaultValueLabel : valueName;
    const std::string tested = std::string(kClassesRootName) + "\\" + std::string(className);
    if (AppendProblem(session, rootKey, keyName, tested, sectionKey, keyPath, rootName, false,
                      false, true))
        ProblemRecorded(session);
}

bool ClassRegistered(RegistryApi& registry, std::string_view className) {
    for (const auto& [root, classes] :
         {std::pair<HKEY, std::string_view>{HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\"},
          {HKEY_CURRENT_USER, "Software\\Classes\\"}}) {
        ScopedKey key(registry);
        if (registry.OpenKeyEx(root, std::string(classes) + std::string(className), KEY_READ,
                               key.out()) == ERROR_SUCCESS)
            return true;
    }
    return false;
}

std::optional<std::string_view> ClassOfTestedPath(std::string_view testedPath) {
    const std::string prefix = std::string(kClassesRootName) + "\\";
    if (testedPath.size() <= prefix.size() || !testedPath.starts_with(prefix)) return std::nullopt;
    return testedPath.substr(prefix.size());
}

void CheckPathWithVariables(ScanSession& session, HKEY rootKey, std::string_view rootName,
                            std::string_view valueName, std::string_view valueData,
                            std::string_view sectionKey, std::string_view keyPath) {
    std::string expanded;
    std::string_view keyName = valueName.empty() ? kDefaultValueLabel : valueName;
    if (ContainsNoCase(valueData, "%Systemroot%")) {
        expanded = GetWindowsDir(session.files) + StripRootVariable(valueData);
    } else if (ContainsNoCase(valueData, "%ProgramFiles%")) {
        expanded = GetProgramFilesDir(session.registry) + StripRootVariable(valueData);
    } else if (ContainsNoCase(valueData, "%commonprogramfiles%")) {
        expanded = GetCommonFilesDir(session.registry) + StripCommonFilesVariable(valueData);
        if (Trim(valueName).empty()) keyName = kDefaultValueLabel;
    } else {
        return;  // an unknown variable: there is nothing to test
    }
    if (PathExists(session, expanded)) return;
    if (AppendProblem(session, rootKey, keyName, expanded, sectionKey, keyPath, rootName, false))
        ProblemRecorded(session);
}

namespace {

// The reason a probe that could not judge its path is counted under.
NotCheckedReason ReasonOf(const PathPresence& probe) {
    switch (probe.kind) {
        case PathPresence::DriveUnavailable: return NotCheckedReason::DriveUnavailable;
        case PathPresence::Network: return NotCheckedReason::Network;
        default: return NotCheckedReason::PathForm;
    }
}

// The existence test itself, without the scan's memory of answers.
PathPresence Probe(ScanSession& session, const std::string& path) {
    PathPresence probe = ProbePath(session.files, path);
    // A file the Wine running the machine supplies itself is there for
    // every program that asks for it, whether or not the prefix holds it.
    if (probe.kind == PathPresence::Missing && ProvidedByWine(session, probe.tested))
        probe.kind = PathPresence::Present;
    return probe;
}

}  // namespace

const PathPresence& ProbeForScan(ScanSession& session, const std::string& path) {
    auto& known = session.facts.existing;
    auto it = known.find(path);
    if (it == known.end()) it = known.emplace(path, Probe(session, path)).first;
    return it->second;
}

PathPresence ProbeAgain(ScanSession& session, const std::string& path, bool folder) {
    return folder ? ProbeFolder(session.files, path) : Probe(session, path);
}

namespace {

// PathExists of a probe made.
bool Exists(ScanSession& session, const PathPresence& probe) {
    if (probe.Judged()) return probe.kind == PathPresence::Present;
    // Out of reach or not understood: never a problem, but counted.
    CountNotChecked(session, ReasonOf(probe), probe.drive);
    if (probe.kind == PathPresence::DriveUnavailable && probe.drive != 0)
        session.result.notChecked.driveWhy.emplace(probe.drive, probe.why);
    return true;
}

}  // namespace

bool PathExists(ScanSession& session, const std::string& path) {
    return Exists(session, ProbeForScan(session, path));
}

bool FolderExists(ScanSession& session, const std::string& path) {
    auto& known = session.facts.existingFolders;
    auto it = known.find(path);
    if (it == known.end()) it = known.emplace(path, ProbeFolder(session.files, path)).first;
    return Exists(session, it->second);
}

}  // namespace vostrel
