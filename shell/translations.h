// The windows' texts in the user's language: the translation (.qm) of the
// user's locale that the build put under :/translations, installed once
// for the whole program before its first window. English is the fallback:
// an English locale, the C locale and any language nobody translated yet
// get the plain English translation, whose texts replace the terse old
// words the sources keep.
//
// The core's own texts (the catalogue's rows, the summary lines, the
// fixed words of the detail lines) stay as the core makes them: settings,
// the scan report and the command line rely on them. They are translated
// only where the window shows them, through the functions below; without a
// translation each gives the core's text unchanged.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>

class QLocale;
class QTranslator;

namespace vostrel::shell {

// Where the build puts the program's .qm files.
inline constexpr const char* kTranslationsFolder = ":/translations";

// The translation for `locale` from `folder` ("vostrel_de.qm"): the
// locale's own language, else English; null when not even English is there.
std::unique_ptr<QTranslator> LoadTranslation(const QLocale& locale, const QString& folder);

// Installs the translator for the user's locale; true when one was found.
// Later calls do nothing and give the first call's answer.
bool InstallTranslator();

// A catalogue row as shown: a section's row ("Windows Startup") or a
// drive's ("Window Shortcut C").
QString ShownCatalogueRow(std::string_view rowText);

// What the scanning view says while a section runs (the section's status
// text, or a drive's " Shortcuts C:\...").
QString ShownStatus(std::string_view status);

// The name of a section as the results show it: a catalogue row's text, or
// the section of shortcuts or menu entries (what a detail line of a
// program's group and the details' section filter name).
QString ShownSectionName(std::string_view section);

// A section's summary line as shown, from the section (its scanner key,
// kShortcutSection or a menu entries section) and its count; `text` is the
// core's line, shown as it is when it is not the section's line for that
// count.
QString ShownSummaryRow(std::string_view section, std::int64_t count, std::string_view text);

// A program group's summary line as shown: its name, install folder (may
// be empty) and counts; `text` is the core's line (GroupLine).
QString ShownGroupRow(std::string_view name, std::string_view folder, std::size_t problems,
                      std::size_t places, std::string_view text);

// A detail line as shown: the fixed words before the path translated. A
// line of a program's group starts with its section (`section`): that is
// translated too.
QString ShownDetailLine(std::string_view line, std::string_view section = {});

}  // namespace vostrel::shell
