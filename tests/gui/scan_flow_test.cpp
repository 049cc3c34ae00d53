// A whole session on the sample machine, driven through the windows: Scan
// Now, the scanning view, the results with their summary rows, details and
// sorting, Cancel with and without a question, Repair and its notice, and
// the backup manager putting a repair back.
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "fixture_machine.h"
#include "gui_fixture.h"
#include "results/backup_codec.h"
#include "results/backup_file.h"
#include "results/backup_manager.h"
#include "results/problem_details.h"
#include "scan/section_table.h"
#include "shell/backup_window.h"
#include "shell/engine.h"
#include "shell/list_model.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/skin.h"
#include "support/temp_dir.h"
#include "system/registry.h"
#include "system/settings.h"
#include "system/settings_keys.h"

namespace vostrel::shell::testing {
namespace {

const char* const kSummary[] = {
    "Invalid Custom Controls ( 1 Problem(s) )",
    "Invalid Sub Section Controls ( 1 Problem(s) )",
    "Invalid Software Locations ( 2 Problem(s) )",
    "Invalid Help Files ( 2 Problem(s) )",
    "Invalid Shared Files ( 1 Problem(s) )",
    "Invalid Windows Startup Files  ( 2 Problem(s) )",
    "Invalid Uninstall Section File  ( 2 Problem(s) )",
    "Invalid Windows Fonts (  1 Problem(s) )",
    "Invalid Windows Shortcut File (2 Problems)",
    // After the sections, the program whose folder was deleted, with all it left.
    "PhotoEdit 3.1 (C:\\Program Files\\PhotoEdit): 12 leftovers in 9 places",
};

constexpr std::size_t kSummaryRows = 10;

class ScanFlowTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        // The two long walks that record nothing are left out, to keep the tests quick.
        IniSettingsStore store(DefaultSettingsPath());
        store.Save("Registry Integrity", "False");
        store.Save("Configuration files", "False");
        store.Save("chkMakeLogFile", "1");
    }
    std::vector<std::string> Rows(const ListControl& list) {
        std::vector<std::string> rows;
        for (const ListRow& row : list.rows()) rows.push_back(row.text);
        return rows;
    }
    // Clicks a row as a user would: scrolled into view first, since how many
    // rows the list shows depends on the desktop's font.
    void ClickRow(ListView* view, int row) {
        const QModelIndex index = view->model()->index(row, 0);
        view->scrollTo(index);
        const QRect place = view->visualRect(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, place.center());
    }
    void ClickHeader(ListView* view) {
        const QHeaderView* header = view->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
    }
    // The sample machine with kBulkProblems more registrations of programs
    // that are gone, for the tests that need work to take a while.
    static constexpr std::size_t kBulkProblems = 3000;
    void OpenLargeMachine() {
        const std::string prefix = home_ / "large";
        OpenFixtureMachine(prefix);
        std::ofstream reg(prefix + "/system.reg", std::ios::app);
        for (std::size_t i = 0; i < kBulkProblems; ++i)
            reg << "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App "
                   "Paths\\\\bulk"
                << i << ".exe] 1796798400\n@=\"C:\\\\gone\\\\bulk" << i << ".exe\"\n";
        reg.close();
        prefix_ = prefix;
        AppOn(OpenFixtureMachine(prefix));
    }
    // Whether the default value of a bulk registration still names its
    // program (a repair empties it).
    bool BulkValueThere(std::size_t i) {
        MachineResult opened = OpenWinePrefix(prefix_);
        std::string text;
        return opened.machine &&
               QueryRegistryValue(*opened.machine->registry, HKEY_LOCAL_MACHINE,
                                  "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\bulk" +
                                      std::to_string(i) + ".exe",
                                  "", text) &&
               !text.empty();
    }
    // One backup (beside the copies of the shortcuts it holds) with a record
    // for each of `problems`, and the problems gone from the machine.
    void ExpectRepairedWhole(std::size_t problems) {
        std::vector<std::string> backups;
        IniSettingsStore settings(DefaultSettingsPath());
        for (const auto& file : std::filesystem::directory_iterator(BackupFolder(settings)))
            if (file.is_regular_file() && file.path().filename().string().rfind("BackUp ", 0) == 0)
                backups.push_back(file.path().string());
        ASSERT_EQ(backups.size(), 1u);
        // PhotoEdit's App Paths and uninstall keys go whole: one record each
        // for their two problems.
        EXPECT_EQ(SplitBackupLines(vostrel::testing::ReadTextFile(backups[0])).size(),
                  problems - 2);
        EXPECT_FALSE(HelpValueThere());
        EXPECT_FALSE(BulkValueThere(0));
        EXPECT_FALSE(BulkValueThere(kBulkProblems - 1));
        EXPECT_FALSE(
            std::filesystem::exists(prefix_ + "/drive_c/users/Public/Desktop/PhotoEdit.lnk"));
    }
    bool HelpValueThere() {
        MachineResult opened = OpenWinePrefix(prefix_);
        std::string text;
        return opened.machine &&
               QueryRegistryValue(*opened.machine->registry, HKEY_LOCAL_MACHINE,
                                  "SOFTWARE\\Microsoft\\Windows\\Help", "photoedit.hlp", text);
    }
    // Answers the message boxes that open one after the other, OK or Cancel
    // in turn, and records their messages. Another modal window under them
    // (the backup manager) is passed over.
    void AnswerInTurn(std::vector<bool> answers, QStringList* messages,
                      QPointer<QWidget> answered = nullptr) {
        if (answers.empty()) return;
        auto* timer = new QTimer;
        // Measured in time, not in ticks: on a loaded machine a repair may
        // take long before its notice shows.
        auto waited = std::make_shared<QElapsedTimer>();
        waited->start();
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [=, this] {
            auto* box = qobject_cast<MessageBoxDialog*>(QApplication::activeModalWidget());
            if (box && box == answered.data()) box = nullptr;
            if (!box && waited->elapsed() < 60000) return;
            timer->stop();
            timer->deleteLater();
            ASSERT_NE(box, nullptr) << "no message box came";
            messages->append(box->message());
            AnswerInTurn({answers.begin() + 1, answers.end()}, messages, box);
            // The pointer comes onto the new box first: the enter events its
            // showing under the old pointer position makes are over before
            // the button is hovered.
            MovePointerOver(box->background());
            Pump(30);
            ClickPair(box, answers.front() ? "ImgOKNormal" : "ImgCancelNormal");
        });
        timer->start();
    }
    // Starts the scan from the Scan Now button and runs `during` once while
    // the scanning view shows and `when` holds, then waits for the scan's
    // end. The scan waits at the menu entries' row (after the registry
    // sections, before the drives) until `during` has run.
    // Scan Now, held where the scan reaches the menu entries' row.
    void ScanHeldAtMenuEntries(MainWindow& main) {
        ASSERT_NE(gate_, nullptr);
        gate_->Hold();
        ClickPair(&main, "ImgScanNowNormal");
        QElapsedTimer waited;
        waited.start();
        while (!gate_->waiting() && waited.elapsed() < 20000) Pump(5);
        ASSERT_TRUE(gate_->waiting()) << "the scan never reached the menu entries' row";
    }
    void ScanWith(std::function<bool()> when, std::function<void()> during) {
        MainWindow& main = Main();
        ASSERT_NE(gate_, nullptr) << "no menu entries row to hold the scan at";
        gate_->Hold();
        auto done = std::make_shared<bool>(false);
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [this, &main, when, during, done] {
            if (*done || main.control("PicScanning")->isHidden() || !when()) return;
            *done = true;
            during();
            gate_->Release();
        });
        watch.start();
        ClickPair(&main, "ImgScanNowNormal");
        WaitUntilIdle();
        watch.stop();
        gate_->Release();
        EXPECT_TRUE(*done) << "the scan ended before the moment came";
    }
    // Scan Now, and the scan's end.
    void Scan() {
        ClickPair(&Main(), "ImgScanNowNormal");
        WaitUntilIdle();
    }
    // Repair (its question answered by the caller), and the repair's end.
    void Repair() {
        ClickPair(&Main(), "ImgRepairNormal");
        WaitUntilIdle();
    }
};

