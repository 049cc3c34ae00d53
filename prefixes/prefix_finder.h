// Finds every Wine prefix of the user. People who play through Steam
// (Proton), Lutris, Bottles, Heroic, winetricks or PlayOnLinux have many
// prefixes besides ~/.wine, each kept where its tool keeps it; the finder
// looks in each tool's places and reads the tool's own files (Steam's
// libraryfolders.vdf and app manifests, Lutris' game YAML files, Bottles'
// bottle.yml, Heroic's GamesConfig JSON) for the prefixes and their names.
//
// A folder counts as a prefix when it holds system.reg. A prefix reached
// from several places is listed once, by its real path, with the most
// telling label any of those places gave it. Files that cannot be read or
// parsed are skipped with a warning; the search never stops on them.
#pragma once

#include <string>
#include <vector>

namespace vostrel::prefixes {

struct FoundPrefix {
    std::string path;    // the real path (symbolic links resolved)
    std::string label;   // what a person calls it: the game's or bottle's name, else the folder's
    std::string source;  // where it was found: "steam", "lutris", "bottles-flatpak", ...
    bool operator==(const FoundPrefix&) const = default;
};

// Where the search starts. Empty fields are left out.
struct PrefixPlaces {
    std::string home;           // $HOME
    std::string winePrefix;     // $WINEPREFIX
    std::string xdgDataHome;    // $XDG_DATA_HOME (else ~/.local/share)
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME (else ~/.config)
};

struct PrefixSearch {
    std::vector<FoundPrefix> prefixes;  // in the order of the sources, each source's in name order
    std::vector<std::string> warnings;  // files that were skipped, and why
};

// The places of the running user, from the environment.
PrefixPlaces PlacesFromEnvironment();

PrefixSearch FindWinePrefixes(const PrefixPlaces& places);

}  // namespace vostrel::prefixes
