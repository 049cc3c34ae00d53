#include "app/scan_driver.h"

#include "scan/registration_keys.h"

#include <ctime>

#include "results/result_views.h"
#include "results/scan_report.h"
#include "scan/registry_walker.h"
#include "shortcuts/drive_walk.h"
#include "system/registry.h"
#include "system/text.h"

namespace vostrel {

namespace {

// Ends the scanning state however the scan ends.
class ScanningFlag {
public:
    explicit ScanningFlag(ScanSession& session) : session_(session) { session_.scanning = true; }
    ~ScanningFlag() { session_.scanning = false; }
    ScanningFlag(const ScanningFlag&) = delete;
    ScanningFlag& operator=(const ScanningFlag&) = delete;

private:
    ScanSession& session_;
};

void RunWalk(ScanSession& session, const WalkStep& step, std::string_view sectionKey) {
    std::string_view keyPath = step.keyPath;
    if (!step.keyPathBefore2000.empty() && GetPlatformId(session.registry) != 2)
        keyPath = step.keyPathBefore2000;
    const std::string_view rootName = RootName(step.root);
    switch (step.walk) {
        case Walk::ClassIdList: ListClassIdKeys(session, step.root, keyPath); break;
        case Walk::Keys: WalkRegistryKeys(session, step.root, keyPath, sectionKey, rootName); break;
        case Walk::Values: ScanKeyValues(session, step.root, keyPath, sectionKey, rootName); break;
        case Walk::ValuesThenKeys:
            ScanKeyValues(session, step.root, keyPath, sectionKey, rootName);
            if (session.cancelRequested) return;
            WalkRegistryKeys(session, step.root, keyPath, sectionKey, rootName);
            break;
    }
}

// The walks of a registry section; false when a cancel ended it early.
bool RunSection(ScanSession& session, const SectionRow& section) {
    session.observer.SectionStarted(section.status);
    if (session.cancelRequested) return false;
    for (std::size_t k = 0; k < section.walkCount; ++k) {
        if (k > 0 && session.cancelRequested) return false;
        RunWalk(session, section.walks[k], section.scanner);
    }
    if (!section.summary.Empty()) CountSectionProblems(session, section.scanner);
    return true;
}

// The action of a drive row; false when a cancel ended it early.
bool RunDriveRow(ScanSession& session, const std::string& rowText) {
    const auto drive = DriveOfCatalogueRow(rowText);
    if (!drive) return true;
    session.observer.SectionStarted(kDriveSectionRow.status);
    if (session.cancelRequested) return false;
    session.observer.SectionStarted(" Shortcuts " + *drive + "...");
    ScanDriveForShortcuts(session, *drive);
    return true;
}

// The row of Wine's menu entries: the stale entries of this prefix, then
// those whose prefix is gone, each with its own summary line; those whose
// prefix is on a disk that is not there are counted as not checked.
void RunMenuEntriesRow(ScanSession& session, const SectionRow& section) {
    session.observer.SectionStarted(section.status);
    if (!session.menuEntries || session.cancelRequested) return;
    std::int64_t own = 0, orphans = 0;
    for (auto& problem : session.menuEntries->FindStale()) {
        session.observer.ValueVisited(problem.path);
        const bool orphan = problem.orphan;
        // An entry on the user's ignore list is only counted as ignored.
        if (RecordProblem(session, std::move(problem))) {
            ++(orphan ? orphans : own);
            ProblemRecorded(session);
        }
    }
    // Entries of prefixes, links or programs on a disk that is not plugged
    // in or not mounted.
    CountNotChecked(session, NotCheckedReason::DriveUnavailable, 0,
                    session.menuEntries->UnavailableCount());
    AddMenuEntrySummaries(session, own, orphans);
}

// One catalogue row; false when the scan is to return at once.
bool ScanCatalogueRow(ScanSession& session, std::size_t row, std::size_t rows) {
    const auto& catalogue = session.request.sections;
    session.observer.Progress(row, rows);
    // A row that is no longer there (a drive that went away) counts as
    // unchecked.
    const bool present = row <= catalogue.Count();
    if (present && catalogue.Checked(row)) {
        if (session.cancelRequested) return false;
        const std::string text = catalogue.Text(row);
        bool finished = true;
        const SectionRow* section = SectionRowOfText(text);
        if (!section)
            finished = RunDriveRow(session, text);
        else if (section->run == SectionRun::MenuEntries)
            RunMenuEntriesRow(session, *section);
        else
            finished = RunSection(session, *section);
        if (!finished) return false;
    }
    if (session.cancelRequested) return false;
    return true;
}

}  // namespace

std::int32_t ProgressStep(std::size_t rows, std::int32_t fullWidth) {
    if (rows == 0) return 0;
    const auto n = static_cast<std::int64_t>(rows);
    std::int64_t step = fullWidth / n;
    const std::int64_t twiceRest = 2 * (fullWidth % n);
    if (twiceRest > n || (twiceRest == n && step % 2 == 1)) ++step;
    return static_cast<std::int32_t>(step);
}

std::string TimeOfDayText() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (!local) return {};
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", local);
    return text;
}

std::string TimeStampText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) return {};
    char text[40];
    if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local) == 0) return {};
    // strftime writes the zone as +hhmm; ISO 8601 with separators wants +hh:mm.
    std::string stamp = text;
    if (stamp.size() >= 5 && (stamp[stamp.size() - 5] == '+' || stamp[stamp.size() - 5] == '-'))
        stamp.insert(stamp.size() - 2, ":");
    return stamp;
}

void RunScan(ScanSession& session) {
    if (session.scanning) return;
    ScanningFlag scanning(session);
    session.cancelRequested = false;
    session.facts = {};
    session.result = {};
    session.files.ForgetCache();
    session.observer.ScanStarted();
    session.result.startedAt = TimeOfDayText();
    session.result.startedStamp = TimeStampText();
    ScanCatalogue(session);
    MarkWholeKeys(session);
    session.result.finishedAt = TimeOfDayText();
    session.result.finishedStamp = TimeStampText();
    // A stop may be asked for from another thread at any time: the summary,
    // the report and the last event all go by what it was here.
    const bool cancelled = session.cancelRequested;
    session.cancelRequested = cancelled;
    if (cancelled) CompleteCancelledSummary(session);
    MakeScanReport(session);
    session.observer.ScanFinished(cancelled);
}

void ScanCatalogue(ScanSession& session) {
    const std::size_t rows = session.request.sections.Count();
    for (std::size_t row = 1; row <= rows; ++row)
        if (!ScanCatalogueRow(session, row, rows)) return;
    if (const std::size_t shortcuts = session.result.problems.Of<ShortcutProblem>().size())
        session.result.summary.push_back({std::string(kShortcutSection),
                                          ShortcutSummaryText(static_cast<std::int64_t>(shortcuts)),
                                          static_cast<std::int64_t>(shortcuts)});
}

void CountSectionProblems(ScanSession& session, std::string_view sectionKey) {
    std::int64_t count = 0;
    for (const auto& problem : session.result.problems.Of<RegistryProblem>()) {
        if (problem.scanner == sectionKey) ++count;
    }
    AddSectionSummary(session, count, sectionKey);
}

bool CancelScan(ScanSession& session, std::size_t found) {
    if (found > 0 && session.observer.Confirm(Question::CancelScan) != Answer::Yes) return false;
    session.cancelRequested = true;
    return true;
}

}  // namespace vostrel
