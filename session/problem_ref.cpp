#include "session/problem_ref.h"

namespace vostrel {

std::vector<ProblemRef> AllProblems(const ScanSession& session) {
    std::vector<ProblemRef> refs(session.result.problems.size());
    for (std::size_t i = 0; i < refs.size(); ++i) refs[i].index = i;
    return refs;
}

}  // namespace vostrel
