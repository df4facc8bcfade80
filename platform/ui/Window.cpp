#include "platform/ui/Window.h"

#include <algorithm>

#include "platform/system/NoCase.h"
#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/ThreadWindows.h"

namespace tarn::ui {

Window::Window(const WindowDef& def)
    : title(def.title), icon(def.icon), font(def.font), fontSize(def.fontSize), rect(def.rect) {
    for (const ControlDef& c : def.controls) AddControl(c);
}

Window::~Window() {
    if (open_) Close();
}

int Window::AddControl(const ControlDef& def) {
    int number = static_cast<int>(controls_.size()) + 1;
    controls_.push_back(MakeControl(number, def));
    return number;
}

Control* Window::Get(int control) {
    if (control < 1 || control > static_cast<int>(controls_.size())) return nullptr;
    return &controls_[control - 1];
}

const Control* Window::Get(int control) const { return const_cast<Window*>(this)->Get(control); }

int Window::Find(std::string_view name) const {
    for (const Control& c : controls_)
        if (!c.name.empty() && platform::EqualNoCase(c.name, name)) return c.number;
    return 0;
}

bool Window::Open() {
    if (open_) return false;
    open_ = true;
    thread_ = ThreadNumber();
    normalRect_ = rect;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.push_front(EventRecord{EventOpenWindow});
    }
    delivered_ = false;
    current_ = EventRecord{};
    focus_ = 0;
    for (const Control& c : controls_) {
        if (c.CanFocus()) {
            focus_ = c.number;
            break;
        }
    }
    timerDue_ = timer_ > 0 ? UiNow() + timer_ : -1;
    if (Window* below = PushThreadWindow(this)) below->Post(EventLoseFocus);
    if (FrontEnd* fe = CurrentFrontEnd()) fe->Opened(*this);
    return true;
}

void Window::Close() {
    if (!open_) return;
    open_ = false;
    acceptAll_ = 0;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.clear();
    }
    if (FrontEnd* fe = CurrentFrontEnd()) fe->Closed(*this);
    if (Window* top = RemoveThreadWindow(this, thread_)) top->Post(EventGainFocus);
    thread_ = 0;
}

void Window::Hide() { hidden_ = true; }
void Window::Show() { hidden_ = false; }

void Window::Post(int event, int control, int parameter) {
    EventRecord r;
    r.event = event;
    r.control = control;
    r.parameter = parameter;
    Enqueue(r);
}

void Window::PostNotify(int code, int fromThread, int parameter) {
    EventRecord r;
    r.event = EventNotify;
    r.parameter = parameter;
    r.notifyCode = code;
    r.notifyThread = fromThread;
    Enqueue(r);
}

void Window::Enqueue(const EventRecord& record) {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.push_back(record);
    }
    queueReady_.notify_all();
    if (FrontEnd* fe = CurrentFrontEnd()) fe->Wake();
}

void Window::SetTimer(int hundredths) {
    timer_ = std::max(0, hundredths);
    timerDue_ = timer_ > 0 ? UiNow() + timer_ : -1;
}

bool Window::Select(int control) {
    if (!Get(control)) return false;
    acceptAll_ = 0;
    // A control that cannot hold the focus (a prompt) hands it to the next one that can.
    int n = ControlCount();
    for (int k = 0; k < n; ++k) {
        const Control& c = controls_[(control - 1 + k) % n];
        if (c.CanFocus()) {
            focus_ = c.number;
            Post(EventSelected, focus_);
            return true;
        }
    }
    return true;
}

void Window::FocusNext(bool backwards) {
    int n = ControlCount();
    if (n == 0) return;
    int start = focus_ > 0 ? focus_ - 1 : (backwards ? 0 : n - 1);
    for (int k = 1; k <= n; ++k) {
        int i = backwards ? (start - k + n * 2) % n : (start + k) % n;
        if (controls_[i].CanFocus()) {
            focus_ = controls_[i].number;
            Post(EventSelected, focus_);
            return;
        }
    }
}

void Window::AcceptAll() { acceptAll_ = 1; }

void Window::Bind(int control, Binding binding) {
    Control* c = Get(control);
    if (!c) return;
    if (binding.picture.empty()) binding.picture = c->binding.picture;
    c->binding = std::move(binding);
}

void Window::Display(int control) {
    for (Control& c : controls_) {
        if ((control == 0 || c.number == control) && c.binding.type != Binding::None) {
            c.text = c.binding.Format();
            c.changed = false;
        }
    }
}

bool Window::Update(int control) {
    bool ok = true;
    for (Control& c : controls_) {
        if ((control == 0 || c.number == control) && c.binding.type != Binding::None &&
            c.IsEditable() && !c.readOnly) {
            if (!c.binding.Read(c.text)) ok = false;
        }
    }
    return ok;
}

void Window::Alert(int control, int keycode) {
    if (control == 0) {
        windowAlerts_.push_back(keycode);
    } else if (Control* c = Get(control)) {
        c->alertKeys.push_back(keycode);
    }
}

void Window::Unalert(int control, int keycode) {
    std::vector<int>* keys = &windowAlerts_;
    if (control != 0) {
        Control* c = Get(control);
        if (!c) return;
        keys = &c->alertKeys;
    }
    keys->erase(std::remove(keys->begin(), keys->end(), keycode), keys->end());
}

bool Window::IsAlerted(int control, int keycode) const {
    if (std::find(windowAlerts_.begin(), windowAlerts_.end(), keycode) != windowAlerts_.end())
        return true;
    const Control* c = Get(control);
    return c && c->HasAlert(keycode);
}

bool Window::SetFormat(int control, std::string_view format) {
    Control* c = Get(control);
    if (!c) return false;
    auto parsed = ParseListFormat(format);
    if (!parsed) return false;
    c->format = std::string(format);
    c->columns = *parsed;
    return true;
}

void Window::SetRows(int control, const RowSource* rows) {
    if (Control* c = Get(control)) c->rows = rows;
}

void Window::SetSelected(int control, int row) {
    if (Control* c = Get(control)) c->selected = row;
}

void Window::SetSize(int width, int height) {
    if (minWidth > 0) width = std::max(width, minWidth);
    if (minHeight > 0) height = std::max(height, minHeight);
    if (maxWidth > 0) width = std::min(width, maxWidth);
    if (maxHeight > 0) height = std::min(height, maxHeight);
    rect.width = width;
    rect.height = height;
    if (state_ == WindowState::Normal) normalRect_ = rect;
    Post(EventSized);
}

void Window::Maximize(int width, int height) {
    if (state_ == WindowState::Normal) normalRect_ = rect;
    state_ = WindowState::Maximized;
    rect.width = width;
    rect.height = height;
    Post(EventMaximized);
}

void Window::Restore() {
    if (state_ == WindowState::Normal) return;
    state_ = WindowState::Normal;
    rect = normalRect_;
    Post(EventRestored);
}

void Window::Iconize() {
    if (state_ == WindowState::Normal) normalRect_ = rect;
    state_ = WindowState::Iconized;
    Post(EventIconized);
}

void Window::MoveControl(int control, const Rect& place) {
    Control* c = Get(control);
    if (!c) return;
    if (deferredMoves_ > 0) {
        deferred_.emplace_back(control, place);
    } else {
        c->rect = place;
    }
}

void Window::SetDeferredMoves(int count) {
    deferredMoves_ = count;
    if (count > 0) return;
    for (const auto& [control, place] : deferred_) Get(control)->rect = place;
    deferred_.clear();
}

}  // namespace tarn::ui
