#include "platform/ui/HeadlessFrontEnd.h"

#include <algorithm>
#include <cctype>

#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

namespace tarn::ui {

namespace {

// A caption as the user reads it: without '&' markers, lower case.
std::string Plain(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != '&') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

Step MakeStep(Step::Kind kind, int control = 0, int number = 0) {
    Step s;
    s.kind = kind;
    s.control = control;
    s.number = number;
    return s;
}

Input AbortInput() {
    Input in;
    in.kind = Input::Abort;
    return in;
}

Input CloseInput() {
    Input in;
    in.kind = Input::Close;
    return in;
}

}  // namespace

const ControlView* WindowView::Control(int number) const {
    for (const ControlView& c : controls)
        if (c.number == number) return &c;
    return nullptr;
}

std::string Step::Describe() const {
    std::string target = control != 0 ? std::to_string(control) : Quote(name);
    switch (kind) {
        case Press:
            return "press " + target;
        case Type:
            return "type " + Quote(text) + " into " + target;
        case Key:
            return "key " + (text.empty() ? std::to_string(number) : Quote(text));
        case Click:
            return "click row " + std::to_string(number) + " of " + target;
        case DoubleClick:
            return "double click row " + std::to_string(number) + " of " + target;
        case RightClick:
            return "right click row " + std::to_string(number) + " of " + target;
        case Scroll:
            return "scroll event " + std::to_string(number) + " on " + target;
        case Thumb:
            return "thumb to " + std::to_string(number) + " on " + target;
        case Popup:
            return "popup item " + (text.empty() ? std::to_string(number) : Quote(text));
        case Answer:
            return "answer " + std::to_string(number);
        case Resize:
            return "resize to " + std::to_string(width) + "x" + std::to_string(height);
        case Maximize:
            return "maximize";
        case Restore:
            return "restore";
        case Iconize:
            return "iconize";
        case Close:
            return "close";
        case Wait:
            return "wait " + std::to_string(number);
    }
    return "step";
}

HeadlessFrontEnd::HeadlessFrontEnd() = default;

HeadlessFrontEnd::~HeadlessFrontEnd() { Detach(); }

void HeadlessFrontEnd::Attach() {
    if (attached_) return;
    attached_ = true;
    oldFrontEnd_ = SetFrontEnd(this);
    oldMessageBox_ = CurrentMessageBoxFrontEnd();
    SetMessageBoxFrontEnd(this);
}

void HeadlessFrontEnd::Detach() {
    if (!attached_) return;
    attached_ = false;
    SetFrontEnd(oldFrontEnd_);
    SetMessageBoxFrontEnd(oldMessageBox_);
}

HeadlessFrontEnd& HeadlessFrontEnd::Add(Step step) {
    if (!pendingTitle_.empty()) {
        step.window = pendingTitle_;
        pendingTitle_.clear();
    }
    script_.push_back(std::move(step));
    return *this;
}

HeadlessFrontEnd& HeadlessFrontEnd::In(std::string title) {
    pendingTitle_ = std::move(title);
    return *this;
}

HeadlessFrontEnd& HeadlessFrontEnd::Press(int control) {
    return Add(MakeStep(Step::Press, control));
}

HeadlessFrontEnd& HeadlessFrontEnd::Press(std::string nameOrText) {
    Step s = MakeStep(Step::Press);
    s.name = std::move(nameOrText);
    return Add(std::move(s));
}

HeadlessFrontEnd& HeadlessFrontEnd::Type(int control, std::string text) {
    Step s = MakeStep(Step::Type, control);
    s.text = std::move(text);
    return Add(std::move(s));
}

HeadlessFrontEnd& HeadlessFrontEnd::Type(std::string nameOrText, std::string text) {
    Step s = MakeStep(Step::Type);
    s.name = std::move(nameOrText);
    s.text = std::move(text);
    return Add(std::move(s));
}

HeadlessFrontEnd& HeadlessFrontEnd::Key(int keycode, int control) {
    return Add(MakeStep(Step::Key, control, keycode));
}

HeadlessFrontEnd& HeadlessFrontEnd::Char(char c, int control) {
    Step s = MakeStep(Step::Key, control, KeyOfChar(c));
    s.text = std::string(1, c);
    return Add(std::move(s));
}

HeadlessFrontEnd& HeadlessFrontEnd::Click(int control, int row) {
    return Add(MakeStep(Step::Click, control, row));
}

HeadlessFrontEnd& HeadlessFrontEnd::DoubleClick(int control, int row) {
    return Add(MakeStep(Step::DoubleClick, control, row));
}

HeadlessFrontEnd& HeadlessFrontEnd::RightClick(int control, int row) {
    return Add(MakeStep(Step::RightClick, control, row));
}

HeadlessFrontEnd& HeadlessFrontEnd::Scroll(int control, int event) {
    return Add(MakeStep(Step::Scroll, control, event));
}

HeadlessFrontEnd& HeadlessFrontEnd::Thumb(int control, int percent) {
    return Add(MakeStep(Step::Thumb, control, percent));
}

HeadlessFrontEnd& HeadlessFrontEnd::ChoosePopupItem(int number) {
    return Add(MakeStep(Step::Popup, 0, number));
}

HeadlessFrontEnd& HeadlessFrontEnd::ChoosePopupItem(std::string text) {
    Step s = MakeStep(Step::Popup);
    s.text = std::move(text);
    return Add(std::move(s));
}

HeadlessFrontEnd& HeadlessFrontEnd::Answer(int button) {
    return Add(MakeStep(Step::Answer, 0, button));
}

HeadlessFrontEnd& HeadlessFrontEnd::Resize(int width, int height) {
    Step s = MakeStep(Step::Resize);
    s.width = width;
    s.height = height;
    return Add(std::move(s));
}

HeadlessFrontEnd& HeadlessFrontEnd::Maximize(int width, int height) {
    Step s = MakeStep(Step::Maximize);
    s.width = width;
    s.height = height;
    return Add(std::move(s));
}

HeadlessFrontEnd& HeadlessFrontEnd::Restore() { return Add(MakeStep(Step::Restore)); }
HeadlessFrontEnd& HeadlessFrontEnd::Iconize() { return Add(MakeStep(Step::Iconize)); }
HeadlessFrontEnd& HeadlessFrontEnd::Close() { return Add(MakeStep(Step::Close)); }

HeadlessFrontEnd& HeadlessFrontEnd::Wait(int hundredths) {
    return Add(MakeStep(Step::Wait, 0, hundredths));
}

const WindowView* HeadlessFrontEnd::LastView(std::string_view title) const {
    for (auto it = views_.rbegin(); it != views_.rend(); ++it)
        if (title.empty() || it->title == title) return &*it;
    return nullptr;
}

void HeadlessFrontEnd::Fail(std::string message) { failures_.push_back(std::move(message)); }

void HeadlessFrontEnd::Opened(Window& window) { fresh_.push_back(&window); }

void HeadlessFrontEnd::Closed(Window& window) {
    fresh_.erase(std::remove(fresh_.begin(), fresh_.end(), &window), fresh_.end());
}

void HeadlessFrontEnd::Record(const Window& window) {
    auto f = std::find(fresh_.begin(), fresh_.end(), &window);
    if (f != fresh_.end()) {
        fresh_.erase(f);
        titles_.push_back(window.title);
    }
    WindowView v;
    v.title = window.title;
    v.hidden = window.IsHidden();
    v.rect = window.rect;
    v.step = next_;
    for (const ui::Control& c : window.Controls()) {
        ControlView cv;
        cv.number = c.number;
        cv.kind = c.kind;
        cv.name = c.name;
        cv.text = c.text;
        cv.enabled = !c.disabled;
        cv.hidden = c.hidden;
        cv.readOnly = c.readOnly;
        cv.focused = window.Focus() == c.number;
        cv.isDefault = c.isDefault;
        cv.selected = c.selected;
        cv.thumb = c.thumb;
        cv.vscroll = c.vscroll;
        cv.progress = c.progress;
        cv.rect = c.rect;
        int fields = static_cast<int>(c.columns.fields.size());
        for (int r = 1; r <= c.RowCount(); ++r) {
            std::vector<std::string> row;
            for (int f = 1; f <= fields; ++f) row.push_back(c.CellText(r, f));
            cv.rows.push_back(std::move(row));
        }
        v.controls.push_back(std::move(cv));
    }
    views_.push_back(std::move(v));
}

bool HeadlessFrontEnd::TitleMatches(const Step& step, const Window& window) {
    if (step.window.empty() || step.window == window.title) return true;
    Fail("step " + std::to_string(next_ + 1) + " (" + step.Describe() + ") expects window " +
         Quote(step.window) + " but window " + Quote(window.title) + " asks for input");
    return false;
}

int HeadlessFrontEnd::ResolveControl(const Step& step, const Window& window) {
    if (step.control != 0) return window.Get(step.control) ? step.control : 0;
    if (int n = window.Find(step.name)) return n;
    std::string wanted = Plain(step.name);
    for (const ui::Control& c : window.Controls())
        if (!wanted.empty() && Plain(c.text) == wanted) return c.number;
    return 0;
}

std::optional<Input> HeadlessFrontEnd::Play(const Step& step, Window& window) {
    std::string where = "step " + std::to_string(next_) + " (" + step.Describe() + "): ";
    Input in;
    switch (step.kind) {
        case Step::Resize:
            in.kind = Input::Resize;
            in.width = step.width;
            in.height = step.height;
            return in;
        case Step::Maximize:
            in.kind = Input::Maximize;
            in.width = step.width;
            in.height = step.height;
            return in;
        case Step::Restore:
            in.kind = Input::Restore;
            return in;
        case Step::Iconize:
            in.kind = Input::Iconize;
            return in;
        case Step::Close:
            in.kind = Input::Close;
            return in;
        default:
            break;
    }
    int control = 0;
    if (step.kind != Step::Key || step.control != 0 || !step.name.empty()) {
        control = ResolveControl(step, window);
        if (control == 0) {
            Fail(where + "window " + Quote(window.title) + " has no such control");
            return AbortInput();
        }
        const ui::Control* c = window.Get(control);
        if (c->hidden || c->disabled) {
            Fail(where + "control " + std::to_string(control) + " of window " +
                 Quote(window.title) + (c->hidden ? " is hidden" : " is disabled"));
            return AbortInput();
        }
        bool isList = c->kind == KindList;
        bool rowStep = step.kind == Step::Click || step.kind == Step::DoubleClick ||
                       step.kind == Step::RightClick;
        if ((step.kind == Step::Type && (!c->IsEditable() || c->readOnly)) ||
            ((rowStep || step.kind == Step::Scroll || step.kind == Step::Thumb) && !isList) ||
            (rowStep && (step.number < 1 || step.number > c->RowCount()))) {
            Fail(where + "control " + std::to_string(control) + " of window " +
                 Quote(window.title) + " cannot take it");
            return AbortInput();
        }
    }
    in.control = control;
    switch (step.kind) {
        case Step::Press:
            in.kind = Input::Press;
            break;
        case Step::Type:
            in.kind = Input::Text;
            in.text = step.text;
            break;
        case Step::Key:
            in.kind = Input::Key;
            in.keycode = step.number;
            in.character = step.text.empty() ? 0 : static_cast<unsigned char>(step.text[0]);
            break;
        case Step::Click:
            in.kind = Input::Click;
            in.row = step.number;
            break;
        case Step::DoubleClick:
            in.kind = Input::DoubleClick;
            in.row = step.number;
            break;
        case Step::RightClick:
            in.kind = Input::RightClick;
            in.row = step.number;
            break;
        case Step::Scroll:
            in.kind = Input::Scroll;
            in.event = step.number;
            break;
        case Step::Thumb:
            in.kind = Input::Thumb;
            in.row = step.number;
            break;
        default:
            break;
    }
    return in;
}

std::optional<Input> HeadlessFrontEnd::NextInput(Window& window, int64_t deadline) {
    if (!failures_.empty()) return AbortInput();
    // Time moves only through Wait steps and towards due timers.
    while (next_ < script_.size() || waitLeft_ > 0) {
        if (waitLeft_ > 0) {
            if (deadline >= 0 && deadline <= now_ + waitLeft_) {
                waitLeft_ -= std::max<int64_t>(0, deadline - now_);
                now_ = std::max(now_, deadline);
                return std::nullopt;
            }
            now_ += waitLeft_;
            waitLeft_ = 0;
            continue;
        }
        const Step& step = script_[next_];
        Record(window);
        if (!TitleMatches(step, window)) return AbortInput();
        if (step.kind == Step::Wait) {
            waitLeft_ = step.number;
            ++next_;
            continue;
        }
        if (step.kind == Step::Popup || step.kind == Step::Answer) {
            Fail("step " + std::to_string(next_ + 1) + " (" + step.Describe() + ") waits for " +
                 (step.kind == Step::Popup ? "a popup menu" : "a message box") + " but window " +
                 Quote(window.title) + " asks for input");
            return AbortInput();
        }
        if (window.IsHidden()) {
            // Nobody can click a window that is not on the screen.
            Fail("step " + std::to_string(next_ + 1) + " (" + step.Describe() + "): window " +
                 Quote(window.title) + " is hidden");
            return AbortInput();
        }
        ++next_;
        return Play(step, window);
    }
    if (deadline >= 0 && idleTimers_ < idleTimerLimit_) {
        ++idleTimers_;
        now_ = std::max(now_, deadline);
        return std::nullopt;
    }
    Record(window);
    return CloseInput();
}

int HeadlessFrontEnd::ChoosePopup(const std::vector<PopupItem>& items, int, int) {
    popups_.push_back(items);
    if (!failures_.empty() || next_ >= script_.size()) return 0;
    const Step& step = script_[next_];
    if (step.kind != Step::Popup) {
        Fail("a popup menu was shown but step " + std::to_string(next_ + 1) + " is " +
             step.Describe());
        return 0;
    }
    ++next_;
    if (step.text.empty()) return step.number;
    for (const PopupItem& item : items)
        if (item.number > 0 && Plain(item.text) == Plain(step.text)) return item.number;
    Fail("step " + std::to_string(next_) + " (" + step.Describe() + "): the menu has no such item");
    return 0;
}

int HeadlessFrontEnd::Ask(const MessageBoxRequest& request) {
    messages_.push_back(request);
    if (!failures_.empty() || next_ >= script_.size()) return request.defaultButton;
    const Step& step = script_[next_];
    if (step.kind != Step::Answer) {
        Fail("message box " + Quote(MessageBoxLine(request)) + " was asked but step " +
             std::to_string(next_ + 1) + " is " + step.Describe());
        return request.defaultButton;
    }
    ++next_;
    return step.number;
}

}  // namespace tarn::ui
