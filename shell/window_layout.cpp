#include "shell/window_layout.h"

#include <QStringList>
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

double SkinScaleToFit(QSize natural, QSize available, double floor) {
    if (natural.isEmpty() || available.isEmpty()) return 1.0;
    const double fit = std::min(available.width() / double(natural.width()),
                                available.height() / double(natural.height()));
    return std::clamp(fit, std::min(floor, 1.0), 1.0);
}

QRect RestoredGeometry(const QRect& saved, QSize minimum, const QList<QRect>& screens) {
    if (saved.isEmpty()) return {};
    QRect rect(saved.topLeft(), saved.size().expandedTo(minimum));
    if (screens.isEmpty()) return rect;
    const auto overlap = [&rect](const QRect& screen) {
        const QRect common = screen.intersected(rect);
        return common.isEmpty() ? 0LL : qint64(common.width()) * common.height();
    };
    QRect screen = screens.front();
    for (const QRect& candidate : screens)
        if (overlap(candidate) > overlap(screen)) screen = candidate;
    rect.setSize(rect.size().boundedTo(screen.size()).expandedTo(minimum));
    // Inside the screen; a window larger than it keeps its top left corner there.
    const int left =
        std::max(screen.left(), std::min(rect.left(), screen.right() + 1 - rect.width()));
    const int top =
        std::max(screen.top(), std::min(rect.top(), screen.bottom() + 1 - rect.height()));
    rect.moveTo(left, top);
    return rect;
}

QString GeometryText(const QRect& rect) {
    return QStringLiteral("%1,%2,%3,%4")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

std::optional<QRect> ParseGeometry(const QString& text) {
    const QStringList parts = text.split(',');
    if (parts.size() != 4) return std::nullopt;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toInt(&ok);
        if (!ok) return std::nullopt;
    }
    const QRect rect(values[0], values[1], values[2], values[3]);
    if (rect.isEmpty()) return std::nullopt;
    return rect;
}

}  // namespace vostrel::shell
