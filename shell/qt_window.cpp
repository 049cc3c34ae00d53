#include "shell/qt_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QVariant>

#include "shell/message_box.h"
#include "shell/platform.h"
#include "shell/skin.h"

namespace vostrel::shell {

namespace {

// Widths are kept in twips exactly as set, so that the core reads back what
// it wrote; the widget shows the nearest pixel width.
constexpr const char* kTwipsWidth = "twipsWidth";

bool g_busyPointer = false;

}  // namespace

void SetScreenPointer(bool busy) {
    if (busy == g_busyPointer) return;
    g_busyPointer = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

QtWindow::~QtWindow() = default;

void QtWindow::Register(Control control, QWidget* widget) { widgets_[control] = widget; }

void QtWindow::RegisterTimer(Control control, QTimer* timer) { timers_[control] = timer; }

void QtWindow::RegisterCompanion(Control control, QWidget* widget) {
    companions_.emplace(control, widget);
}

QWidget* QtWindow::widget(Control control) const {
    const auto it = widgets_.find(control);
    return it == widgets_.end() ? nullptr : it->second.data();
}

void QtWindow::SetCaption(Control control, std::string_view text) {
    QWidget* w = widget(control);
    if (!w) return;
    const QString caption = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(caption);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(caption);
    else if (auto* group = qobject_cast<QGroupBox*>(w))
        group->setTitle(caption);
    else if (auto* image = qobject_cast<SkinImage*>(w))
        image->SetCaption(caption);
    else if (w->isWindow())
        w->setWindowTitle(caption);
}

std::string QtWindow::Caption(Control control) const {
    const QWidget* w = widget(control);
    if (!w) return {};
    QString caption;
    if (auto* label = qobject_cast<const QLabel*>(w))
        caption = label->text();
    else if (auto* button = qobject_cast<const QAbstractButton*>(w))
        caption = button->text();
    else if (auto* group = qobject_cast<const QGroupBox*>(w))
        caption = group->title();
    else if (auto* image = qobject_cast<const SkinImage*>(w))
        caption = image->caption();
    else if (w->isWindow())
        caption = w->windowTitle();
    return caption.toStdString();
}

void QtWindow::SetValue(Control control, int value) {
    QWidget* w = widget(control);
    if (!w) return;
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        // The core runs the box's click handling itself where a change calls for it.
        const QSignalBlocker block(box);
        box->setCheckState(value == 1   ? Qt::Checked
                           : value == 2 ? Qt::PartiallyChecked
                                        : Qt::Unchecked);
        return;
    }
    w->setProperty(kTwipsWidth, value);
    w->setFixedWidth(std::max(0, Twips(value)));
}

int QtWindow::Value(Control control) const {
    const QWidget* w = widget(control);
    if (!w) return 0;
    if (auto* box = qobject_cast<const QCheckBox*>(w)) {
        switch (box->checkState()) {
            case Qt::Checked: return 1;
            case Qt::PartiallyChecked: return 2;
            default: return 0;
        }
    }
    const QVariant twips = w->property(kTwipsWidth);
    return twips.isValid() ? twips.toInt() : ToTwips(w->width());
}

void QtWindow::SetEnabled(Control control, bool enabled) {
    const auto timer = timers_.find(control);
    if (timer != timers_.end()) {
        if (!timer->second) return;
        if (enabled && !timer->second->isActive()) timer->second->start();
        if (!enabled) timer->second->stop();
        return;
    }
    if (QWidget* w = widget(control)) w->setEnabled(enabled);
    const auto [first, last] = companions_.equal_range(control);
    for (auto it = first; it != last; ++it)
        if (it->second) it->second->setEnabled(enabled);
}

bool QtWindow::Enabled(Control control) const {
    const auto timer = timers_.find(control);
    if (timer != timers_.end()) return timer->second && timer->second->isActive();
    const QWidget* w = widget(control);
    return w && w->isEnabled();
}

void QtWindow::SetVisible(Control control, bool visible) {
    if (QWidget* w = widget(control)) w->setVisible(visible);
}

bool QtWindow::Visible(Control control) const {
    const QWidget* w = widget(control);
    return w && !w->isHidden();
}

void QtWindow::BringToFront(Control control) {
    if (QWidget* w = widget(control)) w->raise();
}

void QtWindow::SetBusyPointer(bool busy) {
    busy_ = busy;
    SetScreenPointer(busy);
}

void QtWindow::PlaySound(std::string_view hostPath) {
    if (sound_)
        sound_->Play(QString::fromUtf8(hostPath.data(), static_cast<qsizetype>(hostPath.size())));
}

}  // namespace vostrel::shell
