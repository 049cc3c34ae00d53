// The results view on the sample machine: the details of each section as
// columns and in the pane, the details following the keyboard, tick boxes
// per problem and per section, the repair of the ticked ones after its
// question, the problem's context menu, and the ignore list from the menu
// to the settings window and back.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "fixture_machine.h"
#include "gui_fixture.h"
#include "ignore/ignore_list.h"
#include "results/problem_id.h"
#include "shell/deferred_machine.h"
#include "shell/ignore_list_box.h"
#include "shell/list_model.h"
#include "shell/main_window.h"
#include "shell/results_view.h"
#include "shell/settings_window.h"
#include "shell/skin.h"
#include "support/wine_prefix_fixture.h"
#include "system/registry.h"
#include "system/settings.h"
#include "system/wine/wineserver_lock.h"

namespace vostrel::shell::testing {
namespace {

// Rows of the summary list after a whole scan of the sample machine: the
// sections', then the removed PhotoEdit's.
constexpr int kHelpRow = 3;
constexpr int kSharedFilesRow = 4;
constexpr int kFontsRow = 7;
constexpr int kShortcutRow = 8;
constexpr int kPhotoEditRow = 9;
constexpr const char* kPhotoEditLine =
    "PhotoEdit 3.1 (C:\\Program Files\\PhotoEdit): 12 leftovers in 9 places";
constexpr const char* kHelpKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\Help";

class ResultsViewTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        IniSettingsStore store(DefaultSettingsPath());
        store.Save("Registry Integrity", "False");
        store.Save("Configuration files", "False");
        store.Save("txtBackup", home_ / "backups");
        std::filesystem::create_directories(home_ / "backups");
    }
    MainWindow& Scanned() {
        MainWindow& main = Main();
        ClickPair(&main, "ImgScanNowNormal");
        WaitUntilIdle();
        return main;
    }
    // Makes summary row `row` (0-based) the current one, as the keyboard does.
    void Choose(MainWindow& main, int row) {
        main.summary()->setCurrentIndex(main.summary()->model()->index(row, 0));
    }
    std::string Cell(MainWindow& main, int row, int column) {
        return main.details()->model()->index(row, column).data().toString().toStdString();
    }
    Qt::CheckState Tick(ListView* view, int row) {
        return view->model()->index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>();
    }
    void SetTick(ListView* view, int row, Qt::CheckState state) {
        view->model()->setData(view->model()->index(row, 0), state, Qt::CheckStateRole);
    }
    std::vector<std::string> Summary() {
        std::vector<std::string> rows;
        for (const ListRow& row : app_->view.summaryRows.rows()) rows.push_back(row.text);
        return rows;
    }
    // Whether the value of a problem found by the scan is still in the prefix.
    bool ValueThere(const RegistryProblem& problem) {
        MachineResult opened = OpenWinePrefix(prefix_);
        std::string text;
        return opened.machine && QueryRegistryValue(*opened.machine->registry, problem.root,
                                                    problem.keyPath, problem.valueName, text);
    }
    // The scan's problem whose tested path ends with `file`.
    RegistryProblem Found(const std::string& file) {
        for (const RegistryProblem& p : app_->session.result.problems.Of<RegistryProblem>())
            if (p.testedPath.ends_with(file)) return p;
        ADD_FAILURE() << "no problem for " << file;
        return {};
    }
    QAction* MenuAction(MainWindow& main, int detailRow, const char* name) {
        QMenu* menu =
            main.results()->MenuFor(static_cast<std::size_t>(detailRow) + 1, main.details());
        if (!menu) return nullptr;
        menu->deleteLater();
        return menu->findChild<QAction*>(name);
    }
    // Answers the notice that opens next. It opens where the question was,
    // under the pointer: the pointer's moves there pass before OK is clicked.
    static void AnswerNotice(QString* text) {
        OnNextModal([text](QWidget* box) {
            Pump(50);
            if (text) *text = static_cast<MessageBoxDialog*>(box)->message();
            ClickPair(box, "ImgOKNormal");
        });
    }
    // Repairs from the Repair button, answering its question; returns the question.
    QString Repair(MainWindow& main, bool yes) {
        QString question;
        OnNextModal([&question, yes](QWidget* modal) {
            question = static_cast<MessageBoxDialog*>(modal)->message();
            ClickPair(modal, yes ? "ImgOKNormal" : "ImgCancelNormal");
            if (yes) AnswerNotice(nullptr);
        });
        ClickPair(&main, "ImgRepairNormal");
        WaitUntilIdle();
        return question;
    }
};

