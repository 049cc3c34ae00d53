#include "shell/splash.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>

#include "shell/qt_window.h"
#include "shell/skin.h"

namespace vostrel::shell {

Splash::Splash(std::function<void()> showMain)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), showMain_(std::move(showMain)) {
    setObjectName(LayoutName(LayoutId::SplashForm));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Vostrel 2006"));
    setFixedSize(LayoutRect(LayoutId::SplashForm).size());
    new SkinImage(LayoutId::SplashBackground, {"skin/splash.svg"}, this);
    new SkinImage(LayoutId::SplashLogo, {"skin/logo.svg"}, this);
    auto* border = Place(new QFrame(this), LayoutId::SplashBorder);
    border->setStyleSheet(
        QStringLiteral("QFrame#%1 { border: 2px solid #2bb3e6; background: transparent; }")
            .arg(border->objectName()));
    tmrUnload_ = new QTimer(this);
    tmrUnload_->setInterval(2000);
    connect(tmrUnload_, &QTimer::timeout, this, &Splash::Unload);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // Form_Load: busy pointer, show, start the timer.
    SetScreenPointer(true);
    show();
    tmrUnload_->start();
}

void Splash::Unload() {
    tmrUnload_->stop();
    SetScreenPointer(false);
    if (showMain_) showMain_();
    close();
}

}  // namespace vostrel::shell