TEST_F(ScanFlowTest, ScanFindsThePlantedProblemsAndShowsThemBySection) {
    MainWindow& main = Main();
    bool busy = false, scanNowInert = false;
    QString problems;
    ScanWith([this] { return ShownProblemCount() > 4; },
             [&] {
                 busy = app_->window.busy();
                 scanNowInert = !main.ScanIdle();
                 problems = static_cast<QLabel*>(main.control("lblProblemsFound"))->text();
             });
    EXPECT_TRUE(busy);
    EXPECT_TRUE(scanNowInert);
    EXPECT_GT(problems.toInt(), 4);
    EXPECT_TRUE(main.ScanIdle());
    EXPECT_FALSE(app_->window.busy());
    EXPECT_TRUE(main.control("PicScanning")->isHidden());
    EXPECT_FALSE(main.control("PicResults")->isHidden());
    EXPECT_EQ(Rows(app_->view.summaryRows),
              std::vector<std::string>(std::begin(kSummary), std::begin(kSummary) + kSummaryRows));
    EXPECT_EQ(main.summary()->model()->rowCount(), static_cast<int>(kSummaryRows));
    EXPECT_EQ(static_cast<QLabel*>(main.control("lblProblemsFound"))->text(), "14");
    EXPECT_FALSE(main.blinkTimer()->isActive());

    // A summary row fills the details, twice the same.
    for (int click = 0; click < 2; ++click) {
        ClickRow(main.summary(), 3);
        EXPECT_EQ(Rows(app_->view.detailRows),
                  (std::vector<std::string>{"This file could not be found on your hard "
                                            "drive:C:\\Program Files\\PhotoEdit\\photoedit.hlp",
                                            "This file could not be found on your hard "
                                            "drive:C:\\Program Files\\PhotoEdit\\photoedit.chm"}));
    }
    EXPECT_EQ(main.details()->model()->rowCount(), 2);
    ClickRow(main.summary(), 8);
    EXPECT_EQ(
        Rows(app_->view.detailRows),
        (std::vector<std::string>{
            "The path of this file is incorrect : C:\\users\\Public\\Desktop\\PhotoEdit Readme.lnk",
            "The path of this file is incorrect : C:\\users\\Public\\Desktop\\PhotoEdit.lnk"}));

    // Column clicks flip the order, one after the other.
    ClickHeader(main.summary());
    EXPECT_EQ(app_->view.summaryRows.Text(1), "Invalid Windows Startup Files  ( 2 Problem(s) )");
    EXPECT_EQ(main.summary()->model()->index(0, 0).data().toString().toStdString(),
              "Invalid Windows Startup Files  ( 2 Problem(s) )");
    ClickHeader(main.summary());
    EXPECT_EQ(app_->view.summaryRows.Text(1), "Invalid Custom Controls ( 1 Problem(s) )");
    // In ascending order the help files come second.
    ClickRow(main.summary(), 1);
    ClickHeader(main.details());
    EXPECT_EQ(app_->view.detailRows.Text(1),
              "This file could not be found on your hard drive:C:\\Program "
              "Files\\PhotoEdit\\photoedit.hlp");
    ClickHeader(main.details());
    EXPECT_EQ(app_->view.detailRows.Text(1),
              "This file could not be found on your hard drive:C:\\Program "
              "Files\\PhotoEdit\\photoedit.chm");
}

