// vostrel-cli's subcommands: scan, repair, ignore, backups, restore and
// (where Wine prefixes can be found) prefixes, with the options they share,
// the exit statuses they return and the JSON a scan prints.
//
// Exit statuses: 0 the command did its work (whether or not it found
// problems); 1 a refusal or a failed step; 2 a usage error or a prefix that
// cannot be opened; 130 cancelled with Ctrl-C, after printing what was found
// so far.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "app/ignore_filter.h"
#include "app/opened_machine.h"
#include "cli/cli_settings.h"
#include "results/problem_groups.h"
#include "results/problem_id.h"
#include "session/scan_session.h"
#include "system/machine.h"
#include "system/settings.h"
#include "system/wine_provides.h"

namespace vostrel::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitCancelled = 130;

// The options of every command that scans a machine.
struct MachineOptions {
    std::string prefix;         // --prefix: the Wine prefix (default $WINEPREFIX, else ~/.wine)
    std::string sections;       // --sections: catalogue rows, separated by ";"
    std::string wine;           // --wine: the Wine that runs the prefix
    bool listSections = false;  // --list-sections: print the catalogue rows and stop
};

// Adds --prefix, --sections, --list-sections and --wine to a command.
void AddMachineOptions(CLI::App& command, MachineOptions& options);

// A machine opened for one command, with the settings the command sees (the
// stored ones with its own choices on top), the Wine that runs it and its
// user's menu entries.
struct CommandMachine {
    std::unique_ptr<SettingsStore> stored;
    std::unique_ptr<CommandSettings> settings;
    OpenedMachine scanned;

    Machine& machine() { return *scanned.machine; }
    // A session over the machine that tells `observer` of its progress.
    ScanSession Session(ScanObserver& observer) { return SessionFor(scanned, *settings, observer); }
};

// Opens the machine of --prefix (or this computer) with its settings and
// Wine. kExitDone, or the exit status after saying why on stderr.
int OpenCommandMachine(const MachineOptions& options, CommandMachine& opened);

// Loads the catalogue with the rows of --sections checked (the stored
// choices when empty). False, after naming the valid rows, for an unknown row.
bool LoadChosenSections(ScanSession& session, CommandSettings& settings,
                        const std::string& sections);

// --list-sections: the catalogue's rows, one per line.
void PrintSections(ScanSession& session);

// A registry problem's value as the listings and the repair name it:
// "ROOT\key value NAME".
std::string RegistryItemText(const RegistryProblem& problem);

// Hands the user's ignore list for the session's machine to the session
// (`holder` keeps it). False, after printing the reason (the file and its
// line), when the list is damaged: the command then exits 2 without
// scanning.
bool ApplyUserIgnoreList(ScanSession& session, std::optional<IgnoreFilter>& holder);
// Prints the lines of the ignore list that were left out, each once a run.
void PrintIgnoreListWarnings(const std::vector<std::string>& warnings);

// What a scan found as JSON schema 1 (see the README), with the programs
// its problems belong to (`groups`, of the same session).
nlohmann::json ScanJson(const ScanSession& session, const ProblemGroups& groups,
                        const std::string& machine, const std::string& prefix = {});
// The same without its problem arrays ("registry", "shortcuts", "menuEntries").
nlohmann::json ScanJsonHead(const ScanSession& session, const ProblemGroups& groups,
                            const std::string& machine, const std::string& prefix = {});
// A problem's "group": its program's id, or null.
nlohmann::json GroupField(const ProblemGroups& groups, std::size_t index);
void PrintJson(const nlohmann::json& value);

struct ScanCommandOptions {
    MachineOptions machine;
    std::string report;
    bool json = false;
    bool quiet = false;
    bool all = false;       // every prefix "prefixes" lists
    bool exitCode = false;  // exit with 1 when problems were found
};

struct RepairCommandOptions {
    MachineOptions machine;
    std::string backupDir;
    bool json = false;
    bool yes = false;
    std::string only;        // --only: ids to repair, separated by commas
    std::string skip;        // --skip: ids to leave alone, separated by commas
    bool dryRun = false;     // --dry-run: say what would be done, change nothing
    bool closeWine = false;  // --close-wine: close the prefix's programs first
};

struct BackupsCommandOptions {
    std::string prefix;
    std::string backupDir;
    bool json = false;
    bool names = false;  // --names: the names alone, one a line
    std::string show;    // --show: one backup's records, a line each
};

struct RestoreCommandOptions {
    std::string backup;  // a name in the backup folder, or a path
    std::string prefix;
    std::string backupDir;
    bool keep = false;   // keep the backup file even when every record went back
    bool force = false;  // into another prefix, and shortcuts outside the prefix's drives
};

int RunScanCommand(const ScanCommandOptions& options);
int RunRepairCommand(const RepairCommandOptions& options);
int RunBackupsCommand(const BackupsCommandOptions& options);
int RunRestoreCommand(const RestoreCommandOptions& options);

// Add the subcommands; when one runs, its exit status goes to `status`.
void AddScanCommand(CLI::App& app, int& status);
void AddRepairCommand(CLI::App& app, int& status);
// vostrel-cli ignore add|list|remove: the user's ignore list.
void AddIgnoreCommand(CLI::App& app, int& status);
void AddBackupsCommand(CLI::App& app, int& status);
void AddRestoreCommand(CLI::App& app, int& status);

#ifdef VOSTREL_WINE_PREFIXES
// vostrel-cli prefixes: every Wine prefix of the user, found in the places
// of Steam, Lutris, Bottles, Heroic, winetricks and PlayOnLinux.
void AddPrefixesCommand(CLI::App& app, int& status);

// The loop behind "scan --all": scans every prefix the user has, one after
// another, with `scanOne`, which prints what "scan --prefix PATH" prints and
// returns its exit status. As text: one section per prefix, headed by its
// label. As JSON: one array of the objects `scanOne` prints, each with the
// machine and the prefix it describes. Returns 0 when every scan
// succeeded, 130 after Ctrl-C, else 1.
int ScanEveryPrefix(bool json, const std::function<int(const std::string& prefix)>& scanOne);
#endif

}  // namespace vostrel::cli
