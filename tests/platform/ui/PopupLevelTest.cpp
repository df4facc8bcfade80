// The levels of a popup menu as a front end opens them, and the icon part of an item's text.
#include <gtest/gtest.h>

#include "platform/ui/PopupMenu.h"

namespace tarn::ui {
namespace {

TEST(PopupLevels, SubmenusListOnlyTheirOwnItems) {
    auto items = ParsePopupItems("A|Sort{By name|More{Deep}|By date}|~+[icon=WAVIEW.ICO]&View");
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(PopupLevel(items, -1), (std::vector<int>{0, 1, 6}));
    EXPECT_TRUE(IsPopupHeader(items, 1));
    EXPECT_EQ(PopupLevel(items, 1), (std::vector<int>{2, 3, 5}));
    EXPECT_TRUE(IsPopupHeader(items, 3));
    EXPECT_EQ(PopupLevel(items, 3), (std::vector<int>{4}));
    EXPECT_FALSE(IsPopupHeader(items, 5));
    EXPECT_EQ(items[6].text, "&View");
    EXPECT_EQ(items[6].icon, "WAVIEW.ICO");
    EXPECT_FALSE(items[6].enabled);
    EXPECT_TRUE(items[6].checked);
    EXPECT_EQ(items[6].number, 5);
}

}  // namespace
}  // namespace tarn::ui
