#include "results/problem_details.h"

#include <algorithm>
#include <charconv>
#include <type_traits>

#include "results/problem_id.h"
#include "results/result_views.h"
#include "scan/section_table.h"
#include "session/sections.h"
#include "system/text.h"

namespace vostrel {

namespace {

// The folder part of a Windows path, without its trailing backslash; empty
// when the path names no folder ("C:\" has none above it).
std::string FolderPart(std::string_view path) {
    const std::size_t cut = path.find_last_of('\\');
    if (cut == std::string_view::npos || cut == 0) return {};
    std::string folder(path.substr(0, cut));
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return folder;
}

// A summary line holds the catalogue row of its section ("Invalid Help
// Files ( 2 Problem(s) )" holds "Help Files").
bool SummaryHoldsSection(std::string_view upperSummary, const SectionRow& section) {
    return upperSummary.find(UpperAscii(section.text)) != std::string_view::npos;
}

}  // namespace

std::string EntryText(const RegistryProblem& problem) {
    return problem.rootName + "\\" + problem.keyPath + " value \"" + problem.valueName + "\"";
}

ProblemDetails DetailsOf(const RegistryProblem& problem) {
    ProblemDetails details;
    details.line = std::string(kMissingFileDetail) + problem.testedPath;
    details.entry = problem.rootName + "\\" + problem.keyPath;
    details.value = problem.valueName;
    details.holds = problem.dataAsRead;
    details.lookedFor = problem.testedPath;
    details.why = problem.systemFolder   ? kReasonNotInSystemFolder
                  : problem.testedFolder ? kReasonFolderNotFound
                  : problem.testedClass  ? kReasonClassNotRegistered
                                         : kReasonFileNotFound;
    return details;
}

ProblemDetails DetailsOf(const ShortcutProblem& problem, FileSystemApi& files) {
    ProblemDetails details;
    details.line = std::string(kBadShortcutDetail) + problem.path;
    details.entry = problem.path;
    details.holds = problem.target;
    details.lookedFor = problem.target;
    const std::string folder = FolderPart(problem.target);
    const DWORD attributes =
        folder.empty() ? DWORD{FILE_ATTRIBUTE_DIRECTORY} : files.GetFileAttributes(folder);
    const bool folderMissing =
        attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    details.why = folderMissing ? kReasonTargetFolderNotFound : kReasonFileNotFound;
    return details;
}

ProblemDetails DetailsOf(const MenuEntryProblem& problem) {
    ProblemDetails details;
    details.line = MenuEntryDetail(problem);
    details.entry = problem.path;
    details.holds = problem.target;
    details.lookedFor = problem.orphan ? problem.prefix : problem.target;
    details.why = problem.reason;
    return details;
}

std::vector<ProblemRef> ProblemsOfSummary(const ScanSession& session,
                                          std::string_view summaryText) {
    const std::string upper = UpperAscii(Trim(summaryText));
    std::vector<std::string_view> scanners;
    for (const auto& section : kSectionRows)
        if (section.kind == ProblemKind::Registry && !section.summary.Empty() &&
            SummaryHoldsSection(upper, section))
            scanners.push_back(section.scanner);
    const bool ownMenu = summaryText.find(kMenuEntryKeyword) != std::string_view::npos;
    const bool orphanMenu = summaryText.find(kOrphanMenuEntryKeyword) != std::string_view::npos;
    const bool shortcuts =
        !ownMenu && !orphanMenu && summaryText.find(kShortcutKeyword) != std::string_view::npos;
    const auto belongs = [&](const Problem& problem) {
        if (const auto* registry = std::get_if<RegistryProblem>(&problem))
            return std::find(scanners.begin(), scanners.end(), registry->scanner) != scanners.end();
        if (const auto* entry = std::get_if<MenuEntryProblem>(&problem))
            return entry->orphan ? orphanMenu : ownMenu;
        return shortcuts;
    };
    // A summary row names its sections in the order of the table; the
    // problems come in that order too.
    std::vector<ProblemRef> refs;
    for (const std::string_view scanner : scanners)
        for (std::size_t i = 0; i < session.result.problems.size(); ++i)
            if (const auto* registry = std::get_if<RegistryProblem>(&session.result.problems[i]);
                registry && registry->scanner == scanner)
                refs.push_back({i});
    for (std::size_t i = 0; i < session.result.problems.size(); ++i)
        if (!std::holds_alternative<RegistryProblem>(session.result.problems[i]) &&
            belongs(session.result.problems[i]))
            refs.push_back({i});
    return refs;
}

namespace {

std::string DetailLineOf(const RegistryProblem& problem) {
    return std::string(kMissingFileDetail) + problem.testedPath;
}

std::string DetailLineOf(const ShortcutProblem& problem) {
    return std::string(kBadShortcutDetail) + problem.path;
}

std::string DetailLineOf(const MenuEntryProblem& problem) { return MenuEntryDetail(problem); }

}  // namespace

std::string RefText(const ProblemRef& ref) { return "P" + std::to_string(ref.index); }

bool Exists(const ScanSession& session, const ProblemRef& ref) {
    return ref.index < session.result.problems.size();
}

bool ParseRef(const ScanSession& session, std::string_view text, ProblemRef* ref) {
    if (text.size() < 2 || text[0] != 'P') return false;
    ProblemRef parsed;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data() + 1, end, parsed.index);
    if (error != std::errc() || at != end) return false;
    if (!Exists(session, parsed)) return false;
    *ref = parsed;
    return true;
}

