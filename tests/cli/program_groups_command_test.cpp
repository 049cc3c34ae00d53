// vostrel-cli on the sample machine, whose PhotoEdit folder was deleted by
// hand: the scan shows what PhotoEdit left as one item, the JSON names each
// problem's program, and a repair takes the program's id for all of its
// problems; the backup brings them all back under the same id.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace vostrel {
namespace {

using testing::CliRun;

class CliProgramGroups : public ::testing::Test {
protected:
    void SetUp() override {
        prefix_ = home_ / "prefix";
        const std::string command = std::string("'") + VOSTREL_SOURCE_DIR +
                                    "/examples/make-sample-prefix' '" + prefix_ + "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    CliRun Cli(const std::vector<std::string>& args) {
        return testing::RunCliPrivately(home_.path(), args);
    }
    nlohmann::json Scan() {
        const CliRun run = Cli({"scan", "--prefix", prefix_, "--json"});
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out);
    }
    // Every problem's id, whatever its kind, with its program's id (or "").
    static std::vector<std::pair<std::string, std::string>> Problems(const nlohmann::json& scan) {
        std::vector<std::pair<std::string, std::string>> out;
        for (const char* kind : {"registry", "shortcuts", "menuEntries"})
            for (const auto& problem : scan.at(kind))
                out.emplace_back(problem.at("id"), problem.at("group").is_null()
                                                       ? std::string()
                                                       : problem.at("group").get<std::string>());
        return out;
    }
    std::string Repair(const std::string& option, const std::string& ids) {
        const CliRun run = Cli({"repair", "--prefix", prefix_, option, ids, "--yes", "--backup-dir",
                                home_ / "backups"});
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        const auto list = nlohmann::json::parse(
            Cli({"backups", "--prefix", prefix_, "--backup-dir", home_ / "backups", "--json"}).out);
        return list.at("backups").empty() ? "" : list.at("backups").back().at("name");
    }

    testing::TempDir home_;
    std::string prefix_;
};

const char* const kPhotoEditLine =
    "PhotoEdit 3.1 (C:\\Program Files\\PhotoEdit): 12 leftovers in 9 places";

