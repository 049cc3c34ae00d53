// What the desktop program is made of once it runs: the settings store, the
// machine, the desktop's services, the main window's controls and the view
// that follows the scan, the scan session, and the notification-area icon.
#pragma once

#include <QPointer>
#include <QString>
#include <memory>
#include <string>

#include "app/opened_machine.h"
#include "session/scan_session.h"
#include "shell/platform.h"
#include "shell/qt_window.h"
#include "shell/scan_view.h"
#include "shell/tray.h"
#include "system/machine.h"
#include "system/settings.h"
#include "system/wine_provides.h"

namespace vostrel::shell {

class MainWindow;
class PopupMenu;

struct AppContext {
    AppContext(std::unique_ptr<SettingsStore> settingsStore, std::unique_ptr<Machine> theMachine,
               Platform desktop);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    std::unique_ptr<SettingsStore> settings;
    // The machine with the Wine installation the scans ask (the setting
    // "txtWine", else the system's) and the user's Wine menu entries.
    OpenedMachine scanned;
    Platform platform;
    QtWindow window;
    ScanView view;
    ScanSession session;
    TrayIcon tray;
    // The program itself, for the autostart entry.
    QString programPath;
    // The machine's prefix is still being read (the window shows so, and no
    // scan can start until it is done).
    bool loading = false;

    MainWindow* main = nullptr;
    QPointer<PopupMenu> menu;
};

// The prefix the program works on: --prefix DIR, else $WINEPREFIX, else
// the prefix last chosen on the start view (while it holds system.reg),
// else ~/.wine.
std::string ChoosePrefix(const std::string& commandLinePrefix);

}  // namespace vostrel::shell
