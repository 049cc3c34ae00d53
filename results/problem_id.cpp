#include "results/problem_id.h"

#include <cstdint>
#include <cstdio>

#include "system/text.h"

namespace vostrel {

namespace {

// FNV-1a, 64 bits: short, stable and the same on every platform.
std::string ShortHash(std::string_view text) {
    std::uint64_t hash = 1469598103934665603ull;
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(hash));
    return out;
}

}  // namespace

std::string ProblemId(const RegistryProblem& problem) {
    return ShortHash("R\n" + problem.rootName + "\n" + problem.keyPath + "\n" + problem.valueName +
                     "\n" + problem.scanner);
}

std::string ProblemId(const ShortcutProblem& problem) { return ShortHash("S\n" + problem.path); }

std::string ProblemId(const MenuEntryProblem& problem) { return ShortHash("M\n" + problem.path); }

std::string ProblemGroupId(std::string_view basis) { return ShortHash("G\n" + std::string(basis)); }

std::string ProblemId(const ScanSession& session, const ProblemRef& ref) {
    return VisitProblem(session, ref, [](const auto& problem) { return ProblemId(problem); });
}

std::optional<ProblemRef> FindProblemById(const ScanSession& session, std::string_view id) {
    const std::string wanted = LowerAscii(Trim(id));
    if (wanted.empty()) return std::nullopt;
    for (const ProblemRef& ref : AllProblems(session))
        if (ProblemId(session, ref) == wanted) return ref;
    return std::nullopt;
}

}  // namespace vostrel
