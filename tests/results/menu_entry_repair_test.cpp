// The repair and restore of Wine's menu entries, on files laid out as the
// menu builder lays them out in a fake home: which icons go with which
// entries when some entries are left alone, what is kept when an entry is
// no longer a plain file, and which places a restore writes into at all.
// The entries Wine itself writes are in tests/menus/menu_row_wine_test.cpp.
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

class MenuEntryRepairTest : public ::testing::Test {
protected:
    void SetUp() override {
        files_.MapDrive('C', drive_.path());
        settings_.Save("txtBackup", backups_.path());
        std::tm start{};
        start.tm_mday = 9, start.tm_mon = 11, start.tm_year = 126, start.tm_hour = 20;
        options_.startTime = start;
        options_.onEvent = [this](const RepairEvent& e) { events_.push_back(e); };
    }

    std::string Data() const { return home_.path() + "/.local/share"; }
    std::string Icon(const std::string& name, const std::string& size = "32x32") const {
        return Data() + "/icons/hicolor/" + size + "/apps/" + name + ".png";
    }
    // An entry file with its icons, each written with its own bytes.
    MenuEntryProblem AddEntry(const std::string& relative, std::vector<std::string> icons,
                              bool selected = true) {
        MenuEntryProblem problem;
        problem.path = Data() + "/applications/wine/Programs/" + relative;
        problem.name = fs::path(relative).stem().string();
        problem.target = "C:\\Apps\\gone.exe";
        problem.reason = std::string(kMenuEntryProgramMissing);
        problem.icons = std::move(icons);
        problem.selected = selected;
        WriteTextFile(problem.path, "[Desktop Entry]\nName=" + problem.name + "\n");
        ::chmod(problem.path.c_str(), 0755);
        for (const auto& icon : problem.icons) WriteTextFile(icon, "PNG of " + icon);
        session_.result.problems.AddOf<MenuEntryProblem>(problem);
        return problem;
    }
    std::string BackupPath() const { return backups_ / "BackUp 09-12-26 20-00-00"; }
    std::vector<std::string> Kinds() {
        std::ifstream in(BackupPath(), std::ios::binary);
        std::string contents((std::istreambuf_iterator<char>(in)), {});
        std::vector<std::string> kinds;
        for (const auto& line : SplitBackupLines(contents))
            kinds.push_back((*ParseBackupLine(line))[0]);
        return kinds;
    }

    TempDir home_, drive_, backups_, settingsDir_;
    ScopedEnv homeEnv_{"HOME", home_.path()};
    ScopedEnv dataEnv_{"XDG_DATA_HOME", home_.path() + "/.local/share"};
    HostFolderFileSystem files_;
    MemoryRegistry registry_;
    AnsweringObserver observer_;
    IniSettingsStore settings_{settingsDir_ / "settings.ini"};
    ScanSession session_{registry_, files_, settings_, observer_};
    RepairOptions options_;
    std::vector<RepairEvent> events_;
};

