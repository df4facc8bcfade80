#pragma once
// The accept loop and the current event of the calling thread.
//
//   while (Accept(window)) {              // false once the window has closed
//       Level r = HandleEvent();          // reads Event(), Field(), Keycode()
//       if (r == LevelFatal) break;
//       if (r != LevelQuiet) Consume();   // the runtime skips its own handling of this event
//   }
//
// Own handling of an event (run by the next Accept unless consumed): 513 and 514 close the
// window. Keys that are not alerted are handled as they arrive: Tab and Shift+Tab move the
// focus, Enter presses the focused button or else the default button, Alt with a caption's marked
// letter presses that button (or focuses that control), Esc posts 513, the arrow
// and page keys (and the wheel and scroll-bar clicks) move a list's highlight (event 2) or, in
// immediate mode, arrive as events 3 to 8.
// An alerted key arrives as event 15 and gets no other handling.
#include <optional>
#include <string>

#include "platform/ui/FrontEnd.h"
#include "platform/ui/Window.h"

namespace tarn::ui {

// Finishes the previous event and delivers the next one; false once the window has closed
// (it is then closed and off the thread's stack).
bool Accept(Window& window);

// The event being handled by the thread's innermost open window.
int Event();
int Field();
int Keycode();
const EventRecord& CurrentEvent();
// Skips the runtime's own handling of the current event.
void Consume();

// The character the current key typed, with its case ('a' or 'A'); 0 for keys that type none
// (arrows, clicks). A locator reads it, since key codes do not tell 'a' from 'A' without Shift.
int Keychar();

// The thread's last key code and its character (set by keys and clicks; a procedure may clear
// them).
void SetKeycode(int keycode, int character = 0);

// The innermost open window of the calling thread, or nullptr.
Window* CurrentWindow();
// The runtime's number of the calling thread (1 for the first thread that asks).
int ThreadNumber();

// Posts to the innermost window of a thread; false when that thread has no open window.
bool PostToThread(int thread, int event, int control = 0, int parameter = 0);
// Sends a notification (event 522) to the innermost window of a thread.
bool Notify(int code, int thread, int parameter = 0);
// The code, sending thread and parameter of the current event 522; false for other events.
bool Notification(int& code, int& thread, int& parameter);

// Lets the front end catch up (draw, read the terminal) between long pieces of work; events
// are still handled only by Accept.
void Yield();

void SetWaitCursor(bool wait);
bool WaitCursor();
void Beep();

// Sets the front end; nullptr: none (events come only from posts and timers). Returns the old.
FrontEnd* SetFrontEnd(FrontEnd* frontEnd);
FrontEnd* CurrentFrontEnd();
// Now() of the front end, or the steady clock without one.
int64_t UiNow();

}  // namespace tarn::ui
