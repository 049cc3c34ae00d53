// Backups and restores against hostile files and faults: crafted records
// never make a restore read, write or delete outside its place, planted
// links never receive a backup, a full disk never leaves a torn record, and
// backups belong to the prefix they were taken from.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "results/backup_codec.h"
#include "results/backup_file.h"
#include "results/backup_manager.h"
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

// Drives of a Wine prefix: C: inside it, Z: a host folder outside.
class PrefixFiles : public HostFolderFileSystem {
public:
    explicit PrefixFiles(std::string prefix) : prefix_(std::move(prefix)) {}
    std::optional<std::string> PrefixFolder() override { return prefix_; }
    // A drive is the prefix's own when its folder lies inside the prefix.
    DriveOwner OwnerOfDrive(char letter) override {
        const auto root = HostPath(std::string(1, letter) + ":\\");
        if (!root) return {};
        std::error_code ec;
        const std::string real = fs::weakly_canonical(*root, ec).string() + "/";
        const bool own =
            !ec && real.rfind(fs::weakly_canonical(prefix_, ec).string() + "/", 0) == 0;
        return DriveOwner{own, own ? std::string() : *root};
    }

private:
    std::string prefix_;
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& line : lines) all += line + "\n";
    return all;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class BackupSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(prefix_ + "/drive_c");
        fs::create_directories(host_.path() + "/home");
        files_.MapDrive('C', prefix_ + "/drive_c");
        files_.MapDrive('Z', host_.path());
        fs::create_directories(backups_);
        settings_.Save("txtBackup", backups_);
        session_.result.summary.push_back({"", "summary", 0});
        std::tm start{};
        start.tm_mday = 16, start.tm_mon = 7, start.tm_year = 105, start.tm_hour = 14,
        start.tm_min = 3;
        options_.startTime = start;
        options_.onEvent = [this](const RepairEvent& e) { events_.push_back(e); };
    }

    // A backup file of plain records, each byte shifted up by 10, CR LF
    // line ends, as the program writes them.
    void WriteBackup(const std::vector<std::string>& plainLines, const std::string& machine = {}) {
        std::string contents;
        for (const auto& line : plainLines) contents += EncodeBackupText(line) + "\r\n";
        WriteTextFile(path_, contents);
        if (!machine.empty()) {
            fs::create_directories(ShortcutCopiesFolder(path_));
            WriteTextFile(ShortcutCopiesFolder(path_) + "/prefix", machine + "\n");
        }
    }

    std::string Copies() { return ShortcutCopiesFolder(path_); }

    RestoreReport Restore(bool force = false) {
        RestoreOptions options;
        options.force = force;
        return RestoreBackupFile(registry_, files_, settings_, path_, options);
    }

    void AddShortcut(const std::string& rel, const std::string& contents) {
        WriteTextFile(prefix_ + "/drive_c/" + rel, contents);
        std::string windows = "C:\\" + rel;
        for (char& c : windows)
            if (c == '/') c = '\\';
        session_.result.problems.AddOf<ShortcutProblem>({windows, "", ""});
    }

    void AddProblem(const std::string& key, const std::string& name) {
        registry_.PutText("HKEY_LOCAL_MACHINE\\" + key, name, REG_SZ, "C:\\gone\\" + name + ".exe");
        RegistryProblem problem;
        problem.root = HKEY_LOCAL_MACHINE;
        problem.valueName = name;
        problem.testedPath = "C:\\gone\\" + name + ".exe";
        problem.keyPath = key;
        problem.rootName = "HKEY_LOCAL_MACHINE";
        session_.result.problems.AddOf<RegistryProblem>(problem);
    }

    std::string RunName() { return backups_ + "/BackUp 16-08-05 14-03-00"; }

    TempDir root_, host_, settingsDir_;
    std::string prefix_ = root_.path() + "/prefix";
    std::string backups_ = root_.path() + "/backups";
    std::string path_ = backups_ + "/BackUp 01-02-03 04-05-06";
    PrefixFiles files_{prefix_};
    MemoryRegistry registry_;
    AnsweringObserver observer_;
    IniSettingsStore settings_{settingsDir_ / "settings.ini"};
    ScanSession session_{registry_, files_, settings_, observer_};
    RepairOptions options_;
    std::vector<RepairEvent> events_;
};

// --- a copy name is a plain file of the backup's own folder

