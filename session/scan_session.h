// One scan of one machine and what it found: the machine's registry, files
// and settings, the section catalogue with its check boxes, the typed
// problems, the summary rows, the times, and the state a scan keeps while
// it runs. Every part of the core reads and writes the session; the front
// ends show it through the observer's events and their own views.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "session/not_checked.h"
#include "session/problem_list.h"
#include "session/problems.h"
#include "session/scan_observer.h"
#include "session/section_choices.h"
#include "system/file_system_api.h"
#include "system/path_presence.h"
#include "system/registry_api.h"
#include "system/settings.h"
#include "system/wine_provides.h"

namespace vostrel {

// What a scan reads from the machine once instead of once per value: the
// drive collection, the folder variables and whether a path exists (many
// registrations name the same few files). Filled on first use and
// forgotten at the start of every scan.
struct MachineFacts {
    std::optional<std::vector<Drive>> drives;
    std::optional<std::map<std::string, std::string>> folderVariables;  // upper-case name -> text
    // The same and the user's variables, for expandable values.
    std::optional<std::map<std::string, std::string>> environmentVariables;
    // What the existence test answered, by path as the check gave it.
    std::unordered_map<std::string, PathPresence> existing;
    // The same for the folders the checks looked for.
    std::unordered_map<std::string, PathPresence> existingFolders;
    // HKCU\Software\Wine\Fonts\External Fonts: upper-case name -> data.
    std::optional<std::map<std::string, std::string>> externalFonts;
};

// What the shortcut walk could not read: folders whose listing was refused
// and shortcut files that could not be parsed. Neither is a problem to
// repair; the scan names them at its end so that a short result is not
// mistaken for a clean one. Emptied at the start of every scan.
struct UnreadableItems {
    std::vector<std::string> folders;    // Windows paths, with a trailing backslash
    std::vector<std::string> shortcuts;  // Windows paths of the files
    bool Empty() const { return folders.empty() && shortcuts.empty(); }
};

// The menu and desktop entries Wine made for the user: the stale ones for
// the scanned prefix (and those of prefixes that are gone). Only the
// builds that run on Wine have one; without it the catalogue has no
// "Wine Menu Entries" row.
// What became of a stale entry since the scan, looked at again right
// before the repair removes it.
struct MenuEntryRecheck {
    enum class Verdict {
        Stale,       // still what the scan judged: it may go
        NowPresent,  // what it starts is there again
        Changed,     // the file now says something else (or is no Wine entry)
        Gone,        // the file is not there any more
        Unknown,     // whether it is still stale cannot be told now: it stays
    };
    Verdict verdict = Verdict::Stale;
    std::string why;  // for the others than Stale: what was found
};

class MenuEntrySource {
public:
    virtual ~MenuEntrySource() = default;
    virtual std::vector<MenuEntryProblem> FindStale() = 0;
    // One problem FindStale gave, judged again as it is now. A source that
    // cannot judge an entry again has it kept.
    virtual MenuEntryRecheck Recheck(const MenuEntryProblem& /*problem*/) {
        return {MenuEntryRecheck::Verdict::Unknown, "it cannot be looked at again"};
    }
    // How many entries the last FindStale left unjudged because the disk
    // that holds their prefix, link or program is not there: never
    // problems, only counted.
    virtual std::size_t UnavailableCount() const { return 0; }
};

// One line of the results' summary: a section that found problems.
struct SummaryRow {
    std::string section;  // the scanner key, or kShortcutSection
    std::string text;     // "Invalid Help Files ( 2 Problem(s) )"
    std::int64_t count = 0;
};

// What a scan leaves out: the entries the user told the program to leave
// alone on this machine. A problem it names is counted in `ignoredCount`
// and never recorded. The front ends make one from the user's ignore list
// (app/ignore_filter.h).
class ProblemFilter {
public:
    virtual ~ProblemFilter() = default;
    virtual bool Ignores(const RegistryProblem& problem) const = 0;
    virtual bool Ignores(const ShortcutProblem& problem) const = 0;
    virtual bool Ignores(const MenuEntryProblem& /*problem*/) const { return false; }
};

// What a scan is asked to do: the catalogue's rows (sections, then drives)
// with the user's choices, and the ignore list it applies.
struct ScanRequest {
    SectionChoices sections;
    // Null: nothing is left out. Not owned.
    const ProblemFilter* ignore = nullptr;
};

// What a scan found: the problems, the summary's rows, when it ran, and
// what it could not read or judge. A scan starts it afresh; a repair takes
// out the problems it dealt with.
struct ScanResult {
    ProblemList problems;
    std::vector<SummaryRow> summary;
    std::string startedAt;  // "HH:MM:SS"
    std::string finishedAt;
    // The same with the date and the time zone (ISO 8601):
    // "2026-12-11T14:03:07+01:00".
    std::string startedStamp;
    std::string finishedStamp;
    UnreadableItems unreadable;
    // Entries the scan could not judge (a drive that is not there, a
    // network target, an unknown path form): neither listed nor repaired.
    NotCheckedCounts notChecked;
    // Problems the user's ignore list matched: neither listed, counted nor
    // repaired; the summary names how many.
    std::size_t ignoredCount = 0;
};

// The select-all box over the catalogue: none, all or some rows checked.
enum class SelectAll { None = 0, All = 1, Mixed = 2 };

class ScanSession {
public:
    ScanSession(RegistryApi& registry, FileSystemApi& files, SettingsStore& settings,
                ScanObserver& observer, WineProvides* wine = nullptr,
                MenuEntrySource* menuEntries = nullptr)
        : registry(registry),
          files(files),
          settings(settings),
          observer(observer),
          wine(wine),
          menuEntries(menuEntries) {}

    RegistryApi& registry;
    FileSystemApi& files;
    SettingsStore& settings;
    ScanObserver& observer;
    // What the Wine running the machine supplies itself; null when nothing
    // is known (the native build, or no Wine found): then only files count.
    WineProvides* wine = nullptr;
    // The user's Wine menu entries; null where there are none to look at.
    MenuEntrySource* menuEntries = nullptr;

    // What the next scan is asked to cover and leave out.
    ScanRequest request;
    SelectAll selectAll = SelectAll::None;

    bool scanning = false;  // a scan is running: a second request is ignored
    // The running scan is to stop. Set from any thread (the window's Cancel,
    // Ctrl-C's handler); the walks look at it where they may stop.
    std::atomic<bool> cancelRequested{false};
    bool syncingSelectAll = false;  // the select-all box follows the rows
    // The value the checks are looking at, as the walk read it (the walk's
    // own text, valid while the check runs).
    std::string_view valueAsRead;
    MachineFacts facts;

    // What the last scan found (emptied when a scan starts).
    ScanResult result;

    std::size_t ProblemCount() const { return result.problems.size(); }
};

// Adds a problem the scan found, unless the ignore list names it (then it
// only counts it in ignoredCount). True when it was added; the caller then
// tells of it with ProblemRecorded.
bool RecordProblem(ScanSession& session, Problem problem);

// An entry the scan could not judge: counted under `why` (and under the
// drive letter for an unavailable drive; 0 when no letter applies).
void CountNotChecked(ScanSession& session, NotCheckedReason why, char drive = 0,
                     std::size_t count = 1);

// A problem was just added: plays the detection sound when the user turned
// it on, and tells the observer the new count.
void ProblemRecorded(ScanSession& session);

}  // namespace vostrel
