#include "results/repair.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <type_traits>

#include "results/backup_file.h"
#include "results/result_views.h"
#include "scan/problem_rows.h"
#include "scan/registration_keys.h"
#include "scan/registry_walker.h"
#include "shortcuts/shortcut_check.h"
#include "system/registry.h"
#include "system/text.h"

namespace vostrel {

namespace {

std::tm Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

bool ValueStillThere(RegistryApi& registry, HKEY root, std::string_view keyPath,
                     std::string_view name) {
    ScopedKey key(registry);
    if (registry.OpenKeyEx(root, keyPath, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
    DWORD kind = 0;
    std::vector<std::uint8_t> data;
    return registry.QueryValueRaw(key.get(), name, &kind, &data) == ERROR_SUCCESS;
}

// A registry problem looked at again right before its backup and removal.
struct ValueRecheck {
    enum class Verdict { Remove, NowPresent, Changed, Gone, Kept };
    Verdict verdict = Verdict::Remove;
    std::string why;  // what was found (for Remove and Gone: nothing)
};

// The value is read again by its name, as the scan's walk reads it, and the
// file the scan found missing is looked for again with the scan's own test.
// It may go only when it still holds what the scan read and its file is
// still certainly missing; a value or file that cannot be looked at now is
// kept.
ValueRecheck RecheckValue(ScanSession& session, const RegistryProblem& problem) {
    using Verdict = ValueRecheck::Verdict;
    RegistryApi& registry = session.registry;
    ScopedKey key(registry);
    const LONG open = registry.OpenKeyEx(problem.root, problem.keyPath, KEY_READ, key.out());
    if (open == ERROR_FILE_NOT_FOUND || open == ERROR_PATH_NOT_FOUND) return {Verdict::Gone, {}};
    if (open != ERROR_SUCCESS) return {Verdict::Kept, "its key could not be read again"};
    // The unnamed value is listed as "(Default)", and so is a value of that very name.
    std::vector<std::string_view> names{problem.valueName};
    if (problem.valueName == kDefaultValueName) names = {std::string_view(), kDefaultValueName};
    bool found = false, same = false;
    for (const std::string_view name : names) {
        std::string text;
        const LONG status = ReadValueAsChecked(registry, key.get(), name, &text);
        if (status == ERROR_FILE_NOT_FOUND) continue;
        if (status != ERROR_SUCCESS) return {Verdict::Kept, "it could not be read again"};
        found = true;
        // A problem put together without the data the walk read (none of
        // the scan's own) has nothing to compare.
        same = problem.dataAsRead.empty() || text == problem.dataAsRead;
        if (same) break;
    }
    if (!found) return {Verdict::Gone, {}};
    if (!same) return {Verdict::Changed, "it no longer holds " + problem.dataAsRead};
    if (problem.testedPath.empty()) return {Verdict::Remove, {}};
    if (problem.testedClass) {
        const auto name = ClassOfTestedPath(problem.testedPath);
        if (!name) return {Verdict::Kept, "it names no class that can be looked for"};
        if (ClassRegistered(registry, *name))
            return {Verdict::NowPresent, problem.testedPath + " is registered"};
        return {Verdict::Remove, {}};
    }
    const PathPresence probe = ProbeAgain(session, problem.testedPath, problem.testedFolder);
    if (probe.kind == PathPresence::Present)
        return {Verdict::NowPresent, problem.testedPath + " is there"};
    if (probe.kind == PathPresence::Missing) return {Verdict::Remove, {}};
    return {Verdict::Kept, "whether " + problem.testedPath + " is there cannot be told now" +
                               (probe.why.empty() ? std::string() : ": " + probe.why)};
}

// How a problem is named in the repair's events: "HKEY_LOCAL_MACHINE\\Key value Name".
std::string ItemText(const RegistryProblem& problem) {
    return problem.rootName + "\\" + problem.keyPath + " value " + problem.valueName;
}

template <typename Range>
bool AnySelected(const Range& problems) {
    return std::any_of(problems.begin(), problems.end(), [](const auto& p) {
        if constexpr (std::is_same_v<std::decay_t<decltype(p)>, Problem>)
            return IsSelected(p);
        else
            return p.selected;
    });
}

// The summary rows of what is left after a repair: each section's count
// made again from its remaining problems, a row left without any dropped.
void RecountSummary(ScanSession& session) {
    std::vector<SummaryRow> rows;
    for (const SummaryRow& row : session.result.summary) {
        std::int64_t count = 0;
        std::string text;
        if (row.section == kShortcutSection) {
            count = static_cast<std::int64_t>(session.result.problems.Of<ShortcutProblem>().size());
            text = ShortcutSummaryText(count);
        } else if (row.section == kMenuEntrySection || row.section == kOrphanMenuEntrySection) {
            const bool orphans = row.section == kOrphanMenuEntrySection;
            const auto entries = session.result.problems.Of<MenuEntryProblem>();
            count = std::count_if(entries.begin(), entries.end(),
                                  [&](const MenuEntryProblem& p) { return p.orphan == orphans; });
            text = MenuEntrySummaryText(orphans, count);
        } else {
            const auto values = session.result.problems.Of<RegistryProblem>();
            count = std::count_if(values.begin(), values.end(), [&](const RegistryProblem& p) {
                return p.scanner == row.section;
            });
            text = SectionSummaryText(row.section, count);
        }
        if (count > 0 && !text.empty()) rows.push_back({row.section, std::move(text), count});
    }
    session.result.summary = std::move(rows);
}

// A registry problem whose record is written and whose value is to go.
struct PendingValue {
    HKEY root;
    std::string keyPath, valueName, item;
};

// A key whose record is written and which goes whole, with the items of
// its problems.
struct PendingKey {
    HKEY root;
    std::string keyPath;
    std::vector<std::string> items;
};

// A registration key and the problems the scan found in it.
struct WholeKeyCandidate {
    const RegistryProblem* registration = nullptr;
    std::vector<const RegistryProblem*> members;  // every problem in the key
    std::vector<const RegistryProblem*> still;    // those still a problem now
    bool whole = true;                            // every member ticked, none kept or skipped
};

class Repair {
public:
    Repair(ScanSession& session, const RepairOptions& options)
        : session_(session), options_(options) {}
    RepairOutcome Run();

private:
    void Tell(RepairEvent::What what, const std::string& item, const std::string& why = {}) {
        if (options_.onEvent) options_.onEvent({what, item, why});
    }
    void Keep(const std::string& item, const std::string& why) {
        ++outcome_.kept;
        Tell(RepairEvent::What::Kept, item, why);
    }
    // Removed by someone else since the scan: nothing to save or remove.
    void Gone(const std::string& item) {
        ++outcome_.skipped.gone;
        Tell(RepairEvent::What::Gone, item);
    }
    // No longer a problem: left as it is.
    void Skip(const std::string& item, std::string_view reason, const std::string& found) {
        ++(reason == kSkippedNowPresent ? outcome_.skipped.nowPresent : outcome_.skipped.changed);
        Tell(RepairEvent::What::Skipped, item,
             std::string(reason) + (found.empty() ? "" : ": " + found));
    }
    // A registry problem looked at again; true when it may be backed up and removed.
    bool StillAProblem(const RegistryProblem& problem, const std::string& item);
    // A menu entry looked at again; true when it may be backed up and removed.
    bool StillStale(const MenuEntryProblem& problem);
    void Step() {
        if (options_.afterStep) options_.afterStep();
    }
    void AdvanceProgress();
    // The user asked the repair to stop (Ctrl-C, quitting the window): what is
    // not yet backed up is kept; what is already backed up still goes.
    bool StopAsked() {
        stopped_ = stopped_ || session_.cancelRequested;
        return stopped_;
    }
    template <typename Problem>
    bool BackUp(const Problem& problem, const std::string& item);
    bool CommitBackups(const std::vector<std::string>& items);
    void RegistryPart();
    void ShortcutPart();
    void RemoveShortcut(const std::string& path);
    void MenuEntryPart();
    bool BackUpHostFile(std::string_view kind, const std::string& path);
    void Finish();

    ScanSession& session_;
    const RepairOptions& options_;
    bool backups_ = true;
    std::unique_ptr<BackupWriter> writer_;
    // Set when the machine-wide half failed: nothing more is changed.
    std::optional<std::string> halted_;
    bool stopped_ = false;
    RepairOutcome outcome_;
};

constexpr std::string_view kStoppedWhy = "the repair was stopped before it came to it";

void Repair::AdvanceProgress() { session_.observer.RepairStep(); }

// Appends the problem's record (not yet flushed). True when the problem may
// go once the records are committed, or backups are off.
template <typename Problem>
bool Repair::BackUp(const Problem& problem, const std::string& item) {
    if (!backups_) return true;
    std::string error;
    const bool written = writer_->Add(session_, problem, &error);
    Step();
    if (!written) Keep(item, "its backup could not be written: " + error);
    return written;
}

// Puts the records of `items` on the disk at once. When that fails nothing
// of them may be removed: each is kept, and the repair stops changing the
// machine.
bool Repair::CommitBackups(const std::vector<std::string>& items) {
    if (!backups_ || items.empty()) return true;
    std::string error;
    if (writer_->Commit(&error)) {
        for (const auto& item : items) Tell(RepairEvent::What::BackedUp, item);
        return true;
    }
    halted_ = "the backup could not be put on the disk: " + error;
    for (const auto& item : items) Keep(item, *halted_);
    return false;
}

bool Repair::StillAProblem(const RegistryProblem& problem, const std::string& item) {
    const ValueRecheck check = RecheckValue(session_, problem);
    switch (check.verdict) {
        case ValueRecheck::Verdict::Remove: return true;
        case ValueRecheck::Verdict::NowPresent: Skip(item, kSkippedNowPresent, check.why); break;
        case ValueRecheck::Verdict::Changed: Skip(item, kSkippedChanged, check.why); break;
        case ValueRecheck::Verdict::Gone: Gone(item); break;
        case ValueRecheck::Verdict::Kept: Keep(item, check.why); break;
    }
    return false;
}

void Repair::RegistryPart() {
    if (!AnySelected(session_.result.problems.Of<RegistryProblem>()) ||
        session_.result.summary.empty())
        return;
    session_.observer.RepairStarted();
    // The files are looked for as they are now, not as the scan saw them.
    session_.files.ForgetCache();
    const auto problems = session_.result.problems.Of<RegistryProblem>();
    // A key that is a program's registration goes whole when every problem
    // in it is ticked and still a problem; else its values go one by one.
    std::map<std::pair<HKEY, std::string>, WholeKeyCandidate> keys;
    for (const RegistryProblem& problem : problems)
        if (problem.selected && problem.wholeKey)
            keys[{problem.root, UpperAscii(problem.keyPath)}].registration = &problem;
    for (const RegistryProblem& problem : problems) {
        const auto it = keys.find({problem.root, UpperAscii(problem.keyPath)});
        if (it == keys.end()) continue;
        if (!problem.selected) it->second.whole = false;
        it->second.members.push_back(&problem);
    }
    // Every record of the batch first, then one flush, then the removals,
    // saved at once: nothing is removed before its backup is on the disk.
    std::vector<PendingValue> pending;
    std::vector<std::string> items;
    auto backUpValue = [&](const RegistryProblem& problem) {
        PendingValue value{problem.root, problem.keyPath, problem.valueName, ItemText(problem)};
        if (BackUp(problem, value.item)) {
            items.push_back(value.item);
            pending.push_back(std::move(value));
        }
    };
    // The problems leave the list together at the end; unticked ones stay.
    for (const RegistryProblem& problem : problems) {
        if (!problem.selected) continue;
        AdvanceProgress();
        const std::string item = ItemText(problem);
        if (!halted_ && StopAsked()) {
            Keep(item, std::string(kStoppedWhy));
            if (auto it = keys.find({problem.root, UpperAscii(problem.keyPath)}); it != keys.end())
                it->second.whole = false;
            continue;
        }
        if (problem.valueName.empty() || halted_) continue;
        const auto key = keys.find({problem.root, UpperAscii(problem.keyPath)});
        if (!StillAProblem(problem, item)) {
            if (key != keys.end()) key->second.whole = false;
            continue;
        }
        if (key != keys.end())
            key->second.still.push_back(&problem);  // backed up with its key, below
        else
            backUpValue(problem);
    }
    std::vector<PendingKey> pendingKeys;
    for (auto& [where, candidate] : keys) {
        std::optional<StoredKey> stored;
        if (candidate.whole && candidate.still.size() == candidate.members.size()) {
            std::vector<std::string> dead;
            for (const RegistryProblem* member : candidate.members)
                dead.push_back(member->valueName);
            stored = ReadStoredKey(session_.registry, candidate.registration->root,
                                   candidate.registration->keyPath);
            if (stored && !HoldsNothingElseThatLives(*stored, dead)) stored.reset();
        }
        if (!stored) {
            for (const RegistryProblem* problem : candidate.still) backUpValue(*problem);
            continue;
        }
        PendingKey key{candidate.registration->root, candidate.registration->keyPath, {}};
        for (const RegistryProblem* member : candidate.members)
            key.items.push_back(ItemText(*member));
        std::string error;
        if (backups_ && !writer_->AddKey(*candidate.registration, *stored, &error)) {
            for (const auto& item : key.items)
                Keep(item, "its backup could not be written: " + error);
            continue;
        }
        Step();
        items.insert(items.end(), key.items.begin(), key.items.end());
        pendingKeys.push_back(std::move(key));
    }
    session_.result.problems.RemoveSelectedOf<RegistryProblem>();
    if ((pending.empty() && pendingKeys.empty()) || !CommitBackups(items)) return;
    session_.registry.BeginBatch();
    std::vector<std::string> removed;
    for (const auto& value : pending) {
        if (value.valueName == kDefaultValueName) {
            SetRegistryValue(session_.registry, value.root, value.keyPath, "", std::string());
            DeleteRegistryValue(session_.registry, value.root, value.keyPath, kDefaultValueName);
        } else {
            DeleteRegistryValue(session_.registry, value.root, value.keyPath, value.valueName);
        }
        // For a default row the value literally named "(Default)" must be gone.
        if (ValueStillThere(session_.registry, value.root, value.keyPath, value.valueName))
            Keep(value.item, "it could not be removed: " +
                                 session_.registry.WriteRefusal().value_or("the registry refused"));
        else
            removed.push_back(value.item);
    }
    for (const auto& key : pendingKeys) {
        const LONG status = session_.registry.DeleteKey(key.root, key.keyPath);
        if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
            removed.insert(removed.end(), key.items.begin(), key.items.end());
            continue;
        }
        const std::string why = "its key could not be removed: " +
                                session_.registry.WriteRefusal().value_or(
                                    status == ERROR_ACCESS_DENIED ? "it holds keys of its own now"
                                                                  : "the registry refused");
        for (const auto& item : key.items) Keep(item, why);
    }
    std::string saveError;
    const bool saved = session_.registry.EndBatch(&saveError);
    Step();
    if (!saved) {
        outcome_.saveError = saveError;
        halted_ = "the registry could not be saved: " + saveError;
        for (const std::string& item : removed) Keep(item, *halted_);
        return;
    }
    for (const std::string& item : removed) {
        ++outcome_.removed;
        Tell(RepairEvent::What::Removed, item);
    }
}

// The one place a shortcut file is removed.
// The file is looked at again and held right before its removal: only the
// file the scan judged is removed, through the folder it was found in, so a
// folder swapped for a link meanwhile cannot send the removal elsewhere.
void Repair::RemoveShortcut(const std::string& path) {
    ShortcutRecheck check = RecheckBrokenShortcut(session_, path);
    if (check.verdict == ShortcutRecheck::Verdict::Gone) {
        Gone(path);
        return;
    }
    std::string why = check.why;
    if (check.verdict == ShortcutRecheck::Verdict::Remove && check.held->Remove(&why)) {
        ++outcome_.removed;
        Tell(RepairEvent::What::Removed, path);
        return;
    }
    Keep(path, why.empty() ? "it could not be deleted" : why);
}

void Repair::ShortcutPart() {
    std::vector<std::string> pending;
    for (const ShortcutProblem& problem : session_.result.problems.Of<ShortcutProblem>()) {
        if (!problem.selected) continue;
        AdvanceProgress();
        const std::string& path = problem.path;
        if (halted_) {
            Keep(path,
                 "nothing on " + outcome_.machine + " was changed by this repair: " + *halted_);
            continue;
        }
        if (StopAsked()) {
            Keep(path, std::string(kStoppedWhy));
            continue;
        }
        // Only a file that is still the broken shortcut the scan judged is
        // backed up; it is checked again when it is removed.
        const ShortcutRecheck check = RecheckBrokenShortcut(session_, path);
        if (check.verdict == ShortcutRecheck::Verdict::Gone) {
            Gone(path);  // removed since the scan: nothing to save
            continue;
        }
        if (check.verdict == ShortcutRecheck::Verdict::Kept) {
            Keep(path, check.why);
            continue;
        }
        if (BackUp(problem, path)) pending.push_back(path);
    }
    if (!pending.empty() && CommitBackups(pending)) {
        for (const auto& path : pending) {
            RemoveShortcut(path);
            Step();
        }
    }
    session_.files.ForgetCache();
}

// The menu entries, after the shortcuts: each ticked entry's file and the
// icons that only the removed entries show are backed up together, then
// removed. An icon stays while any entry left alone (or kept) shows it.
void Repair::MenuEntryPart() {
    const auto& problems = session_.result.problems.Of<MenuEntryProblem>();
    std::set<std::string> iconsInUse;
    for (const MenuEntryProblem& problem : problems)
        if (!problem.selected) iconsInUse.insert(problem.icons.begin(), problem.icons.end());
    std::vector<const MenuEntryProblem*> pending;
    std::vector<std::string> items;
    for (const MenuEntryProblem& problem : problems) {
        if (!problem.selected) continue;
        AdvanceProgress();
        if (halted_) {
            Keep(problem.path,
                 "nothing on " + outcome_.machine + " was changed by this repair: " + *halted_);
            iconsInUse.insert(problem.icons.begin(), problem.icons.end());
            continue;
        }
        if (StopAsked()) {
            Keep(problem.path, std::string(kStoppedWhy));
            iconsInUse.insert(problem.icons.begin(), problem.icons.end());
            continue;
        }
        const HostFileState state = HostFileStateOf(problem.path);
        if (state == HostFileState::Gone) {
            Gone(problem.path);
        } else if (state == HostFileState::Other) {
            Keep(problem.path, "it is no longer a plain file");
            iconsInUse.insert(problem.icons.begin(), problem.icons.end());
        } else if (!StillStale(problem)) {
            iconsInUse.insert(problem.icons.begin(), problem.icons.end());
        } else if (BackUpHostFile(kMenuEntryRecord, problem.path)) {
            pending.push_back(&problem);
            items.push_back(problem.path);
        } else {
            iconsInUse.insert(problem.icons.begin(), problem.icons.end());
        }
    }
    std::set<std::string> icons;
    for (const MenuEntryProblem* problem : pending)
        for (const auto& icon : problem->icons)
            if (!iconsInUse.count(icon) && HostFileStateOf(icon) == HostFileState::Regular)
                icons.insert(icon);
    std::vector<std::string> savedIcons;
    for (const auto& icon : icons) {
        std::string error;
        if (!backups_ || writer_->AddHostFile(kMenuIconRecord, icon, &error))
            savedIcons.push_back(icon);
        else
            iconsInUse.insert(icon);  // an icon without its backup stays where it is
    }
    items.insert(items.end(), savedIcons.begin(), savedIcons.end());
    if (items.empty() || !CommitBackups(items)) return;
    for (const MenuEntryProblem* problem : pending) {
        std::string why;
        if (RemoveHostFile(problem->path, &why)) {
            ++outcome_.removed;
            Tell(RepairEvent::What::Removed, problem->path);
        } else {
            Keep(problem->path, why);
            iconsInUse.insert(problem->icons.begin(), problem->icons.end());
        }
        Step();
    }
    for (const auto& icon : savedIcons) {
        if (iconsInUse.count(icon)) continue;
        std::string why;
        if (RemoveHostFile(icon, &why))
            Tell(RepairEvent::What::Removed, icon);
        else
            Keep(icon, why);
        Step();
    }
}

// Without a source of entries (none was scanned) there is nothing to ask.
bool Repair::StillStale(const MenuEntryProblem& problem) {
    if (!session_.menuEntries) return true;
    const MenuEntryRecheck check = session_.menuEntries->Recheck(problem);
    switch (check.verdict) {
        case MenuEntryRecheck::Verdict::Stale: return true;
        case MenuEntryRecheck::Verdict::NowPresent:
            Skip(problem.path, kSkippedNowPresent, check.why);
            break;
        case MenuEntryRecheck::Verdict::Changed:
            Skip(problem.path, kSkippedChanged, check.why);
            break;
        case MenuEntryRecheck::Verdict::Gone: Gone(problem.path); break;
        case MenuEntryRecheck::Verdict::Unknown: Keep(problem.path, check.why); break;
    }
    return false;
}

bool Repair::BackUpHostFile(std::string_view kind, const std::string& path) {
    if (!backups_) return true;
    std::string error;
    const bool written = writer_->AddHostFile(kind, path, &error);
    Step();
    if (!written) Keep(path, "its backup could not be written: " + error);
    return written;
}

void Repair::Finish() {
    session_.result.problems.RemoveSelectedOf<ShortcutProblem>();
    session_.result.problems.RemoveSelectedOf<MenuEntryProblem>();
    RecountSummary(session_);
    session_.cancelRequested = false;
    session_.observer.RepairFinished();
    const bool clean = outcome_.kept == 0 && !outcome_.saveError && !outcome_.halted;
    session_.observer.Confirm(clean ? Question::FilesRepaired : Question::FilesKept);
    if (options_.afterNotice) options_.afterNotice();
}

RepairOutcome Repair::Run() {
    if (auto refusal = session_.registry.WriteRefusal()) {
        outcome_.refusal = std::move(refusal);
        return outcome_;
    }
    outcome_.machine = MachineIdentity(session_.files);
    backups_ = BackupsEnabled(session_.settings);
    const std::tm start = options_.startTime.value_or(Now());
    // With nothing ticked there is nothing to save: no empty backup file.
    const bool anyTicked = AnySelected(session_.result.problems);
    if (backups_ && anyTicked) {
        std::string error;
        writer_ =
            BackupWriter::Create(BackupFolder(session_.settings), start, outcome_.machine, &error);
        if (writer_)
            outcome_.backupFilePath = writer_->path();
        else
            halted_ = "no backup could be started: " + error;
    }
    if (halted_) {
        // Without a backup nothing is touched: every problem is kept.
        for (const auto& problem : session_.result.problems.Of<RegistryProblem>())
            if (problem.selected) Keep(ItemText(problem), *halted_);
        session_.result.problems.RemoveSelectedOf<RegistryProblem>();
    }
    RegistryPart();
    ShortcutPart();
    MenuEntryPart();
    outcome_.halted = halted_;
    outcome_.stopped = stopped_;
    Finish();
    return outcome_;
}

}  // namespace

RepairOutcome RepairAll(ScanSession& session, const RepairOptions& options) {
    return Repair(session, options).Run();
}

std::string RepairBackupPromise(bool backupsOn) {
    if (backupsOn) return "Every one is backed up first.";
    return "No backup will be made: \"Make Backup Before Repairing\" is off (setting \"" +
           std::string(kMakeBackupKey) + "\" is 0).";
}

std::string RepairNoticeText(const RepairOutcome& outcome) {
    if (outcome.refusal) return "Nothing was repaired: " + *outcome.refusal;
    if (outcome.saveError)
        return " The registry changes could not be saved: " + *outcome.saveError + " Nothing on " +
               outcome.machine + " was changed.";
    if (outcome.halted)
        return " Nothing on " + outcome.machine + " was changed; " + std::to_string(outcome.kept) +
               (outcome.kept == 1 ? " was" : " were") + " kept: " + *outcome.halted;
    const std::string skipped = RepairSkipsText(outcome.skipped);
    if (outcome.stopped)
        return " The repair was stopped: " + std::to_string(outcome.removed) +
               " problems were repaired; " + std::to_string(outcome.kept) +
               (outcome.kept == 1 ? " was" : " were") + " kept." +
               (skipped.empty() ? "" : " " + skipped);
    if (outcome.kept == 0 && skipped.empty()) return " All Problems were repaired sucessfully !";
    std::string text = " " + std::to_string(outcome.removed) + " problems were repaired; ";
    if (outcome.kept > 0)
        text += std::to_string(outcome.kept) + (outcome.kept == 1 ? " was" : " were") +
                " kept: their backup could not be written, or they changed since the scan." +
                (skipped.empty() ? "" : " ");
    return text + skipped;
}

std::string RepairSkipsText(const RepairSkips& skips) {
    const int total = skips.Total();
    if (total == 0) return {};
    std::string text = std::to_string(total) + (total == 1 ? " was" : " were") + " skipped: ";
    std::string parts;
    const auto add = [&parts](int count, std::string_view reason) {
        if (count == 0) return;
        parts += (parts.empty() ? "" : ", ") + std::to_string(count) + " " + std::string(reason);
    };
    add(skips.nowPresent, kSkippedNowPresent);
    add(skips.changed, kSkippedChanged);
    add(skips.gone, kSkippedGone);
    return text + parts + ".";
}

}  // namespace vostrel
