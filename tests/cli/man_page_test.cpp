// The manual pages in resources/man, written by hand: vostrel-cli's names
// every command and every long option the program's --help shows, the
// desktop program's every option of its usage text, and groff reads both
// without a warning.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace vostrel {
namespace {

const std::string kManFolder = std::string(VOSTREL_SOURCE_DIR) + "/resources/man/";

// The output of a shell command line (standard output and error), and its status.
std::string Output(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    const int raw = pclose(pipe);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

std::set<std::string> LongOptions(const std::string& text) {
    std::set<std::string> options;
    const std::regex option(R"((^|[^-\w])(--[a-z][a-z-]*))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it)
        options.insert((*it)[2]);
    return options;
}

// The commands a help lists below "Subcommands:".
std::vector<std::string> Commands(const std::string& help) {
    std::vector<std::string> commands;
    const std::size_t at = help.find("\nSubcommands:\n");
    if (at == std::string::npos) return commands;
    const std::regex line(R"(\n  ([a-z]+) )");
    const std::string rest = help.substr(at);
    for (auto it = std::sregex_iterator(rest.begin(), rest.end(), line);
         it != std::sregex_iterator(); ++it)
        commands.push_back((*it)[1]);
    return commands;
}

// An option as roff writes it: each "-" escaped.
std::string Roff(const std::string& option) {
    std::string out;
    for (const char c : option) out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out;
}

TEST(ManPage, NamesEveryCommandAndOptionOfTheCommandLineProgram) {
    testing::TempDir home;
    const std::string page = testing::ReadTextFile(kManFolder + "vostrel-cli.1");
    const testing::CliRun top = testing::RunCliPrivately(home.path(), {"--help"});
    ASSERT_EQ(top.status, 0);
    std::vector<std::vector<std::string>> commands = {{}};
    for (const auto& command : Commands(top.out)) {
        commands.push_back({command});
        const testing::CliRun help = testing::RunCliPrivately(home.path(), {command, "--help"});
        for (const auto& action : Commands(help.out)) commands.push_back({command, action});
    }
    ASSERT_GE(commands.size(), 9u);  // scan ... prefixes, and ignore's add, list and remove
    std::size_t options = 0;
    for (const auto& command : commands) {
        std::string name;
        for (const auto& word : command) name += (name.empty() ? "" : " ") + word;
        SCOPED_TRACE(name);
        if (!command.empty()) {
            EXPECT_NE(page.find("\n.SS \"" + name + " "), std::string::npos);
        }
        std::vector<std::string> args = command;
        args.push_back("--help");
        const testing::CliRun help = testing::RunCliPrivately(home.path(), args);
        ASSERT_EQ(help.status, 0) << help.err;
        for (const auto& option : LongOptions(help.out)) {
            ++options;
            EXPECT_NE(page.find(Roff(option)), std::string::npos) << option;
        }
    }
    EXPECT_GT(options, 30u);
}

TEST(ManPage, NamesEveryOptionOfTheDesktopProgram) {
    const std::string source =
        testing::ReadTextFile(std::string(VOSTREL_SOURCE_DIR) + "/shell/main.cpp");
    const std::size_t start = source.find("kUsage =");
    const std::size_t end = source.find(';', start);
    ASSERT_NE(start, std::string::npos);
    const std::set<std::string> options = LongOptions(source.substr(start, end - start));
    EXPECT_EQ(options, (std::set<std::string>{"--help", "--prefix", "--version"}));
    const std::string page = testing::ReadTextFile(kManFolder + "vostrel.1");
    for (const auto& option : options) EXPECT_NE(page.find(Roff(option)), std::string::npos);
}

TEST(ManPage, GroffReadsThePagesWithoutAWarning) {
    int status = -1;
    Output("command -v groff", &status);
    if (status != 0) GTEST_SKIP() << "groff is not installed";
    for (const char* name : {"vostrel.1", "vostrel-cli.1"}) {
        SCOPED_TRACE(name);
        const std::string page = testing::ShellQuote(kManFolder + name);
        const std::string warnings = Output("groff -man -Tutf8 -ww -z " + page + " 2>&1", &status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(warnings, "");
        // Each section a page of the kind has.
        const std::string text = testing::ReadTextFile(kManFolder + name);
        for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS",
                                    "FILES", "ENVIRONMENT", "EXAMPLES"})
            EXPECT_NE(text.find(std::string("\n.SH ") + section + "\n"), std::string::npos)
                << section;
        EXPECT_NE(text.find("Vostrel 2006.ini"), std::string::npos);
        EXPECT_NE(text.find("ignore.txt"), std::string::npos);
        EXPECT_NE(text.find("WINEPREFIX"), std::string::npos);
        EXPECT_NE(text.find("XDG_DATA_HOME"), std::string::npos);
    }
}

}  // namespace
}  // namespace vostrel
