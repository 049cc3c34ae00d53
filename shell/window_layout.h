// How the skinned main window grows: each control drawn for the default
// size is anchored to the window's right and bottom edges by fractions of
// the growth, so that at the default size every control stands exactly
// where it was designed and a larger window gives the lists the room.
#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>
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

// The scale at which a skin drawn at `natural` pixels fits a screen whose
// room is `available`: 1 when it fits as drawn, else the largest that fits,
// the same both ways (the artwork keeps its shape), but never below `floor`,
// under which its texts could no longer be read.
double SkinScaleToFit(QSize natural, QSize available, double floor = 0.5);

// Where a window last at `saved` opens on the screens there are now (their
// available rectangles, the primary first): at least `minimum` large, on
// the screen it overlaps most (the primary when none), and moved, then
// shrunk as far as `minimum` allows, to lie inside it. An empty `saved`
// gives an empty rectangle: the window keeps its drawn place.
QRect RestoredGeometry(const QRect& saved, QSize minimum, const QList<QRect>& screens);

// A window's rectangle as the settings hold it ("x,y,width,height"), and back.
QString GeometryText(const QRect& rect);
std::optional<QRect> ParseGeometry(const QString& text);

}  // namespace vostrel::shell
