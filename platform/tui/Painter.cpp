#include "platform/tui/Painter.h"

#include <algorithm>

#include "platform/tui/CellText.h"
#include "platform/tui/Curses.h"
#include "platform/ui/Window.h"

namespace tarn::tui {

namespace {

std::string Fit(const std::string& text, int width, char align) {
    return FitCells(text, width, align);
}

// A visible text as curses' wide characters.
std::wstring Wide(std::string_view visible) {
    std::wstring out;
    for (size_t at = 0; at < visible.size();) {
        const size_t next = NextChar(visible, at);
        const int length = static_cast<int>(next - at);
        const unsigned char lead = visible[at];
        wchar_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t i = at + 1; i < next; ++i)
            c = (c << 6) | (static_cast<unsigned char>(visible[i]) & 0x3F);
        out += c;
        at = next;
    }
    return out;
}

}  // namespace

void Painter::Text(int row, int col, int width, const std::string& text, int attributes) {
    if (row < 0 || row >= LINES || width <= 0) return;
    int from = 0;
    if (col < 0) {
        from = -col;
        col = 0;
    }
    width = std::min(width, COLS - col);
    if (width <= 0) return;
    // Only visible text reaches the terminal, cut between characters.
    const std::wstring part = Wide(Slice(Visible(text), from, width));
    if (part.empty()) return;
    attron(attributes);
    mvaddnwstr(row, col, part.c_str(), static_cast<int>(part.size()));
    attroff(attributes);
}

void Painter::Fill(const Cells& area, int attributes) {
    for (int r = 0; r < area.height; ++r)
        Text(area.row + r, area.col, area.width, std::string(area.width, ' '), attributes);
}

void Painter::Frame(const Cells& client, const std::string& title) {
    Cells outer{client.row - 1, client.col - 1, client.height + 2, client.width + 2};
    Fill(outer, 0);
    int bottom = outer.row + outer.height - 1;
    int right = outer.col + outer.width - 1;
    std::string horizontal(outer.width - 2, '-');
    Text(outer.row, outer.col, outer.width, "+" + horizontal + "+");
    Text(bottom, outer.col, outer.width, "+" + horizontal + "+");
    for (int r = client.row; r < client.row + client.height; ++r) {
        Text(r, outer.col, 1, "|");
        Text(r, right, 1, "|");
    }
    if (!title.empty()) {
        std::string shown = " " + title + " ";
        int col = outer.col + std::max(1, (outer.width - CellWidth(Visible(shown))) / 2);
        Text(outer.row, col, std::max(0, right - col), shown, A_BOLD);
    }
}

void Painter::Underline(int row, int col, int width, const std::string& shown, size_t at,
                        int attributes) {
    if (at >= shown.size()) return;
    const int cell = CellWidth(std::string_view(shown).substr(0, at));
    const std::string letter = shown.substr(at, NextChar(shown, at) - at);
    if (cell + CellWidth(letter) <= width)
        Text(row, col + cell, CellWidth(letter), letter, attributes | A_UNDERLINE);
}

void Painter::Button(const Cells& cells, const std::string& caption, bool focused, bool isDefault,
                     bool disabled, const std::string& icon) {
    int accel = -1;
    std::string text = Visible(Caption(caption, &accel));
    std::string glyph = IconGlyph(icon);
    int row = cells.row + (cells.height - 1) / 2;
    // A tall button shows its glyph above the caption, as a large desktop button shows its icon;
    // a low one before it, when that still fits.
    bool above = !glyph.empty() && cells.height >= 3;
    std::string prefix = "[ ";
    if (!glyph.empty() && !above &&
        CellWidth(text) + static_cast<int>(glyph.size()) + 5 <= std::max(cells.width, 1))
        prefix += glyph + " ";
    std::string suffix = " ]";
    // Too narrow: the caption keeps the room, first without padding, then without brackets.
    for (const char* edge : {"[]", ""}) {
        if (static_cast<int>(prefix.size() + suffix.size()) + CellWidth(text) <= cells.width) break;
        prefix = std::string(edge, *edge ? 1 : 0);
        suffix = std::string(*edge ? edge + 1 : edge);
    }
    std::string shown = prefix + text + suffix;
    const int shownCells = CellWidth(shown);
    int col = cells.col + std::max(0, (cells.width - shownCells) / 2);
    int attributes = focused ? A_REVERSE : 0;
    if (isDefault) attributes |= A_BOLD;
    if (disabled) attributes = A_DIM;
    int width = std::min(shownCells, std::max(cells.width, 1));
    Text(row, col, width, shown, attributes);
    if (above) Text(row - 1, cells.col + (cells.width - 1) / 2, 1, glyph, attributes);
    if (accel >= 0 && !disabled)
        Underline(row, col, width, prefix + text, prefix.size() + accel, attributes);
}

