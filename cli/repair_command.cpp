// vostrel-cli repair: scan, show what was found, ask, repair with backup.
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>

#include "app/scan_driver.h"
#include "cli/cli_progress.h"
#include "cli/cli_settings.h"
#include "cli/commands.h"
#include "results/backup_file.h"
#include "results/problem_details.h"
#include "results/repair.h"
#include "results/repair_plan.h"
#include "results/result_views.h"
#include "scan/catalogue.h"
#include "system/machine.h"
#include "system/prefix_programs.h"
#include "system/settings.h"
#include "system/terminal.h"
#include "system/text.h"

namespace vostrel::cli {

namespace {

// What a problem is, as the repair's listing names it after its id.
std::string FoundText(const RegistryProblem& problem) {
    return problem.scanner + ": " + RegistryItemText(problem) + " -> " + problem.testedPath;
}

std::string FoundText(const ShortcutProblem& problem) {
    return std::string(kShortcutSection) + ": " + problem.path;
}

std::string FoundText(const MenuEntryProblem& problem) {
    return std::string(problem.orphan ? kOrphanMenuEntrySection : kMenuEntrySection) + ": " +
           problem.path + " -> " + problem.target + " (" + problem.reason + ")";
}

// Each problem with its id; those --only or --skip leave alone are marked.
void PrintFound(ScanSession& session) {
    for (const ProblemRef& ref : AllProblems(session))
        VisitProblem(session, ref, [&](const auto& problem) {
            std::cout << "  [" << ProblemId(problem) << "] " << FoundText(problem)
                      << (problem.selected ? "" : " (left alone)") << "\n";
        });
}

// The ids of an --only or --skip list: separated by commas, blanks around
// them ignored, letter case too.
std::set<std::string> IdList(const std::string& text) {
    std::set<std::string> ids;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string id = LowerAscii(TrimCopy(text.substr(start, comma - start)));
        if (!id.empty()) ids.insert(id);
        start = comma + 1;
    }
    return ids;
}

// Ticks the problems --only names, or all but those --skip names; the id of
// a program's group names every problem of the group. False, after naming
// them, when an id is none of the scan's problems nor groups: then nothing
// is to be repaired at all.
bool ChooseProblems(ScanSession& session, const ProblemGroups& groups,
                    const RepairCommandOptions& options) {
    if (options.only.empty() && options.skip.empty()) return true;
    const bool only = !options.only.empty();
    std::set<std::string> ids = IdList(only ? options.only : options.skip);
    if (ids.empty()) {
        std::cerr << "vostrel-cli: " << (only ? "--only" : "--skip") << " names no id\n";
        return false;
    }
    std::set<std::string> unknown = ids;
    for (const ProblemRef& ref : AllProblems(session)) {
        const std::string id = ProblemId(session, ref);
        const ProblemGroup* group = groups.GroupOf(ref);
        const bool named = ids.count(id) > 0 || (group != nullptr && ids.count(group->id) > 0);
        unknown.erase(id);
        if (group != nullptr) unknown.erase(group->id);
        SetSelected(session, ref, only ? named : !named);
    }
    if (unknown.empty()) return true;
    std::cerr << "vostrel-cli: no problem or program of this scan has the id";
    std::cerr << (unknown.size() == 1 ? " " : "s ");
    bool first = true;
    for (const auto& id : unknown) {
        std::cerr << (first ? "" : ", ") << id;
        first = false;
    }
    std::cerr << "; nothing was repaired (\"vostrel-cli scan\" lists the ids)\n";
    return false;
}

// --dry-run: what the repair would do with the ticked problems, and where
// its backup would go. Nothing is written anywhere.
void PrintDryRun(ScanSession& session, const RepairCommandOptions& options, nlohmann::json& out) {
    const bool backups = BackupsEnabled(session.settings);
    std::string backupPath;
    if (backups) {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        if (const std::tm* t = std::localtime(&now)) local = *t;
        backupPath = (std::filesystem::path(BackupFolder(session.settings)) / BackupFileName(local))
                         .string();
    }
    auto items = nlohmann::json::array();
    if (!options.json) std::cout << "Dry run: nothing is changed.\n";
    const RepairPlan plan = PlanRepair(session);
    for (const PlannedStep& step : plan.steps) {
        const std::string_view verb = PlannedVerb(step.action);
        if (options.json)
            items.push_back(
                {{"id", ProblemId(session, step.ref)}, {"item", step.item}, {"action", verb}});
        else
            std::cout << "would back up and " << verb << ": " << step.item << "\n";
    }
    if (options.json) {
        out["dryRun"] = true;
        out["wouldRepair"] = std::move(items);
        out["backupFile"] = backupPath;
        PrintJson(out);
        return;
    }
    if (backups)
        std::cout << "The backup would be written to " << backupPath << "\n";
    else
        std::cout << "No backup would be made (setting \"" << kMakeBackupKey << "\" is 0).\n";
}

// True when the user agrees (or --yes said so); false, with a message,
// when there is no terminal to ask on.
bool Confirmed(const RepairCommandOptions& options, std::size_t count, std::size_t found,
               bool backups) {
    if (options.yes) return true;
    if (!InputIsTerminal()) {
        std::cerr
            << "vostrel-cli: not repairing without a terminal to ask on; add --yes to repair\n";
        return false;
    }
    const std::string which = count == found
                                  ? std::to_string(count)
                                  : std::to_string(count) + " of " + std::to_string(found);
    std::cerr << "Repair these " << which << " problems? " << RepairBackupPromise(backups)
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
        case RepairEvent::What::Skipped: return "skipped";
    }
    return "";
}

}  // namespace

