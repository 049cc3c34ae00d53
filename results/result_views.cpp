#include "results/result_views.h"

#include "system/text.h"

namespace vostrel {

namespace {

void FlipSort(ListControl& list, int headerIndex) {
    list.SetSortKey(headerIndex - 1);
    list.SetSorted(true);
    list.SetSortOrder(list.sortOrder() == 0 ? 1 : 0);
}

}  // namespace

std::string SectionSummaryText(std::string_view sectionKey, std::int64_t count) {
    for (const auto& summary : kSectionSummaries) {
        if (summary.sectionKey != sectionKey) continue;
        return std::string(summary.before) + std::to_string(count) + std::string(summary.after);
    }
    return {};
}

void AddSectionSummary(MainForm& form, std::int64_t count, std::string_view sectionKey) {
    if (count == 0) return;
    const std::string text = SectionSummaryText(sectionKey, count);
    if (!text.empty()) form.lvwRegistryProblems.Add(text);
}

void lvwRegistryProblems_ItemClick(MainForm& form, std::size_t row) {
    auto& summaries = form.lvwRegistryProblems;
    const std::size_t current = summaries.SelectedItem();
    if (current == 0 || !summaries.Selected(current)) return;
    if (row < 1 || row > summaries.Count()) return;
    form.lvwRegistryErrorsDetail.Clear();
    const std::string text = summaries.Text(row);
    const std::string upper = UpperAscii(Trim(text));
    for (const auto& summary : kSectionSummaries)
        if (upper.find(UpperAscii(summary.keyword)) != std::string::npos)
            FillDetailForSection(form, summary.sectionKey);
    if (text.find(kShortcutKeyword) == std::string::npos) return;
    for (std::size_t i = 1; i <= form.lvwShortcut.Count(); ++i) {
        form.lvwRegistryErrorsDetail.Add(std::string(kBadShortcutDetail) + form.lvwShortcut.Text(i));
        form.pump.Tick();
    }
}

void FillDetailForSection(MainForm& form, std::string_view sectionKey) {
    auto& errors = form.lvwErrors;
    for (std::size_t i = 1; i <= errors.Count(); ++i) {
        if (errors.SubItem(i, 3) == sectionKey)
            form.lvwRegistryErrorsDetail.Add(std::string(kMissingFileDetail) + errors.SubItem(i, 2));
        form.pump.Tick();
    }
}

void lvwRegistryProblems_ColumnClick(MainForm& form, int headerIndex) {
    FlipSort(form.lvwRegistryProblems, headerIndex);
}

void lvwRegistryErrorsDetail_ColumnClick(MainForm& form, int headerIndex) {
    FlipSort(form.lvwRegistryErrorsDetail, headerIndex);
}

}  // namespace vostrel
