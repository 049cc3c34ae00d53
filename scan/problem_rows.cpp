#include "scan/problem_rows.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "scan/wine_provided.h"
#include "session/sections.h"
#include "system/paths.h"
#include "system/settings_keys.h"
#include "system/text.h"

namespace vostrel {

namespace {

// True when the problem was added (the ignore list may leave it out).
bool AppendProblem(ScanSession& session, HKEY hRoot, std::string_view valueName,
                   std::string_view testedPath, std::string_view sectionKey,
                   std::string_view keyPath, std::string_view rootName, bool systemFolder) {
    RegistryProblem problem;
    problem.root = hRoot;
    problem.rootName = std::string(rootName);
    problem.keyPath = std::string(keyPath);
    problem.valueName = std::string(valueName);
    problem.dataAsRead = session.valueAsRead;
    problem.testedPath = std::string(testedPath);
    problem.scanner = std::string(sectionKey);
    problem.section = std::string(SectionOfScanner(sectionKey));
    problem.systemFolder = systemFolder;
    return RecordProblem(session, std::move(problem));
}

}  // namespace

void AddRegistryProblem(ScanSession& session, HKEY hRoot, std::string_view RootName,
                        std::string_view ValueName, std::string_view KeyValue,
                        std::string_view SectionName, std::string_view KeyPath,
                        bool CompletedWithSystemFolder) {
    const std::string_view keyName = Trim(ValueName).empty() ? kDefaultValueLabel : ValueName;
    if (AppendProblem(session, hRoot, keyName, KeyValue, SectionName, KeyPath, RootName,
                      CompletedWithSystemFolder))
        ProblemRecorded(session);
}

void CheckPathWithVariables(ScanSession& session, HKEY hRoot, std::string_view RootName,
                            std::string_view ValueName, std::string_view ValueData,
                            std::string_view SectionName, std::string_view KeyPath) {
    std::string expanded;
    std::string_view keyName = ValueName.empty() ? kDefaultValueLabel : ValueName;
    if (ContainsNoCase(ValueData, "%Systemroot%")) {
        expanded = GetWindowsDir(session.files) + StripRootVariable(ValueData);
    } else if (ContainsNoCase(ValueData, "%ProgramFiles%")) {
        expanded = GetProgramFilesDir(session.registry) + StripRootVariable(ValueData);
    } else if (ContainsNoCase(ValueData, "%commonprogramfiles%")) {
        expanded = GetCommonFilesDir(session.registry) + StripCommonFilesVariable(ValueData);
        if (Trim(ValueName).empty()) keyName = kDefaultValueLabel;
    } else {
        return;  // an unknown variable: there is nothing to test
    }
    if (PathExists(session, expanded)) return;
    if (AppendProblem(session, hRoot, keyName, expanded, SectionName, KeyPath, RootName, false))
        ProblemRecorded(session);
}

bool PathExists(ScanSession& session, const std::string& path) {
    auto& known = session.facts.existing;
    if (const auto it = known.find(path); it != known.end()) return it->second;
    // A file the Wine running the machine supplies itself is there for
    // every program that asks for it, whether or not the prefix holds it.
    const bool exists = FileExists(session.files, path) || ProvidedByWine(session, path);
    known.emplace(path, exists);
    return exists;
}

}  // namespace vostrel
