// Runs the command-line program as a user would, as a separate process:
// with the environment the test gives it (private settings and data
// folders, a fake home), no terminal on its input, and what it prints kept
// for the test to read.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vostrel::testing {

struct CliRun {
    int status = -1;  // the exit status; -1 when it did not exit normally
    std::string out, err;
};

// A text as one word for the shell: in single quotes.
std::string ShellQuote(const std::string& text);

// Runs vostrel-cli with `args`, each NAME=value of `environment` set for it,
// and standard input from /dev/null; its output goes through files in
// `folder` (which must exist).
CliRun RunCli(const std::string& folder,
              const std::vector<std::pair<std::string, std::string>>& environment,
              const std::vector<std::string>& args);

// The same with HOME, XDG_CONFIG_HOME and XDG_DATA_HOME set to folders
// "home", "config" and "data" in `folder`: the settings, backups and the
// menu entries the run looks at stay there.
CliRun RunCliPrivately(const std::string& folder, const std::vector<std::string>& args);

}  // namespace vostrel::testing
