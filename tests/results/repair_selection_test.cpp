// A repair of the ticked problems only: the unticked ones stay on the
// machine and in the lists, the summary rows are counted again from what is
// left, and the backup holds only what was repaired.
#include <gtest/gtest.h>

#include <filesystem>

#include "results/backup_codec.h"
#include "results/backup_file.h"
#include "results/repair.h"
#include "results/result_views.h"
#include "session/scan_session.h"
#include "support/memory_registry.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kHelpKey = "SOFTWARE\\Microsoft\\Windows\\Help";

class RepairSelection : public ::testing::Test {
protected:
    void SetUp() override {
        files_.MapDrive('C', drive_.path());
        settings_.Save("txtBackup", backups_.path());
        std::tm start{};
        start.tm_mday = 9, start.tm_mon = 11, start.tm_year = 126, start.tm_hour = 20;
        options_.startTime = start;
        options_.onEvent = [this](const RepairEvent& e) {
            if (e.what == RepairEvent::What::Removed) removed_.push_back(e.item);
        };
        // Three startup entries, two help files and two broken shortcuts, with
        // the summary rows a scan makes for them.
        for (const char* name : {"Alpha", "Beta", "Gamma"})
            AddValue(kRunKey, name, "Windows Startup");
        for (const char* name : {"one.hlp", "two.hlp"}) AddValue(kHelpKey, name, "Help Files");
        AddShortcut("Desktop/a.lnk");
        AddShortcut("Desktop/b.lnk");
        AddSectionSummary(session_, 3, "Windows Startup");
        AddSectionSummary(session_, 2, "Help Files");
        session_.result.summary.push_back(
            {std::string(kShortcutSection), ShortcutSummaryText(2), 2});
    }

    void AddValue(const std::string& key, const std::string& name, const std::string& section) {
        registry_.PutText("HKEY_LOCAL_MACHINE\\" + key, name, REG_SZ, "C:\\gone\\" + name);
        RegistryProblem problem;
        problem.root = HKEY_LOCAL_MACHINE;
        problem.rootName = "HKEY_LOCAL_MACHINE";
        problem.keyPath = key;
        problem.valueName = name;
        problem.testedPath = "C:\\gone\\" + name;
        problem.scanner = section;
        problem.section = section;
        session_.result.problems.AddOf<RegistryProblem>(problem);
    }

    void AddShortcut(const std::string& rel) {
        WriteTextFile(drive_ / rel, BrokenLinkBytes(rel));
        std::string windows = "C:\\" + rel;
        for (char& c : windows)
            if (c == '/') c = '\\';
        session_.result.problems.AddOf<ShortcutProblem>({windows, "gone.exe", ""});
    }

    void Untick(const std::string& valueOrPath) {
        for (auto& p : session_.result.problems.Of<RegistryProblem>())
            if (p.valueName == valueOrPath) p.selected = false;
        for (auto& p : session_.result.problems.Of<ShortcutProblem>())
            if (p.path == valueOrPath) p.selected = false;
    }

    bool HasValue(const std::string& key, const std::string& name) {
        return registry_.Get("HKEY_LOCAL_MACHINE\\" + key, name).has_value();
    }

    std::vector<std::string> Summary() {
        std::vector<std::string> out;
        for (const auto& row : session_.result.summary)
            out.push_back(row.text + " = " + std::to_string(row.count));
        return out;
    }

    std::string BackupPath() { return backups_ / "BackUp 09-12-26 20-00-00"; }

    TempDir drive_, backups_, settingsDir_;
    HostFolderFileSystem files_;
    MemoryRegistry registry_;
    AnsweringObserver observer_;
    IniSettingsStore settings_{settingsDir_ / "settings.ini"};
    ScanSession session_{registry_, files_, settings_, observer_};
    RepairOptions options_;
    std::vector<std::string> removed_;
};

