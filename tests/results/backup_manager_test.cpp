// The backup list and the Restore and Delete buttons.
#include <gtest/gtest.h>

#include <filesystem>

#include "results/backup_codec.h"
#include "results/backup_manager.h"
#include "support/memory_registry.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

class BackupManagerTest : public ::testing::Test {
protected:
    void SetUp() override { settings_.Save("txtBackup", folder_.path()); }

    void WriteBackup(const std::string& name, const std::string& plain) {
        WriteTextFile(folder_ / name, EncodeBackupText(plain) + "\r\n");
    }

    TempDir folder_, settingsDir_, data_;
    IniSettingsStore settings_{settingsDir_ / "settings.ini"};
    AnsweringObserver observer_;
    MemoryRegistry registry_;
    HostFolderFileSystem files_;
};

TEST_F(BackupManagerTest, ListsEveryFileNamedLikeABackup) {
    WriteTextFile(folder_ / "BackUp 16-08-05 14-03-27", std::string(250, 'x'));
    WriteTextFile(folder_ / "notes.txt", "x");
    WriteTextFile(folder_ / "backup.txt", "xy");
    fs::create_directories(folder_ / "BackUp 16-08-05 14-03-27 files");
    const auto rows = ListBackups(settings_, MachineIdentity(files_));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
              (BackupRow{"BackUp 16-08-05 14-03-27", "2005-08-16", "14:03", 250, true, "", ""}));
    EXPECT_EQ(SizeText(rows[0]), "250");
    EXPECT_EQ(PrefixText(rows[0]), "prefix unknown");
    EXPECT_EQ(rows[1], (BackupRow{"backup.txt", "", "", 2, true, "", ""}));
}

TEST_F(BackupManagerTest, TheDateAndTimeComeFromTheName) {
    struct Case {
        std::string name, date, time;
    };
    for (const Case& c : std::vector<Case>{
             {"BackUp 16-08-05 14-03-27", "2005-08-16", "14:03"},
             {"BackUp 16-08-05 14-03-27 (2)", "2005-08-16", "14:03 (2)"},
             {"  backup 01-02-03 04-05-06", "2003-02-01", "04:05"},
             {"old BACKUP 01-02-03 04-05-06", "2003-02-01", "04:05"},
             // a name not in day-month-year keeps its text
             {"BackUp 2026-12-10 05-17", "2026/12/10", "05:17"},
             {"BackUp 16-08-05", "", ""},
             {"BackUp16-08-05", "", ""},
             {"backup.txt", "", ""},
         }) {
        const BackupRow row = BackupRowOf(c.name, folder_.path());
        EXPECT_EQ(row.name, c.name);
        EXPECT_EQ(row.date, c.date) << c.name;
        EXPECT_EQ(row.time, c.time) << c.name;
        EXPECT_FALSE(row.size) << c.name;  // no such file
        EXPECT_EQ(SizeText(row), "");
    }
}

TEST_F(BackupManagerTest, ABlankSettingMeansTheProgramFolderEverywhere) {
    ScopedEnv data("XDG_DATA_HOME", data_.path());
    settings_.Save("txtBackup", "   ");
    EXPECT_EQ(BackupFolder(settings_), ProgramFolder());
    WriteTextFile(ProgramFolder() + "/BackUp 01-01-06 00-00-00", "x");
    EXPECT_EQ(ListBackups(settings_, MachineIdentity(files_)).size(), 1u);
}

