// Finding Wine's entries in a fake home, hostile files among them, the
// judgement of entries against prefixes laid out as Wine lays them out
// (dosdevices/c: linking to drive_c), and the icons a repair may remove.
// Wine itself makes the entries in menu_entries_wine_test.cpp; here every
// case is written by hand, in the form winemenubuilder writes.
#include "menus/menu_entries.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "menus/desktop_entry.h"
#include "menus/menu_check.h"
#include "menus/menu_icons.h"
#include "support/menu_entry_text.h"
#include "support/temp_dir.h"

namespace vostrel::menus {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteTextFile;

// Entries as Wine's menu builder writes them.
std::string EntryText(const std::string& name, const std::string& prefix,
                      const std::string& program, const std::string& icon = "") {
    return testing::WineMenuEntryText(name, prefix, program, icon);
}

void Write(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    WriteTextFile(path, text);
}

// A prefix as far as the judgement looks: system.reg, drive_c and dosdevices/c:.
void MakePrefix(const std::string& path) {
    fs::create_directories(path + "/drive_c");
    fs::create_directories(path + "/dosdevices");
    fs::create_directory_symlink("../drive_c", path + "/dosdevices/c:");
    Write(path + "/system.reg", "WINE REGISTRY Version 2\n");
}

std::vector<std::string> Names(const std::vector<WineMenuEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.name);
    return names;
}

std::string Relative(const std::string& path, const std::string& base) {
    return fs::path(path).lexically_relative(base).string();
}

TEST(MenuEntries, FindsTheThreeKindsInTheUsersFolders) {
    TempDir temp;
    const std::string home = temp.path() + "/home";
    const std::string data = temp.path() + "/data";
    const std::string config = temp.path() + "/config";
    Write(config + "/user-dirs.dirs",
          "# written by "
          "xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_MUSIC_DIR=\"$HOME/"
          "Musik\"\n");
    const ScopedEnv homeEnv("HOME", home), dataEnv("XDG_DATA_HOME", data),
        configEnv("XDG_CONFIG_HOME", config);
    const auto places = MenuPlaces::FromEnvironment();
    ASSERT_TRUE(places);
    EXPECT_EQ(places->dataHome, data);
    EXPECT_EQ(places->desktopDir, home + "/Schreibtisch");

    const std::string apps = data + "/applications";
    Write(apps + "/wine/Programs/Game.desktop",
          EntryText("Game", "/p", "C:\\users\\Public\\Start Menu\\Game.lnk"));
    Write(apps + "/wine/Programs/Tools/Deep/Tool.desktop",
          EntryText("Tool", "/p", "C:\\Tools\\tool.exe"));
    Write(apps + "/wine/Programs/readme.txt", EntryText("Not an entry name", "/p", "C:\\x.exe"));
    Write(apps + "/wine/Programs/Editor.desktop", "[Desktop Entry]\nName=Editor\nExec=gedit %F\n");
    Write(apps + "/wine/Programs/Folder.desktop", "[Desktop Entry]\nType=Directory\nName=Folder\n");
    Write(apps + "/wine-extension-txt.desktop",
          "[Desktop "
          "Entry]\nType=Application\nName=Notepad\nMimeType=application/x-wine-extension-txt;\n"
          "Exec=env WINEPREFIX=\"/p\" wine start /ProgIDOpen txtfile %f\nNoDisplay=true\n");
    Write(apps + "/org.gnome.gedit.desktop", EntryText("Not Wine's folder", "/p", "C:\\x.exe"));
    Write(home + "/Schreibtisch/Shortcut.desktop",
          EntryText("Shortcut", "/p", "C:\\Games\\run.exe"));
    Write(home + "/Schreibtisch/NoPrefix.desktop", EntryText("NoPrefix", "", "C:\\Games\\run.exe"));
    Write(home + "/Schreibtisch/Firefox.desktop",
          "[Desktop Entry]\nName=Firefox\nExec=firefox %u\n");
    Write(home + "/Schreibtisch/Broken.desktop", "not a desktop entry");
    Write(home + "/Desktop/Elsewhere.desktop", EntryText("Elsewhere", "/p", "C:\\x.exe"));

    const MenuEntryFind found = FindWineMenuEntries(*places);
    ASSERT_EQ(found.entries.size(), 4u);
    const std::pair<std::string, MenuEntryPlace> expected[] = {
        {"data/applications/wine-extension-txt.desktop", MenuEntryPlace::Association},
        {"data/applications/wine/Programs/Game.desktop", MenuEntryPlace::StartMenu},
        {"data/applications/wine/Programs/Tools/Deep/Tool.desktop", MenuEntryPlace::StartMenu},
        {"home/Schreibtisch/Shortcut.desktop", MenuEntryPlace::Desktop},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(Relative(found.entries[i].path, temp.path()), expected[i].first);
        EXPECT_EQ(found.entries[i].place, expected[i].second);
    }
    EXPECT_EQ(found.entries[0].launch.kind, LaunchKind::ProgId);
    EXPECT_EQ(found.entries[1].launch.target, "C:\\users\\Public\\Start Menu\\Game.lnk");
    // In Wine's own folders, what is not a Wine entry is named as skipped;
    // on the desktop, files that are not Wine's are none of our business.
    ASSERT_EQ(found.skipped.size(), 2u);
    EXPECT_EQ(Relative(found.skipped[0].path, temp.path()),
              "data/applications/wine/Programs/Editor.desktop");
    EXPECT_EQ(found.skipped[0].why, "does not start Wine");
    EXPECT_EQ(found.skipped[1].why, "not an application entry");
}

