// vostrel-cli prefixes: every Wine prefix of the user, found in the places
// of Steam, Lutris, Bottles, Heroic, winetricks and PlayOnLinux; and the
// loop behind "scan --all", which scans each of them in turn.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

namespace vostrel::cli {

// Adds the "prefixes" subcommand; when it runs, its exit status goes to `status`.
void AddPrefixesCommand(CLI::App& app, int& status);

// Scans every prefix the user has, one after another, with `scanOne`, which
// prints what "scan --prefix PATH" prints and returns its exit status. As
// text: one section per prefix, headed by its label. As JSON: one array of
// the objects `scanOne` prints, each with the machine and the prefix it
// describes. Returns 0 when every scan succeeded, else 1.
int ScanEveryPrefix(bool json, const std::function<int(const std::string& prefix)>& scanOne);

}  // namespace vostrel::cli