TEST_F(ScanFlowTest, CancelBeforeAnyProblemStopsWithoutAQuestion) {
    // Only rows that find nothing before the drives: the cancel comes while
    // nothing was found.
    for (const SectionRow& row : kSectionRows)
        if (row.run != SectionRun::MenuEntries) App().settings->Save(row.text, "False");
    MainWindow& main = Main();
    EXPECT_FALSE(main.control("cmdShowLog")->isEnabled()) << "no report was written yet";
    bool asked = false;
    ScanWith([] { return true; },
             [&] {
                 OnNextModal(
                     [&](QWidget* modal) {
                         asked = true;
                         modal->close();
                     },
                     200);
                 ClickPair(&main, "ImgScanCancelNormal");
             });
    Pump(300);
    EXPECT_FALSE(asked);
    EXPECT_TRUE(app_->session.cancelRequested);
    EXPECT_TRUE(main.control("PicResults")->isHidden());
    EXPECT_TRUE(main.control("PicScanning")->isHidden());
    EXPECT_TRUE(main.ScanIdle());
    // Nothing found: the start view comes back whole, and the report the
    // scan wrote can be opened.
    EXPECT_FALSE(main.control("FrameScanSettingShelidButton")->isHidden());
    EXPECT_TRUE(main.catalogue()->isVisible());
    EXPECT_TRUE(main.control("cmdShowLog")->isEnabled());
}

TEST_F(ScanFlowTest, CancelAfterProblemsAsksAndShowsWhatWasFoundMarkedCancelled) {
    MainWindow& main = Main();
    QString question;
    ScanWith([this] { return ShownProblemCount() > 0; },
             [&] {
                 AnswerMessageBox(true, &question);
                 ClickPair(&main, "ImgScanCancelNormal");
             });
    EXPECT_EQ(question, "Are you sure you want to stop the scanning ?");
    EXPECT_TRUE(app_->session.cancelRequested);
    const std::size_t found = app_->session.ProblemCount();
    EXPECT_GT(found, 0u);
    // A whole scan finds 13: the drive's two shortcuts come after the cancel.
    EXPECT_LT(found, 13u);
    EXPECT_TRUE(app_->session.result.problems.Of<ShortcutProblem>().empty());
    // The problems found so far show, every one of them under a summary row.
    EXPECT_FALSE(main.control("PicResults")->isHidden());
    EXPECT_FALSE(main.control("FrameRegistryProblemsDetails")->isHidden());
    auto* mark = static_cast<QLabel*>(main.control("lblCancelled"));
    EXPECT_TRUE(mark->isVisible());
    EXPECT_TRUE(mark->text().contains("(cancelled)"));
    ASSERT_GT(app_->view.summaryRows.Count(), 0u);
    // (A program's row lists again problems its sections' rows list.)
    std::size_t listed = 0;
    for (int row = 0; row < main.summary()->model()->rowCount(); ++row) {
        ClickRow(main.summary(), row);
        if (!app_->view.GroupOfRow(static_cast<std::size_t>(row) + 1))
            listed += app_->view.detailRows.Count();
    }
    EXPECT_EQ(listed, found);
    EXPECT_TRUE(main.control("cmdShowLog")->isEnabled());

    // Return gives the whole start view ...
    ClickPair(&main, "ImgReturnNormal");
    EXPECT_TRUE(main.control("PicResults")->isHidden());
    EXPECT_FALSE(main.control("FrameScanSettingShelidButton")->isHidden());
    EXPECT_TRUE(main.catalogue()->isVisible());

    // ... and the next scan shows its scanning view, its moving bar and its
    // blinking picture, then its results, no longer marked.
    bool scanningShown = false, barMoved = false, blinking = false;
    ScanWith([this] { return ShownProblemCount() > 2; },
             [&] {
                 scanningShown = main.control("FrameScanning")->isVisible();
                 barMoved = main.control("PicProgress")->width() > 0;
                 blinking = main.blinkTimer()->isActive();
             });
    EXPECT_TRUE(scanningShown);
    EXPECT_TRUE(barMoved);
    EXPECT_TRUE(blinking);
    EXPECT_FALSE(app_->session.cancelRequested);
    EXPECT_FALSE(main.control("PicResults")->isHidden());
    EXPECT_FALSE(main.control("lblCancelled")->isVisible());
    EXPECT_EQ(app_->view.summaryRows.Count(), kSummaryRows);
}

