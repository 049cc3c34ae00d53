#include "results/result_views.h"

#include "system/text.h"

namespace vostrel {

std::string SectionSummaryText(std::string_view sectionKey, std::int64_t count) {
    for (const auto& summary : kSectionSummaries) {
        if (summary.sectionKey != sectionKey) continue;
        return std::string(summary.before) + std::to_string(count) + std::string(summary.after);
    }
    return {};
}

std::string ShortcutSummaryText(std::int64_t count) {
    return "Invalid Windows Shortcut File (" + std::to_string(count) + " Problems)";
}

std::string IgnoredText(const ScanSession& session) {
    if (session.ignoredCount == 0) return {};
    return std::to_string(session.ignoredCount) + " ignored";
}

void AddSectionSummary(ScanSession& session, std::int64_t count, std::string_view sectionKey) {
    if (count == 0) return;
    std::string text = SectionSummaryText(sectionKey, count);
    if (!text.empty()) session.summary.push_back({std::string(sectionKey), std::move(text), count});
}

std::vector<std::string> DetailLines(ScanSession& session, std::string_view summaryText) {
    std::vector<std::string> lines;
    const std::string upper = UpperAscii(Trim(summaryText));
    for (const auto& summary : kSectionSummaries) {
        if (upper.find(UpperAscii(summary.keyword)) == std::string::npos) continue;
        for (const auto& problem : session.registryProblems) {
            if (problem.scanner == summary.sectionKey)
                lines.push_back(std::string(kMissingFileDetail) + problem.testedPath);
            session.pump.Tick();
        }
    }
    if (summaryText.find(kShortcutKeyword) == std::string_view::npos) return lines;
    for (const auto& problem : session.shortcutProblems) {
        lines.push_back(std::string(kBadShortcutDetail) + problem.path);
        session.pump.Tick();
    }
    return lines;
}

}  // namespace vostrel
