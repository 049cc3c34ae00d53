// clsTray: the program's single notification-area icon. It is shown for a
// window with that window's icon and caption as its tip; a left double-click
// or a context click on it is reported. Where the desktop has no notification
// area the icon is only remembered (and tests fake one).
#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <optional>

class QWidget;

namespace vostrel::shell {

class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);

    // Whether the desktop offers a notification area (or a test fakes one).
    static bool Available();
    static void FakeAvailability(std::optional<bool> available);

    void ShowIcon(QWidget* sysTrayForm);
    void RemoveIcon(QWidget* sysTrayForm);
    void ChangeToolTip(QWidget* sysTrayForm, const QString& strNewTip);
    bool runningInTray() const { return running_; }
    QString toolTip() const { return tip_; }

signals:
    // A mouse event on the icon; the main window decides what it means.
    void activated(QSystemTrayIcon::ActivationReason reason);

private:
    QSystemTrayIcon* Icon();

    bool running_ = false;
    QString tip_;
    QSystemTrayIcon* icon_ = nullptr;
};

}  // namespace vostrel::shell
