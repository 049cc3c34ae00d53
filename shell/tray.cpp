#include "shell/tray.h"

#include <QWidget>
#include <optional>

namespace vostrel::shell {

namespace {
std::optional<bool> g_fakeAvailability;
}

ClsTray::ClsTray(QObject* parent) : QObject(parent) {}

bool ClsTray::Available() {
    if (g_fakeAvailability) return *g_fakeAvailability;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void ClsTray::FakeAvailability(std::optional<bool> available) { g_fakeAvailability = available; }

QSystemTrayIcon* ClsTray::Icon() {
    // Only a real notification area gets a real icon.
    if (g_fakeAvailability || !QSystemTrayIcon::isSystemTrayAvailable()) return nullptr;
    if (!icon_) {
        icon_ = new QSystemTrayIcon(this);
        connect(icon_, &QSystemTrayIcon::activated, this, &ClsTray::activated);
    }
    return icon_;
}

void ClsTray::ShowIcon(QWidget* sysTrayForm) {
    tip_ = sysTrayForm->windowTitle();
    if (QSystemTrayIcon* icon = Icon()) {
        icon->setIcon(sysTrayForm->windowIcon());
        icon->setToolTip(tip_);
        icon->show();
    }
    running_ = true;
}

void ClsTray::RemoveIcon(QWidget*) {
    tip_.clear();
    if (icon_) icon_->hide();
    running_ = false;
}

void ClsTray::ChangeToolTip(QWidget*, const QString& strNewTip) {
    if (!running_) return;
    tip_ = strNewTip;
    if (icon_) icon_->setToolTip(strNewTip);
}

}  // namespace vostrel::shell