TEST_F(ResultsViewTest, DetailsOfEverySectionShowTheEntryItsDataThePathAndTheReason) {
    MainWindow& main = Scanned();
    ASSERT_EQ(app_->view.summaryRows.Count(), 10u);
    EXPECT_EQ(app_->view.summaryRows.Text(kPhotoEditRow + 1), kPhotoEditLine);
    const QAbstractItemModel* details = main.details()->model();
    ASSERT_EQ(details->columnCount(), 6);
    QStringList headers;
    for (int c = 0; c < 6; ++c) headers << details->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers.join('|'), "Details|Entry|Value|Holds|Looked for|Why");
    for (int row = 0; row <= kShortcutRow; ++row) {
        Choose(main, row);
        ASSERT_GT(details->rowCount(), 0) << row;
        for (int d = 0; d < details->rowCount(); ++d) {
            EXPECT_FALSE(Cell(main, d, 1).empty()) << row << "/" << d;
            EXPECT_FALSE(Cell(main, d, 4).empty()) << row << "/" << d;
            EXPECT_FALSE(Cell(main, d, 5).empty()) << row << "/" << d;
            // Every cell's tooltip is its whole text.
            EXPECT_EQ(details->index(d, 4).data(Qt::ToolTipRole).toString().toStdString(),
                      Cell(main, d, 4));
        }
    }
    Choose(main, kHelpRow);
    ASSERT_EQ(details->rowCount(), 2);
    EXPECT_EQ(Cell(main, 0, 0),
              "This file could not be found on your hard drive:C:\\Program "
              "Files\\PhotoEdit\\photoedit.hlp");
    EXPECT_EQ(Cell(main, 0, 1), kHelpKey);
    EXPECT_EQ(Cell(main, 0, 2), "photoedit.hlp");
    EXPECT_EQ(Cell(main, 0, 4), "C:\\Program Files\\PhotoEdit\\photoedit.hlp");
    EXPECT_EQ(Cell(main, 0, 5), "file not found");
    Choose(main, kShortcutRow);
    ASSERT_EQ(details->rowCount(), 2);
    EXPECT_EQ(Cell(main, 1, 1), "C:\\users\\Public\\Desktop\\PhotoEdit.lnk");
    EXPECT_EQ(Cell(main, 1, 2), "");
    EXPECT_FALSE(Cell(main, 1, 3).empty());
    EXPECT_EQ(Cell(main, 1, 3), Cell(main, 1, 4));

    // The pane shows the whole of the current problem.
    main.details()->setCurrentIndex(details->index(1, 0));
    const QString pane = main.results()->pane()->toPlainText();
    EXPECT_TRUE(pane.contains("Entry: C:\\users\\Public\\Desktop\\PhotoEdit.lnk"))
        << pane.toStdString();
    EXPECT_TRUE(pane.contains("Why: ")) << pane.toStdString();
    // With the id the command line takes for it.
    std::string id;
    for (const auto& shortcut : app_->session.result.problems.Of<ShortcutProblem>())
        if (shortcut.path == "C:\\users\\Public\\Desktop\\PhotoEdit.lnk") id = ProblemId(shortcut);
    ASSERT_EQ(id.size(), 16u);
    EXPECT_TRUE(pane.contains(QString::fromStdString("\nId: " + id))) << pane.toStdString();
    // New details clear it.
    Choose(main, kHelpRow);
    EXPECT_TRUE(main.results()->pane()->toPlainText().isEmpty());
}

TEST_F(ResultsViewTest, TheKeyboardMovesTheDetailsAsClicksDo) {
    MainWindow& main = Scanned();
    ListView* summary = main.summary();
    summary->setFocus();
    summary->setCurrentIndex(summary->model()->index(kHelpRow - 1, 0));
    const std::size_t shown = app_->view.detailRows.Count();
    // The removed program's App Paths entry and the folder its Path names.
    EXPECT_EQ(shown, 2u);
    QTest::keyClick(summary, Qt::Key_Down);
    EXPECT_EQ(summary->currentIndex().row(), kHelpRow);
    ASSERT_EQ(app_->view.detailRows.Count(), 2u);
    EXPECT_NE(app_->view.detailRows.Text(1).find("photoedit.hlp"), std::string::npos);
    // The last row is the removed program's, with all it left.
    QTest::keyClick(summary, Qt::Key_End);
    EXPECT_EQ(summary->currentIndex().row(), kPhotoEditRow);
    ASSERT_EQ(app_->view.detailRows.Count(), 12u);
    EXPECT_NE(app_->view.detailRows.Text(12).find("PhotoEdit.lnk"), std::string::npos);
    QTest::keyClick(summary, Qt::Key_Up);
    ASSERT_EQ(app_->view.detailRows.Count(), 2u);
    EXPECT_NE(app_->view.detailRows.Text(1).find(".lnk"), std::string::npos);
}

