// Where the scan finds the menu and desktop entries Wine made for the user:
// on Linux the entries of the user's own folders (menus/), judged for the
// prefix the session scans; the native Windows build has none and gets
// nothing, so its catalogue has no "Wine Menu Entries" row.
#pragma once

#include <memory>

#include "session/scan_session.h"
#include "system/file_system_api.h"

namespace vostrel {

// The menu entries for the prefix `files` is a view of; nothing where
// there are none to look at (no Wine prefix, no home folder).
std::unique_ptr<MenuEntrySource> OpenMenuEntrySource(FileSystemApi& files);

}  // namespace vostrel
