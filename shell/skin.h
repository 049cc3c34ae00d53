// The skin every window of the program is made of: pictures drawn from SVG
// artwork, picture buttons made of a normal and a hover image, backgrounds
// that put hover looks back to rest, and dragging a frameless window by its
// header strip and logo. Positions are written in twips, as the windows were
// designed, and converted at 15 twips per pixel (Qt scales pixels to the
// screen).
#pragma once

#include <QColor>
#include <QLabel>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>

#include "shell/skin_layout.h"

namespace vostrel::shell {

inline constexpr int kTwipsPerPixel = 15;
// The keyboard focus ring of the skinned buttons.
inline const QColor kFocusRingColour{0xFF, 0xB6, 0x27};

// Registers the artwork (SVG pictures, icons, the user guide) with Qt's resources.
void EnsureArtwork();

// The skin's scale: 1 as it was drawn, less on a screen too small for it
// (SkinScaleToFit). Set before any window is built; every twips-to-pixels
// conversion below follows it.
void SetSkinScale(double scale);
double SkinScale();

// Twips to (device independent) pixels at the skin's scale, rounded.
int Twips(int twips);
QRect TwipsRect(int left, int top, int width, int height);
// Pixels to twips (at the skin's scale), rounded to whole twips.
int ToTwips(double pixels);

// A row of the layout table: its object name, and its rectangle in pixels.
QString LayoutName(LayoutId id);
QRect LayoutRect(LayoutId id);
// Names the widget after its row and puts it at the row's rectangle.
template <typename W>
W* Place(W* widget, LayoutId id) {
    widget->setObjectName(LayoutName(id));
    widget->setGeometry(LayoutRect(id));
    return widget;
}

// A picture: one or more SVG layers from the resources, drawn on top of each
// other and stretched to the widget, crisp at any scale; with an optional
// caption and icon. It reports pointer movement, presses and releases
// (positions relative to its own top left corner) and clicks, and when it
// takes focus it reacts to Enter and Space as a click.
class SkinImage : public QWidget {
    Q_OBJECT
public:
    SkinImage(const QString& name, QStringList layers, QWidget* parent);
    // Named and placed as the layout's row says.
    SkinImage(LayoutId id, QStringList layers, QWidget* parent);

    void SetLayers(QStringList layers);
    void SetCaption(const QString& caption);
    QString caption() const { return caption_; }
    // Whether the whole caption fits beside the icon; a longer one is
    // drawn shortened, with "…" at its end.
    bool CaptionFits() const;
    void SetCaptionColor(const QColor& color);
    // A small picture drawn at the left end, before the caption.
    void SetIcon(const QString& icon);
    // Takes keyboard focus and shows a focus ring; Enter and Space click.
    // Screen readers are told it is a push button (its accessible name
    // the caption); otherwise it is a picture.
    void SetFocusable(const QString& accessibleName);
    bool isButton() const { return focusPolicy() != Qt::NoFocus; }
    // What Enter, Space or a screen reader's press does.
    void Activate() { emit activated(); }

signals:
    void mouseMoved(QPoint pos);
    void pressed(QPoint pos);
    void released(QPoint pos);
    // A mouse click: press and release inside the picture.
    void clicked();
    // The right button released over the picture.
    void contextClicked();
    // Enter or Space while it has the keyboard focus.
    void activated();

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    QFont CaptionFont() const;
    QRect CaptionArea() const;

    QStringList layers_;
    QString caption_;
    QString icon_;
    QColor captionColor_;
    bool pressedInside_ = false;
};

// A picture button: a normal image and a hover image at the same place. At
// rest the normal image shows; the pointer over it shows the hover image,
// which lies on top and takes the click. The hover image stays until a
// background resets the pair. A disabled normal image takes no pointer
// events, so its button can neither show its hover look nor be clicked.
// Both images take their names and their place from the layout's row.
class ImagePair : public QObject {
    Q_OBJECT
public:
    ImagePair(LayoutId id, QWidget* parent, QStringList normalLayers, QStringList hoverLayers,
              const QString& caption = {}, const QString& icon = {});

    SkinImage* normal() const { return normal_; }
    SkinImage* hover() const { return hover_; }

    // What the button does, in a few words, for screen readers.
    void SetDescription(const QString& description);
    // A caption of the caller's (a verb and a count); the button widens to
    // show all of it. The pixels it grew by.
    int SetCaption(const QString& caption);

    void ShowHover();
    void Reset();
    bool hovered() const { return !hover_->isHidden(); }
    void SetLeft(int pixels);
    void SetVisible(bool visible);

signals:
    // The pointer moved over the normal image (the hover step runs next).
    void normalHovered();
    // The hover image was clicked (or the button activated from the keyboard).
    void clicked();

private:
    SkinImage* normal_;
    SkinImage* hover_;
};

// A label that reports pointer movement and clicks (menu items, the labels of
// check boxes, "My Computer").
class SkinLabel : public QLabel {
    Q_OBJECT
public:
    SkinLabel(const QString& name, const QString& text, QWidget* parent);
    // Named and placed as the layout's row says.
    SkinLabel(LayoutId id, const QString& text, QWidget* parent);
    void SetFocusable();
    void SetBold(bool bold);
    void SetUnderline(bool underline);
    bool bold() const { return font().bold(); }
    bool underline() const { return font().underline(); }

signals:
    void mouseMoved();
    void clicked();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Moves a frameless window by dragging its header strip or its logo:
// dragging_, dragX_ and dragY_ as the window keeps them, in twips.
class WindowDragger : public QObject {
    Q_OBJECT
public:
    explicit WindowDragger(QWidget* window);
    // The drag strip: press, move and release.
    void AttachStrip(SkinImage* strip);
    // The logo: passes its press and movement on to the strip's handlers.
    void AttachLogo(SkinImage* logo);

    bool dragging() const { return dragging_; }
    void MouseDown(QPoint pos);
    void Drag(QPoint pos);
    void MouseUp();

private:
    QPointer<QWidget> window_;
    bool dragging_ = false;
    short dragX_ = 0;
    short dragY_ = 0;
};

// Makes a top-level window frameless (the skin draws its own border).
void MakeFrameless(QWidget* window, const QSize& size);

// The frame every skinned dialog is made of: named and frameless at the size
// of its window's row, the skin's style, the background picture, the header
// strip with the logo (dragging either moves the window, when asked) and,
// when asked, the close button at the strip's right end. Each part takes
// its name and place from its row of the layout.
struct DialogFrameLayout {
    LayoutId window;
    LayoutId background;
    LayoutId strip;
    LayoutId logo;
    std::optional<LayoutId> close = std::nullopt;
    bool draggable = true;
};
struct DialogFrame {
    SkinImage* background = nullptr;
    SkinImage* strip = nullptr;
    SkinImage* logo = nullptr;
    ImagePair* close = nullptr;
};
DialogFrame BuildDialogFrame(QWidget* dialog, const DialogFrameLayout& layout);

}  // namespace vostrel::shell
