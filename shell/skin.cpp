#include "shell/skin.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>

#include "shell/skin_style.h"

// The artwork lives in the static shell library; it is registered on first use.
static void InitArtwork() { Q_INIT_RESOURCE(vostrel); }

namespace vostrel::shell {

void EnsureArtwork() {
    static const bool done = (InitArtwork(), true);
    (void)done;
}

namespace {

// How a picture shows to screen readers: a push button once it takes the
// focus (its caption as name, what it does as description, pressed by the
// reader as by Enter), a plain picture otherwise.
class SkinImageAccessible final : public QAccessibleWidget {
public:
    explicit SkinImageAccessible(SkinImage* image)
        : QAccessibleWidget(image, QAccessible::Graphic) {}

    QAccessible::Role role() const override {
        return image()->isButton() ? QAccessible::Button : QAccessible::Graphic;
    }
    QString text(QAccessible::Text t) const override {
        QString value = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && value.isEmpty()) value = image()->caption();
        if (t == QAccessible::Description && value.isEmpty() && image()->isButton())
            value = text(QAccessible::Name);
        return value;
    }
    QStringList actionNames() const override {
        if (!image()->isButton() || !image()->isEnabled()) return {};
        return {pressAction()};
    }
    void doAction(const QString& action) override {
        if (action == pressAction() && image()->isButton() && image()->isEnabled())
            image()->Activate();
    }

private:
    SkinImage* image() const { return static_cast<SkinImage*>(widget()); }
};

QAccessibleInterface* SkinAccessibleFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(SkinImage::staticMetaObject.className())) return nullptr;
    auto* image = qobject_cast<SkinImage*>(object);
    return image ? new SkinImageAccessible(image) : nullptr;
}

void InstallSkinAccessibility() {
    static const bool done = (QAccessible::installFactory(SkinAccessibleFactory), true);
    (void)done;
}

}  // namespace

namespace {
double skinScale = 1.0;
}  // namespace

void SetSkinScale(double scale) { skinScale = scale > 0 ? scale : 1.0; }

double SkinScale() { return skinScale; }

int Twips(int twips) {
    return static_cast<int>(std::lround(twips * skinScale / double(kTwipsPerPixel)));
}

QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

int ToTwips(double pixels) {
    return static_cast<int>(std::lround(pixels * kTwipsPerPixel / skinScale));
}

namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// One renderer per artwork file for the whole program.
QSvgRenderer* Renderer(const QString& path) {
    EnsureArtwork();
    static QHash<QString, QSvgRenderer*> renderers;
    auto it = renderers.find(path);
    if (it != renderers.end()) return it.value();
    auto* renderer = new QSvgRenderer(path, QCoreApplication::instance());
    renderers.insert(path, renderer);
    return renderer;
}

bool IsActivationKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
           event->key() == Qt::Key_Space;
}

}  // namespace

QString LayoutName(LayoutId id) { return FromView(Layout(id).name); }

QRect LayoutRect(LayoutId id) {
    const TwipsBox& box = Layout(id).box;
    return TwipsRect(box.left, box.top, box.width, box.height);
}

SkinImage::SkinImage(const QString& name, QStringList layers, QWidget* parent)
    : QWidget(parent), layers_(std::move(layers)), captionColor_(Qt::white) {
    InstallSkinAccessibility();
    setObjectName(name);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
}

SkinImage::SkinImage(LayoutId id, QStringList layers, QWidget* parent)
    : SkinImage(LayoutName(id), std::move(layers), parent) {
    setGeometry(LayoutRect(id));
}

void SkinImage::SetLayers(QStringList layers) {
    layers_ = std::move(layers);
    update();
}

void SkinImage::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void SkinImage::SetCaptionColor(const QColor& color) {
    captionColor_ = color;
    update();
}

void SkinImage::SetIcon(const QString& icon) {
    icon_ = icon;
    update();
}

void SkinImage::SetFocusable(const QString& accessibleName) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(accessibleName);
}

void SkinImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.45);
    for (const QString& layer : layers_) Renderer(":/" + layer)->render(&painter, QRectF(rect()));
    if (!icon_.isEmpty()) {
        const int side = height() - 12;
        Renderer(":/" + icon_)->render(&painter, QRectF(QRect(8, 6, side, side)));
    }
    if (!caption_.isEmpty()) {
        const QFont f = CaptionFont();
        const QRect textArea = CaptionArea();
        painter.setFont(f);
        painter.setPen(captionColor_);
        painter.drawText(textArea, Qt::AlignCenter,
                         QFontMetrics(f).elidedText(caption_, Qt::ElideRight, textArea.width()));
    }
    if (hasFocus()) {
        // A solid 2 px ring in the skin's amber, clear on the blue buttons
        // and on the dark header alike.
        painter.setOpacity(1.0);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(kFocusRingColour, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

QFont SkinImage::CaptionFont() const {
    QFont f = font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * (height() >= 36 ? 1.25 : 1.0));
    return f;
}

QRect SkinImage::CaptionArea() const {
    QRect area = rect();
    // Right of the icon: a square 6 px in from the top and bottom, 8 px from the left.
    const int side = height() - 12;
    if (!icon_.isEmpty()) area.setLeft(QRect(8, 6, side, side).right() + 4);
    return area;
}

bool SkinImage::CaptionFits() const {
    return QFontMetrics(CaptionFont()).horizontalAdvance(caption_) <= CaptionArea().width();
}

void SkinImage::mouseMoveEvent(QMouseEvent* event) { emit mouseMoved(event->position().toPoint()); }

void SkinImage::enterEvent(QEnterEvent* event) {
    // A pointer that arrives over the picture moves over it; a disabled
    // picture takes no pointer events at all.
    // Entering one of its children is no movement over the picture itself.
    if (!isEnabled()) return;
    const QPoint pos = event->position().toPoint();
    if (childAt(pos)) return;
    emit mouseMoved(pos);
}

void SkinImage::mousePressEvent(QMouseEvent* event) {
    pressedInside_ = true;
    emit pressed(event->position().toPoint());
}

void SkinImage::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressedInside_ && rect().contains(event->position().toPoint()) &&
                       event->button() == Qt::LeftButton;
    pressedInside_ = false;
    emit released(event->position().toPoint());
    if (click) emit clicked();
    if (event->button() == Qt::RightButton && rect().contains(event->position().toPoint()))
        emit contextClicked();
}

void SkinImage::keyPressEvent(QKeyEvent* event) {
    if (focusPolicy() != Qt::NoFocus && IsActivationKey(event) && !event->isAutoRepeat()) {
        emit activated();
        return;
    }
    QWidget::keyPressEvent(event);
}

int ImagePair::SetCaption(const QString& caption) {
    const QFontMetrics metrics(normal_->font());
    const int wanted = metrics.horizontalAdvance(caption) + 2 * metrics.averageCharWidth();
    const int grow = std::max(0, wanted - normal_->width());
    for (SkinImage* image : {normal_, hover_}) {
        image->SetCaption(caption);
        image->SetFocusable(caption);
        if (grow > 0) image->resize(image->width() + grow, image->height());
    }
    return grow;
}

ImagePair::ImagePair(LayoutId id, QWidget* parent, QStringList normalLayers,
                     QStringList hoverLayers, const QString& caption, const QString& icon)
    : QObject(parent),
      normal_(new SkinImage(id, std::move(normalLayers), parent)),
      hover_(new SkinImage(id, std::move(hoverLayers), parent)) {
    hover_->setObjectName(FromView(Layout(id).hover));
    setObjectName(normal_->objectName());
    for (SkinImage* image : {normal_, hover_}) {
        image->SetCaption(caption);
        image->SetIcon(icon);
    }
    const QString accessible = caption.isEmpty() ? normal_->objectName() : caption;
    normal_->SetFocusable(accessible);
    hover_->SetFocusable(accessible);
    hover_->raise();
    hover_->hide();
    connect(normal_, &SkinImage::mouseMoved, this, [this] {
        emit normalHovered();
        ShowHover();
    });
    connect(hover_, &SkinImage::clicked, this, &ImagePair::clicked);
    connect(hover_, &SkinImage::activated, this, &ImagePair::clicked);
    connect(normal_, &SkinImage::activated, this, [this] {
        if (normal_->isEnabled()) emit clicked();
    });
}

void ImagePair::ShowHover() {
    const bool hadFocus = normal_->hasFocus();
    hover_->show();
    hover_->raise();
    normal_->hide();
    if (hadFocus) hover_->setFocus(Qt::OtherFocusReason);
}

