#include "shell/list_control.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

TEST(ListControl, PositionsCloseUpAfterRemove) {
    ListControl list("lvw");
    list.Add("one");
    list.Add("two");
    list.Add("three");
    list.Remove(1);
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Text(1), "two");
    EXPECT_EQ(list.Text(2), "three");
    EXPECT_THROW(list.Item(3), std::out_of_range);
    EXPECT_THROW(list.Item(0), std::out_of_range);
}

TEST(ListControl, SubItemsNeverSetReadEmpty) {
    ListControl list("lvw", {"A", "B", "C"});
    const auto i = list.Add("row");
    EXPECT_EQ(list.SubItem(i, 1), "");
    EXPECT_EQ(list.SubItem(i, 6), "");
    list.SetSubItem(i, 3, "third");
    EXPECT_EQ(list.SubItem(i, 3), "third");
    EXPECT_EQ(list.SubItem(i, 2), "");
}

TEST(ListControl, SortsByColumnBothWaysAndKeepsNewRowsInPlace) {
    ListControl list("lvw", {"Name", "Size"});
    for (const char* name : {"beta", "Alpha", "gamma"}) list.Add(name);
    list.SetSubItem(1, 1, "2");
    list.SetSubItem(2, 1, "3");
    list.SetSubItem(3, 1, "1");
    list.SetSortKey(0);
    list.SetSortOrder(0);
    list.SetSorted(true);
    EXPECT_EQ(list.Text(1), "Alpha");
    EXPECT_EQ(list.Text(3), "gamma");
    list.SetSortOrder(1);
    EXPECT_EQ(list.Text(1), "gamma");
    list.SetSortKey(1);
    EXPECT_EQ(list.Text(1), "Alpha");  // size 3 first when descending
    list.SetSortKey(0);
    list.SetSortOrder(0);
    EXPECT_EQ(list.Add("Beta2"), 3u);
}

TEST(ListControl, ALaterBandStaysAfterTheEarlierInEveryOrder) {
    ListControl list("summary", {"Summary"});
    list.Add("Zeta program", 0, 1);
    list.Add("beta");
    list.Add("Alpha program", 0, 1);
    list.Add("delta");
    const auto texts = [&list] {
        std::vector<std::string> out;
        for (const ListRow& row : list.rows()) out.push_back(row.text);
        return out;
    };
    EXPECT_EQ(texts(),
              (std::vector<std::string>{"beta", "delta", "Zeta program", "Alpha program"}));
    list.SetSorted(true);
    EXPECT_EQ(texts(),
              (std::vector<std::string>{"beta", "delta", "Alpha program", "Zeta program"}));
    list.SetSortOrder(1);
    EXPECT_EQ(texts(),
              (std::vector<std::string>{"delta", "beta", "Zeta program", "Alpha program"}));
    EXPECT_EQ(list.Add("zzz"), 1u);
    EXPECT_EQ(list.Add("Mid program", 0, 1), 5u);
    EXPECT_EQ(list.Add("aaa"), 4u);
    EXPECT_EQ(texts(), (std::vector<std::string>{"zzz", "delta", "beta", "aaa", "Zeta program",
                                                 "Mid program", "Alpha program"}));
}

TEST(ListControl, SelectionIsSingleAndObserversHearChanges) {
    ListControl list("lvw");
    int events = 0;
    list.Subscribe([&](ListControl::Change, std::size_t) { ++events; });
    list.Add("a");
    list.Add("b");
    list.SetSelected(1, true);
    list.SetSelected(2, true);
    EXPECT_FALSE(list.Selected(1));
    EXPECT_EQ(list.SelectedItem(), 2u);
    list.Clear();
    EXPECT_EQ(list.SelectedItem(), 0u);
    EXPECT_GE(events, 5);
}

}  // namespace
}  // namespace vostrel
