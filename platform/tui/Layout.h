#pragma once
// Where things land on a character screen: a dialog unit is a quarter of a cell across and an
// eighth down, and each window sits centred on the screen inside a one-cell frame.
#include <string>
#include <vector>

#include "platform/ui/Control.h"

namespace tarn::ui {
class Window;
}

namespace tarn::tui {

// A rectangle in character cells, relative to the screen.
struct Cells {
    int row = 0;
    int col = 0;
    int height = 0;
    int width = 0;
    bool Contains(int r, int c) const {
        return r >= row && r < row + height && c >= col && c < col + width;
    }
};

// Dialog units to cells; a size never drops below one cell.
int CellsAcross(int units);
int CellsDown(int units);
int SizeAcross(int units);
int SizeDown(int units);

// The window's client area on a screen of `lines` x `cols`, centred; the frame lies around it.
// A window larger than the screen is clipped, shifted so that its focused control shows.
Cells ClientArea(const ui::Window& window, int lines, int cols);
// True when the window with its frame does not fit a screen of `lines` x `cols`.
bool TooSmall(const ui::Window& window, int lines, int cols);
// The one-character glyph a button shows for its icon ("WACANCEL.ICO": "x"); "" without one.
std::string IconGlyph(const std::string& icon);
// A control's cells inside the client area.
Cells ControlCells(const Cells& client, const ui::Control& control);

// One list field placed in its row: offset and width in cells, and the line within the row.
struct FieldSpot {
    int col = 0;
    int width = 0;
    int line = 0;
};
// Places every field of a list format; groups stack their lines at the group's column. A field
// with another right beside it keeps one blank cell between them.
std::vector<FieldSpot> PlaceFields(const ui::ListFormat& format);

// The first list row shown, so that the highlighted row stays in view.
int FirstShownRow(const ui::Control& list);
// The list row under a screen row, 0 when none (header, beyond the rows).
int RowAt(const Cells& list, const ui::Control& control, int screenRow);

// A caption as shown: without its '&' markers ("&&" is one '&'); `accel` gets the index of the
// marked letter in the result, -1 when none.
std::string Caption(const std::string& text, int* accel = nullptr);

}  // namespace tarn::tui