TEST(MenuEntries, UserDirsAndDefaults) {
    const struct {
        std::string text;
        std::optional<std::string> desktop;
    } cases[] = {
        {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "/home/ann/Desktop"},
        {"XDG_DESKTOP_DIR=\"/srv/desk top\"\n", "/srv/desk top"},
        {"XDG_DESKTOP_DIR=\"$HOME\"\n", "/home/ann"},
        {"XDG_DESKTOP_DIR=\"$HOME/A \\\"quoted\\\" name\"\r\n", "/home/ann/A \"quoted\" name"},
        {"  # XDG_DESKTOP_DIR=\"/commented\"\n", std::nullopt},
        {"XDG_DESKTOP_DIR=\"relative/Desktop\"\n", std::nullopt},
        {"XDG_DESKTOP_DIR=$HOME/Unquoted\n", std::nullopt},
        {"XDG_DESKTOP_DIR=\"/first\"\nXDG_DESKTOP_DIR=\"/second\"\n", "/second"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DesktopDirFromUserDirs(c.text, "/home/ann"), c.desktop) << c.text;

    TempDir temp;
    const ScopedEnv homeEnv("HOME", temp.path()), dataEnv("XDG_DATA_HOME", "relative/data"),
        configEnv("XDG_CONFIG_HOME", temp.path() + "/no-config");
    const auto places = MenuPlaces::FromEnvironment();
    ASSERT_TRUE(places);
    EXPECT_EQ(places->dataHome, temp.path() + "/.local/share");  // a relative value does not count
    EXPECT_EQ(places->desktopDir, temp.path() + "/Desktop");
    EXPECT_EQ(places->DefaultPrefix(), temp.path() + "/.wine");
    const ScopedEnv noHome("HOME", "");
    EXPECT_FALSE(MenuPlaces::FromEnvironment());
}

TEST(MenuEntries, HostileFilesAreNeitherFollowedNorReadNorAwaited) {
    TempDir temp;
    const MenuPlaces places = MenuPlaces::ForHome(temp.path() + "/home");
    const std::string wine = places.ApplicationsDir() + "/wine";
    const std::string outside = temp.path() + "/outside";
    Write(outside + "/Outside.desktop", EntryText("Outside", "/p", "C:\\x.lnk"));
    Write(outside + "/folder/InFolder.desktop", EntryText("InFolder", "/p", "C:\\x.lnk"));
    Write(wine + "/Programs/Fine.desktop", EntryText("Fine", "/p", "C:\\x.lnk"));
    // A FIFO nobody writes to: opening it blocking would hang the scan.
    ASSERT_EQ(::mkfifo((wine + "/Programs/Fifo.desktop").c_str(), 0600), 0);
    fs::create_symlink(outside + "/Outside.desktop", wine + "/Programs/Link.desktop");
    fs::create_directory_symlink(outside + "/folder", wine + "/Programs/LinkedFolder");
    fs::create_symlink(outside + "/Outside.desktop",
                       places.ApplicationsDir() + "/wine-extension-lnk.desktop");
    Write(wine + "/Programs/Huge.desktop", EntryText("Huge", "/p", "C:\\x.lnk") + "X-Padding=" +
                                               std::string(kMaxDesktopEntrySize, 'x') + "\n");
    std::string binary =
        "\x7f"
        "ELF";
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xff);
    Write(wine + "/Programs/Binary.desktop", binary);
    std::string deep = wine + "/Programs";
    for (int i = 0; i < kMaxMenuDepth + 2; ++i) deep += "/d";
    Write(deep + "/Deep.desktop", EntryText("Deep", "/p", "C:\\x.lnk"));
    Write(places.desktopDir + "/Desk.desktop", EntryText("Desk", "/p", "C:\\x.lnk"));
    ASSERT_EQ(::mkfifo((places.desktopDir + "/DeskFifo.desktop").c_str(), 0600), 0);

    const MenuEntryFind found = FindWineMenuEntries(places);
    EXPECT_EQ(Names(found.entries),
              (std::vector<std::string>{"Fine", "Desk"}));  // by path: .local < Desktop
    std::map<std::string, std::string> skipped;
    for (const auto& file : found.skipped)
        skipped[Relative(file.path, wine + "/Programs")] = file.why;
    const std::map<std::string, std::string> expected = {
        {"../../wine-extension-lnk.desktop", "a symbolic link, not followed"},
        {"Binary.desktop", "not a text file (it holds NUL bytes)"},
        {"Fifo.desktop", "not a regular file"},
        {"Huge.desktop", "larger than 1048576 bytes"},
        {"Link.desktop", "a symbolic link, not followed"},
        {"d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d", "folders nested too deep"},
    };
    EXPECT_EQ(skipped, expected);

    // One file read by itself is held to the same rules.
    std::string why;
    EXPECT_FALSE(
        ReadWineMenuEntry(wine + "/Programs/Link.desktop", MenuEntryPlace::StartMenu, &why));
    EXPECT_EQ(why, "a symbolic link, not followed");
    EXPECT_FALSE(
        ReadWineMenuEntry(wine + "/Programs/Fifo.desktop", MenuEntryPlace::StartMenu, &why));
    EXPECT_EQ(why, "not a regular file");
    EXPECT_TRUE(
        ReadWineMenuEntry(wine + "/Programs/Fine.desktop", MenuEntryPlace::StartMenu, &why));
}