TEST_F(ScanFlowTest, CancelAnsweredNoLetsTheScanFinish) {
    MainWindow& main = Main();
    ScanWith([this] { return ShownProblemCount() > 0; },
             [&] {
                 AnswerMessageBox(false);
                 ClickPair(&main, "ImgScanCancelNormal");
             });
    EXPECT_FALSE(app_->session.cancelRequested);
    EXPECT_FALSE(main.control("PicResults")->isHidden());
    EXPECT_EQ(app_->view.summaryRows.Count(), kSummaryRows);
}

TEST_F(ScanFlowTest, RepairReturnsToTheStartViewAndTheBackupManagerPutsItBack) {
    MainWindow& main = Main();
    Scan();
    ASSERT_FALSE(main.control("PicResults")->isHidden());
    ASSERT_TRUE(HelpValueThere());
    QString notice;
    // The repair asks first; its notice follows, where the question was:
    // the pointer's moves there pass before OK is clicked.
    OnNextModal([&notice](QWidget* question) {
        ClickPair(question, "ImgOKNormal");
        OnNextModal([&notice](QWidget* box) {
            Pump(50);
            notice = static_cast<MessageBoxDialog*>(box)->message();
            ClickPair(box, "ImgOKNormal");
        });
    });
    Repair();
    EXPECT_EQ(notice.toStdString(), " All Problems were repaired sucessfully !");
    EXPECT_TRUE(main.control("PicResults")->isHidden());
    EXPECT_FALSE(main.control("FrameScanSettingShelidButton")->isHidden());
    EXPECT_EQ(app_->session.result.problems.Of<RegistryProblem>().size(), 0u);
    EXPECT_EQ(app_->view.summaryRows.Count(), 0u);
    EXPECT_FALSE(HelpValueThere());
    EXPECT_FALSE(std::filesystem::exists(prefix_ + "/drive_c/users/Public/Desktop/PhotoEdit.lnk"));
    EXPECT_TRUE(std::filesystem::exists(prefix_ + "/drive_c/users/Public/Desktop/Notepad.lnk"));
    // A report was written by the scan: Show Log opens it.
    ASSERT_TRUE(main.control("cmdShowLog")->isEnabled());
    QTest::mouseClick(main.control("cmdShowLog"), Qt::LeftButton);
    ASSERT_EQ(recorder_.openedUrls.size(), 1);
    EXPECT_TRUE(recorder_.openedUrls[0].endsWith("ScanReport.txt"));

    // The backup manager lists the repair's backup and restores it.
    OnNextModal([this](QWidget* modal) {
        auto* manager = dynamic_cast<BackupDialog*>(modal);
        ASSERT_NE(manager, nullptr);
        ListControl& list = manager->list();
        ASSERT_EQ(list.Count(), 1u);
        EXPECT_EQ(list.Text(1).rfind("BackUp ", 0), 0u) << list.Text(1);
        EXPECT_EQ(list.SubItem(1, 1).size(), 10u);  // 2026-12-10
        EXPECT_EQ(list.SubItem(1, 2).size(), 5u);   // 05:17
        const QModelIndex row = manager->view()->model()->index(0, 0);
        manager->view()->model()->setData(row, Qt::Checked, Qt::CheckStateRole);
        QStringList messages;
        AnswerInTurn({true, true}, &messages);
        ClickPair(manager, "imgRestoreNormal");
        EXPECT_EQ(messages.size(), 2);
        // The backup stays, marked as restored.
        EXPECT_EQ(list.Count(), 1u);
        EXPECT_EQ(list.SubItem(1, 5), ListTimeNow());
        ClickPair(manager, "ImgOKNormal");
    });
    ClickPair(&main, "imgRestoreNormal");
    EXPECT_TRUE(HelpValueThere());
    EXPECT_TRUE(std::filesystem::exists(prefix_ + "/drive_c/users/Public/Desktop/PhotoEdit.lnk"));
}

