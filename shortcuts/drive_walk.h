// The shortcut half of a scan: walks every folder of a drive, depth first,
// every file of a folder before its sub-folders, and hands each candidate
// file to CheckShortcut.
#pragma once

#include <string>

#include "session/scan_session.h"

namespace vostrel {

// Walks the drive whose root is given as "C:\". Its volume's label is not
// needed: a drive whose volume information cannot be read is walked all
// the same. A drive that is not available is counted as not checked, with
// the reason; a root that cannot be listed is named among the folders that
// could not be read. Neither passes for a clean drive.
void ScanDriveForShortcuts(ScanSession& session, const std::string& driveRoot);

// Walks one folder and everything below it (a trailing backslash is added
// when missing).
void ScanFolderForShortcuts(ScanSession& session, const std::string& folder);

}  // namespace vostrel
