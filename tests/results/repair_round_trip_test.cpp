// Repair then restore: every value comes back with its kind and bytes, every
// shortcut byte for byte; nothing is removed that was not saved first.
#include <gtest/gtest.h>

#include <filesystem>

#include "results/backup_codec.h"
#include "results/backup_file.h"
#include "results/backup_manager.h"
#include "results/repair.h"
#include "session/scan_session.h"
#include "support/memory_registry.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "system/text.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

constexpr const char* kHklm = "HKEY_LOCAL_MACHINE";

class RepairTest : public ::testing::Test {
protected:
    void SetUp() override {
        files_.MapDrive('C', drive_.path());
        settings_.Save("txtBackup", backups_.path());
        session_.result.summary.push_back({"", "summary", 0});
        std::tm start{};
        start.tm_mday = 16, start.tm_mon = 7, start.tm_year = 105, start.tm_hour = 14,
        start.tm_min = 3;
        options_.startTime = start;
        options_.onEvent = [this](const RepairEvent& e) { events_.push_back(e); };
    }

    // A problem row as the scan records it.
    void AddProblem(HKEY root, const std::string& key, const std::string& name,
                    const std::string& missing, const std::string& section = "Application Paths",
                    bool yes = false) {
        RegistryProblem problem;
        problem.root = root;
        problem.valueName = name.empty() ? "(Default)" : name;
        problem.testedPath = missing;
        problem.scanner = section;
        problem.keyPath = key;
        problem.rootName = std::string(RootName(root));
        problem.systemFolder = yes;
        session_.result.problems.AddOf<RegistryProblem>(problem);
    }

    void AddShortcut(const std::string& rel, const std::string& contents) {
        WriteTextFile(drive_ / rel, contents);
        std::string windows = "C:\\" + rel;
        for (char& c : windows)
            if (c == '/') c = '\\';
        session_.result.problems.AddOf<ShortcutProblem>({windows, "", ""});
    }

    std::string BackupPath() { return backups_ / "BackUp 16-08-05 14-03-00"; }

    RestoreReport Restore() {
        return RestoreBackupFile(registry_, files_, settings_, BackupPath());
    }

    TempDir drive_, backups_, settingsDir_;
    HostFolderFileSystem files_;
    MemoryRegistry registry_;
    AnsweringObserver observer_;
    IniSettingsStore settings_{settingsDir_ / "settings.ini"};
    ScanSession session_{registry_, files_, settings_, observer_};
    RepairOptions options_;
    std::vector<RepairEvent> events_;
};