TEST_F(RepairSelection, OnlyTheTickedAreRepairedAndTheRestIsRecounted) {
    Untick("Beta");
    Untick("C:\\Desktop\\b.lnk");
    // Both help files go: their row leaves the summary.
    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 5);
    EXPECT_EQ(outcome.kept, 0);
    EXPECT_EQ(observer_.questions, std::vector<Question>{Question::FilesRepaired});
    EXPECT_FALSE(HasValue(kRunKey, "Alpha"));
    EXPECT_TRUE(HasValue(kRunKey, "Beta"));
    EXPECT_FALSE(HasValue(kRunKey, "Gamma"));
    EXPECT_FALSE(HasValue(kHelpKey, "one.hlp"));
    EXPECT_FALSE(fs::exists(drive_ / "Desktop/a.lnk"));
    EXPECT_TRUE(fs::exists(drive_ / "Desktop/b.lnk"));

    ASSERT_EQ(session_.result.problems.Of<RegistryProblem>().size(), 1u);
    EXPECT_EQ(session_.result.problems.Of<RegistryProblem>()[0].valueName, "Beta");
    ASSERT_EQ(session_.result.problems.Of<ShortcutProblem>().size(), 1u);
    EXPECT_EQ(session_.result.problems.Of<ShortcutProblem>()[0].path, "C:\\Desktop\\b.lnk");
    EXPECT_EQ(Summary(), (std::vector<std::string>{
                             "Invalid Windows Startup Files  ( 1 Problem(s) ) = 1",
                             "Invalid Windows Shortcut File (1 Problems) = 1",
                         }));

    // The backup holds the five repaired items, none of the two left alone.
    const auto lines = SplitBackupLines(ReadTextFile(BackupPath()));
    ASSERT_EQ(lines.size(), 5u);
    for (const auto& line : lines) {
        EXPECT_EQ(line.find("Beta"), std::string::npos) << line;
        EXPECT_EQ(line.find("b.lnk"), std::string::npos) << line;
    }
    EXPECT_EQ(removed_.size(), 5u);

    // A second repair with everything left ticked again takes the rest.
    for (auto& p : session_.result.problems.Of<RegistryProblem>()) p.selected = true;
    for (auto& p : session_.result.problems.Of<ShortcutProblem>()) p.selected = true;
    options_.startTime->tm_min = 1;
    RepairAll(session_, options_);
    EXPECT_FALSE(HasValue(kRunKey, "Beta"));
    EXPECT_FALSE(fs::exists(drive_ / "Desktop/b.lnk"));
    EXPECT_TRUE(session_.result.problems.Of<RegistryProblem>().empty());
    EXPECT_TRUE(session_.result.problems.Of<ShortcutProblem>().empty());
    EXPECT_TRUE(session_.result.summary.empty());
}

TEST_F(RepairSelection, NothingTickedChangesNothingAndWritesNoBackup) {
    for (auto& p : session_.result.problems.Of<RegistryProblem>()) p.selected = false;
    for (auto& p : session_.result.problems.Of<ShortcutProblem>()) p.selected = false;
    const auto before = Summary();
    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 0);
    EXPECT_EQ(outcome.kept, 0);
    EXPECT_TRUE(outcome.backupFilePath.empty());
    EXPECT_TRUE(fs::is_empty(backups_.path()));
    EXPECT_EQ(session_.result.problems.Of<RegistryProblem>().size(), 5u);
    EXPECT_EQ(session_.result.problems.Of<ShortcutProblem>().size(), 2u);
    EXPECT_EQ(Summary(), before);
    EXPECT_TRUE(HasValue(kRunKey, "Alpha"));
    EXPECT_TRUE(fs::exists(drive_ / "Desktop/a.lnk"));
}

TEST_F(RepairSelection, AFailedBackupKeepsOnlyTheTickedAndLeavesTheOthersListed) {
    WriteTextFile(backups_ / "not a folder", "x");
    settings_.Save("txtBackup", backups_ / "not a folder");
    Untick("Alpha");
    Untick("one.hlp");
    const RepairOutcome outcome = RepairAll(session_, options_);
    EXPECT_EQ(outcome.removed, 0);
    EXPECT_EQ(outcome.kept, 5);  // Beta, Gamma, two.hlp and the two shortcuts
    EXPECT_TRUE(outcome.halted);
    EXPECT_TRUE(HasValue(kRunKey, "Gamma"));
    EXPECT_TRUE(fs::exists(drive_ / "Desktop/a.lnk"));
    ASSERT_EQ(session_.result.problems.Of<RegistryProblem>().size(), 2u);
    EXPECT_EQ(session_.result.problems.Of<RegistryProblem>()[0].valueName, "Alpha");
    EXPECT_EQ(session_.result.problems.Of<RegistryProblem>()[1].valueName, "one.hlp");
    EXPECT_EQ(Summary(), (std::vector<std::string>{
                             "Invalid Windows Startup Files  ( 1 Problem(s) ) = 1",
                             "Invalid Help Files ( 1 Problem(s) ) = 1",
                         }));
}

}  // namespace