TEST_F(ResultsViewTest, TicksPerProblemAndPerSectionAndTheRepairOfTheTickedOnes) {
    MainWindow& main = Scanned();
    ListView* summary = main.summary();
    for (int row = 0; row <= kShortcutRow; ++row) EXPECT_EQ(Tick(summary, row), Qt::Checked);
    Choose(main, kHelpRow);
    EXPECT_EQ(Tick(main.details(), 0), Qt::Checked);
    // One help file unticked: its section is half ticked.
    SetTick(main.details(), 0, Qt::Unchecked);
    EXPECT_EQ(Tick(summary, kHelpRow), Qt::PartiallyChecked);
    SetTick(main.details(), 0, Qt::Checked);
    EXPECT_EQ(Tick(summary, kHelpRow), Qt::Checked);
    SetTick(main.details(), 0, Qt::Unchecked);
    // The shortcut section unticked as a whole, from its summary row.
    Choose(main, kShortcutRow);
    SetTick(summary, kShortcutRow, Qt::Unchecked);
    EXPECT_EQ(Tick(main.details(), 0), Qt::Unchecked);
    EXPECT_EQ(Tick(main.details(), 1), Qt::Unchecked);
    // A click on a half-ticked section ticks it all.
    SetTick(summary, kShortcutRow, Qt::Checked);
    EXPECT_EQ(Tick(main.details(), 1), Qt::Checked);
    SetTick(summary, kShortcutRow, Qt::Unchecked);

    const RegistryProblem hlp = Found("photoedit.hlp"), chm = Found("photoedit.chm");
    // Cancelled: nothing happens.
    const QString asked = Repair(main, false);
    EXPECT_EQ(asked.toStdString().rfind("Repair 11 of 14 problems? A backup is written first to " +
                                            std::string(home_ / "backups") + ".\n\n",
                                        0),
              0u)
        << asked.toStdString();
    EXPECT_TRUE(ValueThere(chm));
    EXPECT_FALSE(main.control("PicResults")->isHidden());

    Repair(main, true);
    EXPECT_TRUE(ValueThere(hlp));
    EXPECT_FALSE(ValueThere(chm));
    EXPECT_TRUE(std::filesystem::exists(prefix_ + "/drive_c/users/Public/Desktop/PhotoEdit.lnk"));
    // A new scan finds the unticked ones again, and only them. With its
    // uninstall entry gone, PhotoEdit is known by its folder alone.
    ClickPair(&main, "ImgScanNowNormal");
    WaitUntilIdle();
    EXPECT_EQ(Summary(), (std::vector<std::string>{
                             "Invalid Help Files ( 1 Problem(s) )",
                             "Invalid Windows Shortcut File (2 Problems)",
                             "PhotoEdit (C:\\Program Files\\PhotoEdit): 3 leftovers in 3 places"}));
}