TEST_F(BackupSafetyTest, CopyNamesThatLeaveTheFolderFailAndTouchNothing) {
    // Old records name the copy by the text after the path's last
    // backslash; new ones name it in the third field.
    const std::string victims = root_.path() + "/victim";
    WriteTextFile(victims + "/abs", "absolute victim");
    WriteTextFile(victims + "/f", "relative victim");
    WriteTextFile(victims + "/secret", "secret");
    fs::permissions(victims + "/secret", fs::perms(0600));
    WriteBackup({
        "S^C:\\x\\" + victims + "/abs",
        "S^C:\\y\\../victim/f",
        "S^C:\\z\\s.lnk^../../victim/secret",
        "S^C:\\z\\t.lnk^" + victims + "/secret",
        "S^C:\\z\\u.lnk^..",
    });
    const RestoreReport report = Restore();
    EXPECT_EQ(report.restored, 0);
    ASSERT_EQ(report.failures.size(), 5u) << Joined(report.failures);
    for (const auto& failure : report.failures)
        EXPECT_NE(failure.find("not a file of the backup's folder"), std::string::npos) << failure;
    // Nothing was moved, removed or copied into the prefix.
    EXPECT_EQ(ReadTextFile(victims + "/abs"), "absolute victim");
    EXPECT_EQ(ReadTextFile(victims + "/f"), "relative victim");
    EXPECT_EQ(ReadTextFile(victims + "/secret"), "secret");
    EXPECT_FALSE(fs::exists(prefix_ + "/drive_c/z"));
    EXPECT_FALSE(fs::exists(prefix_ + "/drive_c/x"));

    // The manager keeps the backup whose records failed.
    const auto rows = ListBackups(settings_, MachineIdentity(files_));
    ASSERT_EQ(rows.size(), 1u);
    const auto results = RestoreBackups({rows[0].name}, registry_, files_, settings_);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].markedRestored);
    EXPECT_TRUE(fs::exists(path_));
}

TEST_F(BackupSafetyTest, ACopyThatIsALinkIsNotFollowed) {
    const std::string victim = root_.path() + "/victim-file";
    WriteTextFile(victim, "not a shortcut");
    fs::create_directories(Copies());
    fs::create_symlink(victim, Copies() + "/1 a.lnk");
    WriteBackup({"S^C:\\a.lnk^1 a.lnk"});
    const RestoreReport report = Restore();
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_NE(report.failures[0].find("without following a link"), std::string::npos)
        << report.failures[0];
    EXPECT_FALSE(fs::exists(prefix_ + "/drive_c/a.lnk"));
    // The whole "… files" folder planted as a link is refused too.
    fs::remove_all(Copies());
    fs::create_directories(root_.path() + "/elsewhere");
    WriteTextFile(root_.path() + "/elsewhere/1 a.lnk", "elsewhere");
    fs::create_directory_symlink(root_.path() + "/elsewhere", Copies());
    EXPECT_FALSE(Restore().ok());
    EXPECT_FALSE(fs::exists(prefix_ + "/drive_c/a.lnk"));
}

