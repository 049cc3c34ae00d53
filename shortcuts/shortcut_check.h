// Judging one candidate file of the drive walk: a .lnk or .url link of an
// ordinary type whose target is set and names nothing that exists is a
// broken shortcut, recorded as a shortcut problem of the session.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "session/scan_session.h"
#include "session/sections.h"

namespace vostrel {

// Judges one file (its full Windows path); may add one shortcut problem.
// A link file that cannot be read is never judged: its path goes to the
// scan's list of unreadable shortcuts. A link whose target is out of reach
// (a network share) or whose advertised product cannot be told is counted
// as not checked.
void CheckShortcut(ScanSession& session, std::string_view path);

// The trimmed path up to and including its last backslash; empty without one.
std::string GetFolderPart(std::string_view path);
// What follows GetFolderPart; the whole path when it has no backslash.
std::string GetNamePart(std::string_view path);

// True when the path's attributes can be read (a folder counts); the empty
// path does not exist.
bool TargetExists(FileSystemApi& files, std::string_view path);

// The repair's last look at a shortcut the scan judged broken: it is removed
// only while it is still the file the scan judged - a regular file in the
// tree the walk could reach (held open, so that a folder swapped for a link
// meanwhile cannot send the removal elsewhere), still a link, its target
// still missing.
struct ShortcutRecheck {
    enum class Verdict { Remove, Gone, Kept };
    Verdict verdict = Verdict::Kept;
    std::string why;                 // for Kept and Gone
    std::unique_ptr<HeldFile> held;  // for Remove: the file to remove
};
ShortcutRecheck RecheckBrokenShortcut(ScanSession& session, std::string_view path);

}  // namespace vostrel
