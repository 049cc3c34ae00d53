#include "shell/splash.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>

#include "shell/qt_window.h"
#include "shell/skin.h"

namespace vostrel::shell {

Splash::Splash(std::function<void()> showMain)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), showMain_(std::move(showMain)) {
    setObjectName("frmSplash");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Vostrel 2006"));
    setFixedSize(TwipsRect(0, 0, 6300, 3600).size());
    auto* background = new SkinImage("Picture1", {"skin/splash.svg"}, this);
    background->setGeometry(rect());
    auto* image1 = new SkinImage("Image1", {"skin/logo.svg"}, this);
    image1->setGeometry(TwipsRect(750, 750, 4800, 960));
    auto* shape1 = new QFrame(this);
    shape1->setObjectName("Shape1");
    shape1->setGeometry(rect());
    shape1->setStyleSheet("QFrame#Shape1 { border: 2px solid #2bb3e6; background: transparent; }");
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
