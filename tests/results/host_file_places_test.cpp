// Where the repair removes and a restore writes files: a record puts back
// only a file of its own kind in the folder that kind lives in, no path is
// followed through a linked folder (except Wine's own shell-folder links
// into the home folder), and names that are not UTF-8 come back byte for
// byte.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "results/backup_codec.h"
#include "results/backup_file.h"
#include "results/repair.h"
#include "session/scan_session.h"
#include "support/memory_registry.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "system/settings.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

class HostFilePlacesTest : public ::testing::Test {
protected:
    void SetUp() override {
        files_.MapDrive('C', drive_.path());
        settings_.Save("txtBackup", backups_.path());
        std::tm start{};
        start.tm_mday = 9, start.tm_mon = 11, start.tm_year = 126, start.tm_hour = 20;
        options_.startTime = start;
    }

    std::string Home() const { return home_.path(); }
    std::string Data() const { return home_.path() + "/.local/share"; }
    std::string Menu() const { return Data() + "/applications/wine/Programs"; }
    std::string Icon(const std::string& name) const {
        return Data() + "/icons/hicolor/32x32/apps/" + name + ".png";
    }
    MenuEntryProblem AddEntry(const std::string& path, std::vector<std::string> icons = {}) {
        MenuEntryProblem problem;
        problem.path = path;
        problem.name = "Entry";
        problem.target = "C:\\Apps\\gone.exe";
        problem.reason = std::string(kMenuEntryProgramMissing);
        problem.icons = std::move(icons);
        fs::create_directories(fs::path(path).parent_path());
        WriteTextFile(path, "[Desktop Entry]\nName=" + path + "\n");
        for (const auto& icon : problem.icons) {
            fs::create_directories(fs::path(icon).parent_path());
            WriteTextFile(icon, "PNG of " + icon);
        }
        session_.result.problems.AddOf<MenuEntryProblem>(problem);
        return problem;
    }
    std::string BackupPath() const { return backups_ / "BackUp 09-12-26 20-00-00"; }

    // A backup holding one legitimate record per copy, whose records are then
    // rewritten to name `paths` (a crafted backup): the copies are real.
    std::string CraftedBackup(const std::vector<std::pair<std::string, std::string>>& records) {
        std::tm start{};
        auto writer = BackupWriter::Create(backups_.path(), start, MachineIdentity(files_));
        EXPECT_TRUE(writer);
        const std::string source = Menu() + "/source.desktop";
        fs::create_directories(Menu());
        WriteTextFile(source, "[Desktop Entry]\nExec=evil\n");
        for (std::size_t i = 0; i < records.size(); ++i)
            EXPECT_TRUE(writer->AddHostFile("M", source));
        EXPECT_TRUE(writer->Commit());
        fs::remove(source);
        const std::string path = writer->path();
        writer.reset();
        std::ifstream in(path, std::ios::binary);
        std::string contents((std::istreambuf_iterator<char>(in)), {});
        in.close();
        std::string out;
        const auto lines = SplitBackupLines(contents);
        for (std::size_t i = 0; i < records.size(); ++i) {
            auto fields = *ParseBackupLine(lines.at(i));
            fields[0] = records[i].first;
            fields[1] = records[i].second;
            out += FormatBackupLine(fields) + "\r\n";
        }
        std::ofstream(path, std::ios::binary | std::ios::trunc) << out;
        return path;
    }

    TempDir home_, drive_, backups_, settingsDir_, outside_;
    ScopedEnv homeEnv_{"HOME", home_.path()};
    ScopedEnv dataEnv_{"XDG_DATA_HOME", home_.path() + "/.local/share"};
    ScopedEnv configEnv_{"XDG_CONFIG_HOME", home_.path() + "/.config"};
    HostFolderFileSystem files_;
    MemoryRegistry registry_;
    AnsweringObserver observer_;
    IniSettingsStore settings_{settingsDir_ / "settings.ini"};
    ScanSession session_{registry_, files_, settings_, observer_};
    RepairOptions options_;
};

