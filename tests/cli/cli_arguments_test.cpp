// vostrel-cli's arguments, without a Wine prefix.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace vostrel {
namespace {

int RunCli(const std::string& args, const testing::TempDir& home) {
    const std::string command = "HOME='" + home.path() + "' XDG_CONFIG_HOME='" + home.path() +
                                "' XDG_DATA_HOME='" + home.path() + "' " +
                                std::string(VOSTREL_CLI) + " " + args + " >/dev/null 2>&1";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(CliArguments, MissingPrefixIsAnError) {
    testing::TempDir dir;
    EXPECT_EQ(RunCli("scan --prefix '" + dir.path() + "/none'", dir), 2);
}

TEST(CliArguments, UnknownOptionIsAnError) {
    testing::TempDir dir;
    EXPECT_EQ(RunCli("scan --colour", dir), 2);
    EXPECT_EQ(RunCli("--help", dir), 0);
}

// A command line the parser refuses: exit status 2 (a usage error, as
// --help says), nothing on standard output, and every line on standard
// error after "vostrel-cli: ": the parser's own words, then the help of the
// command it was given to.
TEST(CliArguments, UsageErrorsCarryTheProgramsName) {
    testing::TempDir dir;
    struct Case {
        std::vector<std::string> args;
        std::string says;     // a part of the parser's message
        std::string command;  // the command whose --help is named
    };
    const std::vector<Case> cases = {
        {{"scan", "--colour"}, "--colour", "scan"},
        {{"--colour"}, "--colour", ""},
        {{"scan", "--sections"}, "--sections", "scan"},
        {{"restore"}, "backup is required", "restore"},
        {{"restore", "a", "b"}, "b", "restore"},
        {{"clean"}, "clean", ""},
        {{"repair", "--only", "a", "--skip", "b"}, "--only excludes --skip", "repair"},
        {{"ignore"}, "ubcommand", "ignore"},
        {{"ignore", "add", "--colour"}, "--colour", "ignore add"},
        {{"ignore", "remove", "1", "2"}, "2", "ignore remove"},
        {{"ignore", "remove", "one"}, "one", "ignore remove"},
        {{"backups", "--json=maybe"}, "maybe", "backups"},
        {{"backups", "--names", "--json"}, "excludes", "backups"},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const auto& arg : c.args) line += " " + arg;
        SCOPED_TRACE(line);
        const testing::CliRun run = testing::RunCliPrivately(dir.path(), c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.empty()) << run.out;
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.back(), '\n');
        std::size_t start = 0;
        while (start < run.err.size()) {
            const std::size_t end = run.err.find('\n', start);
            EXPECT_EQ(run.err.compare(start, 13, "vostrel-cli: "), 0)
                << run.err.substr(start, end - start);
            start = end + 1;
        }
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        const std::string help = "vostrel-cli" + (c.command.empty() ? "" : " " + c.command);
        EXPECT_NE(run.err.find("\nvostrel-cli: run \"" + help + " --help\" for more information\n"),
                  std::string::npos)
            << run.err;
    }
}

TEST(CliArguments, HelpAndVersionGoToStandardOutput) {
    testing::TempDir dir;
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"},
                                                 {"-h"},
                                                 {"scan", "--help"},
                                                 {"ignore", "add", "-h"},
                                                 {"--version"},
                                                 {}}) {
        const testing::CliRun run = testing::RunCliPrivately(dir.path(), args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(run.err.empty()) << run.err;
        EXPECT_FALSE(run.out.empty());
        EXPECT_EQ(run.out.find("vostrel-cli: "), std::string::npos) << run.out;
    }
    // The exit statuses the help promises are the ones above.
    const testing::CliRun help = testing::RunCliPrivately(dir.path(), {"--help"});
    EXPECT_NE(help.out.find("2 a usage error"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace vostrel
