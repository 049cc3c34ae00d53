// Finding the menu and desktop entries Wine made for the current user:
//   - $XDG_DATA_HOME/applications/wine/**/*.desktop (the Start Menu copies),
//   - $XDG_DATA_HOME/applications/wine-extension-*.desktop (file types),
//   - *.desktop on the desktop folder (XDG_DESKTOP_DIR in user-dirs.dirs,
//     else ~/Desktop) that start wine with a WINEPREFIX.
// Only the user's own folders are looked at, never system-wide ones. Below
// those folders nothing is followed that is a symbolic link (a link could
// lead the walk anywhere on the machine) and only regular files of at most
// kMaxDesktopEntrySize bytes are opened, without blocking, so that a FIFO or
// a device left there cannot hang the scan.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "menus/wine_launch.h"

namespace vostrel::menus {

// The user's folders the entries and their icons live in.
struct MenuPlaces {
    std::string home;        // $HOME
    std::string dataHome;    // $XDG_DATA_HOME, else ~/.local/share
    std::string desktopDir;  // XDG_DESKTOP_DIR, else ~/Desktop
    std::string configHome;  // $XDG_CONFIG_HOME, else ~/.config (autostart/)
    // The system's folders of launchers and autostart entries:
    // $XDG_DATA_DIRS (else /usr/local/share and /usr/share) and
    // $XDG_CONFIG_DIRS (else /etc/xdg). Empty for ForHome.
    std::vector<std::string> systemDataDirs;
    std::vector<std::string> systemConfigDirs;

    // From the environment and $XDG_CONFIG_HOME/user-dirs.dirs. Nothing when
    // HOME is not set (or not absolute) and XDG_DATA_HOME does not stand in.
    static std::optional<MenuPlaces> FromEnvironment();
    // The folders below a given home, with the XDG defaults.
    static MenuPlaces ForHome(const std::string& home);

    std::string ApplicationsDir() const { return dataHome + "/applications"; }
    std::string IconsDir() const { return dataHome + "/icons"; }
    std::string DefaultPrefix() const { return home + "/.wine"; }
};

// XDG_DESKTOP_DIR from the text of a user-dirs.dirs file: "$HOME/Desktop"
// or an absolute path, in double quotes. Nothing when the file does not set
// it or sets it in a form the freedesktop rules do not allow.
std::optional<std::string> DesktopDirFromUserDirs(const std::string& text, const std::string& home);

enum class MenuEntryPlace {
    StartMenu,    // applications/wine/...
    Association,  // applications/wine-extension-*.desktop
    Desktop,      // the desktop folder
};

struct WineMenuEntry {
    std::string path;  // the .desktop file's host path
    MenuEntryPlace place = MenuEntryPlace::StartMenu;
    std::string name;  // Name=
    std::string icon;  // Icon=, as written
    std::string exec;  // Exec=, its string escapes undone
    WineLaunch launch;
};

// A file that looked like an entry but could not be read as one.
struct SkippedMenuFile {
    std::string path;
    std::string why;
};

struct MenuEntryFind {
    std::vector<WineMenuEntry> entries;  // sorted by path
    std::vector<SkippedMenuFile> skipped;
};

// Reads a regular file of at most kMaxDesktopEntrySize bytes named `name`
// in the folder `dirFd` (or a path, with AT_FDCWD), without blocking on a
// FIFO. A link is followed only when `followLink` says so. False, with the
// reason in *why, when it cannot be read so.
bool ReadDesktopFileAt(int dirFd, const std::string& name, bool followLink, std::string* text,
                       std::string* why);

// The limits of the walk below applications/wine.
inline constexpr int kMaxMenuDepth = 16;
inline constexpr std::size_t kMaxMenuFiles = 20000;

MenuEntryFind FindWineMenuEntries(const MenuPlaces& places);

// Reads one entry file (a regular file, not followed if it is a link).
// Nothing, with *why, when it cannot be read, is no desktop entry, or does
// not start Wine.
std::optional<WineMenuEntry> ReadWineMenuEntry(const std::string& path, MenuEntryPlace place,
                                               std::string* why);

}  // namespace vostrel::menus
