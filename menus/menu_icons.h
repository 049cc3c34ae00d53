// The icons Wine's menu builder saved for its entries, and which of them a
// repair may remove with the entries. The builder names an icon after the
// file it came from, "<4 hex digits>_<name>.<index>" (3F2A_notepad.0), saves
// it as PNG in every size under $XDG_DATA_HOME/icons/hicolor/<W>x<H>/apps/,
// and writes that name as the entry's Icon= key. Two entries of the same
// program share the icon, so an icon goes only when no remaining entry
// names it. Icons of other names (wine, folder, a theme's) are never the
// builder's own and are never offered for removal; nor is anything outside
// $XDG_DATA_HOME/icons, or a link. A launcher of the user's own or of the
// system that names the icon keeps it too (a .desktop file outside
// applications/wine, on the desktop or in an autostart folder).
#pragma once

#include <set>
#include <string>
#include <vector>

#include "menus/menu_entries.h"

namespace vostrel::menus {

// True for a name as the menu builder makes them (3F2A_notepad.0, 12AB_setup.-101).
bool IsMenuBuilderIconName(const std::string& name);

// The icon files below $XDG_DATA_HOME/icons that an entry's Icon= names:
// <theme>/<size>/<context>/<name>.png|svg|xpm for a bare name, or the file
// itself for an absolute path inside the icons folder. Regular files only.
std::vector<std::string> IconFilesOf(const WineMenuEntry& entry, const MenuPlaces& places);

// The Icon= values of every desktop entry the desktop may show besides the
// files in `removing`: each *.desktop below the user's and the system's
// applications folders (Wine's own folder included), on the desktop and in
// the user's and the system's autostart folders. Bare names are given also
// without an image extension ("3F2A_game.0.png" names "3F2A_game.0" too).
std::set<std::string> IconsNamedByLaunchers(const MenuPlaces& places,
                                            const std::set<std::string>& removing);

// The icon files that may go with `removing`: those of menu-builder names
// that no entry of `all` outside `removing` names too, nor any launcher
// (IconsNamedByLaunchers). Sorted, no repeats.
std::vector<std::string> IconsSafeToRemove(const std::vector<WineMenuEntry>& removing,
                                           const std::vector<WineMenuEntry>& all,
                                           const MenuPlaces& places);

}  // namespace vostrel::menus
