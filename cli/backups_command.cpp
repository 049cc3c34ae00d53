// vostrel-cli backups: the backup files of one prefix as the backup manager
// lists them.
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
    ListControl list = MakeBackupList();
    FillBackupList(list, settings, machine);
    if (options.json) {
        auto rows = nlohmann::json::array();
        for (const auto& row : list.rows())
            rows.push_back({{"name", row.text},
                            {"date", list.SubItem(rows.size() + 1, 1)},
                            {"time", list.SubItem(rows.size() + 1, 2)},
                            {"size", list.SubItem(rows.size() + 1, 3)},
                            {"prefixUnknown", !list.SubItem(rows.size() + 1, 4).empty()}});
        std::cout << nlohmann::json{{"folder", BackupFolder(settings)},
                                    {"prefix", machine},
                                    {"backups", rows}}
                         .dump(2)
                  << "\n";
        return 0;
    }
    std::cout << "Backups of " << machine << " in " << BackupFolder(settings) << "\n";
    if (list.Empty()) {
        std::cout << "No backups.\n";
        return 0;
    }
    std::size_t width = 4;
    for (const auto& row : list.rows()) width = std::max(width, row.text.size());
    std::cout << std::left << std::setw(static_cast<int>(width + 2)) << "Name" << std::setw(10)
              << "Date" << std::setw(10) << "Time" << std::setw(16) << "Size ( Bytes )"
              << "Prefix\n";
    for (std::size_t i = 1; i <= list.Count(); ++i)
        std::cout << std::setw(static_cast<int>(width + 2)) << list.Text(i) << std::setw(10)
                  << list.SubItem(i, 1) << std::setw(10) << list.SubItem(i, 2) << std::setw(16)
                  << list.SubItem(i, 3) << list.SubItem(i, 4) << "\n";
    return 0;
}

void AddBackupsCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<BackupsCommandOptions>();
    CLI::App* cmd =
        app.add_subcommand("backups", "List the prefix's backup files (Name, Date, Time, Size)");
    cmd->add_option("--prefix", options->prefix,
                    "List this Wine prefix's backups (default $WINEPREFIX, else ~/.wine)");
    cmd->add_option("--backup-dir", options->backupDir, "List this folder (default: the settings)");
    cmd->add_flag("--json", options->json, "Print the list as JSON");
    cmd->callback([options, &status] { status = RunBackupsCommand(*options); });
}

}  // namespace vostrel::cli
