// vostrel-cli scan, run as a program: on a real Wine prefix with planted
// problems, on a missing prefix, with chosen sections and with a report file.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "scan/section_table.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wine_e2e_rows.h"
#include "support/wine_prefix_fixture.h"
#include "system/wine/wine_install.h"

namespace vostrel {
namespace {

using testing::ExpectedWineRows;
using testing::RowTexts;

using testing::CliRun;

class CliScan : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (testing::WineAvailable()) testing::PlantProblems(testing::SharedWinePrefix());
    }
    void SetUp() override {
        if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    }
    // Runs vostrel-cli with a private settings and data folder.
    CliRun Cli(const std::vector<std::string>& args) {
        return testing::RunCliPrivately(home_.path(), args);
    }
    static std::vector<RowTexts> ErrorRows(const std::string& json) {
        return testing::RegistryRowsOfJson(json);
    }
    const std::string& prefix() { return testing::SharedWinePrefix(); }
    testing::TempDir home_;
};

const char* kRegistrySections =
    "Registry Integrity;Custom Controls;Sub Section Controls;Software Locations;Help Files;Shared "
    "Files;"
    "Windows Startup;Uninstall Section;Virtual Devices;Windows Fonts;Configuration files";

TEST_F(CliScan, JsonListsExactlyThePlantedProblems) {
    const CliRun run =
        Cli({"scan", "--prefix", prefix(), "--sections", kRegistrySections, "--json", "--quiet"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ErrorRows(run.out), ExpectedWineRows());
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json.at("schema"), 1);
    EXPECT_FALSE(json.at("cancelled").get<bool>());
    EXPECT_TRUE(json.at("shortcuts").empty());
    EXPECT_EQ(json.at("summary").at(0),
              (nlohmann::json{{"section", "Custom Controls"},
                              {"text", "Invalid Custom Controls ( 3 Problem(s) )"},
                              {"count", 3}}));
    EXPECT_EQ(json.at("registry").at(0).at("section"), "Custom Controls");
    EXPECT_EQ(json.at("registry").at(0).at("scanner"), "ActiveX \\ COM");
    // The same entry has the same id in the next scan; no two entries share one.
    const CliRun again =
        Cli({"scan", "--prefix", prefix(), "--sections", kRegistrySections, "--json", "--quiet"});
    const auto second = nlohmann::json::parse(again.out);
    std::set<std::string> ids;
    for (std::size_t i = 0; i < json.at("registry").size(); ++i) {
        EXPECT_EQ(json.at("registry").at(i).at("id"), second.at("registry").at(i).at("id"));
        ids.insert(json.at("registry").at(i).at("id").get<std::string>());
    }
    EXPECT_EQ(ids.size(), json.at("registry").size());
    EXPECT_TRUE(run.err.empty()) << run.err;  // no progress line when stderr is no terminal
}

