// One way to name and reach any problem of a session, whatever its kind:
// a reference (the kind and the position in the session's list of that
// kind), the references of every problem in the order the lists hold them,
// and a visit that hands the referenced problem, typed, to a function.
// Code that does the same with every kind goes through these instead of a
// loop per kind.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "session/scan_session.h"

namespace vostrel {

// A problem of the session, by its list and position (0-based).
struct ProblemRef {
    enum class Kind { Registry, Shortcut, MenuEntry };
    Kind kind = Kind::Registry;
    std::size_t index = 0;
    bool operator==(const ProblemRef&) const = default;
};

// Calls `visit` with the problem `ref` names (a RegistryProblem,
// ShortcutProblem or MenuEntryProblem) and returns what it returns. The
// reference must name a problem the session has (std::out_of_range else).
template <typename Session, typename Visit>
decltype(auto) VisitProblem(Session& session, const ProblemRef& ref, Visit&& visit) {
    switch (ref.kind) {
        case ProblemRef::Kind::Shortcut:
            return std::forward<Visit>(visit)(session.shortcutProblems.at(ref.index));
        case ProblemRef::Kind::MenuEntry:
            return std::forward<Visit>(visit)(session.menuEntryProblems.at(ref.index));
        case ProblemRef::Kind::Registry: break;
    }
    return std::forward<Visit>(visit)(session.registryProblems.at(ref.index));
}

// Every problem of the session: the registry problems, then the shortcuts,
// then the menu entries, each in the order found.
std::vector<ProblemRef> AllProblems(const ScanSession& session);

}  // namespace vostrel
