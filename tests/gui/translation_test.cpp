// The windows' texts go through the installed translator: the captions
// written in the windows and the texts of the message box's table, which
// are only marked where they are listed and translated when shown. The
// program's own translations: English (plain words) for English, the C
// locale and every language without its own, German for German; the
// core's texts (section rows, summary lines, detail words) translated
// where the window shows them only.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTranslator>
#include <memory>
#include <string>
#include <vector>

#include "gui_fixture.h"
#include "scan/section_table.h"
#include "session/sections.h"
#include "shell/list_model.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/scan_view.h"
#include "shell/settings_window.h"
#include "shell/skin.h"
#include "shell/translations.h"
#include "system/settings.h"

namespace vostrel::shell::testing {
namespace {

// Marks every text of the given contexts; leaves all others alone.
class MarkingTranslator : public QTranslator {
public:
    explicit MarkingTranslator(QStringList contexts) : contexts_(std::move(contexts)) {}
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (!contexts_.contains(QString::fromUtf8(context))) return {};
        return "[x]" + QString::fromUtf8(source);
    }
    bool isEmpty() const override { return false; }

private:
    QStringList contexts_;
};

// Installed for one test, removed again however it ends.
class ScopedTranslator {
public:
    explicit ScopedTranslator(QTranslator& translator) : translator_(translator) {
        QCoreApplication::installTranslator(&translator_);
    }
    ~ScopedTranslator() { QCoreApplication::removeTranslator(&translator_); }

private:
    QTranslator& translator_;
};

class TranslationTest : public GuiTest {};

TEST_F(TranslationTest, CaptionsAndTableTextsGoThroughTheTranslator) {
    MarkingTranslator translator(
        {"vostrel::shell::MainWindow", "vostrel::shell::MessageBoxDialog"});
    {
        const ScopedTranslator installed(translator);
        MainWindow& main = Main();
        EXPECT_EQ(main.windowTitle(), "[x]Vostrel 2006");
        EXPECT_EQ(main.findChild<QPushButton*>("cmdShowLog")->text(), "[x]Show Log");
        QString shown;
        AnswerMessageBox(false, &shown);
        AskMessage("CANCEL SCANNING");
        EXPECT_EQ(shown, "[x]Are you sure you want to stop the scanning ?");
    }
    // Without it the English source shows again.
    EXPECT_EQ(QCoreApplication::translate("vostrel::shell::MainWindow", "Show Log"), "Show Log");
    QString shown;
    AnswerMessageBox(false, &shown);
    AskMessage("CANCEL SCANNING");
    EXPECT_EQ(shown, "Are you sure you want to stop the scanning ?");
}

#ifdef VOSTREL_QM_DIR

// The summary line's words of every section around "%n": the key each
// line's translation is looked up by.
std::vector<std::string> SummarySources() {
    std::vector<std::string> sources;
    const auto add = [&sources](const SummaryWords& words) {
        if (!words.Empty())
            sources.push_back(std::string(words.before) + "%n" + std::string(words.after));
    };
    for (const SectionRow& row : kSectionRows) {
        add(row.summary);
        add(row.orphanSummary);
    }
    add(kDriveSectionRow.summary);
    return sources;
}

// The program's translations as the build made them, for a locale.
class ProgramTranslationTest : public GuiTest {
protected:
    void TearDown() override {
        if (translator_) QCoreApplication::removeTranslator(translator_.get());
        QLocale::setDefault(savedLocale_);
        GuiTest::TearDown();
    }
    // Installs the translation the program would choose for `locale`.
    void UseLocale(const QLocale& locale) {
        QLocale::setDefault(locale);
        translator_ = LoadTranslation(QLocale(), VOSTREL_QM_DIR);
        ASSERT_NE(translator_, nullptr);
        QCoreApplication::installTranslator(translator_.get());
    }
    // Scans the sample machine through the window (without its two long
    // walks that find nothing).
    MainWindow& Scanned() {
        IniSettingsStore store(DefaultSettingsPath());
        store.Save("Registry Integrity", "False");
        store.Save("Configuration files", "False");
        MainWindow& main = Main();
        ClickPair(&main, "ImgScanNowNormal");
        WaitUntilIdle();
        return main;
    }
    // What the list shows for the row whose text (what the program keys on) is `text`.
    static QString Shown(const ListView* view, const std::string& text) {
        const ListControl& list = view->listModel()->list();
        for (std::size_t row = 1; row <= list.Count(); ++row)
            if (list.Text(row) == text)
                return view->listModel()->index(static_cast<int>(row) - 1, 0).data().toString();
        return "<no row " + QString::fromStdString(text) + ">";
    }

