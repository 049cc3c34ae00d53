// vostrel-cli scan names what the shortcut walk could not read: a line of
// the listing and a key of the JSON output, present only when something was
// unreadable, so that a short result does not pass for a clean one.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"

namespace vostrel {
namespace {

// A link header whose link-information size claims 2.4 GB.
std::string GreedyLink() {
    std::string lnk(0x60, '\0');
    const unsigned char head[] = {0x4C, 0, 0,    0, 0x01, 0x14, 0x02, 0, 0, 0,
                                  0,    0, 0xC0, 0, 0,    0,    0,    0, 0, 0x46};
    lnk.replace(0, sizeof head, reinterpret_cast<const char*>(head), sizeof head);
    lnk[0x14] = 0x02;  // has link information
    lnk[0x4E] = 0x00, lnk[0x4F] = 0x00, lnk[0x50] = 0x46, lnk[0x51] = static_cast<char>(0x93);
    return lnk;
}

class CliUnreadable : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
        prefix_ = work_ / "prefix";
        testing::CopyTemplatePrefix(prefix_);
        std::filesystem::remove(prefix_ + "/dosdevices/z:");
    }
    std::string Run(const std::vector<std::string>& args) {
        const testing::CliRun run = testing::RunCliPrivately(work_.path(), args);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }
    testing::TempDir work_;
    std::string prefix_;
};

TEST_F(CliUnreadable, AnUnparsableLinkIsNamedInTheListingAndTheJson) {
    const std::string clean =
        Run({"scan", "--prefix", prefix_, "--sections", "Window Shortcut C", "--json"});
    EXPECT_FALSE(nlohmann::json::parse(clean).contains("unreadableShortcuts"));
    EXPECT_FALSE(nlohmann::json::parse(clean).contains("unreadableFolders"));

    std::filesystem::create_directories(prefix_ + "/drive_c/crafted");
    std::ofstream(prefix_ + "/drive_c/crafted/greedy.lnk", std::ios::binary) << GreedyLink();
    const auto json = nlohmann::json::parse(
        Run({"scan", "--prefix", prefix_, "--sections", "Window Shortcut C", "--json"}));
    EXPECT_TRUE(json.at("shortcuts").empty());
    EXPECT_EQ(json.at("unreadableShortcuts"), nlohmann::json::array({"C:\\crafted\\greedy.lnk"}));
    const std::string listing =
        Run({"scan", "--prefix", prefix_, "--sections", "Window Shortcut C"});
    EXPECT_NE(listing.find(
                  "No problems found.\nCould not read the shortcut C:\\crafted\\greedy.lnk\n"),
              std::string::npos)
        << listing;
}

}  // namespace
}  // namespace vostrel
