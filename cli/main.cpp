// vostrel-cli: the registry cleaner on the command line.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/commands.h"
#ifdef VOSTREL_WINE_PREFIXES
#include "cli/prefixes_command.h"
#endif
#include "cli/scan_command.h"

int main(int argc, char** argv) {
    CLI::App app{"Vostrel 2006 - finds registry entries and shortcuts that point at missing files", "vostrel-cli"};
    app.require_subcommand(0, 1);
    app.set_version_flag("--version", "vostrel-cli 0.1.0");
    int status = 0;
    vostrel::cli::AddScanCommand(app, status);
    vostrel::cli::AddRepairCommand(app, status);
    vostrel::cli::AddBackupsCommand(app, status);
    vostrel::cli::AddRestoreCommand(app, status);
#ifdef VOSTREL_WINE_PREFIXES
    vostrel::cli::AddPrefixesCommand(app, status);
#endif
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : 2;
    }
    if (app.get_subcommands().empty()) std::cout << app.help();
    return status;
}
