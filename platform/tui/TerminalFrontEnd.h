#pragma once
// The terminal front end: shows the open windows with curses and turns keys, mouse clicks and
// terminal resizes into the runtime's input.
//
// The last screen line is a status line: the focused control's status text or tip, and a busy
// mark while the wait cursor is on. While the innermost window does not fit the terminal it says
// so, and the keys do nothing but Esc, which closes the window. A terminal resize reaches each
// window as a resize by the same amount when it next asks for input.
//
// Curses runs only while a window (or a message box) is on the screen: it starts when the first
// window opens and the terminal is restored (endwin) when the last one closes, at exit and on
// SIGTERM/SIGINT/SIGHUP. Typing into an entry edits a copy here (EntryEdit); the copy reaches the
// window as one Input::Text when the user leaves the entry (Tab, Enter, Esc, a click elsewhere).
// Wake() from any thread interrupts the wait through a self-pipe.
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/tui/Painter.h"
#include "platform/ui/FrontEnd.h"
#include "platform/ui/MessageBox.h"

namespace tarn::tui {

class TerminalFrontEnd : public ui::FrontEnd, public ui::MessageBoxFrontEnd {
  public:
    TerminalFrontEnd();
    ~TerminalFrontEnd() override;
    TerminalFrontEnd(const TerminalFrontEnd&) = delete;
    TerminalFrontEnd& operator=(const TerminalFrontEnd&) = delete;

    // Makes this the runtime's front end and message-box front end; Detach puts back the old.
    void Attach();
    void Detach();

    // FrontEnd
    void Opened(ui::Window& window) override;
    void Closed(ui::Window& window) override;
    std::optional<ui::Input> NextInput(ui::Window& window, int64_t deadline) override;
    void Wake() override;
    int ChoosePopup(const std::vector<ui::PopupItem>& items, int x, int y) override;
    void Beep() override;
    void TextRefused(ui::Window& window) override;
    void CursorChanged(bool wait) override;
    // MessageBoxFrontEnd
    int Ask(const ui::MessageBoxRequest& request) override;

    // True while curses owns the terminal.
    bool Active() const;
    // SIGHUP and SIGTERM close every window without asking (their procedures end as the front
    // end giving up on them: an open insert is cancelled) before the terminal is given back.
    void CloseWindowsOnStopSignal();

  private:
    // One key, mouse event or resize read from curses; nullopt when the deadline passed or a
    // wake arrived (or, with `wakeable` false, only when the deadline passed).
    std::optional<int> ReadKey(int64_t deadline, bool wakeable);
    bool WaitReadable(int64_t deadline, bool wakeable, bool terminal = true);
    void DrainWakes();

    void Start();
    void Stop();
    void Redraw(const ui::Window* top);
    void DrawAll(const ui::Window* top);

    std::optional<ui::Input> TakeKey(ui::Window& window, int key);
    std::optional<ui::Input> TerminalResized(ui::Window& window);
    std::optional<ui::Input> TakeMouse(ui::Window& window);
    std::optional<ui::Input> TakeClick(ui::Window& window, const ui::Control& control, int row,
                                       int col);
    std::optional<ui::Input> TakeTyped(ui::Window& window, int key);
    // The whole UTF-8 character a typed byte starts: its other bytes follow it at once.
    std::string ReadCharacter(int lead);
    // While the window does not fit the terminal, a key is not to act on what the user cannot
    // see: only Esc (which closes the window) goes through.
    std::optional<ui::Input> TakeKeyTooSmall(ui::Window& window, int key);
    std::optional<ui::Input> Deliver(ui::Window& window, const ui::Input& input, bool leaves);
    // The Text input for an entry whose copy differs from its contents; ends the edit.
    std::optional<ui::Input> FinishEdit(ui::Window& window);
    bool EditingFocused(const ui::Window& window) const;
    // The edit of the focused entry, started on its text when none runs.
    EntryEdit& FocusedEdit(ui::Window& window);

    int ReadAlt();
    // One key of a message box or menu (they wait for nothing else); Esc stays Esc.
    int ReadDialogKey(int* clickRow, int* clickCol);
    int AskOnScreen(const ui::MessageBoxRequest& request);
    int ChooseOnScreen(const std::vector<ui::PopupItem>& items, int x, int y);
    // Takes the terminal for a box; false when there is none to take.
    bool BeginBox();
    void EndBox();

    mutable std::mutex mutex_;
    std::vector<ui::Window*> windows_;  // open windows, innermost last
    std::deque<ui::Input> pending_;     // input held back behind a Text input
    struct SizeBase {
        int cols, lines;          // the terminal when the window opened
        int width, height;        // the window then, in dialog units
        int seenCols, seenLines;  // the terminal when the window last asked for input
    };
    std::map<const ui::Window*, SizeBase> sizes_;
    Painter painter_;
    PaintState state_;
    const ui::Window* editWindow_ = nullptr;
    const ui::Window* focusWindow_ = nullptr;  // the focus last seen, to notice it moved
    int focusControl_ = 0;
    int selectNext_ = 0;  // a clicked control to focus after a Text input
    struct Press {
        bool down = false;
        int row = -1;
        int col = -1;
        int control = 0;
        bool onThumb = false;  // pressed on a list's scroll-bar thumb: a drag
    } press_;                  // the left button, between its press and release
    struct Click {
        int control = 0;
        int row = 0;
        int64_t time = 0;
    } lastClick_;  // the last click on a list row, which a second one makes a double click
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    bool started_ = false;  // curses screen created
    int boxes_ = 0;         // message boxes and menus on the screen
    bool attached_ = false;
    ui::FrontEnd* oldFrontEnd_ = nullptr;
    ui::MessageBoxFrontEnd* oldMessageBox_ = nullptr;
};

// A terminal front end when standard input and output are a terminal that curses knows, else
// nullptr with `*refusal` (when given) saying why in words a program can print after its name:
// "needs a terminal (standard input is not a terminal)".
std::unique_ptr<TerminalFrontEnd> MakeTerminalFrontEnd(std::string* refusal = nullptr);
// The same for a program that goes on without one (the checker).
std::unique_ptr<TerminalFrontEnd> MakeTerminalFrontEndIfTerminal();

}  // namespace tarn::tui
