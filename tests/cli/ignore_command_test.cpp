// vostrel-cli ignore, repair --only/--skip and repair --dry-run, run as
// programs on real Wine prefixes: the ignore list's round trip (add by id,
// by key and by shortcut; list; remove) and its effect on the next scans of
// this machine and of another; a damaged line is a warning and the rest of
// the list applies, while a list that cannot be read stops every command
// before it scans; a chosen subset is repaired and nothing else; a dry run changes no
// byte of the prefix.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/cli_runner.h"
#include "support/shortcut_fakes.h"
#include "support/special_files.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"

namespace fs = std::filesystem;

namespace vostrel {
namespace {

using testing::CliRun;

constexpr const char* kStartup = "Windows Startup";
constexpr const char* kRunKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// The same key as `ignore add --key` was given it: the root spelt out, the
// rest kept as typed (letter case does not matter when it is matched).
constexpr const char* kRunKeyAsTyped =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Three startup entries naming programs that are not there.
constexpr const char* kPlant =
    "REGEDIT4\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
    "\"OldTool\"=\"\\\"C:\\\\Program Files\\\\OldTool\\\\tool.exe\\\" /tray\"\r\n"
    "\"OtherTool\"=\"C:\\\\Program Files\\\\Other\\\\other.exe\"\r\n"
    "\"ThirdTool\"=\"C:\\\\Program Files\\\\Third\\\\third.exe\"\r\n";

class CliIgnore : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    }

    // A fresh prefix `name` in the test's folder with the three entries.
    std::string MakePrefix(const std::string& name) {
        const std::string prefix = home_ / name;
        testing::CopyTemplatePrefix(prefix);
        testing::WriteTextFile(prefix + "/drive_c/plant.reg", kPlant);
        EXPECT_EQ(testing::RunWine(prefix, {"regedit", "/s", "C:\\plant.reg"}), 0);
        testing::WaitForWineserver(prefix);
        fs::remove(prefix + "/drive_c/plant.reg");
        return prefix;
    }

    CliRun Cli(const std::vector<std::string>& args) {
        return testing::RunCliPrivately(home_.path(), args);
    }

    // The scan's JSON of the startup section.
    nlohmann::json Scan(const std::string& prefix) {
        const CliRun run = Cli({"scan", "--prefix", prefix, "--sections", kStartup, "--json"});
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out);
    }

    static std::vector<std::string> Values(const nlohmann::json& scan) {
        std::vector<std::string> out;
        for (const auto& p : scan.at("registry")) out.push_back(p.at("value"));
        return out;
    }

    static std::string IdOf(const nlohmann::json& scan, const std::string& value) {
        for (const auto& p : scan.at("registry"))
            if (p.at("value") == value) return p.at("id");
        for (const auto& p : scan.at("shortcuts"))
            if (p.at("path") == value) return p.at("id");
        ADD_FAILURE() << value << " not found";
        return {};
    }

    std::string IgnoreFile() { return home_ / "config/vostrel/ignore.txt"; }

    testing::TempDir home_;
};

using Strings = std::vector<std::string>;

