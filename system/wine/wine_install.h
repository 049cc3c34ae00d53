// The Wine installation that runs a prefix, and what it supplies itself
// (system/wine_provides.h): the names in its library folders
// (lib/wine/x86_64-windows, i386-windows, the older lib/wine with
// "x.dll.so" files), a 16-bit "x.dll16"/"x.exe16" standing for "x.dll"/
// "x.exe"; the fonts of its font folder (share/wine/fonts); the server
// names its builtin libraries register for themselves (their WINE_REGISTRY
// scripts, which wineboot runs again at every update); and the bitmap font
// files its font code writes into the Fonts key at every start. All of it
// is read from the installation on first use and kept: nothing is run.
//
// A Wine is found, in this order, in the folder the user names (--wine, the
// setting "txtWine"), through $WINELOADER, through `wine` on $PATH, and in
// the usual distribution folders (/usr, /usr/local, /opt/wine-*).
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "system/wine_provides.h"

namespace vostrel {

// Where an installation keeps what the checks ask about.
struct WineInstallFolders {
    std::string root;                         // "/usr", a Proton "dist" folder
    std::vector<std::string> libraryFolders;  // builtin libraries (PE or .dll.so)
    std::vector<std::string> unixFolders;     // the Unix side (x86_64-unix)
    std::vector<std::string> fontFolders;     // share/wine/fonts
};

class WineInstall final : public WineProvides {
public:
    explicit WineInstall(WineInstallFolders folders);

    bool ProvidesLibrary(std::string_view fileName) override;
    bool ProvidesFont(std::string_view fileName) override;

    const WineInstallFolders& folders() const { return folders_; }

    // What each rule knows, lower case (read on first use).
    const std::set<std::string>& LibraryNames();
    const std::set<std::string>& RegisteredServers();
    const std::set<std::string>& FontNames();
    const std::set<std::string>& FontTableNames();

private:
    WineInstallFolders folders_;
    std::optional<std::set<std::string>> libraries_, servers_, fonts_, fontTable_;
};

// The folders of an installation rooted at `root` (the folder holding
// bin/ and lib/); nothing when it holds no library folder.
std::optional<WineInstallFolders> WineInstallAt(const std::string& root);

// The installation a folder the user named stands for: the root itself, its
// bin folder, or the wine program in it; nothing when none is there.
std::optional<WineInstallFolders> WineInstallNamed(const std::string& folder);

// The installation found without being told (WINELOADER, PATH, the usual
// folders); nothing when there is none.
std::optional<WineInstallFolders> FindSystemWineInstall();

// The Wine a command uses: the named folder when one is given (`named`
// from --wine, else `setting` from "txtWine"), else the one found on the
// system. Null when none is found; `note` then says so (and also when a
// named folder holds no Wine) in one line for the user.
std::unique_ptr<WineInstall> ChooseWineInstall(const std::string& named, const std::string& setting,
                                               std::string* note);

// Helpers of the rules, for the tests: the server names of WINE_REGISTRY
// scripts, and the ".fon" names (with every tail) found in a binary.
std::set<std::string> ServerNamesOfScript(std::string_view script);
void AddFontFileNames(std::string_view bytes, std::set<std::string>& names);
// The WINE_REGISTRY resources of a PE file (empty when it has none or is
// not a PE file).
std::vector<std::string> WineRegistryScripts(const std::string& path);

}  // namespace vostrel
