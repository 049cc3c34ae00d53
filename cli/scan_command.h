// vostrel-cli scan: a scan of a Wine prefix from the command line.
#pragma once

#include <CLI/CLI.hpp>

namespace vostrel::cli {

// Adds the "scan" subcommand; when it runs, its exit status goes to `status`.
void AddScanCommand(CLI::App& app, int& status);

}  // namespace vostrel::cli
