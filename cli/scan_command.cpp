// vostrel-cli scan: a scan of a Wine prefix from the command line.
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "app/scan_driver.h"
#include "cli/cli_progress.h"
#include "cli/commands.h"
#include "cli/scan_json.h"
#include "results/problem_details.h"
#include "results/result_views.h"
#include "results/scan_report.h"
#include "system/terminal.h"

namespace vostrel::cli {

namespace {

// The problems behind a summary row, in the order of its detail rows.
std::vector<std::string> RowIds(const ScanSession& session, const SummaryRow& row) {
    std::vector<std::string> ids;
    for (const ProblemRef& ref : ProblemsOfSummary(session, row.text))
        ids.push_back(ProblemId(session, ref));
    return ids;
}

// The listing a reader sees: every summary row as the results view shows
// it, followed by the detail rows a click on it shows, each after the id
// that "repair --only", "--skip" and "ignore add" take.
void PrintListing(ScanSession& session, const std::string& machine) {
    std::cout << "Vostrel 2006 scan of " << machine
              << (session.cancelRequested ? " (cancelled)" : "") << "\n";
    std::cout << "Started " << session.result.startedAt << ", finished "
              << session.result.finishedAt << "\n\n";
    for (const auto& row : session.result.summary) {
        std::cout << row.text << "\n";
        const auto details = DetailLines(session, row.text);
        const auto ids = RowIds(session, row);
        for (std::size_t i = 0; i < details.size(); ++i) {
            std::cout << "  ";
            if (details.size() == ids.size()) std::cout << "[" << ids[i] << "] ";
            std::cout << details[i] << "\n";
        }
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
    if (options.json)
        PrintScanJson(session, machine.description);
    else
        PrintListing(session, machine.description);
    if (session.cancelRequested && progress.interrupted()) return kExitCancelled;
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
