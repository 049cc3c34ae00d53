// vostrel-cli repair, backups and restore, run as programs on a real Wine
// prefix: asking, refusing without a terminal, the backup listing of each
// prefix, a restore that puts everything back, one refused in another
// prefix, and one that fails and keeps its file.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "results/backup_codec.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"

namespace fs = std::filesystem;

namespace vostrel {
namespace {

using testing::CliRun;

constexpr const char* kSections = "Windows Startup;Software Locations";
constexpr const char* kRun = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class CliRepair : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
        prefix_ = home_ / "prefix";
        testing::CopyTemplatePrefix(prefix_);
        testing::RunWine(prefix_, {"reg", "add", kRun, "/v", "OldTool", "/d",
                                   "\"C:\\Program Files\\OldTool\\tool.exe\" /tray", "/f"});
        testing::WaitForWineserver(prefix_);
    }

    // Runs vostrel-cli with private settings and data folders and no terminal.
    CliRun Cli(const std::vector<std::string>& args) {
        return testing::RunCliPrivately(home_.path(), args);
    }

    std::string OldTool() {
        std::string out;
        testing::RunWine(prefix_, {"reg", "query", kRun, "/v", "OldTool"}, &out);
        testing::WaitForWineserver(prefix_);
        return out;
    }

    testing::TempDir home_;
    std::string prefix_;
};

TEST_F(CliRepair, WithoutATerminalItRefusesUnlessToldYes) {
    const CliRun run = Cli({"repair", "--prefix", prefix_, "--sections", kSections});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.out.find("OldTool"), std::string::npos);
    EXPECT_NE(run.err.find("--yes"), std::string::npos);
    EXPECT_NE(OldTool().find("/tray"), std::string::npos);
}

TEST_F(CliRepair, RepairListRestore) {
    const std::string backups = home_ / "my backups";
    CliRun run = Cli(
        {"repair", "--prefix", prefix_, "--sections", kSections, "--yes", "--backup-dir", backups});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(
                  "backed up: "
                  "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run value "
                  "OldTool"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("All Problems were repaired sucessfully !"), std::string::npos);
    EXPECT_EQ(OldTool().find("/tray"), std::string::npos);

    run = Cli({"backups", "--prefix", prefix_, "--backup-dir", backups, "--json"});
    ASSERT_EQ(run.status, 0);
    const auto list = nlohmann::json::parse(run.out).at("backups");
    ASSERT_EQ(list.size(), 1u);
    const std::string name = list[0].at("name");
    EXPECT_TRUE(name.starts_with("BackUp ")) << name;
    EXPECT_EQ(list[0].at("size"), std::to_string(fs::file_size(fs::path(backups) / name)));
    run = Cli({"backups", "--prefix", prefix_, "--backup-dir", backups});
    EXPECT_NE(run.out.find("Name"), std::string::npos);
    EXPECT_NE(run.out.find("Size ( Bytes )"), std::string::npos);

    run = Cli({"restore", name, "--prefix", prefix_, "--backup-dir", backups});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(OldTool().find("\"C:\\Program Files\\OldTool\\tool.exe\" /tray"), std::string::npos);
    // The backup stays: it undoes the restore, and the user deletes it.
    EXPECT_TRUE(fs::exists(fs::path(backups) / name));
}

