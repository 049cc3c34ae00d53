#include "results/repair_plan.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "system/text.h"

namespace vostrel {

namespace {

std::string RegistryPlace(const RegistryProblem& problem) {
    return problem.rootName + "\\" + problem.keyPath;
}

// A shortcut on a drive that maps a host folder lies outside the machine.
bool OutsideMachine(FileSystemApi& files, std::string_view windowsPath) {
    if (!files.PrefixFolder()) return false;  // the live machine: every drive is its own
    if (windowsPath.size() < 2 || windowsPath[1] != ':') return true;
    return !files
                .OwnerOfDrive(
                    static_cast<char>(std::toupper(static_cast<unsigned char>(windowsPath[0]))))
                .machineOwn;
}

std::string Plural(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace

std::size_t RepairPlan::Count(PlannedAction action) const {
    return static_cast<std::size_t>(std::count_if(
        steps.begin(), steps.end(), [action](const PlannedStep& s) { return s.action == action; }));
}

RepairPlan PlanRepair(ScanSession& session) {
    RepairPlan plan;
    // The keys that go whole: a ticked registration whose key has no problem
    // left unticked (the repair's own rule; it looks again before it acts).
    std::map<std::pair<HKEY, std::string>, bool> wholeKeys;
    const auto values = session.result.problems.Of<RegistryProblem>();
    for (const RegistryProblem& problem : values)
        if (problem.selected && problem.wholeKey)
            wholeKeys[{problem.root, UpperAscii(problem.keyPath)}] = true;
    for (const RegistryProblem& problem : values)
        if (!problem.selected)
            if (auto it = wholeKeys.find({problem.root, UpperAscii(problem.keyPath)});
                it != wholeKeys.end())
                it->second = false;
    for (const ProblemRef& ref : AllProblems(session)) {
        const Problem& any = session.result.problems.at(ref.index);
        if (const auto* value = std::get_if<RegistryProblem>(&any)) {
            if (!value->selected || value->valueName.empty()) continue;
            ++plan.problems;
            const auto key = wholeKeys.find({value->root, UpperAscii(value->keyPath)});
            if (key != wholeKeys.end() && key->second) {
                if (value->wholeKey)
                    plan.steps.push_back({PlannedAction::RemoveKey, RegistryPlace(*value), ref});
                continue;  // goes with its key
            }
            const bool blank = value->valueName == kDefaultValueLabel;
            plan.steps.push_back({blank ? PlannedAction::BlankValue : PlannedAction::RemoveValue,
                                  RegistryPlace(*value) + " value " + value->valueName, ref});
        } else if (const auto* shortcut = std::get_if<ShortcutProblem>(&any)) {
            if (!shortcut->selected) continue;
            ++plan.problems;
            plan.steps.push_back({OutsideMachine(session.files, shortcut->path)
                                      ? PlannedAction::DeleteOutside
                                      : PlannedAction::DeleteFile,
                                  shortcut->path, ref});
        } else if (const auto* entry = std::get_if<MenuEntryProblem>(&any)) {
            if (!entry->selected) continue;
            ++plan.problems;
            plan.steps.push_back({PlannedAction::DeleteOutside, entry->path, ref});
            for (const std::string& icon : entry->icons)
                plan.steps.push_back({PlannedAction::DeleteOutside, icon, ref});
        }
    }
    return plan;
}

std::string_view PlannedVerb(PlannedAction action) {
    switch (action) {
        case PlannedAction::BlankValue: return "blank the default value";
        case PlannedAction::RemoveValue: return "remove the value";
        case PlannedAction::RemoveKey: return "remove the key with all its values";
        case PlannedAction::DeleteFile: return "delete the file";
        case PlannedAction::DeleteOutside: return "delete the file outside the prefix";
    }
    return {};
}

std::string PlannedGroupHeading(PlannedAction action, std::size_t count) {
    const std::string n = " (" + std::to_string(count) + "):";
    switch (action) {
        case PlannedAction::BlankValue: return "Default values to blank" + n;
        case PlannedAction::RemoveValue: return "Values to remove" + n;
        case PlannedAction::RemoveKey: return "Keys to remove with all their values" + n;
        case PlannedAction::DeleteFile: return "Files to delete inside the prefix" + n;
        case PlannedAction::DeleteOutside:
            return "Files to delete OUTSIDE the prefix (your menus, icons, host folders)" + n;
    }
    return {};
}

std::string RepairPlanText(const RepairPlan& plan, std::size_t perGroup) {
    std::string text;
    for (std::size_t a = 0; a < kPlannedActions; ++a) {
        const auto action = static_cast<PlannedAction>(a);
        const std::size_t count = plan.Count(action);
        if (count == 0) continue;
        if (!text.empty()) text += "\n";
        text += PlannedGroupHeading(action, count) + "\n";
        std::size_t shown = 0;
        for (const PlannedStep& step : plan.steps) {
            if (step.action != action) continue;
            if (shown++ == perGroup) {
                text += "  … and " + std::to_string(count - perGroup) + " more\n";
                break;
            }
            text += "  " + step.item + "\n";
        }
    }
    return text;
}

std::string RepairButtonText(const RepairPlan& plan) {
    const std::size_t files =
        plan.Count(PlannedAction::DeleteFile) + plan.Count(PlannedAction::DeleteOutside);
    const std::size_t entries = plan.steps.size() - files;
    if (files == 0) return "Delete " + Plural(entries, "entry", "entries");
    if (entries == 0) return "Delete " + Plural(files, "file", "files");
    return "Delete " + Plural(entries, "entry", "entries") + " and " +
           Plural(files, "file", "files");
}

}  // namespace vostrel