TEST_F(CliScan, JsonNamesItsPrefixAndWhenTheScanRanWithDateAndZone) {
    const CliRun run =
        Cli({"scan", "--prefix", prefix() + "/", "--sections", "Help Files", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json.at("prefix"), (nlohmann::json{{"path", prefix()}}));
    // 2026-12-11T14:03:07+01:00
    const std::regex stamp(R"(\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}[+-]\d{2}:\d{2})");
    for (const char* key : {"started", "finished"}) {
        const std::string text = json.at(key);
        EXPECT_TRUE(std::regex_match(text, stamp)) << key << ": " << text;
    }
    EXPECT_LE(json.at("started").get<std::string>(), json.at("finished").get<std::string>());
}

TEST_F(CliScan, ExitCodeSaysWhetherProblemsWereFound) {
    // The planted problems are found: 1 with --exit-code, as "git diff --exit-code".
    EXPECT_EQ(Cli({"scan", "--prefix", prefix(), "--sections", kRegistrySections, "--quiet",
                   "--exit-code"})
                  .status,
              1);
    EXPECT_EQ(
        Cli({"scan", "--prefix", prefix(), "--sections", kRegistrySections, "--quiet"}).status, 0);
    // The same prefix has no problem among its sound events: 0.
    const CliRun clean =
        Cli({"scan", "--prefix", prefix(), "--sections", "Sound Events", "--json", "--exit-code"});
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_TRUE(nlohmann::json::parse(clean.out).at("registry").empty());
}

TEST_F(CliScan, ChosenSectionsDoNotChangeTheSettings) {
    const CliRun run = Cli({"scan", "--prefix", prefix(), "--sections",
                            "windows startup; Software Locations", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    auto expected = ExpectedWineRows("Application Paths");
    for (auto& row : ExpectedWineRows("Windows Startup")) expected.push_back(row);
    EXPECT_EQ(ErrorRows(run.out), expected);
    EXPECT_FALSE(std::filesystem::exists(home_ / "config/vostrel"));
}

TEST_F(CliScan, ReadableListingAndReport) {
    const std::string report = home_ / "report.txt";
    const CliRun run = Cli({"scan", "--prefix", prefix(), "--sections",
                            "Help Files;Virtual Devices", "--report", report});
    ASSERT_EQ(run.status, 0) << run.err;
    // Each detail line after the problem's id, the same as in the JSON.
    const CliRun json =
        Cli({"scan", "--prefix", prefix(), "--sections", "Help Files;Virtual Devices", "--json"});
    const auto found = nlohmann::json::parse(json.out).at("registry");
    ASSERT_EQ(found.size(), 2u);
    // The line names the value too (it used to end with the missing path).
    const auto& help = found.at(0);
    EXPECT_NE(run.out.find("Invalid Help Files ( 1 Problem(s) )\n  [" +
                           help.at("id").get<std::string>() +
                           "] This file could not be found on your hard drive:C:\\Program "
                           "Files\\Gone\\gone.hlp (" +
                           help.at("root").get<std::string>() + "\\" +
                           help.at("key").get<std::string>() + " value gone.hlp)\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("[" + found.at(1).at("id").get<std::string>() + "] "), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Invalid Virtual Devices ( 1 Problem(s) )\n"), std::string::npos);
    const std::string text = testing::ReadTextFile(report);
    EXPECT_NE(text.find("Total numbers of problems detected : 2\r\n"), std::string::npos);
    EXPECT_NE(text.find(" >>>> Help Files\r\n >>>> Virtual Devices\r\n"), std::string::npos);
    // The settings' own report stays off (its default).
    EXPECT_FALSE(std::filesystem::exists(home_ / "data/vostrel/ScanReport.txt"));
}

TEST_F(CliScan, UnknownSectionListsTheValidOnes) {
    const CliRun run =
        Cli({"scan", "--prefix", prefix(), "--sections", "Help Files;Registry Doctor"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Registry Doctor"), std::string::npos);
    EXPECT_NE(run.err.find("Configuration files"), std::string::npos);
    EXPECT_NE(run.err.find("Window Shortcut C"), std::string::npos);
}

// The Wine asked about what it supplies itself: --wine, else the setting,
// else the system's. A --wine folder without a Wine is refused; a stale
// setting is said once and the system's Wine is asked instead.
TEST_F(CliScan, ListSectionsPrintsTheCatalogueAndScansNothing) {
    for (const char* command : {"scan", "repair"}) {
        const CliRun run = Cli({command, "--prefix", prefix(), "--list-sections"});
        ASSERT_EQ(run.status, 0) << command << ": " << run.err;
        EXPECT_EQ(run.out.rfind("Registry Integrity\nCustom Controls\n", 0), 0u) << run.out;
        EXPECT_NE(run.out.find("\nConfiguration files\nShared DLLs\nInstaller Folders\nMUI Cache\n"
                               "Compatibility Layers\nServices\nSound Events\nType Libraries\n"
                               "File Associations\nWine Menu Entries\nWindow Shortcut C\n"),
                  std::string::npos)
            << run.out;
    }
    const CliRun missing =
        Cli({"scan", "--prefix", home_.path() + "/no prefix", "--list-sections"});
    EXPECT_EQ(missing.status, 2) << missing.out;
}

// Two uninstall entries whose uninstaller is the same missing file: each
// line names its own key and value, as "repair --dry-run" does, and the
// listing holds nothing but text when it goes into a pipe.
TEST_F(CliScan, ListingNamesEachProblemsKeyAndValue) {
    const std::string own = home_ / "prefix";
    testing::CopyTemplatePrefix(own);
    std::string reg = testing::ReadTextFile(own + "/system.reg");
    for (const char* name : {"Gone One", "Gone Two"})
        reg +=
            std::string("\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\") +
            name + "] 1700000000\n\"DisplayName\"=\"" + name +
            "\"\n\"UninstallString\"=\"C:\\\\Program Files\\\\Gone\\\\unins000.exe\"\n"
            // an icon that is there keeps the key: only the value goes
            "\"DisplayIcon\"=\"C:\\\\windows\\\\notepad.exe\"\n";
    testing::WriteTextFile(own + "/system.reg", reg);
    const CliRun run = Cli({"scan", "--prefix", own, "--sections", "Uninstall Section"});
    ASSERT_EQ(run.status, 0) << run.err;
    const CliRun dry =
        Cli({"repair", "--prefix", own, "--sections", "Uninstall Section", "--dry-run"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    const std::string missing =
        "This file could not be found on your hard drive:C:\\Program Files\\Gone\\unins000.exe";
    for (const char* name : {"Gone One", "Gone Two"}) {
        const std::string item =
            std::string(
                "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") +
            name + " value UninstallString";
        EXPECT_NE(dry.out.find("would back up and remove the value: " + item + "\n"),
                  std::string::npos)
            << dry.out;
        EXPECT_NE(run.out.find("] Uninstall Section: " + missing + " (" + item + ")\n"),
                  std::string::npos)
            << run.out;
    }
    for (const char c : run.out)
        EXPECT_TRUE(c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f))
            << static_cast<int>(c);
}

// What the shell's completion offers after --sections: the section table's
// rows in its order, then one row per fixed drive of the prefix.
TEST_F(CliScan, ListSectionsIsTheSectionTableAndThePrefixsDrives) {
    const CliRun run = Cli({"scan", "--prefix", prefix(), "--list-sections"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; start < run.out.size(); start = end + 1) {
        end = run.out.find('\n', start);
        ASSERT_NE(end, std::string::npos) << run.out;
        lines.push_back(run.out.substr(start, end - start));
    }
    ASSERT_GE(lines.size(), kSectionRows.size());
    for (std::size_t i = 0; i < kSectionRows.size(); ++i) EXPECT_EQ(lines[i], kSectionRows[i].text);
    std::set<std::string> drives;
    const std::string drive(kDriveSectionRow.text);
    for (std::size_t i = kSectionRows.size(); i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].size(), drive.size() + 1) << lines[i];
        EXPECT_EQ(lines[i].rfind(drive, 0), 0u) << lines[i];
        EXPECT_TRUE(drives.insert(lines[i]).second) << lines[i];
    }
    EXPECT_EQ(drives.count(drive + "C"), 1u) << run.out;
}

TEST_F(CliScan, WineFolderChoices) {
    const auto wine = FindSystemWineInstall();
    ASSERT_TRUE(wine);
    const CliRun named = Cli({"scan", "--prefix", prefix(), "--sections", kRegistrySections,
                              "--json", "--quiet", "--wine", wine->root});
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(ErrorRows(named.out), ExpectedWineRows());
    EXPECT_TRUE(named.err.empty()) << named.err;

    const CliRun missing =
        Cli({"scan", "--prefix", prefix(), "--json", "--wine", home_ / "nowhere"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("--wine " + (home_ / "nowhere")), std::string::npos) << missing.err;
    EXPECT_TRUE(missing.out.empty());

    std::filesystem::create_directories(home_ / "config/vostrel");
    testing::WriteTextFile(home_ / "config/vostrel/Vostrel 2006.ini",
                           "[Settings]\ntxtWine=" + (home_ / "nowhere") + "\n");
    const CliRun stale =
        Cli({"scan", "--prefix", prefix(), "--sections", kRegistrySections, "--json", "--quiet"});
    ASSERT_EQ(stale.status, 0) << stale.err;
    EXPECT_EQ(ErrorRows(stale.out), ExpectedWineRows());
    EXPECT_EQ(stale.err, "vostrel-cli: no Wine installation in " + (home_ / "nowhere") +
                             "; using the one in " + wine->root + "\n");
}

}  // namespace
}  // namespace vostrel
