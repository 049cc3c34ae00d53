// The repair: every ticked problem of the last scan is written to the run's backup
// file and then removed - registry values first, in list order, then the
// shortcut files, then Wine's stale menu entries with the icons only they
// show. Nothing is removed whose backup could not be written
// while backups are on; such rows are kept and counted.
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
#include <vector>

#include "session/scan_session.h"

namespace vostrel {

struct RepairEvent {
    enum class What { BackedUp, Removed, Kept, Gone };
    What what;
    std::string item;  // "HKEY_LOCAL_MACHINE\Key value Name" or the shortcut's path
    std::string why;   // for Kept: what went wrong
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
    std::optional<std::string> saveError;  // the registry changes could not be saved
    // A failure of the machine's whole half (no backup, backup not flushed,
    // registry not saved): from then on every problem was kept, and none of
    // the shortcuts was removed.
    std::optional<std::string> halted;
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

}  // namespace vostrel
