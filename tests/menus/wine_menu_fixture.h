// Prefixes whose Start Menu and desktop links were saved through Wine's own
// shell (wscript), so that Wine's menu builder writes real menu entries and
// icons into a fake home. Shared by the tests of the menus library and of
// the scan's "Wine Menu Entries" row.
#pragma once

#include <string>

namespace vostrel::testing {

// The prefix's own user folder name (drive_c/users/<name>).
std::string WineUserFolder(const std::string& prefix);

// The prefix's Start Menu "Programs" folder, a host path.
std::string WineProgramsFolder(const std::string& prefix);

// Runs wscript on `script` (a C: path) in `prefix` with the fake home, so
// that the menu builder Wine starts for every saved link writes there, and
// waits until every Wine process of the prefix has ended.
void RunWineScript(const std::string& prefix, const std::string& home, const std::string& script);

// A prefix copied from the test template whose desktop folder is the fake
// home's, with two programs C:\Apps\keep.exe and C:\Apps\gone.exe (copies
// of notepad, for their icons), and the links that `links` (JScript lines
// that call link(path, target) with the variables `programs` and `desktop`)
// saves.
void MakeWinePrefixWithLinks(const std::string& prefix, const std::string& home,
                             const std::string& links);

}  // namespace vostrel::testing
