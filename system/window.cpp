#include "system/window.h"

namespace vostrel {

void StateWindow::SetCaption(Control control, std::string_view text) {
    captions_[control].assign(text.data(), text.size());
}

std::string StateWindow::Caption(Control control) const {
    const auto it = captions_.find(control);
    return it == captions_.end() ? std::string() : it->second;
}

void StateWindow::SetValue(Control control, int value) { values_[control] = value; }

int StateWindow::Value(Control control) const {
    const auto it = values_.find(control);
    return it == values_.end() ? 0 : it->second;
}

void StateWindow::SetEnabled(Control control, bool enabled) { enabled_[control] = enabled; }

bool StateWindow::Enabled(Control control) const {
    const auto it = enabled_.find(control);
    return it == enabled_.end() ? true : it->second;
}

void StateWindow::SetVisible(Control control, bool visible) { visible_[control] = visible; }

bool StateWindow::Visible(Control control) const {
    const auto it = visible_.find(control);
    return it == visible_.end() ? true : it->second;
}

EventPump::EventPump(Window& window, std::chrono::microseconds interval)
    : window_(window), interval_(interval), last_(std::chrono::steady_clock::now()) {}

void EventPump::Tick() {
    // Reading the clock costs more than a tick's work: with an interval it is
    // read at every 16th tick only.
    if (interval_.count() > 0 && (++ticks_ & 15u) != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < interval_) return;
    last_ = now;
    window_.ProcessPendingEvents();
}

void EventPump::Now() {
    last_ = std::chrono::steady_clock::now();
    window_.ProcessPendingEvents();
}

}  // namespace vostrel
