#include "shell/window_layout.h"

#include <algorithm>
#include <cmath>

namespace vostrel::shell {

void ResizeAnchors::Add(QWidget* control, Anchor anchor) {
    if (control) entries_.push_back({control, control->geometry(), anchor});
}

void ResizeAnchors::Apply(QSize size) {
    const int dx = std::max(0, size.width() - defaultSize_.width());
    const int dy = std::max(0, size.height() - defaultSize_.height());
    const auto part = [](double fraction, int growth) {
        return static_cast<int>(std::lround(fraction * growth));
    };
    for (const Entry& entry : entries_) {
        if (!entry.control) continue;
        const QRect& d = entry.designed;
        entry.control->setGeometry(d.x() + part(entry.anchor.left, dx),
                                   d.y() + part(entry.anchor.top, dy),
                                   d.width() + part(entry.anchor.width, dx),
                                   d.height() + part(entry.anchor.height, dy));
    }
}

}  // namespace vostrel::shell
