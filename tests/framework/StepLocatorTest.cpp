// The step locator on a list that stands in for the browse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/locate/StepLocator.h"

namespace tarn::framework {
namespace {

// A list of server names in order, with its highlight and the record buffer's locate field.
class FakeList : public LocatorList {
  public:
    std::vector<std::string> rows;
    int highlight = 0;
    bool ascending = true;
    char serverName[128] = {};
    data::FieldRef field = data::TextVariable(serverName, sizeof serverName);

    int RowCount() const override { return static_cast<int>(rows.size()); }
    int Highlight() const override { return highlight; }
    void MoveHighlightDown() override {
        if (highlight < RowCount()) ++highlight;
    }
    void LoadHighlightedRow() override { field.SetText(rows[highlight - 1]); }
    bool FieldAscendingInOrder(const data::FieldRef&) const override { return ascending; }
};

class StepLocatorTest : public ::testing::Test {
  protected:
    void SetUp() override { locator.Init(0, list.field, true, list); }
    std::string Located() const { return list.field.Text(); }

    FakeList list;
    StepLocator locator;
};

TEST_F(StepLocatorTest, SameFirstLetterStepsDownWithoutRelocating) {
    list.rows = {"alpha", "Apex", "AZURE", "beta"};
    list.highlight = 1;
    EXPECT_EQ(locator.TakeKey('a'), LocateResult::Handled);
    EXPECT_EQ(list.highlight, 2);
    EXPECT_EQ(locator.TakeKey('A'), LocateResult::Handled);
    EXPECT_EQ(list.highlight, 3);
    // The next row begins otherwise: relocate on the letter.
    EXPECT_EQ(locator.TakeKey('a'), LocateResult::Changed);
    EXPECT_EQ(list.highlight, 4);
    EXPECT_EQ(Located(), "A");
}

TEST_F(StepLocatorTest, DescendingFieldLocatesOnTheLetterAndCode254) {
    list.ascending = false;
    list.rows = {"zeta", "delta"};
    list.highlight = 1;
    EXPECT_EQ(locator.TakeKey('b'), LocateResult::Changed);
    EXPECT_EQ(Located(), "B\xFE");
}

TEST_F(StepLocatorTest, EmptyListKeysWithoutCharacterAndCase) {
    EXPECT_EQ(locator.TakeKey(0), LocateResult::Ignored);
    EXPECT_EQ(locator.TakeKey('x'), LocateResult::Changed);  // an empty list still locates
    EXPECT_EQ(Located(), "X");

    StepLocator exact;
    exact.Init(0, list.field, false, list);
    list.rows = {"apex", "apple"};
    list.highlight = 1;
    EXPECT_EQ(exact.TakeKey('A'), LocateResult::Changed);
    EXPECT_EQ(Located(), "A");
    EXPECT_EQ(exact.TakeKey('a'), LocateResult::Handled);  // stays on the last row, "apple"
    EXPECT_EQ(Located(), "apple");
}

}  // namespace
}  // namespace tarn::framework
