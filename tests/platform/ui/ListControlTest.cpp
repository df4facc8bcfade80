#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/system/Clock.h"

namespace tarn::ui {
namespace {

using namespace testing;  // the runtime tests' own helpers

struct Service {
    std::string server;
    int64_t date;
};

class Services : public RowSource {
  public:
    std::vector<Service> rows;
    int RowCount() const override { return static_cast<int>(rows.size()); }
    CellValue Cell(int row, int field) const override {
        const Service& s = rows[row - 1];
        if (field == 1) return s.server;
        return s.date;
    }
};

enum { List = 1, Change };

class ListControlTest : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        WindowDef def;
        def.title = "Services";
        // Header line plus three rows of one line each.
        def.controls = {
            {.kind = KindList,
             .name = "?Browse",
             .rect = {3, 4, 200, 32},
             .format = "80L(2)|M~Server~@s4@80R(2)~Checked~@d08-b@"},
            {.kind = KindButton,
             .name = "?Change",
             .text = "&Change",
             .rect = {3, 40, 40, 14},
             .flags = FlagDefault},
        };
        w = std::make_unique<Window>(def);
        for (int i = 1; i <= 5; ++i)
            data.rows.push_back({"HOST" + std::to_string(i), platform::DayNumber(2024, 1, i)});
        data.rows[1].date = 0;
        w->SetRows(List, &data);
        w->SetSelected(List, 1);
    }

    Services data;
    std::unique_ptr<Window> w;
};

TEST_F(ListControlTest, CellsAreShownThroughTheFieldPictures) {
    EXPECT_EQ(w->Get(List)->VisibleRows(), 3);
    EXPECT_EQ(w->Get(List)->CellText(1, 1), "HOST");  // "s4" cuts the text
    EXPECT_EQ(w->Get(List)->CellText(3, 2), "03-Jan-2024");
    EXPECT_EQ(w->Get(List)->CellText(2, 2).find_first_not_of(' '), std::string::npos);
    EXPECT_EQ(w->Get(List)->CellText(6, 1), "");
    RunLoop(*w);
    const ControlView* list = ui.LastView()->Control(List);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->rows.size(), 5u);
    EXPECT_EQ(list->rows[4], (std::vector<std::string>{"HOST", "05-Jan-2024"}));
}

TEST_F(ListControlTest, ClicksAndArrowKeysMoveTheHighlight) {
    ui.Click(List, 3).Key(DownKey).Key(DownKey).Key(DownKey).Key(HomeKey).Key(UpKey);
    std::vector<int> rows;
    auto events = RunLoop(*w, [&](Window& win) {
        if (Event() == EventNewSelection) rows.push_back(win.Get(List)->selected);
        return false;
    });
    // The highlight stops at the last row; Up on the first row posts nothing.
    EXPECT_EQ(rows, (std::vector<int>{3, 4, 5, 1}));
    EXPECT_EQ(Only(events, {EventScrollDown, EventScrollUp}), Pairs{});
}

TEST_F(ListControlTest, AnImmediateListGetsScrollEventsInstead) {
    w->Get(List)->immediate = true;
    ui.Key(DownKey)
        .Key(PgDnKey)
        .Key(EndKey)
        .Key(UpKey)
        .Key(PgUpKey)
        .Key(HomeKey)
        .Scroll(List, EventPageDown)
        .Thumb(List, 60);
    auto events = RunLoop(*w);
    EXPECT_EQ(Only(events, {3, 4, 5, 6, 7, 8, 9, EventNewSelection}), (Pairs{{4, List},
                                                                             {6, List},
                                                                             {8, List},
                                                                             {3, List},
                                                                             {5, List},
                                                                             {7, List},
                                                                             {6, List},
                                                                             {9, List}}));
    EXPECT_EQ(w->Get(List)->selected, 1);  // the procedure moves the highlight itself
    EXPECT_EQ(w->Get(List)->thumb, 60);
}

TEST_F(ListControlTest, AlertedKeysArriveAsEvent15WithTheirKeyCode) {
    w->Alert(List, MouseLeft2);
    w->Alert(List, InsertKey);
    ui.DoubleClick(List, 2).Key(InsertKey).RightClick(List, 4).Key(InsertKey, Change);
    std::vector<std::pair<int, int>> keys;
    auto events = RunLoop(*w, [&](Window&) {
        keys.emplace_back(Event(), Keycode());
        return false;
    });
    EXPECT_EQ(Only(events, {EventAlertKey, EventNewSelection}),
              (Pairs{{15, List}, {15, List}, {2, List}}));
    EXPECT_EQ(keys[1], (std::pair<int, int>{15, MouseLeft2}));
    EXPECT_EQ(keys[2], (std::pair<int, int>{15, InsertKey}));
    EXPECT_EQ(keys[3], (std::pair<int, int>{2, MouseRight}));
    EXPECT_EQ(w->Get(List)->selected, 4);
}

// A locator alerts the characters' keys and reads the character itself, case and all; a typed
// '.' or '-' must not pass for the Delete (46) or Insert (45) key the list also alerts.
TEST_F(ListControlTest, TypedCharactersArriveWithTheirCaseAndNeverAsEditingKeys) {
    for (char c : std::string("aA.-(")) w->Alert(List, KeyOfChar(c));
    w->Alert(List, DeleteKey);
    w->Alert(List, InsertKey);
    ui.Char('a').Char('A').Char('.').Char('-').Char('(').Key(DeleteKey);
    std::vector<std::pair<int, int>> keys;
    RunLoop(*w, [&](Window&) {
        if (Event() == EventAlertKey) keys.emplace_back(Keycode(), Keychar());
        return false;
    });
    EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{{65, 'a'},
                                                      {ShiftKey + 65, 'A'},
                                                      {190, '.'},
                                                      {189, '-'},
                                                      {ShiftKey + '9', '('},
                                                      {DeleteKey, 0}}));
}

TEST_F(ListControlTest, DoubleClickWithoutAlertAcceptsTheListAndEnterPressesDefault) {
    ui.DoubleClick(List, 2).Key(EnterKey);
    auto events = RunLoop(*w);
    EXPECT_EQ(Only(events, {EventAccepted}), (Pairs{{1, List}, {1, Change}}));
}

TEST_F(ListControlTest, ARowOutsideTheListFailsTheStep) {
    ui.Click(List, 9);
    RunLoop(*w);
    ASSERT_EQ(ui.Failures().size(), 1u);
    EXPECT_EQ(ui.Failures()[0],
              "step 1 (click row 9 of 1): control 1 of window \"Services\" cannot take it");
}

TEST_F(ListControlTest, WaitCursorAndBeepReachTheFrontEnd) {
    SetWaitCursor(true);
    EXPECT_TRUE(ui.WaitCursorShown());
    EXPECT_TRUE(WaitCursor());
    SetWaitCursor(false);
    EXPECT_FALSE(ui.WaitCursorShown());
    Beep();
    EXPECT_EQ(ui.Beeps(), 1);
}

}  // namespace
}  // namespace tarn::ui