    QLocale savedLocale_;
    std::unique_ptr<QTranslator> translator_;
};

TEST_F(ProgramTranslationTest, EachLocaleGetsItsLanguageAndEveryOtherOneEnglish) {
    const struct {
        QLocale locale;
        const char* language;  // of the .qm loaded
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "en"},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "en"},
        {QLocale::c(), "en"},
        {QLocale(QLocale::French, QLocale::France), "en"},
        {QLocale(QLocale::Japanese, QLocale::Japan), "en"},
        {QLocale(QLocale::German, QLocale::Germany), "de_DE"},
        {QLocale(QLocale::German, QLocale::Austria), "de_DE"},
        {QLocale(QLocale::German, QLocale::Switzerland), "de_DE"},
    };
    for (const auto& c : cases) {
        const auto translator = LoadTranslation(c.locale, VOSTREL_QM_DIR);
        ASSERT_NE(translator, nullptr) << c.locale.name().toStdString();
        EXPECT_EQ(translator->language(), c.language) << c.locale.name().toStdString();
    }
    // No folder of translations: nothing, and the sources show.
    EXPECT_EQ(LoadTranslation(QLocale(QLocale::German), QString::fromStdString(home_.path())),
              nullptr);
}

TEST_F(ProgramTranslationTest, BothLanguagesTranslateEveryTextTheCoreShows) {
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        const auto translator = LoadTranslation(locale, VOSTREL_QM_DIR);
        ASSERT_NE(translator, nullptr);
        const std::string language = translator->language().toStdString();
        const auto translated = [&translator](const char* context, const std::string& source,
                                              int n = -1) {
            return translator->translate(context, source.c_str(), nullptr, n);
        };
        // A section added to the table needs its names in every language.
        for (const SectionRow& row : kSectionRows)
            EXPECT_FALSE(translated("vostrel::sections", std::string(row.text)).isEmpty())
                << language << ": " << row.text;
        for (const std::string_view section :
             {kShortcutSection, kOrphanMenuEntrySection, std::string_view("Window Shortcut %1")})
            EXPECT_FALSE(translated("vostrel::sections", std::string(section)).isEmpty())
                << language << ": " << section;
        for (const std::string& source : SummarySources())
            for (const int n : {1, 2, 11}) {
                // The form for n, still holding the count's place.
                const QString line = translated("vostrel::summary", source, n);
                EXPECT_TRUE(line.contains("%n")) << language << ": " << source << " " << n;
            }
        for (const std::string_view words :
             {kMissingFileDetail, kBadShortcutDetail, kMenuEntryDetail, kOrphanMenuEntryDetail})
            EXPECT_FALSE(translated("vostrel::details", std::string(words)).isEmpty())
                << language << ": " << words;
        for (const SectionRow& row : kSectionRows)
            EXPECT_FALSE(translated("vostrel::status", std::string(row.status)).isEmpty())
                << language << ": " << row.status;
        EXPECT_FALSE(translated("vostrel::status", std::string(kDriveSectionRow.status)).isEmpty());
    }
}

TEST_F(ProgramTranslationTest, WithoutATranslationTheCoreTextsShowAsTheCoreWroteThem) {
    // Every section's line, for one and for several problems.
    for (const SectionRow& row : kSectionRows)
        for (const std::int64_t n : {1, 2, 40}) {
            if (row.summary.Empty()) continue;
            const std::string section(row.kind == ProblemKind::Registry ? row.scanner
                                                                        : kMenuEntrySection);
            const std::string line = std::string(row.summary.before) + std::to_string(n) +
                                     std::string(row.summary.after);
            EXPECT_EQ(ShownSummaryRow(section, n, line).toStdString(), line);
        }
    EXPECT_EQ(ShownSummaryRow(kShortcutSection, 2, "Invalid Windows Shortcut File (2 Problems)"),
              "Invalid Windows Shortcut File (2 Problems)");
    EXPECT_EQ(ShownCatalogueRow("Window Shortcut C"), "Window Shortcut C");
    EXPECT_EQ(ShownStatus(" Shortcuts C:\\..."), " Shortcuts C:\\...");
    EXPECT_EQ(QCoreApplication::translate("vostrel::shell::ScanView",
                                          "%n ignored (on the ignore list)", nullptr, 3),
              "3 ignored (on the ignore list)");
    EXPECT_EQ(ShownCatalogueRow("Windows Startup"), "Windows Startup");
    EXPECT_EQ(ShownDetailLine("This file could not be found on your hard drive:C:\\a.hlp"),
              "This file could not be found on your hard drive:C:\\a.hlp");
    EXPECT_EQ(ShownGroupRow("Deep", "C:\\Deep", 3, 1, "Deep (C:\\Deep): 3 leftovers in 1 place"),
              "Deep (C:\\Deep): 3 leftovers in 1 place");
}

