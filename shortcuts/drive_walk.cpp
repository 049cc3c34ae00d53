#include "shortcuts/drive_walk.h"

namespace vostrel {

// The drive walk is not written yet: a drive row walks nothing.
void ScanDriveForShortcuts(MainForm&, const std::string&) {}

}  // namespace vostrel
