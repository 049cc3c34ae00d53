// The fixed texts of the scan's sections that the layers below the section
// table (scan/section_table.h) need too: the checks' keys (they stand in
// every registry problem and in the scan report), the sections of
// shortcuts and menu entries, and the words of the detail lines. Stored
// settings and the report depend on these texts exactly; they are
// compared case-sensitively.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vostrel {

// The scanner keys: they choose the check of each value.
inline constexpr std::string_view kSectionComClasses = "ActiveX \\ COM";
inline constexpr std::string_view kSectionComSubsections = "ActiveX \\ COM Subsections";
inline constexpr std::string_view kSectionAppPaths = "Application Paths";
inline constexpr std::string_view kSectionHelpFiles = "Help Files";
inline constexpr std::string_view kSectionSharedFiles = "Microsoft Shared";
inline constexpr std::string_view kSectionStartup = "Windows Startup";
inline constexpr std::string_view kSectionUninstall = "Uninstall Section";
inline constexpr std::string_view kSectionVxd = "VxD Section";
inline constexpr std::string_view kSectionFonts = "Windows Fonts";
// The deeper sections: registrations a program leaves behind when its
// files are gone.
inline constexpr std::string_view kSectionSharedDlls = "Shared DLLs";
inline constexpr std::string_view kSectionInstallerFolders = "Installer Folders";
inline constexpr std::string_view kSectionMuiCache = "MUI Cache";
inline constexpr std::string_view kSectionCompatLayers = "Compatibility Layers";
inline constexpr std::string_view kSectionServices = "Services";
inline constexpr std::string_view kSectionSoundEvents = "Sound Events";
inline constexpr std::string_view kSectionTypeLibraries = "Type Libraries";
inline constexpr std::string_view kSectionFileAssociations = "File Associations";

// The section of shortcut problems, and the words of the detail lines.
inline constexpr std::string_view kShortcutSection = "Windows Shortcut";
inline constexpr std::string_view kMissingFileDetail =
    "This file could not be found on your hard drive:";
inline constexpr std::string_view kBadShortcutDetail = "The path of this file is incorrect : ";
inline constexpr std::string_view kShortcutKeyword = "Windows Shortcut";

// The catalogue row of Wine's menu entries (builds that run on Wine only),
// and the sections of its two summary lines: the scanned prefix's own
// stale entries, and those whose prefix is gone, which every prefix's
// scan lists.
inline constexpr std::string_view kMenuEntriesRowText = "Wine Menu Entries";
inline constexpr std::string_view kMenuEntrySection = "Wine Menu Entries";
inline constexpr std::string_view kOrphanMenuEntrySection = "Wine Menu Entries of deleted prefixes";
inline constexpr std::string_view kMenuEntryKeyword = "Invalid Wine Menu Entries";
inline constexpr std::string_view kOrphanMenuEntryKeyword = "deleted Wine prefixes";
inline constexpr std::string_view kMenuEntryDetail = "This menu entry starts what is gone: ";
inline constexpr std::string_view kOrphanMenuEntryDetail =
    "The Wine prefix of this menu entry is gone: ";

}  // namespace vostrel