Cells Painter::DrawWindow(const ui::Window& window, const PaintState& state) {
    Cells client = ClientArea(window, Lines(), COLS);
    Frame(client, window.title);
    cursorRow_ = cursorCol_ = -1;
    for (const ui::Control& c : window.Controls()) {
        if (c.hidden) continue;
        bool focused = state.active && window.Focus() == c.number;
        DrawControl(c, ControlCells(client, c), focused, state);
    }
    return client;
}

int Painter::Lines() { return std::max(1, LINES - 1); }

void Painter::StatusLine(const ui::Window* top, bool busy) {
    std::string text;
    if (top && TooSmall(*top, Lines(), COLS)) {
        // Said whole, on as many of the last lines as it takes: it tells the way out.
        text = "Too small: needs " + std::to_string(SizeAcross(top->rect.width) + 2) + "x" +
               std::to_string(SizeDown(top->rect.height) + 3) +
               ". Keys do nothing here but Esc, which closes this window.";
        const std::vector<std::string> lines = WrapCells(text, COLS - 1, false);
        const int first = std::max(0, LINES - static_cast<int>(lines.size()));
        for (int row = first; row < LINES; ++row)
            Text(row, 0, COLS, Fit(" " + lines[row - first], COLS, 'L'), A_REVERSE);
        return;
    } else if (const ui::Control* c = top ? top->Get(top->Focus()) : nullptr) {
        text = !c->status.empty() ? c->status : c->tip;
    }
    std::string mark = busy ? " [busy]" : "";
    int row = LINES - 1;
    Text(row, 0, COLS, Fit(" " + text, COLS, 'L'), A_REVERSE);
    if (!mark.empty()) Text(row, std::max(0, COLS - 8), 8, mark + " ", A_REVERSE | A_BOLD);
}

void Painter::PlaceCursor() const {
    if (cursorRow_ < 0) {
        curs_set(0);
        return;
    }
    curs_set(1);
    move(cursorRow_, cursorCol_);
}

void Painter::DrawControl(const ui::Control& c, const Cells& cells, bool focused,
                          const PaintState& state) {
    int dim = c.disabled ? A_DIM : 0;
    switch (c.kind) {
        case ui::KindText:
        case ui::KindPrompt:
        case ui::KindString:
            DrawLabel(c, cells, dim);
            break;
        case ui::KindEntry:
            DrawEntry(c, cells, focused, state);
            break;
        case ui::KindButton:
            Button(cells, c.text, focused, c.isDefault, c.disabled, c.icon);
            break;
        case ui::KindProgress:
            DrawProgress(c, cells, dim);
            break;
        case ui::KindList:
            DrawList(c, cells, focused, dim);
            break;
        case ui::KindTextBox:
            DrawTextBox(c, cells, focused, state);
            break;
        case ui::KindToolbar:
            break;  // only its buttons show
    }
}

void Painter::DrawLabel(const ui::Control& c, const Cells& cells, int attributes) {
    if (c.kind == ui::KindString) {
        Text(cells.row, cells.col, cells.width, Fit(c.text, cells.width, c.centred ? 'C' : 'L'),
             attributes);
        return;
    }
    int accel = -1;
    std::string shown = Visible(Caption(c.text, &accel));
    int col = cells.col;
    if (c.centred) col += std::max(0, (cells.width - CellWidth(shown)) / 2);
    int width = std::max(cells.width, CellWidth(shown));
    Text(cells.row, col, width, shown, attributes);
    if (accel >= 0) Underline(cells.row, col, width, shown, accel, attributes);
}

void Painter::DrawEntry(const ui::Control& c, const Cells& cells, bool focused,
                        const PaintState& s) {
    bool editing = s.editControl == c.number;
    const std::string& text = editing ? s.edit.Text() : c.text;
    const size_t cursorByte =
        editing ? std::min<size_t>(s.edit.Cursor(), text.size()) : text.size();
    const std::string visible = Visible(text);
    const int size = CellWidth(visible);
    // Cells, not bytes: a wide character moves the cursor by two.
    const int cursor = CellWidth(Visible(std::string_view(text).substr(0, cursorByte)));
    bool selected = focused && !c.readOnly && (editing ? s.edit.AllSelected() : s.focusSelected);
    // Long contents scroll so that the cursor stays visible.
    int from = focused ? std::max(0, cursor - (cells.width - 1)) : 0;
    std::string shown = Slice(visible, from, cells.width);
    shown += std::string(std::max(0, cells.width - CellWidth(shown)), ' ');
    Text(cells.row, cells.col, cells.width, shown, c.disabled ? A_DIM : A_REVERSE);
    // The selection stands out of the field in normal video.
    if (selected) Text(cells.row, cells.col, size - from, shown, A_BOLD);
    if (focused && !c.readOnly) {
        cursorRow_ = cells.row;
        cursorCol_ = cells.col + std::min(cells.width - 1, cursor - from);
    }
}

