// The command line's handling of Wine's stale menu entries, run as a
// program on a real prefix with entries written by hand in the form Wine's
// menu builder writes them: one whose program is gone from the prefix and
// one whose prefix was deleted. The listing gives each its id, the id is
// the one the JSON gives, "ignore add" takes it and the next scan leaves
// the entry out, and "repair --only" takes it too.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/menu_entry_text.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"

namespace fs = std::filesystem;

namespace vostrel {
namespace {

using testing::CliRun;

constexpr const char* kMenuRow = "Wine Menu Entries";

// Entries as Wine's menu builder writes them.
std::string EntryText(const std::string& name, const std::string& prefix,
                      const std::string& program, const std::string& icon = "") {
    return testing::WineMenuEntryText(name, prefix, program, icon);
}

class CliMenuEntries : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
        prefix_ = home_ / "prefix";
        testing::CopyTemplatePrefix(prefix_);
        fs::create_directories(prefix_ + "/drive_c/Apps");
        testing::WriteTextFile(prefix_ + "/drive_c/Apps/keep.exe", "MZ");
        // The menu folder of the run's private XDG_DATA_HOME.
        const std::string menu = home_ / "data/applications/wine/Programs";
        fs::create_directories(menu);
        gone_ = menu + "/Gone.desktop";
        orphan_ = menu + "/Orphan.desktop";
        testing::WriteTextFile(gone_, EntryText("Gone", prefix_, "C:\\Apps\\gone.exe"));
        testing::WriteTextFile(orphan_,
                               EntryText("Orphan", home_ / "deleted", "C:\\Apps\\keep.exe"));
        testing::WriteTextFile(menu + "/Keep.desktop",
                               EntryText("Keep", prefix_, "C:\\Apps\\keep.exe"));
    }

    CliRun Cli(const std::vector<std::string>& args) {
        return testing::RunCliPrivately(home_.path(), args);
    }

    nlohmann::json ScanJson() {
        const CliRun run = Cli({"scan", "--prefix", prefix_, "--sections", kMenuRow, "--json"});
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out);
    }

    static std::string IdOf(const nlohmann::json& scan, const std::string& path) {
        for (const auto& p : scan.at("menuEntries"))
            if (p.at("path") == path) return p.at("id");
        ADD_FAILURE() << path << " not found in " << scan.dump(1);
        return {};
    }

    testing::TempDir home_;
    std::string prefix_, gone_, orphan_;
};

TEST_F(CliMenuEntries, ListingGivesEachEntryTheIdOfTheJson) {
    const nlohmann::json scan = ScanJson();
    ASSERT_EQ(scan.at("menuEntries").size(), 2u) << scan.dump(1);
    const std::string goneId = IdOf(scan, gone_), orphanId = IdOf(scan, orphan_);
    EXPECT_NE(goneId, orphanId);

    const CliRun run = Cli({"scan", "--prefix", prefix_, "--sections", kMenuRow});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Invalid Wine Menu Entries ( 1 Problem(s) )\n  [" + goneId +
                           "] This menu entry starts what is gone: " + gone_),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Menu entries of deleted Wine prefixes ( 1 Problem(s) )\n  [" +
                           orphanId + "] The Wine prefix of this menu entry is gone: " + orphan_),
              std::string::npos)
        << run.out;
}

TEST_F(CliMenuEntries, IgnoreAddTakesAMenuEntryIdAndTheNextScanLeavesItOut) {
    const nlohmann::json first = ScanJson();
    const std::string goneId = IdOf(first, gone_);
    EXPECT_EQ(first.at("ignored"), 0);

    CliRun run = Cli({"ignore", "add", goneId, "--prefix", prefix_, "--sections", kMenuRow});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Added to the ignore list"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(gone_), std::string::npos) << run.out;
    // A second time it is already there.
    run = Cli({"ignore", "add", goneId, "--prefix", prefix_, "--sections", kMenuRow});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Already on the ignore list"), std::string::npos) << run.out;

    const nlohmann::json second = ScanJson();
    ASSERT_EQ(second.at("menuEntries").size(), 1u) << second.dump(1);
    EXPECT_EQ(second.at("menuEntries").at(0).at("path"), orphan_);
    EXPECT_EQ(second.at("ignored"), 1);

    // The listing of the list names it as a menu entry.
    run = Cli({"ignore", "list", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto entries = nlohmann::json::parse(run.out).at("entries");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries.at(0).at("kind"), "menu");
    EXPECT_EQ(entries.at(0).at("path"), gone_);

    // The repair leaves the ignored entry alone.
    run = Cli({"repair", "--prefix", prefix_, "--sections", kMenuRow, "--dry-run", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto dry = nlohmann::json::parse(run.out);
    ASSERT_EQ(dry.at("wouldRepair").size(), 1u) << dry.dump(1);
    EXPECT_EQ(dry.at("wouldRepair").at(0).at("item"), orphan_);
    EXPECT_TRUE(fs::exists(gone_));
}

TEST_F(CliMenuEntries, RepairOnlyTakesAMenuEntryId) {
    const nlohmann::json scan = ScanJson();
    const std::string orphanId = IdOf(scan, orphan_);
    const CliRun run = Cli({"repair", "--prefix", prefix_, "--sections", kMenuRow, "--only",
                            orphanId, "--yes", "--backup-dir", home_ / "backups"});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_FALSE(fs::exists(orphan_));
    EXPECT_TRUE(fs::exists(gone_));
}

}  // namespace
}  // namespace vostrel
