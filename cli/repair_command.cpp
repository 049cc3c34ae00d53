// vostrel-cli repair: scan, show what was found, ask, repair with backup.
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "app/scan_driver.h"
#include "cli/cli_progress.h"
#include "cli/cli_settings.h"
#include "cli/cli_wine.h"
#include "cli/commands.h"
#include "results/backup_file.h"
#include "results/repair.h"
#include "scan/catalogue.h"
#include "system/machine.h"
#include "system/settings.h"
#include "system/terminal.h"
#include "system/text.h"

namespace vostrel::cli {

namespace {

std::string RegistryItem(const RegistryProblem& problem) {
    return problem.rootName + "\\" + problem.keyPath + " value " + problem.valueName;
}

void PrintFound(ScanSession& session) {
    for (const auto& problem : session.registryProblems)
        std::cout << "  " << problem.scanner << ": " << RegistryItem(problem) << " -> "
                  << problem.testedPath << "\n";
    for (const auto& problem : session.shortcutProblems)
        std::cout << "  " << kShortcutSection << ": " << problem.path << "\n";
    for (const auto& problem : session.menuEntryProblems)
        std::cout << "  " << (problem.orphan ? kOrphanMenuEntrySection : kMenuEntrySection) << ": "
                  << problem.path << " -> " << problem.target << " (" << problem.reason << ")\n";
}

// True when the user agrees (or --yes said so); false, with a message,
// when there is no terminal to ask on.
bool Confirmed(const RepairCommandOptions& options, std::size_t count, bool backups) {
    if (options.yes) return true;
    if (!InputIsTerminal()) {
        std::cerr
            << "vostrel-cli: not repairing without a terminal to ask on; add --yes to repair\n";
        return false;
    }
    std::cerr << "Repair these " << count << " problems? " << RepairBackupPromise(backups)
              << " [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES";
}

const char* EventWord(RepairEvent::What what) {
    switch (what) {
        case RepairEvent::What::BackedUp: return "backed up";
        case RepairEvent::What::Removed: return "removed";
        case RepairEvent::What::Kept: return "kept";
        case RepairEvent::What::Gone: return "already gone";
    }
    return "";
}

}  // namespace

int RunRepairCommand(const RepairCommandOptions& options) {
    CommandMachine opened;
    if (const int status = OpenCommandMachine(options.machine, opened); status != kExitDone)
        return status;
    Machine& machine = *opened.machine;
    CommandSettings& settings = *opened.settings;
    CliProgress progress(!options.json && !options.machine.listSections && ErrorOutputIsTerminal());
    ScanSession session(*machine.registry, *machine.files, settings, progress);
    session.wine = opened.wine.get();
    session.menuEntries = opened.menuEntries.get();
    progress.Attach(session);
    if (options.machine.listSections) {
        PrintSections(session);
        return kExitDone;
    }
    if (const auto refusal = machine.registry->WriteRefusal()) {
        std::cerr << "vostrel-cli: not repairing: " << *refusal << "\n";
        return kExitFailed;
    }
    if (!options.backupDir.empty())
        settings.Override(std::string(kBackupFolderKey), options.backupDir);
    if (!LoadChosenSections(session, settings, options.machine.sections)) return kExitUsage;
    RunScan(session);
    progress.EndProgress();
    const std::size_t count = session.ProblemCount();
    nlohmann::json out;
    if (options.json) {
        out["found"] = ScanJson(session, machine.description);
    } else {
        std::cout << "Vostrel 2006 repair of " << machine.description << "\n";
        std::cout << (count == 0 ? "No problems found.\n"
                                 : "Problems found: " + std::to_string(count) + "\n");
        PrintFound(session);
    }
    if (session.cancelRequested) {
        if (options.json) PrintJson(out);
        std::cerr << "vostrel-cli: the scan was cancelled; nothing was repaired\n";
        return progress.interrupted() ? kExitCancelled : kExitFailed;
    }
    const bool backups = BackupsEnabled(settings);
    if (count > 0 && !backups && !options.json)
        std::cout << "Backups are off (setting \"" << kMakeBackupKey
                  << "\" is 0): nothing will be backed up.\n";
    if (count == 0 || !Confirmed(options, count, backups)) {
        if (options.json) PrintJson(out);
        return count == 0 || options.yes ? kExitDone : kExitFailed;
    }
    RepairOptions repair;
    auto events = nlohmann::json::array();
    repair.onEvent = [&](const RepairEvent& e) {
        if (options.json) {
            events.push_back({{"what", EventWord(e.what)}, {"item", e.item}, {"why", e.why}});
            return;
        }
        std::cout << EventWord(e.what) << ": " << e.item
                  << (e.why.empty() ? "" : " (" + e.why + ")") << "\n";
    };
    const RepairOutcome outcome = RepairAll(session, repair);
    if (options.json) {
        out["events"] = std::move(events);
        out["backupFile"] = outcome.backupFilePath;
        out["removed"] = outcome.removed;
        out["kept"] = outcome.kept;
        if (outcome.refusal) out["refused"] = *outcome.refusal;
        if (outcome.saveError) out["saveError"] = *outcome.saveError;
        if (outcome.halted) out["nothingChanged"] = *outcome.halted;
        out["prefix"] = outcome.machine;
        PrintJson(out);
    } else {
        std::cout << TrimCopy(RepairNoticeText(outcome)) << "\n";
        if (!outcome.backupFilePath.empty() && outcome.removed > 0)
            std::cout << "Backup: " << outcome.backupFilePath << "\n";
    }
    return outcome.refusal || outcome.saveError || outcome.halted || outcome.kept > 0 ? kExitFailed
                                                                                      : kExitDone;
}

void AddRepairCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<RepairCommandOptions>();
    CLI::App* cmd =
        app.add_subcommand("repair", "Scan, then repair every problem found after backing it up");
    AddMachineOptions(*cmd, options->machine);
    cmd->add_option("--backup-dir", options->backupDir,
                    "Write the backup here (default: the settings)");
    cmd->add_flag("--json", options->json,
                  "Print what was found (schema 1) and what was done as one JSON object");
    cmd->add_flag("--yes", options->yes, "Repair without asking");
    cmd->callback([options, &status] { status = RunRepairCommand(*options); });
}

}  // namespace vostrel::cli
