#include "platform/tui/Layout.h"

#include <algorithm>
#include <cctype>

#include "platform/ui/Window.h"

namespace tarn::tui {

int CellsAcross(int units) { return units / 4; }
int CellsDown(int units) { return units / 8; }
int SizeAcross(int units) { return std::max(1, units / 4); }
int SizeDown(int units) { return std::max(1, units / 8); }

Cells ClientArea(const ui::Window& window, int lines, int cols) {
    Cells c;
    c.width = SizeAcross(window.rect.width);
    c.height = SizeDown(window.rect.height);
    // Centred with its frame; a window larger than the screen keeps its top-left corner, moved
    // only as far as it takes to show the focused control (never past the control's own start).
    c.col = std::max(1, (cols - c.width) / 2);
    c.row = std::max(1, (lines - c.height) / 2);
    if (const ui::Control* focus = window.Get(window.Focus())) {
        Cells at = ControlCells(c, *focus);
        if (at.col + at.width > cols) c.col -= std::min(at.col + at.width - cols, at.col);
        if (at.row + at.height > lines) c.row -= std::min(at.row + at.height - lines, at.row);
    }
    return c;
}

bool TooSmall(const ui::Window& window, int lines, int cols) {
    return SizeAcross(window.rect.width) + 2 > cols || SizeDown(window.rect.height) + 2 > lines;
}

std::string IconGlyph(const std::string& icon) {
    std::string name;
    for (char ch : icon) name += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (name.empty()) return "";
    static const struct {
        const char* word;
        const char* glyph;
    } kGlyphs[] = {{"cancel", "x"}, {"close", "x"}, {"delete", "-"}, {"insert", "+"},
                   {"change", "~"}, {"ok", "v"},    {"gears", "*"},  {"servicecall", "="}};
    for (const auto& g : kGlyphs)
        if (name.find(g.word) != std::string::npos) return g.glyph;
    return "o";
}

Cells ControlCells(const Cells& client, const ui::Control& control) {
    Cells c;
    c.row = client.row + CellsDown(control.rect.y);
    c.col = client.col + CellsAcross(control.rect.x);
    c.height = SizeDown(control.rect.height);
    c.width = SizeAcross(control.rect.width);
    return c;
}

std::vector<FieldSpot> PlaceFields(const ui::ListFormat& format) {
    std::vector<FieldSpot> spots;
    int columnStart = 0;  // dialog units
    int lineX = 0;        // within the current group line
    int groupWidth = 0;
    int group = -1;
    for (const ui::ListField& f : format.fields) {
        if (f.group != group) {
            columnStart += groupWidth;
            lineX = 0;
            groupWidth = 0;
            group = f.group;
        }
        FieldSpot s;
        s.col = CellsAcross(columnStart + lineX);
        s.width = SizeAcross(f.width);
        s.line = f.line;
        spots.push_back(s);
        lineX += f.width;
        groupWidth = std::max(groupWidth, lineX);
        if (f.group < 0) {
            // A plain column is a group of its own.
            columnStart += groupWidth;
            lineX = 0;
            groupWidth = 0;
            group = -2;
        } else if (f.lastOnLine) {
            lineX = 0;
        }
    }
    // A field that another one follows on its line gives up its last cell, so that a right-
    // aligned value never touches the next field's text.
    for (FieldSpot& s : spots) {
        for (const FieldSpot& next : spots) {
            if (&next != &s && next.line == s.line && next.col == s.col + s.width && s.width > 1) {
                --s.width;
                break;
            }
        }
    }
    return spots;
}

int FirstShownRow(const ui::Control& list) {
    int visible = std::max(1, list.VisibleRows());
    return list.selected > visible ? list.selected - visible + 1 : 1;
}

int RowAt(const Cells& list, const ui::Control& control, int screenRow) {
    int lines = std::max(1, control.columns.linesPerRow);
    int offset = screenRow - list.row - control.columns.headerLines;
    if (offset < 0 || offset >= control.VisibleRows() * lines) return 0;
    int row = FirstShownRow(control) + offset / lines;
    return row <= control.RowCount() ? row : 0;
}

std::string Caption(const std::string& text, int* accel) {
    std::string out;
    if (accel) *accel = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != '&' && accel && *accel < 0) *accel = static_cast<int>(out.size());
        }
        out += text[i];
    }
    return out;
}

}  // namespace tarn::tui
