// The row store behind every list of the program: 1-based positions, a text
// and sub-items per row, check and selection states, a small icon, removal
// and sorting, and change notifications so a toolkit view can mirror it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vostrel {

struct ListRow {
    std::string text;
    std::vector<std::string> subItems;  // subItems[0] is SubItems(1)
    bool checked = false;
    bool selected = false;
    int smallIcon = 0;
    // Rows of a later band always follow those of an earlier one, however
    // the list is sorted: sorting orders the rows within each band.
    int band = 0;
};

class ListControl {
public:
    enum class Change { Reset, Inserted, Removed, Updated };
    // position is the 1-based row concerned (0 for Reset).
    using Observer = std::function<void(Change, std::size_t position)>;

    explicit ListControl(std::string name = {}, std::vector<std::string> headers = {});

    const std::string& name() const { return name_; }
    const std::vector<std::string>& headers() const { return headers_; }
    std::size_t columnCount() const { return headers_.empty() ? 1 : headers_.size(); }

    // Appends a row to the end of its band (or inserts it at its sorted
    // place there while Sorted is on); returns its 1-based position.
    std::size_t Add(std::string_view text, int smallIcon = 0, int band = 0);
    std::size_t Count() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }

    // Row i, 1 <= i <= Count(). Out of range positions throw std::out_of_range.
    const ListRow& Item(std::size_t i) const;

    std::string Text(std::size_t i) const { return Item(i).text; }
    void SetText(std::size_t i, std::string_view text);
    // SubItems(k), k from 1; a sub-item never set reads as the empty text.
    std::string SubItem(std::size_t i, std::size_t k) const;
    void SetSubItem(std::size_t i, std::size_t k, std::string_view text);
    bool Checked(std::size_t i) const { return Item(i).checked; }
    void SetChecked(std::size_t i, bool checked);
    bool Selected(std::size_t i) const { return Item(i).selected; }
    void SetSelected(std::size_t i, bool selected);
    int SmallIcon(std::size_t i) const { return Item(i).smallIcon; }

    // The current row (the last one selected), 0 when none.
    std::size_t SelectedItem() const;

    void Remove(std::size_t i);
    void Clear();

    // Sorting by the text of one column (0-based key), 0 ascending,
    // 1 descending. Setting any of them while Sorted is on re-sorts at once.
    void SetSorted(bool sorted);
    void SetSortKey(int column);
    void SetSortOrder(int order);
    bool sorted() const { return sorted_; }
    int sortKey() const { return sortKey_; }
    int sortOrder() const { return sortOrder_; }

    // Every row of the list, in order (for reports and views).
    const std::vector<ListRow>& rows() const { return rows_; }

    void Subscribe(Observer observer) { observers_.push_back(std::move(observer)); }

private:
    ListRow& At(std::size_t i);
    std::string ColumnText(const ListRow& row) const;
    // Whether row `a` goes before row `b` in the sorted order.
    bool Before(const ListRow& a, const ListRow& b) const;
    void SortNow();
    std::size_t SortedPosition(const ListRow& row) const;
    void Notify(Change change, std::size_t position);

    std::string name_;
    std::vector<std::string> headers_;
    std::vector<ListRow> rows_;
    bool sorted_ = false;
    int sortKey_ = 0;
    int sortOrder_ = 0;
    std::vector<Observer> observers_;
};

}  // namespace vostrel
