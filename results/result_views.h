// The results view: lvwRegistryProblems holds one summary row per section
// that produced problems; clicking one fills lvwRegistryErrorsDetail with a
// line per problem of that section; a header click sorts either list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/main_form.h"

namespace vostrel {

struct SectionSummary {
    std::string_view sectionKey;
    std::string_view before;  // text before the count
    std::string_view after;   // text after the count
    std::string_view keyword;  // what a summary row's text holds for this section
};

inline constexpr std::array<SectionSummary, 9> kSectionSummaries{{
    {"ActiveX \\ COM", "Invalid Custom Controls ( ", " Problem(s) )", "Custom Controls"},
    {"ActiveX \\ COM Subsections", "Invalid Sub Section Controls ( ", " Problem(s) )",
     "Sub Section Controls"},
    {"Application Paths", "Invalid Software Locations ( ", " Problem(s) )", "Software Locations"},
    {"Help Files", "Invalid Help Files ( ", " Problem(s) )", "Help Files"},
    {"Microsoft Shared", "Invalid Shared Files ( ", " Problem(s) )", "Shared Files"},
    {"Windows Startup", "Invalid Windows Startup Files  ( ", " Problem(s) )", "Windows Startup"},
    {"Uninstall Section", "Invalid Uninstall Section File  ( ", " Problem(s) )", "Uninstall Section"},
    {"VxD Section", "Invalid Virtual Devices ( ", " Problem(s) )", "Virtual Devices"},
    {"Windows Fonts", "Invalid Windows Fonts (  ", " Problem(s) )", "Windows Fonts"},
}};

inline constexpr std::string_view kMissingFileDetail = "This file could not be found on your hard drive:";
inline constexpr std::string_view kBadShortcutDetail = "The path of this file is incorrect : ";
inline constexpr std::string_view kShortcutKeyword = "Windows Shortcut";

// The summary text of a section for n problems; empty for an unknown key.
std::string SectionSummaryText(std::string_view sectionKey, std::int64_t count);

// Appends the section's summary row when the count is above 0.
void AddSectionSummary(MainForm& form, std::int64_t count, std::string_view sectionKey);

// A summary row was clicked: the detail list is filled for it.
void lvwRegistryProblems_ItemClick(MainForm& form, std::size_t row);

// One detail row per problem row of the section, in lvwErrors order.
void FillDetailForSection(MainForm& form, std::string_view sectionKey);

// A header click: sorting on, by that column, in the opposite order.
void lvwRegistryProblems_ColumnClick(MainForm& form, int headerIndex);
void lvwRegistryErrorsDetail_ColumnClick(MainForm& form, int headerIndex);

}  // namespace vostrel