TEST_F(CliRepair, TheJsonOfARepairCountsWhatWasSkippedAndWhy) {
    const CliRun run = Cli({"repair", "--prefix", prefix_, "--sections", kSections, "--yes",
                            "--json", "--backup-dir", home_ / "backups"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto out = nlohmann::json::parse(run.out);
    EXPECT_EQ(out.at("removed"), 1);
    // Still broken when the repair came to it: nothing was skipped.
    EXPECT_EQ(out.at("skipped"),
              nlohmann::json({{"total", 0}, {"nowPresent", 0}, {"changed", 0}, {"gone", 0}}));
    for (const auto& event : out.at("events")) EXPECT_NE(event.at("what"), "skipped");
}

TEST_F(CliRepair, ARestoreWithFailedRecordsExitsNonZeroAndKeepsTheFile) {
    const std::string path = home_ / "BackUp 01-01-06 00-00-00";
    testing::WriteTextFile(
        path, EncodeBackupText("R^HKEY_NOWHERE^Software\\X^C:\\x.exe^X^") + "\r\n" +
                  EncodeBackupText("R^HKEY_CURRENT_USER^Software\\Vostrel^C:\\y.exe^Y^") + "\r\n");
    const CliRun run = Cli({"restore", path, "--prefix", prefix_});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("unknown root key \"HKEY_NOWHERE\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Restored 1 records"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(Cli({"restore", "no such backup", "--prefix", prefix_}).status, 2);
}

TEST_F(CliRepair, ABackupGoesBackOnlyIntoItsOwnPrefixUnlessForced) {
    const std::string backups = home_ / "backups";
    CliRun run = Cli(
        {"repair", "--prefix", prefix_, "--sections", kSections, "--yes", "--backup-dir", backups});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string other = home_ / "other";
    testing::CopyTemplatePrefix(other);
    const std::string mine = fs::weakly_canonical(prefix_).string(),
                      theirs = fs::weakly_canonical(other).string();

    // Each prefix lists its own backups, and those that record none.
    testing::WriteTextFile(fs::path(backups) / "BackUp 01-01-06 00-00-00",
                           EncodeBackupText("R^HKEY_CURRENT_USER^Software\\Old^C:\\y.exe^Y^") +
                               "\r\n");
    auto list = nlohmann::json::parse(
        Cli({"backups", "--prefix", prefix_, "--backup-dir", backups, "--json"}).out);
    EXPECT_EQ(list.at("prefix"), mine);
    ASSERT_EQ(list.at("backups").size(), 2u);
    EXPECT_EQ(list.at("backups")[0].at("name"), "BackUp 01-01-06 00-00-00");
    EXPECT_EQ(list.at("backups")[0].at("prefixUnknown"), true);
    EXPECT_EQ(list.at("backups")[1].at("prefixUnknown"), false);
    const std::string name = list.at("backups")[1].at("name");
    list = nlohmann::json::parse(
        Cli({"backups", "--prefix", other, "--backup-dir", backups, "--json"}).out);
    ASSERT_EQ(list.at("backups").size(), 1u);
    EXPECT_EQ(list.at("backups")[0].at("name"), "BackUp 01-01-06 00-00-00");
    run = Cli({"backups", "--prefix", prefix_, "--backup-dir", backups});
    EXPECT_NE(run.out.find("prefix unknown"), std::string::npos) << run.out;

    run = Cli({"restore", name, "--prefix", other, "--backup-dir", backups});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("the backup was taken from " + mine + ", not from " + theirs),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(fs::exists(fs::path(backups) / name));
    std::string out;
    testing::RunWine(other, {"reg", "query", kRun, "/v", "OldTool"}, &out);
    testing::WaitForWineserver(other);
    EXPECT_EQ(out.find("/tray"), std::string::npos);

    run = Cli({"restore", name, "--prefix", other, "--backup-dir", backups, "--force", "--keep"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    testing::RunWine(other, {"reg", "query", kRun, "/v", "OldTool"}, &out);
    testing::WaitForWineserver(other);
    EXPECT_NE(out.find("/tray"), std::string::npos);

    // A restore keeps its backup, marked with when; the list says so, and
    // --show says what it holds.
    run = Cli({"restore", name, "--prefix", prefix_, "--backup-dir", backups});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("The backup file is kept, marked as restored."), std::string::npos)
        << run.out;
    EXPECT_TRUE(fs::exists(fs::path(backups) / name));
    list = nlohmann::json::parse(
        Cli({"backups", "--prefix", prefix_, "--backup-dir", backups, "--json"}).out);
    EXPECT_EQ(list.at("backups")[1].at("restored").get<std::string>().size(), 16u)
        << list.dump();  // 2026-12-10 05:17
    EXPECT_EQ(list.at("backups")[0].at("restored"), "");
    run = Cli({"backups", "--prefix", prefix_, "--backup-dir", backups, "--show", name});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("value HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
                           "\\Run OldTool ("),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Cli({"backups", "--backup-dir", backups, "--show", "no such backup"}).status, 2);
}

TEST_F(CliRepair, WithBackupsOffItSaysSoBeforeAsking) {
    testing::WriteTextFile(home_ / "config/vostrel/Vostrel 2006.ini",
                           "[Settings]\nchkMakeBackUp=0\n");
    const CliRun run = Cli({"repair", "--prefix", prefix_, "--sections", kSections});
    EXPECT_NE(run.out.find(
                  "Backups are off (setting \"chkMakeBackUp\" is 0): nothing will be backed up."),
              std::string::npos)
        << run.out;
    EXPECT_NE(OldTool().find("/tray"), std::string::npos);
}

}  // namespace
}  // namespace vostrel
