// The fixed texts of the scan's sections, as data: the checks' keys (they
// stand in every registry problem and in the scan report), the catalogue's
// rows (each also the settings key of its check box), and the summary line
// of each check. Stored settings and the report depend on these texts
// exactly; they are compared case-sensitively.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vostrel {

// The nine scanner keys: they choose the check of each value.
inline constexpr std::string_view kSectionComClasses = "ActiveX \\ COM";
inline constexpr std::string_view kSectionComSubsections = "ActiveX \\ COM Subsections";
inline constexpr std::string_view kSectionAppPaths = "Application Paths";
inline constexpr std::string_view kSectionHelpFiles = "Help Files";
inline constexpr std::string_view kSectionSharedFiles = "Microsoft Shared";
inline constexpr std::string_view kSectionStartup = "Windows Startup";
inline constexpr std::string_view kSectionUninstall = "Uninstall Section";
inline constexpr std::string_view kSectionVxd = "VxD Section";
inline constexpr std::string_view kSectionFonts = "Windows Fonts";

struct CatalogueRow {
    std::string_view text;  // also the settings key of the row's check state
    int smallIcon;
};

// The section rows, in catalogue order; fixed drives follow them.
inline constexpr std::array<CatalogueRow, 11> kCatalogueRows{{
    {"Registry Integrity", 1},
    {"Custom Controls", 2},
    {"Sub Section Controls", 3},
    {"Software Locations", 4},
    {"Help Files", 5},
    {"Shared Files", 6},
    {"Windows Startup", 7},
    {"Uninstall Section", 8},
    {"Virtual Devices", 9},
    {"Windows Fonts", 10},
    {"Configuration files", 11},
}};

inline constexpr std::string_view kDriveRowText = "Window Shortcut ";
inline constexpr int kDriveRowIcon = 12;

struct SectionSummary {
    std::string_view sectionKey;
    std::string_view before;   // text before the count
    std::string_view after;    // text after the count
    std::string_view keyword;  // the catalogue row of the section, which its summary line holds
};

inline constexpr std::array<SectionSummary, 9> kSectionSummaries{{
    {kSectionComClasses, "Invalid Custom Controls ( ", " Problem(s) )", "Custom Controls"},
    {kSectionComSubsections, "Invalid Sub Section Controls ( ", " Problem(s) )",
     "Sub Section Controls"},
    {kSectionAppPaths, "Invalid Software Locations ( ", " Problem(s) )", "Software Locations"},
    {kSectionHelpFiles, "Invalid Help Files ( ", " Problem(s) )", "Help Files"},
    {kSectionSharedFiles, "Invalid Shared Files ( ", " Problem(s) )", "Shared Files"},
    {kSectionStartup, "Invalid Windows Startup Files  ( ", " Problem(s) )", "Windows Startup"},
    {kSectionUninstall, "Invalid Uninstall Section File  ( ", " Problem(s) )", "Uninstall Section"},
    {kSectionVxd, "Invalid Virtual Devices ( ", " Problem(s) )", "Virtual Devices"},
    {kSectionFonts, "Invalid Windows Fonts (  ", " Problem(s) )", "Windows Fonts"},
}};

// The section of shortcut problems, and the words of the detail lines.
inline constexpr std::string_view kShortcutSection = "Windows Shortcut";
inline constexpr std::string_view kMissingFileDetail =
    "This file could not be found on your hard drive:";
inline constexpr std::string_view kBadShortcutDetail = "The path of this file is incorrect : ";
inline constexpr std::string_view kShortcutKeyword = "Windows Shortcut";

// The catalogue row of Wine's menu entries (builds that run on Wine only;
// it follows the section rows, before the drives), and its two summary
// lines: the scanned prefix's own stale entries, and those whose prefix is
// gone, which every prefix's scan lists.
inline constexpr std::string_view kMenuEntriesRowText = "Wine Menu Entries";
inline constexpr int kMenuEntriesRowIcon = 13;
inline constexpr std::string_view kMenuEntrySection = "Wine Menu Entries";
inline constexpr std::string_view kOrphanMenuEntrySection = "Wine Menu Entries of deleted prefixes";
inline constexpr std::string_view kMenuEntryKeyword = "Invalid Wine Menu Entries";
inline constexpr std::string_view kOrphanMenuEntryKeyword = "deleted Wine prefixes";
inline constexpr std::string_view kMenuEntryDetail = "This menu entry starts what is gone: ";
inline constexpr std::string_view kOrphanMenuEntryDetail =
    "The Wine prefix of this menu entry is gone: ";

// The catalogue row whose check a scanner key belongs to ("Custom Controls"
// for "ActiveX \ COM"); the key itself when it is none of the nine.
constexpr std::string_view SectionOfScanner(std::string_view sectionKey) {
    for (const auto& summary : kSectionSummaries)
        if (summary.sectionKey == sectionKey) return summary.keyword;
    return sectionKey;
}

}  // namespace vostrel
