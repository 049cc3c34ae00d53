// Finding the user's Wine prefixes in a fake home that has prefixes in every
// place the tools keep them: $WINEPREFIX, ~/.wine, winetricks, Steam (two
// libraries, native and Flatpak), Lutris (game YAML files and ~/Games),
// Bottles (native and Flatpak), Heroic (GamesConfig and its prefix folder)
// and PlayOnLinux, with broken files among them. Then the same home through
// vostrel-cli: "prefixes --json", and "scan --all --json" on real prefixes.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "prefixes/prefix_finder.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"

namespace vostrel::prefixes {

void PrintTo(const FoundPrefix& p, std::ostream* out) {
    *out << "{" << p.path << ", " << p.label << ", " << p.source << "}";
}

namespace {

namespace fs = std::filesystem;
using testing::WriteTextFile;

struct Expected {
    std::string path;  // relative to the fake home
    std::string label;
    std::string source;
};

// A fake home. Prefixes are made by MakePrefix: by default a registry file
// that only has Wine's header, enough for the finder; a test that scans them
// sets `realPrefix` to a wineboot prefix whose registry files are copied.
class FakeHome {
public:
    FakeHome() : home_(fs::canonical(dir_.path()).string()) {}
    const std::string& home() const { return home_; }
    std::string operator/(const std::string& relative) const { return home_ + "/" + relative; }

    void MakePrefix(const std::string& relative) const {
        const fs::path folder = *this / relative;
        fs::create_directories(folder / "drive_c");
        fs::create_directories(folder / "dosdevices");
        std::error_code ec;
        fs::create_directory_symlink("../drive_c", folder / "dosdevices/c:", ec);
        if (realPrefix.empty()) {
            WriteTextFile((folder / "system.reg").string(), "WINE REGISTRY Version 2\n");
            return;
        }
        for (const char* file : {"system.reg", "user.reg", "userdef.reg"})
            fs::copy_file(fs::path(realPrefix) / file, folder / file,
                          fs::copy_options::overwrite_existing);
    }
    void Write(const std::string& relative, const std::string& text) const {
        WriteTextFile(*this / relative, text);
    }

    PrefixPlaces Places() const {
        return {home_, *this / "custom-prefix", *this / "xdg/data", *this / "xdg/config"};
    }

