#pragma once
// Draws windows and their controls on the curses screen (stdscr). Knows nothing of input.
#include <string>

#include "platform/tui/EntryEdit.h"
#include "platform/tui/Layout.h"

namespace tarn::ui {
class Window;
}

namespace tarn::tui {

// What the front end shows beyond the window's own data.
struct PaintState {
    int editControl = 0;  // the entry being typed into (its text is in `edit`), 0: none
    EntryEdit edit;
    bool focusSelected = false;  // the focused entry, not typed into yet, shows its text selected
    bool busy = false;           // the wait cursor is on: the status line says so
    bool active = true;          // the innermost window: its focus is shown
};

class Painter {
  public:
    // Draws one window in its frame; returns its client area. Where the entry cursor belongs
    // (the focused entry's end) is kept for PlaceCursor.
    Cells DrawWindow(const ui::Window& window, const PaintState& state);
    // Puts the terminal cursor at the focused entry, or hides it.
    void PlaceCursor() const;
    // The screen's last line: the focused control's status text (or else its tip) of the window
    // `top` (nullptr: none), a note when the terminal is too small for it, the busy mark.
    static void StatusLine(const ui::Window* top, bool busy);
    // The screen lines windows are laid out on: all but the status line.
    static int Lines();

    // Building blocks, also used by message boxes and popup menus.
    static void Frame(const Cells& client, const std::string& title);
    static void Fill(const Cells& area, int attributes);
    // Writes text clipped to `width` cells from (row, col).
    static void Text(int row, int col, int width, const std::string& text, int attributes = 0);
    // "[ Caption ]" centred in the cells; focused in reverse video, the default one in bold.
    static void Button(const Cells& cells, const std::string& caption, bool focused, bool isDefault,
                       bool disabled, const std::string& icon = "");

  private:
    // Underlines the character at byte `at` of a visible text drawn at (row, col) in `width`.
    static void Underline(int row, int col, int width, const std::string& shown, size_t at,
                          int attributes);
    void DrawControl(const ui::Control& c, const Cells& cells, bool focused,
                     const PaintState& state);
    void DrawEntry(const ui::Control& c, const Cells& cells, bool focused, const PaintState& s);
    static void DrawLabel(const ui::Control& c, const Cells& cells, int attributes);
    static void DrawProgress(const ui::Control& c, const Cells& cells, int attributes);
    static void DrawList(const ui::Control& c, const Cells& cells, bool focused, int attributes);
    static void DrawScrollBar(const ui::Control& c, const Cells& cells);
    void DrawTextBox(const ui::Control& c, const Cells& cells, bool focused, const PaintState& s);

    int cursorRow_ = -1;
    int cursorCol_ = -1;
};

}  // namespace tarn::tui