// While a repair runs, nothing may start a scan (which empties the lists
// the repair walks), a second repair, or anything that reloads the lists:
// not the tray's Scan Now, not Repair again, not closing the window to the
// tray. The repair (of a large prefix, on the worker) then removes and
// backs up every problem it was asked to.
TEST_F(ScanFlowTest, ScanNowASecondRepairAndClosingDuringARepairLoseNothing) {
    OpenLargeMachine();
    App().settings->Save(kNoCloseNoticeKey, "1");
    MainWindow& main = Main();
    Scan();
    ASSERT_FALSE(main.control("PicResults")->isHidden());
    const std::size_t problems = app_->session.ProblemCount();
    ASSERT_EQ(problems, 14u + kBulkProblems);
    int rounds = 0;
    bool scanOffered = true, busy = false, scanStarted = true, hidden = false;
    QTimer poke;
    poke.setInterval(0);
    QObject::connect(&poke, &QTimer::timeout, [&] {
        if (main.control("lblDeletingCourrutpfils")->isHidden()) return;  // not repairing
        if (++rounds > 1) return;
        busy = main.Busy();
        scanOffered = main.ScanIdle();  // what the tray's menu offers
        main.RunScan();                 // what its Scan Now does
        scanStarted = !main.control("PicScanning")->isHidden();
        main.RepairAll();  // Repair once more
        main.close();      // and to the tray
        hidden = main.isHidden();
    });
    poke.start();
    QStringList messages;
    AnswerInTurn({true, true}, &messages);
    Repair();
    poke.stop();
    EXPECT_GT(rounds, 0) << "the window handled no event while the repair ran";
    EXPECT_TRUE(busy);
    EXPECT_FALSE(scanOffered);
    EXPECT_FALSE(scanStarted);
    EXPECT_TRUE(hidden);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1].toStdString(), " All Problems were repaired sucessfully !");
    ExpectRepairedWhole(problems);
    EXPECT_TRUE(main.ScanIdle());
    EXPECT_EQ(app_->session.ProblemCount(), 0u);
}

// Quitting while a repair runs waits for it: every problem it was asked to
// repair is backed up and removed, and the backup holds a record for each.
// Quitting during a repair stops it after the entry in hand: every value
// that is gone has its record in the backup, everything else is untouched.
TEST_F(ScanFlowTest, QuittingDuringARepairStopsItAndLosesNothing) {
    OpenLargeMachine();
    MainWindow& main = Main();
    Scan();
    const std::size_t problems = app_->session.ProblemCount();
    ASSERT_EQ(problems, 14u + kBulkProblems);
    AnswerMessageBox(true);  // the repair's question; its notice never shows
    ClickPair(&main, "ImgRepairNormal");
    // The click has started the worker; the window has not yet heard of
    // its end (no event was let through since).
    ASSERT_TRUE(main.Busy());
    ASSERT_FALSE(main.control("lblDeletingCourrutpfils")->isHidden());
    app_.reset();  // the program ends: the window goes, then the session

    MachineResult opened = OpenWinePrefix(prefix_);
    ASSERT_TRUE(opened.machine);
    std::size_t gone = 0;
    for (std::size_t i = 0; i < kBulkProblems; ++i) {
        std::string text;
        if (!QueryRegistryValue(*opened.machine->registry, HKEY_LOCAL_MACHINE,
                                "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\bulk" +
                                    std::to_string(i) + ".exe",
                                "", text) ||
            text.empty())
            ++gone;
    }
    std::vector<std::string> records;
    IniSettingsStore settings(DefaultSettingsPath());
    for (const auto& file : std::filesystem::directory_iterator(BackupFolder(settings)))
        if (file.is_regular_file() && file.path().filename().string().rfind("BackUp ", 0) == 0)
            for (const auto& line : SplitBackupLines(vostrel::testing::ReadTextFile(file.path())))
                if (line.find("bulk") != std::string::npos) records.push_back(line);
    EXPECT_LT(gone, kBulkProblems) << "the repair ran to its end: the stop was not heard";
    EXPECT_LE(gone, records.size());
}

// Quitting while a scan runs stops it at its next check: the scan still
// writes its report, which names what was found before the stop.
TEST_F(ScanFlowTest, QuittingDuringAScanStopsItAtItsNextCheck) {
    MainWindow& main = Main();
    const std::string report = engine::ScanReportPath(app_->session);
    ASSERT_NO_FATAL_FAILURE(ScanHeldAtMenuEntries(main));
    QElapsedTimer quitting;
    quitting.start();
    app_.reset();  // the gate stays held: only the stop request lets the scan go on
    EXPECT_LT(quitting.elapsed(), 10000);
    const std::string text = vostrel::testing::ReadTextFile(report);
    // The registry sections' twelve problems; the drive's shortcuts never.
    EXPECT_NE(text.find("Total numbers of problems detected : 12"), std::string::npos) << text;
}

