// Entries a scan looked at but could not judge: a path on a drive whose
// disk is not there, a network target, a path written in a form the
// program does not know, an advertised shortcut whose product cannot be
// told, a shortcut whose host name is not UTF-8 (its Windows name holds
// U+FFFD where the bytes were, so it names no file exactly). None of them
// is a problem; calling them missing would delete the
// registration of a program that is merely out of reach. The scan counts
// them by reason (and by drive letter for unavailable drives) so that a
// short result is not mistaken for a clean one. Emptied at the start of
// every scan.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace vostrel {

enum class NotCheckedReason { DriveUnavailable, Network, PathForm, Advertised, InexactName };

struct NotCheckedReasonInfo {
    NotCheckedReason reason;
    std::string_view key;   // the JSON key ("driveUnavailable")
    std::string_view text;  // what the listing and the report say
};

inline constexpr std::array<NotCheckedReasonInfo, 5> kNotCheckedReasons{{
    {NotCheckedReason::DriveUnavailable, "driveUnavailable", "on a drive that is not available"},
    {NotCheckedReason::Network, "network", "on a network share"},
    {NotCheckedReason::PathForm, "pathForm", "in a path form that is not understood"},
    {NotCheckedReason::Advertised, "advertised", "advertised shortcuts whose product is unknown"},
    {NotCheckedReason::InexactName, "inexactName", "with a file name that is not UTF-8"},
}};

const NotCheckedReasonInfo& InfoOf(NotCheckedReason reason);

struct NotCheckedCounts {
    std::map<NotCheckedReason, std::size_t> byReason;
    // Unavailable drives (upper-case letter) and how many entries each held.
    std::map<char, std::size_t> unavailableDrives;
    // Why each unavailable drive is out of reach ("its folder is empty").
    std::map<char, std::string> driveWhy;

    std::size_t Total() const {
        std::size_t total = 0;
        for (const auto& [reason, count] : byReason) total += count;
        return total;
    }
    bool Empty() const { return byReason.empty(); }
};

// One line for the listing, the report and the window's note, such as
// "Not checked: 6 entries on a drive that is not available (E: 4, F: 2),
// 1 on a network share"; empty when nothing was left unchecked.
std::string NotCheckedText(const NotCheckedCounts& counts);

}  // namespace vostrel