TEST_F(ProgramTranslationTest, PlainEnglishForEnglishAndTheCLocale) {
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::Canada)}) {
        UseLocale(locale);
        SCOPED_TRACE(locale.name().toStdString());
        // The summary lines: one form, counted right, whatever the core's spacing.
        EXPECT_EQ(ShownSummaryRow(kSectionHelpFiles, 1, "Invalid Help Files ( 1 Problem(s) )"),
                  "Help files: 1 problem");
        EXPECT_EQ(ShownSummaryRow(kSectionStartup, 2,
                                  "Invalid Windows Startup Files  ( 2 Problem(s) )"),
                  "Startup entries: 2 problems");
        EXPECT_EQ(ShownSummaryRow(kSectionFonts, 1, "Invalid Windows Fonts (  1 Problem(s) )"),
                  "Fonts: 1 problem");
        EXPECT_EQ(ShownSummaryRow(kShortcutSection, 1,
                                  "Invalid Windows Shortcut File (1 Problems)"),
                  "Shortcuts: 1 problem");
        EXPECT_EQ(ShownSummaryRow(kOrphanMenuEntrySection, 3,
                                  "Menu entries of deleted Wine prefixes ( 3 Problem(s) )"),
                  "Menu entries of deleted Wine prefixes: 3 problems");
        // A line that is not the section's line for its count shows as it is.
        EXPECT_EQ(ShownSummaryRow(kSectionHelpFiles, 3, "Invalid Help Files ( 2 Problem(s) )"),
                  "Invalid Help Files ( 2 Problem(s) )");
        EXPECT_EQ(ShownSummaryRow("No Such Section", 1, "Something ( 1 Problem(s) )"),
                  "Something ( 1 Problem(s) )");
        EXPECT_EQ(ShownGroupRow("Deep", "C:\\Deep", 3, 1, "core line"),
                  "Deep (C:\\Deep): 3 leftovers in 1 place");
        EXPECT_EQ(ShownGroupRow("Deep", "", 4, 2, "core line"), "Deep: 4 leftovers in 2 places");
        EXPECT_EQ(ShownCatalogueRow("Window Shortcut D"), "Shortcuts on D:");
        EXPECT_EQ(ShownCatalogueRow("Windows Startup"), "Startup entries");
        // Not a row of the catalogue: as it is.
        EXPECT_EQ(ShownCatalogueRow("Window Shortcut CD"), "Window Shortcut CD");
        EXPECT_EQ(ShownDetailLine("This file could not be found on your hard drive:C:\\a.hlp"),
                  "Missing file: C:\\a.hlp");
        // A program's line names the section first; both are translated.
        EXPECT_EQ(ShownDetailLine("Windows Startup: This file could not be found on your hard "
                                  "drive:C:\\a.exe",
                                  "Windows Startup"),
                  "Startup entries: Missing file: C:\\a.exe");
        EXPECT_EQ(ShownSectionName(kSectionComClasses), "COM controls");
        EXPECT_EQ(ShownStatus(" Custom Controls...."), "COM controls…");
        EXPECT_EQ(QCoreApplication::translate("vostrel::shell::ScanView",
                                              "%n ignored (on the ignore list)", nullptr, 1),
                  "1 problem ignored (on the ignore list)");
        EXPECT_EQ(ShownStatus(" Shortcuts C:\\..."), "Shortcuts on C:\\…");
        EXPECT_EQ(ShownStatus("Inspecting..."), "Inspecting...");
        EXPECT_EQ(QCoreApplication::translate("vostrel::shell::MessageBoxDialog",
                                              " All Problems were repaired sucessfully !"),
                  "All problems were repaired.");
        QCoreApplication::removeTranslator(translator_.get());
    }
}

