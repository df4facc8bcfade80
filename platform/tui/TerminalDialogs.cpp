// Message boxes and popup menus: modal boxes drawn over the open windows.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/tui/Curses.h"
#include "platform/tui/KeyMap.h"
#include "platform/tui/TerminalFrontEnd.h"
#include "platform/tui/TerminalSession.h"
#include "platform/ui/Events.h"
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
    if (!key) return 0;
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
    std::vector<std::string> lines = SplitLines(request.text);
    int rowWidth = -2;
    for (const BoxButton& b : buttons) rowWidth += ShownWidth(b) + 2;
    int width = std::max(rowWidth, static_cast<int>(request.title.size()) + 2);
    for (const std::string& l : lines) width = std::max(width, static_cast<int>(l.size()));
    width = std::min(width + 2, std::max(1, COLS - 2));
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
    int width = 1;
    for (const ui::PopupItem& item : items)
        width = std::max(width, static_cast<int>(item.text.size()) + 2 * item.depth + 1);
    int height = static_cast<int>(items.size());
    auto selectable = [&](int i) { return items[i].number > 0 && items[i].enabled; };
    int count = static_cast<int>(items.size());
    int focus = 0;
    while (focus < count && !selectable(focus)) ++focus;
    for (;;) {
        Cells box;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            Cells origin{0, 0, LINES, COLS};
            if (!windows_.empty()) origin = ClientArea(*windows_.back(), Painter::Lines(), COLS);
            int row = y < 0 ? (LINES - height) / 2 : origin.row + CellsDown(y);
            int col = x < 0 ? (COLS - width) / 2 : origin.col + CellsAcross(x);
            box = Cells{std::clamp(row, 1, std::max(1, LINES - height - 1)),
                        std::clamp(col, 1, std::max(1, COLS - width - 1)), height, width};
            DrawAll(nullptr);
            Painter::Frame(box, "");
            for (int i = 0; i < count; ++i) {
                const ui::PopupItem& item = items[i];
                std::string shown =
                    item.text == "-" ? std::string(width, '-')
                                     : std::string(item.checked ? "*" : " ") +
                                           std::string(2 * (item.depth - 1) + 1, ' ') + item.text;
                int attributes = i == focus ? A_REVERSE : item.enabled ? 0 : A_DIM;
                if (item.number == 0 && item.text != "-") attributes |= A_BOLD;
                Painter::Text(box.row + i, box.col, width, shown + std::string(width, ' '),
                              attributes);
            }
            curs_set(0);
            refresh();
        }
        int row, col;
        int key = ReadDialogKey(&row, &col);
        if (key == KEY_MOUSE) {
            if (!box.Contains(row, col)) return 0;
            if (selectable(row - box.row)) return items[row - box.row].number;
        } else if (key == ui::EnterKey || key == ' ') {
            return focus < count ? items[focus].number : 0;
        } else if (key == ui::EscKey) {
            return 0;
        } else if (key == ui::DownKey || key == ui::UpKey) {
            int step = key == ui::DownKey ? 1 : count - 1;
            for (int i = (focus + step) % count; i != focus; i = (i + step) % count) {
                if (selectable(i)) {
                    focus = i;
                    break;
                }
            }
        }
    }
}

}  // namespace tarn::tui
