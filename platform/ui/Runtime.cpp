#include "platform/ui/Runtime.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <vector>

#include "platform/ui/Events.h"
#include "platform/ui/ThreadWindows.h"

namespace tarn::ui {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<int, std::vector<Window*>> stacks;  // by thread number, innermost last
};

Registry& Windows() {
    static Registry registry;
    return registry;
}

std::atomic<FrontEnd*> gFrontEnd{nullptr};
std::atomic<int> gNextThread{1};
thread_local int tThread = 0;
thread_local int tKeycode = 0;
thread_local int tKeychar = 0;
std::atomic<bool> gWaitCursor{false};

}  // namespace

int64_t MonotonicHundredths() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() / 10;
}

int64_t FrontEnd::Now() { return MonotonicHundredths(); }

Window* PushThreadWindow(Window* window) {
    Registry& r = Windows();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto& stack = r.stacks[ThreadNumber()];
    Window* below = stack.empty() ? nullptr : stack.back();
    stack.push_back(window);
    return below;
}

Window* RemoveThreadWindow(Window* window, int thread) {
    Registry& r = Windows();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.stacks.find(thread);
    if (it == r.stacks.end()) return nullptr;
    auto& stack = it->second;
    auto pos = std::find(stack.begin(), stack.end(), window);
    if (pos == stack.end()) return nullptr;
    bool wasTop = pos + 1 == stack.end();
    stack.erase(pos);
    if (stack.empty()) {
        r.stacks.erase(it);
        return nullptr;
    }
    return wasTop ? stack.back() : nullptr;
}

Window* CurrentWindow() {
    Registry& r = Windows();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.stacks.find(ThreadNumber());
    return it == r.stacks.end() || it->second.empty() ? nullptr : it->second.back();
}

int ThreadNumber() {
    if (tThread == 0) tThread = gNextThread.fetch_add(1);
    return tThread;
}

// Runs f on the innermost window of a thread while the registry is held, so the window cannot
// close under it; false when the thread has no open window.
template <class F>
bool WithTopWindow(int thread, F f) {
    Registry& r = Windows();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.stacks.find(thread);
    if (it == r.stacks.end() || it->second.empty()) return false;
    f(*it->second.back());
    return true;
}

bool PostToThread(int thread, int event, int control, int parameter) {
    return WithTopWindow(thread, [&](Window& w) { w.Post(event, control, parameter); });
}

bool Notify(int code, int thread, int parameter) {
    int from = ThreadNumber();
    return WithTopWindow(thread, [&](Window& w) { w.PostNotify(code, from, parameter); });
}

int Event() { return CurrentEvent().event; }
int Field() { return CurrentEvent().control; }
int Keycode() { return tKeycode; }
int Keychar() { return tKeychar; }

void SetKeycode(int keycode, int character) {
    tKeycode = keycode;
    tKeychar = character;
}

bool Notification(int& code, int& thread, int& parameter) {
    const EventRecord& e = CurrentEvent();
    if (e.event != EventNotify) return false;
    code = e.notifyCode;
    thread = e.notifyThread;
    parameter = e.parameter;
    return true;
}

void Yield() {
    if (FrontEnd* fe = CurrentFrontEnd()) fe->Wake();
}

void SetWaitCursor(bool wait) {
    gWaitCursor = wait;
    if (FrontEnd* fe = CurrentFrontEnd()) fe->CursorChanged(wait);
}

bool WaitCursor() { return gWaitCursor; }

void Beep() {
    if (FrontEnd* fe = CurrentFrontEnd()) fe->Beep();
}

FrontEnd* SetFrontEnd(FrontEnd* frontEnd) { return gFrontEnd.exchange(frontEnd); }
FrontEnd* CurrentFrontEnd() { return gFrontEnd.load(); }

int64_t UiNow() {
    FrontEnd* fe = CurrentFrontEnd();
    return fe ? fe->Now() : MonotonicHundredths();
}

}  // namespace tarn::ui
