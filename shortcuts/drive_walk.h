// The shortcut half of a scan: walks every folder of a drive, depth first,
// every file of a folder before its sub-folders, and hands each candidate
// file to CheckShortcut.
#pragma once

#include <string>

#include "session/scan_session.h"

namespace vostrel {

// Walks the drive whose root is given as "C:\"; a drive that is not ready
// is not walked.
void ScanDriveForShortcuts(ScanSession& session, const std::string& driveRoot);

// True when the drive's volume information can be read.
bool ReadVolumeInfo(ScanSession& session, const std::string& driveRoot);

// Walks one folder and everything below it (a trailing backslash is added
// when missing).
void ScanFolderForShortcuts(ScanSession& session, const std::string& folder);

}  // namespace vostrel
