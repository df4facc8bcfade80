#pragma once
// What shows windows to a user and turns the user's actions into input.
//
// The runtime asks the front end for the next input of the window that is accepting, passing
// the time its timer is next due; the front end draws the window (title, controls at their
// places in dialog units, list rows through CellText) and waits for the user until then.
// HeadlessFrontEnd plays a script for tests; the terminal front end draws with curses.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarn::ui {

class Window;

struct Input {
    enum Kind {
        Key,    // keycode to control (0: the focused control)
        Press,  // a button pressed (by mouse or its accelerator)
        Text,   // an entry's contents became `text` (the user typed and left it)
        Click,  // left click on list row `row` of `control`
        DoubleClick,
        RightClick,
        Scroll,    // `event` 3..8 on a list (scroll bar arrows and page areas)
        Thumb,     // the list's thumb dragged to `row` percent
        Resize,    // the window's new `width` and `height` in dialog units
        Maximize,  // maximised to `width` x `height`
        Restore,
        Iconize,
        Close,  // the window's close box: event 513
        Abort,  // the front end gives up on the window: it closes without asking
    };
    Kind kind = Key;
    int control = 0;
    int keycode = 0;
    int character = 0;  // Key: the character typed, case kept; 0 for keys that type none
    int row = 0;
    int event = 0;
    int width = 0;
    int height = 0;
    std::string text;
};

struct PopupItem {
    std::string text;  // without markers; "-" is a separator
    int depth = 1;
    bool enabled = true;
    bool checked = false;
    std::string icon;  // the icon named in the item's text, "" none
    int number = 0;    // what choosing it answers; 0 for separators and submenu headers
};

class FrontEnd {
  public:
    virtual ~FrontEnd() = default;
    virtual void Opened(Window&) {}
    virtual void Closed(Window&) {}
    // The next input for the window; nullopt when `deadline` (Now() units; -1: none) passed
    // first or Wake() was called.
    virtual std::optional<Input> NextInput(Window& window, int64_t deadline) = 0;
    // Called from any thread when an event was posted to a window that may be waiting.
    virtual void Wake() {}
    // Monotonic time in hundredths of a second; timers run on it.
    virtual int64_t Now();
    // Shows a popup menu; returns the chosen item's number, 0 when dismissed.
    virtual int ChoosePopup(const std::vector<PopupItem>& items, int x, int y) = 0;
    virtual void Beep() {}
    // An entry refused the text it was left with and keeps the focus: what the user did to leave
    // it (a key, a press, a click held behind the text) is dropped, not acted on.
    virtual void TextRefused(Window&) {}
    virtual void CursorChanged(bool /*wait*/) {}
};

// The steady clock in hundredths of a second.
int64_t MonotonicHundredths();

}  // namespace tarn::ui
