// vostrel-cli scan: a scan of a Wine prefix from the command line.
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/scan_driver.h"
#include "cli/cli_progress.h"
#include "cli/commands.h"
#include "cli/scan_json.h"
#include "results/problem_details.h"
#include "results/problem_groups.h"
#include "results/result_views.h"
#include "results/scan_report.h"
#include "system/terminal.h"

namespace vostrel::cli {

namespace {

// A problem's line after its id: `line` and, for a registry problem, the
// value it was found in, so that two entries pointing at the same missing
// file are told apart.
std::string ListedLine(const ScanSession& session, const ProblemRef& ref, std::string line) {
    if (const auto* value = std::get_if<RegistryProblem>(&session.result.problems.at(ref.index)))
        line += " (" + RegistryItemText(*value) + ")";
    return line;
}

// The listing a reader sees: first every program whose problems go
// together, its line after its id and its problems below it; then every
// summary row as the results view shows it, followed by the detail rows a
// click on it shows that belong to no program. Each problem comes after the
// id that "repair --only", "--skip" and "ignore add" take; a program's id
// stands for all its problems.
void PrintListing(ScanSession& session, const ProblemGroups& groups, const std::string& machine) {
    std::cout << "Vostrel 2006 scan of " << machine
              << (session.cancelRequested ? " (cancelled)" : "") << "\n";
    std::cout << "Started " << session.result.startedAt << ", finished "
              << session.result.finishedAt << "\n\n";
    for (const ProblemGroup& group : groups.groups) {
        std::cout << "[" << group.id << "] " << GroupLine(group) << "\n";
        for (const ProblemRef& ref : group.problems)
            std::cout << "  [" << ProblemId(session, ref) << "] "
                      << ListedLine(session, ref, GroupedProblemLine(session, ref)) << "\n";
        std::cout << "\n";
    }
    for (const auto& row : session.result.summary) {
        std::cout << row.text << "\n";
        std::size_t grouped = 0;
        for (const ProblemRef& ref : ProblemsOfSummary(session, row.text)) {
            if (groups.GroupOf(ref) != nullptr) {
                ++grouped;
                continue;
            }
            std::cout << "  [" << ProblemId(session, ref) << "] "
                      << ListedLine(session, ref, DetailLine(session, ref)) << "\n";
        }
        if (grouped > 0)
            std::cout << "  (" << grouped << (grouped == 1 ? " is" : " are") << " listed with "
                      << (grouped == 1 ? "its program" : "their programs") << " above)\n";
        std::cout << "\n";
    }
    const auto total = session.ProblemCount();
    if (total == 0)
        std::cout << "No problems found.\n";
    else
        std::cout << "Total numbers of problems detected : " << total << "\n";
    if (session.result.ignoredCount > 0)
        std::cout << IgnoredText(session) << " (on the ignore list)\n";
    if (const std::string notChecked = NotCheckedText(session.result.notChecked);
        !notChecked.empty())
        std::cout << notChecked << "\n";
    for (const auto& folder : session.result.unreadable.folders)
        std::cout << "Could not read the folder " << folder << "\n";
    for (const auto& file : session.result.unreadable.shortcuts)
        std::cout << "Could not read the shortcut " << file << "\n";
}

}  // namespace

int RunScanCommand(const ScanCommandOptions& options) {
    CommandMachine opened;
    if (const int status = OpenCommandMachine(options.machine, opened); status != kExitDone)
        return status;
    Machine& machine = opened.machine();
    CliProgress progress(!options.quiet && !options.machine.listSections &&
                         ErrorOutputIsTerminal());
    ScanSession session = opened.Session(progress);
    progress.Attach(session);
    if (options.machine.listSections) {
        PrintSections(session);
        return kExitDone;
    }
    if (!LoadChosenSections(session, *opened.settings, options.machine.sections)) return kExitUsage;
    std::optional<IgnoreFilter> ignore;
    if (!ApplyUserIgnoreList(session, ignore)) return kExitUsage;
    RunScan(session);
    progress.EndProgress();
    int status = kExitDone;
    if (!options.report.empty() && !WriteScanReport(session, options.report)) {
        std::cerr << "vostrel-cli: cannot write the report to " << options.report << "\n";
        status = kExitFailed;
    }
    const ProblemGroups groups = FindProblemGroups(session);
    if (options.json)
        PrintScanJson(session, groups, machine.description, opened.scanned.prefix);
    else
        PrintListing(session, groups, machine.description);
    if (session.cancelRequested && progress.interrupted()) return kExitCancelled;
    if (options.exitCode && status == kExitDone && session.ProblemCount() > 0) return kExitFailed;
    return status;
}

void AddScanCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<ScanCommandOptions>();
    CLI::App* scan =
        app.add_subcommand("scan",
                           "Scan a Wine prefix's registry (and shortcuts) for missing files");
    AddMachineOptions(*scan, options->machine);
    scan->add_option("--report", options->report, "Also write the scan report to this file");
    scan->add_flag("--json", options->json, "Print what was found as one JSON object (schema 1)");
    scan->add_flag("--quiet", options->quiet, "No progress display");
    scan->add_flag("--exit-code", options->exitCode,
                   "Exit with 1 when problems were found, as \"git diff --exit-code\" does");
#ifdef VOSTREL_WINE_PREFIXES
    scan->add_flag("--all", options->all,
                   "Scan every Wine prefix that \"prefixes\" lists, one after another")
        ->excludes(scan->get_option("--prefix"))
        ->excludes(scan->get_option("--report"));
    scan->callback([options, &status] {
        if (!options->all) {
            status = RunScanCommand(*options);
            return;
        }
        // An unreadable ignore list is said once, before any prefix is scanned.
        std::string error;
        std::vector<std::string> warnings;
        const bool loaded = LoadUserIgnoreList(&error, {}, &warnings).has_value();
        PrintIgnoreListWarnings(warnings);
        if (!loaded) {
            std::cerr << "vostrel-cli: " << error << "\n";
            status = kExitUsage;
            return;
        }
        status = ScanEveryPrefix(options->json, [options](const std::string& path) {
            ScanCommandOptions one = *options;
            one.machine.prefix = path;
            return RunScanCommand(one);
        });
    });
#else
    scan->callback([options, &status] { status = RunScanCommand(*options); });
#endif
}

}  // namespace vostrel::cli