// The whole round by keyboard: Enter on the first focus scans (it does not
// minimise), Ctrl+A ticks every problem again, Delete asks before repairing,
// and F5 scans again from the start view.
TEST_F(ScanFlowTest, TheKeyboardScansTicksEverythingAndAsksBeforeRepairing) {
    MainWindow& main = Main();
    QWidget* scanNow = main.control("ImgScanNowNormal");
    ASSERT_EQ(main.focusWidget(), scanNow);
    PressKey(scanNow, Qt::Key_Return);
    WaitUntilIdle();
    EXPECT_FALSE(main.windowState() & Qt::WindowMinimized);
    ASSERT_FALSE(main.control("PicResults")->isHidden());
    const std::size_t problems = app_->session.ProblemCount();
    ASSERT_GT(problems, 2u);
    ASSERT_EQ(SelectedCount(app_->session), problems);

    // Some ticks taken off by hand, then every one back with Ctrl+A.
    QAbstractItemModel* summary = main.summary()->model();
    summary->setData(summary->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    summary->setData(summary->index(2, 0), Qt::Unchecked, Qt::CheckStateRole);
    ASSERT_LT(SelectedCount(app_->session), problems);
    PressKey(main.summary(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(SelectedCount(app_->session), problems);
    EXPECT_EQ(summary->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);

    // Delete asks the repair's question; declined, nothing is repaired.
    QString question;
    AnswerMessageBox(false, &question);
    PressKey(main.summary(), Qt::Key_Delete);
    WaitUntilIdle();
    EXPECT_NE(question.indexOf(QString::number(problems)), -1) << question.toStdString();
    EXPECT_EQ(app_->session.ProblemCount(), problems);

    // F5 on the start view scans again.
    ClickPair(&main, "ImgReturnNormal");
    ASSERT_TRUE(main.control("PicResults")->isHidden());
    PressKey(&main, Qt::Key_F5);
    WaitUntilIdle();
    EXPECT_FALSE(main.control("PicResults")->isHidden());
    EXPECT_EQ(app_->session.ProblemCount(), problems);
    // On the start view Ctrl+A and Delete do nothing to the results.
    ClickPair(&main, "ImgReturnNormal");
    summary->setData(summary->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    const std::size_t ticked = SelectedCount(app_->session);
    bool asked = false;
    OnNextModal(
        [&](QWidget* modal) {
            asked = true;
            modal->close();
        },
        300);
    PressKey(&main, Qt::Key_Delete);
    PressKey(&main, Qt::Key_A, Qt::ControlModifier);
    Pump(400);
    EXPECT_FALSE(asked);
    EXPECT_EQ(SelectedCount(app_->session), ticked);
}

// Ctrl+Q while a scan runs goes through the same stop before the program
// ends: the scan has stopped and written its report by then.
TEST_F(ScanFlowTest, CtrlQDuringAScanStopsItBeforeTheProgramEnds) {
    MainWindow& main = Main();
    const std::string report = engine::ScanReportPath(app_->session);
    ASSERT_NO_FATAL_FAILURE(ScanHeldAtMenuEntries(main));
    int endsSeen = -1;
    std::string reportAtEnd;
    app_->platform.endProgram = [&] {
        endsSeen = recorder_.endCalls++;
        reportAtEnd = vostrel::testing::ReadTextFile(report);
    };
    PressKey(&main, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(endsSeen, 0);
    EXPECT_TRUE(app_->session.cancelRequested);
    EXPECT_NE(reportAtEnd.find("Total numbers of problems detected : 12"), std::string::npos)
        << reportAtEnd;
    WaitUntilIdle();
}

// The scan runs on a worker: the window's thread handles its timers while a
// scan waits for one of them, and Cancel then stops it before the drives.
TEST_F(ScanFlowTest, AScanRunsOffTheWindowsThreadAndCancelStopsIt) {
    MainWindow& main = Main();
    ASSERT_NE(gate_, nullptr);
    gate_->Hold();
    int ticks = 0;
    bool asked = false, waitingWhileTicking = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!gate_->waiting()) return;
        // The scan waits at the gate while this thread goes on ticking.
        if (++ticks < 5) return;
        timer.stop();
        waitingWhileTicking = gate_->waiting();
        QString question;
        AnswerMessageBox(true, &question);
        ClickPair(&main, "ImgScanCancelNormal");
        asked = !question.isEmpty();
        gate_->Release();
    });
    timer.start();
    ClickPair(&main, "ImgScanNowNormal");
    EXPECT_TRUE(main.Busy());  // the click returned while the scan runs
    WaitUntilIdle();
    timer.stop();
    EXPECT_GE(ticks, 5);
    EXPECT_TRUE(waitingWhileTicking);
    EXPECT_TRUE(asked);
    EXPECT_EQ(gate_->asked(), 1);
    EXPECT_EQ(gate_->askedOnGuiThread(), 0);
    EXPECT_TRUE(app_->session.cancelRequested);
    EXPECT_EQ(app_->session.result.problems.Of<RegistryProblem>().size(), 12u);
    EXPECT_TRUE(app_->session.result.problems.Of<ShortcutProblem>().empty());
    EXPECT_TRUE(static_cast<QLabel*>(main.control("lblCancelled"))->text().contains("(cancelled)"));
    EXPECT_TRUE(main.ScanIdle());
}

// What the core asks from the worker: a question waits for the answer the
// window's thread gives (or gets No once the window is going away); the
// repair's closing notice waits for the end of the work.
TEST_F(ScanFlowTest, QuestionsFromTheWorkerAreAnsweredOnTheWindowsThread) {
    Main();
    QStringList messages;
    AnswerInTurn({true}, &messages);
    std::atomic<int> answer{-1};
    std::thread worker(
        [&] { answer = static_cast<int>(app_->view.Confirm(Question::DeleteBackup)); });
    QElapsedTimer waited;
    waited.start();
    while (answer < 0 && waited.elapsed() < 10000) Pump(5);
    if (answer < 0) app_->view.AbandonQuestions();  // no hang when the box was not answered
    worker.join();
    EXPECT_EQ(answer, static_cast<int>(Answer::Yes));
    EXPECT_EQ(messages.size(), 1);

    Answer notice = Answer::Yes;
    std::thread repair([&] { notice = app_->view.Confirm(Question::FilesRepaired); });
    repair.join();
    EXPECT_EQ(notice, Answer::None);
    Pump(20);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the notice showed during the work";
    messages.clear();
    AnswerInTurn({true}, &messages);
    app_->view.ShowHeldNotice();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].toStdString(), " All Problems were repaired sucessfully !");

    app_->view.AbandonQuestions();
    Answer late = Answer::Yes;
    std::thread going([&] { late = app_->view.Confirm(Question::DeleteBackup); });
    going.join();
    EXPECT_EQ(late, Answer::No);
}

