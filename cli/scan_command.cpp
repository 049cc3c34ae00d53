#include "cli/scan_command.h"

#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/cli_progress.h"
#include "cli/cli_wine.h"
#ifdef VOSTREL_WINE_PREFIXES
#include "cli/prefixes_command.h"
#endif
#include "results/result_views.h"
#include "results/scan_report.h"
#include "scan/catalogue.h"
#include "scan/scan_driver.h"
#include "system/machine.h"
#include "system/settings.h"
#include "system/terminal.h"
#include "system/text.h"

namespace vostrel::cli {

namespace {

constexpr int kUsageError = 2;

struct ScanOptions {
    std::string prefix;
    std::string sections;
    std::string report;
    std::string wine;
    bool json = false;
    bool quiet = false;
    bool all = false;  // every prefix "prefixes" lists
};

// The settings store with the catalogue rows' check states chosen on the
// command line: they are read and written in memory only, so the stored
// choices stay as they were.
class ChosenSections final : public SettingsStore {
public:
    ChosenSections(SettingsStore& stored, std::map<std::string, std::string> rows)
        : stored_(stored), rows_(std::move(rows)) {}
    std::string Get(std::string_view key, std::string_view fallback) override {
        const auto it = rows_.find(UpperAscii(key));
        return it == rows_.end() ? stored_.Get(key, fallback) : it->second;
    }
    bool Save(std::string_view key, std::string_view value) override {
        const auto it = rows_.find(UpperAscii(key));
        if (it == rows_.end()) return stored_.Save(key, value);
        it->second = std::string(value);
        return true;
    }

private:
    SettingsStore& stored_;
    std::map<std::string, std::string> rows_;  // by upper-case row text
};

std::vector<std::string> SplitSections(const std::string& list) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(';', start), list.size());
        const std::string piece = TrimCopy(list.substr(start, end - start));
        if (!piece.empty()) out.push_back(piece);
        start = end + 1;
    }
    return out;
}

// The row texts of the machine's catalogue, in catalogue order.
std::vector<std::string> CatalogueTexts(Machine& machine, SettingsStore& settings) {
    SilentObserver observer;
    ScanSession session(*machine.registry, *machine.files, settings, observer);
    LoadCatalogue(session);
    std::vector<std::string> texts;
    for (const auto& row : session.catalogue.rows()) texts.push_back(row.text);
    return texts;
}

// The check states for --sections, or an error naming the valid rows.
bool ChooseSections(const std::vector<std::string>& catalogue, const std::string& list,
                    std::map<std::string, std::string>& chosen, std::string& error) {
    for (const auto& text : catalogue) chosen[UpperAscii(text)] = "False";
    for (const auto& wanted : SplitSections(list)) {
        const auto it = chosen.find(UpperAscii(wanted));
        if (it == chosen.end()) {
            error = "unknown section \"" + wanted + "\"; the sections are:";
            for (const auto& text : catalogue) error += "\n  " + text;
            return false;
        }
        it->second = "True";
    }
    return true;
}

