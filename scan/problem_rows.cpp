#include "scan/problem_rows.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "scan/wine_provided.h"
#include "system/paths.h"
#include "system/text.h"

namespace vostrel {

namespace {

void AppendRow(MainForm& form, HKEY hRoot, std::string_view keyName, std::string_view KeyValue,
               std::string_view SectionName, std::string_view KeyPath, std::string_view RootName,
               bool CompletedWithSystemFolder) {
    auto& list = form.lvwErrors;
    const std::size_t row = list.Add(RootHandleText(hRoot));
    list.SetSubItem(row, 1, keyName);
    list.SetSubItem(row, 2, KeyValue);
    list.SetSubItem(row, 3, SectionName);
    list.SetSubItem(row, 4, KeyPath);
    list.SetSubItem(row, 5, RootName);
    if (CompletedWithSystemFolder) list.SetSubItem(row, 6, "Yes");
}

// A setting read as a number; nothing when it is not one.
std::optional<double> SettingNumber(const std::string& text) {
    const std::string trimmed = TrimCopy(text);
    if (trimmed.empty()) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size()) return std::nullopt;
    return value;
}

// The sound file as the host can play it, when it is there: a host path
// (what a Linux file dialog gives) is played as it is; a Windows path must be
// found by the file search with hidden files admitted.
std::optional<std::string> PlayableSoundFile(FileSystemApi& files, const std::string& path) {
    if (path.front() == '/') {
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) return path;
        return std::nullopt;
    }
    std::vector<FindData> found;
    if (files.FindFiles(path, &found) != ERROR_SUCCESS) return std::nullopt;
    for (const auto& entry : found) {
        const DWORD strict = entry.attributes & (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
        if (strict == 0) return files.HostPath(path);
    }
    return std::nullopt;
}

void CountProblem(Window& window) {
    const std::string caption = TrimCopy(window.Caption(Control::lblProblemsFound));
    long long count = 0;
    const auto [end, error] = std::from_chars(caption.data(), caption.data() + caption.size(), count);
    if (error != std::errc() || end != caption.data() + caption.size() || caption.empty()) return;
    window.SetCaption(Control::lblProblemsFound, std::to_string(count + 1));
}

}  // namespace

void AddProblemRow(MainForm& form, HKEY hRoot, std::string_view RootName, std::string_view ValueName,
                   std::string_view KeyValue, std::string_view SectionName, std::string_view KeyPath,
                   bool CompletedWithSystemFolder) {
    const std::string_view keyName = Trim(ValueName).empty() ? "(Default)" : ValueName;
    AppendRow(form, hRoot, keyName, KeyValue, SectionName, KeyPath, RootName, CompletedWithSystemFolder);
    PlayDetectionSound(form);
}

void CheckPathWithVariables(MainForm& form, HKEY hRoot, std::string_view RootName,
                            std::string_view ValueName, std::string_view ValueData,
                            std::string_view SectionName, std::string_view KeyPath) {
    std::string expanded;
    std::string_view keyName = ValueName.empty() ? "(Default)" : ValueName;
    if (ContainsNoCase(ValueData, "%Systemroot%")) {
        expanded = GetWindowsDir(form.files) + StripRootVariable(ValueData);
    } else if (ContainsNoCase(ValueData, "%ProgramFiles%")) {
        expanded = GetProgramFilesDir(form.registry) + StripRootVariable(ValueData);
    } else if (ContainsNoCase(ValueData, "%commonprogramfiles%")) {
        expanded = GetCommonFilesDir(form.registry) + StripCommonFilesVariable(ValueData);
        if (Trim(ValueName).empty()) keyName = "(Default)";
    } else {
        return;  // an unknown variable: there is nothing to test
    }
    if (PathExists(form, expanded)) return;
    AppendRow(form, hRoot, keyName, expanded, SectionName, KeyPath, RootName, false);
    PlayDetectionSound(form);
}

bool PathExists(MainForm& form, const std::string& path) {
    auto& known = form.state.facts.existing;
    if (const auto it = known.find(path); it != known.end()) return it->second;
    // A file the Wine running the machine supplies itself is there for
    // every program that asks for it, whether or not the prefix holds it.
    const bool exists = FileExists(form.files, path) || ProvidedByWine(form, path);
    known.emplace(path, exists);
    return exists;
}

void PlayDetectionSound(MainForm& form) {
    const auto enabled = SettingNumber(form.settings.Get("chkPlaySound", "0"));
    if (enabled && *enabled == 1) {
        const std::string path = TrimCopy(form.settings.Get("txtWaveFilesPath", ""));
        if (!path.empty()) {
            if (const auto playable = PlayableSoundFile(form.files, path))
                form.window.PlaySound(*playable);
        }
    }
    CountProblem(form.window);
}

}  // namespace vostrel