TEST_F(CliProgramGroups, TheScanShowsTheRemovedProgramAsOneItem) {
    const nlohmann::json scan = Scan();
    ASSERT_EQ(scan.at("groups").size(), 1u) << scan.at("groups");
    const auto& group = scan.at("groups").at(0);
    EXPECT_EQ(group.at("name"), "PhotoEdit 3.1");
    EXPECT_EQ(group.at("folder"), "C:\\Program Files\\PhotoEdit");
    EXPECT_EQ(group.at("uninstallKey"),
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
              "PhotoEdit");
    EXPECT_EQ(group.at("count"), 12);
    EXPECT_EQ(group.at("places"), 9);
    const std::string id = group.at("id");

    // The group's list and the problems' "group" say the same; the shared
    // filter in Common Files and the font in the Fonts folder are no one's.
    std::vector<std::string> members;
    std::vector<std::string> loose;
    for (const auto& [problem, owner] : Problems(scan)) {
        EXPECT_TRUE(owner.empty() || owner == id) << owner;
        (owner.empty() ? loose : members).push_back(problem);
    }
    EXPECT_EQ(members, group.at("problems").get<std::vector<std::string>>());
    ASSERT_EQ(loose.size(), 2u);
    std::vector<std::string> missingLoose;
    for (const auto& problem : scan.at("registry"))
        if (problem.at("group").is_null()) missingLoose.push_back(problem.at("missing"));
    EXPECT_EQ(missingLoose, (std::vector<std::string>{
                                "C:\\Program Files\\Common Files\\PhotoFilters\\filters.dll",
                                "C:\\windows\\Fonts\\pescript.ttf"}));
    EXPECT_EQ(scan.at("shortcuts").at(1).at("group"), id);

    // As text: the program's line after its id, its problems below it, then
    // the sections with what is left of them; a registry problem's line ends
    // with the value it was found in.
    const auto valueOf = [&scan](const std::string& problem) {
        for (const auto& p : scan.at("registry"))
            if (p.at("id") == problem)
                return " (" + p.at("root").get<std::string>() + "\\" +
                       p.at("key").get<std::string>() + " value " +
                       p.at("value").get<std::string>() + ")";
        ADD_FAILURE() << problem << " is no registry problem";
        return std::string();
    };
    const CliRun text = Cli({"scan", "--prefix", prefix_});
    ASSERT_EQ(text.status, 0) << text.err;
    const std::size_t at = text.out.find("[" + id + "] " + kPhotoEditLine + "\n");
    ASSERT_NE(at, std::string::npos) << text.out;
    std::size_t line = text.out.find('\n', at) + 1;
    for (const std::string& member : members) {
        EXPECT_EQ(text.out.compare(line, member.size() + 4, "  [" + member + "]"), 0)
            << text.out.substr(line, 80);
        line = text.out.find('\n', line) + 1;
    }
    EXPECT_EQ(text.out.compare(line, 1, "\n"), 0);
    EXPECT_NE(text.out.find("  [" + members.front() +
                            "] Custom Controls: This file could not be found on your hard "
                            "drive:C:\\Program Files\\PhotoEdit\\pethumb.ocx" +
                            valueOf(members.front()) + "\n"),
              std::string::npos);
    EXPECT_NE(text.out.find("Invalid Help Files ( 2 Problem(s) )\n"
                            "  (2 are listed with their programs above)\n\n"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("Invalid Shared Files ( 1 Problem(s) )\n  [" + loose.front() +
                            "] This file could not be found on your hard drive:C:\\Program "
                            "Files\\Common Files\\PhotoFilters\\filters.dll" +
                            valueOf(loose.front()) + "\n\n"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("Total numbers of problems detected : 14\n"), std::string::npos);
}

TEST_F(CliProgramGroups, RepairingTheProgramRemovesEveryTraceAndTheBackupBringsItBack) {
    const nlohmann::json before = Scan();
    ASSERT_EQ(before.at("groups").size(), 1u);
    const std::string id = before.at("groups").at(0).at("id");
    std::string upper = id;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);

    // The program's id in other letters, beside a loose problem's id.
    std::string font;
    for (const auto& problem : before.at("registry"))
        if (problem.at("missing") == "C:\\windows\\Fonts\\pescript.ttf") font = problem.at("id");
    const std::string backup = Repair("--only", " " + upper + " ," + font);
    ASSERT_FALSE(backup.empty());

    const nlohmann::json after = Scan();
    EXPECT_TRUE(after.at("groups").empty());
    std::vector<std::string> left;
    for (const auto& [problem, owner] : Problems(after)) left.push_back(problem);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(after.at("registry").at(0).at("missing"),
              "C:\\Program Files\\Common Files\\PhotoFilters\\filters.dll");

    const CliRun restore =
        Cli({"restore", backup, "--prefix", prefix_, "--backup-dir", home_ / "backups"});
    EXPECT_EQ(restore.status, 0) << restore.out << restore.err;
    // The same program and problems, under the same ids (a value put back
    // may come later in its key).
    nlohmann::json restored = Scan();
    ASSERT_EQ(restored.at("groups").size(), 1u);
    const auto sortedProblems = [](nlohmann::json group) {
        auto& ids = group.at("problems");
        std::sort(ids.begin(), ids.end());
        return group;
    };
    EXPECT_EQ(sortedProblems(restored.at("groups").at(0)),
              sortedProblems(before.at("groups").at(0)));
    auto restoredProblems = Problems(restored);
    auto beforeProblems = Problems(before);
    std::sort(restoredProblems.begin(), restoredProblems.end());
    std::sort(beforeProblems.begin(), beforeProblems.end());
    EXPECT_EQ(restoredProblems, beforeProblems);
}

TEST_F(CliProgramGroups, SkippingTheProgramRepairsOnlyTheRest) {
    const nlohmann::json before = Scan();
    ASSERT_EQ(before.at("groups").size(), 1u);
    const auto& group = before.at("groups").at(0);
    ASSERT_FALSE(Repair("--skip", group.at("id")).empty());

    const nlohmann::json after = Scan();
    EXPECT_EQ(after.at("groups"), before.at("groups"));
    std::vector<std::string> left;
    for (const auto& [problem, owner] : Problems(after)) {
        EXPECT_EQ(owner, group.at("id"));
        left.push_back(problem);
    }
    EXPECT_EQ(left, group.at("problems").get<std::vector<std::string>>());

    // A program's id that is not this scan's names nothing: nothing is repaired.
    const CliRun unknown =
        Cli({"repair", "--prefix", prefix_, "--only", "0123456789abcdef", "--yes"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("no problem or program of this scan has the id 0123456789abcdef"),
              std::string::npos)
        << unknown.err;
}

}  // namespace
}  // namespace vostrel
