// vostrel-screenshots: walks the real windows through a session on the
// sample machine and saves a picture of each step:
//   vostrel-screenshots PREFIX OUTPUT_DIR
// scripts/screenshots runs it under Xvfb with a scratch home.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QTimer>
#include <QTranslator>
#include <iostream>

#include "shell/app.h"
#include "shell/backup_window.h"
#include "shell/engine.h"
#include "shell/list_model.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/popup_menu.h"
#include "shell/results_view.h"
#include "shell/settings_window.h"
#include "shell/skin.h"
#include "shell/splash.h"
#include "shell/translations.h"
#include "system/settings.h"

using namespace vostrel;
using namespace vostrel::shell;

namespace {

QString g_output;

void Pump(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void Save(QWidget* window, const QString& name) {
    Pump(50);
    const QPixmap picture = window->grab();
    const QString path = g_output + "/" + name + ".png";
    if (!picture.save(path)) std::cerr << "cannot save " << path.toStdString() << "\n";
    std::cout << path.toStdString() << "\n";
}

// The main window with a smaller window over it, as the user sees them.
void SaveOver(QWidget* main, QWidget* dialog, const QString& name) {
    Pump(50);
    QPixmap picture = main->grab();
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), QColor(0, 0, 0, 70));
    const QPixmap top = dialog->grab();
    painter.drawPixmap((picture.width() - top.width()) / 2, (picture.height() - top.height()) / 2,
                       top);
    painter.end();
    const QString path = g_output + "/" + name + ".png";
    picture.save(path);
    std::cout << path.toStdString() << "\n";
}

// Runs `action` on the next modal window.
void OnModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

void ClickOk(QWidget* box) {
    if (auto* message = qobject_cast<MessageBoxDialog*>(box)) message->OkClicked();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
#ifdef VOSTREL_QM_DIR
    // The texts a user reads: the English translation, as the program loads it.
    if (auto translator = LoadTranslation(QLocale("en_US"), VOSTREL_QM_DIR))
        QCoreApplication::installTranslator(translator.release());
#endif
    QApplication::setQuitOnLastWindowClosed(false);
    EnsureArtwork();
    if (argc != 3) {
        std::cerr << "usage: vostrel-screenshots PREFIX OUTPUT_DIR\n";
        return 2;
    }
    g_output = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(g_output);
    MachineResult opened = engine::OpenMachine(argv[1]);
    if (!opened.machine) {
        std::cerr << "vostrel-screenshots: " << opened.error << "\n";
        return 1;
    }
    Platform platform = Platform::Desktop(&application);
    platform.openUrl = [](const QString&) {};
    platform.endProgram = [] {};
    TrayIcon::FakeAvailability(true);
    AppContext app(OpenDefaultSettings(), std::move(opened.machine), std::move(platform));
    app.programPath = QApplication::applicationFilePath();
    app.settings->Save("chkRunAtStartup", "0");

    auto* splash = new Splash([&app] {
        if (!app.main) new MainWindow(app);
        app.main->move(60, 60);
        app.main->show();
    });
    splash->tmrUnload()->stop();
    Save(splash, "splash");
    splash->tmrUnload()->setInterval(10);
    splash->tmrUnload()->start();
    Pump(300);
    MainWindow& main = *app.main;
    main.RefreshThePicControls();
    // The pointer over the Scan Now button.
    main.pair("ImgScanNowNormal")->ShowHover();
    Save(&main, "start");
    main.ResetHoverLooks();

    // The scanning view, caught while the scan runs.
    bool caught = false;
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (caught || main.control("PicScanning")->isHidden()) return;
        if (app.session.ProblemCount() < 3) return;
        caught = true;
        Save(&main, "scanning");
    });
    watch.start();
    main.RunScan();
    // The scan runs on the window's worker: the events go on until it ends.
    while (main.Busy()) Pump(1);
    watch.stop();
    if (!caught) std::cerr << "the scan ended before its view could be caught\n";

    // The results: the help files' details, one of them unticked and shown
    // whole in the pane, then its context menu.
    ListView* summary = main.summary();
    ListView* details = main.details();
    const int helpRow = 3;
    if (summary->model()->rowCount() > helpRow) {
        summary->setCurrentIndex(summary->model()->index(helpRow, 0));
        const QModelIndex problem = details->model()->index(0, 0);
        details->model()->setData(problem, Qt::Unchecked, Qt::CheckStateRole);
        details->setCurrentIndex(problem);
    }
    Save(&main, "results");
    if (QMenu* menu = main.results()->MenuFor(1, details)) {
        const QRect row = details->visualRect(details->model()->index(0, 0));
        menu->adjustSize();
        Pump(50);
        QPixmap picture = main.grab();
        QPainter painter(&picture);
        painter.drawPixmap(details->viewport()->mapTo(&main, row.center()), menu->grab());
        painter.end();
        picture.save(g_output + "/results-menu.png");
        std::cout << (g_output + "/results-menu.png").toStdString() << "\n";
        // The entry goes to the ignore list, which the settings show.
        if (QAction* ignore = menu->findChild<QAction*>("mnuIgnoreEntry")) ignore->trigger();
        delete menu;
    }

    {
        messageKind = "CANCEL SCANNING";
        MessageBoxDialog box;
        box.show();
        SaveOver(&main, &box, "message-box");
    }
    {
        SettingsDialog settings(app, &main);
        settings.show();
        SaveOver(&main, &settings, "settings");
    }

    // Repair (with its backup) after its question, then the backup manager
    // lists the backup.
    OnModal([&main](QWidget* question) {
        SaveOver(&main, question, "repair-question");
        OnModal([&main](QWidget* box) {
            SaveOver(&main, box, "repaired");
            ClickOk(box);
        });
        ClickOk(question);
    });
    main.RepairAll();
    while (main.Busy()) Pump(20);
    Pump(100);
    {
        BackupDialog manager(app, &main);
        if (manager.list().Count() > 0) manager.list().SetChecked(1, true);
        manager.show();
        SaveOver(&main, &manager, "backup-manager");
    }

    // To the tray, and the popup menu risen over the corner of the screen.
    main.HideToTray();
    main.TrayActivated(QSystemTrayIcon::DoubleClick);
    if (PopupMenu* menu = app.menu) {
        menu->tmrMenuPopup()->stop();
        menu->move(menu->x(), menu->lRestTop());
        menu->item("MenuScan")->SetBold(true);
        menu->item("MenuScan")->SetUnderline(true);
        Save(menu, "popup-menu");
    }
    return 0;
}