TEST_F(ScanFlowTest, RestoreAsksFirstThenTellsWhatWasPutBackAndWhatFailed) {
    Main();
    Scan();
    // The repair's question, then its closing notice.
    QStringList repairMessages;
    AnswerInTurn({true, true}, &repairMessages);
    Repair();
    ASSERT_EQ(repairMessages.size(), 2);
    ASSERT_FALSE(HelpValueThere());
    BackupDialog manager(App());
    manager.show();
    ListControl& list = manager.list();
    ASSERT_EQ(list.Count(), 1u);
    const std::string name = list.Text(1);
    const std::string machine = "Wine prefix " + prefix_;

    // Nothing ticked or chosen: said so, nothing asked.
    QStringList messages;
    manager.view()->setCurrentIndex(QModelIndex());
    AnswerInTurn({true}, &messages);
    ClickPair(&manager, "imgRestoreNormal");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].toStdString(),
              "Nothing was restored: no backup is chosen. Select a backup, or tick several, "
              "first.");

    // Selecting the row is enough. The question names the items, the backup
    // and the machine, shows what the backup holds and says it is kept;
    // Cancel writes nothing.
    manager.view()->setCurrentIndex(manager.view()->model()->index(0, 0));
    messages.clear();
    AnswerInTurn({false}, &messages);
    ClickPair(&manager, "imgRestoreNormal");
    ASSERT_EQ(messages.size(), 1);
    const std::string question = messages[0].toStdString();
    EXPECT_EQ(
        question.rfind("Restore 12 items of backup " + name + " into " + machine + "?\n  ", 0), 0u)
        << question;
    EXPECT_NE(question.find("\n  value HKEY_LOCAL_MACHINE\\"), std::string::npos) << question;
    EXPECT_NE(question.find("\n  … and 4 more\nThe backup is kept, marked as restored."),
              std::string::npos)
        << question;
    EXPECT_FALSE(HelpValueThere());
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.SubItem(1, 5), "");
    list.SetChecked(1, true);

    // A record that cannot be put back is reported with its reason; the
    // others go back and the backup stays listed.
    {
        std::ofstream backup(BackupFolder(*app_->settings) + "/" + name,
                             std::ios::binary | std::ios::app);
        backup << "Q\r\n";
    }
    messages.clear();
    AnswerInTurn({true, true}, &messages);
    ClickPair(&manager, "imgRestoreNormal");
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].toStdString().rfind(
                  "Restore 13 items of backup " + name + " into " + machine + "?", 0),
              0u);
    // (The records are stored encoded: the line reads back as another kind.)
    EXPECT_EQ(messages[1].toStdString().rfind(
                  "Restored 12, failed 1.\n" + name + ": line 13: unknown record kind \"", 0),
              0u)
        << messages[1].toStdString();
    EXPECT_TRUE(HelpValueThere());
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.SubItem(1, 5), "");  // not every record went back: not marked

    // A complete restore keeps the backup too, and the row says when.
    {
        std::string contents =
            vostrel::testing::ReadTextFile(BackupFolder(*app_->settings) + "/" + name);
        contents.resize(contents.rfind("Q\r\n"));
        vostrel::testing::WriteTextFile(BackupFolder(*app_->settings) + "/" + name, contents);
    }
    messages.clear();
    AnswerInTurn({true, true}, &messages);
    ClickPair(&manager, "imgRestoreNormal");
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1].toStdString(), "Restored 12, failed 0");
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.SubItem(1, 5), ListTimeNow());
    EXPECT_EQ(list.SubItem(1, 4), MachineIdentityOf(prefix_));
}