TEST_F(ProgramTranslationTest, AGermanLocaleShowsTheWindowInGerman) {
    UseLocale(QLocale(QLocale::German, QLocale::Germany));
    MainWindow& main = Scanned();
    EXPECT_EQ(main.windowTitle(), "Vostrel 2006");
    EXPECT_EQ(main.findChild<QPushButton*>("cmdShowLog")->text(), "Bericht");
    EXPECT_EQ(main.findChild<QLabel*>("Label2")->text(), "Alle Laufwerke");
    EXPECT_EQ(Shown(main.catalogue(), "Window Shortcut C"), "Verknüpfungen auf C:");
    EXPECT_EQ(Shown(main.catalogue(), "Windows Startup"), "Autostart-Einträge");
    // The summary: the rows keep the core's texts, the window shows German
    // with the plural forms of their counts.
    EXPECT_EQ(Shown(main.summary(), "Invalid Help Files ( 2 Problem(s) )"),
              "Hilfedateien: 2 Probleme");
    EXPECT_EQ(Shown(main.summary(), "Invalid Custom Controls ( 1 Problem(s) )"),
              "COM-Steuerelemente: 1 Problem");
    EXPECT_EQ(Shown(main.summary(), "Invalid Windows Shortcut File (2 Problems)"),
              "Verknüpfungen: 2 Probleme");
    EXPECT_EQ(Shown(main.summary(),
                    "PhotoEdit 3.1 (C:\\Program Files\\PhotoEdit): 12 leftovers in 9 places"),
              "PhotoEdit 3.1 (C:\\Program Files\\PhotoEdit): 12 Reste an 9 Stellen");
    // The details of the help files' row.
    const ListControl& summary = app_->view.summaryRows;
    for (std::size_t row = 1; row <= summary.Count(); ++row)
        if (summary.Text(row) == "Invalid Help Files ( 2 Problem(s) )")
            main.summary()->setCurrentIndex(main.summary()->IndexOf(row));
    const QString detail = main.details()->model()->index(0, 0).data().toString();
    EXPECT_TRUE(detail.startsWith("Fehlende Datei: C:\\")) << detail.toStdString();
    EXPECT_TRUE(app_->view.detailRows.Text(1).starts_with(kMissingFileDetail));

    QString shown;
    AnswerMessageBox(false, &shown);
    AskMessage("CANCEL SCANNING");
    EXPECT_EQ(shown, "Die Prüfung anhalten?");
}

// Every caption of the main window and the settings fits its control in
// every language: a label on one line is as wide as its text, a wrapped
// one holds all its lines (the texts beside the start view's buttons),
// a button shows all its text, and so does a picture button its caption.
class CaptionFitTest : public ProgramTranslationTest {
protected:
    static void ExpectCaptionsFit(QWidget* window) {
        const std::string where = window->objectName().toStdString();
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (label->text().isEmpty() || !label->isVisibleTo(window)) continue;
            if (label->wordWrap())
                EXPECT_LE(label->heightForWidth(label->width()), label->height())
                    << where << " " << label->objectName().toStdString() << ": "
                    << label->text().toStdString();
            else
                EXPECT_LE(label->sizeHint().width(), label->width())
                    << where << " " << label->objectName().toStdString() << ": "
                    << label->text().toStdString();
        }
        for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (button->text().isEmpty() || !button->isVisibleTo(window)) continue;
            EXPECT_LE(button->sizeHint().width(), button->width())
                << where << " " << button->objectName().toStdString() << ": "
                << button->text().toStdString();
        }
        for (const SkinImage* image : window->findChildren<SkinImage*>()) {
            if (image->caption().isEmpty()) continue;
            EXPECT_TRUE(image->CaptionFits()) << where << " " << image->objectName().toStdString()
                                              << ": " << image->caption().toStdString();
        }
    }
    void ExpectWindowsFit() {
        MainWindow& main = Main();
        for (const char* name : {"lblScanText", "lblSettingsText", "lblBackUpText"}) {
            const auto* label = main.findChild<QLabel*>(name);
            ASSERT_NE(label, nullptr) << name;
            EXPECT_TRUE(label->wordWrap()) << name;
        }
        ExpectCaptionsFit(&main);
        SettingsDialog settings(*app_);
        settings.show();
        ExpectCaptionsFit(&settings);
    }
};

TEST_F(CaptionFitTest, GermanCaptionsFitTheirPlaces) {
    UseLocale(QLocale(QLocale::German, QLocale::Germany));
    ExpectWindowsFit();
    // The longest of them, wrapped.
    EXPECT_EQ(Main().findChild<QLabel*>("lblScanText")->text(),
              "Mit „Jetzt prüfen“ die Registrierung nach Problemen durchsuchen.");
}

TEST_F(CaptionFitTest, EnglishCaptionsFitTheirPlaces) {
    UseLocale(QLocale::c());
    ExpectWindowsFit();
}

TEST(SkinImageCaptionTest, ALongCaptionIsShortenedToItsPlace) {
    SkinImage image("img", {}, nullptr);
    image.resize(120, 30);
    image.SetCaption("Scan");
    EXPECT_TRUE(image.CaptionFits());
    image.SetCaption("Eine sehr lange Beschriftung, die nie passt");
    EXPECT_FALSE(image.CaptionFits());
    // The icon takes its room from the caption.
    image.SetCaption("Scan Now");
    const bool fitsAlone = image.CaptionFits();
    image.SetIcon("skin/icon_scan.svg");
    image.resize(QFontMetrics(image.font()).horizontalAdvance("Scan Now") * 2, 30);
    EXPECT_TRUE(fitsAlone);
    EXPECT_TRUE(image.CaptionFits());
    image.resize(image.height(), 30);
    EXPECT_FALSE(image.CaptionFits());
}

#endif  // VOSTREL_QM_DIR

}  // namespace
}  // namespace vostrel::shell::testing
