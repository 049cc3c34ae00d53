#include "shell/tray.h"

#include <QWidget>
#include <optional>

namespace vostrel::shell {

namespace {
std::optional<bool> g_fakeAvailability;
}

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {}

bool TrayIcon::Available() {
    if (g_fakeAvailability) return *g_fakeAvailability;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::FakeAvailability(std::optional<bool> available) { g_fakeAvailability = available; }

QSystemTrayIcon* TrayIcon::Icon() {
    // Only a real notification area gets a real icon.
    if (g_fakeAvailability || !QSystemTrayIcon::isSystemTrayAvailable()) return nullptr;
    if (!icon_) {
        icon_ = new QSystemTrayIcon(this);
        connect(icon_, &QSystemTrayIcon::activated, this, &TrayIcon::activated);
    }
    return icon_;
}

void TrayIcon::ShowIcon(QWidget* sysTrayForm) {
    tip_ = sysTrayForm->windowTitle();
    if (QSystemTrayIcon* icon = Icon()) {
        icon->setIcon(sysTrayForm->windowIcon());
        icon->setToolTip(tip_);
        icon->show();
    }
    running_ = true;
}

void TrayIcon::RemoveIcon(QWidget*) {
    tip_.clear();
    if (icon_) icon_->hide();
    running_ = false;
}

void TrayIcon::ChangeToolTip(QWidget*, const QString& strNewTip) {
    if (!running_) return;
    tip_ = strNewTip;
    if (icon_) icon_->setToolTip(strNewTip);
}

}  // namespace vostrel::shell