std::string DetailLine(const ScanSession& session, const ProblemRef& ref) {
    return VisitProblem(session, ref, [](const auto& problem) { return DetailLineOf(problem); });
}

ProblemDetails DetailsOf(ScanSession& session, const ProblemRef& ref) {
    ProblemDetails details = VisitProblem(session, ref, [&session](const auto& problem) {
        if constexpr (std::is_same_v<std::decay_t<decltype(problem)>, ShortcutProblem>)
            return DetailsOf(problem, session.files);
        else
            return DetailsOf(problem);
    });
    details.id = ProblemId(session, ref);
    return details;
}

bool IsSelected(const ScanSession& session, const ProblemRef& ref) {
    return IsSelected(session.result.problems.at(ref.index));
}

void SetSelected(ScanSession& session, const ProblemRef& ref, bool selected) {
    SetSelected(session.result.problems.at(ref.index), selected);
}

GroupTick SummaryTick(const ScanSession& session, std::string_view summaryText) {
    std::size_t ticked = 0;
    const auto refs = ProblemsOfSummary(session, summaryText);
    for (const auto& ref : refs) ticked += IsSelected(session, ref) ? 1 : 0;
    if (ticked == 0) return GroupTick::None;
    return ticked == refs.size() ? GroupTick::All : GroupTick::Some;
}

void SetSummaryTick(ScanSession& session, std::string_view summaryText, bool selected) {
    for (const auto& ref : ProblemsOfSummary(session, summaryText))
        SetSelected(session, ref, selected);
}

std::size_t SelectedCount(const ScanSession& session) {
    const auto& problems = session.result.problems;
    return static_cast<std::size_t>(std::count_if(problems.begin(), problems.end(),
                                                  [](const Problem& p) { return IsSelected(p); }));
}

std::string RepairQuestion(std::size_t selected, std::size_t total, bool backupsOn,
                           std::string_view backupFolder) {
    std::string text = "Repair " + std::to_string(selected) + " of " + std::to_string(total) +
                       (total == 1 ? " problem?" : " problems?");
    if (backupsOn) return text + " A backup is written first to " + std::string(backupFolder) + ".";
    return text + " No backup will be written: \"Make Backup Before Repairing\" is off.";
}

}  // namespace vostrel
