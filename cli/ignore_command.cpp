// vostrel-cli ignore: the user's ignore list, the entries a scan leaves
// alone. "add" takes a problem's id (it scans the machine to find it), a
// registry key (with or without a value) or a shortcut path, for this
// machine or every machine; "list" numbers the entries as "remove" takes
// them. Lines of the list that cannot be understood are named as warnings
// and written back as they were.
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>

#include "app/ignore_filter.h"
#include "app/scan_driver.h"
#include "cli/cli_progress.h"
#include "cli/commands.h"
#include "ignore/ignore_list.h"
#include "system/settings_keys.h"
#include "system/terminal.h"
#include "system/text.h"

namespace vostrel::cli {

namespace {

struct IgnoreAddOptions {
    MachineOptions machine;
    std::string id;
    std::string key;
    std::string value;
    bool valueGiven = false;
    std::string shortcut;
    bool everywhere = false;
};

struct IgnoreListOptions {
    bool json = false;
};

struct IgnoreRemoveOptions {
    std::size_t number = 0;
};

std::string MachineLabel(const std::string& machine) {
    return machine.empty() ? "every machine" : machine;
}

// The word that starts an entry of this kind in the file and the listings.
const char* KindWord(IgnoreEntry::Kind kind) {
    switch (kind) {
        case IgnoreEntry::Kind::Registry: return "registry";
        case IgnoreEntry::Kind::Shortcut: return "shortcut";
        case IgnoreEntry::Kind::MenuEntry: return "menu";
    }
    return "";
}

// How an entry reads in the listing: what it leaves alone, and where.
std::string EntryText(const IgnoreEntry& entry) {
    std::string text = std::string(KindWord(entry.kind)) + " ";
    text += entry.pattern;
    if (entry.value) text += " value " + *entry.value;
    return text + " (" + MachineLabel(entry.machine) + ")";
}

// The user's list; on failure the reason is printed (naming the file) and
// nothing is returned. Lines left out are printed as warnings.
std::optional<IgnoreList> LoadList(const std::string& path) {
    std::string error;
    std::vector<std::string> warnings;
    auto list = LoadIgnoreList(path, &error, &warnings);
    PrintIgnoreListWarnings(warnings);
    if (!list) std::cerr << "vostrel-cli: " << error << "\n";
    return list;
}

bool SaveList(const std::string& path, const IgnoreList& list) {
    std::string error;
    if (SaveIgnoreList(path, list, &error)) return true;
    std::cerr << "vostrel-cli: the ignore list " << path << " could not be written: " << error
              << "\n";
    return false;
}

// A text that goes into the file in double quotes: one line, not empty.
bool UsableText(const std::string& text, const char* what) {
    if (TrimCopy(text).empty()) {
        std::cerr << "vostrel-cli: " << what << " is empty\n";
        return false;
    }
    if (text.find_first_of("\r\n") != std::string::npos || text.find('\0') != std::string::npos) {
        std::cerr << "vostrel-cli: " << what << " must be one line\n";
        return false;
    }
    return true;
}

// The entry of --key (and --value) as the file would hold it, read back by
// the list's own reader, so that a root it would refuse is refused here.
std::optional<IgnoreEntry> KeyEntry(const IgnoreAddOptions& options) {
    if (!UsableText(options.key, "the key")) return std::nullopt;
    if (options.valueGiven && (options.value.find_first_of("\r\n") != std::string::npos)) {
        std::cerr << "vostrel-cli: the value name must be one line\n";
        return std::nullopt;
    }
    if (options.valueGiven && options.value.empty()) {
        std::cerr << "vostrel-cli: the value name is empty; a key's unnamed value is "
                     "--value \"(Default)\"\n";
        return std::nullopt;
    }
    std::string error;
    auto entry =
        RegistryKeyEntry(options.key,
                         options.valueGiven ? std::optional(options.value) : std::nullopt, &error);
    if (!entry) std::cerr << "vostrel-cli: --key " << options.key << ": " << error << "\n";
    return entry;
}

// A shortcut is named by its Windows path, as the scan lists it; a host
// path would never match.
std::optional<IgnoreEntry> ShortcutEntry(const IgnoreAddOptions& options) {
    if (!UsableText(options.shortcut, "the shortcut path")) return std::nullopt;
    if (options.shortcut.front() == '/' || options.shortcut.front() == '~') {
        std::cerr << "vostrel-cli: --shortcut takes the shortcut's Windows path (such as "
                     "C:\\users\\ann\\Desktop\\Game.lnk), as \"scan\" lists it\n";
        return std::nullopt;
    }
    IgnoreEntry entry;
    entry.kind = IgnoreEntry::Kind::Shortcut;
    entry.pattern = options.shortcut;
    return entry;
}

// The problem of id `id` in a scan of the machine, as an entry for it
// (the machine filled in by the caller). The scan leaves nothing out, so
// an id already on the list is found too.
int IdEntry(const IgnoreAddOptions& options, CommandMachine& opened,
            std::optional<IgnoreEntry>& entry) {
    Machine& machine = opened.machine();
    CliProgress progress(ErrorOutputIsTerminal());
    ScanSession session = opened.Session(progress);
    progress.Attach(session);
    // Only a scan to find the id: the settings' scan report is not written.
    opened.settings->Override(std::string(kMakeReportKey), "0");
    if (!LoadChosenSections(session, *opened.settings, options.machine.sections)) return kExitUsage;
    RunScan(session);
    progress.EndProgress();
    if (session.cancelRequested && progress.interrupted()) return kExitCancelled;
    if (const auto ref = FindProblemById(session, options.id)) {
        entry = VisitProblem(session, *ref,
                             [](const auto& problem) { return IgnoreEntryFor(problem, {}); });
        return kExitDone;
    }
    std::cerr << "vostrel-cli: no problem of a scan of " << machine.description << " has the id "
              << options.id
              << " (\"vostrel-cli scan\" lists the ids; --sections must include its section)\n";
    return kExitUsage;
}

int RunIgnoreAdd(const IgnoreAddOptions& options) {
    const int ways = (options.id.empty() ? 0 : 1) + (options.key.empty() ? 0 : 1) +
                     (options.shortcut.empty() ? 0 : 1);
    if (ways != 1) {
        std::cerr
            << "vostrel-cli: ignore add takes one of: an ID, --key ROOT\\KEY, --shortcut PATH\n";
        return kExitUsage;
    }
    if (options.valueGiven && options.key.empty()) {
        std::cerr << "vostrel-cli: --value goes with --key\n";
        return kExitUsage;
    }
    const std::string path = DefaultIgnoreListPath();
    // The list is read first: one that cannot be read is not scanned for.
    auto list = LoadList(path);
    if (!list) return kExitUsage;

    std::optional<IgnoreEntry> entry;
    std::string machineKey;
    if (!options.id.empty() || !options.everywhere) {
        CommandMachine opened;
        if (const int status = OpenCommandMachine(options.machine, opened); status != kExitDone)
            return status;
        machineKey = IgnoreMachineKey(*opened.machine().files);
        if (!options.id.empty()) {
            if (const int status = IdEntry(options, opened, entry); status != kExitDone)
                return status;
        }
    }
    if (!options.key.empty()) entry = KeyEntry(options);
    if (!options.shortcut.empty()) entry = ShortcutEntry(options);
    if (!entry) return kExitUsage;
    entry->machine = options.everywhere ? std::string() : machineKey;

    if (!list->Add(*entry)) {
        std::cout << "Already on the ignore list: " << EntryText(*entry) << "\n";
        return kExitDone;
    }
    if (!SaveList(path, *list)) return kExitFailed;
    std::cout << "Added to the ignore list " << path << ": " << EntryText(*entry) << "\n";
    return kExitDone;
}

int RunIgnoreList(const IgnoreListOptions& options) {
    const std::string path = DefaultIgnoreListPath();
    const auto list = LoadList(path);
    if (!list) return kExitUsage;
    const auto entries = list->Entries();
    if (options.json) {
        auto items = nlohmann::json::array();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const IgnoreEntry& e = entries[i];
            nlohmann::json item{{"number", i + 1},
                                {"machine", e.machine.empty() ? nlohmann::json(nullptr)
                                                              : nlohmann::json(e.machine)},
                                {"kind", KindWord(e.kind)}};
            if (e.kind == IgnoreEntry::Kind::Registry) {
                item["key"] = e.pattern;
                item["value"] = e.value ? nlohmann::json(*e.value) : nlohmann::json(nullptr);
            } else {
                item["path"] = e.pattern;
            }
            items.push_back(std::move(item));
        }
        PrintJson({{"file", path}, {"entries", std::move(items)}});
        return kExitDone;
    }
    if (entries.empty()) {
        std::cout << "The ignore list is empty (" << path << ").\n";
        return kExitDone;
    }
    std::cout << "Ignore list " << path << "\n";
    for (std::size_t i = 0; i < entries.size(); ++i)
        std::cout << "  " << i + 1 << ". " << EntryText(entries[i]) << "\n";
    return kExitDone;
}

int RunIgnoreRemove(const IgnoreRemoveOptions& options) {
    const std::string path = DefaultIgnoreListPath();
    auto list = LoadList(path);
    if (!list) return kExitUsage;
    const auto entries = list->Entries();
    if (options.number == 0 || options.number > entries.size() || !list->Remove(options.number)) {
        std::cerr << "vostrel-cli: the ignore list has no entry " << options.number << " (it has "
                  << entries.size() << "; \"vostrel-cli ignore list\" numbers them)\n";
        return kExitUsage;
    }
    if (!SaveList(path, *list)) return kExitFailed;
    std::cout << "Removed from the ignore list: " << EntryText(entries[options.number - 1]) << "\n";
    return kExitDone;
}

}  // namespace

