#pragma once
// Who owns the terminal: curses between StartCurses and StopCurses, the program's normal output
// otherwise. Every way out (exit, quick_exit, SIGTERM, SIGINT, SIGHUP) gives the terminal back
// first; a program that defers SIGHUP and SIGTERM winds its windows down before it does.
namespace tarn::tui {

// Takes the terminal for curses (creating the screen the first time, resuming it later); false
// when curses cannot use this terminal.
bool StartCurses();
// Restores the terminal as it was; nothing when curses does not own it.
void StopCurses();
bool CursesActive();
// From now on SIGHUP and SIGTERM do not end the program at once: the first one is noted and a
// byte is written to wakeFd, so that the program closes its windows (as StopSignal tells it) and
// gives the terminal back itself. A second one ends it at once, as before.
void DeferStopSignals(int wakeFd);
// The deferred SIGHUP or SIGTERM received, 0 none.
int StopSignal();
// Ends the program by the deferred signal, as it would have ended without us; nothing when none
// came.
void RaiseStopSignal();
// The terminal's erase character as the user's settings had it when curses started (127 when
// unknown): the byte the Backspace key sends.
int EraseChar();

}  // namespace tarn::tui