void ImagePair::SetDescription(const QString& description) {
    normal_->setAccessibleDescription(description);
    hover_->setAccessibleDescription(description);
}

void ImagePair::Reset() {
    const bool hadFocus = hover_->hasFocus();
    normal_->show();
    hover_->hide();
    if (hadFocus) normal_->setFocus(Qt::OtherFocusReason);
}

void ImagePair::SetLeft(int pixels) {
    for (SkinImage* image : {normal_, hover_}) image->move(pixels, image->y());
}

void ImagePair::SetVisible(bool visible) {
    normal_->setVisible(visible);
    if (!visible) hover_->hide();
}

SkinLabel::SkinLabel(const QString& name, const QString& text, QWidget* parent)
    : QLabel(text, parent) {
    setObjectName(name);
    setMouseTracking(true);
}

SkinLabel::SkinLabel(LayoutId id, const QString& text, QWidget* parent)
    : SkinLabel(LayoutName(id), text, parent) {
    setGeometry(LayoutRect(id));
}

void SkinLabel::SetFocusable() {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(text().remove('&'));
}

void SkinLabel::SetBold(bool bold) {
    QFont f = font();
    f.setBold(bold);
    setFont(f);
}

void SkinLabel::SetUnderline(bool underline) {
    QFont f = font();
    f.setUnderline(underline);
    setFont(f);
}

void SkinLabel::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved();
    QLabel::mouseMoveEvent(event);
}

void SkinLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void SkinLabel::keyPressEvent(QKeyEvent* event) {
    if (focusPolicy() != Qt::NoFocus && IsActivationKey(event) && !event->isAutoRepeat()) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

WindowDragger::WindowDragger(QWidget* window) : QObject(window), window_(window) {}

void WindowDragger::AttachStrip(SkinImage* strip) {
    connect(strip, &SkinImage::pressed, this, &WindowDragger::MouseDown);
    connect(strip, &SkinImage::mouseMoved, this, &WindowDragger::Drag);
    connect(strip, &SkinImage::released, this, &WindowDragger::MouseUp);
}

void WindowDragger::AttachLogo(SkinImage* logo) { AttachStrip(logo); }

void WindowDragger::MouseDown(QPoint pos) {
    dragging_ = true;
    dragX_ = static_cast<short>(ToTwips(pos.x()));
    dragY_ = static_cast<short>(ToTwips(pos.y()));
}

void WindowDragger::Drag(QPoint pos) {
    if (!dragging_ || !window_) return;
    const int left = ToTwips(window_->x()) + ToTwips(pos.x()) - dragX_;
    const int top = ToTwips(window_->y()) + ToTwips(pos.y()) - dragY_;
    window_->move(Twips(left), Twips(top));
}

void WindowDragger::MouseUp() { dragging_ = false; }

void MakeFrameless(QWidget* window, const QSize& size) {
    window->setWindowFlag(Qt::FramelessWindowHint, true);
    window->setFixedSize(size);
}

DialogFrame BuildDialogFrame(QWidget* dialog, const DialogFrameLayout& layout) {
    DialogFrame frame;
    dialog->setObjectName(LayoutName(layout.window));
    MakeFrameless(dialog, LayoutRect(layout.window).size());
    ApplySkinStyle(dialog);
    frame.background = new SkinImage(layout.background, {"skin/background.svg"}, dialog);
    frame.strip = new SkinImage(layout.strip, {"skin/header.svg"}, dialog);
    frame.logo = new SkinImage(layout.logo, {"skin/logo.svg"}, dialog);
    if (layout.draggable) {
        auto* dragger = new WindowDragger(dialog);
        dragger->AttachStrip(frame.strip);
        dragger->AttachLogo(frame.logo);
    }
    if (layout.close) {
        frame.close = new ImagePair(*layout.close, dialog, {"skin/win_close_normal.svg"},
                                    {"skin/win_close_hover.svg"});
        frame.close->normal()->setAccessibleName(
            QCoreApplication::translate("vostrel::shell::ImagePair", "Close"));
        frame.close->hover()->setAccessibleName(
            QCoreApplication::translate("vostrel::shell::ImagePair", "Close"));
        frame.close->SetDescription(
            QCoreApplication::translate("vostrel::shell::ImagePair", "Closes this window"));
    }
    return frame;
}

}  // namespace vostrel::shell
