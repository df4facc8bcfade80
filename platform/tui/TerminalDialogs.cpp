// Message boxes and popup menus: modal boxes drawn over the open windows.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/tui/CellText.h"
#include "platform/tui/Curses.h"
#include "platform/tui/KeyMap.h"
#include "platform/tui/TerminalFrontEnd.h"
#include "platform/tui/TerminalSession.h"
#include "platform/ui/Events.h"
#include "platform/ui/PopupMenu.h"
#include "platform/ui/Window.h"

namespace tarn::tui {

namespace {

struct BoxButton {
    int bit;
    const char* caption;
};

// In the order they show, left to right.
constexpr BoxButton kButtons[] = {
    {1, "OK"},     {2, "Yes"},     {4, "No"},      {8, "Abort"},
    {16, "Retry"}, {32, "Ignore"}, {64, "Cancel"}, {128, "Help"},
};
constexpr int kCancel = 64;
// The widest a message's text runs before it wraps: a line the eye follows easily.
constexpr int kTextCells = 60;

std::vector<BoxButton> ButtonsOf(int bits) {
    std::vector<BoxButton> out;
    for (const BoxButton& b : kButtons)
        if (bits & b.bit) out.push_back(b);
    if (out.empty()) out.push_back(kButtons[0]);
    return out;
}

int ShownWidth(const BoxButton& b) { return static_cast<int>(std::string(b.caption).size()) + 4; }

// The button a letter presses: its caption's first letter, any case.
int ButtonOfLetter(const std::vector<BoxButton>& buttons, int key) {
    for (size_t i = 0; i < buttons.size(); ++i)
        if (std::toupper(key) == buttons[i].caption[0]) return static_cast<int>(i);
    return -1;
}

// One open level of a popup menu: its entries (indices into the items) and where it stands.
struct MenuLevel {
    std::vector<int> entries;
    int focus = 0;  // position in entries
    Cells box;
};

bool CanFocus(const std::vector<ui::PopupItem>& items, int i) {
    return items[i].enabled && (items[i].number > 0 || ui::IsPopupHeader(items, i));
}

int FirstFocus(const std::vector<ui::PopupItem>& items, const std::vector<int>& entries) {
    for (size_t k = 0; k < entries.size(); ++k)
        if (CanFocus(items, entries[k])) return static_cast<int>(k);
    return 0;
}

// The letter marked by "&", upper-cased; 0 without one.
int Accelerator(const std::string& text) {
    int at = -1;
    std::string shown = Caption(text, &at);
    return at >= 0 ? std::toupper(static_cast<unsigned char>(shown[at])) : 0;
}

// A check mark column, the caption, and "> " for an item that opens a submenu.
std::string EntryText(const std::vector<ui::PopupItem>& items, int i, int width) {
    if (items[i].text == "-") return std::string(width, '-');
    std::string shown = std::string(items[i].checked ? "* " : "  ") + Caption(items[i].text);
    shown.resize(std::max<size_t>(shown.size(), width), ' ');
    if (ui::IsPopupHeader(items, i)) shown.replace(width - 2, 2, " >");
    return shown;
}

int LevelWidth(const std::vector<ui::PopupItem>& items, const MenuLevel& level) {
    int width = 1;
    for (int i : level.entries)
        width = std::max(width, static_cast<int>(Caption(items[i].text).size()) + 5);
    return width;
}

// The top level at (row, col), or centred where they are -1, kept on the screen.
Cells PlaceLevel(const std::vector<ui::PopupItem>& items, const MenuLevel& level, int row,
                 int col) {
    int width = LevelWidth(items, level);
    int height = static_cast<int>(level.entries.size());
    if (row < 0) row = (Painter::Lines() - height) / 2;
    if (col < 0) col = (COLS - width) / 2;
    return Cells{std::clamp(row, 1, std::max(1, Painter::Lines() - height - 1)),
                 std::clamp(col, 1, std::max(1, COLS - width - 1)), height, width};
}

// A submenu beside its header: to the right of the parent, or to its left where it does not fit.
Cells PlaceSubmenu(const std::vector<ui::PopupItem>& items, const MenuLevel& level,
                   const Cells& parent, int parentFocus) {
    int width = LevelWidth(items, level);
    int col = parent.col + parent.width + 1;
    if (col + width + 1 > COLS) col = parent.col - width - 1;
    return PlaceLevel(items, level, parent.row + parentFocus, col);
}

void DrawLevel(const std::vector<ui::PopupItem>& items, const MenuLevel& level, bool active) {
    Painter::Frame(level.box, "");
    for (size_t k = 0; k < level.entries.size(); ++k) {
        int i = level.entries[k];
        bool focused = static_cast<int>(k) == level.focus && CanFocus(items, i);
        // The focus of a level a submenu is open from stays visible in bold.
        int attributes = focused ? (active ? A_REVERSE : A_BOLD) : items[i].enabled ? 0 : A_DIM;
        Painter::Text(level.box.row + static_cast<int>(k), level.box.col, level.box.width,
                      EntryText(items, i, level.box.width), attributes);
    }
}

// Opens the submenu of a header, or answers the item's number; -1 while the menu stays.
// Only opens (never chooses) when openOnly.
int Activate(const std::vector<ui::PopupItem>& items, std::vector<MenuLevel>& open, int i,
             bool openOnly) {
    if (i < 0) return openOnly ? -1 : 0;
    if (!CanFocus(items, i)) return -1;
    if (ui::IsPopupHeader(items, i)) {
        MenuLevel sub;
        sub.entries = ui::PopupLevel(items, i);
        sub.focus = FirstFocus(items, sub.entries);
        open.push_back(std::move(sub));
        return -1;
    }
    return openOnly ? -1 : items[i].number;
}

void MoveFocus(const std::vector<ui::PopupItem>& items, MenuLevel& level, bool down) {
    int count = static_cast<int>(level.entries.size());
    if (count == 0) return;
    int step = down ? 1 : count - 1;
    for (int k = (level.focus + step) % count; k != level.focus; k = (k + step) % count) {
        if (CanFocus(items, level.entries[k])) {
            level.focus = k;
            return;
        }
    }
}

// A click in an open level acts on that entry (closing the levels beyond it); outside, dismisses.
int ClickMenu(const std::vector<ui::PopupItem>& items, std::vector<MenuLevel>& open, int row,
              int col) {
    for (size_t k = open.size(); k-- > 0;) {
        if (!open[k].box.Contains(row, col)) continue;
        open.resize(k + 1);
        int at = row - open[k].box.row;
        if (!CanFocus(items, open[k].entries[at])) return -1;
        open[k].focus = at;
        return Activate(items, open, open[k].entries[at], false);
    }
    return 0;
}

// The entry of the current level whose "&" letter was typed.
int ChooseByLetter(const std::vector<ui::PopupItem>& items, std::vector<MenuLevel>& open, int key) {
    MenuLevel& top = open.back();
    for (size_t k = 0; k < top.entries.size(); ++k) {
        int i = top.entries[k];
        if (Accelerator(items[i].text) == std::toupper(key) && CanFocus(items, i)) {
            top.focus = static_cast<int>(k);
            return Activate(items, open, i, false);
        }
    }
    return -1;
}

}  // namespace

bool TerminalFrontEnd::BeginBox() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!StartCurses()) return false;
    ++boxes_;
    return true;
}