TEST_F(ResultsViewTest, ARemovedProgramIsOneRowWhoseTickRepairsAllItLeft) {
    MainWindow& main = Scanned();
    ListView* summary = main.summary();
    ASSERT_EQ(app_->view.summaryRows.Count(), 10u);
    EXPECT_EQ(app_->view.summaryRows.Text(kPhotoEditRow + 1), kPhotoEditLine);
    EXPECT_EQ(Tick(summary, kPhotoEditRow), Qt::Checked);

    // Its details: every problem it left, each naming the section that found it.
    Choose(main, kPhotoEditRow);
    ASSERT_EQ(app_->view.detailRows.Count(), 12u);
    EXPECT_EQ(Cell(main, 0, 0),
              "Custom Controls: This file could not be found on your hard drive:C:\\Program "
              "Files\\PhotoEdit\\pethumb.ocx");
    EXPECT_EQ(Cell(main, 4, 0),
              "Help Files: This file could not be found on your hard drive:C:\\Program "
              "Files\\PhotoEdit\\photoedit.hlp");
    EXPECT_EQ(Cell(main, 4, 1), kHelpKey);
    EXPECT_EQ(Cell(main, 11, 1), "C:\\users\\Public\\Desktop\\PhotoEdit.lnk");
    main.details()->setCurrentIndex(main.details()->model()->index(4, 0));
    EXPECT_TRUE(
        main.results()->pane()->toPlainText().contains("Looked for: C:\\Program "
                                                       "Files\\PhotoEdit\\photoedit.hlp"));

    // One of its problems unticked: it and that problem's section are half ticked.
    SetTick(main.details(), 4, Qt::Unchecked);
    EXPECT_EQ(Tick(summary, kPhotoEditRow), Qt::PartiallyChecked);
    EXPECT_EQ(Tick(summary, kHelpRow), Qt::PartiallyChecked);
    // Every section unticked, then the program ticked as a whole: only what
    // it left is ticked, in whichever section.
    for (int row = 0; row <= kShortcutRow; ++row) SetTick(summary, row, Qt::Unchecked);
    EXPECT_EQ(Tick(summary, kPhotoEditRow), Qt::Unchecked);
    SetTick(summary, kPhotoEditRow, Qt::Checked);
    EXPECT_EQ(Tick(summary, kPhotoEditRow), Qt::Checked);
    EXPECT_EQ(Tick(main.details(), 4), Qt::Checked);
    EXPECT_EQ(Tick(summary, kHelpRow), Qt::Checked);
    EXPECT_EQ(Tick(summary, kShortcutRow), Qt::Checked);
    EXPECT_EQ(Tick(summary, kSharedFilesRow), Qt::Unchecked);
    EXPECT_EQ(Tick(summary, kFontsRow), Qt::Unchecked);

    const RegistryProblem hlp = Found("photoedit.hlp"), filters = Found("filters.dll");
    EXPECT_EQ(Repair(main, true)
                  .toStdString()
                  .rfind("Repair 12 of 14 problems? A backup is written first to " +
                             std::string(home_ / "backups") + ".\n\n",
                         0),
              0u);
    EXPECT_FALSE(ValueThere(hlp));
    EXPECT_TRUE(ValueThere(filters));
    EXPECT_FALSE(std::filesystem::exists(prefix_ + "/drive_c/users/Public/Desktop/PhotoEdit.lnk"));
    // What is left: the two sections of problems of no program, and no program.
    EXPECT_EQ(Summary(), (std::vector<std::string>{"Invalid Shared Files ( 1 Problem(s) )",
                                                   "Invalid Windows Fonts (  1 Problem(s) )"}));
    EXPECT_EQ(Tick(summary, 0), Qt::Unchecked);
    EXPECT_EQ(app_->session.ProblemCount(), 2u);
}

