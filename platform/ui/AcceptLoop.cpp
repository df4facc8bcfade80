#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"

namespace tarn::ui {

// The pull-based loop: finishing an event, choosing the next, turning input into events.
class AcceptLoop {
  public:
    static bool Accept(Window& w);
    static const EventRecord& Current(Window& w) { return w.current_; }
    static void Consume(Window& w) { w.consumed_ = true; }

  private:
    static void Finish(Window& w);
    static bool Deliver(Window& w, const EventRecord& e);
    static bool NextAcceptAll(Window& w);
    static bool WaitWithoutFrontEnd(Window& w, int64_t deadline);
    static bool TakeInput(Window& w, const Input& in);
    static void TakeKey(Window& w, const Input& in);
    static bool MoveHighlight(Window& w, Control& list, int keycode);
    static bool PressAccelerator(Window& w, int keycode);
    static size_t NextShared(Window& w, const std::vector<int>& marked);
    static int FocusTarget(Window& w, int control);
    static void ClickRow(Window& w, const Input& in);
    static void Queue(Window& w, int event, int control, int keycode, int character = 0);
};

namespace {
const EventRecord kNoEvent{};
}  // namespace

void AcceptLoop::Queue(Window& w, int event, int control, int keycode, int character) {
    EventRecord r;
    r.event = event;
    r.control = control;
    r.keycode = keycode;
    r.character = character;
    std::lock_guard<std::mutex> lock(w.queueMutex_);
    w.queue_.push_back(r);
}

// The runtime's own handling of the event delivered last, unless the procedure consumed it.
void AcceptLoop::Finish(Window& w) {
    if (!w.delivered_) return;
    w.delivered_ = false;
    if (w.consumed_) return;
    int e = w.current_.event;
    if (e == EventCloseWindow || e == EventCloseDown) w.Close();
}

bool AcceptLoop::Deliver(Window& w, const EventRecord& e) {
    w.current_ = e;
    w.consumed_ = false;
    w.delivered_ = true;
    return true;
}

// The next step of an accept-all pass: event 1 for the next enabled entry, 549 at the end.
bool AcceptLoop::NextAcceptAll(Window& w) {
    for (int i = w.acceptAll_ - 1; i < w.ControlCount(); ++i) {
        Control& c = w.controls_[i];
        if (!c.IsEditable() || c.hidden || c.disabled || c.readOnly) continue;
        w.acceptAll_ = i + 2;
        EventRecord r;
        r.control = c.number;
        if (w.Update(c.number)) {
            r.event = EventAccepted;
        } else {
            // A value that does not fit its picture stops the pass on that control.
            r.event = EventRejected;
            w.acceptAll_ = 0;
            w.focus_ = c.number;
        }
        return Deliver(w, r);
    }
    w.acceptAll_ = 0;
    return Deliver(w, EventRecord{EventCompleted});
}

// Without a front end only posts (from other threads) and timers can wake the window.
bool AcceptLoop::WaitWithoutFrontEnd(Window& w, int64_t deadline) {
    std::unique_lock<std::mutex> lock(w.queueMutex_);
    if (deadline < 0) {
        w.queueReady_.wait(lock, [&] { return !w.queue_.empty(); });
        return true;
    }
    int64_t wait = deadline - UiNow();
    if (wait > 0) {
        w.queueReady_.wait_for(lock, std::chrono::milliseconds(wait * 10),
                               [&] { return !w.queue_.empty(); });
    }
    return true;
}

bool AcceptLoop::Accept(Window& w) {
    if (!w.open_) return false;
    Finish(w);
    while (w.open_) {
        {
            std::unique_lock<std::mutex> lock(w.queueMutex_);
            if (!w.queue_.empty()) {
                EventRecord e = w.queue_.front();
                w.queue_.pop_front();
                lock.unlock();
                if (e.keycode != 0) SetKeycode(e.keycode, e.character);
                return Deliver(w, e);
            }
        }
        if (w.acceptAll_ > 0) return NextAcceptAll(w);
        int64_t now = UiNow();
        if (w.timer_ > 0 && w.timerDue_ >= 0 && now >= w.timerDue_) {
            // A late timer fires once, not once for every interval missed.
            w.timerDue_ = std::max(w.timerDue_ + w.timer_, now + 1);
            return Deliver(w, EventRecord{EventTimer});
        }
        int64_t deadline = w.timer_ > 0 ? w.timerDue_ : -1;
        FrontEnd* fe = CurrentFrontEnd();
        if (!fe) {
            WaitWithoutFrontEnd(w, deadline);
            continue;
        }
        std::optional<Input> in = fe->NextInput(w, deadline);
        if (in && !TakeInput(w, *in)) return false;
    }
    return false;
}

bool AcceptLoop::MoveHighlight(Window& w, Control& list, int keycode) {
    int event = 0;
    switch (keycode) {
        case UpKey:
            event = EventScrollUp;
            break;
        case DownKey:
            event = EventScrollDown;
            break;
        case PgUpKey:
            event = EventPageUp;
            break;
        case PgDnKey:
            event = EventPageDown;
            break;
        case HomeKey:
            event = EventScrollTop;
            break;
        case EndKey:
            event = EventScrollBottom;
            break;
        default:
            return false;
    }
    if (list.immediate) {
        Queue(w, event, list.number, keycode);
        return true;
    }
    int rows = list.RowCount();
    if (rows == 0) return true;
    int page = std::max(1, list.VisibleRows());
    int row = list.selected;
    if (event == EventScrollUp) row -= 1;
    if (event == EventScrollDown) row += 1;
    if (event == EventPageUp) row -= page;
    if (event == EventPageDown) row += page;
    if (event == EventScrollTop) row = 1;
    if (event == EventScrollBottom) row = rows;
    row = std::clamp(row, 1, rows);
    if (row != list.selected) {
        list.selected = row;
        Queue(w, EventNewSelection, list.number, keycode);
    }
    return true;
}

void AcceptLoop::TakeKey(Window& w, const Input& in) {
    int keycode = in.keycode;
    SetKeycode(keycode, in.character);
    int target = in.control != 0 ? in.control : w.focus_;
    if (w.IsAlerted(target, keycode)) {
        Queue(w, EventAlertKey, target, keycode, in.character);
        return;
    }
    if (PressAccelerator(w, keycode)) return;
    Control* c = w.Get(target);
    if (keycode == TabKey || keycode == ShiftTab) {
        w.FocusNext(keycode == ShiftTab);
    } else if (keycode == EscKey) {
        Queue(w, EventCloseWindow, 0, keycode);
    } else if (keycode == EnterKey || (keycode == SpaceKey && c && c->kind == KindButton)) {
        if (c && c->kind == KindButton && c->CanFocus()) {
            Queue(w, EventAccepted, c->number, keycode);
            return;
        }
        if (keycode == SpaceKey) return;
        for (const Control& d : w.controls_) {
            if (d.isDefault && !d.hidden && !d.disabled) {
                Queue(w, EventAccepted, d.number, keycode);
                return;
            }
        }
    } else if (c && c->kind == KindList) {
        MoveHighlight(w, *c, keycode);
    }
}

// Alt with a control's marked letter: a button is pressed, any other control takes the focus
// (a prompt hands it to the control after it). When several controls share the letter, Alt moves
// the focus to the next of them and presses nothing: Enter or Space then presses a button. False
// when no visible, enabled control has the letter.
bool AcceptLoop::PressAccelerator(Window& w, int keycode) {
    if ((keycode & ~0xFF) != AltKey || keycode == AltKey) return false;
    std::vector<int> marked;
    for (const Control& c : w.controls_) {
        if (!c.hidden && !c.disabled && c.Accelerator() == (keycode & 0xFF))
            marked.push_back(c.number);
    }
    if (marked.empty()) return false;
    if (marked.size() == 1) {
        Control& c = *w.Get(marked[0]);
        if (c.kind == KindButton) {
            w.focus_ = c.number;
            Queue(w, EventAccepted, c.number, keycode);
        } else {
            w.Select(c.number);
        }
        return true;
    }
    w.Select(marked[NextShared(w, marked)]);
    return true;
}

// Which of the controls sharing a letter comes after the one holding the focus, in tab order.
size_t AcceptLoop::NextShared(Window& w, const std::vector<int>& marked) {
    for (size_t i = 0; i < marked.size(); ++i) {
        if (FocusTarget(w, marked[i]) == w.focus_) return (i + 1) % marked.size();
    }
    return 0;
}

// The control that takes the focus when `control` is chosen: itself, or after a prompt the next
// one that can hold it.
int AcceptLoop::FocusTarget(Window& w, int control) {
    int n = w.ControlCount();
    for (int k = 0; k < n; ++k) {
        const Control& c = w.controls_[(control - 1 + k) % n];
        if (c.CanFocus()) return c.number;
    }
    return 0;
}

void AcceptLoop::ClickRow(Window& w, const Input& in) {
    Control* list = w.Get(in.control);
    if (!list) return;
    int key = in.kind == Input::DoubleClick  ? MouseLeft2
              : in.kind == Input::RightClick ? MouseRight
                                             : MouseLeft;
    SetKeycode(key);
    w.focus_ = list->number;
    bool moved = in.row >= 1 && in.row <= list->RowCount() && in.row != list->selected;
    if (in.row >= 1 && in.row <= list->RowCount()) list->selected = in.row;
    if (w.IsAlerted(list->number, key)) {
        Queue(w, EventAlertKey, list->number, key);
    } else if (in.kind == Input::DoubleClick) {
        Queue(w, EventAccepted, list->number, key);
    } else if (moved || in.kind == Input::RightClick) {
        Queue(w, EventNewSelection, list->number, key);
    }
}

// Turns one input into events on the window's queue; false when the window was abandoned.
bool AcceptLoop::TakeInput(Window& w, const Input& in) {
    switch (in.kind) {
        case Input::Key:
            TakeKey(w, in);
            break;
        case Input::Press:
            SetKeycode(MouseLeft);
            w.focus_ = in.control;
            Queue(w, EventAccepted, in.control, MouseLeft);
            break;
        case Input::Text: {
            Control* c = w.Get(in.control);
            if (!c) break;
            c->text = in.text;
            c->changed = true;
            w.focus_ = c->number;
            if (w.Update(c->number)) {
                Queue(w, EventAccepted, c->number, 0);
                break;
            }
            if (FrontEnd* fe = CurrentFrontEnd()) fe->TextRefused(w);
            Queue(w, EventRejected, c->number, 0);
            break;
        }
        case Input::Click:
        case Input::DoubleClick:
        case Input::RightClick:
            ClickRow(w, in);
            break;
        case Input::Scroll: {
            // A list outside immediate mode scrolls itself, as for the arrow and page keys.
            Control* c = w.Get(in.control);
            constexpr int kKeys[] = {UpKey, DownKey, PgUpKey, PgDnKey, HomeKey, EndKey};
            if (c && c->kind == KindList && !c->immediate && in.event >= EventScrollUp &&
                in.event <= EventScrollBottom) {
                MoveHighlight(w, *c, kKeys[in.event - EventScrollUp]);
            } else {
                Queue(w, in.event, in.control, 0);
            }
            break;
        }
        case Input::Thumb:
            if (Control* c = w.Get(in.control)) c->thumb = std::clamp(in.row, 0, 100);
            Queue(w, EventScrollDrag, in.control, 0);
            break;
        case Input::Resize:
            w.SetSize(in.width, in.height);
            break;
        case Input::Maximize:
            w.Maximize(in.width, in.height);
            break;
        case Input::Restore:
            w.Restore();
            break;
        case Input::Iconize:
            w.Iconize();
            break;
        case Input::Close:
            Queue(w, EventCloseWindow, 0, 0);
            break;
        case Input::Abort:
            w.Close();
            return false;
    }
    return true;
}

bool Accept(Window& window) { return AcceptLoop::Accept(window); }

const EventRecord& CurrentEvent() {
    Window* w = CurrentWindow();
    return w ? AcceptLoop::Current(*w) : kNoEvent;
}

void Consume() {
    if (Window* w = CurrentWindow()) AcceptLoop::Consume(*w);
}

}  // namespace tarn::ui