// The judgement table. Prefix "a" is scanned; "b" is another prefix that
// exists; "gone" was deleted; ~/.wine is the default prefix.
class MenuCheckTable : public ::testing::Test {
protected:
    void SetUp() override {
        places_ = MenuPlaces::ForHome(temp_.path() + "/home");
        a_ = temp_.path() + "/prefixes/a";
        b_ = temp_.path() + "/prefixes/b";
        gone_ = temp_.path() + "/prefixes/gone";
        MakePrefix(a_);
        MakePrefix(b_);
        MakePrefix(places_.DefaultPrefix());
        for (const char* file :
             {"/drive_c/users/Public/Desktop/Keep.lnk", "/drive_c/users/Public/Desktop/Gone.lnk",
              "/drive_c/Apps/keep.exe"})
            Write(a_ + file, "x");
        Write(b_ + "/drive_c/users/Public/Desktop/Other.lnk", "x");
        Write(places_.DefaultPrefix() + "/drive_c/users/Public/Desktop/Default.lnk", "x");
        linkTargets_[a_ + "/dosdevices/c:/users/Public/Desktop/Keep.lnk"] = "C:\\Apps\\keep.exe";
        linkTargets_[a_ + "/dosdevices/c:/users/Public/Desktop/Gone.lnk"] = "C:\\Apps\\gone.exe";
        readLink_ = [this](const std::string& hostPath) -> std::optional<std::string> {
            const auto it = linkTargets_.find(hostPath);
            if (it == linkTargets_.end()) return std::nullopt;
            return it->second;
        };

        const std::string menu = places_.ApplicationsDir() + "/wine/Programs/";
        const std::string lnk = "C:\\users\\Public\\Desktop\\";
        Write(menu + "01.desktop", EntryText("present", a_, lnk + "Keep.lnk"));
        Write(menu + "02.desktop", EntryText("link gone", a_, lnk + "Removed.lnk"));
        Write(menu + "03.desktop", EntryText("link's program gone", a_, lnk + "Gone.lnk"));
        Write(places_.desktopDir + "/04.desktop",
              EntryText("program gone", a_, "C:\\Apps\\gone.exe"));
        Write(menu + "05.desktop",
              EntryText("other letter case", a_, "c:\\USERS\\public\\desktop\\keep.LNK"));
        Write(menu + "06.desktop", EntryText("unmapped drive", a_, "D:\\setup.exe"));
        Write(menu + "07.desktop", EntryText("short name", a_, "C:\\PROGRA~1\\Game\\game.exe"));
        Write(menu + "08.desktop", EntryText("other prefix", b_, lnk + "Missing.lnk"));
        Write(menu + "09.desktop", EntryText("orphan", gone_, lnk + "Any.lnk"));
        Write(menu + "10.desktop", EntryText("default prefix", "", lnk + "Missing.lnk"));
        Write(menu + "11.desktop",
              "[Desktop Entry]\nName=old Wine\nExec=env WINEPREFIX=\"" + a_ +
                  "\" wine C:\\\\\\\\windows\\\\\\\\command\\\\\\\\start.exe /Unix " + a_ +
                  "/dosdevices/c:/users/Public/Desktop/Old.lnk\n");
        Write(menu + "12.desktop", "[Desktop Entry]\nName=association\nExec=env WINEPREFIX=\"" +
                                       a_ + "\" wine start /ProgIDOpen Gone.Document %f\n");
        Write(menu + "13.desktop",
              EntryText("prefix written with a slash", a_ + "/", lnk + "Removed2.lnk"));
        Write(menu + "14.desktop", EntryText("bare program", a_, "winecfg"));
        Write(menu + "15.desktop", EntryText("default prefix, present", "", lnk + "Default.lnk"));
        entries_ = FindWineMenuEntries(places_).entries;
        ASSERT_EQ(entries_.size(), 15u);
    }