TEST_F(MenuEntryRepairTest, IconsGoOnlyWithTheLastEntryThatShowsThemAndComeBackExactly) {
    const std::string shared = Icon("1A2B_gone.0"), own = Icon("3C4D_old.0");
    const std::string ownLarge = Icon("3C4D_old.0", "48x48"), untouched = Icon("5E6F_left.0");
    const auto gone = AddEntry("Gone.desktop", {shared, own, ownLarge});
    const auto also = AddEntry("Sub/Also.desktop", {shared});
    const auto leftAlone = AddEntry("Left.desktop", {untouched}, false);
    const auto leftBytes = ReadTextFile(leftAlone.path);

    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 2);
    EXPECT_EQ(outcome.kept, 0);
    for (const auto& path : {gone.path, also.path, shared, own, ownLarge})
        EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_EQ(ReadTextFile(leftAlone.path), leftBytes);
    EXPECT_TRUE(fs::exists(untouched));
    EXPECT_EQ(Kinds(), (std::vector<std::string>{"M", "M", "I", "I", "I"}));
    // The entry left alone stays listed, as unticked problems of every kind do.
    ASSERT_EQ(session_.result.problems.Of<MenuEntryProblem>().size(), 1u);
    EXPECT_EQ(session_.result.problems.Of<MenuEntryProblem>().front().path, leftAlone.path);

    const RestoreReport report = RestoreBackupFile(registry_, files_, settings_, BackupPath());
    EXPECT_TRUE(report.ok()) << report.failures.front();
    EXPECT_EQ(report.restored, 5);
    EXPECT_EQ(ReadTextFile(gone.path), "[Desktop Entry]\nName=Gone\n");
    EXPECT_EQ(ReadTextFile(shared), "PNG of " + shared);
    EXPECT_EQ(ReadTextFile(ownLarge), "PNG of " + ownLarge);
    struct stat st {};
    ASSERT_EQ(::stat(also.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
}

TEST_F(MenuEntryRepairTest, AnIconALeftEntryShowsStaysAndALinkInTheEntrysPlaceIsKept) {
    const std::string shared = Icon("1A2B_gone.0");
    AddEntry("Gone.desktop", {shared});
    AddEntry("Left.desktop", {shared}, false);
    const auto swapped = AddEntry("Swapped.desktop", {Icon("7A7A_swapped.0")});
    const std::string elsewhere = home_ / "precious.desktop";
    WriteTextFile(elsewhere, "precious");
    fs::remove(swapped.path);
    fs::create_symlink(elsewhere, swapped.path);

    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 1);
    EXPECT_EQ(outcome.kept, 1);
    EXPECT_TRUE(fs::exists(shared));
    EXPECT_TRUE(fs::is_symlink(swapped.path));
    EXPECT_EQ(ReadTextFile(elsewhere), "precious");
    EXPECT_TRUE(fs::exists(Icon("7A7A_swapped.0")));  // its entry stays, so does its icon
    EXPECT_EQ(Kinds(), (std::vector<std::string>{"M"}));
}

TEST_F(MenuEntryRepairTest, WithBackupsOffEntriesAndIconsGoWithoutAFile) {
    settings_.Save("chkMakeBackUp", "0");
    const auto gone = AddEntry("Gone.desktop", {Icon("1A2B_gone.0")});
    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 1);
    EXPECT_TRUE(outcome.backupFilePath.empty());
    EXPECT_FALSE(fs::exists(gone.path));
    EXPECT_FALSE(fs::exists(Icon("1A2B_gone.0")));
}

TEST_F(MenuEntryRepairTest, ARestoreWritesMenuFilesOnlyIntoTheUsersOwnFolders) {
    const std::string home = home_.path();
    struct Case {
        std::string kind, path;
        bool allowed;
    };
    const Case cases[] = {
        {"M", Data() + "/applications/wine/Programs/Game.desktop", true},
        {"M", home + "/Desktop/Game.desktop", true},
        {"M", home + "/Desktop/Game.sh", false},
        {"M", "/etc/xdg/autostart/evil.desktop", false},
        {"M", home + "/Desktop/../../../etc/evil.desktop", false},
        {"M", "Desktop/Game.desktop", false},
        {"I", Icon("1A2B_gone.0"), true},
        {"I", home + "/.bashrc", false},
        {"I", Data() + "/applications/x.png", false},
        {"X", home + "/Desktop/Game.desktop", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!HostRecordRefusal(c.kind, c.path).has_value(), c.allowed)
            << c.kind << " " << c.path;

    // A backup whose record names a place outside them writes nothing there.
    const std::string outside = backups_ / "outside.desktop";  // not below HOME
    std::unique_ptr<BackupWriter> writer;
    {
        std::tm start{};
        writer = BackupWriter::Create(backups_.path(), start, MachineIdentity(files_));
        ASSERT_TRUE(writer);
        const std::string entry = Data() + "/applications/wine/x.desktop";
        WriteTextFile(entry, "x");
        ASSERT_TRUE(writer->AddHostFile("M", entry));
        ASSERT_TRUE(writer->Commit());
    }
    // Tamper the record: the same copy, another place.
    const std::string path = writer->path();
    writer.reset();
    std::ifstream in(path, std::ios::binary);
    std::string contents((std::istreambuf_iterator<char>(in)), {});
    in.close();
    auto fields = *ParseBackupLine(SplitBackupLines(contents).at(0));
    fields[1] = outside;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << FormatBackupLine(fields) << "\r\n";
    const RestoreReport report = RestoreBackupFile(registry_, files_, settings_, path);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_NE(report.failures[0].find("outside the user's home"), std::string::npos)
        << report.failures[0];
    EXPECT_FALSE(fs::exists(outside));
}

}  // namespace
