#include "results/problem_details.h"

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
    details.why = problem.systemFolder ? kReasonNotInSystemFolder : kReasonFileNotFound;
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
    std::vector<ProblemRef> refs;
    const std::string upper = UpperAscii(Trim(summaryText));
    for (const auto& section : kSectionRows) {
        if (section.kind != ProblemRef::Kind::Registry || section.summary.Empty()) continue;
        if (!SummaryHoldsSection(upper, section)) continue;
        for (std::size_t i = 0; i < session.registryProblems.size(); ++i)
            if (session.registryProblems[i].scanner == section.scanner)
                refs.push_back({ProblemRef::Kind::Registry, i});
    }
    const bool ownMenu = summaryText.find(kMenuEntryKeyword) != std::string_view::npos;
    const bool orphanMenu = summaryText.find(kOrphanMenuEntryKeyword) != std::string_view::npos;
    if (ownMenu || orphanMenu) {
        for (std::size_t i = 0; i < session.menuEntryProblems.size(); ++i)
            if (session.menuEntryProblems[i].orphan ? orphanMenu : ownMenu)
                refs.push_back({ProblemRef::Kind::MenuEntry, i});
        return refs;
    }
    if (summaryText.find(kShortcutKeyword) == std::string_view::npos) return refs;
    for (std::size_t i = 0; i < session.shortcutProblems.size(); ++i)
        refs.push_back({ProblemRef::Kind::Shortcut, i});
    return refs;
}

namespace {

constexpr char RefLetter(ProblemRef::Kind kind) {
    switch (kind) {
        case ProblemRef::Kind::Registry: return 'R';
        case ProblemRef::Kind::Shortcut: return 'S';
        case ProblemRef::Kind::MenuEntry: return 'M';
    }
    return '?';
}

std::string DetailLineOf(const RegistryProblem& problem) {
    return std::string(kMissingFileDetail) + problem.testedPath;
}

std::string DetailLineOf(const ShortcutProblem& problem) {
    return std::string(kBadShortcutDetail) + problem.path;
}

std::string DetailLineOf(const MenuEntryProblem& problem) { return MenuEntryDetail(problem); }

}  // namespace

std::string RefText(const ProblemRef& ref) {
    return RefLetter(ref.kind) + std::to_string(ref.index);
}

bool Exists(const ScanSession& session, const ProblemRef& ref) {
    switch (ref.kind) {
        case ProblemRef::Kind::Registry: return ref.index < session.registryProblems.size();
        case ProblemRef::Kind::Shortcut: return ref.index < session.shortcutProblems.size();
        case ProblemRef::Kind::MenuEntry: return ref.index < session.menuEntryProblems.size();
    }
    return false;
}

bool ParseRef(const ScanSession& session, std::string_view text, ProblemRef* ref) {
    if (text.size() < 2) return false;
    ProblemRef parsed;
    bool known = false;
    for (const auto kind :
         {ProblemRef::Kind::Registry, ProblemRef::Kind::Shortcut, ProblemRef::Kind::MenuEntry})
        if (text[0] == RefLetter(kind)) {
            parsed.kind = kind;
            known = true;
        }
    if (!known) return false;
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
    return VisitProblem(session, ref, [](const auto& problem) { return problem.selected; });
}

void SetSelected(ScanSession& session, const ProblemRef& ref, bool selected) {
    VisitProblem(session, ref, [selected](auto& problem) { problem.selected = selected; });
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
    std::size_t count = 0;
    for (const ProblemRef& ref : AllProblems(session)) count += IsSelected(session, ref) ? 1 : 0;
    return count;
}

std::string RepairQuestion(std::size_t selected, std::size_t total, bool backupsOn,
                           std::string_view backupFolder) {
    std::string text = "Repair " + std::to_string(selected) + " of " + std::to_string(total) +
                       (total == 1 ? " problem?" : " problems?");
    if (backupsOn) return text + " A backup is written first to " + std::string(backupFolder) + ".";
    return text + " No backup will be written: \"Make Backup Before Repairing\" is off.";
}

}  // namespace vostrel
