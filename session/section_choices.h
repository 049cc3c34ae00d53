// The sections and drives a scan may cover, in the order it covers them,
// each with whether the user chose it. Rows are counted from 1, as the scan
// counts them in its progress; the settings store remembers each choice
// under the row's text.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vostrel {

struct SectionChoice {
    std::string text;  // "Custom Controls", "Window Shortcut C"
    int icon = 0;      // the row's small icon
    bool checked = false;
};

class SectionChoices {
public:
    // Appends a row, unchecked; returns its number.
    std::size_t Add(std::string_view text, int icon = 0) {
        rows_.push_back({std::string(text), icon, false});
        return rows_.size();
    }
    void Clear() { rows_.clear(); }
    std::size_t Count() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }

    // Row `row`, 1 <= row <= Count(); std::out_of_range else.
    const SectionChoice& Row(std::size_t row) const { return rows_[Index(row)]; }
    const std::string& Text(std::size_t row) const { return Row(row).text; }
    int SmallIcon(std::size_t row) const { return Row(row).icon; }
    bool Checked(std::size_t row) const { return Row(row).checked; }
    void SetChecked(std::size_t row, bool checked) { rows_[Index(row)].checked = checked; }

    const std::vector<SectionChoice>& rows() const { return rows_; }

private:
    std::size_t Index(std::size_t row) const {
        if (row < 1 || row > rows_.size()) throw std::out_of_range("no such catalogue row");
        return row - 1;
    }

    std::vector<SectionChoice> rows_;
};

}  // namespace vostrel
