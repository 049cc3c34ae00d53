// The JSON of a scan written as it is formatted: the problems go out one by
// one instead of into a document that is only written once it is whole. The
// text is byte for byte what PrintJson(ScanJson(...)) prints.
#pragma once

#include <ostream>
#include <string>

#include "results/problem_groups.h"
#include "session/scan_session.h"

namespace vostrel::cli {

void WriteScanJson(std::ostream& out, const ScanSession& session, const ProblemGroups& groups,
                   const std::string& machine, const std::string& prefix = {});

// The same on standard output, unescaped.
void PrintScanJson(const ScanSession& session, const ProblemGroups& groups,
                   const std::string& machine, const std::string& prefix = {});

}  // namespace vostrel::cli
