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
    ListControl list_ = MakeBackupList();
    AnsweringObserver observer_;
    MemoryRegistry registry_;
    HostFolderFileSystem files_;
};

TEST_F(BackupManagerTest, ListsEveryFileNamedLikeABackup) {
    WriteTextFile(folder_ / "BackUp 16-08-05 14-03-27", std::string(250, 'x'));
    WriteTextFile(folder_ / "notes.txt", "x");
    WriteTextFile(folder_ / "backup.txt", "xy");
    fs::create_directories(folder_ / "BackUp 16-08-05 14-03-27 files");
    FillBackupList(list_, settings_, MachineIdentity(files_));
    ASSERT_EQ(list_.Count(), 2u);
    EXPECT_EQ(list_.Text(1), "BackUp 16-08-05 14-03-27");
    EXPECT_EQ(list_.SubItem(1, 1), "16/08/05");
    EXPECT_EQ(list_.SubItem(1, 2), "14:03:27");
    EXPECT_EQ(list_.SubItem(1, 3), "250");
    EXPECT_EQ(list_.Text(2), "backup.txt");
    EXPECT_EQ(list_.SubItem(2, 1), "");
    EXPECT_EQ(list_.SubItem(2, 2), "");
    EXPECT_EQ(list_.SubItem(2, 3), "2");
    EXPECT_EQ(list_.headers(),
              (std::vector<std::string>{"Name", "Date", "Time", "Size ( Bytes )", "Prefix"}));
}

TEST_F(BackupManagerTest, ABlankSettingMeansTheProgramFolderEverywhere) {
    ScopedEnv data("XDG_DATA_HOME", data_.path());
    settings_.Save("txtBackup", "   ");
    EXPECT_EQ(BackupFolder(settings_), ProgramFolder());
    WriteTextFile(ProgramFolder() + "/BackUp 01-01-06 00-00-00", "x");
    FillBackupList(list_, settings_, MachineIdentity(files_));
    EXPECT_EQ(list_.Count(), 1u);
}

TEST_F(BackupManagerTest, RestoreConsumesEveryTickedBackupThatWentBack) {
    WriteBackup("BackUp 01-01-06 10-00-00", "R^HKEY_CURRENT_USER^Software\\A^C:\\a.exe^A^");
    WriteBackup("BackUp 01-01-06 11-00-00", "R^HKEY_CURRENT_USER^Software\\B^C:\\b.exe^B^");
    WriteBackup("BackUp 01-01-06 12-00-00", "R^HKEY_CURRENT_USER^Software\\C^C:\\c.exe^C^");
    FillBackupList(list_, settings_, MachineIdentity(files_));
    list_.SetChecked(1, true);
    list_.SetChecked(2, true);
    const auto results = RestoreCheckedBackups(list_, registry_, files_, settings_, observer_);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0].deleted && results[1].deleted);
    ASSERT_EQ(list_.Count(), 1u);
    EXPECT_EQ(list_.Text(1), "BackUp 01-01-06 12-00-00");
    EXPECT_TRUE(registry_.Get("HKEY_CURRENT_USER\\Software\\A", "A"));
    EXPECT_TRUE(registry_.Get("HKEY_CURRENT_USER\\Software\\B", "B"));
    EXPECT_FALSE(registry_.HasKey("HKEY_CURRENT_USER\\Software\\C"));
    EXPECT_FALSE(fs::exists(folder_ / "BackUp 01-01-06 10-00-00"));
}

TEST_F(BackupManagerTest, DeleteAsksOncePerTickedRow) {
    WriteBackup("BackUp 01-01-06 10-00-00", "S^C:\\a.lnk^1 a.lnk");
    WriteTextFile(folder_ / "BackUp 01-01-06 10-00-00 files/1 a.lnk", "copy");
    WriteBackup("BackUp 01-01-06 11-00-00", "S^C:\\b.lnk");
    FillBackupList(list_, settings_, MachineIdentity(files_));
    EXPECT_TRUE(DeleteCheckedBackups(list_, settings_, observer_).empty());  // nothing ticked
    EXPECT_TRUE(observer_.questions.empty());
    list_.SetChecked(1, true);
    list_.SetChecked(2, true);
    struct YesThenNo : AnsweringObserver {
        Answer Confirm(Question question) override {
            questions.push_back(question);
            return questions.size() == 1 ? Answer::Yes : Answer::No;
        }
    } observer;
    const auto deleted = DeleteCheckedBackups(list_, settings_, observer);
    EXPECT_EQ(observer.questions,
              (std::vector<Question>{Question::DeleteBackup, Question::DeleteBackup}));
    EXPECT_EQ(deleted, std::vector<std::string>{"BackUp 01-01-06 10-00-00"});
    EXPECT_FALSE(fs::exists(folder_ / "BackUp 01-01-06 10-00-00 files"));
    EXPECT_TRUE(fs::exists(folder_ / "BackUp 01-01-06 11-00-00"));
    EXPECT_EQ(list_.Count(), 1u);
}

}  // namespace