// Whoever owns the backup folder, the backup file or its copies' folder can
// put any record in them: only the user's own (or root's) are restored.
TEST_F(BackupSafetyTest, ABackupAnotherUserCouldHaveWrittenIsNeverRestored) {
    WriteBackup({"S^C:\\a.lnk^1 a.lnk"});
    fs::create_directories(Copies());
    WriteTextFile(Copies() + "/1 a.lnk", "planted");
    fs::permissions(path_, fs::perms(0600));
    fs::permissions(backups_, fs::perms(0755));
    fs::permissions(Copies(), fs::perms(0700));
    if (::chown(backups_.c_str(), 4242, 4242) != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    for (const std::string& theirs : {backups_, path_, Copies()}) {
        SCOPED_TRACE(theirs);
        ASSERT_EQ(::chown(theirs.c_str(), 4242, 4242), 0);
        const RestoreReport report = Restore(/*force=*/true);
        EXPECT_EQ(report.restored, 0);
        ASSERT_EQ(report.failures.size(), 1u);
        EXPECT_NE(report.failures[0].find("another user"), std::string::npos) << report.failures[0];
        EXPECT_NE(report.failures[0].find(theirs), std::string::npos) << report.failures[0];
        EXPECT_FALSE(fs::exists(prefix_ + "/drive_c/a.lnk"));
        ASSERT_EQ(::chown(theirs.c_str(), ::geteuid(), ::getegid()), 0);
    }
    // The user's own backup is restored.
    EXPECT_TRUE(Restore().ok());
    EXPECT_EQ(ReadTextFile(prefix_ + "/drive_c/a.lnk"), "planted");
}

TEST_F(BackupSafetyTest, ARestoredShortcutNeverReplacesAFileAndKeepsTheCopysMode) {
    fs::create_directories(Copies());
    WriteTextFile(Copies() + "/1 a.lnk", "copy a");
    WriteTextFile(Copies() + "/1 b.lnk", "copy b");
    WriteTextFile(Copies() + "/1 c.lnk", "copy c");
    fs::permissions(Copies() + "/1 a.lnk", fs::perms(0600));
    fs::permissions(Copies() + "/1 c.lnk", fs::perms(0640));
    WriteTextFile(prefix_ + "/drive_c/b.lnk", "a new file the user made");
    WriteTextFile(prefix_ + "/drive_c/c.lnk", "copy c");  // already back
    WriteBackup({"S^C:\\a.lnk^1 a.lnk", "S^C:\\b.lnk^1 b.lnk", "S^C:\\c.lnk^1 c.lnk"});
    const mode_t oldMask = ::umask(0);
    const RestoreReport report = Restore();
    ::umask(oldMask);
    EXPECT_EQ(report.restored, 2);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_NE(report.failures[0].find("C:\\b.lnk was not put back: another file is there now"),
              std::string::npos)
        << report.failures[0];
    EXPECT_EQ(ReadTextFile(prefix_ + "/drive_c/a.lnk"), "copy a");
    EXPECT_EQ(ModeOf(prefix_ + "/drive_c/a.lnk"), 0600u);
    EXPECT_EQ(ReadTextFile(prefix_ + "/drive_c/b.lnk"), "a new file the user made");
}

TEST_F(BackupSafetyTest, ShortcutsOutsideThePrefixsDrivesComeBackOnlyWithForce) {
    fs::create_directories(Copies());
    WriteTextFile(Copies() + "/1 h.lnk", "host");
    WriteTextFile(Copies() + "/1 c.lnk", "own");
    WriteBackup({"S^Z:\\home\\h.lnk^1 h.lnk", "S^C:\\c.lnk^1 c.lnk"});
    EXPECT_EQ(RecordsOutsideMachine(files_, path_), std::vector<std::string>{"Z:\\home\\h.lnk"});
    RestoreReport report = Restore();
    EXPECT_EQ(report.restored, 1);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_NE(report.failures[0].find("Z:\\home\\h.lnk lies outside the prefix's own drives"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(host_.path() + "/home/h.lnk"));
    report = Restore(true);
    EXPECT_TRUE(report.ok()) << Joined(report.failures);
    EXPECT_EQ(ReadTextFile(host_.path() + "/home/h.lnk"), "host");
    // A drive whose folder is a link into the prefix is the prefix's own.
    fs::create_directory_symlink(prefix_ + "/drive_c", root_.path() + "/c-link");
    files_.MapDrive('D', root_.path() + "/c-link");
    EXPECT_TRUE(OnOwnDrive(files_, "D:\\x.lnk"));
    EXPECT_FALSE(OnOwnDrive(files_, "Z:\\x.lnk"));
    EXPECT_FALSE(OnOwnDrive(files_, "Q:\\x.lnk"));
}

// --- backups belong to a prefix

TEST_F(BackupSafetyTest, ARestoreIntoAnotherPrefixIsRefusedUnlessForced) {
    registry_.PutText("HKEY_LOCAL_MACHINE\\Software\\Run", "Tool", REG_SZ, "C:\\tool.exe");
    AddProblem("Software\\Run", "Tool");
    const RepairOutcome outcome = RepairAll(session_, options_);
    ASSERT_EQ(outcome.removed, 1);
    EXPECT_EQ(RecordedMachine(outcome.backupFilePath), MachineIdentity(files_));
    EXPECT_EQ(outcome.machine, fs::weakly_canonical(prefix_).string());

    TempDir otherRoot;
    PrefixFiles other(otherRoot.path());
    other.MapDrive('C', otherRoot.path());
    MemoryRegistry otherRegistry;
    const RestoreReport refused =
        RestoreBackupFile(otherRegistry, other, settings_, outcome.backupFilePath);
    ASSERT_EQ(refused.failures.size(), 1u);
    EXPECT_EQ(refused.failures[0], "nothing was restored: the backup was taken from " +
                                       MachineIdentity(files_) + ", not from " +
                                       MachineIdentity(other) +
                                       "; restore it there, or use "
                                       "--force to put it into " +
                                       MachineIdentity(other));
    EXPECT_FALSE(otherRegistry.Get("HKEY_LOCAL_MACHINE\\Software\\Run", "Tool"));
    RestoreOptions force;
    force.force = true;
    EXPECT_TRUE(
        RestoreBackupFile(otherRegistry, other, settings_, outcome.backupFilePath, force).ok());
    EXPECT_TRUE(otherRegistry.Get("HKEY_LOCAL_MACHINE\\Software\\Run", "Tool"));

    // The manager of each prefix lists its own backups; one that records
    // no prefix shows in both, marked.
    WriteTextFile(backups_ + "/BackUp 01-01-01 01-01-01",
                  EncodeBackupText("S^C:\\old.lnk") + "\r\n");
    const auto mine = ListBackups(settings_, MachineIdentity(files_));
    const auto theirs = ListBackups(settings_, MachineIdentity(other));
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine[0].name, "BackUp 01-01-01 01-01-01");
    EXPECT_EQ(PrefixText(mine[0]), "prefix unknown");
    EXPECT_EQ(mine[1].name, "BackUp 16-08-05 14-03-00");
    EXPECT_EQ(PrefixText(mine[1]), MachineIdentity(files_));
    ASSERT_EQ(theirs.size(), 1u);
    EXPECT_EQ(theirs[0].name, "BackUp 01-01-01 01-01-01");
}

// --- backup files cannot be hijacked

TEST_F(BackupSafetyTest, LinksPlantedAtTheBackupNamesReceiveNothing) {
    const std::string trap = root_.path() + "/trap";
    const std::string trapFolder = root_.path() + "/trap-folder";
    WriteTextFile(trap, "");
    fs::create_directories(trapFolder);
    fs::create_symlink(trap, RunName());
    fs::create_directory_symlink(trapFolder, RunName() + " (2) files");
    AddProblem("Software\\Run", "Tool");
    AddShortcut("Desktop/Tool.lnk", BrokenLinkBytes("Tool"));
    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 2);
    EXPECT_EQ(outcome.backupFilePath, RunName() + " (3)");
    EXPECT_EQ(ReadTextFile(trap), "");
    EXPECT_TRUE(fs::is_empty(trapFolder));
    EXPECT_FALSE(fs::exists(RunName() + " (2)"));  // given up with its taken folder
    EXPECT_EQ(ModeOf(outcome.backupFilePath), 0600u);
    EXPECT_EQ(ModeOf(ShortcutCopiesFolder(outcome.backupFilePath)), 0700u);
    // And the backup it made restores.
    EXPECT_TRUE(RestoreBackupFile(registry_, files_, settings_, outcome.backupFilePath).ok());
    EXPECT_EQ(ReadTextFile(prefix_ + "/drive_c/Desktop/Tool.lnk"), BrokenLinkBytes("Tool"));
}

