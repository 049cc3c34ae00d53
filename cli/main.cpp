// vostrel-cli: the registry cleaner on the command line.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <string>

#include "cli/commands.h"
#include "cli/safe_output.h"

namespace {

// CLI11's message for a bad command line after the program's name, as
// every other message of ours, and where to read about the command it was
// given to.
std::string UsageErrorText(const CLI::App* app, const CLI::Error& error) {
    std::string command = "vostrel-cli";
    for (const CLI::App* at = app; at != nullptr && !at->get_subcommands().empty();) {
        at = at->get_subcommands().front();
        command += " " + at->get_name();
    }
    std::string out;
    const std::string text = error.what();
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t stop = end == std::string::npos ? text.size() : end;
        out += "vostrel-cli: " + text.substr(start, stop - start) + "\n";
        start = stop + 1;
    }
    return out + "vostrel-cli: run \"" + command + " --help\" for more information\n";
}

int Run(int argc, char** argv) {
    // The exit statuses go in the description: what follows the subcommands
    // in --help is read as their list (the manual page is made from it).
    CLI::App app{
        "Vostrel 2006 - finds registry entries and shortcuts that point at missing files\n"
        "Exit status: 0 done (whether or not problems were found); 1 a refusal or a failed step;\n"
        "2 a usage error or a prefix that cannot be opened; 130 cancelled with Ctrl-C (after\n"
        "printing what was found so far).",
        "vostrel-cli"};
    app.require_subcommand(0, 1);
    // Before the subcommands are added: each takes its parent's on creation.
    app.failure_message(UsageErrorText);
    app.set_version_flag("--version", "vostrel-cli 0.1.0");
    // Names taken from the registry and from files reach the terminal with
    // their control characters escaped.
    vostrel::cli::SafeOutput safeOutput;
    int status = 0;
    vostrel::cli::AddScanCommand(app, status);
    vostrel::cli::AddRepairCommand(app, status);
    vostrel::cli::AddIgnoreCommand(app, status);
    vostrel::cli::AddBackupsCommand(app, status);
    vostrel::cli::AddRestoreCommand(app, status);
#ifdef VOSTREL_WINE_PREFIXES
    vostrel::cli::AddPrefixesCommand(app, status);
#endif
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? vostrel::cli::kExitDone : vostrel::cli::kExitUsage;
    }
    if (app.get_subcommands().empty()) std::cout << app.help();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // A failure no command foresaw (memory, the file system) ends the run
    // with a message and a failure status, never with an abort.
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fputs("vostrel-cli: stopped: ", stderr);
        std::fputs(e.what(), stderr);
        std::fputs("\n", stderr);
    } catch (...) {
        std::fputs("vostrel-cli: stopped by an unknown failure\n", stderr);
    }
    return vostrel::cli::kExitFailed;
}