TEST_F(RepairTest, RepairThenRestoreGivesEverythingBackExactly) {
    const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string paths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe";
    registry_.PutText(std::string(kHklm) + "\\" + run, "Tool", REG_EXPAND_SZ,
                      "\"%ProgramFiles%\\T\\t.exe\" /min");
    registry_.PutText(std::string(kHklm) + "\\" + paths, "", REG_SZ, "C:\\gone\\gone.exe");
    registry_.PutText(std::string(kHklm) + "\\" + paths, "(Default)", REG_SZ, "a value so named");
    registry_.Put(std::string(kHklm) + "\\" + paths, "Path", REG_BINARY, {0x01, 0x00, 0xFF});
    registry_.PutText("HKEY_CURRENT_USER\\Software\\A^B", "Caf\xC3\xA9 \xE6\x97\xA5", REG_MULTI_SZ,
                      "x");
    const auto before = registry_.keys();
    AddProblem(HKEY_LOCAL_MACHINE, run, "Tool", "C:\\Program Files\\T\\t.exe", "Windows Startup");
    AddProblem(HKEY_LOCAL_MACHINE, paths, "", "C:\\gone\\gone.exe");
    AddProblem(HKEY_LOCAL_MACHINE, paths, "Path", "C:\\gone");
    AddProblem(HKEY_CURRENT_USER, "Software\\A^B", "Caf\xC3\xA9 \xE6\x97\xA5", "C:\\gone\\x");
    AddShortcut("Desktop/Tool.lnk", BrokenLinkBytes("first"));
    AddShortcut("Start Menu/Tool.lnk", BrokenLinkBytes("second"));

    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_FALSE(outcome.refusal);
    EXPECT_EQ(outcome.removed, 6);
    EXPECT_EQ(outcome.kept, 0);
    EXPECT_EQ(observer_.questions, std::vector<Question>{Question::FilesRepaired});
    EXPECT_EQ(outcome.backupFilePath, BackupPath());
    EXPECT_FALSE(registry_.Get(std::string(kHklm) + "\\" + run, "Tool"));
    EXPECT_EQ(registry_.Get(std::string(kHklm) + "\\" + paths, "")->data,
              std::vector<std::uint8_t>{});
    EXPECT_FALSE(registry_.Get(std::string(kHklm) + "\\" + paths, "(Default)"));
    EXPECT_FALSE(fs::exists(drive_ / "Desktop/Tool.lnk"));
    EXPECT_TRUE(session_.result.problems.Of<RegistryProblem>().empty());
    EXPECT_TRUE(session_.result.problems.Of<ShortcutProblem>().empty());
    EXPECT_TRUE(session_.result.summary.empty());
    EXPECT_EQ(observer_.events.back(), "question");  // the closing notice follows the repair

    const auto lines = SplitBackupLines(ReadTextFile(BackupPath()));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(ParseBackupLine(lines[0])->at(0), "R");
    EXPECT_EQ(ParseBackupLine(lines[5])->at(0), "S");

    const RestoreReport report = Restore();
    EXPECT_TRUE(report.ok()) << report.failures.front();
    EXPECT_EQ(report.restored, 6);
    EXPECT_EQ(registry_.keys(), before);
    EXPECT_EQ(ReadTextFile(drive_ / "Desktop/Tool.lnk"), BrokenLinkBytes("first"));
    EXPECT_EQ(ReadTextFile(drive_ / "Start Menu/Tool.lnk"), BrokenLinkBytes("second"));
}

// Ctrl-C (or quitting the window) during a repair: what was backed up before
// the stop still goes and comes back on restore; the rest is kept untouched.
TEST_F(RepairTest, AStopKeepsWhatWasNotBackedUpAndRestoresWhatWent) {
    const std::string paths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    for (const char* name : {"a.exe", "b.exe", "c.exe"})
        registry_.PutText(std::string(kHklm) + "\\" + paths + name, "", REG_SZ,
                          std::string("C:\\gone\\") + name);
    const auto before = registry_.keys();
    for (const char* name : {"a.exe", "b.exe", "c.exe"})
        AddProblem(HKEY_LOCAL_MACHINE, paths + name, "", std::string("C:\\gone\\") + name);
    AddShortcut("Desktop/Tool.lnk", BrokenLinkBytes("first"));
    options_.afterStep = [this] { session_.cancelRequested = true; };

    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.removed, 1);
    EXPECT_EQ(outcome.kept, 3);
    EXPECT_FALSE(session_.cancelRequested);
    EXPECT_EQ(registry_.Get(std::string(kHklm) + "\\" + paths + "a.exe", "")->data,
              std::vector<std::uint8_t>{});
    for (const char* name : {"b.exe", "c.exe"})
        EXPECT_FALSE(registry_.Get(std::string(kHklm) + "\\" + paths + name, "")->data.empty());
    EXPECT_TRUE(fs::exists(drive_ / "Desktop/Tool.lnk"));
    EXPECT_EQ(TrimCopy(RepairNoticeText(outcome)),
              "The repair was stopped: 1 problems were repaired; 3 were kept.");
    EXPECT_EQ(SplitBackupLines(ReadTextFile(BackupPath())).size(), 1u);
    EXPECT_TRUE(Restore().ok());
    EXPECT_EQ(registry_.keys(), before);
}

