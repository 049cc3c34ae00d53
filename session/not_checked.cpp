#include "session/not_checked.h"

#include "session/scan_session.h"

namespace vostrel {

const NotCheckedReasonInfo& InfoOf(NotCheckedReason reason) {
    for (const auto& info : kNotCheckedReasons)
        if (info.reason == reason) return info;
    return kNotCheckedReasons.front();
}

std::string NotCheckedText(const NotCheckedCounts& counts) {
    std::string text;
    bool first = true;
    for (const auto& info : kNotCheckedReasons) {
        const auto it = counts.byReason.find(info.reason);
        if (it == counts.byReason.end() || it->second == 0) continue;
        text += first ? "Not checked: " : ", ";
        text += std::to_string(it->second);
        if (first) text += it->second == 1 ? " entry" : " entries";
        text += " ";
        text += info.text;
        if (info.reason == NotCheckedReason::DriveUnavailable &&
            !counts.unavailableDrives.empty()) {
            std::string drives;
            for (const auto& [letter, count] : counts.unavailableDrives) {
                if (letter == 0) continue;
                if (!drives.empty()) drives += ", ";
                drives += std::string(1, letter) + ": " + std::to_string(count);
            }
            if (!drives.empty()) text += " (" + drives + ")";
        }
        first = false;
    }
    return text;
}

void CountNotChecked(ScanSession& session, NotCheckedReason why, char drive, std::size_t count) {
    if (count == 0) return;
    session.result.notChecked.byReason[why] += count;
    if (why == NotCheckedReason::DriveUnavailable)
        session.result.notChecked.unavailableDrives[drive] += count;
}

}  // namespace vostrel