// The bar over the details: a search through every text of a row and its
// section, a section box, the count of what shows, and the first problem
// shown as soon as the results open.
TEST_F(ResultsViewTest, TheDetailsNarrowBySearchAndSectionAndTheCountSaysHowMany) {
    MainWindow& main = Scanned();
    ResultsPanel* panel = main.results();
    // The results open on the first summary row and its first problem.
    EXPECT_EQ(main.summary()->currentIndex().row(), 0);
    ASSERT_GT(app_->view.detailRows.Count(), 0u);
    EXPECT_EQ(main.details()->currentIndex().row(), 0);
    EXPECT_TRUE(panel->pane()->toPlainText().startsWith(QString::fromStdString(Cell(main, 0, 0))))
        << panel->pane()->toPlainText().toStdString();

    Choose(main, kPhotoEditRow);
    Pump(20);
    const QAbstractItemModel* shown = main.details()->model();
    ASSERT_EQ(shown->rowCount(), 12);
    EXPECT_EQ(panel->count()->text(), "12 of 12 problems shown");
    // Each section the program's problems were found in, once, after "All sections".
    QStringList sections;
    for (int i = 0; i < panel->sections()->count(); ++i) sections << panel->sections()->itemText(i);
    EXPECT_EQ(sections.first(), "All sections");
    EXPECT_TRUE(sections.contains("Help Files")) << sections.join('|').toStdString();
    EXPECT_EQ(sections.removeDuplicates(), 0);
    for (int row = 0; row < 12; ++row) {
        const QString line = QString::fromStdString(Cell(main, row, 0));
        EXPECT_TRUE(sections.contains(line.section(": ", 0, 0))) << line.toStdString();
    }

    // Any column, whatever the letter case.
    panel->search()->setText("PHOTOEDIT.hlp");
    ASSERT_EQ(shown->rowCount(), 1);
    EXPECT_EQ(Cell(main, 0, 4), "C:\\Program Files\\PhotoEdit\\photoedit.hlp");
    EXPECT_EQ(panel->count()->text(), "1 of 12 problems shown");
    panel->search()->setText(QString::fromStdString(kHelpKey).toLower());
    ASSERT_EQ(shown->rowCount(), 1);
    EXPECT_EQ(Cell(main, 0, 1), kHelpKey);
    // The section narrows further; a search it cannot meet shows nothing.
    panel->search()->clear();
    panel->sections()->setCurrentIndex(panel->sections()->findText("Help Files"));
    ASSERT_EQ(shown->rowCount(), 2);
    for (int row = 0; row < 2; ++row)
        EXPECT_TRUE(Cell(main, row, 0).starts_with("Help Files: ")) << Cell(main, row, 0);
    EXPECT_EQ(panel->count()->text(), "2 of 12 problems shown");
    panel->search()->setText("chm");
    ASSERT_EQ(shown->rowCount(), 1);
    EXPECT_TRUE(Cell(main, 0, 4).ends_with("photoedit.chm"));
    panel->search()->setText("no such text");
    EXPECT_EQ(shown->rowCount(), 0);
    EXPECT_EQ(panel->count()->text(), "0 of 12 problems shown");
    panel->search()->clear();

    // A header click sorts what shows, both ways; equal texts keep their order.
    emit main.details()->header()->sectionClicked(4);
    ASSERT_EQ(shown->rowCount(), 2);
    EXPECT_TRUE(Cell(main, 0, 4).ends_with("photoedit.hlp"));
    emit main.details()->header()->sectionClicked(4);
    EXPECT_TRUE(Cell(main, 0, 4).ends_with("photoedit.chm"));
    panel->sections()->setCurrentIndex(0);
    ASSERT_EQ(shown->rowCount(), 12);
    emit main.details()->header()->sectionClicked(5);  // "Why": many rows share one reason
    std::vector<std::string> before;
    for (int row = 0; row < 12; ++row)
        before.push_back(Cell(main, row, 5) + "|" + Cell(main, row, 4));
    emit main.details()->header()->sectionClicked(5);
    emit main.details()->header()->sectionClicked(5);
    std::vector<std::string> after;
    for (int row = 0; row < 12; ++row)
        after.push_back(Cell(main, row, 5) + "|" + Cell(main, row, 4));
    EXPECT_EQ(after, before);
    const int direction = app_->view.detailRows.sortOrder() == 0 ? 1 : -1;
    for (int row = 1; row < 12; ++row)
        EXPECT_LE(direction * QString::compare(QString::fromStdString(Cell(main, row - 1, 5)),
                                               QString::fromStdString(Cell(main, row, 5)),
                                               Qt::CaseInsensitive),
                  0);

    // A section's own row: its section matches the search though no column says it.
    Choose(main, kHelpRow);
    Pump(20);
    panel->search()->setText("help files");
    EXPECT_EQ(shown->rowCount(), 2);
    EXPECT_EQ(panel->count()->text(), "2 of 2 problems shown");
    // A new scan opens with nothing narrowed.
    ClickPair(&main, "ImgScanNowNormal");
    WaitUntilIdle();
    EXPECT_TRUE(panel->search()->text().isEmpty());
    EXPECT_EQ(panel->sections()->currentIndex(), 0);
    EXPECT_EQ(main.details()->currentIndex().row(), 0);
}

// The ticks belong to the problems, not to the rows that show: a filtered
// row's tick, menu and pane are its own problem's, and a repair repairs the
// ticked problems whether they show or not.
TEST_F(ResultsViewTest, TicksStayWithTheProblemsWhileFilteredAndTheRepairTakesExactlyThem) {
    MainWindow& main = Scanned();
    ResultsPanel* panel = main.results();
    Choose(main, kPhotoEditRow);
    const auto ticked = [this] {
        std::vector<bool> ticks;
        for (std::size_t i = 0; i < app_->session.ProblemCount(); ++i)
            ticks.push_back(IsSelected(app_->session.result.problems.at(i)));
        return ticks;
    };
    panel->search()->setText("photoedit.hlp");
    ASSERT_EQ(main.details()->model()->rowCount(), 1);
    SetTick(main.details(), 0, Qt::Unchecked);
    const RegistryProblem hlp = Found("photoedit.hlp"), chm = Found("photoedit.chm"),
                          filters = Found("filters.dll");
    // The pane and the menu of the one row that shows are the .hlp's.
    main.details()->setCurrentIndex(main.details()->model()->index(0, 0));
    EXPECT_TRUE(panel->pane()->toPlainText().contains("photoedit.hlp"));
    const QRect place = main.details()->visualRect(main.details()->model()->index(0, 0));
    emit main.details()->customContextMenuRequested(place.center());
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    popup->findChild<QAction*>("mnuCopyMissingPath")->trigger();
    popup->close();
    EXPECT_EQ(QApplication::clipboard()->text(), "C:\\Program Files\\PhotoEdit\\photoedit.hlp");

    const std::vector<bool> set = ticked();
    EXPECT_EQ(std::count(set.begin(), set.end(), false), 1);
    // Narrowing, widening and sorting leave the ticks as they are.
    panel->search()->setText("no such text");
    EXPECT_EQ(ticked(), set);
    panel->search()->clear();
    panel->sections()->setCurrentIndex(panel->sections()->findText("Help Files"));
    emit main.details()->header()->sectionClicked(0);
    EXPECT_EQ(ticked(), set);
    // The hidden rows are repaired too; the unticked one is not.
    panel->search()->setText("chm");
    ASSERT_EQ(main.details()->model()->rowCount(), 1);
    EXPECT_EQ(Repair(main, true)
                  .toStdString()
                  .rfind("Repair 13 of 14 problems? A backup is written first to " +
                             std::string(home_ / "backups") + ".\n\n",
                         0),
              0u);
    EXPECT_TRUE(ValueThere(hlp));
    EXPECT_FALSE(ValueThere(chm));
    EXPECT_FALSE(ValueThere(filters));
    EXPECT_EQ(app_->session.ProblemCount(), 1u);
}

