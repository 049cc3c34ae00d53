// The programs a scan's problems belong to. A user who deleted a program's
// folder by hand sees all that it left behind as one item: its uninstall
// entry, its App Paths entry, its help files, its startup entries, the
// shortcuts to it. A program is an uninstall entry with a problem, or an
// install folder: the uninstall entry's InstallLocation (or the folder of
// its uninstaller or icon), an App Paths entry's Path (or the folder of its
// program), or failing those a folder directly below Program Files that a
// problem names. A problem belongs to the program whose uninstall or App
// Paths entry holds it, else to the program whose folder holds the path it
// looked for (the innermost one). A program that left fewer than two
// problems is no group: its problem stays on its own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/problem_details.h"
#include "session/problem_ref.h"
#include "session/scan_session.h"

namespace vostrel {

struct ProblemGroup {
    std::string id;      // stable across scans (ProgramGroupId)
    std::string name;    // the uninstall entry's DisplayName, else the folder's last part
    std::string folder;  // the install folder; empty when only the uninstall entry is known
    // The uninstall entry ("HKEY_LOCAL_MACHINE\SOFTWARE\...\Uninstall\Deep"), or empty.
    std::string uninstallKey;
    std::vector<ProblemRef> problems;  // in list order
    std::size_t places = 0;            // distinct registry keys, shortcut and menu-entry files
};

struct ProblemGroups {
    std::vector<ProblemGroup> groups;  // in the order of their first problem
    // For every problem of the session, by position: its group's position
    // in `groups`, or kNoGroup.
    std::vector<std::size_t> groupOf;

    static constexpr std::size_t kNoGroup = static_cast<std::size_t>(-1);

    // The group of a problem, or null.
    const ProblemGroup* GroupOf(const ProblemRef& ref) const;
    // The group with the id (letter case and blanks around it do not
    // matter), or null.
    const ProblemGroup* Find(std::string_view id) const;
};

// The groups of the session's problems. Reads the few registry values it
// needs (a value that cannot be read gives no folder); the session's
// problems are left as they are.
ProblemGroups FindProblemGroups(ScanSession& session);

// "Deep (C:\Program Files\Deep): 14 leftovers in 9 places".
std::string GroupLine(const ProblemGroup& group);

// The tick box of a group: none, some or all of its problems ticked; a
// click ticks or clears them all.
GroupTick GroupTickOf(const ScanSession& session, const ProblemGroup& group);
void SetGroupTick(ScanSession& session, const ProblemGroup& group, bool selected);

// A problem's line among its group's: the section that found it before its
// detail line ("Help Files: This file could not be found ..."), as the
// group mixes sections.
std::string GroupedProblemLine(const ScanSession& session, const ProblemRef& ref);

// Whether `path` is `folder` or lies beneath it: letter case does not
// matter, '/' counts as '\', and only whole parts compare (C:\Games\Deep2
// is not beneath C:\Games\Deep).
bool IsAtOrBeneath(std::string_view path, std::string_view folder);

// The program a command line starts ("C:\Deep\uninst.exe" /S, or an icon's
// C:\Deep\deep.exe,0) when it is a full path; nothing else.
std::optional<std::string> ProgramOfCommand(std::string_view command);

}  // namespace vostrel
