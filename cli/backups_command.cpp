// vostrel-cli backups: the backup files of one prefix as the backup manager
// lists them.
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/cli_settings.h"
#include "cli/commands.h"
#include "results/backup_manager.h"
#include "system/machine.h"

namespace vostrel::cli {

int RunBackupsCommand(const BackupsCommandOptions& options) {
    std::unique_ptr<SettingsStore> stored = OpenDefaultSettings();
    CommandSettings settings(*stored);
    if (!options.backupDir.empty())
        settings.Override(std::string(kBackupFolderKey), options.backupDir);
    const std::string machine =
        MachineIdentityOf(options.prefix.empty() ? DefaultWinePrefix() : options.prefix);
    if (!options.show.empty()) {
        // What one backup holds, a record a line, as a restore would put it back.
        const std::string path =
            options.show.find('/') != std::string::npos
                ? options.show
                : (std::filesystem::path(BackupFolder(settings)) / options.show).string();
        const auto contents = BackupContents(path);
        if (!contents) {
            std::cerr << "vostrel-cli: no backup file " << path << "\n";
            return 2;
        }
        for (const auto& line : *contents) std::cout << line << "\n";
        return 0;
    }
    const std::vector<BackupRow> rows = ListBackups(settings, machine);
    if (options.names) {
        // For scripts and the shell's completion: nothing but the names.
        for (const auto& row : rows) std::cout << row.name << "\n";
        return 0;
    }
    if (options.json) {
        auto list = nlohmann::json::array();
        for (const auto& row : rows)
            list.push_back({{"name", row.name},
                            {"date", row.date},
                            {"time", row.time},
                            {"size", SizeText(row)},
                            {"prefixUnknown", row.prefixUnknown},
                            {"restored", row.restored}});
        std::cout << nlohmann::json{{"folder", BackupFolder(settings)},
                                    {"prefix", machine},
                                    {"backups", list}}
                         .dump(2)
                  << "\n";
        return 0;
    }
    std::cout << "Backups of " << machine << " in " << BackupFolder(settings) << "\n";
    if (rows.empty()) {
        std::cout << "No backups.\n";
        return 0;
    }
    std::size_t width = kBackupColumns[0].size();
    for (const auto& row : rows) width = std::max(width, row.name.size());
    // The prefix (a long path, the same on every row) is said above, not in a column.
    std::cout << std::left << std::setw(static_cast<int>(width + 2)) << kBackupColumns[0]
              << std::setw(12) << kBackupColumns[1] << std::setw(8) << kBackupColumns[2]
              << std::setw(16) << kBackupColumns[3] << kBackupColumns[5] << "\n";
    for (const auto& row : rows)
        std::cout << std::setw(static_cast<int>(width + 2)) << row.name << std::setw(12) << row.date
                  << std::setw(8) << row.time << std::setw(16) << SizeText(row)
                  << (row.prefixUnknown ? "(" + std::string(kPrefixUnknown) + ") " : "")
                  << row.restored << "\n";
    return 0;
}

void AddBackupsCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<BackupsCommandOptions>();
    CLI::App* cmd =
        app.add_subcommand("backups", "List the prefix's backup files (Name, Date, Time, Size)");
    cmd->add_option("--prefix", options->prefix,
                    "List this Wine prefix's backups (default $WINEPREFIX, else ~/.wine)");
    cmd->add_option("--backup-dir", options->backupDir, "List this folder (default: the settings)");
    auto* json = cmd->add_flag("--json", options->json, "Print the list as JSON");
    cmd->add_flag("--names", options->names,
                  "Print only the backups' names, one a line, as \"restore\" takes them")
        ->excludes(json);
    cmd->add_option("--show", options->show,
                    "Print what one backup holds (its name or path), a record a line");
    cmd->callback([options, &status] { status = RunBackupsCommand(*options); });
}

}  // namespace vostrel::cli