TEST_F(HostFilePlacesTest, ARecordNamesOnlyAFileOfItsKindWhereThatKindLives) {
    struct Case {
        std::string kind, path;
        bool allowed;
    };
    const std::string home = Home();
    const Case cases[] = {
        {"M", Menu() + "/Game.desktop", true},
        {"M", Data() + "/applications/wine/Game.desktop", true},
        {"M", Data() + "/applications/wine-extension-txt.desktop", true},
        {"M", home + "/Desktop/Game.desktop", true},
        {"M", home + "/.config/autostart/evil.desktop", false},  // runs at every login
        {"M", Data() + "/applications/firefox.desktop", false},  // shadows a launcher
        {"M", Data() + "/applications/wine-extension-.desktop", false},
        {"M", Data() + "/applications/wine/Game.png", false},
        {"M", home + "/Desktop/sub/Game.desktop", false},
        {"M", home + "/Game.desktop", false},
        {"I", Icon("1A2B_gone.0"), true},
        {"I", Data() + "/icons/hicolor/48x48/apps/12AB_setup.-101.png", true},
        {"I", Data() + "/icons/1A2B_gone.0.xpm", true},  // the old flat folder
        {"I", Data() + "/icons/default/index.theme", false},
        {"I", Icon("firefox"), false},  // not a name the menu builder gives
        {"I", Data() + "/icons/hicolor/32x32/apps/1A2B_gone.0.desktop", false},
        {"I", Data() + "/icons/hicolor/32x32/1A2B_gone.0.png", false},
        {"I", Menu() + "/1A2B_gone.0.png", false},
        {"M", Icon("1A2B_gone.0"), false},
        {"I", Menu() + "/Game.desktop", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!HostRecordRefusal(c.kind, c.path).has_value(), c.allowed)
            << c.kind << " " << c.path;

    // The desktop folder the user named in user-dirs.dirs, not ~/Desktop.
    fs::create_directories(home + "/.config");
    WriteTextFile(home + "/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_FALSE(HostRecordRefusal("M", home + "/Schreibtisch/Game.desktop"));
    EXPECT_TRUE(HostRecordRefusal("M", home + "/Desktop/Game.desktop"));
    // A FIFO in its place is not waited on: the desktop is ~/Desktop again.
    fs::remove(home + "/.config/user-dirs.dirs");
    ASSERT_EQ(::mkfifo((home + "/.config/user-dirs.dirs").c_str(), 0600), 0);
    EXPECT_FALSE(HostRecordRefusal("M", home + "/Desktop/Game.desktop"));
}

TEST_F(HostFilePlacesTest, ACraftedBackupPutsNothingOutsideItsKindsFolderAndTheRestGoesBack) {
    const std::string autostart = Home() + "/.config/autostart/evil.desktop";
    const std::string shadow = Data() + "/applications/firefox.desktop";
    const std::string theme = Data() + "/icons/default/index.theme";
    const std::string good = Menu() + "/Good.desktop";
    const std::string path =
        CraftedBackup({{"M", autostart}, {"M", shadow}, {"I", theme}, {"M", good}});
    const RestoreReport report = RestoreBackupFile(registry_, files_, settings_, path);
    EXPECT_EQ(report.restored, 1);
    ASSERT_EQ(report.failures.size(), 3u);
    for (const auto& failure : report.failures)
        EXPECT_NE(failure.find("not put back"), std::string::npos) << failure;
    EXPECT_FALSE(fs::exists(autostart));
    EXPECT_FALSE(fs::exists(shadow));
    EXPECT_FALSE(fs::exists(theme));
    EXPECT_EQ(ReadTextFile(good), "[Desktop Entry]\nExec=evil\n");
}

TEST_F(HostFilePlacesTest, ARepairNeverRemovesThroughALinkedFolder) {
    // The icon's size folder and the entry's menu folder lead outside.
    fs::create_directories(outside_.path() + "/apps");
    const std::string victimIcon = outside_.path() + "/apps/1A2B_gone.0.png";
    WriteTextFile(victimIcon, "not an icon of the menu builder");
    fs::create_directories(Data() + "/icons/hicolor");
    fs::create_directory_symlink(outside_.path(), Data() + "/icons/hicolor/32x32");
    const std::string victimEntry = outside_.path() + "/Linked.desktop";
    fs::create_directories(Menu());
    fs::create_directory_symlink(outside_.path(), Menu() + "/Linked");

    const auto plain = AddEntry(Menu() + "/Gone.desktop", {});
    session_.result.problems.Of<MenuEntryProblem>().back().icons = {Icon("1A2B_gone.0")};
    const auto linked = AddEntry(Menu() + "/Linked/Linked.desktop");
    ASSERT_TRUE(fs::exists(victimEntry));

    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 1);
    EXPECT_FALSE(fs::exists(plain.path));
    EXPECT_EQ(ReadTextFile(victimIcon), "not an icon of the menu builder");
    EXPECT_TRUE(fs::exists(victimEntry));
}

TEST_F(HostFilePlacesTest, ARestoreNeverWritesThroughALinkedFolder) {
    fs::create_directories(Menu());
    fs::create_directory_symlink(outside_.path(), Menu() + "/Linked");
    fs::create_directories(Data() + "/icons/hicolor");
    fs::create_directory_symlink(outside_.path(), Data() + "/icons/hicolor/32x32");
    const std::string path =
        CraftedBackup({{"M", Menu() + "/Linked/x.desktop"}, {"I", Icon("1A2B_gone.0")}});
    const RestoreReport report = RestoreBackupFile(registry_, files_, settings_, path);
    EXPECT_EQ(report.restored, 0);
    EXPECT_EQ(report.failures.size(), 2u);
    EXPECT_TRUE(fs::is_empty(outside_.path()));
}

TEST_F(HostFilePlacesTest, EntriesWhoseNamesAreNotUtf8ComeBackByteForByte) {
    const auto e9 = AddEntry(Menu() + "/caf\xE9.desktop", {Icon("1A2B_caf\xE9.0")});
    const auto e8 = AddEntry(Menu() + "/caf\xE8.desktop");
    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 2);
    EXPECT_EQ(outcome.kept, 0);
    EXPECT_FALSE(fs::exists(e9.path));
    EXPECT_FALSE(fs::exists(e8.path));
    EXPECT_FALSE(fs::exists(Icon("1A2B_caf\xE9.0")));

    const RestoreReport report = RestoreBackupFile(registry_, files_, settings_, BackupPath());
    EXPECT_TRUE(report.ok()) << report.failures.front();
    EXPECT_EQ(report.restored, 3);
    EXPECT_EQ(ReadTextFile(e9.path), "[Desktop Entry]\nName=" + e9.path + "\n");
    EXPECT_EQ(ReadTextFile(e8.path), "[Desktop Entry]\nName=" + e8.path + "\n");
    EXPECT_EQ(ReadTextFile(Icon("1A2B_caf\xE9.0")), "PNG of " + Icon("1A2B_caf\xE9.0"));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Menu()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"caf\xE8.desktop", "caf\xE9.desktop"}));
}

