#pragma once
// The stack of open windows of each thread (innermost last), shared by the window and the
// accept loop. Internal to the runtime.
namespace tarn::ui {

class Window;

// Puts the window on top of the calling thread's stack; returns the window it covers or nullptr.
Window* PushThreadWindow(Window* window);
// Takes the window off its thread's stack; returns the new innermost window when the removed
// one was on top, else nullptr.
Window* RemoveThreadWindow(Window* window, int thread);

}  // namespace tarn::ui
