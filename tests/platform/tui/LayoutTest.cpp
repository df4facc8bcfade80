#include <curses.h>
#include <gtest/gtest.h>

#include "platform/tui/KeyMap.h"
#include "platform/tui/Layout.h"
#include "platform/ui/Events.h"
#include "platform/ui/RowSource.h"

namespace tarn::tui {
namespace {

TEST(Layout, DialogUnitsBecomeCellsWithAtLeastOneCellOfSize) {
    EXPECT_EQ(CellsAcross(7), 1);
    EXPECT_EQ(CellsDown(15), 1);
    EXPECT_EQ(SizeAcross(2), 1);
    EXPECT_EQ(SizeDown(0), 1);
    ui::Control c;
    c.rect = {8, 16, 42, 3};
    Cells client{5, 10, 10, 50};
    Cells cells = ControlCells(client, c);
    EXPECT_EQ(cells.row, 7);
    EXPECT_EQ(cells.col, 12);
    EXPECT_EQ(cells.width, 10);
    EXPECT_EQ(cells.height, 1);
}

TEST(Layout, CaptionDropsMarkersAndFindsTheAccelerator) {
    int accel = 0;
    EXPECT_EQ(Caption("Save &As", &accel), "Save As");
    EXPECT_EQ(accel, 5);
    EXPECT_EQ(Caption("Fish && &Chips", &accel), "Fish & Chips");
    EXPECT_EQ(accel, 7);
    EXPECT_EQ(Caption("Plain", &accel), "Plain");
    EXPECT_EQ(accel, -1);
}

TEST(Layout, GroupedFieldsStackAndLaterColumnsFollowTheWidestLine) {
    auto format = ui::ParseListFormat("[80L~Server~/40L~Service~]|20R~Count~12L");
    ASSERT_TRUE(format);
    std::vector<FieldSpot> spots = PlaceFields(*format);
    ASSERT_EQ(spots.size(), 4u);
    EXPECT_EQ(spots[0].col, 0);
    EXPECT_EQ(spots[0].line, 0);
    EXPECT_EQ(spots[1].col, 0);
    EXPECT_EQ(spots[1].line, 1);
    EXPECT_EQ(spots[1].width, 10);
    EXPECT_EQ(spots[2].col, 20);  // after the group's 80 units
    EXPECT_EQ(spots[3].col, 25);
    EXPECT_EQ(spots[3].width, 3);
}

// A right-aligned date fills its column to the last cell: the next column's text would touch it
// but for the blank the left column gives up.
TEST(Layout, ListColumnsKeepABlankBetweenThem) {
    auto format = ui::ParseListFormat("[80L~Server~/80L~Service~]|[80R~Date~/80R~Time~]|80L~Text~");
    ASSERT_TRUE(format);
    std::vector<FieldSpot> spots = PlaceFields(*format);
    ASSERT_EQ(spots.size(), 5u);
    EXPECT_EQ(spots[0].width, 19);  // the date follows on its line
    EXPECT_EQ(spots[2].col, 20);
    EXPECT_EQ(spots[2].width, 19);  // the text follows
    EXPECT_EQ(spots[3].width, 20);  // nothing beside it on the second line
    EXPECT_EQ(spots[4].col, 40);
    EXPECT_EQ(spots[4].width, 20);
}

class Rows : public ui::RowSource {
  public:
    int RowCount() const override { return 10; }
    ui::CellValue Cell(int, int) const override { return std::string("x"); }
};

TEST(Layout, RowsUnderTheMouseFollowTheScrolledHighlight) {
    Rows rows;
    ui::Control list;
    list.kind = ui::KindList;
    list.rect = {0, 0, 40, 32};  // a header and three rows
    list.columns = *ui::ParseListFormat("40L~Name~");
    list.rows = &rows;
    Cells cells{4, 0, 4, 10};
    list.selected = 2;
    EXPECT_EQ(FirstShownRow(list), 1);
    EXPECT_EQ(RowAt(cells, list, 4), 0);  // the header
    EXPECT_EQ(RowAt(cells, list, 5), 1);
    EXPECT_EQ(RowAt(cells, list, 7), 3);
    EXPECT_EQ(RowAt(cells, list, 8), 0);
    list.selected = 9;
    EXPECT_EQ(FirstShownRow(list), 7);
    EXPECT_EQ(RowAt(cells, list, 7), 9);
}

TEST(KeyMap, CursesKeysBecomeVirtualKeyCodes) {
    EXPECT_EQ(MapCursesKey('\t'), ui::TabKey);
    EXPECT_EQ(MapCursesKey(KEY_BTAB), ui::ShiftTab);
    EXPECT_EQ(MapCursesKey('\r'), ui::EnterKey);
    EXPECT_EQ(MapCursesKey(KEY_IC), 45);
    EXPECT_EQ(MapCursesKey(KEY_DC), 46);
    EXPECT_EQ(MapCursesKey(KEY_NPAGE), ui::PgDnKey);
    EXPECT_EQ(MapCursesKey(KEY_F(5)), ui::F1Key + 4);
    EXPECT_EQ(MapCursesKey(KEY_F(14)), 0x100 + ui::F1Key + 1);
    EXPECT_EQ(MapCursesKey(1), 0x200 + 'A');
    EXPECT_EQ(MapCursesKey('\n'), ui::CtrlEnter);     // Ctrl+J: Enter sends a carriage return
    EXPECT_EQ(MapCursesKey(KEY_F(22)), ui::AppsKey);  // Shift+F10
    EXPECT_EQ(MapCursesKey('a'), 0);                  // typed text
    EXPECT_EQ(MapAltKey('x'), 0x400 + 'X');
    EXPECT_EQ(MapAltKey(KEY_DOWN), 0x400 + ui::DownKey);
    EXPECT_TRUE(IsTypedChar(' '));
    EXPECT_FALSE(IsTypedChar(127));
    EXPECT_FALSE(IsTypedChar(KEY_LEFT));
}

// Byte 8 is Backspace only where the terminal says so; elsewhere it is Ctrl+H.
TEST(KeyMap, ByteEightFollowsTheTerminalsEraseCharacter) {
    EXPECT_EQ(MapCursesKey(8, 127), ui::CtrlH);
    EXPECT_EQ(MapCursesKey(127, 127), ui::BackspaceKey);
    EXPECT_EQ(MapCursesKey(8, 8), ui::BackspaceKey);
    EXPECT_EQ(MapCursesKey(127, 8), ui::BackspaceKey);
}

TEST(KeyMap, SequencesCursesDoesNotKnowStillNameTheirKeys) {
    EXPECT_EQ(MapEscapeSequence("[13;5u"), ui::CtrlEnter);
    EXPECT_EQ(MapEscapeSequence("[27;2;13~"), ui::ShiftEnter);
    EXPECT_EQ(MapEscapeSequence("[104;5u"), ui::CtrlH);
    EXPECT_EQ(MapEscapeSequence("[29~"), ui::AppsKey);    // the Menu key
    EXPECT_EQ(MapEscapeSequence("[21;2~"), ui::AppsKey);  // Shift+F10
    EXPECT_EQ(MapEscapeSequence("[1;5A"), 0x200 + ui::UpKey);
    EXPECT_EQ(MapEscapeSequence("[3~"), ui::DeleteKey);
    EXPECT_EQ(MapEscapeSequence("OQ"), ui::F1Key + 1);
    EXPECT_EQ(MapEscapeSequence("[99~"), 0);
    EXPECT_EQ(MapExtendedKeyName("kDC5"), 0x200 + ui::DeleteKey);
    EXPECT_EQ(MapExtendedKeyName("kRIT3"), 0x400 + ui::RightKey);
    EXPECT_EQ(MapExtendedKeyName("kxIN"), 0);
}

}  // namespace
}  // namespace tarn::tui
