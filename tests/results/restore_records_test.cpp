// Restoring files written by earlier versions, and files with bad lines:
// the restore goes on with the next line, reports what failed, and the
// backup manager keeps the file.
#include <gtest/gtest.h>

#include <filesystem>

#include "results/backup_codec.h"
#include "results/backup_file.h"
#include "results/backup_manager.h"
#include "support/memory_registry.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

class RestoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        files_.MapDrive('C', drive_.path());
        settings_.Save("txtBackup", backups_.path());
    }

    // Writes a backup file of plain records, shifted as earlier versions did.
    void WriteBackup(const std::vector<std::string>& plainLines) {
        std::string contents;
        for (const auto& line : plainLines) contents += EncodeBackupText(line) + "\r\n";
        WriteTextFile(path_, contents);
    }

    RestoreReport Restore() { return RestoreBackupFile(registry_, files_, settings_, path_); }

    TempDir drive_, backups_, settingsDir_;
    std::string path_ = backups_ / "BackUp 01-02-03 04-05-06";
    HostFolderFileSystem files_;
    MemoryRegistry registry_;
    IniSettingsStore settings_{settingsDir_ / "settings.ini"};
};

TEST_F(RestoreTest, OldRecordsComeBackAsTheScanSawThem) {
    registry_.PutText("HKEY_LOCAL_MACHINE\\Software\\Fonts", "Other", REG_SZ, "x");
    WriteTextFile(backups_ / "Tool.lnk", "old copy");
    WriteBackup({
        "R^HKEY_LOCAL_MACHINE^Software\\New\\Key^C:\\Tools\\tool.exe^Tool^",
        "R^hkey_local_machine^Software\\Fonts^C:\\windows\\fonts\\arial.ttf^Arial^yes",
        "R^HKEY_CURRENT_USER^Software\\D^C:\\d.exe^(Default)^",
        "S^C:\\Desktop\\Tool.lnk",
    });
    const RestoreReport report = Restore();
    EXPECT_TRUE(report.ok()) << report.failures.front();
    EXPECT_EQ(report.restored, 4);
    EXPECT_EQ(registry_.Get("HKEY_LOCAL_MACHINE\\Software\\New\\Key", "Tool")->data,
              MemoryRegistry::Utf16Bytes("C:\\Tools\\tool.exe"));
    // Marked "yes": the bare file name, into the existing key.
    const auto arial = registry_.Get("HKEY_LOCAL_MACHINE\\Software\\Fonts", "Arial");
    ASSERT_TRUE(arial);
    EXPECT_EQ(arial->kind, REG_SZ);
    // A "(Default)" row is the key's default value, not a value of that name.
    EXPECT_TRUE(registry_.Get("HKEY_CURRENT_USER\\Software\\D", ""));
    EXPECT_FALSE(registry_.Get("HKEY_CURRENT_USER\\Software\\D", "(Default)"));
    EXPECT_EQ(ReadTextFile(drive_ / "Desktop/Tool.lnk"), "old copy");
    EXPECT_FALSE(fs::exists(backups_ / "Tool.lnk"));  // the shared copy went back
}

TEST_F(RestoreTest, AYesRecordForAKeyThatIsGoneFails) {
    WriteBackup({"R^HKEY_LOCAL_MACHINE^Software\\Missing^C:\\w\\a.ttf^A^Yes"});
    const RestoreReport report = Restore();
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_FALSE(registry_.HasKey("HKEY_LOCAL_MACHINE\\Software\\Missing"));
}

TEST_F(RestoreTest, BadLinesAreReportedAndTheRestGoesBack) {
    WriteBackup({
        "R^HKEY_LOCAL_MACHINE^Software\\Good^C:\\a.exe^A^",
        "Q^what is this",
        "R^HKEY_NOWHERE^Software\\X^C:\\b.exe^B^",
        "S^C:\\Desktop\\Missing.lnk^1 Missing.lnk",
        "R^HKEY_LOCAL_MACHINE^Software\\Kinds^C:\\c.exe^C^^99999999999^00",
        "R^HKEY_LOCAL_MACHINE^Software\\Short",
    });
    {
        std::string contents = ReadTextFile(path_);
        contents += std::string("\x01\x02garbage\r\n", 11);
        WriteTextFile(path_, contents);
    }
    const RestoreReport report = Restore();
    EXPECT_EQ(report.failures.size(), 5u);
    // A kind out of range makes the extra fields unreadable: the record is
    // restored as an old one.
    EXPECT_EQ(report.restored, 2);
    EXPECT_TRUE(registry_.Get("HKEY_LOCAL_MACHINE\\Software\\Good", "A"));
    EXPECT_TRUE(registry_.Get("HKEY_LOCAL_MACHINE\\Software\\Kinds", "C"));
    std::string all;
    for (const auto& failure : report.failures) all += failure + "\n";
    EXPECT_NE(all.find("unknown root key \"HKEY_NOWHERE\""), std::string::npos) << all;
    EXPECT_NE(all.find("unknown record kind \"Q\""), std::string::npos) << all;
    EXPECT_NE(all.find("saved copy of C:\\Desktop\\Missing.lnk is missing"), std::string::npos)
        << all;
    EXPECT_NE(all.find("line 7: the line cannot be read"), std::string::npos) << all;

    // The manager keeps a backup that did not go back completely.
    const auto rows = ListBackups(settings_, MachineIdentity(files_));
    ASSERT_EQ(rows.size(), 1u);
    const auto results = RestoreBackups({rows[0].name}, registry_, files_, settings_);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].markedRestored);
    EXPECT_TRUE(fs::exists(path_));
    EXPECT_EQ(ListBackups(settings_, MachineIdentity(files_)).size(), 1u);
}

TEST_F(RestoreTest, ARunningWineRefusesTheRestore) {
    registry_.refusal = "a wineserver is running on this prefix";
    WriteBackup({"R^HKEY_LOCAL_MACHINE^Software\\Good^C:\\a.exe^A^"});
    const RestoreReport report = Restore();
    EXPECT_EQ(report.failures, std::vector<std::string>{"a wineserver is running on this prefix"});
    registry_.refusal.reset();
    EXPECT_FALSE(registry_.HasKey("HKEY_LOCAL_MACHINE\\Software\\Good"));
}

}  // namespace
