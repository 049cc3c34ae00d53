// The repair: every ticked problem of the last scan is written to the run's backup
// file and then removed - registry values first, in list order, then the
// shortcut files, then Wine's stale menu entries with the icons only they
// show. Nothing is removed whose backup could not be written
// while backups are on; such rows are kept and counted.
//
// Every entry is looked at again right before it is backed up and removed:
// a registry value that is gone, holds other data than the scan read, or
// whose file is there again, and a menu entry whose program came back, are
// skipped - left as they are, without a record in the backup.
//
// Each half writes all its records, flushes them once (group commit) and
// only then removes what they saved; the registry's removals are saved at
// once. A repair is all or nothing on its machine: when the backup cannot be
// started or flushed, or the registry cannot be saved, no value counts as
// removed and no shortcut is touched, and the outcome says so.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/scan_session.h"

namespace vostrel {

struct RepairEvent {
    // Gone: removed by someone else since the scan. Skipped: no longer a
    // problem (its why is kSkippedNowPresent or kSkippedChanged, then what
    // was found).
    enum class What { BackedUp, Removed, Kept, Gone, Skipped };
    What what;
    std::string item;  // "HKEY_LOCAL_MACHINE\Key value Name" or the shortcut's path
    std::string why;   // for Kept: what went wrong; for Skipped: why it stays
};

inline constexpr std::string_view kSkippedNowPresent = "now present";
inline constexpr std::string_view kSkippedChanged = "changed since the scan";
inline constexpr std::string_view kSkippedGone = "gone already";

// The entries the repair left alone because they were no longer problems.
struct RepairSkips {
    int nowPresent = 0;  // the file it names is there again
    int changed = 0;     // it holds something else than the scan read
    int gone = 0;        // it was removed since the scan
    int Total() const { return nowPresent + changed + gone; }
};

struct RepairOptions {
    std::function<void(const RepairEvent&)> onEvent;
    // Runs after every change the repair makes (a record, a removal); tests
    // stop the program there to see what a crash leaves behind.
    std::function<void()> afterStep;
    // Runs after the closing notice: the desktop program repaints and
    // reloads the section catalogue.
    std::function<void()> afterNotice;
    std::optional<std::tm> startTime;  // the run's start (now when absent)
};

struct RepairOutcome {
    std::optional<std::string> refusal;  // why nothing was touched
    std::string backupFilePath;          // empty when backups are off
    int removed = 0;
    int kept = 0;
    RepairSkips skipped;                   // neither removed nor kept: no longer a problem
    std::optional<std::string> saveError;  // the registry changes could not be saved
    // A failure of the machine's whole half (no backup, backup not flushed,
    // registry not saved): from then on every problem was kept, and none of
    // the shortcuts was removed.
    std::optional<std::string> halted;
    // The user stopped the repair: what it had not backed up yet was kept.
    bool stopped = false;
    std::string machine;  // the prefix (or "this computer") repaired
};

// The repair of every selected (ticked) problem of the session. The
// observer hears RepairStarted/RepairStep/RepairFinished and gives the
// closing notice (FilesRepaired, or FilesKept when anything was kept). The
// repaired problems leave the lists; the unticked ones stay, and the summary
// rows are counted again from them. Nothing is touched when the machine
// refuses writes (outcome.refusal).
RepairOutcome RepairAll(ScanSession& session, const RepairOptions& options = {});

// What the repair's confirmation promises about backups: "Every one is
// backed up first." when backups are on, else that none will be made and
// which setting says so.
std::string RepairBackupPromise(bool backupsOn);

// The text of the closing notice for an outcome.
std::string RepairNoticeText(const RepairOutcome& outcome);

// "2 were skipped: 1 now present, 1 gone already." - empty when none was.
std::string RepairSkipsText(const RepairSkips& skips);

}  // namespace vostrel
