// Recording a registry problem: the row format of lvwErrors, the variant for
// data written with a folder variable, and the per-problem sound and count.
#pragma once

#include <string_view>

#include "scan/main_form.h"
#include "system/winapi.h"

namespace vostrel {

// Appends one problem row to lvwErrors and counts it (PlayDetectionSound).
void AddProblemRow(MainForm& form, HKEY hRoot, std::string_view RootName, std::string_view ValueName,
                   std::string_view KeyValue, std::string_view SectionName, std::string_view KeyPath,
                   bool CompletedWithSystemFolder);

// Data holding "%Systemroot%", "%ProgramFiles%" or "%commonprogramfiles%":
// the first of them (in that order) is replaced by its folder, the result is
// tested, and a missing file is recorded with the expanded path. Data holding
// none of the three records nothing.
void CheckPathWithVariables(MainForm& form, HKEY hRoot, std::string_view RootName,
                            std::string_view ValueName, std::string_view ValueData,
                            std::string_view SectionName, std::string_view KeyPath);

// FileExists, asked once per path during a scan.
bool PathExists(MainForm& form, const std::string& path);

// Plays the detection sound when the user turned it on, and adds one to the
// problem counter shown in lblProblemsFound.
void PlayDetectionSound(MainForm& form);

}  // namespace vostrel