int RunRepairCommand(const RepairCommandOptions& options) {
    CommandMachine opened;
    if (const int status = OpenCommandMachine(options.machine, opened); status != kExitDone)
        return status;
    // Wine keeps its own copy of the registry while it runs, and writes it
    // back when it ends: its programs are closed first, and the prefix is
    // read again as Wine left it.
    if (options.closeWine && !options.dryRun && !opened.scanned.prefix.empty() &&
        PrefixProgramsRunning(opened.scanned.prefix)) {
        std::cerr << "vostrel-cli: closing the programs of " << opened.scanned.prefix << "\n";
        const ProgramsClosed closed = ClosePrefixPrograms(opened.scanned.prefix);
        if (!closed.closed) {
            std::cerr << "vostrel-cli: not repairing: " << closed.why << "\n";
            return kExitFailed;
        }
        opened = CommandMachine();
        if (const int status = OpenCommandMachine(options.machine, opened); status != kExitDone)
            return status;
    }
    Machine& machine = opened.machine();
    CommandSettings& settings = *opened.settings;
    CliProgress progress(!options.json && !options.machine.listSections && ErrorOutputIsTerminal());
    ScanSession session = opened.Session(progress);
    progress.Attach(session);
    if (options.machine.listSections) {
        PrintSections(session);
        return kExitDone;
    }
    // A dry run writes nothing, so it goes on and says so at its end.
    const auto refusal = machine.registry->WriteRefusal();
    if (refusal && !options.dryRun) {
        std::cerr << "vostrel-cli: not repairing: " << *refusal << "\n";
        if (!opened.scanned.prefix.empty() && PrefixProgramsRunning(opened.scanned.prefix))
            std::cerr << "vostrel-cli: \"repair --close-wine\" closes the prefix's programs "
                         "(their unsaved work is lost) and repairs\n";
        return kExitFailed;
    }
    if (!options.backupDir.empty())
        settings.Override(std::string(kBackupFolderKey), options.backupDir);
    // A dry run writes nothing, not even the scan report the settings ask for.
    if (options.dryRun) settings.Override(std::string(kMakeReportKey), "0");
    if (!LoadChosenSections(session, settings, options.machine.sections)) return kExitUsage;
    std::optional<IgnoreFilter> ignore;
    if (!ApplyUserIgnoreList(session, ignore)) return kExitUsage;
    RunScan(session);
    progress.EndProgress();
    const ProblemGroups groups = FindProblemGroups(session);
    if (!session.cancelRequested && !ChooseProblems(session, groups, options)) return kExitUsage;
    const std::size_t found = session.ProblemCount();
    const std::size_t count = SelectedCount(session);
    nlohmann::json out;
    if (options.json) {
        out["found"] = ScanJson(session, groups, machine.description, opened.scanned.prefix);
        // The ids --only or --skip leave alone; the others are repaired.
        auto leftAlone = nlohmann::json::array();
        for (const ProblemRef& ref : AllProblems(session))
            if (!IsSelected(session, ref)) leftAlone.push_back(ProblemId(session, ref));
        out["leftAlone"] = std::move(leftAlone);
    } else {
        std::cout << "Vostrel 2006 repair of " << machine.description << "\n";
        std::cout << (found == 0 ? "No problems found.\n"
                                 : "Problems found: " + std::to_string(found) + "\n");
        if (session.result.ignoredCount > 0)
            std::cout << IgnoredText(session) << " (on the ignore list)\n";
        // Entries out of reach are left as they are; the user hears why.
        if (const std::string notChecked = NotCheckedText(session.result.notChecked);
            !notChecked.empty())
            std::cout << notChecked << " (left as they are)\n";
        PrintFound(session);
        if (count < found) std::cout << "To repair: " << count << " of " << found << "\n";
    }
    if (session.cancelRequested) {
        if (options.json) PrintJson(out);
        std::cerr << "vostrel-cli: the scan was cancelled; nothing was repaired\n";
        return progress.interrupted() ? kExitCancelled : kExitFailed;
    }
    if (options.dryRun) {
        if (refusal) out["refused"] = *refusal;
        PrintDryRun(session, options, out);
        if (refusal && !options.json)
            std::cout << "A repair now would be refused: " << *refusal << "\n";
        return kExitDone;
    }
    const bool backups = BackupsEnabled(settings);
    if (count > 0 && !backups && !options.json)
        std::cout << "Backups are off (setting \"" << kMakeBackupKey
                  << "\" is 0): nothing will be backed up.\n";
    if (count == 0 || !Confirmed(options, count, found, backups)) {
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
    progress.WatchRepair();
    const RepairOutcome outcome = RepairAll(session, repair);
    progress.RepairDone();
    if (options.json) {
        out["events"] = std::move(events);
        out["backupFile"] = outcome.backupFilePath;
        out["removed"] = outcome.removed;
        out["kept"] = outcome.kept;
        // Left alone because they were no longer problems when the repair came to them.
        out["skipped"] = {{"total", outcome.skipped.Total()},
                          {"nowPresent", outcome.skipped.nowPresent},
                          {"changed", outcome.skipped.changed},
                          {"gone", outcome.skipped.gone}};
        if (outcome.refusal) out["refused"] = *outcome.refusal;
        if (outcome.saveError) out["saveError"] = *outcome.saveError;
        if (outcome.halted) out["nothingChanged"] = *outcome.halted;
        if (outcome.stopped) out["stopped"] = true;
        out["prefix"] = outcome.machine;
        PrintJson(out);
    } else {
        std::cout << TrimCopy(RepairNoticeText(outcome)) << "\n";
        if (!outcome.backupFilePath.empty() && outcome.removed > 0)
            std::cout << "Backup: " << outcome.backupFilePath << "\n";
    }
    if (outcome.stopped) return kExitCancelled;
    return outcome.refusal || outcome.saveError || outcome.halted || outcome.kept > 0 ? kExitFailed
                                                                                      : kExitDone;
}

void AddRepairCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<RepairCommandOptions>();
    CLI::App* cmd =
        app.add_subcommand("repair", "Scan, then repair the problems found after backing them up");
    AddMachineOptions(*cmd, options->machine);
    cmd->add_option("--backup-dir", options->backupDir,
                    "Write the backup here (default: the settings)");
    cmd->add_flag("--json", options->json,
                  "Print what was found (schema 1) and what was done as one JSON object");
    cmd->add_flag("--yes", options->yes, "Repair without asking");
    cmd->add_flag("--close-wine", options->closeWine,
                  "Close the programs running in the prefix first (their unsaved work is lost), "
                  "with the prefix's own wineserver");
    auto* only = cmd->add_option("--only", options->only,
                                 "Repair only the problems of these ids (ID[,ID...], as \"scan\" "
                                 "lists them)");
    cmd->add_option("--skip", options->skip,
                    "Repair all but the problems of these ids (ID[,ID...])")
        ->excludes(only);
    cmd->add_flag("--dry-run", options->dryRun,
                  "Print what would be repaired and where the backup would go; change nothing");
    cmd->callback([options, &status] { status = RunRepairCommand(*options); });
}

}  // namespace vostrel::cli
