// One way to name and reach any problem of a session, whatever its kind: a
// reference (its position in the session's one list of problems), the
// references of every problem in list order, and a visit that hands the
// referenced problem, typed, to a function. Code that does the same with
// every kind goes through these instead of a branch per kind.
#pragma once

#include <cstddef>
#include <utility>
#include <variant>
#include <vector>

#include "session/scan_session.h"

namespace vostrel {

// A problem of the session, by its position in the list (0-based).
struct ProblemRef {
    std::size_t index = 0;
    bool operator==(const ProblemRef&) const = default;
};

// Calls `visit` with the problem `ref` names (a RegistryProblem,
// ShortcutProblem or MenuEntryProblem) and returns what it returns. The
// reference must name a problem the session has (std::out_of_range else).
template <typename Session, typename Visit>
decltype(auto) VisitProblem(Session& session, const ProblemRef& ref, Visit&& visit) {
    return std::visit(std::forward<Visit>(visit), session.result.problems.at(ref.index));
}

// The kind of the problem `ref` names.
inline ProblemKind KindOf(const ScanSession& session, const ProblemRef& ref) {
    return KindOf(session.result.problems.at(ref.index));
}

// Every problem of the session: the registry problems, then the shortcuts,
// then the menu entries, each in the order found.
std::vector<ProblemRef> AllProblems(const ScanSession& session);

}  // namespace vostrel