// Ten thousand detail rows fill, narrow and count without keeping the
// window waiting.
TEST_F(ResultsViewTest, TenThousandDetailRowsFillAndFilterQuickly) {
    MainWindow& main = Main();
    ResultsPanel* panel = main.results();
    ListControl& rows = app_->view.detailRows;
    constexpr int kRows = 10000;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kRows; ++i) {
        const std::size_t at =
            rows.Add("This file could not be found on your hard drive:C:\\Bulk\\f" +
                     std::to_string(i) + ".dll");
        rows.SetSubItem(at, 1, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Bulk\\" + std::to_string(i));
        rows.SetSubItem(at, 4, "C:\\Bulk\\f" + std::to_string(i) + ".dll");
        rows.SetSubItem(at, kDetailSectionColumn, i % 2 ? "Shared Files" : "Help Files");
    }
    Pump(20);
    const qint64 filled = clock.restart();
    EXPECT_EQ(panel->count()->text(), "10000 of 10000 problems shown");
    EXPECT_EQ(panel->sections()->count(), 3);
    panel->search()->setText("F999");
    EXPECT_EQ(main.details()->model()->rowCount(), 11);  // f999, f9990 ... f9999
    panel->sections()->setCurrentIndex(panel->sections()->findText("Shared Files"));
    EXPECT_EQ(main.details()->model()->rowCount(), 6);
    EXPECT_EQ(panel->count()->text(), "6 of 10000 problems shown");
    panel->search()->clear();
    panel->sections()->setCurrentIndex(0);
    emit main.details()->header()->sectionClicked(4);
    EXPECT_EQ(Cell(main, 0, 4), "C:\\Bulk\\f9999.dll");
    const qint64 filtered = clock.elapsed();
    EXPECT_LT(filled, 5000);
    EXPECT_LT(filtered, 3000);
}

TEST_F(ResultsViewTest, QuestionSaysWhenNoBackupWillBeWrittenAndNothingTickedAsksNothing) {
    IniSettingsStore(DefaultSettingsPath()).Save("chkMakeBackUp", "0");
    MainWindow& main = Scanned();
    EXPECT_EQ(
        Repair(main, false)
            .toStdString()
            .rfind("Repair 14 of 14 problems? No backup will be written: \"Make Backup Before "
                   "Repairing\" is off.\n\n",
                   0),
        0u);
    for (int row = 0; row <= kShortcutRow; ++row) SetTick(main.summary(), row, Qt::Unchecked);
    QString notice;
    AnswerNotice(&notice);
    ClickPair(&main, "ImgRepairNormal");
    WaitUntilIdle();
    EXPECT_EQ(notice, "No problem is ticked: nothing to repair.");
    EXPECT_TRUE(ValueThere(Found("photoedit.hlp")));
    EXPECT_EQ(app_->session.ProblemCount(), 14u);
}

TEST_F(ResultsViewTest, ContextMenuCopiesTheEntryAndPathAndOpensTheNearestFolder) {
    MainWindow& main = Scanned();
    Choose(main, kHelpRow);
    // The menu opens on a right click over a problem.
    const QRect place = main.details()->visualRect(main.details()->model()->index(0, 0));
    emit main.details()->customContextMenuRequested(place.center());
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    QStringList items;
    for (QAction* action : popup->actions()) items << action->text();
    EXPECT_EQ(items.join('|'),
              "Copy Entry|Copy Missing Path|Open Containing Folder|Ignore This Entry");
    popup->close();

    MenuAction(main, 0, "mnuCopyEntry")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              std::string(kHelpKey) + " value \"photoedit.hlp\"");
    MenuAction(main, 0, "mnuCopyMissingPath")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "C:\\Program Files\\PhotoEdit\\photoedit.hlp");
    // The PhotoEdit folder is gone: the nearest folder there is opens.
    ASSERT_FALSE(std::filesystem::exists(prefix_ + "/drive_c/Program Files/PhotoEdit"));
    MenuAction(main, 0, "mnuOpenFolder")->trigger();
    ASSERT_EQ(recorder_.openedUrls.size(), 1);
    EXPECT_EQ(std::filesystem::canonical(recorder_.openedUrls[0].toStdString()),
              std::filesystem::canonical(prefix_ + "/drive_c/Program Files"));
    Choose(main, kShortcutRow);
    MenuAction(main, 1, "mnuCopyEntry")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "C:\\users\\Public\\Desktop\\PhotoEdit.lnk");
}

