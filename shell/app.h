// What the desktop program is made of once it runs: the settings store, the
// machine, the desktop's services, the core's data of the main window with
// its window port, and the notification-area icon.
#pragma once

#include <QPointer>
#include <QString>
#include <memory>
#include <string>

#include "scan/main_form.h"
#include "shell/platform.h"
#include "shell/qt_window.h"
#include "shell/tray.h"
#include "system/machine.h"
#include "system/settings.h"
#include "system/wine_provides.h"

namespace vostrel::shell {

class FrmMain;
class FrmMenuPopUp;

struct AppContext {
    AppContext(std::unique_ptr<SettingsStore> settingsStore, std::unique_ptr<Machine> theMachine,
               Platform desktop);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Machine> machine;
    Platform platform;
    QtWindow window;
    MainForm form;
    ClsTray objTray;
    // The program itself, for the autostart entry.
    QString programPath;

    FrmMain* main = nullptr;
    QPointer<FrmMenuPopUp> menu;
    // The Wine installation the scans ask (the setting "txtWine", else the
    // system's); null when none is found.
    std::unique_ptr<WineProvides> wine;
};

// The prefix the program works on: --prefix DIR, else $WINEPREFIX, else ~/.wine.
std::string ChoosePrefix(const std::string& commandLinePrefix);

}  // namespace vostrel::shell
