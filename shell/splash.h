// frmSplash: the start-up window. It shows for two seconds with the busy
// pointer, then shows the main window and unloads itself.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

namespace vostrel::shell {

class Splash : public QWidget {
    Q_OBJECT
public:
    // `showMain` shows the main window (loading it first).
    explicit Splash(std::function<void()> showMain);
    QTimer* tmrUnload() const { return tmrUnload_; }

private:
    void Unload();

    std::function<void()> showMain_;
    QTimer* tmrUnload_;
};

}  // namespace vostrel::shell