TEST_F(BackupSafetyTest, AFolderOthersMayWriteIsRefusedUnlessSticky) {
    AddProblem("Software\\Run", "Tool");
    AddShortcut("Tool.lnk", BrokenLinkBytes("Tool"));
    fs::permissions(backups_, fs::perms(0777));
    RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 0);
    EXPECT_EQ(outcome.kept, 2);
    ASSERT_TRUE(outcome.halted);
    EXPECT_NE(outcome.halted->find("can be written by other users"), std::string::npos)
        << *outcome.halted;
    EXPECT_TRUE(registry_.Get("HKEY_LOCAL_MACHINE\\Software\\Run", "Tool"));
    EXPECT_TRUE(fs::exists(prefix_ + "/drive_c/Tool.lnk"));
    EXPECT_TRUE(fs::is_empty(backups_));
    EXPECT_NE(RepairNoticeText(outcome).find("Nothing on " + outcome.machine + " was changed"),
              std::string::npos);

    fs::permissions(backups_, fs::perms(01777));
    AddProblem("Software\\Run", "Tool");
    AddShortcut("Tool.lnk", BrokenLinkBytes("Tool"));
    session_.result.summary.push_back({"", "summary", 0});
    outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 2);
    EXPECT_FALSE(outcome.halted);
}

// --- the prompt

TEST(RepairPromptTest, SaysWhenNoBackupWillBeMade) {
    EXPECT_EQ(RepairBackupPromise(true), "Every one is backed up first.");
    EXPECT_EQ(RepairBackupPromise(false),
              "No backup will be made: \"Make Backup Before Repairing\" is off (setting "
              "\"chkMakeBackUp\" is 0).");
}

// --- a full disk never leaves a torn record

// A 200 KiB tmpfs for the backup folder; skipped where mounting is not
// allowed.
class FullDiskTest : public BackupSafetyTest {
protected:
    void SetUp() override {
        BackupSafetyTest::SetUp();
        if (::geteuid() != 0 ||
            ::mount("tmpfs", backups_.c_str(), "tmpfs", 0, "size=200k,mode=0700") != 0)
            GTEST_SKIP() << "cannot mount a small tmpfs here";
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) ::umount2(backups_.c_str(), MNT_DETACH);
    }
    // Fills the disk to the last byte.
    void Fill() {
        std::ofstream filler(backups_ + "/filler", std::ios::binary);
        const std::string block(1024, 'x');
        while (filler.write(block.data(), block.size())) filler.flush();
    }
    bool mounted_ = false;
};

