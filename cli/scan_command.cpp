#include "cli/scan_command.h"

#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/cli_window.h"
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
    StateWindow window;
    MainForm form(*machine.registry, *machine.files, settings, window);
    LoadlvwRegistryvaluesScanValues(form);
    std::vector<std::string> texts;
    for (const auto& row : form.lvwRegistryvaluesScan.rows()) texts.push_back(row.text);
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

nlohmann::json ListJson(const ListControl& list, std::size_t columns) {
    auto rows = nlohmann::json::array();
    for (std::size_t i = 1; i <= list.Count(); ++i) {
        auto row = nlohmann::json::array({list.Text(i)});
        for (std::size_t k = 1; k < columns; ++k) row.push_back(list.SubItem(i, k));
        rows.push_back(std::move(row));
    }
    return rows;
}

void PrintJson(MainForm& form) {
    nlohmann::json out;
    out["lvwErrors"] = ListJson(form.lvwErrors, 7);
    out["lvwShortcut"] = ListJson(form.lvwShortcut, 2);
    auto summaries = nlohmann::json::array();
    for (const auto& row : form.lvwRegistryProblems.rows()) summaries.push_back(row.text);
    out["lvwRegistryProblems"] = std::move(summaries);
    // What the walk could not read; only there when something was.
    if (!form.state.unreadable.folders.empty()) out["unreadableFolders"] = form.state.unreadable.folders;
    if (!form.state.unreadable.shortcuts.empty()) out["unreadableShortcuts"] = form.state.unreadable.shortcuts;
    std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

// The listing a reader sees: every summary row as the results view shows
// it, followed by the detail rows a click on it shows.
void PrintListing(MainForm& form, const std::string& machine, bool cancelled) {
    std::cout << "Vostrel 2006 scan of " << machine << (cancelled ? " (cancelled)" : "") << "\n";
    std::cout << "Started " << form.state.strScanStartTime << ", finished " << form.state.strScanEndTime
              << "\n\n";
    auto& summaries = form.lvwRegistryProblems;
    for (std::size_t i = 1; i <= summaries.Count(); ++i) {
        summaries.SetSelected(i, true);
        lvwRegistryProblems_ItemClick(form, i);
        summaries.SetSelected(i, false);
        std::cout << summaries.Text(i) << "\n";
        for (const auto& detail : form.lvwRegistryErrorsDetail.rows()) std::cout << "  " << detail.text << "\n";
        std::cout << "\n";
    }
    form.lvwRegistryErrorsDetail.Clear();
    const auto total = form.lvwErrors.Count() + form.lvwShortcut.Count();
    if (total == 0)
        std::cout << "No problems found.\n";
    else
        std::cout << "Total numbers of problems detected : " << total << "\n";
    for (const auto& folder : form.state.unreadable.folders)
        std::cout << "Could not read the folder " << folder << "\n";
    for (const auto& file : form.state.unreadable.shortcuts)
        std::cout << "Could not read the shortcut " << file << "\n";
}

int RunScan(const ScanOptions& options) {
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
    CliWindow window(!options.quiet && ErrorOutputIsTerminal());
    MainForm form(*machine.registry, *machine.files, settings, window);
    form.wine = wine.get();
    window.Attach(form);
    LoadlvwRegistryvaluesScanValues(form);
    ImgScanNowMouseMove_Click(form);
    window.EndProgress();
    int status = 0;
    if (!options.report.empty() && !WriteScanReport(form, options.report)) {
        std::cerr << "vostrel-cli: cannot write the report to " << options.report << "\n";
        status = 1;
    }
    if (options.json)
        PrintJson(form);
    else
        PrintListing(form, machine.description, form.state.bCancelScanning);
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
            status = RunScan(*options);
            return;
        }
        status = ScanEveryPrefix(options->json, [options](const std::string& path) {
            ScanOptions one = *options;
            one.prefix = path;
            return RunScan(one);
        });
    });
#else
    scan->callback([options, &status] { status = RunScan(*options); });
#endif
}

}  // namespace vostrel::cli
