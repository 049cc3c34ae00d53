// The planted problems of the end-to-end scans: what is added to a fresh
// Wine prefix with `wine reg add`, and every row a full registry scan of
// that prefix must produce (the planted ones only: the fresh prefix itself
// yields none when the scan knows the Wine that made it), in list order,
// all seven columns.
#pragma once

#include <string>
#include <vector>

#include "session/scan_session.h"
#include "session/sections.h"

namespace vostrel::testing {

using RowTexts = std::vector<std::string>;

// Adds the planted entries to the prefix and waits until Wine saved them.
void PlantProblems(const std::string& prefix);

// Rows 1 to 11 of the catalogue scanned: the exact registry problems, as rows.
std::vector<RowTexts> ExpectedWineRows();

// Only the rows of one section key.
std::vector<RowTexts> ExpectedWineRows(const std::string& sectionKey);

// The problems as rows of texts: registry problems in the seven columns
// root handle, value name, tested path, scanner, key path, root name and
// "Yes" for the system folder; shortcuts as path and section; summary rows
// as their text.
std::vector<RowTexts> Rows(const ProblemList& list);
std::vector<RowTexts> Rows(const std::vector<ShortcutProblem>& problems);
std::vector<RowTexts> Rows(const std::vector<SummaryRow>& rows);
// The "registry" entries of a scan's JSON (schema 1) as the same seven columns.
std::vector<RowTexts> RegistryRowsOfJson(const std::string& json);

}  // namespace vostrel::testing
