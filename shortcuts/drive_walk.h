// The shortcut scan of one fixed drive: walks the drive and hands every
// candidate file to the shortcut check, which records broken shortcuts in
// lvwShortcut.
#pragma once

#include <string>

#include "scan/main_form.h"

namespace vostrel {

// driveRoot is the drive's root path: its letter, a colon and a backslash.
void ScanDriveForShortcuts(MainForm& form, const std::string& driveRoot);

}  // namespace vostrel
