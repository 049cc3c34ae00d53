#include "app/ignore_filter.h"

#include "results/backup_file.h"

namespace vostrel {

bool IgnoreFilter::Ignores(const RegistryProblem& problem) const {
    return list_.IgnoresRegistryValue(machine_, IgnoreKeyPath(problem), problem.valueName);
}

bool IgnoreFilter::Ignores(const ShortcutProblem& problem) const {
    return list_.IgnoresShortcut(machine_, problem.path);
}

bool IgnoreFilter::Ignores(const MenuEntryProblem& problem) const {
    return list_.IgnoresMenuEntry(machine_, problem.path);
}

std::string IgnoreMachineKey(FileSystemApi& files) { return MachineIdentity(files); }

std::string IgnoreKeyPath(const RegistryProblem& problem) {
    return problem.keyPath.empty() ? problem.rootName : problem.rootName + "\\" + problem.keyPath;
}

IgnoreEntry IgnoreEntryFor(const RegistryProblem& problem, const std::string& machine) {
    IgnoreEntry entry;
    entry.machine = machine;
    entry.kind = IgnoreEntry::Kind::Registry;
    entry.pattern = IgnoreKeyPath(problem);
    entry.value = problem.valueName;
    return entry;
}

IgnoreEntry IgnoreEntryFor(const ShortcutProblem& problem, const std::string& machine) {
    IgnoreEntry entry;
    entry.machine = machine;
    entry.kind = IgnoreEntry::Kind::Shortcut;
    entry.pattern = problem.path;
    return entry;
}

IgnoreEntry IgnoreEntryFor(const MenuEntryProblem& problem, const std::string& machine) {
    IgnoreEntry entry;
    entry.machine = machine;
    entry.kind = IgnoreEntry::Kind::MenuEntry;
    entry.pattern = problem.path;
    return entry;
}

std::optional<IgnoreList> LoadUserIgnoreList(std::string* error, const std::string& path,
                                             std::vector<std::string>* warnings) {
    return LoadIgnoreList(path.empty() ? DefaultIgnoreListPath() : path, error, warnings);
}

bool UseUserIgnoreList(ScanSession& session, std::optional<IgnoreFilter>& holder,
                       std::string* error, std::vector<std::string>* warnings) {
    session.request.ignore = nullptr;
    holder.reset();
    auto list = LoadUserIgnoreList(error, {}, warnings);
    if (!list) return false;
    holder.emplace(std::move(*list), IgnoreMachineKey(session.files));
    session.request.ignore = &*holder;
    return true;
}

}  // namespace vostrel