TEST_F(BackupManagerTest, ARestoredBackupIsKeptMarkedAndShowsWhatItHolds) {
    WriteBackup("BackUp 01-01-06 10-00-00", "R^HKEY_CURRENT_USER^Software\\A^C:\\a.exe^A^");
    WriteBackup("BackUp 01-01-06 11-00-00", "R^HKEY_CURRENT_USER^Software\\B^C:\\b.exe^B^");
    WriteBackup("BackUp 01-01-06 12-00-00", "R^HKEY_CURRENT_USER^Software\\C^C:\\c.exe^C^");
    const auto results = RestoreBackups({"BackUp 01-01-06 10-00-00", "BackUp 01-01-06 11-00-00"},
                                        registry_, files_, settings_);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0].markedRestored && results[1].markedRestored);
    const auto rows = ListBackups(settings_, MachineIdentity(files_));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].restored, ListTimeNow());
    EXPECT_EQ(rows[1].restored, ListTimeNow());
    EXPECT_EQ(rows[2].restored, "");
    EXPECT_TRUE(registry_.Get("HKEY_CURRENT_USER\\Software\\A", "A"));
    EXPECT_TRUE(registry_.Get("HKEY_CURRENT_USER\\Software\\B", "B"));
    EXPECT_FALSE(registry_.HasKey("HKEY_CURRENT_USER\\Software\\C"));
    EXPECT_TRUE(fs::exists(folder_ / "BackUp 01-01-06 10-00-00"));
    // A restored backup can be put back again: it is what undoes the restore.
    EXPECT_TRUE(RestoreBackups({"BackUp 01-01-06 10-00-00"}, registry_, files_, settings_)
                    .front()
                    .report.ok());

    std::string lines;
    for (const char* line :
         {"R^HKEY_CURRENT_USER^Software\\A^C:\\a.exe^A^",
          "K^HKEY_LOCAL_MACHINE^Software\\App Paths\\a.exe^C:\\a.exe^^1^4300^Path^1^",
          "S^C:\\users\\Public\\Desktop\\a.lnk^1 a.lnk", "Q^what"})
        lines += EncodeBackupText(line) + "\r\n";
    WriteTextFile(folder_ / "BackUp 01-01-06 13-00-00", lines);
    EXPECT_EQ(BackupContents(folder_ / "BackUp 01-01-06 13-00-00"),
              (std::vector<std::string>{
                  "value HKEY_CURRENT_USER\\Software\\A A (C:\\a.exe)",
                  "key HKEY_LOCAL_MACHINE\\Software\\App Paths\\a.exe with 2 values (C:\\a.exe)",
                  "shortcut C:\\users\\Public\\Desktop\\a.lnk",
                  "line 4 cannot be read: unknown record kind \"Q\""}));
    EXPECT_FALSE(BackupContents(folder_ / "no such backup"));
}

TEST_F(BackupManagerTest, DeleteAsksOncePerTickedRow) {
    WriteBackup("BackUp 01-01-06 10-00-00", "S^C:\\a.lnk^1 a.lnk");
    WriteTextFile(folder_ / "BackUp 01-01-06 10-00-00 files/1 a.lnk", "copy");
    WriteBackup("BackUp 01-01-06 11-00-00", "S^C:\\b.lnk");
    EXPECT_TRUE(DeleteBackups({}, settings_, observer_).empty());  // nothing ticked
    EXPECT_TRUE(observer_.questions.empty());
    struct YesThenNo : AnsweringObserver {
        Answer Confirm(Question question) override {
            questions.push_back(question);
            return questions.size() == 1 ? Answer::Yes : Answer::No;
        }
    } observer;
    const auto deleted = DeleteBackups({"BackUp 01-01-06 10-00-00", "BackUp 01-01-06 11-00-00"},
                                       settings_, observer);
    EXPECT_EQ(observer.questions,
              (std::vector<Question>{Question::DeleteBackup, Question::DeleteBackup}));
    EXPECT_EQ(deleted, std::vector<std::string>{"BackUp 01-01-06 10-00-00"});
    EXPECT_FALSE(fs::exists(folder_ / "BackUp 01-01-06 10-00-00 files"));
    EXPECT_TRUE(fs::exists(folder_ / "BackUp 01-01-06 11-00-00"));
    EXPECT_EQ(ListBackups(settings_, MachineIdentity(files_)).size(), 1u);
}

}  // namespace
