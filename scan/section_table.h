// The scan's sections as one table: a row per catalogue row a section
// stands for, with everything the program knows of it: the row's text
// (also the settings key of its check box) and icon, what the scan does
// for it (the registry walks and the check each value goes to, or Wine's
// menu entries), the key its problems carry, the words of its summary line
// and the kind of problem it finds. The catalogue, the scan driver, the
// walks' choice of check, the summary lines and the results views all read
// this table; a new section is a new row here and, for a new check, its
// function in scan/*_checks.cpp.
//
// The drive rows ("Window Shortcut C", one per fixed drive) are made from
// one more row, kDriveSectionRow, whose text is their common start.
//
// Stored settings, the scan report and the JSON depend on these texts
// exactly: they are never changed, only added to.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "scan/checks.h"
#include "session/problem_ref.h"
#include "session/sections.h"
#include "system/winapi.h"

namespace vostrel {

// How a registry walk goes through its key.
enum class Walk {
    ClassIdList,     // ListClassIdKeys: subkey names only
    Keys,            // WalkRegistryKeys: every value below the key
    Values,          // ScanKeyValues: the key's own values
    ValuesThenKeys,  // the key's own values, then every value below it
};

struct WalkStep {
    HKEY root = HKEY_LOCAL_MACHINE;
    std::string_view keyPath;
    Walk walk = Walk::Values;
    std::string_view keyPathBefore2000 = {};  // used instead when the platform is not NT
};

// What the scan does for a checked row.
enum class SectionRun {
    RegistryWalks,  // the walks, each value to the section's check
    MenuEntries,    // the stale menu entries of the session's MenuEntrySource
    DriveWalk,      // the drive's shortcuts (the drive rows)
};

// A summary line: `before` + the count + `after`.
struct SummaryWords {
    std::string_view before;
    std::string_view after;
    bool Empty() const { return before.empty(); }
};

struct SectionRow {
    std::string_view text;  // the catalogue row, also the settings key of its check box
    int icon = 0;           // the row's small icon
    SectionRun run = SectionRun::RegistryWalks;
    std::string_view status;  // what the program shows while the section runs
    std::array<WalkStep, 6> walks = {};
    std::size_t walkCount = 0;
    // The key its problems carry and the report names ("ActiveX \ COM");
    // empty for a section whose values are only shown, never checked.
    std::string_view scanner = {};
    ValueCheck check = nullptr;  // what each value of its walks goes to
    SummaryWords summary = {};   // empty: the section adds no summary line
    // The menu entries row's second line, for entries whose prefix is gone.
    SummaryWords orphanSummary = {};
    ProblemKind kind = ProblemKind::Registry;
    // The value that makes a key right below a walk's key one program's
    // registration (an App Paths key is its program's, an uninstall key its
    // uninstaller's): when it names a file that is gone and the key holds
    // nothing else that lives, the repair takes the whole key out. Empty:
    // the section's keys are never taken out whole.
    std::string_view registrationValue = {};
};

namespace section_row_detail {

constexpr HKEY kClasses = HKEY_CLASSES_ROOT;
constexpr HKEY kUser = HKEY_CURRENT_USER;
constexpr HKEY kMachine = HKEY_LOCAL_MACHINE;
constexpr std::string_view kProblems = " Problem(s) )";

constexpr SectionRow Registry(std::string_view text, int icon, std::string_view status,
                              std::array<WalkStep, 6> walks, std::size_t walkCount,
                              std::string_view scanner = {}, ValueCheck check = nullptr,
                              std::string_view summaryBefore = {},
                              std::string_view registrationValue = {}) {
    SectionRow section;
    section.registrationValue = registrationValue;
    section.text = text;
    section.icon = icon;
    section.status = status;
    section.walks = walks;
    section.walkCount = walkCount;
    section.scanner = scanner;
    section.check = check;
    if (!summaryBefore.empty()) section.summary = {summaryBefore, kProblems};
    return section;
}

constexpr SectionRow MenuEntries() {
    SectionRow section;
    section.text = kMenuEntriesRowText;
    section.icon = 13;
    section.run = SectionRun::MenuEntries;
    section.status = " Wine menu entries...";
    section.scanner = kMenuEntrySection;
    section.summary = {"Invalid Wine Menu Entries ( ", kProblems};
    section.orphanSummary = {"Menu entries of deleted Wine prefixes ( ", kProblems};
    section.kind = ProblemKind::MenuEntry;
    return section;
}

}  // namespace section_row_detail

// The section rows in catalogue order. The menu entries row is shown only
// where the session has Wine's menu entries to look at; the drive rows
// follow them all. New sections go after the first eleven rows, which keep
// their places.
inline constexpr std::array<SectionRow, 20> kSectionRows{{
    section_row_detail::Registry("Registry Integrity", 1, "Registry Integrity",
                                 {{{section_row_detail::kClasses, "CLSID", Walk::ClassIdList}}}, 1),
    section_row_detail::Registry("Custom Controls", 2, " Custom Controls....",
                                 {{{section_row_detail::kClasses, "CLSID", Walk::Keys}}}, 1,
                                 kSectionComClasses, CheckComClassValue,
                                 "Invalid Custom Controls ( "),
    section_row_detail::Registry(
        "Sub Section Controls", 3, " Sub Section Controls....",
        {{{section_row_detail::kMachine, "SOFTWARE\\Classes\\CLSID", Walk::Keys}}}, 1,
        kSectionComSubsections, CheckComClassValue, "Invalid Sub Section Controls ( "),
    section_row_detail::Registry("Software Locations", 4, " Software Locations....",
                                 {{{section_row_detail::kMachine,
                                    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
                                    Walk::Keys}}},
                                 1, kSectionAppPaths, CheckAppPathValue,
                                 "Invalid Software Locations ( ", kDefaultValueLabel),
    section_row_detail::Registry(
        "Help Files", 5, "Help Files",
        {{{section_row_detail::kMachine, "SOFTWARE\\Microsoft\\Windows\\Help", Walk::Values},
          {section_row_detail::kMachine, "SOFTWARE\\Microsoft\\Windows\\HTML Help", Walk::Values}}},
        2, kSectionHelpFiles, CheckHelpFileValue, "Invalid Help Files ( "),
    section_row_detail::Registry(
        "Shared Files", 6, " Shared files....",
        {{{section_row_detail::kMachine, "SOFTWARE\\Microsoft\\Shared Tools", Walk::Keys}}}, 1,
        kSectionSharedFiles, CheckSharedToolValue, "Invalid Shared Files ( "),
    section_row_detail::Registry(
        "Windows Startup", 7, "Windows Startup",
        {{{section_row_detail::kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
           Walk::ValuesThenKeys},
          {section_row_detail::kUser,
           "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start "
           "Menu\\Programs",
           Walk::Keys},
          // The user's own startup entries (where installers under Wine
          // mostly write them), those run once, and a 32-bit installer's.
          {section_row_detail::kUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
           Walk::ValuesThenKeys},
          {section_row_detail::kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
           Walk::Values},
          {section_row_detail::kUser, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
           Walk::Values},
          {section_row_detail::kMachine,
           "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
           Walk::ValuesThenKeys}}},
        6, kSectionStartup, CheckCommandLine, "Invalid Windows Startup Files  ( "),
    section_row_detail::Registry(
        "Uninstall Section", 8, " Uninstall files...",
        {{{section_row_detail::kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
           Walk::Keys},
          // A 32-bit installer's entries on a 64-bit machine, and a per-user install's.
          {section_row_detail::kMachine,
           "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall", Walk::Keys},
          {section_row_detail::kUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
           Walk::Keys}}},
        3, kSectionUninstall, CheckUninstallValue, "Invalid Uninstall Section File  ( ",
        "UninstallString"),
    section_row_detail::Registry(
        "Virtual Devices", 9, " Virtual Devices...",
        {{{section_row_detail::kMachine, "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers",
           Walk::Values}}},
        1, kSectionVxd, CheckVirtualDeviceValue, "Invalid Virtual Devices ( "),
    section_row_detail::Registry(
        "Windows Fonts", 10, " Windows fonts...",
        {{{section_row_detail::kMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
           Walk::Values, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts"}}},
        1, kSectionFonts, CheckFontValue, "Invalid Windows Fonts (  "),
    // Walked for the look of it: its values are shown, none is checked.
    section_row_detail::Registry(
        "Configuration files", 11, " Configuration files...",
        {{{section_row_detail::kMachine, "SOFTWARE", Walk::Keys},
          {section_row_detail::kMachine, "SOFTWARE\\Classes", Walk::Keys}}},
        2),
    // The deeper sections. Their values' names are often the paths.
    section_row_detail::Registry(
        "Shared DLLs", 6, " Shared DLLs...",
        {{{section_row_detail::kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
           Walk::Values},
          {section_row_detail::kMachine,
           "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", Walk::Values}}},
        2, kSectionSharedDlls, CheckNamedFileValue, "Invalid Shared DLLs ( "),
    section_row_detail::Registry(
        "Installer Folders", 8, " Installer folders...",
        {{{section_row_detail::kMachine,
           "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders", Walk::Values},
          {section_row_detail::kMachine,
           "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders",
           Walk::Values}}},
        2, kSectionInstallerFolders, CheckNamedFolderValue, "Invalid Installer Folders ( "),
    section_row_detail::Registry(
        "MUI Cache", 4, " MUI cache...",
        {{{section_row_detail::kUser,
           "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache",
           Walk::Values}}},
        1, kSectionMuiCache, CheckMuiCacheValue, "Invalid MUI Cache ( "),
    section_row_detail::Registry(
        "Compatibility Layers", 7, " Compatibility layers...",
        {{{section_row_detail::kMachine,
           "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers", Walk::Values},
          {section_row_detail::kUser,
           "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers",
           Walk::Values}}},
        2, kSectionCompatLayers, CheckNamedFileValue, "Invalid Compatibility Layers ( "),
    section_row_detail::Registry(
        "Services", 9, " Services...",
        {{{section_row_detail::kMachine, "SYSTEM\\CurrentControlSet\\Services", Walk::Keys}}}, 1,
        kSectionServices, CheckServiceValue, "Invalid Services ( "),
    section_row_detail::Registry(
        "Sound Events", 5, " Sound events...",
        {{{section_row_detail::kUser, "AppEvents\\Schemes\\Apps", Walk::Keys}}}, 1,
        kSectionSoundEvents, CheckSoundEventValue, "Invalid Sound Events ( "),
    section_row_detail::Registry("Type Libraries", 2, " Type libraries...",
                                 {{{section_row_detail::kClasses, "TypeLib", Walk::Keys}}}, 1,
                                 kSectionTypeLibraries, CheckTypeLibraryValue,
                                 "Invalid Type Libraries ( "),
    section_row_detail::Registry("File Associations", 3, " File associations...",
                                 {{{section_row_detail::kMachine, "SOFTWARE\\Classes", Walk::Keys},
                                   {section_row_detail::kUser, "Software\\Classes", Walk::Keys}}},
                                 2, kSectionFileAssociations, CheckFileAssociationValue,
                                 "Invalid File Associations ( "),
    section_row_detail::MenuEntries(),
}};

// The section of the drive rows: their text is this and the drive's letter.
inline constexpr SectionRow kDriveSectionRow = [] {
    SectionRow section;
    section.text = "Window Shortcut ";
    section.icon = 12;
    section.run = SectionRun::DriveWalk;
    section.status = " Shortcuts...";
    section.scanner = kShortcutSection;
    section.summary = {"Invalid Windows Shortcut File (", " Problems)"};
    section.kind = ProblemKind::Shortcut;
    return section;
}();

// The section of a catalogue row's text (compared exactly); null for a drive
// row and for a text no section has.
constexpr const SectionRow* SectionRowOfText(std::string_view text) {
    for (const auto& section : kSectionRows)
        if (section.text == text) return &section;
    return nullptr;
}

// The registry section whose problems carry this key (compared exactly);
// null for none.
constexpr const SectionRow* SectionRowOfScanner(std::string_view scanner) {
    if (scanner.empty()) return nullptr;
    for (const auto& section : kSectionRows)
        if (section.kind == ProblemKind::Registry && section.scanner == scanner) return &section;
    return nullptr;
}

// The catalogue row whose check a scanner key belongs to ("Custom Controls"
// for "ActiveX \ COM"); the key itself when it is none of the registry
// sections'.
constexpr std::string_view SectionOfScanner(std::string_view scanner) {
    const SectionRow* section = SectionRowOfScanner(scanner);
    return section ? section->text : scanner;
}

}  // namespace vostrel
