// The settings window: what it stores when (only on OK), locking the path
// boxes, the browse buttons, OK, Cancel and close, and the autostart entry
// of the session.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>

#include "gui_fixture.h"
#include "results/scan_report.h"
#include "shell/engine.h"
#include "shell/platform.h"
#include "shell/settings_window.h"
#include "shell/skin.h"
#include "system/settings.h"

namespace vostrel::shell::testing {
namespace {

class SettingsWindowTest : public GuiTest {
protected:
    void Store(const std::string& key, const std::string& value) {
        IniSettingsStore(DefaultSettingsPath()).Save(key, value);
    }
    std::unique_ptr<SettingsDialog> Open() {
        auto dialog = std::make_unique<SettingsDialog>(App());
        dialog->show();
        return dialog;
    }
    bool AutostartEntryExists() { return QFile::exists(AutostartEntryPath()); }
};

TEST_F(SettingsWindowTest, AnEmptyStoreOpensWithItsDefaultsAndOkStoresThem) {
    auto w = Open();
    EXPECT_TRUE(w->backup().box->isChecked());
    // The report is off, as a scan takes a setting never stored; starting
    // with the session is only ever the user's choice.
    EXPECT_FALSE(w->report().box->isChecked());
    EXPECT_FALSE(w->startup().box->isChecked());
    EXPECT_FALSE(w->sound().box->isChecked());
    EXPECT_EQ(w->backup().path->text().toStdString(), ProgramFolder());
    EXPECT_EQ(w->report().path->text().toStdString(), ProgramFolder());
    EXPECT_EQ(w->findChild<QLabel*>("lblRunonStartup")->text(), "Run Vostrel on startup.");
    EXPECT_EQ(w->startup().box->toolTip(), "Checking this option will run at Windows Startup");
    // Opening stores nothing and writes no entry.
    for (const char* key : {"chkMakeLogFile", "chkMakeBackUp", "chkPlaySound", "chkRunAtStartup"})
        EXPECT_EQ(Setting(key), "<none>") << key;
    EXPECT_FALSE(AutostartEntryExists());
    ClickPair(w.get(), "cmdOKNormal");
    EXPECT_EQ(Setting("chkMakeLogFile"), "0");
    EXPECT_EQ(Setting("chkMakeBackUp"), "1");
    EXPECT_EQ(Setting("chkPlaySound"), "0");
    EXPECT_EQ(Setting("chkRunAtStartup"), "0");
    EXPECT_FALSE(AutostartEntryExists());
}

TEST_F(SettingsWindowTest, TheAutostartEntryStartsTheProgramOnItsPrefixWithTheInstalledIcon) {
    auto w = Open();
    QTest::mouseClick(w->startup().box, Qt::LeftButton);
    ClickPair(w.get(), "cmdOKNormal");
    EXPECT_EQ(Setting("chkRunAtStartup"), "1");
    ASSERT_TRUE(AutostartEntryExists());
    QFile entry(AutostartEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = entry.readAll();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]"));
    // It starts the program on the prefix it works on now.
    const QString prefix = QString::fromStdString(prefix_);
    EXPECT_TRUE(text.contains("\nExec=\"/usr/bin/vostrel\" --prefix \"" + prefix + "\"\n"))
        << text.toStdString();
    // Its icon is the one installed with the program's own desktop entry.
    QFile installed(QStringLiteral(VOSTREL_SOURCE_DIR) +
                    "/resources/io.github.vostrel.Vostrel.desktop");
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
    const QRegularExpression iconLine("^Icon=(.+)$", QRegularExpression::MultilineOption);
    const QString installedIcon = iconLine.match(installed.readAll()).captured(1).trimmed();
    ASSERT_FALSE(installedIcon.isEmpty());
    EXPECT_EQ(iconLine.match(text).captured(1).trimmed(), installedIcon);
}

TEST_F(SettingsWindowTest, StartWithTheSessionChangesNothingBeforeOk) {
    {
        // Ticked, but closed without OK: no entry, nothing stored.
        auto w = Open();
        QTest::mouseClick(w->startup().box, Qt::LeftButton);
        EXPECT_TRUE(w->startup().box->isChecked());
        ClickPair(w.get(), "imgCloseNormal");
        EXPECT_FALSE(AutostartEntryExists());
        EXPECT_EQ(Setting("chkRunAtStartup"), "<none>");
    }
    {
        auto w = Open();
        EXPECT_FALSE(w->startup().box->isChecked());
        QTest::mouseClick(w->startup().label, Qt::LeftButton);
        ClickPair(w.get(), "cmdOKNormal");
        ASSERT_TRUE(AutostartEntryExists());
    }
    {
        // Unticking (the label toggles the box as the box does) removes the
        // entry on OK, not at once; closing instead keeps it.
        auto w = Open();
        EXPECT_TRUE(w->startup().box->isChecked());
        QTest::mouseClick(w->startup().label, Qt::LeftButton);
        EXPECT_FALSE(w->startup().box->isChecked());
        EXPECT_TRUE(AutostartEntryExists());
        EXPECT_EQ(Setting("chkRunAtStartup"), "1");
        ClickPair(w.get(), "imgCloseNormal");
        EXPECT_TRUE(AutostartEntryExists());
    }
    {
        auto w = Open();
        QTest::mouseClick(w->startup().box, Qt::LeftButton);
        ClickPair(w.get(), "cmdOKNormal");
        EXPECT_FALSE(AutostartEntryExists());
        EXPECT_EQ(Setting("chkRunAtStartup"), "0");
    }
}

// What the report box shows is what a scan does with the same setting.
TEST_F(SettingsWindowTest, TheReportBoxShowsWhatTheScanDoes) {
    App();
    const std::string report = engine::ScanReportPath(app_->session);
    struct Case {
        const char* stored;  // null: never stored
        bool reports;
    };
    for (const Case& c : {Case{nullptr, false}, Case{"0", false}, Case{"1", true},
                          Case{" 1 ", true}, Case{"0", false}}) {
        if (c.stored) Store("chkMakeLogFile", c.stored);
        std::filesystem::remove(report);
        MakeScanReport(app_->session);
        const std::string label = c.stored ? c.stored : "never stored";
        EXPECT_EQ(std::filesystem::exists(report), c.reports) << label;
        auto w = Open();
        EXPECT_EQ(w->report().box->isChecked(), c.reports) << label;
    }
}

TEST_F(SettingsWindowTest, CancelAndCloseKeepEverySettingAsItWas) {
    const std::string wav = home_ / "ding.wav";
    vostrel::testing::WriteTextFile(wav, "RIFF");
    Store("chkMakeBackUp", "1");
    Store("txtBackup", "/old/backups");
    Store("chkMakeLogFile", "0");
    Store("chkPlaySound", "1");
    for (const char* leave : {"cmdCancelNormal", "imgCloseNormal"}) {
        auto w = Open();
        EXPECT_EQ(w->cancelButton()->normal()->caption(), "Cancel");
        for (const SettingsDialog::Option* option :
             {&w->backup(), &w->report(), &w->sound(), &w->startup()})
            QTest::mouseClick(option->box, Qt::LeftButton);
        EXPECT_FALSE(w->backup().box->isChecked());
        EXPECT_TRUE(w->report().box->isChecked());
        QTest::mouseClick(w->sound().box, Qt::LeftButton);
        recorder_.nextFile = QString::fromStdString(wav);
        ClickPair(w.get(), "cmdWaveFileBrowseNormal");
        EXPECT_EQ(w->sound().path->text().toStdString(), wav);
        ClickPair(w.get(), leave);
        EXPECT_EQ(w->result(), QDialog::Rejected) << leave;
        EXPECT_EQ(Setting("chkMakeBackUp"), "1") << leave;
        EXPECT_EQ(Setting("txtBackup"), "/old/backups") << leave;
        EXPECT_EQ(Setting("chkMakeLogFile"), "0") << leave;
        EXPECT_EQ(Setting("chkPlaySound"), "1") << leave;
        EXPECT_EQ(Setting("txtWaveFilesPath"), "<none>") << leave;
        EXPECT_EQ(Setting("chkRunAtStartup"), "<none>") << leave;
        EXPECT_FALSE(AutostartEntryExists()) << leave;
    }
}

TEST_F(SettingsWindowTest, TheExecLineQuotesPathsAsDesktopEntriesRequire) {
    // Undoes the entry's string escapes, then its quoting: the argument back.
    const auto unquote = [](const QString& written) {
        QString unescaped;
        for (int i = 0; i < written.size(); ++i) {
            if (written[i] == '\\' && i + 1 < written.size() && written[i + 1] == '\\') ++i;
            unescaped += written[i];
        }
        EXPECT_TRUE(unescaped.startsWith('"') && unescaped.endsWith('"')) << written.toStdString();
        QString argument;
        for (int i = 1; i + 1 < unescaped.size(); ++i) {
            if (unescaped[i] == '\\') ++i;
            argument += unescaped[i];
        }
        return argument.replace("%%", "%");
    };
    for (const QString& path :
         {QString("/home/ann/.wine"), QString("/home/ann/My Prefixes/office 2003"),
          QString("/tmp/a\"quote\"and $HOME and `cmd` and back\\slash"),
          QString("/tmp/100% sure; (really) & <more>|~#*?'")}) {
        const QString written = DesktopExecArgument(path);
        EXPECT_EQ(unquote(written), path) << written.toStdString();
        EXPECT_FALSE(written.contains(QRegularExpression("[^%]%[^%]"))) << written.toStdString();
    }
    EXPECT_EQ(DesktopExecArgument("/a b/c\"d"), "\"/a b/c\\\\\"d\"");
    EXPECT_EQ(DesktopExecArgument("C:\\x"), "\"C:\\\\\\\\x\"");
    // A path with a line break cannot be written into an Exec line.
    EXPECT_FALSE(WriteAutostartEntry("/usr/bin/vostrel", "/tmp/two\nlines"));
    EXPECT_FALSE(AutostartEntryExists());
}

TEST_F(SettingsWindowTest, AnOptionThatIsOffLocksItsPathAndItsBrowseButton) {
    Store("chkMakeBackUp", "0");
    auto w = Open();
    EXPECT_TRUE(w->backup().path->isReadOnly());
    EXPECT_FALSE(w->backup().browse->normal()->isEnabled());
    recorder_.nextDirectory = "/srv/backups";
    MovePointerOver(w->backup().browse->normal());
    EXPECT_FALSE(w->backup().browse->hovered());
    EXPECT_NE(w->backup().path->text(), "/srv/backups");
    QTest::mouseClick(w->backup().label, Qt::LeftButton);
    EXPECT_FALSE(w->backup().path->isReadOnly());
    // The tick is stored with OK, not at once.
    EXPECT_EQ(Setting("chkMakeBackUp"), "0");
    ClickPair(w.get(), "cmdBackUpBrowseNormal");
    EXPECT_EQ(w->backup().path->text(), "/srv/backups");
    ClickPair(w.get(), "cmdOKNormal");
    EXPECT_EQ(Setting("chkMakeBackUp"), "1");
    EXPECT_EQ(Setting("txtBackup"), "/srv/backups");
}

TEST_F(SettingsWindowTest, OkStoresThePathsAndTurnsOffAnOptionWithoutOne) {
    Store("txtLogFile", "/old/reports");
    auto w = Open();
    w->report().path->clear();
    recorder_.nextDirectory = "/new/backups";
    ClickPair(w.get(), "cmdBackUpBrowseNormal");
    ClickPair(w.get(), "cmdOKNormal");
    EXPECT_EQ(w->result(), QDialog::Accepted);
    EXPECT_FALSE(w->report().box->isChecked());
    EXPECT_EQ(Setting("chkMakeLogFile"), "0");
    EXPECT_EQ(Setting("txtLogFile"), "/old/reports");
    EXPECT_EQ(Setting("txtBackup"), "/new/backups");
    // The sound option was off: its empty path is not stored.
    EXPECT_EQ(Setting("txtWaveFilesPath"), "<none>");
}

TEST_F(SettingsWindowTest, CloseLeavesBrowsedFoldersUnstored) {
    Store("txtBackup", "/old/backups");
    auto w = Open();
    recorder_.nextDirectory = "/new/backups";
    ClickPair(w.get(), "cmdBackUpBrowseNormal");
    EXPECT_EQ(w->backup().path->text(), "/new/backups");
    // A cancelled browser changes nothing.
    recorder_.nextDirectory = "  ";
    ClickPair(w.get(), "cmdBackUpBrowseNormal");
    EXPECT_EQ(w->backup().path->text(), "/new/backups");
    ClickPair(w.get(), "imgCloseNormal");
    EXPECT_EQ(w->result(), QDialog::Rejected);
    EXPECT_EQ(Setting("txtBackup"), "/old/backups");
}

TEST_F(SettingsWindowTest, TheSoundFileIsStoredOnOkAndPlayedOnceWhenChosenWithTheOptionOn) {
    const std::string wav = home_ / "ding.wav";
    vostrel::testing::WriteTextFile(wav, "RIFF");
    Store("chkPlaySound", "1");
    auto w = Open();
    // Cancelling the dialog changes nothing.
    recorder_.nextFile = "";
    ClickPair(w.get(), "cmdWaveFileBrowseNormal");
    EXPECT_EQ(recorder_.lastFileFilter, "wav Files (*.wav)");
    EXPECT_EQ(Setting("txtWaveFilesPath"), "<none>");
    EXPECT_EQ(app_->platform.sound->playCount(), 0);
    recorder_.nextFile = QString::fromStdString(wav);
    ClickPair(w.get(), "cmdWaveFileBrowseNormal");
    EXPECT_EQ(Setting("txtWaveFilesPath"), "<none>");
    EXPECT_EQ(w->sound().path->text().toStdString(), wav);
    EXPECT_EQ(app_->platform.sound->playCount(), 1);
    EXPECT_EQ(app_->platform.sound->lastPlayed().toStdString(), wav);
    // The next browse starts in the chosen file's place.
    ClickPair(w.get(), "cmdWaveFileBrowseNormal");
    EXPECT_EQ(recorder_.lastFileFolder.toStdString(), wav);
    ClickPair(w.get(), "cmdOKNormal");
    EXPECT_EQ(Setting("txtWaveFilesPath"), wav);
    EXPECT_EQ(Setting("chkPlaySound"), "1");
}

TEST_F(SettingsWindowTest, LabelsAreBoldWhileHoveredUntilTheBackgroundResetsThem) {
    auto w = Open();
    MovePointerOver(w->report().label);
    MovePointerOver(w->sound().label);
    EXPECT_TRUE(w->report().label->bold());
    EXPECT_TRUE(w->sound().label->bold());
    MovePointerOver(w->background());
    EXPECT_FALSE(w->report().label->bold());
    EXPECT_FALSE(w->sound().label->bold());
}

TEST_F(SettingsWindowTest, AStoredValueThatIsNoNumberLeavesItsBoxAlone) {
    Store("chkMakeBackUp", "yes");
    Store("chkRunAtStartup", "0");
    auto w = Open();
    EXPECT_FALSE(w->backup().box->isChecked());
    EXPECT_FALSE(w->startup().box->isChecked());
    EXPECT_FALSE(AutostartEntryExists());
}

}  // namespace
}  // namespace vostrel::shell::testing