    std::string realPrefix;

private:
    testing::TempDir dir_;
    std::string home_;
};

std::string Manifest(const std::string& appid, const std::string& name) {
    return "\"AppState\"\n{\n\t\"appid\"\t\t\"" + appid +
           "\"\n\t\"Universe\"\t\t\"1\"\n\t\"name\"\t\t\"" + name +
           "\"\n\t\"StateFlags\"\t\t\"4\"\n}\n";
}

// Every place, in the order the finder lists them.
std::vector<Expected> BuildEveryPlace(FakeHome& h) {
    std::vector<Expected> expected;
    auto prefix = [&](const std::string& relative, const std::string& label,
                      const std::string& source) {
        h.MakePrefix(relative);
        expected.push_back({relative, label, source});
    };
    prefix("custom-prefix", "custom-prefix", "wineprefix");
    prefix(".wine", "Default prefix", "default");
    prefix("xdg/data/wineprefixes/dotnet48", "dotnet48", "winetricks");

    // Steam: the library Steam lives in, and a second one on "another disk".
    // Cyberpunk is installed in the second library but, as Steam does, has
    // its prefix in the first. ~/.steam/steam links to the same root.
    const std::string steam = ".local/share/Steam";
    h.Write(steam + "/steamapps/libraryfolders.vdf",
            "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + (h / steam) +
                "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"220\"\t\t\"1\"\n\t\t}\n\t}\n\t\"1\"\n\t{"
                "\n\t\t\"path\"\t\t\"" +
                (h / "disk2/SteamLibrary") + "\"\n\t\t\"label\"\t\t\"\"\n\t}\n}\n");
    fs::create_directories(h / ".steam");
    fs::create_directory_symlink(h / steam, h / ".steam/steam");
    h.Write(steam + "/steamapps/appmanifest_220.acf", Manifest("220", "Half-Life 2"));
    h.Write("disk2/SteamLibrary/steamapps/appmanifest_440.acf", Manifest("440", "Team Fortress 2"));
    h.Write("disk2/SteamLibrary/steamapps/appmanifest_1091500.acf",
            Manifest("1091500", "Cyberpunk 2077"));
    h.Write(steam + "/steamapps/appmanifest_999.acf",
            "\"AppState\"\n{\n\t\"name\" \"cut off");  // broken
    prefix(steam + "/steamapps/compatdata/1091500/pfx", "Cyberpunk 2077", "steam");
    prefix(steam + "/steamapps/compatdata/220/pfx", "Half-Life 2", "steam");
    prefix(steam + "/steamapps/compatdata/999/pfx", "Steam app 999", "steam");
    fs::create_directories(h / (steam + "/steamapps/compatdata/228980"));  // no prefix made yet
    prefix("disk2/SteamLibrary/steamapps/compatdata/440/pfx", "Team Fortress 2", "steam");
    const std::string flatpakSteam = ".var/app/com.valvesoftware.Steam/.local/share/Steam";
    h.Write(flatpakSteam + "/steamapps/appmanifest_570.acf", Manifest("570", "Dota 2"));
    prefix(flatpakSteam + "/steamapps/compatdata/570/pfx", "Dota 2", "steam-flatpak");

    // Lutris: game files in both of its folders, a broken one beside them.
    h.Write("xdg/config/lutris/games/the-witcher-3-1612345678.yml",
            "game:\n  exe: /home/ann/Games/the-witcher-3/drive_c/witcher3.exe\n  prefix: "
            "~/Games/the-witcher-3\n"
            "system: {}\nwine:\n  version: lutris-7.2\n");
    h.Write("xdg/config/lutris/games/broken-1.yml", "game: [prefix: unclosed\n");
    h.Write(".local/share/lutris/games/gog-galaxy-1700000000.yml",
            "name: GOG Galaxy\nwine:\n  prefix: $HOME/Games/gog-galaxy\n");
    prefix("Games/the-witcher-3", "the-witcher-3", "lutris");
    prefix("Games/gog-galaxy", "GOG Galaxy", "lutris");

    // Bottles, each named in its bottle.yml.
    h.Write("xdg/data/bottles/bottles/Gaming/bottle.yml",
            "Arch: win64\nName: My Games\nPath: Gaming\n");
    prefix("xdg/data/bottles/bottles/Gaming", "My Games", "bottles");
    h.Write(".var/app/com.usebottles.bottles/data/bottles/bottles/Office/bottle.yml",
            "Name: \"Office 2010\"\nRunner: soda-7.0-9\n");
    prefix(".var/app/com.usebottles.bottles/data/bottles/bottles/Office", "Office 2010",
           "bottles-flatpak");

    // Heroic: GamesConfig names the prefix (a Proton one holds it in pfx/).
    h.Write(".config/heroic/GamesConfig/Quail.json",
            "{\n  \"Quail\": {\n    \"winePrefix\": \"" +
                (h / "Games/Heroic/Prefixes/default/Hades") +
                "\",\n    \"wineVersion\": {\"type\": \"wine\"}\n  },\n  \"version\": \"v0\"\n}\n");
    h.Write(".config/heroic/GamesConfig/broken.json", "{\"Quail\": {\"winePrefix\": ");
    h.Write(
        ".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig/Sable.json",
        "{\"Sable\": {\"winePrefix\": \"~/Games/Heroic/Prefixes/default/Sable\", \"wineVersion\": "
        "{\"type\": \"proton\"}}}");
    prefix("Games/Heroic/Prefixes/default/Hades", "Hades", "heroic");
    prefix("Games/Heroic/Prefixes/default/Sable/pfx", "Sable", "heroic-flatpak");
    prefix("Games/Heroic/Prefixes/default/Celeste", "Celeste", "heroic");  // in no GamesConfig file

    prefix("Games/loose-prefix", "loose-prefix", "lutris");
    fs::create_directories(h / "Games/not-a-prefix/drive_c");  // no system.reg
    prefix(".PlayOnLinux/wineprefix/Notepad", "Notepad", "playonlinux");
    return expected;
}

std::vector<FoundPrefix> Absolute(const FakeHome& h, const std::vector<Expected>& expected) {
    std::vector<FoundPrefix> out;
    for (const auto& e : expected) out.push_back({h / e.path, e.label, e.source});
    return out;
}

TEST(PrefixFinder, FindsEveryPlaceWithItsLabelAndSource) {
    FakeHome h;
    const auto expected = BuildEveryPlace(h);
    const PrefixSearch found = FindWinePrefixes(h.Places());
    EXPECT_EQ(found.prefixes, Absolute(h, expected));

    // The broken files are named in warnings; nothing else is.
    ASSERT_EQ(found.warnings.size(), 3u) << ::testing::PrintToString(found.warnings);
    EXPECT_EQ(
        found.warnings[0].rfind(h / ".local/share/Steam/steamapps/appmanifest_999.acf: line 3", 0),
        0u)
        << found.warnings[0];
    EXPECT_EQ(found.warnings[1].rfind(h / "xdg/config/lutris/games/broken-1.yml: ", 0), 0u)
        << found.warnings[1];
    EXPECT_EQ(found.warnings[2], h / ".config/heroic/GamesConfig/broken.json: not a JSON object");
}

TEST(PrefixFinder, APrefixReachedTwiceIsListedOnceWithItsBestName) {
    FakeHome h;
    h.MakePrefix(".local/share/Steam/steamapps/compatdata/220/pfx");
    h.Write(".local/share/Steam/steamapps/appmanifest_220.acf", Manifest("220", "Half-Life 2"));
    h.MakePrefix(".local/share/bottles/bottles/Work");  // no bottle.yml: the folder's name
    // $WINEPREFIX names the game's prefix through a link: it keeps its
    // first place in the list, and the game's name.
    fs::create_directory_symlink(h / ".local/share/Steam/steamapps/compatdata/220", h / "hl2");
    PrefixPlaces places{h.home(), h / "hl2/pfx/", "", ""};
    const PrefixSearch found = FindWinePrefixes(places);
    EXPECT_EQ(found.prefixes,
              (std::vector<FoundPrefix>{
                  {h / ".local/share/Steam/steamapps/compatdata/220/pfx", "Half-Life 2", "steam"},
                  {h / ".local/share/bottles/bottles/Work", "Work", "bottles"}}));
    EXPECT_TRUE(found.warnings.empty());
}

TEST(PrefixFinder, BrokenSteamLibraryListKeepsTheRootLibrary) {
    FakeHome h;
    h.MakePrefix(".local/share/Steam/steamapps/compatdata/10/pfx");
    h.Write(".local/share/Steam/steamapps/libraryfolders.vdf",
            "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n");
    h.Write(".config/lutris/games/list.yml", "- just\n- a list\n");
    h.Write(".config/lutris/games/empty.yml", "");
    const PrefixSearch found = FindWinePrefixes({h.home(), "", "", ""});
    EXPECT_EQ(found.prefixes,
              (std::vector<FoundPrefix>{{h / ".local/share/Steam/steamapps/compatdata/10/pfx",
                                         "Steam app 10", "steam"}}));
    ASSERT_EQ(found.warnings.size(), 2u) << ::testing::PrintToString(found.warnings);
    EXPECT_EQ(found.warnings[0],
              h / ".local/share/Steam/steamapps/libraryfolders.vdf: line 5: missing }");
    EXPECT_EQ(found.warnings[1], h / ".config/lutris/games/list.yml: not a Lutris game file");
}

TEST(PrefixFinder, NothingAtAllIsAnEmptyListAndWinePrefixAlone) {
    FakeHome h;
    const PrefixSearch found = FindWinePrefixes(h.Places());
    EXPECT_TRUE(found.prefixes.empty());
    EXPECT_TRUE(found.warnings.empty());
    EXPECT_TRUE(FindWinePrefixes({}).prefixes.empty());  // no home at all
    // $WINEPREFIX as people write it, with a trailing slash.
    h.MakePrefix("custom-prefix");
    PrefixPlaces places = h.Places();
    places.winePrefix += "/";
    EXPECT_EQ(FindWinePrefixes(places).prefixes,
              (std::vector<FoundPrefix>{{h / "custom-prefix", "custom-prefix", "wineprefix"}}));
}

// vostrel-cli on a fake home: HOME, XDG folders and WINEPREFIX all point into it.
using testing::CliRun;

CliRun Cli(const FakeHome& h, const std::vector<std::string>& args) {
    const PrefixPlaces places = h.Places();
    return testing::RunCli(h.home(),
                           {{"HOME", h.home()},
                            {"XDG_CONFIG_HOME", places.xdgConfigHome},
                            {"XDG_DATA_HOME", places.xdgDataHome},
                            {"WINEPREFIX", places.winePrefix}},
                           args);
}

TEST(PrefixesCommand, ListsEveryPrefixAsJsonAndAsText) {
    FakeHome h;
    const auto expected = BuildEveryPlace(h);
    const CliRun json = Cli(h, {"prefixes", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    auto wanted = nlohmann::json::array();
    for (const auto& e : expected)
        wanted.push_back({{"path", h / e.path}, {"label", e.label}, {"source", e.source}});
    EXPECT_EQ(nlohmann::json::parse(json.out), wanted);
    EXPECT_NE(json.err.find("vostrel-cli: warning: skipped " +
                            (h / ".config/heroic/GamesConfig/broken.json")),
              std::string::npos)
        << json.err;

    const CliRun text = Cli(h, {"prefixes"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.rfind("Label ", 0), 0u) << text.out;
    EXPECT_NE(text.out.find("Cyberpunk 2077   steam            " +
                            (h / ".local/share/Steam/steamapps/compatdata/1091500/pfx") + "\n"),
              std::string::npos)
        << text.out;
}

TEST(PrefixesCommand, ScanAllScansEachPrefixOnce) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    FakeHome h;
    h.realPrefix = testing::SharedWinePrefix();
    h.MakePrefix("custom-prefix");
    h.MakePrefix(".local/share/Steam/steamapps/compatdata/220/pfx");
    h.Write(".local/share/Steam/steamapps/appmanifest_220.acf", Manifest("220", "Half-Life 2"));
    h.MakePrefix("xdg/data/bottles/bottles/Gaming");
    h.Write("xdg/data/bottles/bottles/Gaming/bottle.yml", "Name: My Games\n");

    const CliRun json =
        Cli(h, {"scan", "--all", "--json", "--quiet", "--sections", "Windows Startup"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto scans = nlohmann::json::parse(json.out);
    ASSERT_TRUE(scans.is_array());
    const std::vector<std::pair<std::string, std::string>> wanted = {
        {h / "custom-prefix", "custom-prefix"},
        {h / ".local/share/Steam/steamapps/compatdata/220/pfx", "Half-Life 2"},
        {h / "xdg/data/bottles/bottles/Gaming", "My Games"}};
    ASSERT_EQ(scans.size(), wanted.size()) << json.out;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        EXPECT_EQ(scans[i].at("machine"), "Wine prefix " + wanted[i].first);
        EXPECT_EQ(scans[i].at("prefix").at("label"), wanted[i].second);
        EXPECT_TRUE(scans[i].at("registry").is_array());
        EXPECT_TRUE(scans[i].at("summary").is_array());
    }

    const CliRun text = Cli(h, {"scan", "--all", "--quiet", "--sections", "Windows Startup"});
    ASSERT_EQ(text.status, 0) << text.err;
    std::size_t at = 0;
    for (const auto& heading :
         {"custom-prefix (wineprefix)\n", "Half-Life 2 (steam)\n", "My Games (bottles)\n"}) {
        at = text.out.find(heading, at);
        ASSERT_NE(at, std::string::npos) << heading << " missing or out of order in:\n" << text.out;
        EXPECT_NE(text.out.find("Vostrel 2006 scan of Wine prefix", at), std::string::npos);
    }

    // One prefix is named by --prefix, every prefix by --all: not both.
    const CliRun both = Cli(h, {"scan", "--all", "--prefix", h / "custom-prefix"});
    EXPECT_EQ(both.status, 2);
}

TEST(PrefixesCommand, ScanAllGoesOnPastAPrefixThatCannotBeRead) {
    FakeHome h;
    h.Write(".PlayOnLinux/wineprefix/Broken/system.reg", "WINE REGISTRY Version 2\n[cut");
    const CliRun json = Cli(h, {"scan", "--all", "--json", "--quiet"});
    EXPECT_EQ(json.status, 1);  // a failure, said on the error output, is no success
    EXPECT_EQ(nlohmann::json::parse(json.out), nlohmann::json::array());
    EXPECT_NE(json.err.find(h / ".PlayOnLinux/wineprefix/Broken/system.reg"), std::string::npos)
        << json.err;
}

TEST(PrefixesCommand, ScanAllWithNoPrefixes) {
    FakeHome h;
    const CliRun json = Cli(h, {"scan", "--all", "--json", "--quiet"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(nlohmann::json::parse(json.out), nlohmann::json::array());
    const CliRun text = Cli(h, {"prefixes"});
    EXPECT_EQ(text.out, "No Wine prefixes found.\n");
}

}  // namespace
}  // namespace vostrel::prefixes
