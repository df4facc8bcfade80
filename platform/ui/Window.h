#pragma once
// A window: defined as data, opened and closed by the procedure that runs it.
//
// Life: Window(def) -> Open() -> Accept() delivers events until the window closes -> closed.
// Each window owns its event queue (any thread may post to it), its timer and its focus. The
// events come in this order: posted events (oldest first), the accept-all pass, a due timer
// event, then input from the front end. Hiding a window keeps its events and timer going.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/Control.h"

namespace tarn::ui {

struct WindowDef {
    std::string title;
    std::string icon;
    std::string font;
    int fontSize = 8;
    Rect rect;                         // x, y 0: placed by the system
    std::vector<ControlDef> controls;  // numbered from 1 in this order
};

// One event as the runtime delivers it.
struct EventRecord {
    int event = 0;
    int control = 0;    // 0: the event concerns the window
    int keycode = 0;    // the key code that caused it, when a key or click did
    int character = 0;  // the character that key typed, 0: none
    int parameter = 0;
    int notifyCode = 0;    // event 522 only
    int notifyThread = 0;  // event 522 only
};

enum class WindowState { Normal, Maximized, Iconized };

class Window {
  public:
    Window() = default;
    explicit Window(const WindowDef& def);
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window();

    // --- Definition -------------------------------------------------------------------------
    // Adds a control; returns its number (the next after the last).
    int AddControl(const ControlDef& def);
    // The control, or nullptr when the window has no control of that number.
    Control* Get(int control);
    const Control* Get(int control) const;
    // The number of the control of that name (without regard to case), 0 when there is none.
    int Find(std::string_view name) const;
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    std::vector<Control>& Controls() { return controls_; }
    const std::vector<Control>& Controls() const { return controls_; }

    std::string title;
    std::string icon;
    std::string font;
    int fontSize = 8;
    Rect rect;
    int minWidth = 0;  // 0: no limit
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;

    // --- Life -------------------------------------------------------------------------------
    // Opens the window on the calling thread: it becomes the thread's innermost window, and the
    // window below it (if any) is told it lost the focus. False when it is open already.
    bool Open();
    // Closes at once, without an event; the window below gets the focus back (event 518).
    void Close();
    bool IsOpen() const { return open_; }
    // The runtime's number of the thread that opened the window; 0 while closed.
    int Thread() const { return thread_; }
    void Hide();
    void Show();
    bool IsHidden() const { return hidden_; }

    // --- Events -----------------------------------------------------------------------------
    // Queues an event; safe from any thread. Never runs a handler.
    void Post(int event, int control = 0, int parameter = 0);
    // Queues event 522 carrying a notification code, the sending thread and a parameter.
    void PostNotify(int code, int fromThread, int parameter);
    // Timer interval in hundredths of a second; 0 stops the timer.
    void SetTimer(int hundredths);
    int Timer() const { return timer_; }

    // --- Focus and the accept-all pass ------------------------------------------------------
    // Gives a control the focus (a control that cannot hold it passes it to the next one that
    // can) and delivers 257 to it; abandons an accept-all pass. False for an unknown control.
    bool Select(int control);
    int Focus() const { return focus_; }
    // Moves the focus to the next (or previous) control that can hold it, wrapping around.
    void FocusNext(bool backwards = false);
    // Validates every control in order (event 1 for each entry, after its variable is updated),
    // then delivers 549. Selecting a control abandons the pass.
    void AcceptAll();
    bool AcceptingAll() const { return acceptAll_ > 0; }

    // --- Variables ----------------------------------------------------------------------------
    void Bind(int control, Binding binding);
    // Moves variables into their controls: one control, or all with 0.
    void Display(int control = 0);
    // Moves control texts into their variables: one control, or all with 0. False when a text
    // does not fit its picture (that variable keeps its value).
    bool Update(int control = 0);

    // --- Keys ---------------------------------------------------------------------------------
    // Keys alerted on a control (0: on the whole window) reach the procedure as event 15.
    void Alert(int control, int keycode);
    void Unalert(int control, int keycode);
    bool IsAlerted(int control, int keycode) const;

    // --- Lists --------------------------------------------------------------------------------
    // Sets a list's format string; false (format unchanged) when it does not parse.
    bool SetFormat(int control, std::string_view format);
    void SetRows(int control, const RowSource* rows);
    void SetSelected(int control, int row);

    // --- Size and state -----------------------------------------------------------------------
    // Resizes within the minimum and maximum size and delivers 561.
    void SetSize(int width, int height);
    void Maximize(int width, int height);  // delivers 563
    void Restore();                        // back to the size before maximising; delivers 562
    void Iconize();                        // delivers 564
    WindowState State() const { return state_; }

    // --- Control places -----------------------------------------------------------------------
    // Moves and sizes a control; while moves are deferred it moves with the others when the
    // deferral ends. Nothing for an unknown control.
    void MoveControl(int control, const Rect& rect);
    // A count above 0 collects the moves of one layout pass (the count is how many to expect);
    // setting it to 0 or below carries out the collected moves together.
    void SetDeferredMoves(int count);
    int DeferredMoves() const { return deferredMoves_; }

  private:
    friend class AcceptLoop;
    void Enqueue(const EventRecord& record);

    std::vector<Control> controls_;
    std::vector<int> windowAlerts_;
    bool open_ = false;
    bool hidden_ = false;
    int thread_ = 0;
    int timer_ = 0;
    int64_t timerDue_ = -1;
    int focus_ = 0;
    int acceptAll_ = 0;  // 1 + the next control to validate; 0: no pass running
    WindowState state_ = WindowState::Normal;
    Rect normalRect_;
    int deferredMoves_ = 0;
    std::vector<std::pair<int, Rect>> deferred_;  // control, its new rectangle

    std::mutex queueMutex_;
    std::condition_variable queueReady_;
    std::deque<EventRecord> queue_;

    EventRecord current_;  // the event delivered last
    bool consumed_ = false;
    bool delivered_ = false;  // current_ still needs its own handling
};

}  // namespace tarn::ui
