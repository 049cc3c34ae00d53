// How the skinned main window grows: each control drawn for the default
// size is anchored to the window's right and bottom edges by fractions of
// the growth, so that at the default size every control stands exactly
// where it was designed and a larger window gives the lists the room.
#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace vostrel::shell {

// What a control does when the window is dx wider and dy taller than its
// default size: it moves by left*dx and top*dy and grows by width*dx and
// height*dy (fractions from 0 to 1).
struct Anchor {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

class ResizeAnchors {
public:
    explicit ResizeAnchors(QSize defaultSize) : defaultSize_(defaultSize) {}

    // Remembers the control's geometry now (at the default size) and its anchor.
    void Add(QWidget* control, Anchor anchor);
    // Places every control for a window of `size` (never below the default).
    void Apply(QSize size);
    QSize defaultSize() const { return defaultSize_; }

private:
    struct Entry {
        QPointer<QWidget> control;
        QRect designed;
        Anchor anchor;
    };
    QSize defaultSize_;
    std::vector<Entry> entries_;
};

}  // namespace vostrel::shell
