#include "platform/tui/TerminalFrontEnd.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/tui/CellText.h"
#include "platform/tui/Curses.h"
#include "platform/tui/KeyMap.h"
#include "platform/tui/TerminalSession.h"
#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

namespace tarn::tui {

using ui::Input;

namespace {

Input KeyInput(int keycode, int control = 0) {
    Input in;
    in.kind = Input::Key;
    in.keycode = keycode;
    in.control = control;
    return in;
}

}  // namespace

TerminalFrontEnd::TerminalFrontEnd() {
    int fds[2];
    if (pipe(fds) == 0) {
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
        for (int fd : fds) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
}

TerminalFrontEnd::~TerminalFrontEnd() {
    Detach();
    StopCurses();
    if (wakeRead_ >= 0) close(wakeRead_);
    if (wakeWrite_ >= 0) close(wakeWrite_);
}

void TerminalFrontEnd::Attach() {
    if (attached_) return;
    attached_ = true;
    oldFrontEnd_ = ui::SetFrontEnd(this);
    oldMessageBox_ = ui::CurrentMessageBoxFrontEnd();
    ui::SetMessageBoxFrontEnd(this);
}

void TerminalFrontEnd::Detach() {
    if (!attached_) return;
    attached_ = false;
    ui::SetFrontEnd(oldFrontEnd_);
    ui::SetMessageBoxFrontEnd(oldMessageBox_);
}

bool TerminalFrontEnd::Active() const { return CursesActive(); }

void TerminalFrontEnd::CloseWindowsOnStopSignal() { DeferStopSignals(wakeWrite_); }

void TerminalFrontEnd::Opened(ui::Window& window) {
    std::lock_guard<std::mutex> lock(mutex_);
    windows_.push_back(&window);
    if (StartCurses())
        sizes_[&window] = SizeBase{COLS, LINES, window.rect.width, window.rect.height, COLS, LINES};
}

void TerminalFrontEnd::Closed(ui::Window& window) {
    std::lock_guard<std::mutex> lock(mutex_);
    windows_.erase(std::remove(windows_.begin(), windows_.end(), &window), windows_.end());
    sizes_.erase(&window);
    if (editWindow_ == &window) {
        editWindow_ = nullptr;
        state_.editControl = 0;
    }
    if (focusWindow_ == &window) focusWindow_ = nullptr;
    if (windows_.empty()) {
        pending_.clear();
        selectNext_ = 0;
        if (boxes_ == 0) StopCurses();
    }
}

void TerminalFrontEnd::Wake() {
    if (wakeWrite_ < 0) return;
    char byte = 1;
    [[maybe_unused]] ssize_t n = write(wakeWrite_, &byte, 1);
}

void TerminalFrontEnd::DrainWakes() {
    char buffer[64];
    while (wakeRead_ >= 0 && read(wakeRead_, buffer, sizeof buffer) > 0) {
    }
}

void TerminalFrontEnd::Beep() {
    if (CursesActive()) beep();
}

void TerminalFrontEnd::CursorChanged(bool wait) {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.busy = wait;
    if (!CursesActive() || windows_.empty()) return;
    DrawAll(windows_.back());
    refresh();
}

void TerminalFrontEnd::DrawAll(const ui::Window* top) {
    erase();
    for (const ui::Window* w : windows_) {
        if (w->IsHidden()) continue;
        PaintState s = state_;
        s.active = w == top;
        if (editWindow_ != w) s.editControl = 0;
        painter_.DrawWindow(*w, s);
    }
    Painter::StatusLine(top, state_.busy);
}

void TerminalFrontEnd::Redraw(const ui::Window* top) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!CursesActive()) return;
    DrawAll(top);
    painter_.PlaceCursor();
    refresh();
}

// Waits for the terminal or a wake; false when the deadline passed or a wake came first.
bool TerminalFrontEnd::WaitReadable(int64_t deadline, bool wakeable, bool terminal) {
    struct pollfd fds[2];
    int count = 0;
    int wakeAt = -1;
    if (terminal && CursesActive()) fds[count++] = {STDIN_FILENO, POLLIN, 0};
    if (wakeable && wakeRead_ >= 0) {
        wakeAt = count;
        fds[count++] = {wakeRead_, POLLIN, 0};
    }
    int timeout = -1;
    if (deadline >= 0) {
        int64_t left = deadline - Now();
        if (left <= 0) return false;
        timeout = static_cast<int>(std::min<int64_t>(left * 10, 1 << 30));
    }
    int n = poll(fds, count, timeout);
    if (n < 0) return errno == EINTR;  // a resize signal: read what curses made of it
    if (n == 0) return false;
    if (wakeAt >= 0 && (fds[wakeAt].revents & POLLIN)) {
        DrainWakes();
        return false;
    }
    return true;
}