TEST_F(CliIgnore, AddListRemoveAndTheirEffectOnTwoMachines) {
    const std::string mine = MakePrefix("mine"), other = MakePrefix("other");
    const nlohmann::json first = Scan(mine);
    ASSERT_EQ(Values(first), (Strings{"OldTool", "OtherTool", "ThirdTool"}));
    EXPECT_EQ(first.at("ignored"), 0);

    // By id (this machine), by key and value (every machine), by shortcut.
    CliRun run =
        Cli({"ignore", "add", IdOf(first, "OldTool"), "--prefix", mine, "--sections", kStartup});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Added to the ignore list"), std::string::npos) << run.out;
    run = Cli({"ignore", "add", "--key", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
               "--value", "othertool", "--everywhere"});
    ASSERT_EQ(run.status, 0) << run.err;
    run =
        Cli({"ignore", "add", "--shortcut", "C:\\users\\*\\Desktop\\Old *.lnk", "--prefix", mine});
    ASSERT_EQ(run.status, 0) << run.err;
    run = Cli({"ignore", "add", IdOf(first, "OldTool"), "--prefix", mine, "--sections", kStartup});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Already on the ignore list"), std::string::npos) << run.out;

    // The file is one a person can read: blocks per machine.
    const std::string text = testing::ReadTextFile(IgnoreFile());
    const std::string mineKey = fs::weakly_canonical(mine).string();
    EXPECT_NE(text.find("[machine \"" + mineKey + "\"]\nregistry \"" + std::string(kRunKey) +
                        "\" value \"OldTool\"\nshortcut \"C:\\users\\*\\Desktop\\Old *.lnk\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[every machine]\nregistry \"" + std::string(kRunKeyAsTyped) +
                        "\" value \"othertool\"\n"),
              std::string::npos)
        << text;

    // Numbered in file order; the JSON says the same.
    run = Cli({"ignore", "list"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("  1. registry " + std::string(kRunKey) + " value OldTool (" + mineKey +
                           ")\n  2. shortcut C:\\users\\*\\Desktop\\Old *.lnk (" + mineKey +
                           ")\n  3. registry " + std::string(kRunKeyAsTyped) +
                           " value othertool (every machine)\n"),
              std::string::npos)
        << run.out;
    run = Cli({"ignore", "list", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto listed = nlohmann::json::parse(run.out).at("entries");
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed.at(2), (nlohmann::json{{"number", 3},
                                            {"machine", nullptr},
                                            {"kind", "registry"},
                                            {"key", kRunKeyAsTyped},
                                            {"value", "othertool"}}));
    EXPECT_EQ(listed.at(1).at("path"), "C:\\users\\*\\Desktop\\Old *.lnk");

    // This machine: both left out and counted; the other: only the
    // every-machine entry applies.
    nlohmann::json scan = Scan(mine);
    EXPECT_EQ(Values(scan), Strings{"ThirdTool"});
    EXPECT_EQ(scan.at("ignored"), 2);
    EXPECT_EQ(scan.at("summary").at(0).at("count"), 1);
    scan = Scan(other);
    EXPECT_EQ(Values(scan), (Strings{"OldTool", "ThirdTool"}));
    EXPECT_EQ(scan.at("ignored"), 1);
    run = Cli({"scan", "--prefix", mine, "--sections", kStartup});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(
                  "Total numbers of problems detected : 1\n2 ignored (on the ignore list)\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("OldTool"), std::string::npos) << run.out;

    // Removing entry 1 brings OldTool back on this machine.
    run = Cli({"ignore", "remove", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("OldTool"), std::string::npos) << run.out;
    EXPECT_EQ(Values(Scan(mine)), (Strings{"OldTool", "ThirdTool"}));
    run = Cli({"ignore", "remove", "3"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("no entry 3"), std::string::npos) << run.err;
    run = Cli({"ignore", "list", "--json"});
    EXPECT_EQ(nlohmann::json::parse(run.out).at("entries").size(), 2u);
}

TEST_F(CliIgnore, WrongInputIsRefusedAndNothingWritten) {
    const std::string mine = MakePrefix("mine");
    const std::vector<std::pair<Strings, std::string>> cases{
        {{"ignore", "add", "0123456789abcdef", "--prefix", mine, "--sections", kStartup},
         "0123456789abcdef"},
        {{"ignore", "add", "--key", "HKEY_NOWHERE\\Software", "--everywhere"}, "HKEY_NOWHERE"},
        {{"ignore", "add", "--shortcut", "/home/ann/Desktop/x.lnk", "--everywhere"},
         "Windows path"},
        {{"ignore", "add", "--value", "x", "--everywhere"}, "one of"},
        {{"ignore", "add", "--key", "HKLM\\X", "--value", "", "--everywhere"}, "(Default)"},
        {{"ignore", "add", "--key", "HKLM\\X", "--shortcut", "C:\\x.lnk"}, "one of"},
        {{"ignore", "add", "--key", "HKLM\\X", "--prefix", home_ / "no prefix"}, "no prefix"},
    };
    for (const auto& [args, named] : cases) {
        SCOPED_TRACE(args.at(2) + " " + args.at(3));
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 2) << run.out;
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(IgnoreFile()));
}

TEST_F(CliIgnore, ADamagedLineIsAWarningAndTheRestOfTheListApplies) {
    const std::string mine = MakePrefix("mine");
    const std::string damaged =
        "# mine\n[every machine]\nregistry \"HKLM\\Software\\Old\" value\n"
        "registry \"" +
        std::string(kRunKey) + "\" value \"OldTool\"\n";
    testing::WriteTextFile(IgnoreFile(), damaged);
    for (const Strings& args :
         {Strings{"scan", "--prefix", mine, "--sections", kStartup},
          Strings{"scan", "--prefix", mine, "--sections", kStartup, "--json"},
          Strings{"repair", "--prefix", mine, "--sections", kStartup, "--dry-run"},
          Strings{"scan", "--all", "--sections", kStartup}, Strings{"ignore", "list"}}) {
        SCOPED_TRACE(args.at(0) + " " + args.back());
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find(IgnoreFile()), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Line 3 of the ignore list"), std::string::npos) << run.err;
        // Said once, also when "scan --all" reads the list for each prefix.
        EXPECT_EQ(run.err.find("Line 3", run.err.find("Line 3") + 1), std::string::npos) << run.err;
    }
    EXPECT_EQ(testing::ReadTextFile(IgnoreFile()), damaged);
    // The entry after the damaged line still leaves OldTool alone.
    EXPECT_EQ(Values(Scan(mine)), (Strings{"OtherTool", "ThirdTool"}));
    // Adding keeps the damaged line as it was written.
    const CliRun run = Cli({"ignore", "add", "--key", "HKLM\\Software\\New", "--everywhere"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(testing::ReadTextFile(IgnoreFile()).rfind(damaged, 0), 0u);
}

TEST_F(CliIgnore, AnIgnoreListThatCannotBeReadStopsEveryCommandBeforeItScans) {
    const std::string mine = MakePrefix("mine");
    fs::create_directories(fs::path(IgnoreFile()).parent_path());
    ASSERT_TRUE(testing::MakeFifo(IgnoreFile()));
    testing::FifoUnblocker guard(IgnoreFile());
    for (const Strings& args :
         {Strings{"scan", "--prefix", mine, "--sections", kStartup},
          Strings{"repair", "--prefix", mine, "--sections", kStartup, "--yes"},
          Strings{"scan", "--all", "--sections", kStartup}, Strings{"ignore", "list"},
          Strings{"ignore", "add", "--key", "HKLM\\Software\\New", "--everywhere"}}) {
        SCOPED_TRACE(args.at(0) + " " + args.back());
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(IgnoreFile()), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("FIFO"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");  // no scan output at all
    }
    EXPECT_FALSE(guard.fired()) << "the ignore list was waited on";
    // Nothing was repaired.
    fs::remove(IgnoreFile());
    EXPECT_EQ(Values(Scan(mine)), (Strings{"OldTool", "OtherTool", "ThirdTool"}));
}

TEST_F(CliIgnore, OnlyAndSkipRepairTheChosenProblems) {
    const std::string mine = MakePrefix("mine");
    const nlohmann::json first = Scan(mine);
    const std::string oldTool = IdOf(first, "OldTool");

    // An unknown id among known ones: exit 2, naming it, nothing touched.
    const auto registryBefore = testing::ReadTextFile(mine + "/system.reg");
    CliRun run = Cli({"repair", "--prefix", mine, "--sections", kStartup, "--yes", "--only",
                      oldTool + ",feedfacefeedface", "--backup-dir", home_ / "backups"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("feedfacefeedface"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(oldTool), std::string::npos) << run.err;
    EXPECT_EQ(testing::ReadTextFile(mine + "/system.reg"), registryBefore);
    EXPECT_FALSE(fs::exists(home_ / "backups"));

    run = Cli({"repair", "--prefix", mine, "--sections", kStartup, "--yes", "--only",
               " " + oldTool + " "});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("To repair: 1 of 3"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("value OtherTool -> C:\\Program Files\\Other\\other.exe (left alone)"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Values(Scan(mine)), (Strings{"OtherTool", "ThirdTool"}));

    run = Cli({"repair", "--prefix", mine, "--sections", kStartup, "--yes", "--skip",
               IdOf(first, "OtherTool")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("removed: " + std::string(kRunKey) + " value ThirdTool"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("removed: " + std::string(kRunKey) + " value OtherTool"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Values(Scan(mine)), Strings{"OtherTool"});

    run = Cli({"repair", "--prefix", mine, "--only", "a", "--skip", "b"});
    EXPECT_EQ(run.status, 2);
}

// The JSON keeps each value's data whole, as the scan read it, next to the
// path it found missing; `data` stays what it always was.
TEST_F(CliIgnore, JsonKeepsTheDataAsReadBesideThePathFoundMissing) {
    const nlohmann::json scan = Scan(MakePrefix("mine"));
    std::map<std::string, std::pair<std::string, std::string>> found;
    for (const auto& p : scan.at("registry")) {
        EXPECT_EQ(p.at("data"), p.at("missing"));
        found[p.at("value")] = {p.at("dataAsRead"), p.at("missing")};
    }
    using Pair = std::pair<std::string, std::string>;
    EXPECT_EQ(found["OldTool"], (Pair{"\"C:\\Program Files\\OldTool\\tool.exe\" /tray",
                                      "C:\\Program Files\\OldTool\\tool.exe"}));
    EXPECT_EQ(found["OtherTool"],
              (Pair{"C:\\Program Files\\Other\\other.exe", "C:\\Program Files\\Other\\other.exe"}));
}

// Every regular file below `folder` with a hash of its bytes.
std::map<std::string, std::size_t> Checksums(const std::string& folder) {
    std::map<std::string, std::size_t> sums;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        if (it->is_symlink()) {
            sums[it->path().string()] = std::hash<std::string>{}(fs::read_symlink(it->path()));
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file()) continue;
        std::ifstream in(it->path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        sums[it->path().string()] = std::hash<std::string>{}(bytes.str());
    }
    return sums;
}

TEST_F(CliIgnore, DryRunSaysWhatWouldBeDoneAndTouchesNothing) {
    const std::string mine = MakePrefix("mine");
    // A broken shortcut on the public desktop, beside the three entries.
    const std::string desktop = mine + "/drive_c/users/Public/Desktop";
    fs::create_directories(desktop);
    testing::WriteTextFile(desktop + "/Gone.lnk", testing::BrokenLinkBytes("Gone"));
    const std::string backups = home_ / "backups";
    const std::string sections = std::string(kStartup) + ";Window Shortcut C";
    const auto before = Checksums(mine);

    CliRun run = Cli(
        {"repair", "--prefix", mine, "--sections", sections, "--dry-run", "--backup-dir", backups});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Dry run: nothing is changed.\n"
                           "would back up and remove the value: " +
                           std::string(kRunKey) + " value OldTool\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(
                  "would back up and delete the file: C:\\users\\Public\\Desktop\\Gone.lnk\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("The backup would be written to " + backups + "/BackUp "),
              std::string::npos)
        << run.out;

    // As JSON, with a subset, and the shortcut on the ignore list (found by
    // the walk, then left out).
    const nlohmann::json scan = Scan(mine);
    run = Cli(
        {"ignore", "add", "--shortcut", "c:\\USERS\\public\\desktop\\gone.*", "--prefix", mine});
    ASSERT_EQ(run.status, 0) << run.err;
    run = Cli({"repair", "--prefix", mine, "--sections", sections, "--dry-run", "--json",
               "--backup-dir", backups, "--skip", IdOf(scan, "OldTool")});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_TRUE(json.at("dryRun").get<bool>());
    EXPECT_EQ(json.at("leftAlone"), nlohmann::json::array({IdOf(scan, "OldTool")}));
    Strings items;
    for (const auto& item : json.at("wouldRepair")) items.push_back(item.at("item"));
    EXPECT_EQ(items, (Strings{std::string(kRunKey) + " value OtherTool",
                              std::string(kRunKey) + " value ThirdTool"}));
    EXPECT_TRUE(json.at("found").at("shortcuts").empty());
    EXPECT_EQ(json.at("found").at("ignored"), 1);
    EXPECT_EQ(json.at("backupFile").get<std::string>().rfind(backups + "/BackUp ", 0), 0u);

    EXPECT_EQ(Checksums(mine), before);
    EXPECT_FALSE(fs::exists(backups));
}

}  // namespace
}  // namespace vostrel
