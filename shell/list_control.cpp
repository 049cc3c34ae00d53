#include "shell/list_control.h"

#include <algorithm>
#include <stdexcept>

#include "system/text.h"

namespace vostrel {

ListControl::ListControl(std::string name, std::vector<std::string> headers)
    : name_(std::move(name)), headers_(std::move(headers)) {}

const ListRow& ListControl::Item(std::size_t i) const {
    if (i == 0 || i > rows_.size())
        throw std::out_of_range(name_ + ": no row " + std::to_string(i));
    return rows_[i - 1];
}

ListRow& ListControl::At(std::size_t i) { return const_cast<ListRow&>(Item(i)); }

std::size_t ListControl::Add(std::string_view text, int smallIcon, int band) {
    ListRow row;
    row.text = std::string(text);
    row.smallIcon = smallIcon;
    row.band = band;
    std::size_t position = rows_.size() + 1;
    if (sorted_) {
        position = SortedPosition(row);
    } else {
        while (position > 1 && rows_[position - 2].band > band) --position;
    }
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(position - 1), std::move(row));
    Notify(Change::Inserted, position);
    return position;
}

void ListControl::SetText(std::size_t i, std::string_view text) {
    At(i).text = std::string(text);
    Notify(Change::Updated, i);
}

std::string ListControl::SubItem(std::size_t i, std::size_t k) const {
    const ListRow& row = Item(i);
    if (k == 0) return row.text;
    return k <= row.subItems.size() ? row.subItems[k - 1] : std::string();
}

void ListControl::SetSubItem(std::size_t i, std::size_t k, std::string_view text) {
    if (k == 0) return SetText(i, text);
    ListRow& row = At(i);
    if (row.subItems.size() < k) row.subItems.resize(k);
    row.subItems[k - 1] = std::string(text);
    Notify(Change::Updated, i);
}

void ListControl::SetChecked(std::size_t i, bool checked) {
    ListRow& row = At(i);
    if (row.checked == checked) return;
    row.checked = checked;
    Notify(Change::Updated, i);
}

void ListControl::SetSelected(std::size_t i, bool selected) {
    ListRow& row = At(i);
    if (row.selected == selected) return;
    if (selected)
        for (std::size_t k = 1; k <= rows_.size(); ++k)
            if (k != i && rows_[k - 1].selected) {
                rows_[k - 1].selected = false;
                Notify(Change::Updated, k);
            }
    row.selected = selected;
    Notify(Change::Updated, i);
}

std::size_t ListControl::SelectedItem() const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].selected) return i + 1;
    return 0;
}

void ListControl::Remove(std::size_t i) {
    At(i);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i - 1));
    Notify(Change::Removed, i);
}

void ListControl::Clear() {
    rows_.clear();
    Notify(Change::Reset, 0);
}

void ListControl::SetSorted(bool sorted) {
    sorted_ = sorted;
    if (sorted_) SortNow();
}

void ListControl::SetSortKey(int column) {
    sortKey_ = column;
    if (sorted_) SortNow();
}

void ListControl::SetSortOrder(int order) {
    sortOrder_ = order;
    if (sorted_) SortNow();
}

std::string ListControl::ColumnText(const ListRow& row) const {
    if (sortKey_ <= 0) return row.text;
    const auto k = static_cast<std::size_t>(sortKey_);
    return k <= row.subItems.size() ? row.subItems[k - 1] : std::string();
}

namespace {

// Text comparison of the list view: without regard to letter case.
bool LessNoCase(const std::string& a, const std::string& b) {
    const std::u16string wa = Utf8ToUtf16(a), wb = Utf8ToUtf16(b);
    return std::lexicographical_compare(wa.begin(), wa.end(), wb.begin(), wb.end(),
                                        [](char16_t x, char16_t y) {
                                            return FoldCase(x) < FoldCase(y);
                                        });
}

}  // namespace

bool ListControl::Before(const ListRow& a, const ListRow& b) const {
    if (a.band != b.band) return a.band < b.band;
    return sortOrder_ == 1 ? LessNoCase(ColumnText(b), ColumnText(a))
                           : LessNoCase(ColumnText(a), ColumnText(b));
}

void ListControl::SortNow() {
    // Each row's key is folded once, not at every comparison: a list of
    // thousands of rows sorts at once.
    struct Keyed {
        int band;
        std::u16string key;
        std::size_t row;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        std::u16string key = Utf8ToUtf16(ColumnText(rows_[i]));
        for (char16_t& c : key) c = FoldCase(c);
        keyed.push_back({rows_[i].band, std::move(key), i});
    }
    const bool descending = sortOrder_ == 1;
    std::stable_sort(keyed.begin(), keyed.end(), [descending](const Keyed& a, const Keyed& b) {
        if (a.band != b.band) return a.band < b.band;
        return descending ? b.key < a.key : a.key < b.key;
    });
    std::vector<ListRow> sorted;
    sorted.reserve(rows_.size());
    for (const Keyed& k : keyed) sorted.push_back(std::move(rows_[k.row]));
    rows_ = std::move(sorted);
    Notify(Change::Reset, 0);
}

std::size_t ListControl::SortedPosition(const ListRow& row) const {
    std::size_t i = 0;
    while (i < rows_.size() && !Before(row, rows_[i])) ++i;
    return i + 1;
}

void ListControl::Notify(Change change, std::size_t position) {
    for (auto& observer : observers_) observer(change, position);
}

}  // namespace vostrel
