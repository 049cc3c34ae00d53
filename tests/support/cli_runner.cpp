#include "support/cli_runner.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/temp_dir.h"

namespace vostrel::testing {

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

CliRun RunCli(const std::string& folder,
              const std::vector<std::pair<std::string, std::string>>& environment,
              const std::vector<std::string>& args) {
    std::string command;
    for (const auto& [name, value] : environment) command += name + "=" + ShellQuote(value) + " ";
    command += ShellQuote(VOSTREL_CLI);
    for (const auto& arg : args) command += " " + ShellQuote(arg);
    const std::string out = folder + "/cli.out", err = folder + "/cli.err";
    command += " </dev/null >" + ShellQuote(out) + " 2>" + ShellQuote(err);
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadTextFile(out), ReadTextFile(err)};
}

CliRun RunCliPrivately(const std::string& folder, const std::vector<std::string>& args) {
    // A private home too: a scan looks at the menu entries on the user's
    // desktop, and a repair removes the stale ones.
    return RunCli(folder,
                  {{"HOME", folder + "/home"},
                   {"XDG_CONFIG_HOME", folder + "/config"},
                   {"XDG_DATA_HOME", folder + "/data"}},
                  args);
}

}  // namespace vostrel::testing
