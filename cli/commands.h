// vostrel-cli repair, backups and restore: the repair with its backup, the
// list of backups, and putting one back.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace vostrel::cli {

struct RepairCommandOptions {
    std::string prefix;
    std::string sections;
    std::string backupDir;
    std::string wine;  // --wine: the Wine that runs the prefix
    bool json = false;
    bool yes = false;
};

struct BackupsCommandOptions {
    std::string prefix;
    std::string backupDir;
    bool json = false;
};

struct RestoreCommandOptions {
    std::string backup;  // a name in the backup folder, or a path
    std::string prefix;
    std::string backupDir;
    bool keep = false;   // keep the backup file even when every record went back
    bool force = false;  // into another prefix, and shortcuts outside the prefix's drives
};

int RunRepairCommand(const RepairCommandOptions& options);
int RunBackupsCommand(const BackupsCommandOptions& options);
int RunRestoreCommand(const RestoreCommandOptions& options);

// Add the subcommands; when one runs, its exit status goes to `status`.
void AddRepairCommand(CLI::App& app, int& status);
void AddBackupsCommand(CLI::App& app, int& status);
void AddRestoreCommand(CLI::App& app, int& status);

}  // namespace vostrel::cli