TEST_F(HostFilePlacesTest, AFailedRestoreShowsTheBytesOfANameThatIsNotUtf8) {
    const std::string path = CraftedBackup({{"M", Home() + "/.config/autostart/caf\xE9.desktop"}});
    const RestoreReport report = RestoreBackupFile(registry_, files_, settings_, path);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_NE(report.failures[0].find("caf\\xE9.desktop"), std::string::npos) << report.failures[0];
}

// Shortcut records are put back beneath their drive's folder; Wine's links
// from the prefix user's shell folders into the home folder are taken, any
// other link is not.
TEST_F(HostFilePlacesTest, ShortcutsComeBackBeneathTheirDriveOrThroughWinesShellFolderLinks) {
    fs::create_directories(drive_.path() + "/users/me");
    fs::create_directories(Home() + "/Desktop");
    fs::create_directory_symlink(Home() + "/Desktop", drive_.path() + "/users/me/Desktop");
    fs::create_directory_symlink(outside_.path(), drive_.path() + "/Linked");
    fs::create_directories(drive_.path() + "/Apps");
    std::vector<std::string> records;
    std::tm start{};
    auto writer = BackupWriter::Create(backups_.path(), start, MachineIdentity(files_));
    ASSERT_TRUE(writer);
    for (const char* name : {"a.lnk", "b.lnk", "c.lnk"}) {
        WriteTextFile(drive_.path() + "/Apps/" + name, std::string("link ") + name);
        ShortcutProblem problem;
        problem.path = std::string("C:\\Apps\\") + name;
        ASSERT_TRUE(writer->Add(session_, problem));
        fs::remove(drive_.path() + "/Apps/" + name);
    }
    ASSERT_TRUE(writer->Commit());
    const std::string path = writer->path();
    writer.reset();
    std::ifstream in(path, std::ios::binary);
    std::string contents((std::istreambuf_iterator<char>(in)), {});
    in.close();
    const auto lines = SplitBackupLines(contents);
    const std::vector<std::string> targets{"C:\\Linked\\a.lnk", "C:\\users\\me\\Desktop\\b.lnk",
                                           "C:\\Apps\\Sub\\c.lnk"};
    std::string out;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        auto fields = *ParseBackupLine(lines.at(i));
        fields[1] = targets[i];
        out += FormatBackupLine(fields) + "\r\n";
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << out;

    const RestoreReport report = RestoreBackupFile(registry_, files_, settings_, path);
    EXPECT_EQ(report.restored, 2);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_NE(report.failures[0].find("C:\\Linked\\a.lnk"), std::string::npos)
        << report.failures[0];
    EXPECT_TRUE(fs::is_empty(outside_.path()));
    EXPECT_EQ(ReadTextFile(Home() + "/Desktop/b.lnk"), "link b.lnk");
    EXPECT_EQ(ReadTextFile(drive_.path() + "/Apps/Sub/c.lnk"), "link c.lnk");
}

}  // namespace
