// The results as a reader sees them: one summary line per section that
// produced problems, and for a summary line the detail lines of its
// problems (what a click on it shows).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/section_table.h"
#include "session/scan_session.h"
#include "session/sections.h"

namespace vostrel {

// The summary text of a section for n problems; empty for an unknown key.
std::string SectionSummaryText(std::string_view sectionKey, std::int64_t count);

// The summary text of the shortcut section for n broken shortcuts.
std::string ShortcutSummaryText(std::int64_t count);

// What the summary says about the problems the ignore list left out of the
// last scan: "3 ignored"; empty when there were none.
std::string IgnoredText(const ScanSession& session);

// Appends the section's summary row when the count is above 0.
void AddSectionSummary(ScanSession& session, std::int64_t count, std::string_view sectionKey);

// The summary lines of the menu entries row: "Invalid Wine Menu Entries"
// for the prefix's own, and one for those of deleted prefixes; each only
// when its count is above 0.
std::string MenuEntrySummaryText(bool orphans, std::int64_t count);
void AddMenuEntrySummaries(ScanSession& session, std::int64_t own, std::int64_t orphans);

// After a scan was stopped: summary rows for the problems of the sections
// it had not counted yet, the shortcuts and the menu entries found so far,
// so that the results, the report and the JSON show every problem kept.
void CompleteCancelledSummary(ScanSession& session);

// The detail line of one menu entry problem.
std::string MenuEntryDetail(const MenuEntryProblem& problem);

// The detail lines of a summary line: a line per registry problem of every
// section whose name the line holds, in the order found, then, for the
// shortcut line, one per broken shortcut, and for a menu entries line one
// per entry of its kind.
std::vector<std::string> DetailLines(ScanSession& session, std::string_view summaryText);

}  // namespace vostrel
