// vostrel-cli prefixes, and the loop behind "scan --all".
#include "cli/commands.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_progress.h"
#include "prefixes/prefix_finder.h"

namespace vostrel::cli {

namespace {

constexpr const char* kNoPrefixes = "No Wine prefixes found.";

// Ctrl-C cancels the scan under way (which still prints what it found) and
// ends the loop: the prefixes after it are left unscanned, and said so.
bool StoppedByCtrlC(std::size_t done, std::size_t total) {
    if (!CtrlCPressed()) return false;
    if (done < total)
        std::cerr << "vostrel-cli: cancelled; " << total - done << " prefix(es) not scanned\n";
    return true;
}

prefixes::PrefixSearch FindAndWarn() {
    prefixes::PrefixSearch search = prefixes::FindWinePrefixes(prefixes::PlacesFromEnvironment());
    for (const auto& warning : search.warnings)
        std::cerr << "vostrel-cli: warning: skipped " << warning << "\n";
    return search;
}

nlohmann::json PrefixJson(const prefixes::FoundPrefix& prefix) {
    return {{"path", prefix.path}, {"label", prefix.label}, {"source", prefix.source}};
}

int RunPrefixes(bool json) {
    const prefixes::PrefixSearch search = FindAndWarn();
    if (json) {
        auto list = nlohmann::json::array();
        for (const auto& prefix : search.prefixes) list.push_back(PrefixJson(prefix));
        PrintJson(list);
        return 0;
    }
    if (search.prefixes.empty()) {
        std::cout << kNoPrefixes << "\n";
        return 0;
    }
    std::size_t labelWidth = 5, sourceWidth = 6;
    for (const auto& prefix : search.prefixes) {
        labelWidth = std::max(labelWidth, prefix.label.size());
        sourceWidth = std::max(sourceWidth, prefix.source.size());
    }
    auto line = [&](const std::string& label, const std::string& source, const std::string& path) {
        std::cout << label << std::string(labelWidth - label.size() + 2, ' ') << source
                  << std::string(sourceWidth - source.size() + 2, ' ') << path << "\n";
    };
    line("Label", "Source", "Path");
    for (const auto& prefix : search.prefixes) line(prefix.label, prefix.source, prefix.path);
    return 0;
}

// Standard output goes into a string while it lives.
class CapturedOutput {
public:
    CapturedOutput() : old_(std::cout.rdbuf(text_.rdbuf())) {}
    ~CapturedOutput() { std::cout.rdbuf(old_); }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;
    std::string text() const { return text_.str(); }

private:
    std::ostringstream text_;
    std::streambuf* old_;
};

}  // namespace

void AddPrefixesCommand(CLI::App& app, int& status) {
    auto json = std::make_shared<bool>(false);
    CLI::App* command = app.add_subcommand("prefixes",
                                           "List every Wine prefix found for the user (Steam, "
                                           "Lutris, Bottles, Heroic, winetricks, ...)");
    command->add_flag("--json", *json, "Print the list as a JSON array of {path, label, source}");
    command->callback([json, &status] { status = RunPrefixes(*json); });
}

int ScanEveryPrefix(bool json, const std::function<int(const std::string& prefix)>& scanOne) {
    const prefixes::PrefixSearch search = FindAndWarn();
    int status = 0;
    if (json) {
        auto scans = nlohmann::json::array();
        for (std::size_t i = 0; i < search.prefixes.size(); ++i) {
            const auto& prefix = search.prefixes[i];
            std::string text;
            {
                CapturedOutput captured;
                if (const int one = scanOne(prefix.path); one != 0 && status == 0)
                    status = one == kExitCancelled ? one : 1;
                text = captured.text();
            }
            auto scan = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
            if (scan.is_discarded() || !scan.is_object()) {
                status = 1;  // the scan said why on the error output
                continue;
            }
            if (!scan.contains("machine")) scan["machine"] = "Wine prefix " + prefix.path;
            scan["prefix"] = PrefixJson(prefix);
            scans.push_back(std::move(scan));
            if (StoppedByCtrlC(i + 1, search.prefixes.size())) {
                status = kExitCancelled;
                break;
            }
        }
        PrintJson(scans);
        return status;
    }
    if (search.prefixes.empty()) {
        std::cout << kNoPrefixes << "\n";
        return 0;
    }
    for (std::size_t i = 0; i < search.prefixes.size(); ++i) {
        const auto& prefix = search.prefixes[i];
        if (i > 0) std::cout << "\n";
        const std::string heading = prefix.label + " (" + prefix.source + ")";
        std::cout << heading << "\n" << std::string(heading.size(), '=') << "\n";
        std::cout.flush();
        if (const int one = scanOne(prefix.path); one != 0 && status == 0)
            status = one == kExitCancelled ? one : 1;
        std::cout.flush();
        if (StoppedByCtrlC(i + 1, search.prefixes.size())) {
            status = kExitCancelled;
            break;
        }
    }
    return status;
}

}  // namespace vostrel::cli
