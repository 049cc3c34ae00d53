// vostrel: the desktop program. A splash, then the main window on a Wine
// prefix: --prefix DIR, else $WINEPREFIX, else ~/.wine.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <iostream>
#include <string>

#include "shell/app.h"
#include "shell/engine.h"
#include "shell/main_window.h"
#include "shell/skin.h"
#include "shell/splash.h"
#include "system/settings.h"

using namespace vostrel;
using namespace vostrel::shell;

namespace {

constexpr const char* kUsage =
    "Usage: vostrel [--prefix DIR]\n"
    "Vostrel 2006 - finds registry entries and shortcuts that point at missing files\n"
    "\n"
    "  --prefix DIR   the Wine prefix to work on (default $WINEPREFIX, else ~/.wine)\n"
    "  -h, --help     show this help\n"
    "  --version      show the version\n";

// --help and --version answer without a display.
bool AnsweredWithoutWindows(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return true;
        }
        if (arg == "--version") {
            std::cout << "vostrel 0.1.0\n";
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (AnsweredWithoutWindows(argc, argv)) return 0;
    QApplication application(argc, argv);
    QApplication::setApplicationName("vostrel");
    QApplication::setApplicationDisplayName("Vostrel 2006");
    QApplication::setApplicationVersion("0.1.0");
    EnsureArtwork();
    QApplication::setWindowIcon(QIcon(":/vostrel.svg"));
    QApplication::setDesktopFileName("io.github.vostrel.Vostrel");
    // The program lives on in the notification area with no window shown.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Vostrel 2006 - finds registry entries and shortcuts that point at missing files");
    parser.addOption(
        {"prefix", "The Wine prefix to work on (default $WINEPREFIX, else ~/.wine).", "DIR"});
    parser.process(application);

    const std::string prefix = ChoosePrefix(parser.value("prefix").toStdString());
    MachineResult opened = engine::OpenMachine(prefix);
    if (!opened.machine) {
        const QString error = QString::fromStdString(opened.error);
        std::cerr << "vostrel: " << opened.error << "\n";
        QMessageBox::critical(nullptr, "Vostrel 2006",
                              QStringLiteral("The Wine prefix %1 cannot be opened:\n%2")
                                  .arg(QString::fromStdString(prefix), error));
        return 1;
    }

    AppContext app(OpenDefaultSettings(), std::move(opened.machine),
                   Platform::Desktop(&application));
    app.programPath = QApplication::applicationFilePath();
    new Splash([&app] {
        if (!app.main) new MainWindow(app);
        app.main->show();
    });
    return QApplication::exec();
}