void AddIgnoreCommand(CLI::App& app, int& status) {
    CLI::App* ignore = app.add_subcommand(
        "ignore",
        "The ignore list: entries a scan leaves alone (never listed, counted or repaired)");
    ignore->require_subcommand(1);

    auto add = std::make_shared<IgnoreAddOptions>();
    CLI::App* addCmd = ignore->add_subcommand(
        "add", "Add a problem (by its id from \"scan\"), a registry key or a shortcut to the list");
    addCmd->add_option("ID", add->id,
                       "A problem's id, as \"scan\" lists it (the machine is scanned to find it)");
    addCmd->add_option("--key", add->key,
                       "A registry key, ROOT\\KEY; * and ? are wildcards (every value of the key)");
    auto* value = addCmd->add_option("--value", add->value, "Only this value of --key");
    addCmd->add_option("--shortcut", add->shortcut,
                       "A shortcut's Windows path; * and ? are wildcards");
    addCmd->add_flag("--everywhere", add->everywhere,
                     "For every machine (default: only the prefix of --prefix)");
    addCmd->add_option("--prefix", add->machine.prefix,
                       "The Wine prefix (default $WINEPREFIX, else ~/.wine)");
    addCmd->add_option("--sections", add->machine.sections,
                       "Catalogue rows the scan for an ID covers, separated by ; (default: the "
                       "rows checked in the settings)");
    addCmd->add_option("--wine", add->machine.wine, "The Wine that runs the prefix");
    addCmd->callback([add, value, &status] {
        add->valueGiven = value->count() > 0;
        status = RunIgnoreAdd(*add);
    });

    auto list = std::make_shared<IgnoreListOptions>();
    CLI::App* listCmd =
        ignore->add_subcommand("list", "Print the list's entries, numbered as remove takes them");
    listCmd->add_flag("--json", list->json, "Print the entries as one JSON object");
    listCmd->callback([list, &status] { status = RunIgnoreList(*list); });

    auto remove = std::make_shared<IgnoreRemoveOptions>();
    CLI::App* removeCmd = ignore->add_subcommand("remove", "Remove entry N (as list numbers it)");
    removeCmd->add_option("N", remove->number, "The entry's number")->required();
    removeCmd->callback([remove, &status] { status = RunIgnoreRemove(*remove); });
}

}  // namespace vostrel::cli
