// The floor: a Qt program that shows one empty frameless window.
#include <QApplication>
#include <QWidget>
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint);
    w.resize(420, 240);
    w.show();
    return app.exec();
}
