// The icons Wine's menu builder saved for its entries, and which of them a
// repair may remove with the entries. The builder names an icon after the
// file it came from, "<4 hex digits>_<name>.<index>" (3F2A_notepad.0), saves
// it as PNG in every size under $XDG_DATA_HOME/icons/hicolor/<W>x<H>/apps/,
// and writes that name as the entry's Icon= key. Two entries of the same
// program share the icon, so an icon goes only when no remaining entry
// names it. Icons of other names (wine, folder, a theme's) are never the
// builder's own and are never offered for removal; nor is anything outside
// $XDG_DATA_HOME/icons, or a link.
#pragma once

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

// The icon files that may go with `removing`: those of menu-builder names
// that no entry of `all` outside `removing` names too. Sorted, no repeats.
std::vector<std::string> IconsSafeToRemove(const std::vector<WineMenuEntry>& removing,
                                           const std::vector<WineMenuEntry>& all,
                                           const MenuPlaces& places);

}  // namespace vostrel::menus