std::optional<int> TerminalFrontEnd::ReadKey(int64_t deadline, bool wakeable) {
    for (;;) {
        if (StopSignal()) return std::nullopt;
        if (CursesActive()) {
            nodelay(stdscr, TRUE);
            int key = getch();
            if (key != ERR) return key;
        }
        if (!WaitReadable(deadline, wakeable)) return std::nullopt;
    }
}

int TerminalFrontEnd::ReadAlt() {
    nodelay(stdscr, TRUE);
    int next = getch();
    if (next == ERR) return ui::EscKey;
    if (next != '[' && next != 'O') return MapAltKey(next);
    // A sequence curses does not know: its bytes are already on their way.
    std::string sequence(1, static_cast<char>(next));
    timeout(25);
    for (;;) {
        int c = getch();
        if (c == ERR || c >= KEY_MIN || sequence.size() > 16) break;
        sequence += static_cast<char>(c);
        bool final =
            next == 'O' ? sequence.size() == 2 : c >= 0x40 && c <= 0x7e && sequence.size() > 1;
        if (final) break;
    }
    nodelay(stdscr, TRUE);
    if (sequence.size() == 1) return MapAltKey(next);
    return MapEscapeSequence(sequence);
}

std::optional<Input> TerminalFrontEnd::NextInput(ui::Window& window, int64_t deadline) {
    if (StopSignal()) {
        // The program was told to stop: each window closes without asking, the innermost first.
        Input in;
        in.kind = Input::Abort;
        return in;
    }
    if (!pending_.empty()) {
        Input in = pending_.front();
        pending_.pop_front();
        return in;
    }
    if (selectNext_ != 0) {
        window.Select(selectNext_);
        selectNext_ = 0;
        return std::nullopt;
    }
    if (editWindow_ == &window && state_.editControl != window.Focus()) {
        // The program moved the focus away from the entry being typed into.
        if (auto text = FinishEdit(window)) return text;
    }
    if (focusWindow_ != &window || focusControl_ != window.Focus()) {
        // An entry that receives the focus has its text selected: typing replaces it.
        focusWindow_ = &window;
        focusControl_ = window.Focus();
        state_.focusSelected = true;
    }
    if (window.IsHidden() || !CursesActive()) {
        // Nobody can type into a window that is not on the screen: only time or a wake.
        Redraw(nullptr);
        WaitReadable(deadline, true, false);
        return std::nullopt;
    }
    for (;;) {
        if (auto resized = TerminalResized(window)) return resized;
        Redraw(&window);
        std::optional<int> key = ReadKey(deadline, true);
        if (!key) return std::nullopt;
        std::optional<Input> in;
        if (*key == KEY_RESIZE) {
            continue;  // each window learns of it when it next asks for input
        } else if (TooSmall(window, Painter::Lines(), COLS)) {
            in = TakeKeyTooSmall(window, *key);
        } else if (*key == KEY_MOUSE) {
            in = TakeMouse(window);
        } else {
            in = TakeKey(window, *key);
        }
        if (in) return in;
    }
}

// A terminal that grew or shrank since the window last looked grows or shrinks the window by as
// much (from its size when it opened, so that the opening size comes back with the terminal's).
std::optional<Input> TerminalFrontEnd::TerminalResized(ui::Window& window) {
    auto it = sizes_.find(&window);
    if (it == sizes_.end()) return std::nullopt;
    SizeBase& base = it->second;
    if (base.seenCols == COLS && base.seenLines == LINES) return std::nullopt;
    base.seenCols = COLS;
    base.seenLines = LINES;
    Input in;
    in.kind = Input::Resize;
    in.width = std::max(4, base.width + (COLS - base.cols) * 4);
    in.height = std::max(8, base.height + (LINES - base.lines) * 8);
    return Deliver(window, in, true);
}

bool TerminalFrontEnd::EditingFocused(const ui::Window& window) const {
    const ui::Control* c = window.Get(window.Focus());
    return c && c->IsEditable() && !c->readOnly && !c->disabled && !c->hidden;
}

