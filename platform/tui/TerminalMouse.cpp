// Mouse clicks on the innermost window: buttons, list rows, the scroll bar and entries.
#include "platform/tui/Curses.h"
#include "platform/tui/TerminalFrontEnd.h"
#include "platform/ui/Events.h"
#include "platform/ui/Window.h"

namespace tarn::tui {

using ui::Input;

namespace {

// The scroll event of a click on a list's scroll bar column.
int ScrollEvent(const Cells& cells, const ui::Control& list, int row) {
    if (row == cells.row) return ui::EventScrollUp;
    if (row == cells.row + cells.height - 1) return ui::EventScrollDown;
    int thumb = cells.row + 1 + list.thumb * (cells.height - 3) / 100;
    return row < thumb ? ui::EventPageUp : ui::EventPageDown;
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
    Cells client = ClientArea(window, LINES, COLS);
    const ui::Control* c = ControlAt(window, client, ev.y, ev.x);
    if (!c || c->disabled) return std::nullopt;
    Cells cells = ControlCells(client, *c);
    bool wheelUp = ev.bstate & BUTTON4_PRESSED;
    bool wheelDown = false;
#ifdef BUTTON5_PRESSED
    wheelDown = ev.bstate & BUTTON5_PRESSED;
#endif
    Input in;
    in.control = c->number;
    if (c->kind == ui::KindList) {
        if (wheelUp || wheelDown) {
            in.kind = Input::Key;
            in.keycode = wheelUp ? ui::UpKey : ui::DownKey;
        } else if (c->vscroll && ev.x == cells.col + cells.width - 1) {
            in.kind = Input::Scroll;
            in.event = ScrollEvent(cells, *c, ev.y);
        } else {
            in.row = RowAt(cells, *c, ev.y);
            if (in.row == 0) return std::nullopt;
            in.kind = (ev.bstate & BUTTON1_DOUBLE_CLICKED)                ? Input::DoubleClick
                      : (ev.bstate & (BUTTON3_CLICKED | BUTTON3_PRESSED)) ? Input::RightClick
                                                                          : Input::Click;
        }
        return Deliver(window, in, true);
    }
    if (!(ev.bstate & (BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED))) return std::nullopt;
    if (c->kind == ui::KindButton) {
        in.kind = Input::Press;
        return Deliver(window, in, true);
    }
    if (c->CanFocus() && window.Focus() != c->number) {
        // Focus the clicked entry once the one being left has delivered its text.
        std::optional<Input> text = FinishEdit(window);
        if (!text) {
            window.Select(c->number);
            return std::nullopt;
        }
        selectNext_ = c->number;
        return text;
    }
    return std::nullopt;
}

}  // namespace tarn::tui