TEST_F(ResultsViewTest, IgnoredFromTheMenuHiddenOnRescanAndBackAfterRemovalInSettings) {
    MainWindow& main = Scanned();
    Choose(main, kHelpRow);
    MenuAction(main, 0, "mnuIgnoreEntry")->trigger();
    // Never repaired from now on: the tick goes at once.
    EXPECT_EQ(Tick(main.details(), 0), Qt::Unchecked);
    std::string error;
    auto list = LoadIgnoreList(DefaultIgnoreListPath(), &error);
    ASSERT_TRUE(list) << error;
    ASSERT_EQ(list->Entries().size(), 1u);
    const IgnoreEntry entry = list->Entries()[0];
    EXPECT_EQ(entry.kind, IgnoreEntry::Kind::Registry);
    EXPECT_EQ(entry.pattern, kHelpKey);
    EXPECT_EQ(entry.value, "photoedit.hlp");
    EXPECT_EQ(entry.machine, IgnoreMachineOf(*app_));
    EXPECT_TRUE(list->IgnoresRegistryValue(IgnoreMachineOf(*app_), kHelpKey, "photoedit.hlp"));

    ClickPair(&main, "ImgScanNowNormal");
    WaitUntilIdle();
    EXPECT_EQ(app_->view.summaryRows.Text(kHelpRow + 1), "Invalid Help Files ( 1 Problem(s) )");
    EXPECT_EQ(app_->session.result.ignoredCount, 1u);

    // Settings lists it; Remove takes it out when OK is pressed.
    const std::string machine = IgnoreMachineOf(*app_);
    OnNextModal([machine](QWidget* modal) {
        auto* settings = qobject_cast<SettingsDialog*>(modal);
        ASSERT_NE(settings, nullptr);
        QListWidget* rows = settings->ignoreList()->rows();
        ASSERT_EQ(rows->count(), 1);
        EXPECT_EQ(rows->item(0)->text().toStdString(),
                  std::string(kHelpKey) + ", value \"photoedit.hlp\"  (" + machine + ")");
        rows->setCurrentRow(0);
        ClickPair(settings, "cmdRemoveIgnoredNormal");
        EXPECT_EQ(rows->count(), 0);
        ClickPair(settings, "cmdOKNormal");
    });
    ClickPair(&main, "ImgSettingsNormal");
    list = LoadIgnoreList(DefaultIgnoreListPath(), &error);
    ASSERT_TRUE(list) << error;
    EXPECT_TRUE(list->Entries().empty());
    ClickPair(&main, "ImgScanNowNormal");
    WaitUntilIdle();
    EXPECT_EQ(app_->view.summaryRows.Text(kHelpRow + 1), "Invalid Help Files ( 2 Problem(s) )");
}

TEST_F(ResultsViewTest, ADamagedLineIsShownAndLeftOutAndTheFileNeverWrittenOver) {
    const std::string path = DefaultIgnoreListPath();
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const std::string damaged = "# mine\nregistery \"HKLM\\Software\\Old\"\n";
    vostrel::testing::WriteTextFile(path, damaged);
    MainWindow& main = Main();
    QString notice;
    AnswerMessageBox(true, &notice);
    ClickPair(&main, "ImgScanNowNormal");
    WaitUntilIdle();
    EXPECT_TRUE(notice.contains("Line 2 of the ignore list")) << notice.toStdString();
    // The scan ran with the rest of the list.
    EXPECT_FALSE(main.control("PicResults")->isHidden());
    EXPECT_GT(app_->session.ProblemCount(), 0u);

    SettingsDialog settings(*app_);
    EXPECT_TRUE(settings.ignoreList()->status()->text().contains("Line 2 of the ignore list"));
    settings.SaveAndClose();
    EXPECT_EQ(vostrel::testing::ReadTextFile(path), damaged);
}

