// vostrel-cli restore: puts one backup file back.
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/cli_settings.h"
#include "cli/commands.h"
#include "results/backup_file.h"
#include "results/backup_manager.h"
#include "system/machine.h"

namespace vostrel::cli {

namespace {

constexpr int kUsageError = 2;

// A name of the backup folder, or a path (anything with a slash, or an
// existing file).
std::string BackupPathOf(const std::string& given, SettingsStore& settings) {
    std::error_code ec;
    if (given.find('/') != std::string::npos || std::filesystem::is_regular_file(given, ec))
        return given;
    return (std::filesystem::path(BackupFolder(settings)) / given).string();
}

}  // namespace

int RunRestoreCommand(const RestoreCommandOptions& options) {
    std::unique_ptr<SettingsStore> stored = OpenDefaultSettings();
    CommandSettings settings(*stored);
    if (!options.backupDir.empty())
        settings.Override(std::string(kBackupFolderKey), options.backupDir);
    const std::string path = BackupPathOf(options.backup, settings);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        std::cerr << "vostrel-cli: no backup file " << path << "\n";
        return kUsageError;
    }
    // Nothing of a backup another user could have written is read, not
    // even the machine it names.
    if (const auto refusal = UntrustedBackupRefusal(path)) {
        std::cerr << "vostrel-cli: not restoring " << path << ": " << *refusal << "\n";
        return 1;
    }
    MachineResult opened =
        options.prefix.empty() ? OpenLocalMachine() : OpenWinePrefix(options.prefix);
    if (!opened.machine) {
        std::cerr << "vostrel-cli: " << opened.error << "\n";
        return kUsageError;
    }
    Machine& machine = *opened.machine;
    if (const auto mismatch = MachineMismatch(*machine.files, path); mismatch && !options.force) {
        std::cerr << "vostrel-cli: not restoring " << path << ": " << *mismatch << "\n";
        return 1;
    }
    const std::vector<std::string> outside = RecordsOutsideMachine(*machine.files, path);
    if (!outside.empty()) {
        std::cout << "These shortcuts lie outside the prefix's own drives"
                  << (options.force ? "; --force puts them back:\n"
                                    : " and are restored only with --force:\n");
        for (const auto& item : outside) std::cout << "  " << item << "\n";
    }
    RestoreOptions restore;
    restore.force = options.force;
    const RestoreReport report =
        RestoreBackupFile(*machine.registry, *machine.files, settings, path, restore);
    std::cout << "Restored " << report.restored << " records of " << path << " into "
              << machine.description << "\n";
    for (const auto& failure : report.failures) std::cout << "failed: " << failure << "\n";
    if (!report.ok()) {
        std::cout << "The backup file is kept.\n";
        return 1;
    }
    // A restored backup stays: it is what undoes a restore gone wrong, and the
    // user deletes it when they choose.
    if (MarkBackupRestored(path, ListTimeNow()))
        std::cout << "The backup file is kept, marked as restored.\n";
    else
        std::cout << "The backup file is kept.\n";
    return 0;
}

void AddRestoreCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<RestoreCommandOptions>();
    CLI::App* cmd =
        app.add_subcommand("restore", "Put the values and shortcuts of one backup file back");
    cmd->add_option("backup", options->backup,
                    "The backup's name (as 'backups' lists it) or its path")
        ->required();
    cmd->add_option("--prefix", options->prefix,
                    "The Wine prefix (default $WINEPREFIX, else ~/.wine)");
    cmd->add_option("--backup-dir", options->backupDir,
                    "The backup folder (default: the settings)");
    // Restores always keep the backup now; the flag stays for scripts that pass it.
    cmd->add_flag("--keep", options->keep, "Keep the backup file (always done; marked restored)");
    cmd->add_flag(
        "--force", options->force,
        "Restore a backup of another prefix, and shortcuts outside the prefix's own drives");
    cmd->callback([options, &status] { status = RunRestoreCommand(*options); });
}

}  // namespace vostrel::cli