    // "name: reason" for each problem, in the order found.
    std::vector<std::string> Check(const std::string& prefix, bool isDefault) const {
        std::vector<std::string> rows;
        for (const auto& problem :
             CheckMenuEntries(entries_, {prefix, isDefault}, places_, readLink_)) {
            const char* reason = problem.reason == MenuEntryReason::LinkMissing ? "link missing"
                                 : problem.reason == MenuEntryReason::ProgramMissing
                                     ? "program missing"
                                     : "prefix missing";
            rows.push_back(problem.name + ": " + reason);
        }
        return rows;
    }

    TempDir temp_;
    MenuPlaces places_;
    std::string a_, b_, gone_;
    std::map<std::string, std::string> linkTargets_;
    LinkTargetReader readLink_;
    std::vector<WineMenuEntry> entries_;
};

TEST_F(MenuCheckTable, AnEntryIsAProblemOnlyForItsOwnPrefixOrWhenItsPrefixIsGone) {
    EXPECT_EQ(Check(a_, false), (std::vector<std::string>{
                                    "link gone: link missing",
                                    "link's program gone: program missing",
                                    "orphan: prefix missing",
                                    "old Wine: link missing",
                                    "prefix written with a slash: link missing",
                                    "program gone: program missing",
                                }));
    EXPECT_EQ(Check(b_, false),
              (std::vector<std::string>{"other prefix: link missing", "orphan: prefix missing"}));
    EXPECT_EQ(Check(places_.DefaultPrefix(), true),
              (std::vector<std::string>{"orphan: prefix missing", "default prefix: link missing"}));
    // The default prefix is recognised by its path too.
    EXPECT_EQ(Check(places_.DefaultPrefix() + "/", false),
              (std::vector<std::string>{"orphan: prefix missing", "default prefix: link missing"}));
}

TEST_F(MenuCheckTable, ProblemsCarryWhatTheEntrySaid) {
    const auto problems = CheckMenuEntries(entries_, {a_, false}, places_, readLink_);
    ASSERT_EQ(problems.size(), 6u);
    EXPECT_EQ(Relative(problems[1].desktopFile, places_.dataHome),
              "applications/wine/Programs/03.desktop");
    EXPECT_EQ(problems[1].winePrefix, a_);
    EXPECT_EQ(problems[1].target, "C:\\users\\Public\\Desktop\\Gone.lnk");
    EXPECT_EQ(problems[1].linkTarget, "C:\\Apps\\gone.exe");
    EXPECT_EQ(problems[2].winePrefix, gone_);
    EXPECT_EQ(problems[5].target, "C:\\Apps\\gone.exe");
    EXPECT_EQ(problems[5].linkTarget, "");
    // Without a link reader, a link that is there is not looked into.
    EXPECT_EQ(CheckMenuEntries(entries_, {a_, false}, places_, nullptr).size(), 5u);
}