TEST_F(ResultsViewTest, AnIgnoreListThatCannotBeReadStopsTheScan) {
    const std::string path = DefaultIgnoreListPath();
    std::filesystem::create_directories(path);  // a folder where the file should be
    MainWindow& main = Main();
    QString notice;
    AnswerMessageBox(true, &notice);
    ClickPair(&main, "ImgScanNowNormal");
    WaitUntilIdle();
    EXPECT_TRUE(notice.contains(QString::fromStdString(path))) << notice.toStdString();
    EXPECT_TRUE(main.control("PicResults")->isHidden());
    EXPECT_EQ(app_->session.ProblemCount(), 0u);
    EXPECT_TRUE(main.ScanIdle());

    SettingsDialog settings(*app_);
    EXPECT_TRUE(settings.ignoreList()->status()->text().contains("cannot be read"));
    EXPECT_FALSE(settings.ignoreList()->rows()->isEnabled());
    settings.SaveAndClose();
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

// The question before a repair says what will be done, grouped, and its
// button carries the verb and the count; files outside the prefix are
// called out on their own.
TEST_F(ResultsViewTest, TheRepairQuestionListsWhatWillBeDoneAndItsButtonSaysIt) {
    MainWindow& main = Scanned();
    QString question, confirm;
    OnNextModal([&](QWidget* modal) {
        question = static_cast<MessageBoxDialog*>(modal)->message();
        if (auto* ok = modal->findChild<SkinImage*>("ImgOKNormal")) confirm = ok->caption();
        ClickPair(modal, "ImgCancelNormal");
    });
    ClickPair(&main, "ImgRepairNormal");
    WaitUntilIdle();
    const std::string text = question.toStdString();
    EXPECT_NE(text.find("\n\nDefault values to blank ("), std::string::npos) << text;
    EXPECT_NE(text.find("\nValues to remove ("), std::string::npos) << text;
    EXPECT_NE(text.find("\nFiles to delete inside the prefix (2):\n  C:\\users\\Public\\Desktop\\"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("OUTSIDE the prefix"), std::string::npos) << text;
    EXPECT_NE(text.find("\nKeys to remove with all their values (2):\n  "
                        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App "
                        "Paths\\photoedit.exe\n"),
              std::string::npos)
        << text;
    // Twelve registry problems, four of them in the two keys that go whole.
    EXPECT_EQ(confirm.toStdString(), "Delete 10 entries and 2 files") << text;
}

// While Wine runs on the prefix, the question says so and its button offers
// to close the prefix's programs; OK closes them with the prefix's own
// wineserver, reads the prefix again as Wine left it, and repairs.
TEST_F(ResultsViewTest, ARunningWineIsClosedFirstWhenTheUserSaysSo) {
    if (!vostrel::testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    prefix_ = home_ / "prefix";
    std::unique_ptr<Machine> loaded = OpenFixtureMachine(prefix_);
    DeferredMachine deferred = MakeDeferredMachine(prefix_);
    deferred.registry->Install(std::move(loaded->registry));
    deferred.files->Install(std::move(loaded->files));
    AppOn(std::move(deferred.machine));
    vostrel::testing::StartPersistentWineserver(prefix_);
    // A server left running by a failed check would outlive the test.
    struct Stop {
        std::string prefix;
        ~Stop() { vostrel::testing::KillWineserver(prefix); }
    } stop{prefix_};
    ASSERT_NE(RunningWineserver(prefix_), 0);
    // The results say so as soon as they show.
    MainWindow& main = Scanned();
    EXPECT_FALSE(main.control("lblWineRunning")->isHidden());

    const RegistryProblem chm = Found("photoedit.chm");
    QString question, confirm;
    OnNextModal([&](QWidget* modal) {
        question = static_cast<MessageBoxDialog*>(modal)->message();
        if (auto* ok = modal->findChild<SkinImage*>("ImgOKNormal")) confirm = ok->caption();
        ClickPair(modal, "ImgOKNormal");
        AnswerNotice(nullptr);
    });
    ClickPair(&main, "ImgRepairNormal");
    WaitUntilIdle(30000);
    EXPECT_TRUE(
        question.startsWith("Wine is running in this prefix. Its programs are closed "
                            "first; their unsaved work is lost.\n\nRepair 14 of 14"))
        << question.toStdString();
    EXPECT_EQ(confirm.toStdString(), "Close the prefix's programs and repair");
    EXPECT_EQ(RunningWineserver(prefix_), 0);
    EXPECT_FALSE(ValueThere(chm));
    EXPECT_TRUE(main.control("lblWineRunning")->isHidden());
}

}  // namespace
}  // namespace vostrel::shell::testing
