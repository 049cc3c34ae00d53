#include "results/result_views.h"

#include <algorithm>

#include "results/problem_details.h"
#include "system/text.h"

namespace vostrel {

namespace {

std::string SummaryText(const SummaryWords& words, std::int64_t count) {
    if (words.Empty()) return {};
    return std::string(words.before) + std::to_string(count) + std::string(words.after);
}

const SectionRow& MenuEntriesRow() {
    for (const auto& section : kSectionRows)
        if (section.run == SectionRun::MenuEntries) return section;
    return kSectionRows.back();
}

}  // namespace

std::string SectionSummaryText(std::string_view sectionKey, std::int64_t count) {
    const SectionRow* section = SectionRowOfScanner(sectionKey);
    return section ? SummaryText(section->summary, count) : std::string();
}

std::string ShortcutSummaryText(std::int64_t count) {
    return SummaryText(kDriveSectionRow.summary, count);
}

std::string IgnoredText(const ScanSession& session) {
    if (session.result.ignoredCount == 0) return {};
    return std::to_string(session.result.ignoredCount) + " ignored";
}

void AddSectionSummary(ScanSession& session, std::int64_t count, std::string_view sectionKey) {
    if (count == 0) return;
    std::string text = SectionSummaryText(sectionKey, count);
    if (!text.empty())
        session.result.summary.push_back({std::string(sectionKey), std::move(text), count});
}

std::string MenuEntrySummaryText(bool orphans, std::int64_t count) {
    const SectionRow& section = MenuEntriesRow();
    return SummaryText(orphans ? section.orphanSummary : section.summary, count);
}

void AddMenuEntrySummaries(ScanSession& session, std::int64_t own, std::int64_t orphans) {
    if (own > 0)
        session.result.summary.push_back(
            {std::string(kMenuEntrySection), MenuEntrySummaryText(false, own), own});
    if (orphans > 0)
        session.result.summary.push_back(
            {std::string(kOrphanMenuEntrySection), MenuEntrySummaryText(true, orphans), orphans});
}

std::string MenuEntryDetail(const MenuEntryProblem& problem) {
    if (problem.orphan)
        return std::string(kOrphanMenuEntryDetail) + problem.path + " (" + problem.prefix + ")";
    return std::string(kMenuEntryDetail) + problem.path + " -> " + problem.target + " (" +
           problem.reason + ")";
}

std::vector<std::string> DetailLines(ScanSession& session, std::string_view summaryText) {
    std::vector<std::string> lines;
    for (const ProblemRef& ref : ProblemsOfSummary(session, summaryText)) {
        lines.push_back(DetailLine(session, ref));
    }
    return lines;
}

void CompleteCancelledSummary(ScanSession& session) {
    // A stopped scan never counted the section it was in, nor the shortcuts
    // found so far: their rows are added here, in the order found, so that
    // every problem kept can be seen and repaired.
    std::vector<std::string> counted;
    for (const auto& row : session.result.summary) counted.push_back(row.section);
    const auto isCounted = [&counted](std::string_view key) {
        return std::find(counted.begin(), counted.end(), key) != counted.end();
    };
    for (const auto& problem : session.result.problems.Of<RegistryProblem>()) {
        if (isCounted(problem.scanner)) continue;
        counted.push_back(problem.scanner);
        const auto count = std::count_if(session.result.problems.Of<RegistryProblem>().begin(),
                                         session.result.problems.Of<RegistryProblem>().end(),
                                         [&problem](const RegistryProblem& p) {
                                             return p.scanner == problem.scanner;
                                         });
        AddSectionSummary(session, count, problem.scanner);
    }
    const std::size_t shortcuts = session.result.problems.Of<ShortcutProblem>().size();
    if (shortcuts > 0 && !isCounted(kShortcutSection))
        session.result.summary.push_back({std::string(kShortcutSection),
                                          ShortcutSummaryText(shortcuts),
                                          static_cast<std::int64_t>(shortcuts)});
    if (!isCounted(kMenuEntrySection) && !isCounted(kOrphanMenuEntrySection)) {
        const auto orphans = std::count_if(session.result.problems.Of<MenuEntryProblem>().begin(),
                                           session.result.problems.Of<MenuEntryProblem>().end(),
                                           [](const MenuEntryProblem& p) { return p.orphan; });
        const auto own =
            static_cast<std::int64_t>(session.result.problems.Of<MenuEntryProblem>().size()) -
            orphans;
        AddMenuEntrySummaries(session, own, orphans);
    }
}

}  // namespace vostrel
