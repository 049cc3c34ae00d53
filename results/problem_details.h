// What the results view says about each problem, beyond the one detail
// line: the entry (the registry key and value, or the shortcut file), what
// it holds, the path looked for and why it counts as missing. Also the
// tick boxes the user sets before a repair: per problem, and per summary
// line for all of its problems at once, and the question the repair asks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "session/problem_ref.h"
#include "session/scan_session.h"

namespace vostrel {

// The reasons a problem counts as missing.
inline constexpr std::string_view kReasonFileNotFound = "file not found";
inline constexpr std::string_view kReasonFolderNotFound = "folder not found";
inline constexpr std::string_view kReasonClassNotRegistered = "class not registered";
inline constexpr std::string_view kReasonNotInSystemFolder =
    "file not found (looked for in the system folder)";
inline constexpr std::string_view kReasonTargetFolderNotFound =
    "folder of the shortcut's target not found";

struct ProblemDetails {
    std::string line;       // the detail line ("This file could not be found ...")
    std::string entry;      // "HKEY_LOCAL_MACHINE\key\path", or the shortcut's path
    std::string value;      // the value name ("(Default)"); empty for a shortcut
    std::string holds;      // the data as read, or the shortcut's target
    std::string lookedFor;  // the path tested and not found
    std::string why;        // why it counts as missing
    std::string id;  // the problem's id (results/problem_id.h); set by DetailsOf(session, ref)
};

ProblemDetails DetailsOf(const RegistryProblem& problem);
// The target's folder is looked at on `files` to tell a missing folder from
// a missing file.
ProblemDetails DetailsOf(const ShortcutProblem& problem, FileSystemApi& files);
// A menu entry: its file, what it starts and why that is gone (for an
// orphan, the prefix it names).
ProblemDetails DetailsOf(const MenuEntryProblem& problem);

// The entry as one line of text: `ROOT\key value "name"`, or the shortcut's path.
std::string EntryText(const RegistryProblem& problem);

// The problems a summary line stands for: the registry problems of every
// section whose name the line holds, in the order found, then, for the
// shortcut line, every broken shortcut, and for a menu entries line its
// entries (the rows DetailLines makes).
std::vector<ProblemRef> ProblemsOfSummary(const ScanSession& session, std::string_view summaryText);

// "R3" / "S0" / "M1": a reference as text, and back (false for anything else or
// a position past the session's lists).
std::string RefText(const ProblemRef& ref);
bool ParseRef(const ScanSession& session, std::string_view text, ProblemRef* ref);

// Whether the session still has a problem at the reference's place.
bool Exists(const ScanSession& session, const ProblemRef& ref);

// The one detail line of the problem a reference names (the first column
// of the details list), made without looking at any file.
std::string DetailLine(const ScanSession& session, const ProblemRef& ref);

// The details of the problem a reference names.
ProblemDetails DetailsOf(ScanSession& session, const ProblemRef& ref);

bool IsSelected(const ScanSession& session, const ProblemRef& ref);
void SetSelected(ScanSession& session, const ProblemRef& ref, bool selected);

// The tick box of a summary line: none, some or all of its problems ticked.
enum class GroupTick { None, Some, All };
GroupTick SummaryTick(const ScanSession& session, std::string_view summaryText);
void SetSummaryTick(ScanSession& session, std::string_view summaryText, bool selected);

std::size_t SelectedCount(const ScanSession& session);

// The repair's question: "Repair 12 of 42 problems? A backup is written
// first to <folder>." With backups off it says that none will be written.
std::string RepairQuestion(std::size_t selected, std::size_t total, bool backupsOn,
                           std::string_view backupFolder);

}  // namespace vostrel