void Painter::DrawProgress(const ui::Control& c, const Cells& cells, int attributes) {
    int span = c.rangeHigh - c.rangeLow;
    long done = span > 0 ? std::clamp(c.progress - c.rangeLow, 0, span) : 0;
    int filled = span > 0 ? static_cast<int>(done * cells.width / span) : 0;
    std::string bar = std::string(filled, '#') + std::string(cells.width - filled, '.');
    for (int r = 0; r < cells.height; ++r)
        Text(cells.row + r, cells.col, cells.width, bar, attributes);
}

void Painter::DrawList(const ui::Control& c, const Cells& cells, bool focused, int attributes) {
    int width = c.vscroll ? cells.width - 1 : cells.width;
    std::vector<FieldSpot> spots = PlaceFields(c.columns);
    const auto& fields = c.columns.fields;
    int lines = std::max(1, c.columns.linesPerRow);
    Fill(Cells{cells.row, cells.col, cells.height, width}, attributes);
    for (size_t f = 0; f < fields.size(); ++f) {
        if (c.columns.headerLines == 0 || fields[f].header.empty()) continue;
        char align = fields[f].headerAlign ? fields[f].headerAlign : fields[f].align;
        const FieldSpot& s = spots[f];
        Text(cells.row + s.line, cells.col + s.col, std::min(s.width, width - s.col),
             Fit(fields[f].header, s.width, align), attributes | A_UNDERLINE);
    }
    int top = cells.row + c.columns.headerLines;
    int first = FirstShownRow(c);
    for (int i = 0; i < c.VisibleRows() && first + i <= c.RowCount(); ++i) {
        int row = first + i;
        int highlight = row == c.selected ? (focused ? A_REVERSE : A_REVERSE | A_DIM) : 0;
        int at = top + i * lines;
        if (highlight) Fill(Cells{at, cells.col, lines, width}, highlight);
        for (size_t f = 0; f < fields.size(); ++f) {
            const FieldSpot& s = spots[f];
            std::string cell =
                Fit(c.CellText(row, static_cast<int>(f) + 1), s.width, fields[f].align);
            Text(at + s.line, cells.col + s.col, std::min(s.width, width - s.col), cell,
                 attributes | highlight);
        }
    }
    if (c.vscroll) DrawScrollBar(c, cells);
}

void Painter::DrawScrollBar(const ui::Control& c, const Cells& cells) {
    int col = cells.col + cells.width - 1;
    for (int r = 0; r < cells.height; ++r) Text(cells.row + r, col, 1, "|");
    if (cells.height < 3) return;
    Text(cells.row, col, 1, "^");
    Text(cells.row + cells.height - 1, col, 1, "v");
    int track = cells.height - 2;
    int thumb = std::clamp(c.thumb, 0, 100) * (track - 1) / 100;
    Text(cells.row + 1 + thumb, col, 1, "#", A_REVERSE);
}

void Painter::DrawTextBox(const ui::Control& c, const Cells& cells, bool focused,
                          const PaintState& s) {
    const bool editing = s.editControl == c.number;
    const std::string& text = editing ? s.edit.Text() : c.text;
    const int width = std::max(cells.width, 1);
    const size_t cursor = editing ? s.edit.Cursor() : text.size();
    // Lines wrap at the box's width, never inside a character; the cell of the cursor is noted
    // on the way. A line feed breaks the line; other control characters show escaped.
    std::vector<std::string> rows(1);
    int rowCells = 0;
    int cursorRow = 0;
    int cursorCol = 0;
    for (size_t i = 0;; i = NextChar(text, i)) {
        if (i == cursor) {
            cursorRow = static_cast<int>(rows.size()) - 1;
            cursorCol = std::min(rowCells, width - 1);
        }
        if (i >= text.size()) break;
        const char ch = text[i];
        if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (ch == '\n') {
            rows.emplace_back();
            rowCells = 0;
            continue;
        }
        const std::string piece = Visible(std::string_view(text).substr(i, NextChar(text, i) - i));
        const int cells = CellWidth(piece);
        if (rowCells + cells > width && rowCells > 0) {
            rows.emplace_back();
            rowCells = 0;
        }
        rows.back() += piece;
        rowCells += cells;
    }
    // The box scrolls so that the cursor stays visible.
    const int first = focused ? std::max(0, cursorRow - cells.height + 1) : 0;
    const int attributes = c.disabled ? A_DIM : A_REVERSE;
    for (int r = 0; r < cells.height; ++r) {
        const int at = first + r;
        const std::string shown = at < static_cast<int>(rows.size()) ? rows[at] : "";
        Text(cells.row + r, cells.col, cells.width, Fit(shown, cells.width, 'L'), attributes);
    }
    if (focused && !c.readOnly) {
        cursorRow_ = cells.row + cursorRow - first;
        cursorCol_ = cells.col + cursorCol;
    }
}

}  // namespace tarn::tui