TEST_F(RepairTest, AValueRepairedTwiceInOneRunComesBackAsItWas) {
    registry_.PutText("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{1}\\InprocServer32", "",
                      REG_EXPAND_SZ, "%SystemRoot%\\gone.dll");
    registry_.PutText("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{1}", "Name", REG_SZ, "old");
    const auto before = registry_.keys();
    AddProblem(HKEY_CLASSES_ROOT, "CLSID\\{1}\\InprocServer32", "", "C:\\windows\\gone.dll",
               "ActiveX \\ COM");
    AddProblem(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\{1}\\InprocServer32", "",
               "C:\\windows\\gone.dll", "ActiveX \\ COM");
    AddProblem(HKEY_CLASSES_ROOT, "CLSID\\{1}", "Name", "C:\\gone\\old");
    AddProblem(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\{1}", "Name", "C:\\gone\\old");
    EXPECT_EQ(RepairAll(session_, options_).kept, 0);
    EXPECT_TRUE(Restore().ok());
    EXPECT_EQ(registry_.keys(), before);
}

TEST_F(RepairTest, NothingIsRemovedWhoseBackupCouldNotBeWritten) {
    WriteTextFile(backups_ / "not a folder", "x");
    settings_.Save("txtBackup", backups_ / "not a folder");
    registry_.PutText("HKEY_LOCAL_MACHINE\\Software\\X", "V", REG_SZ, "C:\\gone.exe");
    AddProblem(HKEY_LOCAL_MACHINE, "Software\\X", "V", "C:\\gone.exe");
    AddShortcut("a.lnk", BrokenLinkBytes("a"));
    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.kept, 2);
    EXPECT_EQ(outcome.removed, 0);
    EXPECT_TRUE(registry_.Get("HKEY_LOCAL_MACHINE\\Software\\X", "V"));
    EXPECT_TRUE(fs::exists(drive_ / "a.lnk"));
    EXPECT_EQ(observer_.questions, std::vector<Question>{Question::FilesKept});
    EXPECT_NE(RepairNoticeText(outcome).find("2 were kept"), std::string::npos);
    EXPECT_EQ(events_.back().what, RepairEvent::What::Kept);
}

TEST_F(RepairTest, WithBackupsOffEverythingIsRemovedAndNoFileWritten) {
    settings_.Save("chkMakeBackUp", "0");
    registry_.PutText("HKEY_LOCAL_MACHINE\\Software\\X", "V", REG_SZ, "C:\\gone.exe");
    AddProblem(HKEY_LOCAL_MACHINE, "Software\\X", "V", "C:\\gone.exe");
    AddShortcut("a.lnk", BrokenLinkBytes("a"));
    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 2);
    EXPECT_FALSE(registry_.Get("HKEY_LOCAL_MACHINE\\Software\\X", "V"));
    EXPECT_FALSE(fs::exists(drive_ / "a.lnk"));
    EXPECT_TRUE(fs::is_empty(backups_.path()));
}

TEST_F(RepairTest, ARunningWineRefusesTheRepairBeforeAnythingIsTouched) {
    registry_.refusal = "a wineserver is running on this prefix";
    registry_.PutText("HKEY_LOCAL_MACHINE\\Software\\X", "V", REG_SZ, "C:\\gone.exe");
    AddProblem(HKEY_LOCAL_MACHINE, "Software\\X", "V", "C:\\gone.exe");
    AddShortcut("a.lnk", BrokenLinkBytes("a"));
    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.refusal.value_or(""), "a wineserver is running on this prefix");
    EXPECT_TRUE(fs::exists(drive_ / "a.lnk"));
    EXPECT_EQ(session_.result.problems.Of<RegistryProblem>().size(), 1u);
    EXPECT_TRUE(fs::is_empty(backups_.path()));
    EXPECT_TRUE(observer_.questions.empty());
}

TEST_F(RepairTest, ShortcutsOnlySkipTheRegistryPart) {
    AddShortcut("a.lnk", BrokenLinkBytes("a"));
    AddProblem(HKEY_LOCAL_MACHINE, "Software\\X", "V", "C:\\gone.exe");
    session_.result.summary.clear();
    RepairAll(session_, options_);
    EXPECT_FALSE(fs::exists(drive_ / "a.lnk"));
    EXPECT_EQ(session_.result.problems.Of<RegistryProblem>().size(),
              1u);  // left for the next scan to clear
    EXPECT_EQ(observer_.questions, std::vector<Question>{Question::FilesRepaired});
}