void TerminalFrontEnd::EndBox() {
    std::lock_guard<std::mutex> lock(mutex_);
    --boxes_;
    if (windows_.empty() && boxes_ == 0) StopCurses();
}

int TerminalFrontEnd::ReadDialogKey(int* clickRow, int* clickCol) {
    *clickRow = *clickCol = -1;
    std::optional<int> key = ReadKey(-1, false);
    // Told to stop: the box is left as Esc leaves it.
    if (!key) return StopSignal() ? ui::EscKey : 0;
    if (*key == KEY_MOUSE) {
        MEVENT ev;
        // A click counts when the button is released; anything else is no key.
        if (getmouse(&ev) != OK ||
            !(ev.bstate & (BUTTON1_RELEASED | BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED)))
            return 0;
        *clickRow = ev.y;
        *clickCol = ev.x;
        return KEY_MOUSE;
    }
    if (IsTypedChar(*key)) return *key;
    int code = MapCursesKey(*key, EraseChar());
    return code == ui::EscKey ? ReadAlt() : code;
}

int TerminalFrontEnd::Ask(const ui::MessageBoxRequest& request) {
    if (!BeginBox()) return ui::StderrMessageBox().Ask(request);
    int answer = AskOnScreen(request);
    EndBox();
    return answer;
}

