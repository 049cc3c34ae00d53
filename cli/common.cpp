// What the commands that scan share: their options, opening the machine,
// choosing the sections and the JSON of a scan.
#include <iostream>
#include <set>

#include "cli/commands.h"
#include "cli/safe_output.h"
#include "results/result_views.h"
#include "scan/catalogue.h"
#include "scan/section_table.h"
#include "session/sections.h"
#include "system/text.h"

namespace vostrel::cli {

void AddMachineOptions(CLI::App& command, MachineOptions& options) {
    command.add_option("--prefix", options.prefix,
                       "The Wine prefix (default $WINEPREFIX, else ~/.wine)");
    command.add_option(
        "--sections", options.sections,
        "Catalogue rows to scan, separated by ; (default: the rows checked in the settings)");
    command.add_flag("--list-sections", options.listSections,
                     "Print the catalogue rows --sections takes, and stop");
    command.add_option(
        "--wine", options.wine,
        "The Wine that runs the prefix (a Proton or Lutris Wine folder; default: the setting "
        "\"txtWine\", else the system's Wine)");
}

int OpenCommandMachine(const MachineOptions& options, CommandMachine& opened) {
    opened.stored = OpenDefaultSettings();
    opened.settings = std::make_unique<CommandSettings>(*opened.stored);
    opened.scanned = OpenMachineForScan(options.prefix, options.wine, *opened.stored);
    if (!opened.scanned.machine) {
        std::cerr << "vostrel-cli: " << (opened.scanned.namedWineMissing ? "--wine " : "")
                  << opened.scanned.error << "\n";
        return kExitUsage;
    }
    if (!opened.scanned.note.empty()) std::cerr << "vostrel-cli: " << opened.scanned.note << "\n";
    return kExitDone;
}

bool LoadChosenSections(ScanSession& session, CommandSettings& settings,
                        const std::string& sections) {
    LoadCatalogue(session);
    if (sections.empty()) return true;
    std::vector<std::string> catalogue;
    for (const auto& row : session.request.sections.rows()) catalogue.push_back(row.text);
    std::string error;
    const auto chosen = ChooseCatalogueRows(catalogue, sections, error);
    if (!chosen) {
        std::cerr << "vostrel-cli: " << error << "\n";
        return false;
    }
    for (const auto& text : catalogue) settings.Override(text, chosen->at(UpperAscii(text)));
    LoadCatalogue(session);
    return true;
}

void PrintSections(ScanSession& session) {
    LoadCatalogue(session);
    for (const auto& row : session.request.sections.rows()) std::cout << row.text << "\n";
}

std::string RegistryItemText(const RegistryProblem& problem) {
    return problem.rootName + "\\" + problem.keyPath + " value " + problem.valueName;
}

void PrintIgnoreListWarnings(const std::vector<std::string>& warnings) {
    // Said once a run, also when "scan --all" reads the list for each prefix.
    static std::set<std::string> said;
    for (const auto& warning : warnings)
        if (said.insert(warning).second) std::cerr << "vostrel-cli: warning: " << warning << "\n";
}

bool ApplyUserIgnoreList(ScanSession& session, std::optional<IgnoreFilter>& holder) {
    std::string error;
    std::vector<std::string> warnings;
    const bool loaded = UseUserIgnoreList(session, holder, &error, &warnings);
    PrintIgnoreListWarnings(warnings);
    if (loaded) return true;
    std::cerr << "vostrel-cli: " << error << "\n"
              << "vostrel-cli: nothing was scanned; put a readable ignore list there, or move "
                 "that away, and try again\n";
    return false;
}
nlohmann::json GroupField(const ProblemGroups& groups, std::size_t index) {
    const ProblemGroup* group = groups.GroupOf({index});
    return group ? nlohmann::json(group->id) : nlohmann::json(nullptr);
}

nlohmann::json ScanJson(const ScanSession& session, const ProblemGroups& groups,
                        const std::string& machine, const std::string& prefix) {
    nlohmann::json out = ScanJsonHead(session, groups, machine, prefix);
    const auto& problems = session.result.problems;
    auto registry = nlohmann::json::array();
    const auto registryProblems = problems.Of<RegistryProblem>();
    for (std::size_t i = 0; i < registryProblems.size(); ++i) {
        const RegistryProblem& p = registryProblems[i];
        registry.push_back({{"id", ProblemId(p)},
                            {"group", GroupField(groups, registryProblems.PositionOf(i))},
                            {"section", p.section},
                            {"scanner", p.scanner},
                            {"root", p.rootName},
                            {"key", p.keyPath},
                            {"value", p.valueName},
                            {"data", p.testedPath},
                            {"missing", p.testedPath},
                            // The value's data whole, as read (added to schema 1).
                            {"dataAsRead", p.dataAsRead},
                            {"systemFolder", p.systemFolder}});
    }
    out["registry"] = std::move(registry);
    auto shortcuts = nlohmann::json::array();
    const auto shortcutProblems = problems.Of<ShortcutProblem>();
    for (std::size_t i = 0; i < shortcutProblems.size(); ++i) {
        const ShortcutProblem& p = shortcutProblems[i];
        shortcuts.push_back({{"id", ProblemId(p)},
                             {"group", GroupField(groups, shortcutProblems.PositionOf(i))},
                             {"path", p.path},
                             {"target", p.target}});
    }
    out["shortcuts"] = std::move(shortcuts);
    // Wine's stale menu entries (builds that run on Wine): an array added
    // to schema 1; readers that do not know it are not disturbed.
    auto menuEntries = nlohmann::json::array();
    const auto menuProblems = problems.Of<MenuEntryProblem>();
    for (std::size_t i = 0; i < menuProblems.size(); ++i) {
        const MenuEntryProblem& p = menuProblems[i];
        menuEntries.push_back({{"id", ProblemId(p)},
                               {"group", GroupField(groups, menuProblems.PositionOf(i))},
                               {"path", p.path},
                               {"name", p.name},
                               {"prefix", p.prefix},
                               {"target", p.target},
                               {"reason", p.reason},
                               {"orphan", p.orphan},
                               {"icons", p.icons}});
    }
    out["menuEntries"] = std::move(menuEntries);
    return out;
}

nlohmann::json ScanJsonHead(const ScanSession& session, const ProblemGroups& groups,
                            const std::string& machine, const std::string& prefix) {
    nlohmann::json out;
    out["schema"] = 1;
    out["machine"] = machine;
    // The prefix as "scan --all" names each of its prefixes, by its path.
    if (!prefix.empty()) out["prefix"] = {{"path", prefix}};
    out["started"] = session.result.startedStamp;
    out["finished"] = session.result.finishedStamp;
    out["cancelled"] = session.cancelRequested.load();
    auto summary = nlohmann::json::array();
    for (const auto& row : session.result.summary)
        summary.push_back({{"section", std::string(SectionOfScanner(row.section))},
                           {"text", row.text},
                           {"count", row.count}});
    out["summary"] = std::move(summary);
    // The programs whose problems go together (added to schema 1): each
    // problem names its program's id in "group".
    auto programs = nlohmann::json::array();
    for (const ProblemGroup& group : groups.groups) {
        auto ids = nlohmann::json::array();
        for (const ProblemRef& ref : group.problems) ids.push_back(ProblemId(session, ref));
        programs.push_back({{"id", group.id},
                            {"name", group.name},
                            {"folder", group.folder},
                            {"uninstallKey", group.uninstallKey},
                            {"count", group.problems.size()},
                            {"places", group.places},
                            {"problems", std::move(ids)}});
    }
    out["groups"] = std::move(programs);
    // Problems the user's ignore list left out: not in the arrays above.
    out["ignored"] = session.result.ignoredCount;
    // Entries the scan could not judge, by reason, and the drives that were
    // not there with how many entries each held.
    nlohmann::json byReason = nlohmann::json::object();
    for (const auto& info : kNotCheckedReasons) {
        const auto it = session.result.notChecked.byReason.find(info.reason);
        byReason[std::string(info.key)] =
            it == session.result.notChecked.byReason.end() ? 0 : it->second;
    }
    auto drives = nlohmann::json::array();
    for (const auto& [letter, count] : session.result.notChecked.unavailableDrives) {
        if (letter == 0) continue;
        nlohmann::json drive{{"drive", std::string(1, letter) + ":"}, {"entries", count}};
        if (const auto why = session.result.notChecked.driveWhy.find(letter);
            why != session.result.notChecked.driveWhy.end())
            drive["why"] = why->second;
        drives.push_back(std::move(drive));
    }
    out["notChecked"] = {{"total", session.result.notChecked.Total()},
                         {"byReason", std::move(byReason)},
                         {"unavailableDrives", std::move(drives)}};
    // What the walk could not read; only there when something was.
    if (!session.result.unreadable.folders.empty())
        out["unreadableFolders"] = session.result.unreadable.folders;
    if (!session.result.unreadable.shortcuts.empty())
        out["unreadableShortcuts"] = session.result.unreadable.shortcuts;
    return out;
}

void PrintJson(const nlohmann::json& value) {
    // The JSON escapes control characters itself; its text passes unchanged.
    RawStandardOutput raw;
    std::cout << value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

}  // namespace vostrel::cli
