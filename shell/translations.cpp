#include "shell/translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>
#include <array>
#include <string>

#include "scan/section_table.h"
#include "session/sections.h"

namespace vostrel::shell {

namespace {

constexpr const char* kSectionsContext = "vostrel::sections";
constexpr const char* kSummaryContext = "vostrel::summary";
constexpr const char* kDetailsContext = "vostrel::details";

// The core's texts the window translates, marked here for lupdate: they
// are looked up by the core's own words, so a text without a translation
// shows as the core wrote it. The section names are the catalogue's row
// texts; a summary line is its section's words around the count.
[[maybe_unused]] constexpr std::array kSectionNames = {
    QT_TRANSLATE_NOOP("vostrel::sections", "Registry Integrity"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Custom Controls"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Sub Section Controls"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Software Locations"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Help Files"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Shared Files"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Windows Startup"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Uninstall Section"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Virtual Devices"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Windows Fonts"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Configuration files"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Shared DLLs"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Installer Folders"),
    QT_TRANSLATE_NOOP("vostrel::sections", "MUI Cache"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Compatibility Layers"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Services"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Sound Events"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Type Libraries"),
    QT_TRANSLATE_NOOP("vostrel::sections", "File Associations"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Wine Menu Entries"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Wine Menu Entries of deleted prefixes"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Windows Shortcut"),
    QT_TRANSLATE_NOOP("vostrel::sections", "Window Shortcut %1"),
};

[[maybe_unused]] constexpr std::array kSummaryLines = {
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Custom Controls ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Sub Section Controls ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Software Locations ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Help Files ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Shared Files ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Windows Startup Files  ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Uninstall Section File  ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Virtual Devices ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Windows Fonts (  %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Shared DLLs ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Installer Folders ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid MUI Cache ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Compatibility Layers ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Services ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Sound Events ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Type Libraries ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid File Associations ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Wine Menu Entries ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary",
                        "Menu entries of deleted Wine prefixes ( %n Problem(s) )"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "Invalid Windows Shortcut File (%n Problems)"),
    QT_TRANSLATE_N_NOOP("vostrel::summary", "%1: %2 leftovers in %n place(s)"),
};

[[maybe_unused]] constexpr std::array kDetailWords = {
    QT_TRANSLATE_NOOP("vostrel::details", "This file could not be found on your hard drive:"),
    QT_TRANSLATE_NOOP("vostrel::details", "The path of this file is incorrect : "),
    QT_TRANSLATE_NOOP("vostrel::details", "This menu entry starts what is gone: "),
    QT_TRANSLATE_NOOP("vostrel::details", "The Wine prefix of this menu entry is gone: "),
};

[[maybe_unused]] constexpr std::array kStatusTexts = {
    QT_TRANSLATE_NOOP("vostrel::status", "Registry Integrity"),
    QT_TRANSLATE_NOOP("vostrel::status", " Custom Controls...."),
    QT_TRANSLATE_NOOP("vostrel::status", " Sub Section Controls...."),
    QT_TRANSLATE_NOOP("vostrel::status", " Software Locations...."),
    QT_TRANSLATE_NOOP("vostrel::status", "Help Files"),
    QT_TRANSLATE_NOOP("vostrel::status", " Shared files...."),
    QT_TRANSLATE_NOOP("vostrel::status", "Windows Startup"),
    QT_TRANSLATE_NOOP("vostrel::status", " Uninstall files..."),
    QT_TRANSLATE_NOOP("vostrel::status", " Virtual Devices..."),
    QT_TRANSLATE_NOOP("vostrel::status", " Windows fonts..."),
    QT_TRANSLATE_NOOP("vostrel::status", " Configuration files..."),
    QT_TRANSLATE_NOOP("vostrel::status", " Shared DLLs..."),
    QT_TRANSLATE_NOOP("vostrel::status", " Installer folders..."),
    QT_TRANSLATE_NOOP("vostrel::status", " MUI cache..."),
    QT_TRANSLATE_NOOP("vostrel::status", " Compatibility layers..."),
    QT_TRANSLATE_NOOP("vostrel::status", " Services..."),
    QT_TRANSLATE_NOOP("vostrel::status", " Sound events..."),
    QT_TRANSLATE_NOOP("vostrel::status", " Type libraries..."),
    QT_TRANSLATE_NOOP("vostrel::status", " File associations..."),
    QT_TRANSLATE_NOOP("vostrel::status", " Wine menu entries..."),
    QT_TRANSLATE_NOOP("vostrel::status", " Shortcuts..."),
    QT_TRANSLATE_NOOP("vostrel::status", " Shortcuts %1..."),
};

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Translate(const char* context, std::string_view source, int n = -1) {
    const std::string key(source);
    return QCoreApplication::translate(context, key.c_str(), nullptr, n);
}

// The words of the summary line of a section key; empty for none.
SummaryWords SummaryWordsOf(std::string_view section) {
    if (section == kShortcutSection) return kDriveSectionRow.summary;
    if (const SectionRow* menu = SectionRowOfText(kMenuEntriesRowText)) {
        if (section == kMenuEntrySection) return menu->summary;
        if (section == kOrphanMenuEntrySection) return menu->orphanSummary;
    }
    const SectionRow* row = SectionRowOfScanner(section);
    return row ? row->summary : SummaryWords{};
}

}  // namespace

std::unique_ptr<QTranslator> LoadTranslation(const QLocale& locale, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (locale.language() != QLocale::C && translator->load(locale, "vostrel", "_", folder))
        return translator;
    if (translator->load("vostrel_en", folder)) return translator;
    return nullptr;
}

bool InstallTranslator() {
    static const bool installed = [] {
        auto* app = QCoreApplication::instance();
        if (!app) return false;
        std::unique_ptr<QTranslator> translator = LoadTranslation(QLocale(), kTranslationsFolder);
        if (!translator) return false;
        translator->setParent(app);
        return QCoreApplication::installTranslator(translator.release());
    }();
    return installed;
}

QString ShownCatalogueRow(std::string_view rowText) {
    if (SectionRowOfText(rowText)) return Translate(kSectionsContext, rowText);
    const std::string_view drive = kDriveSectionRow.text;
    if (rowText.size() == drive.size() + 1 && rowText.starts_with(drive))
        return QCoreApplication::translate(kSectionsContext, "Window Shortcut %1")
            .arg(Q(rowText.substr(drive.size())));
    return Q(rowText);
}

QString ShownStatus(std::string_view status) {
    constexpr const char* kStatusContext = "vostrel::status";
    if (status == kDriveSectionRow.status) return Translate(kStatusContext, status);
    for (const SectionRow& row : kSectionRows)
        if (status == row.status) return Translate(kStatusContext, status);
    // A drive's own line: " Shortcuts C:\...".
    constexpr std::string_view kBefore = " Shortcuts ";
    constexpr std::string_view kAfter = "...";
    if (status.size() > kBefore.size() + kAfter.size() && status.starts_with(kBefore) &&
        status.ends_with(kAfter))
        return QCoreApplication::translate(kStatusContext, " Shortcuts %1...")
            .arg(Q(status.substr(kBefore.size(), status.size() - kBefore.size() - kAfter.size())));
    return Q(status);
}

QString ShownSectionName(std::string_view section) {
    if (section.empty()) return {};
    return Translate(kSectionsContext,
                     SectionRowOfText(section) ? section : SectionOfScanner(section));
}

QString ShownSummaryRow(std::string_view section, std::int64_t count, std::string_view text) {
    const SummaryWords words = SummaryWordsOf(section);
    if (words.Empty() ||
        text != std::string(words.before) + std::to_string(count) + std::string(words.after))
        return Q(text);
    const std::string source = std::string(words.before) + "%n" + std::string(words.after);
    return Translate(kSummaryContext, source, static_cast<int>(count));
}

QString ShownGroupRow(std::string_view name, std::string_view folder, std::size_t problems,
                      std::size_t places, std::string_view text) {
    const char* source = "%1: %2 leftovers in %n place(s)";
    const int n = static_cast<int>(places);
    const QString translated = QCoreApplication::translate(kSummaryContext, source, nullptr, n);
    // Untranslated, the core's own line says it better ("1 place").
    if (translated == QString::fromLatin1(source).replace("%n", QString::number(n))) return Q(text);
    const QString named = folder.empty() ? Q(name) : QString("%1 (%2)").arg(Q(name), Q(folder));
    return translated.arg(named, QString::number(problems));
}

QString ShownDetailLine(std::string_view line, std::string_view section) {
    if (!section.empty() && line.size() > section.size() + 2 && line.starts_with(section) &&
        line.substr(section.size(), 2) == ": ")
        return ShownSectionName(section) + ": " + ShownDetailLine(line.substr(section.size() + 2));
    for (const std::string_view words :
         {kMissingFileDetail, kBadShortcutDetail, kMenuEntryDetail, kOrphanMenuEntryDetail})
        if (line.starts_with(words))
            return Translate(kDetailsContext, words) + Q(line.substr(words.size()));
    return Q(line);
}

}  // namespace vostrel::shell
