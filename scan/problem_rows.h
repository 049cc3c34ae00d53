// Recording a registry problem: the typed record, the variant for data
// written with a folder variable, and the per-problem sound and event.
#pragma once

#include <optional>
#include <string_view>

#include "session/scan_session.h"
#include "system/winapi.h"

namespace vostrel {

// Appends one registry problem to the session and tells of it (ProblemRecorded).
void AddRegistryProblem(ScanSession& session, HKEY rootKey, std::string_view rootName,
                        std::string_view valueName, std::string_view testedPath,
                        std::string_view sectionKey, std::string_view keyPath, bool systemFolder,
                        bool testedFolder = false);

// Appends a problem of a value that names a class no longer registered
// (neither the machine's nor the user's Software\Classes has its key); its
// tested path is "HKEY_CLASSES_ROOT\\" and the class's name.
void AddClassProblem(ScanSession& session, HKEY rootKey, std::string_view rootName,
                     std::string_view valueName, std::string_view className,
                     std::string_view sectionKey, std::string_view keyPath);

// True when the machine's or the user's Software\Classes has the class's key.
bool ClassRegistered(RegistryApi& registry, std::string_view className);

// The class a class problem's tested path names; nothing for a path.
std::optional<std::string_view> ClassOfTestedPath(std::string_view testedPath);

inline constexpr std::string_view kClassesRootName = "HKEY_CLASSES_ROOT";

// Data holding "%Systemroot%", "%ProgramFiles%" or "%commonprogramfiles%":
// the first of them (in that order) is replaced by its folder, the result is
// tested, and a missing file is recorded with the expanded path. Data holding
// none of the three records nothing.
void CheckPathWithVariables(ScanSession& session, HKEY rootKey, std::string_view rootName,
                            std::string_view valueName, std::string_view valueData,
                            std::string_view sectionKey, std::string_view keyPath);

// The existence test of the checks, asked once per path during a scan:
// any form of path (drive, NT, host, network), and the files the Wine
// running the machine supplies itself count as present.
const PathPresence& ProbeForScan(ScanSession& session, const std::string& path);

// The same existence test asked again, past the scan's memory of answers;
// nothing is remembered or counted. The repair asks it right before it
// removes an entry, once it has made the file system forget what it
// cached (FileSystemApi::ForgetCache).
// A folder's is asked with `folder` set.
PathPresence ProbeAgain(ScanSession& session, const std::string& path, bool folder = false);

// True unless the path names a file that is gone. A path the scan cannot
// judge (a drive that is not there, a network share, a form it does not
// know) is counted as not checked and answers true, so nothing is
// recorded for it.
bool PathExists(ScanSession& session, const std::string& path);

// The same for a folder: true unless the folder is gone.
bool FolderExists(ScanSession& session, const std::string& path);

}  // namespace vostrel
