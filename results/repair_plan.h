// What a repair of the ticked problems will do, said before it is done:
// values blanked or removed, keys taken out whole, files deleted inside the
// machine, and files deleted outside it (a drive that maps a host folder,
// the user's menu entries and icons). The question before a repair, the CLI's
// dry run and its listing all word it from here.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "session/problem_ref.h"
#include "session/scan_session.h"

namespace vostrel {

enum class PlannedAction : std::uint8_t {
    BlankValue,     // the key's default value is emptied
    RemoveValue,    // a named value goes
    RemoveKey,      // the whole key goes, with every value in it
    DeleteFile,     // a shortcut inside the machine
    DeleteOutside,  // a file outside the machine: a shortcut on a host drive,
                    // a menu entry or an icon of the user's
};
inline constexpr std::size_t kPlannedActions = 5;

// One thing the repair will do: what, to what, and for which problem (for
// a key taken out whole: its registration's problem; the other problems
// of the key go with it and are not listed again).
struct PlannedStep {
    PlannedAction action = PlannedAction::RemoveValue;
    std::string item;  // "HKEY_LOCAL_MACHINE\…\App Paths\old.exe", or the file
    ProblemRef ref;
};

struct RepairPlan {
    std::vector<PlannedStep> steps;
    std::size_t problems = 0;  // ticked problems the steps deal with
    std::size_t Count(PlannedAction action) const;
};

// The plan for the session's ticked problems, in list order.
RepairPlan PlanRepair(ScanSession& session);

// "remove the value", "take out the key", … for one step (the dry run's verb).
std::string_view PlannedVerb(PlannedAction action);

// The heading of a group: "Values to remove (2):".
std::string PlannedGroupHeading(PlannedAction action, std::size_t count);

// The whole plan as grouped lines, at most `perGroup` items a group (then
// "… and 12 more"); files outside the machine are called out.
std::string RepairPlanText(const RepairPlan& plan, std::size_t perGroup);

// The confirm button's text: a verb and a count, "Delete 71 entries".
std::string RepairButtonText(const RepairPlan& plan);

}  // namespace vostrel