int TerminalFrontEnd::AskOnScreen(const ui::MessageBoxRequest& request) {
    std::vector<BoxButton> buttons = ButtonsOf(request.buttons);
    int rowWidth = -2;
    for (const BoxButton& b : buttons) rowWidth += ShownWidth(b) + 2;
    int width = std::max(rowWidth, CellWidth(Visible(request.title)) + 2);
    for (const std::string& l : WrapCells(request.text, kTextCells))
        width = std::max(width, CellWidth(l));
    // The box with its frame stays on the screen: the text wraps at words inside it, and the box
    // grows downwards as far as the screen goes; the buttons always show.
    width = std::min(width + 2, std::max(3, COLS - 2));
    std::vector<std::string> lines = WrapCells(request.text, width - 2);
    lines.resize(std::min<size_t>(lines.size(), std::max(1, LINES - 4)));
    int height = static_cast<int>(lines.size()) + 2;
    int focus = 0;
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].bit == request.defaultButton) focus = static_cast<int>(i);
    for (;;) {
        Cells box{std::max(1, (LINES - height) / 2), std::max(1, (COLS - width) / 2), height,
                  width};
        std::vector<Cells> spots;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            DrawAll(nullptr);
            Painter::Frame(box, request.title);
            for (size_t i = 0; i < lines.size(); ++i)
                Painter::Text(box.row + static_cast<int>(i), box.col + 1, width - 2, lines[i]);
            int col = box.col + std::max(0, (width - rowWidth) / 2);
            for (size_t i = 0; i < buttons.size(); ++i) {
                Cells at{box.row + height - 1, col, 1, ShownWidth(buttons[i])};
                Painter::Button(at, buttons[i].caption, static_cast<int>(i) == focus,
                                buttons[i].bit == request.defaultButton, false);
                spots.push_back(at);
                col += at.width + 2;
            }
            curs_set(0);
            refresh();
        }
        int row, col;
        int key = ReadDialogKey(&row, &col);
        int count = static_cast<int>(buttons.size());
        if (key == KEY_MOUSE) {
            for (size_t i = 0; i < spots.size(); ++i)
                if (spots[i].Contains(row, col)) return buttons[i].bit;
        } else if (key == ui::EnterKey || key == ' ') {
            return buttons[focus].bit;
        } else if (key == ui::EscKey) {
            return (request.buttons & kCancel) ? kCancel : 0;
        } else if (key == ui::TabKey || key == ui::RightKey || key == ui::DownKey) {
            focus = (focus + 1) % count;
        } else if (key == ui::ShiftTab || key == ui::LeftKey || key == ui::UpKey) {
            focus = (focus + count - 1) % count;
        } else if (IsTypedChar(key)) {
            int i = ButtonOfLetter(buttons, key);
            if (i >= 0) return buttons[i].bit;
        }
    }
}

int TerminalFrontEnd::ChoosePopup(const std::vector<ui::PopupItem>& items, int x, int y) {
    if (items.empty() || !BeginBox()) return 0;
    int choice = ChooseOnScreen(items, x, y);
    EndBox();
    return choice;
}

int TerminalFrontEnd::ChooseOnScreen(const std::vector<ui::PopupItem>& items, int x, int y) {
    std::vector<MenuLevel> open(1);
    open[0].entries = ui::PopupLevel(items, -1);
    open[0].focus = FirstFocus(items, open[0].entries);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            Cells origin{0, 0, LINES, COLS};
            if (!windows_.empty()) origin = ClientArea(*windows_.back(), Painter::Lines(), COLS);
            // The point is the menu's top-left corner, its frame included.
            int row = y < 0 ? -1 : origin.row + CellsDown(y) + 1;
            int col = x < 0 ? -1 : origin.col + CellsAcross(x) + 1;
            DrawAll(nullptr);
            for (size_t k = 0; k < open.size(); ++k) {
                open[k].box =
                    k == 0 ? PlaceLevel(items, open[0], row, col)
                           : PlaceSubmenu(items, open[k], open[k - 1].box, open[k - 1].focus);
                DrawLevel(items, open[k], k + 1 == open.size());
            }
            curs_set(0);
            refresh();
        }
        int row, col;
        int key = ReadDialogKey(&row, &col);
        MenuLevel& top = open.back();
        int focused = top.entries.empty() ? -1 : top.entries[top.focus];
        int choice = -1;  // -1: the menu stays; 0: dismissed; else the chosen number
        if (key == KEY_MOUSE) {
            choice = ClickMenu(items, open, row, col);
        } else if (key == ui::EnterKey || key == ' ' || key == ui::RightKey) {
            choice = Activate(items, open, focused, key == ui::RightKey);
        } else if (key == ui::EscKey || key == ui::LeftKey) {
            if (open.size() > 1)
                open.pop_back();
            else if (key == ui::EscKey)
                choice = 0;
        } else if (key == ui::DownKey || key == ui::UpKey) {
            MoveFocus(items, top, key == ui::DownKey);
        } else if (IsTypedChar(key)) {
            choice = ChooseByLetter(items, open, key);
        }
        if (choice >= 0) return choice;
    }
}

}  // namespace tarn::tui
