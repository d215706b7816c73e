#include "ListBox.h"

#include <gtest/gtest.h>

using qm::ControlError;
using qm::ListBox;

TEST(ListBox, KeepsInsertionOrderAndReadsEmptyPastTheEnd)
{
    ListBox l("List1");
    l.AddItem("zeta");
    l.AddItem("alpha");
    EXPECT_EQ(l.List(0), "zeta");
    EXPECT_EQ(l.List(1), "alpha");
    EXPECT_EQ(l.List(2), "");
    EXPECT_EQ(l.List(-1), "");
}

TEST(ListBox, SelectionIsOneItemOrNone)
{
    ListBox l("List1");
    EXPECT_EQ(l.Text(), "");
    l.AddItem("a");
    l.AddItem("b");
    l.setListIndex(1);
    EXPECT_EQ(l.Text(), "b");
    EXPECT_THROW(l.setListIndex(2), ControlError);
    EXPECT_EQ(l.ListIndex(), 1);
    l.setListIndex(-1);
    EXPECT_EQ(l.Text(), "");
    EXPECT_THROW(l.RemoveItem(5), ControlError);
}

TEST(ListBox, RemovingShiftsOrDropsTheSelection)
{
    ListBox l("List1");
    for (auto s : {"a", "b", "c"})
        l.AddItem(s);
    l.setListIndex(2);
    l.RemoveItem(0);
    EXPECT_EQ(l.Text(), "c");
    l.RemoveItem(1);
    EXPECT_EQ(l.ListIndex(), -1);
}

TEST(ListBox, HoldsAtMost32767Items)
{
    ListBox l("List1");
    for (int i = 0; i < ListBox::kMaxItems; ++i)
        l.AddItem("x");
    EXPECT_THROW(l.AddItem("one too many"), ControlError);
    EXPECT_EQ(l.ListCount(), 32767);
}
