// Mouse input on the innermost window. Curses reports presses and releases as they come; clicks,
// double clicks and drags of a list's scroll-bar thumb are made of them here.
#include <algorithm>

#include "platform/tui/Curses.h"
#include "platform/tui/TerminalFrontEnd.h"
#include "platform/ui/Events.h"
#include "platform/ui/Window.h"

namespace tarn::tui {

using ui::Input;

namespace {

constexpr int64_t kDoubleClick = 40;  // hundredths of a second between the two clicks

int ThumbRow(const Cells& cells, const ui::Control& list) {
    return cells.row + 1 + list.thumb * (cells.height - 3) / 100;
}

bool OnScrollBar(const Cells& cells, const ui::Control& list, int col) {
    return list.vscroll && cells.height >= 3 && col == cells.col + cells.width - 1;
}

// The scroll event of a click on a list's scroll bar column.
int ScrollEvent(const Cells& cells, const ui::Control& list, int row) {
    if (row == cells.row) return ui::EventScrollUp;
    if (row == cells.row + cells.height - 1) return ui::EventScrollDown;
    return row < ThumbRow(cells, list) ? ui::EventPageUp : ui::EventPageDown;
}

// The thumb's position in percent when dropped on a screen row of the track.
int ThumbPercent(const Cells& cells, int row) {
    int track = cells.height - 2;
    if (track <= 1) return 0;
    return std::clamp(row - cells.row - 1, 0, track - 1) * 100 / (track - 1);
}

const ui::Control* ControlAt(const ui::Window& window, const Cells& client, int row, int col) {
    // Later controls lie on top (toolbar buttons over the toolbar).
    const auto& controls = window.Controls();
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        if (it->hidden || it->kind == ui::KindToolbar) continue;
        if (ControlCells(client, *it).Contains(row, col)) return &*it;
    }
    return nullptr;
}

}  // namespace

std::optional<Input> TerminalFrontEnd::TakeMouse(ui::Window& window) {
    MEVENT ev;
    if (getmouse(&ev) != OK) return std::nullopt;
    Cells client = ClientArea(window, Painter::Lines(), COLS);
    if (ev.bstate & (BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED)) {
        press_ = Press{};
        const ui::Control* c = ControlAt(window, client, ev.y, ev.x);
        if (!c || c->disabled) return std::nullopt;
        if (ev.bstate & BUTTON1_DOUBLE_CLICKED)
            lastClick_ = Click{c->number, RowAt(ControlCells(client, *c), *c, ev.y), Now()};
        return TakeClick(window, *c, ev.y, ev.x);
    }
    if (ev.bstate & BUTTON1_PRESSED) {
        const ui::Control* c = ControlAt(window, client, ev.y, ev.x);
        press_ = Press{true, ev.y, ev.x, c ? c->number : 0, false};
        if (c && c->kind == ui::KindList) {
            Cells cells = ControlCells(client, *c);
            press_.onThumb = OnScrollBar(cells, *c, ev.x) && ev.y == ThumbRow(cells, *c);
        }
        return std::nullopt;
    }
    if (ev.bstate & BUTTON1_RELEASED) {
        Press press = press_;
        press_ = Press{};
        if (!press.down || press.control == 0) return std::nullopt;
        const ui::Control* c = window.Get(press.control);
        if (!c || c->disabled || c->hidden) return std::nullopt;
        if (press.onThumb) {
            if (ev.y == press.row) return std::nullopt;
            Input in;
            in.kind = Input::Thumb;
            in.control = c->number;
            in.row = ThumbPercent(ControlCells(client, *c), ev.y);
            return Deliver(window, in, true);
        }
        if (ControlAt(window, client, ev.y, ev.x) != c) return std::nullopt;  // dragged away
        return TakeClick(window, *c, press.row, press.col);
    }
    const ui::Control* c = ControlAt(window, client, ev.y, ev.x);
    if (!c || c->disabled || c->kind != ui::KindList) return std::nullopt;
    Input in;
    in.control = c->number;
    bool wheelUp = ev.bstate & BUTTON4_PRESSED;
    bool wheelDown = false;
#ifdef BUTTON5_PRESSED
    wheelDown = ev.bstate & BUTTON5_PRESSED;
#endif
    if (wheelUp || wheelDown) {
        in.kind = Input::Scroll;
        in.event = wheelUp ? ui::EventScrollUp : ui::EventScrollDown;
    } else if (ev.bstate & BUTTON3_PRESSED) {
        in.kind = Input::RightClick;
        in.row = RowAt(ControlCells(client, *c), *c, ev.y);
        if (in.row == 0) return std::nullopt;  // the header or below the rows
    } else {
        return std::nullopt;
    }
    return Deliver(window, in, true);
}

std::optional<Input> TerminalFrontEnd::TakeClick(ui::Window& window, const ui::Control& c, int row,
                                                 int col) {
    Cells cells = ControlCells(ClientArea(window, Painter::Lines(), COLS), c);
    Input in;
    in.control = c.number;
    if (c.kind == ui::KindList) {
        if (OnScrollBar(cells, c, col)) {
            in.kind = Input::Scroll;
            in.event = ScrollEvent(cells, c, row);
            return Deliver(window, in, true);
        }
        in.row = RowAt(cells, c, row);
        if (in.row == 0) return std::nullopt;  // the header or below the rows
        int64_t now = Now();
        bool twice = lastClick_.control == c.number && lastClick_.row == in.row &&
                     now - lastClick_.time <= kDoubleClick;
        lastClick_ = twice ? Click{} : Click{c.number, in.row, now};
        in.kind = twice ? Input::DoubleClick : Input::Click;
        return Deliver(window, in, true);
    }
    if (c.kind == ui::KindButton) {
        in.kind = Input::Press;
        return Deliver(window, in, true);
    }
    if (c.CanFocus() && window.Focus() != c.number) {
        // Focus the clicked entry once the one being left has delivered its text.
        std::optional<Input> text = FinishEdit(window);
        if (!text) {
            window.Select(c.number);
            return std::nullopt;
        }
        selectNext_ = c.number;
        return text;
    }
    return std::nullopt;
}

}  // namespace tarn::tui
