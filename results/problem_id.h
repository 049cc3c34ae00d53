// The id of a problem: a short text that stays the same across scans of
// the same machine, so that a user can name a problem to the command line
// ("repair --only", "--skip", "ignore add") after seeing it listed by
// "scan", in the JSON or in the window's details. It is a hash of the root,
// key, value and scanner of a registry problem, and of the path of a
// shortcut or a menu entry, each with a letter of its kind in front. A
// group of problems (results/problem_groups.h) has an id of the same form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "results/problem_details.h"
#include "session/problems.h"
#include "session/scan_session.h"

namespace vostrel {

std::string ProblemId(const RegistryProblem& problem);
std::string ProblemId(const ShortcutProblem& problem);
std::string ProblemId(const MenuEntryProblem& problem);
// The id of the problem a reference names, whatever its kind.
std::string ProblemId(const ScanSession& session, const ProblemRef& ref);

// The id of a group of problems, from the text that names its program (its
// folder or its uninstall entry, case folded by the caller).
std::string ProblemGroupId(std::string_view basis);

// The problem of the session that has the id (letter case and blanks
// around it do not matter); nothing when none has it.
std::optional<ProblemRef> FindProblemById(const ScanSession& session, std::string_view id);

}  // namespace vostrel