TEST_F(MenuCheckTable, WithoutTheDefaultPrefixItsEntriesAreOrphans) {
    fs::remove_all(places_.DefaultPrefix());
    EXPECT_EQ(Check(b_, false),
              (std::vector<std::string>{"other prefix: link missing", "orphan: prefix missing",
                                        "default prefix: prefix missing",
                                        "default prefix, present: prefix missing"}));
}

TEST(MenuCheck, WindowsPathsInAPrefix) {
    TempDir temp;
    const std::string prefix = temp.path() + "/p";
    MakePrefix(prefix);
    Write(prefix + "/drive_c/Program Files/Game/Game.exe", "x");
    fs::create_directory_symlink(temp.path() + "/games", prefix + "/dosdevices/d:");
    fs::create_directories(temp.path() + "/games");
    const struct {
        std::string path;
        Presence presence;
    } cases[] = {
        {"C:\\Program Files\\Game\\Game.exe", Presence::Present},
        {"c:/program files/GAME/game.EXE", Presence::Present},
        {"C:\\Program Files\\.\\Game\\..\\Game\\Game.exe", Presence::Present},
        {"C:\\Program Files\\Game\\Other.exe", Presence::Missing},
        {"C:\\No Folder\\Game.exe", Presence::Missing},
        {"C:\\Program Files\\Game\\Game.exe\\below", Presence::Missing},
        {"D:\\setup.exe", Presence::Missing},
        {"E:\\setup.exe", Presence::Unknown},  // no such drive
        {"C:\\PROGRA~1\\Game\\Game.exe", Presence::Unknown},
        {"C:\\Pr\xc3\xb6gram\\x.exe", Presence::Unknown},  // letter case beyond ASCII
        {"Game.exe", Presence::Unknown},
        {"\\\\server\\share\\x.exe", Presence::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowsPathPresence(prefix, c.path), c.presence) << c.path;
    std::string host;
    EXPECT_EQ(WindowsPathPresence(prefix, "C:\\program files\\game\\game.exe", &host),
              Presence::Present);
    EXPECT_EQ(host, prefix + "/dosdevices/c:/Program Files/Game/Game.exe");
    EXPECT_EQ(WindowsPathPresence(prefix, "C:\\Program Files\\Gone\\x.exe", &host),
              Presence::Missing);
    EXPECT_EQ(host, prefix + "/dosdevices/c:/Program Files/Gone/x.exe");
}

TEST(MenuIcons, OnlyTheBuildersIconsThatNoRemainingEntryNames) {
    TempDir temp;
    const MenuPlaces places = MenuPlaces::ForHome(temp.path() + "/home");
    const std::string apps = places.IconsDir() + "/hicolor/";
    for (const std::string size : {"16x16", "48x48"}) {
        Write(apps + size + "/apps/8827_gone.0.png", "png");
        Write(apps + size + "/apps/D9DC_keep.0.png", "png");
        Write(apps + size + "/apps/wine.png", "png");
    }
    Write(apps + "32x32/apps/ABCD_abs.-101.png", "png");
    Write(temp.path() + "/elsewhere/ABCD_out.0.png", "png");
    fs::create_symlink(temp.path() + "/elsewhere/ABCD_out.0.png",
                       apps + "32x32/apps/ABCD_linked.0.png");

    const auto entry = [](const std::string& path, const std::string& icon) {
        WineMenuEntry e;
        e.path = path;
        e.icon = icon;
        return e;
    };
    const std::vector<WineMenuEntry> all = {
        entry("/m/1.desktop", "8827_gone.0"),
        entry("/m/2.desktop", "8827_gone.0"),
        entry("/m/3.desktop", "D9DC_keep.0"),
        entry("/m/4.desktop", "wine"),
        entry("/m/5.desktop", apps + "32x32/apps/ABCD_abs.-101.png"),
        entry("/m/6.desktop", temp.path() + "/elsewhere/ABCD_out.0.png"),
        entry("/m/7.desktop", "ABCD_linked.0"),
        entry("/m/8.desktop", ""),
    };
    const auto safe = [&](std::vector<std::size_t> which) {
        std::vector<WineMenuEntry> removing;
        for (const std::size_t i : which) removing.push_back(all[i - 1]);
        std::vector<std::string> files;
        for (const auto& file : IconsSafeToRemove(removing, all, places))
            files.push_back(Relative(file, apps));
        return files;
    };
    EXPECT_EQ(safe({1}), std::vector<std::string>{});  // entry 2 still shows it
    EXPECT_EQ(safe({1, 2}), (std::vector<std::string>{"16x16/apps/8827_gone.0.png",
                                                      "48x48/apps/8827_gone.0.png"}));
    EXPECT_EQ(safe({3, 4}), (std::vector<std::string>{"16x16/apps/D9DC_keep.0.png",
                                                      "48x48/apps/D9DC_keep.0.png"}));
    EXPECT_EQ(safe({5, 6, 7, 8}), std::vector<std::string>{"32x32/apps/ABCD_abs.-101.png"});

    for (const std::string name : {"3F2A_notepad.0", "12ab_setup.-101", "0000_my.app.12"})
        EXPECT_TRUE(IsMenuBuilderIconName(name)) << name;
    for (const std::string name : {"wine", "folder", "3F2A_notepad", "3F2G_x.0", "3F2A_.0",
                                   "3F2A_x.", "3F2A_x.-", "3F2A_a/b.0"})
        EXPECT_FALSE(IsMenuBuilderIconName(name)) << name;
}

// A launcher the user made (or a package installed) that shows a Wine icon
// keeps it when Wine's own entry goes: wherever the desktop finds it, and
// however it names the icon.
TEST(MenuIcons, ALauncherOutsideWinesFoldersKeepsTheIconItShows) {
    TempDir temp;
    MenuPlaces places = MenuPlaces::ForHome(temp.path() + "/home");
    places.systemDataDirs = {temp.path() + "/usr/share"};
    places.systemConfigDirs = {temp.path() + "/etc/xdg"};
    const std::string apps = places.IconsDir() + "/hicolor/";
    const std::vector<std::string> names = {"1111_user.0",  "2222_desk.0", "3333_auto.0",
                                            "4444_sys.0",   "5555_abs.0",  "6666_ext.0",
                                            "7777_lang.0",  "8888_gone.0", "9999_fifo.0",
                                            "AAAA_sysau.0", "BBBB_self.0"};
    for (const auto& name : names)
        for (const std::string size : {"16x16", "48x48"})
            Write(apps + size + "/apps/" + name + ".png", "png");
    const std::string wine = places.ApplicationsDir() + "/wine/Programs/";
    Write(places.ApplicationsDir() + "/my-game.desktop",
          "[Desktop Entry]\nType=Application\nIcon=1111_user.0\nExec=sh run.sh\n");
    Write(places.desktopDir + "/Game.desktop", "[Desktop Entry]\nIcon = 2222_desk.0\r\n");
    Write(places.configHome + "/autostart/tray.desktop", "[Desktop Entry]\nIcon=3333_auto.0\n");
    Write(temp.path() + "/usr/share/applications/kde/sys.desktop",
          "[Desktop Entry]\nIcon=4444_sys.0\n");
    Write(places.ApplicationsDir() + "/abs.desktop",
          "[Desktop Entry]\nIcon=" + apps + "48x48/apps/../apps/5555_abs.0.png\n");
    Write(places.ApplicationsDir() + "/ext.desktop", "[Desktop Entry]\nIcon=6666_ext.0.png\n");
    Write(places.ApplicationsDir() + "/lang.desktop",
          "[Desktop Entry]\nIcon[de]=7777_lang.0\nName=x\n");
    Write(temp.path() + "/etc/xdg/autostart/sysau.desktop", "[Desktop Entry]\nIcon=AAAA_sysau.0\n");
    // Not launchers: a FIFO (never opened for reading), a file of another
    // kind, and the entry being removed itself.
    ASSERT_EQ(::mkfifo((places.ApplicationsDir() + "/fifo.desktop").c_str(), 0600), 0);
    Write(places.ApplicationsDir() + "/notes.txt", "Icon=8888_gone.0\n");

    std::vector<WineMenuEntry> all;
    for (const auto& name : names) {
        WineMenuEntry e;
        e.path = wine + name + ".desktop";
        e.icon = name;
        Write(e.path, "[Desktop Entry]\nIcon=" + name + "\n");
        all.push_back(e);
    }
    std::vector<std::string> files;
    for (const auto& file : IconsSafeToRemove(all, all, places))
        files.push_back(Relative(file, apps));
    EXPECT_EQ(files,
              (std::vector<std::string>{"16x16/apps/8888_gone.0.png", "16x16/apps/9999_fifo.0.png",
                                        "16x16/apps/BBBB_self.0.png", "48x48/apps/8888_gone.0.png",
                                        "48x48/apps/9999_fifo.0.png",
                                        "48x48/apps/BBBB_self.0.png"}));
}

}  // namespace
}  // namespace vostrel::menus
