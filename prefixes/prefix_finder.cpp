#include "prefixes/prefix_finder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "prefixes/tool_files.h"
#include "prefixes/vdf.h"
#include "system/atomic_file.h"
#include "system/settings.h"

namespace vostrel::prefixes {

namespace {

namespace fs = std::filesystem;

// How much a place says about a prefix. A prefix reached from several
// places keeps the label and source of the most telling one: a game's name
// from its tool's files beats a folder name, which beats $WINEPREFIX.
enum Rank { kNamedByTool = 0, kToolFolder = 1, kEnvironment = 2 };

bool IsPrefix(const fs::path& folder) {
    std::error_code ec;
    return fs::is_regular_file(folder / "system.reg", ec);
}

bool IsFolder(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec);
}

// The folders in `dir`, by name; nothing when it cannot be listed.
std::vector<fs::path> Subfolders(const fs::path& dir) {
    std::vector<fs::path> out;
    std::error_code ec;
    fs::directory_iterator it(dir, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The files in `dir` whose names end in one of `suffixes`, by name.
std::vector<fs::path> FilesEndingIn(const fs::path& dir,
                                    std::initializer_list<std::string_view> suffixes) {
    std::vector<fs::path> out;
    std::error_code ec;
    fs::directory_iterator it(dir, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        const std::string name = it->path().filename().string();
        for (auto suffix : suffixes)
            if (name.size() > suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
                out.push_back(it->path());
                break;
            }
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The last name of a folder's path, also when the path ends in "/".
std::string FolderName(const fs::path& folder) {
    fs::path normal = folder.lexically_normal();
    if (normal.filename().empty()) normal = normal.parent_path();
    return normal.filename().string();
}

std::string RealPath(const fs::path& path) {
    std::error_code ec;
    fs::path real = fs::canonical(path, ec);
    return ec ? path.lexically_normal().string() : real.string();
}

// A tool's file, read with the care of the program's other small files: a
// FIFO or a device planted in its place is refused, never waited on.
bool ReadToolFile(const fs::path& path, std::string& text, std::string& error) {
    return ReadSmallTextFile(path.string(), kSmallTextFileCap, &text, &error);
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

class Search {
public:
    explicit Search(const PrefixPlaces& places) : places_(places) {}

    PrefixSearch Run() {
        if (!places_.winePrefix.empty()) {
            const fs::path folder(places_.winePrefix);
            Add(folder, FolderName(folder), "wineprefix", kEnvironment);
        }
        if (!home().empty()) Add(home() / ".wine", "Default prefix", "default", kEnvironment);
        for (const auto& dir :
             Distinct({dataHome() / "wineprefixes", home() / ".local/share/wineprefixes"}))
            AddEach(dir, "winetricks");
        Steam({dataHome() / "Steam", home() / ".local/share/Steam", home() / ".steam/steam",
               home() / ".steam/root"},
              "steam");
        Steam({home() / ".var/app/com.valvesoftware.Steam/.local/share/Steam",
               home() / ".var/app/com.valvesoftware.Steam/data/Steam"},
              "steam-flatpak");
        Lutris();
        Bottles({dataHome() / "bottles/bottles", home() / ".local/share/bottles/bottles"},
                "bottles");
        Bottles({home() / ".var/app/com.usebottles.bottles/data/bottles/bottles"},
                "bottles-flatpak");
        Heroic({configHome() / "heroic", home() / ".config/heroic"}, "heroic");
        Heroic({home() / ".var/app/com.heroicgameslauncher.hgl/config/heroic"}, "heroic-flatpak");
        if (!home().empty()) {
            // Heroic's own prefix folder: one folder per game, under "default"
            // in newer versions and directly in older ones.
            const fs::path heroic = home() / "Games/Heroic/Prefixes";
            AddEach(heroic, "heroic");
            AddEach(heroic / "default", "heroic");
            AddEach(home() / "Games", "lutris");  // Lutris' default place for new prefixes
            AddEach(home() / ".PlayOnLinux/wineprefix", "playonlinux");
        }
        return std::move(result_);
    }

private:
    fs::path home() const { return places_.home.empty() ? fs::path() : fs::path(places_.home); }
    fs::path dataHome() const {
        return places_.xdgDataHome.empty() ? home() / ".local/share"
                                           : fs::path(places_.xdgDataHome);
    }
    fs::path configHome() const {
        return places_.xdgConfigHome.empty() ? home() / ".config" : fs::path(places_.xdgConfigHome);
    }

    void Warn(std::string text) { result_.warnings.push_back(std::move(text)); }

    // The existing folders among `dirs`, each real folder once: ~/.steam/steam
    // is mostly a link to ~/.local/share/Steam, and XDG_DATA_HOME is mostly
    // ~/.local/share.
    std::vector<fs::path> Distinct(std::initializer_list<fs::path> dirs) {
        std::vector<fs::path> out;
        std::vector<std::string> real;
        for (const auto& dir : dirs) {
            if (dir.empty() || !dir.is_absolute() || !IsFolder(dir)) continue;
            std::string path = RealPath(dir);
            if (std::find(real.begin(), real.end(), path) != real.end()) continue;
            real.push_back(std::move(path));
            out.push_back(dir);
        }
        return out;
    }

    // A path written in a tool's file: "~" and "$HOME" stand for the home folder.
    fs::path FromToolFile(std::string text) const {
        if (text == "~" || text.rfind("~/", 0) == 0)
            text = places_.home + text.substr(1);
        else if (text == "$HOME" || text.rfind("$HOME/", 0) == 0)
            text = places_.home + text.substr(5);
        return fs::path(text);
    }

    void Add(const fs::path& folder, std::string label, std::string source, Rank rank) {
        if (folder.empty() || !IsPrefix(folder)) return;
        std::string path = RealPath(folder);
        const auto it = seen_.find(path);
        if (it != seen_.end()) {
            auto& [index, best] = it->second;
            if (rank < best) {
                best = rank;
                result_.prefixes[index].label = std::move(label);
                result_.prefixes[index].source = std::move(source);
            }
            return;
        }
        seen_.emplace(path, std::make_pair(result_.prefixes.size(), rank));
        result_.prefixes.push_back({std::move(path), std::move(label), std::move(source)});
    }

    // A prefix named in a tool's file. Proton keeps the Wine prefix in a
    // "pfx" folder inside the one the tool names.
    void AddNamed(const fs::path& folder, std::string label, const std::string& source) {
        if (!folder.is_absolute()) return;
        if (IsPrefix(folder))
            Add(folder, std::move(label), source, kNamedByTool);
        else
            Add(folder / "pfx", std::move(label), source, kNamedByTool);
    }

    // Every prefix folder in `dir`, labelled with its folder name.
    void AddEach(const fs::path& dir, const std::string& source) {
        if (dir.empty()) return;
        for (const auto& folder : Subfolders(dir))
            Add(folder, folder.filename().string(), source, kToolFolder);
    }

    // Steam: every library of every root, each game's prefix in
    // steamapps/compatdata/<appid>/pfx, named after the game's manifest.
    void Steam(std::initializer_list<fs::path> roots, const std::string& source) {
        if (home().empty()) return;
        std::vector<fs::path> libraries;
        std::vector<std::string> real;
        auto addLibrary = [&](const fs::path& library) {
            if (!library.is_absolute() || !IsFolder(library / "steamapps")) return;
            std::string path = RealPath(library);
            if (std::find(real.begin(), real.end(), path) != real.end()) return;
            real.push_back(std::move(path));
            libraries.push_back(library);
        };
        for (const auto& root : Distinct(roots)) {
            addLibrary(root);
            for (const auto& list :
                 {root / "steamapps/libraryfolders.vdf", root / "config/libraryfolders.vdf"}) {
                std::error_code ec;
                if (!fs::is_regular_file(list, ec)) continue;
                const VdfResult parsed = ReadVdfFile(list.string());
                if (!parsed.root) {
                    Warn(parsed.error);
                    continue;
                }
                const VdfNode* folders = parsed.root->Find("libraryfolders");
                if (!folders || !folders->block) {
                    Warn(list.string() + ": no \"libraryfolders\" block");
                    continue;
                }
                for (const VdfNode& entry : folders->children) {
                    const std::string& key = entry.key;
                    if (entry.block)
                        addLibrary(FromToolFile(entry.Text("path")));
                    else if (AllDigits(key))  // the older form: "1" "/mnt/games/SteamLibrary"
                        addLibrary(FromToolFile(entry.value));
                }
            }
        }
        for (const auto& library : libraries) {
            for (const auto& game : Subfolders(library / "steamapps/compatdata")) {
                const std::string appid = game.filename().string();
                if (!IsPrefix(game / "pfx")) continue;
                Add(game / "pfx", SteamGameName(libraries, appid), source, kNamedByTool);
            }
        }
    }

    // The game's name from its manifest in any library (a game installed in
    // one library keeps its prefix in the library Steam itself lives in).
    std::string SteamGameName(const std::vector<fs::path>& libraries, const std::string& appid) {
        for (const auto& library : libraries) {
            const fs::path manifest = library / "steamapps" / ("appmanifest_" + appid + ".acf");
            std::error_code ec;
            if (!fs::is_regular_file(manifest, ec)) continue;
            const VdfResult parsed = ReadVdfFile(manifest.string());
            if (!parsed.root) {
                Warn(parsed.error);
                continue;
            }
            const VdfNode* state = parsed.root->Find("AppState");
            std::string name = state ? state->Text("name") : std::string();
            if (!name.empty()) return name;
        }
        return "Steam app " + appid;
    }

    // Lutris: the prefix each game's YAML file names, under "game:" (where
    // Lutris writes it) or "wine:".
    void Lutris() {
        for (const auto& dir :
             Distinct({configHome() / "lutris/games", home() / ".config/lutris/games",
                       dataHome() / "lutris/games", home() / ".local/share/lutris/games"})) {
            for (const auto& file : FilesEndingIn(dir, {".yml", ".yaml"})) {
                std::string text, error;
                if (!ReadToolFile(file, text, error)) {
                    Warn(error);
                    continue;
                }
                const auto game = ParseLutrisGame(text, &error);
                if (!game) {
                    if (!error.empty()) Warn(file.string() + ": " + error);
                    continue;
                }
                std::string label = game->name;
                if (label.empty()) label = LutrisSlug(file);
                AddNamed(FromToolFile(game->prefix), label, "lutris");
            }
        }
    }

    // "the-witcher-3-1612345678.yml" is the game "the-witcher-3", added at that time.
    static std::string LutrisSlug(const fs::path& file) {
        std::string stem = file.stem().string();
        const std::size_t dash = stem.rfind('-');
        if (dash != std::string::npos && dash > 0 &&
            AllDigits(std::string_view(stem).substr(dash + 1)))
            stem.erase(dash);
        return stem;
    }

    // Bottles: each bottle is a prefix, named in its bottle.yml.
    void Bottles(std::initializer_list<fs::path> dirs, const std::string& source) {
        for (const auto& dir : Distinct(dirs)) {
            for (const auto& bottle : Subfolders(dir)) {
                if (!IsPrefix(bottle)) continue;
                std::string label;
                const fs::path description = bottle / "bottle.yml";
                std::error_code ec;
                std::string text, error;
                if (fs::is_regular_file(description, ec)) {
                    if (!ReadToolFile(description, text, error)) {
                        Warn(error);
                    } else {
                        label = ParseBottleName(text, &error);
                        if (!error.empty()) Warn(description.string() + ": " + error);
                    }
                }
                if (label.empty()) label = bottle.filename().string();
                Add(bottle, label, source, kNamedByTool);
            }
        }
    }

    // Heroic: each game's settings file in GamesConfig names its prefix.
    void Heroic(std::initializer_list<fs::path> dirs, const std::string& source) {
        for (const auto& dir : Distinct(dirs)) {
            for (const auto& file : FilesEndingIn(dir / "GamesConfig", {".json"})) {
                std::string text, error;
                if (!ReadToolFile(file, text, error)) {
                    Warn(error);
                    continue;
                }
                const auto json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
                if (json.is_discarded() || !json.is_object()) {
                    Warn(file.string() + ": not a JSON object");
                    continue;
                }
                for (const auto& [game, settings] : json.items()) {
                    if (!settings.is_object()) continue;
                    const auto prefix = settings.find("winePrefix");
                    if (prefix == settings.end() || !prefix->is_string()) continue;
                    const fs::path folder = FromToolFile(prefix->get<std::string>());
                    // Heroic names the prefix folder after the game's title.
                    std::string label = FolderName(folder);
                    if (label.empty()) label = game;
                    AddNamed(folder, label, source);
                }
            }
        }
    }

    const PrefixPlaces& places_;
    PrefixSearch result_;
    std::map<std::string, std::pair<std::size_t, Rank>> seen_;  // by real path: index and best rank
};

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

PrefixPlaces PlacesFromEnvironment() {
    PrefixPlaces places;
    // HOME, or the home folder the password database names when it is unset.
    places.home = UserHomeFolder().value_or("");
    places.winePrefix = Environment("WINEPREFIX");
    // Relative XDG folders are to be ignored.
    places.xdgDataHome = Environment("XDG_DATA_HOME");
    if (!places.xdgDataHome.empty() && places.xdgDataHome[0] != '/') places.xdgDataHome.clear();
    places.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    if (!places.xdgConfigHome.empty() && places.xdgConfigHome[0] != '/')
        places.xdgConfigHome.clear();
    return places;
}

PrefixSearch FindWinePrefixes(const PrefixPlaces& places) { return Search(places).Run(); }

}  // namespace vostrel::prefixes
