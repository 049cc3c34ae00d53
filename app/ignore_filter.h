// The user's ignore list as a scan applies it: the list read from its file
// in the config folder, and the filter that asks it about each problem for
// one machine (the Wine prefix's folder, links resolved). Both front ends
// load the list before a scan; a file that cannot be read is an error and
// the scan does not run without the list the user wrote, while a line that
// cannot be understood is a warning naming file and line, and the rest of
// the list applies.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ignore/ignore_list.h"
#include "session/scan_session.h"
#include "system/file_system_api.h"

namespace vostrel {

class IgnoreFilter final : public ProblemFilter {
public:
    IgnoreFilter(IgnoreList list, std::string machine)
        : list_(std::move(list)), machine_(std::move(machine)) {}

    bool Ignores(const RegistryProblem& problem) const override;
    bool Ignores(const ShortcutProblem& problem) const override;
    bool Ignores(const MenuEntryProblem& problem) const override;

    const IgnoreList& list() const { return list_; }
    const std::string& machine() const { return machine_; }

private:
    IgnoreList list_;
    std::string machine_;
};

// How the ignore list names a machine: the prefix folder with its links
// resolved (as backups name it), or "this computer".
std::string IgnoreMachineKey(FileSystemApi& files);

// The key path an ignore entry gives for a registry problem: "ROOT\key".
std::string IgnoreKeyPath(const RegistryProblem& problem);

// The entry that leaves exactly this problem alone on `machine` (empty:
// every machine).
IgnoreEntry IgnoreEntryFor(const RegistryProblem& problem, const std::string& machine);
IgnoreEntry IgnoreEntryFor(const ShortcutProblem& problem, const std::string& machine);
IgnoreEntry IgnoreEntryFor(const MenuEntryProblem& problem, const std::string& machine);

// The user's ignore list (DefaultIgnoreListPath, or `path` when given). A
// missing file is an empty list; a file that cannot be read gives nothing
// and, in `error`, the reason naming the file; lines left out are named in
// `warnings`.
std::optional<IgnoreList> LoadUserIgnoreList(std::string* error, const std::string& path = {},
                                             std::vector<std::string>* warnings = nullptr);

// Loads the user's list into a filter for the session's machine and hands
// it to the session (`holder` keeps it alive for the session's scans).
// False, with the reason in `error`, when the list cannot be read: the
// session is then left without a filter and should not scan. Lines left
// out are named in `warnings`; the rest of the list applies.
bool UseUserIgnoreList(ScanSession& session, std::optional<IgnoreFilter>& holder,
                       std::string* error, std::vector<std::string>* warnings = nullptr);

}  // namespace vostrel
