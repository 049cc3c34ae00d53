#include "session/scan_observer.h"

namespace vostrel {

EventPump::EventPump(ScanObserver& observer, std::chrono::microseconds interval)
    : observer_(observer), interval_(interval), last_(std::chrono::steady_clock::now()) {}

void EventPump::Tick() {
    // Reading the clock costs more than a tick's work: with an interval it is
    // read at every 16th tick only.
    if (interval_.count() > 0 && (++ticks_ & 15u) != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < interval_) return;
    last_ = now;
    observer_.ProcessPendingEvents();
}

void EventPump::Now() {
    last_ = std::chrono::steady_clock::now();
    observer_.ProcessPendingEvents();
}

}  // namespace vostrel