TEST_F(FullDiskTest, AFailedAppendCutsTheFileBackToItsLastRecord) {
    // Values whose records are some kilobytes long, so that one is cut off
    // part way when the disk fills.
    auto addLong = [this](const std::string& name) {
        registry_.Put("HKEY_LOCAL_MACHINE\\Software\\Big", name, REG_BINARY,
                      std::vector<std::uint8_t>(3000, 0xAB));
        RegistryProblem problem;
        problem.root = HKEY_LOCAL_MACHINE;
        problem.valueName = name;
        problem.keyPath = "Software\\Big";
        problem.rootName = "HKEY_LOCAL_MACHINE";
        return problem;
    };
    const RegistryProblem first = addLong("First"), second = addLong("Second"),
                          third = addLong("Third");
    std::string error;
    auto writer =
        BackupWriter::Create(backups_, *options_.startTime, MachineIdentity(files_), &error);
    ASSERT_TRUE(writer) << error;
    ASSERT_TRUE(writer->Add(session_, first, &error)) << error;
    const auto complete = fs::file_size(writer->path());
    Fill();
    EXPECT_FALSE(writer->Add(session_, second, &error));
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    EXPECT_EQ(fs::file_size(writer->path()), complete);
    // Space comes back during the same run: the next record starts a line
    // of its own.
    fs::remove(backups_ + "/filler");
    ASSERT_TRUE(writer->Add(session_, third, &error)) << error;
    ASSERT_TRUE(writer->Commit(&error)) << error;
    const auto lines = SplitBackupLines(ReadTextFile(writer->path()));
    ASSERT_EQ(lines.size(), 2u);
    for (const auto& line : lines) EXPECT_TRUE(ParseBackupLine(line));
    EXPECT_EQ((*ParseBackupLine(lines[1]))[4], "Third");
}

TEST_F(FullDiskTest, ARepairKeepsWhatItCouldNotBackUp) {
    AddProblem("Software\\Run", "Tool");
    AddShortcut("Desktop/Big.lnk",
                BrokenLinkBytes("Big") + std::string(300 * 1024, 'L'));  // larger than the disk
    AddShortcut("Desktop/Small.lnk", BrokenLinkBytes("Small"));
    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 2);
    EXPECT_EQ(outcome.kept, 1);
    EXPECT_TRUE(fs::exists(prefix_ + "/drive_c/Desktop/Big.lnk"));
    EXPECT_FALSE(fs::exists(prefix_ + "/drive_c/Desktop/Small.lnk"));
    EXPECT_TRUE(RestoreBackupFile(registry_, files_, settings_, outcome.backupFilePath).ok());
    EXPECT_EQ(ReadTextFile(prefix_ + "/drive_c/Desktop/Small.lnk"), BrokenLinkBytes("Small"));
}

// --- a restore whose depth the input decides

// Takes any key and value and remembers the deepest key path it was given.
class AcceptingRegistry : public EmptyRegistry {
public:
    LONG CreateKeyEx(HKEY, std::string_view path, DWORD, DWORD, HKEY* result, DWORD*) override {
        deepest = std::max(deepest, path.size());
        *result = 1;
        return ERROR_SUCCESS;
    }
    LONG SetValueRaw(HKEY, std::string_view, DWORD, std::span<const std::uint8_t>) override {
        ++values;
        return ERROR_SUCCESS;
    }
    std::size_t deepest = 0;
    int values = 0;
};

TEST_F(BackupSafetyTest, ADeeplyNestedKeyAndManyLinesRestoreWithoutRecursion) {
    std::string key = "Software";
    for (int i = 0; i < 100000; ++i) key += "\\k";
    std::vector<std::string> lines(20000,
                                   "R^HKEY_CURRENT_USER^Software\\A^C:\\a.exe^A^^1^61000000^");
    lines.push_back("R^HKEY_CURRENT_USER^" + key + "^C:\\gone.exe^Deep^^1^" +
                    HexBytes({0x61, 0, 0, 0}));
    WriteBackup(lines);
    AcceptingRegistry registry;
    const RestoreReport report = RestoreBackupFile(registry, files_, settings_, path_);
    EXPECT_TRUE(report.ok()) << Joined(report.failures);
    EXPECT_EQ(report.restored, 20001);
    EXPECT_EQ(registry.values, 20001);
    EXPECT_EQ(registry.deepest, key.size());
}

}  // namespace
