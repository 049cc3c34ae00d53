// The layout table against the windows built from it: every row names one
// widget of its window, standing at the row's rectangle, and every named
// widget of a window has its row, so that neither can drift from the other.
#include <QPointer>
#include <QSet>
#include <filesystem>
#include <string>

#include "fixture_machine.h"
#include "gui_fixture.h"
#include "shell/backup_window.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/popup_menu.h"
#include "shell/settings_window.h"
#include "shell/skin.h"
#include "shell/splash.h"

namespace fs = std::filesystem;

namespace vostrel::shell::testing {
namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Show(const QRect& r) {
    return QString("%1,%2 %3x%4")
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .toStdString();
}

// The widgets named `name` inside `window` (not in another window it owns).
QList<QWidget*> NamedIn(QWidget* window, const QString& name) {
    QList<QWidget*> found;
    for (QWidget* widget : window->findChildren<QWidget*>(name))
        if (widget->window() == window) found << widget;
    return found;
}

void ExpectAsTheTableSays(QWidget* window, SkinWindow which, const char* what) {
    SCOPED_TRACE(what);
    const LayoutRow& own = Layout(WindowRow(which));
    EXPECT_EQ(window->objectName(), Text(own.name));
    EXPECT_EQ(window->size(), LayoutRect(own.id).size());
    QSet<QString> rowNames;
    for (const LayoutRow& row : kSkinLayout) {
        if (row.window != which || row.id == own.id) continue;
        for (std::string_view name : {row.name, row.hover}) {
            if (name.empty()) continue;
            rowNames << Text(name);
            const QList<QWidget*> found = NamedIn(window, Text(name));
            EXPECT_EQ(found.size(), 1) << name;
            for (QWidget* widget : found)
                EXPECT_TRUE(widget->geometry() == LayoutRect(row.id))
                    << name << " stands at " << Show(widget->geometry()) << ", its row says "
                    << Show(LayoutRect(row.id));
        }
    }
    // Qt's own parts of a view or a scroll area are named "qt_…".
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (widget->window() != window || name.isEmpty() || name.startsWith("qt_")) continue;
        EXPECT_TRUE(rowNames.contains(name)) << name.toStdString() << " has no row";
        EXPECT_EQ(NamedIn(window, name).size(), 1) << name.toStdString();
    }
}

class SkinLayoutTest : public GuiTest {};

TEST_F(SkinLayoutTest, EveryWindowHasEachControlWhereItsRowPutsIt) {
    // A drive of the host's, for the settings window's note of it.
    const std::string prefix = home_ / "prefix";
    OpenFixtureMachine(prefix);
    fs::create_directories(home_ / "host-root");
    fs::create_directory_symlink(home_ / "host-root", prefix + "/dosdevices/z:");

    MainWindow& main = Main();
    EXPECT_EQ(main.minimumSize(), LayoutRect(LayoutId::MainForm).size());
    ExpectAsTheTableSays(&main, SkinWindow::Main, "main window");
    {
        SettingsDialog settings(App());
        ExpectAsTheTableSays(&settings, SkinWindow::Settings, "settings");
    }
    {
        BackupDialog backups(App());
        ExpectAsTheTableSays(&backups, SkinWindow::Backup, "backups");
    }
    {
        // A question with a short text keeps the box at its drawn size.
        messageKind = "CLOSE CONFERMATION";
        MessageBoxDialog box;
        ExpectAsTheTableSays(&box, SkinWindow::Message, "message box");
    }
    {
        CloseNotice notice(*App().settings);
        ExpectAsTheTableSays(&notice, SkinWindow::Notice, "close notice");
    }
    ExpectAsTheTableSays(PopupMenu::ShowMenu(App()), SkinWindow::Menu, "menu");
    QPointer<Splash> splash = new Splash([] {});
    ExpectAsTheTableSays(splash, SkinWindow::Splash, "splash");
    SetScreenPointer(false);
    splash->close();
}

}  // namespace
}  // namespace vostrel::shell::testing
