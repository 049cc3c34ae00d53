// vostrel-cli: the registry cleaner on the command line.
#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv) {
    CLI::App app{"Vostrel 2006 - finds registry entries and shortcuts that point at missing files"};
    app.require_subcommand(0, 1);
    app.set_version_flag("--version", "vostrel-cli 0.1.0");
    CLI11_PARSE(app, argc, argv);
    if (app.get_subcommands().empty()) {
        std::cout << app.help();
    }
    return 0;
}