std::optional<Input> TerminalFrontEnd::FinishEdit(ui::Window& window) {
    if (editWindow_ != &window || state_.editControl == 0) return std::nullopt;
    int control = state_.editControl;
    std::string text = state_.edit.Text();
    state_.editControl = 0;
    editWindow_ = nullptr;
    const ui::Control* c = window.Get(control);
    if (!c || c->text == text) return std::nullopt;
    Input in;
    in.kind = Input::Text;
    in.control = control;
    in.text = std::move(text);
    return in;
}

std::optional<Input> TerminalFrontEnd::Deliver(ui::Window& window, const Input& input,
                                               bool leaves) {
    if (leaves) {
        if (auto text = FinishEdit(window)) {
            pending_.push_back(input);
            return text;
        }
    }
    return input;
}

void TerminalFrontEnd::TextRefused(ui::Window& window) {
    if (editWindow_ != nullptr && editWindow_ != &window) return;
    // A resize held back still applies; what the user did to leave the entry does not.
    std::erase_if(pending_, [](const Input& in) {
        return in.kind != Input::Resize && in.kind != Input::Maximize && in.kind != Input::Restore;
    });
    selectNext_ = 0;
}

EntryEdit& TerminalFrontEnd::FocusedEdit(ui::Window& window) {
    int focus = window.Focus();
    if (editWindow_ != &window || state_.editControl != focus) {
        state_.editControl = focus;
        const ui::Control* c = window.Get(focus);
        state_.edit.Start(c->text, state_.focusSelected);
        state_.edit.SetLimit(c->MaxInput());
        state_.focusSelected = false;
        editWindow_ = &window;
    }
    return state_.edit;
}

std::string TerminalFrontEnd::ReadCharacter(int lead) {
    std::string character(1, static_cast<char>(lead));
    const size_t length = CharLength(static_cast<unsigned char>(lead));
    timeout(25);
    while (character.size() < length) {
        const int next = getch();
        if (next == ERR) break;
        if (next >= 256 || (next & 0xC0) != 0x80) {
            ungetch(next);
            break;
        }
        character += static_cast<char>(next);
    }
    nodelay(stdscr, TRUE);
    return character;
}

std::optional<Input> TerminalFrontEnd::TakeTyped(ui::Window& window, int key) {
    const std::string character = ReadCharacter(key);
    if (!EditingFocused(window)) {
        Input in = KeyInput(ui::KeyOfChar(static_cast<char>(key)));
        in.character = key;
        return in;
    }
    // A number's entry takes only what a number is written with, as a desktop entry does.
    std::string_view picture = window.Get(window.Focus())->binding.picture;
    if (!picture.empty() && picture[0] == '@') picture.remove_prefix(1);
    if (!picture.empty() && (picture[0] == 'n' || picture[0] == 'N') && !std::isdigit(key) &&
        !std::strchr("-.,+ ", key)) {
        beep();
        return std::nullopt;
    }
    // A full entry takes nothing more: what would be cut on saving is never typed.
    EntryEdit& edit = FocusedEdit(window);
    bool taken = true;
    for (char byte : character) taken = edit.Type(byte) && taken;
    if (!taken) beep();
    return std::nullopt;
}

std::optional<Input> TerminalFrontEnd::TakeKeyTooSmall(ui::Window& window, int key) {
    if (key == KEY_MOUSE) {
        MEVENT ev;
        getmouse(&ev);
        press_ = Press{};
        return std::nullopt;
    }
    if (IsTypedChar(key)) return std::nullopt;
    int code = MapCursesKey(key, EraseChar());
    if (code == ui::EscKey) code = ReadAlt();
    if (code != ui::EscKey) return std::nullopt;
    return Deliver(window, KeyInput(code), true);
}

std::optional<Input> TerminalFrontEnd::TakeKey(ui::Window& window, int key) {
    if (IsTypedChar(key)) return TakeTyped(window, key);
    int code = MapCursesKey(key, EraseChar());
    if (code == ui::EscKey) code = ReadAlt();
    if (code == 0) return std::nullopt;
    if (EditingFocused(window) && EntryEdit::Edits(code)) {
        FocusedEdit(window).Key(code);
        return std::nullopt;
    }
    // Any other key leaves the entry: what was typed arrives first, also before Esc, so that a
    // form asking about unsaved changes knows of it.
    return Deliver(window, KeyInput(code), true);
}

}  // namespace tarn::tui