void PrintJson(ScanSession& session) {
    nlohmann::json out;
    auto registry = nlohmann::json::array();
    for (const auto& p : session.registryProblems)
        registry.push_back({RootHandleText(p.root), p.valueName, p.testedPath, p.scanner, p.keyPath, p.rootName,
                            p.systemFolder ? "Yes" : ""});
    out["lvwErrors"] = std::move(registry);
    auto shortcuts = nlohmann::json::array();
    for (const auto& p : session.shortcutProblems) shortcuts.push_back({p.path, kShortcutSection});
    out["lvwShortcut"] = std::move(shortcuts);
    auto summaries = nlohmann::json::array();
    for (const auto& row : session.summary) summaries.push_back(row.text);
    out["lvwRegistryProblems"] = std::move(summaries);
    // What the walk could not read; only there when something was.
    if (!session.unreadable.folders.empty()) out["unreadableFolders"] = session.unreadable.folders;
    if (!session.unreadable.shortcuts.empty()) out["unreadableShortcuts"] = session.unreadable.shortcuts;
    std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

// The listing a reader sees: every summary row as the results view shows
// it, followed by the detail rows a click on it shows.
void PrintListing(ScanSession& session, const std::string& machine, bool cancelled) {
    std::cout << "Vostrel 2006 scan of " << machine << (cancelled ? " (cancelled)" : "") << "\n";
    std::cout << "Started " << session.startedAt << ", finished " << session.finishedAt
              << "\n\n";
    for (const auto& row : session.summary) {
        std::cout << row.text << "\n";
        for (const auto& detail : DetailLines(session, row.text)) std::cout << "  " << detail << "\n";
        std::cout << "\n";
    }
    const auto total = session.ProblemCount();
    if (total == 0)
        std::cout << "No problems found.\n";
    else
        std::cout << "Total numbers of problems detected : " << total << "\n";
    for (const auto& folder : session.unreadable.folders)
        std::cout << "Could not read the folder " << folder << "\n";
    for (const auto& file : session.unreadable.shortcuts)
        std::cout << "Could not read the shortcut " << file << "\n";
}

int RunScanCommand(const ScanOptions& options) {
    MachineResult opened = options.prefix.empty() ? OpenLocalMachine() : OpenWinePrefix(options.prefix);
    if (!opened.machine) {
        std::cerr << "vostrel-cli: " << opened.error << "\n";
        return kUsageError;
    }
    Machine& machine = *opened.machine;
    std::unique_ptr<SettingsStore> stored = OpenDefaultSettings();
    std::map<std::string, std::string> chosen;
    if (!options.sections.empty()) {
        std::string error;
        if (!ChooseSections(CatalogueTexts(machine, *stored), options.sections, chosen, error)) {
            std::cerr << "vostrel-cli: " << error << "\n";
            return kUsageError;
        }
    }
    std::unique_ptr<WineProvides> wine;
    if (!OpenCommandWine(options.wine, *stored, wine)) return kUsageError;
    ChosenSections settings(*stored, std::move(chosen));
    CliProgress progress(!options.quiet && ErrorOutputIsTerminal());
    ScanSession session(*machine.registry, *machine.files, settings, progress);
    session.wine = wine.get();
    progress.Attach(session);
    LoadCatalogue(session);
    RunScan(session);
    progress.EndProgress();
    int status = 0;
    if (!options.report.empty() && !WriteScanReport(session, options.report)) {
        std::cerr << "vostrel-cli: cannot write the report to " << options.report << "\n";
        status = 1;
    }
    if (options.json)
        PrintJson(session);
    else
        PrintListing(session, machine.description, session.cancelRequested);
    return status;
}

}  // namespace

void AddScanCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<ScanOptions>();
    CLI::App* scan = app.add_subcommand("scan", "Scan a Wine prefix's registry (and shortcuts) for missing files");
    scan->add_option("--prefix", options->prefix, "The Wine prefix (default $WINEPREFIX, else ~/.wine)");
    scan->add_option("--sections", options->sections,
                     "Catalogue rows to scan, separated by ; (default: the rows checked in the settings)");
    scan->add_option("--report", options->report, "Also write the scan report to this file");
    scan->add_option("--wine", options->wine,
                     "The Wine that runs the prefix (a Proton or Lutris Wine folder; default: the setting "
                     "\"txtWine\", else the system's Wine)");
    scan->add_flag("--json", options->json, "Print the problem lists as one JSON object");
    scan->add_flag("--quiet", options->quiet, "No progress display");
#ifdef VOSTREL_WINE_PREFIXES
    scan->add_flag("--all", options->all, "Scan every Wine prefix that \"prefixes\" lists, one after another")
        ->excludes(scan->get_option("--prefix"))
        ->excludes(scan->get_option("--report"));
    scan->callback([options, &status] {
        if (!options->all) {
            status = RunScanCommand(*options);
            return;
        }
        status = ScanEveryPrefix(options->json, [options](const std::string& path) {
            ScanOptions one = *options;
            one.prefix = path;
            return RunScanCommand(one);
        });
    });
#else
    scan->callback([options, &status] { status = RunScanCommand(*options); });
#endif
}

}  // namespace vostrel::cli