TEST_F(ScanFlowTest, DeleteAsksOncePerTickedBackup) {
    IniSettingsStore store(DefaultSettingsPath());
    const std::string folder = home_ / "backups";
    std::filesystem::create_directories(folder);
    store.Save("txtBackup", folder);
    vostrel::testing::WriteTextFile(folder + "/BackUp 16-08-05 14-03-27", std::string(250, 'x'));
    vostrel::testing::WriteTextFile(folder + "/BackUp 17-08-05 09-00-00", "y");
    vostrel::testing::WriteTextFile(folder + "/notes.txt", "not a backup");
    BackupDialog manager(App());
    manager.show();
    ListControl& list = manager.list();
    ASSERT_EQ(list.Count(), 2u);
    const std::size_t first = list.Text(1) == "BackUp 16-08-05 14-03-27" ? 1 : 2;
    EXPECT_EQ(list.SubItem(first, 1), "2005-08-16");
    EXPECT_EQ(list.SubItem(first, 2), "14:03");
    EXPECT_EQ(list.SubItem(first, 3), "250");
    EXPECT_EQ(manager.view()->model()->headerData(3, Qt::Horizontal).toString(), "Size ( Bytes )");
    // Nothing ticked: nothing asked, nothing deleted.
    ClickPair(&manager, "ImgDeleteNormal");
    EXPECT_EQ(list.Count(), 2u);
    list.SetChecked(1, true);
    list.SetChecked(2, true);
    const std::string firstName = list.Text(1);
    const std::string secondName = list.Text(2);
    int asked = 0;
    std::function<void(QWidget*)> answer = [&](QWidget* modal) {
        ++asked;
        ClickPair(modal, asked == 1 ? "ImgOKNormal" : "ImgCancelNormal");
        if (asked == 1) OnNextModal(answer);
    };
    OnNextModal(answer);
    ClickPair(&manager, "ImgDeleteNormal");
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(std::filesystem::exists(folder + "/" + firstName));
    EXPECT_TRUE(std::filesystem::exists(folder + "/" + secondName));
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Text(1), secondName);
}

TEST_F(ScanFlowTest, BackupManagerButtonsResetEachOtherAtOnce) {
    BackupDialog manager(App());
    manager.show();
    MovePointerOver(manager.restoreButton()->normal());
    MovePointerOver(manager.deleteButton()->normal());
    EXPECT_FALSE(manager.restoreButton()->hovered());
    EXPECT_TRUE(manager.deleteButton()->hovered());
    ClickPair(&manager, "imgCloseNormal");
    EXPECT_FALSE(manager.isVisible());
}

// A program on a disk that is unplugged is not gone: the scan leaves it out
// and says so under the results, with the drive.
TEST_F(ScanFlowTest, EntriesOnADriveThatIsNotThereAreNamedUnderTheResults) {
    const std::string prefix = home_ / "unplugged";
    OpenFixtureMachine(prefix);
    std::filesystem::create_directory_symlink(home_ / "media/usb", prefix + "/dosdevices/e:");
    std::ofstream(prefix + "/system.reg", std::ios::app)
        << "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App "
           "Paths\\\\vostrelE.exe] 1796798400\n"
        << "@=\"E:\\\\Games\\\\vostrelE.exe\"\n";
    AppOn(OpenFixtureMachine(prefix));
    MainWindow& main = Main();
    ScanWith([] { return true; }, [] {});
    EXPECT_EQ(app_->session.ProblemCount(), 14u);  // the sample machine's own
    auto* mark = static_cast<QLabel*>(main.control("lblCancelled"));
    EXPECT_TRUE(mark->isVisible());
    EXPECT_TRUE(
        mark->text().contains("Not checked: 1 entry on a drive that is not available (E: 1)"))
        << mark->text().toStdString();
}

}  // namespace
}  // namespace vostrel::shell::testing
