// vostrel: the desktop program. A splash, then the main window on a Wine
// prefix: --prefix DIR, else $WINEPREFIX, else ~/.wine.
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEvent>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>
#include <iostream>
#include <string>

#include "shell/app.h"
#include "shell/deferred_machine.h"
#include "shell/engine.h"
#include "shell/machine_loader.h"
#include "shell/main_window.h"
#include "shell/single_instance.h"
#include "shell/skin.h"
#include "shell/splash.h"
#include "shell/translations.h"
#include "shell/window_layout.h"
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

// With VOSTREL_STARTUP_TIMES set, the times of the first painted window and
// of the prefix being read are written to stderr (for bench/run_bench.sh),
// in seconds since main() began.
class StartupTimes : public QObject {
public:
    StartupTimes() : enabled_(qEnvironmentVariableIsSet("VOSTREL_STARTUP_TIMES")) {
        clock_.start();
        if (enabled_) qApp->installEventFilter(this);
    }
    void Loaded() { Say("prefix loaded"); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            (void)watched;
            qApp->removeEventFilter(this);
            Say("first window painted");
        }
        return false;
    }

private:
    void Say(const char* what) {
        if (enabled_)
            std::cerr << "vostrel: " << what << " after " << clock_.nsecsElapsed() / 1e9 << " s\n";
    }
    bool enabled_;
    bool painted_ = false;
    QElapsedTimer clock_;
};

// On a screen with too little room for the skin as drawn (a high device
// scale on a small screen), the whole skin and its texts are made smaller
// to fit, never below half their size.
void FitSkinToScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QSize natural = LayoutRect(LayoutId::MainForm).size();
    const double scale = SkinScaleToFit(natural, screen->availableGeometry().size());
    if (scale >= 1.0) return;
    SetSkinScale(scale);
    QFont font = QApplication::font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * scale);
    else if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * scale)));
    QApplication::setFont(font);
}

}  // namespace

int main(int argc, char** argv) {
    if (AnsweredWithoutWindows(argc, argv)) return 0;
    QApplication application(argc, argv);
    QApplication::setApplicationName("vostrel");
    // The translation first: the command line's help and the program's
    // name are in the user's language too.
    InstallTranslator();
    QApplication::setApplicationDisplayName(QCoreApplication::translate("main", "Vostrel 2006"));
    QApplication::setApplicationVersion("0.1.0");
    EnsureArtwork();
    QApplication::setWindowIcon(QIcon(":/vostrel.svg"));
    QApplication::setDesktopFileName("io.github.vostrel.Vostrel");
    // The program lives on in the notification area with no window shown.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "main", "Vostrel 2006 - finds registry entries and shortcuts that point at missing files"));
    parser.addOption(
        {"prefix",
         QCoreApplication::translate(
             "main", "The Wine prefix to work on (default $WINEPREFIX, else ~/.wine)."),
         "DIR"});
    parser.process(application);

    // A second start brings the running program's window forward and ends.
    // (Should the socket fail for another reason, the program runs alone.)
    SingleInstance instance;
    if (instance.AskRunning()) return 0;
    if (!instance.Listen()) {
        if (instance.AskRunning()) return 0;  // another start was quicker
        std::cerr << "vostrel: a later start cannot reach this one: "
                  << instance.errorText().toStdString() << "\n";
    }
    FitSkinToScreen();

    // The window comes first: the prefix is read on a worker thread while
    // the splash and then the main window (saying it is loading) show.
    const std::string prefix = ChoosePrefix(parser.value("prefix").toStdString());
    StartupTimes times;
    MachineLoader loader(prefix);
    loader.Start();
    DeferredMachine deferred = MakeDeferredMachine(prefix);
    AppContext app(OpenDefaultSettings(), std::move(deferred.machine),
                   Platform::Desktop(&application));
    app.programPath = QApplication::applicationFilePath();
    app.loading = true;
    // Delivered by the event loop, so never before it runs.
    QObject::connect(&loader, &MachineLoader::finished, &application, [&] {
        MachineResult opened = loader.TakeResult();
        if (!opened.machine) {
            const QString error = QString::fromStdString(opened.error);
            std::cerr << "vostrel: " << opened.error << "\n";
            QMessageBox::critical(
                nullptr, QCoreApplication::translate("main", "Vostrel 2006"),
                QCoreApplication::translate("main", "The Wine prefix %1 cannot be opened:\n%2")
                    .arg(QString::fromStdString(prefix), error));
            QCoreApplication::exit(1);
            return;
        }
        FinishLoading(app, deferred, std::move(opened.machine));
        times.Loaded();
    });
    QObject::connect(&instance, &SingleInstance::raiseRequested, &application, [&app] {
        if (app.main) app.main->BringForward();
    });
    new Splash([&app] {
        if (!app.main) new MainWindow(app);
        app.main->show();
    });
    return QApplication::exec();
}
