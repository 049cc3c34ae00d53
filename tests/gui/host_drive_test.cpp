// A drive that is the host's (z: mapped to a host folder, as wineboot maps
// it to "/"): its catalogue row keeps its text and settings key, starts
// unchecked, and both the main window and the settings window say where it
// leads.
#include <QFontMetrics>
#include <QLabel>

#include <filesystem>

#include "fixture_machine.h"
#include "gui_fixture.h"
#include "shell/ignore_list_box.h"
#include "shell/list_model.h"
#include "shell/main_window.h"
#include "shell/settings_window.h"

namespace fs = std::filesystem;

namespace vostrel::shell::testing {
namespace {

class HostDriveTest : public GuiTest {};

TEST_F(HostDriveTest, BothWindowsSayZIsTheHostsDriveAndItStartsUnchecked) {
    const std::string prefix = home_ / "prefix";
    OpenFixtureMachine(prefix);
    fs::create_directories(home_ / "host-root");
    fs::create_directory_symlink(home_ / "host-root", prefix + "/dosdevices/z:");
    const std::string hostFolder = fs::canonical(home_ / "host-root").string();

    MainWindow& main = Main();
    const auto& list = app_->session.request.sections;
    auto* model = main.catalogue()->model();
    bool seen = false;
    for (std::size_t i = 1; i <= list.Count(); ++i) {
        const QModelIndex index = model->index(static_cast<int>(i) - 1, 0);
        const QString shown = model->data(index, Qt::DisplayRole).toString();
        if (list.Text(i) == "Window Shortcut C") {
            EXPECT_EQ(shown, "Window Shortcut C");
            EXPECT_TRUE(list.Checked(i));
        }
        if (list.Text(i) != "Window Shortcut Z") continue;
        seen = true;
        EXPECT_FALSE(list.Checked(i));
        EXPECT_TRUE(shown.startsWith("Window Shortcut Z  - Host drive: " +
                                     QString::fromStdString(hostFolder)))
            << shown.toStdString();
        EXPECT_NE(model->data(index, Qt::ToolTipRole)
                      .toString()
                      .indexOf(QString::fromStdString(hostFolder)),
                  -1);
    }
    EXPECT_TRUE(seen);
    EXPECT_EQ(Setting("Window Shortcut Z"), "<none>");  // nothing stored until the user chooses

    SettingsDialog settings(App());
    auto* note = settings.findChild<QLabel*>("lblHostDrives");
    ASSERT_NE(note, nullptr);
    EXPECT_NE(note->text().indexOf("Z: " + QString::fromStdString(hostFolder)), -1)
        << note->text().toStdString();
}

TEST_F(HostDriveTest, WithoutHostDrivesTheSettingsWindowSaysNothingOfThem) {
    SettingsDialog settings(App());
    EXPECT_EQ(settings.findChild<QLabel*>("lblHostDrives"), nullptr);
}

// The settings window's note of the host drives fits its place, however
// many drives there are and however long their folders: wrapped, a folder
// too long for a line shortened in its middle, the whole note in its tooltip.
TEST_F(HostDriveTest, TheSettingsNoteOfHostDrivesFitsItsPlace) {
    const std::string prefix = home_ / "prefix";
    OpenFixtureMachine(prefix);
    const fs::path deep =
        fs::path(home_ / std::string(90, 'd')) / "games-and-other-programs-kept-on-the-host";
    fs::create_directories(deep);
    fs::create_directories(home_ / "media");
    fs::create_directory_symlink(deep, prefix + "/dosdevices/z:");
    fs::create_directory_symlink(home_ / "media", prefix + "/dosdevices/y:");
    const QString longFolder = QString::fromStdString(fs::canonical(deep).string());
    const QString shortFolder = QString::fromStdString(fs::canonical(home_ / "media").string());

    SettingsDialog settings(App());
    settings.show();
    auto* note = settings.findChild<QLabel*>("lblHostDrives");
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->wordWrap());
    const QFontMetrics metrics(note->font());
    const QRect room = note->contentsRect();
    const QRect need =
        metrics.boundingRect(QRect(0, 0, room.width(), 1 << 20), Qt::TextWordWrap, note->text());
    EXPECT_LE(need.width(), room.width()) << note->text().toStdString();
    EXPECT_LE(need.height(), room.height()) << note->text().toStdString();
    EXPECT_LE(note->heightForWidth(note->width()), note->height());
    // It stays within the window, clear of the ignore list below it.
    EXPECT_TRUE(settings.rect().contains(note->geometry()));
    EXPECT_LE(note->geometry().bottom(), settings.ignoreList()->geometry().top());
    // The short folder shows whole; the long one is shortened; the tooltip has both.
    EXPECT_TRUE(note->text().contains("Y: " + shortFolder)) << note->text().toStdString();
    EXPECT_FALSE(note->text().contains(longFolder));
    EXPECT_TRUE(note->toolTip().contains("Z: " + longFolder));
    EXPECT_TRUE(note->toolTip().contains("Y: " + shortFolder));
}

}  // namespace
}  // namespace vostrel::shell::testing