TEST_F(RepairTest, AValueThatVanishedSinceTheScanIsNotRestoredIntoBeing) {
    AddProblem(HKEY_LOCAL_MACHINE, "Software\\Gone", "V", "C:\\gone.exe");
    const RepairOutcome outcome = RepairAll(session_, options_);
    // It is looked at again before its record: gone already, so none is written.
    EXPECT_EQ(outcome.skipped.gone, 1);
    EXPECT_EQ(outcome.removed, 0);
    EXPECT_EQ(events_.back().what, RepairEvent::What::Gone);
    EXPECT_TRUE(SplitBackupLines(ReadTextFile(BackupPath())).empty());
    EXPECT_TRUE(Restore().ok());
    EXPECT_FALSE(registry_.HasKey("HKEY_LOCAL_MACHINE\\Software\\Gone"));
}

}  // namespace

namespace {

// A registry that takes the backup reads but refuses to delete, as a Wine
// started in the middle of a repair would make it.
struct RefusingDeletes : MemoryRegistry {
    RefusingDeletes() { store().refuseDeletes = true; }
};

TEST(RepairRefusedDeletes, AValueThatCouldNotBeRemovedIsReportedAsKept) {
    TempDir backups, settingsDir;
    RefusingDeletes registry;
    HostFolderFileSystem files;
    AnsweringObserver observer;
    IniSettingsStore settings(settingsDir / "settings.ini");
    settings.Save("txtBackup", backups.path());
    ScanSession session(registry, files, settings, observer);
    registry.PutText("HKEY_LOCAL_MACHINE\\Software\\X", "V", REG_SZ, "C:\\gone.exe");
    session.result.summary.push_back({"", "summary", 0});
    RegistryProblem problem;
    problem.root = HKEY_LOCAL_MACHINE;
    problem.valueName = "V";
    problem.keyPath = "Software\\X";
    problem.rootName = "HKEY_LOCAL_MACHINE";
    session.result.problems.AddOf<RegistryProblem>(problem);
    std::vector<RepairEvent> events;
    RepairOptions options;
    options.onEvent = [&events](const RepairEvent& e) { events.push_back(e); };
    const RepairOutcome outcome = RepairAll(session, options);
    EXPECT_EQ(outcome.removed, 0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].what, RepairEvent::What::Kept);
    EXPECT_TRUE(registry.Get("HKEY_LOCAL_MACHINE\\Software\\X", "V"));
}

}  // namespace

TEST_F(RepairTest, OnlyTickedProblemsAreRepairedAndTheOthersStayCounted) {
    const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    for (const char* name : {"Kept", "Gone"})
        registry_.PutText(std::string(kHklm) + "\\" + run, name, REG_SZ, "C:\\x.exe");
    AddProblem(HKEY_LOCAL_MACHINE, run, "Kept", "C:\\x.exe", "Windows Startup");
    AddProblem(HKEY_LOCAL_MACHINE, run, "Gone", "C:\\x.exe", "Windows Startup");
    AddShortcut("Desktop/Kept.lnk", BrokenLinkBytes("kept"));
    AddShortcut("Desktop/Gone.lnk", BrokenLinkBytes("gone"));
    session_.result.summary = {{"Windows Startup", "two startup", 2},
                               {"Windows Shortcut", "two", 2}};
    session_.result.problems.Of<RegistryProblem>()[0].selected = false;
    session_.result.problems.Of<ShortcutProblem>()[0].selected = false;

    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 2);
    EXPECT_TRUE(registry_.Get(std::string(kHklm) + "\\" + run, "Kept"));
    EXPECT_FALSE(registry_.Get(std::string(kHklm) + "\\" + run, "Gone"));
    EXPECT_TRUE(fs::exists(drive_ / "Desktop/Kept.lnk"));
    EXPECT_FALSE(fs::exists(drive_ / "Desktop/Gone.lnk"));
    EXPECT_EQ(SplitBackupLines(ReadTextFile(BackupPath())).size(), 2u);
    // The unticked ones are still listed, and the summary counts only them.
    ASSERT_EQ(session_.result.problems.Of<RegistryProblem>().size(), 1u);
    EXPECT_EQ(session_.result.problems.Of<RegistryProblem>()[0].valueName, "Kept");
    ASSERT_EQ(session_.result.problems.Of<ShortcutProblem>().size(), 1u);
    EXPECT_EQ(session_.result.problems.Of<ShortcutProblem>()[0].path, "C:\\Desktop\\Kept.lnk");
    ASSERT_EQ(session_.result.summary.size(), 2u);
    EXPECT_EQ(session_.result.summary[0].text, "Invalid Windows Startup Files  ( 1 Problem(s) )");
    EXPECT_EQ(session_.result.summary[1].text, "Invalid Windows Shortcut File (1 Problems)");
}

