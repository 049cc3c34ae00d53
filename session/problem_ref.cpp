#include "session/problem_ref.h"

namespace vostrel {

std::vector<ProblemRef> AllProblems(const ScanSession& session) {
    std::vector<ProblemRef> refs;
    refs.reserve(session.ProblemCount());
    for (std::size_t i = 0; i < session.registryProblems.size(); ++i)
        refs.push_back({ProblemRef::Kind::Registry, i});
    for (std::size_t i = 0; i < session.shortcutProblems.size(); ++i)
        refs.push_back({ProblemRef::Kind::Shortcut, i});
    for (std::size_t i = 0; i < session.menuEntryProblems.size(); ++i)
        refs.push_back({ProblemRef::Kind::MenuEntry, i});
    return refs;
}

}  // namespace vostrel
