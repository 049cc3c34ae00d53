// What a desktop entry's command line starts in Wine: the prefix it names
// (env WINEPREFIX=...) and its target, in the forms Wine's menu builder
// writes:
//   - a Start Menu entry or a shared desktop link: wine C:\...\Name.lnk
//   - a link on the user's own desktop: wine C:\...\program.exe args
//   - older Wines: wine C:\windows\command\start.exe /Unix /home/.../Name.lnk
//   - a file association: wine start /ProgIDOpen Some.ProgId %f
//   - an internet shortcut: wine start.exe http://...
// Other programs' entries that start wine the same way read the same.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vostrel::menus {

enum class LaunchKind {
    WindowsLink,     // a .lnk by its Windows path (C:\...\Name.lnk)
    WindowsProgram,  // a program (or other file) by its Windows path
    HostLink,        // a .lnk by its host path (start /unix /home/.../Name.lnk)
    HostProgram,     // a program by its host path (wine /opt/app/app.exe)
    ProgId,          // a file association: the ProgID whose "open" verb runs
    Other,           // a web address, a bare program name (notepad), nothing
};

struct WineLaunch {
    std::optional<std::string> winePrefix;  // the WINEPREFIX the command sets, as written
    LaunchKind kind = LaunchKind::Other;
    std::string target;       // the path, ProgID or word, as read
    std::string wineProgram;  // "wine", "wine64", "/usr/bin/wine-stable"...
};

// Reads the words of an Exec line (SplitExec). Nothing when the command
// does not start Wine.
std::optional<WineLaunch> ReadWineLaunch(const std::vector<std::string>& words);

// True for the names Wine's launcher goes by: wine, wine64, wine-stable,
// wine-development, wine64-staging, with or without a folder.
bool IsWineProgram(const std::string& word);

// True for a Windows path with a drive letter (C:\... or C:/...).
bool IsWindowsDrivePath(const std::string& path);

}  // namespace vostrel::menus