// A shortcut whose host name is not UTF-8 has no exact Windows path; its
// backup could not put back the same file, so it is kept, and says why.
TEST_F(RepairTest, AShortcutWhoseNameIsNotUtf8IsKeptRatherThanRemovedWithoutAnExactBackup) {
    AddShortcut("Desktop/caf\xE9.lnk", BrokenLinkBytes("gone"));
    AddShortcut("Desktop/Gone.lnk", BrokenLinkBytes("gone"));
    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 1);
    EXPECT_EQ(outcome.kept, 1);
    EXPECT_TRUE(fs::exists(drive_ / "Desktop/caf\xE9.lnk"));
    EXPECT_FALSE(fs::exists(drive_ / "Desktop/Gone.lnk"));
    bool told = false;
    for (const auto& event : events_)
        if (event.what == RepairEvent::What::Kept)
            told = event.why.find("caf\\xE9.lnk is not UTF-8") != std::string::npos;
    EXPECT_TRUE(told);
    EXPECT_EQ(SplitBackupLines(ReadTextFile(BackupPath())).size(), 1u);
}

// A key that is its program's registration goes whole, with one record that
// holds every value as stored, and comes back whole. It stays, and loses only
// its dead values, when one of its problems is left unticked or when
// something alive was written into it since the scan.
TEST_F(RepairTest, ARegistrationKeyGoesWholeOnlyWhenNothingInItLives) {
    const std::string paths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    const std::string whole = paths + "whole.exe", unticked = paths + "unticked.exe",
                      grown = paths + "grown.exe";
    for (const std::string& key : {whole, unticked, grown}) {
        registry_.PutText(std::string(kHklm) + "\\" + key, "", REG_SZ, "C:\\gone\\x.exe");
        registry_.PutText(std::string(kHklm) + "\\" + key, "Path", REG_EXPAND_SZ, "C:\\gone");
    }
    registry_.Put(std::string(kHklm) + "\\" + whole, "UseUrl", REG_DWORD, {1, 0, 0, 0});
    const auto before = registry_.keys();
    for (const std::string& key : {whole, unticked, grown}) {
        AddProblem(HKEY_LOCAL_MACHINE, key, "", "C:\\gone\\x.exe");
        session_.result.problems.Of<RegistryProblem>().back().wholeKey = true;
        AddProblem(HKEY_LOCAL_MACHINE, key, "Path", "C:\\gone");
    }
    session_.result.problems.Of<RegistryProblem>()[3].selected = false;  // unticked's Path
    const std::string help = std::string(kHklm) + "\\" + grown;
    registry_.PutText(help, "Help", REG_SZ, "C:\\Program Files\\Here\\help.chm");

    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 5);
    EXPECT_EQ(outcome.kept, 0);
    EXPECT_FALSE(registry_.store().FindKey(HKEY_LOCAL_MACHINE, whole));
    EXPECT_EQ(registry_.Get(std::string(kHklm) + "\\" + unticked, "")->data,
              std::vector<std::uint8_t>{});
    EXPECT_TRUE(registry_.Get(std::string(kHklm) + "\\" + unticked, "Path"));
    EXPECT_FALSE(registry_.Get(help, "Path"));
    EXPECT_TRUE(registry_.Get(help, "Help"));

    const auto lines = SplitBackupLines(ReadTextFile(BackupPath()));
    ASSERT_EQ(lines.size(), 4u);  // one key, three values
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return ParseBackupLine(l)->at(0) == "K"; }),
              1);

    const RestoreReport report = Restore();
    EXPECT_TRUE(report.ok()) << report.failures.front();
    auto restored = registry_.keys();
    restored.at(std::string(kHklm) + "\\" + UpperAscii(grown)).erase("HELP");
    EXPECT_EQ(restored, before);
}
