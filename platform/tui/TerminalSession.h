#pragma once
// Who owns the terminal: curses between StartCurses and StopCurses, the program's normal output
// otherwise. Every way out (exit, quick_exit, SIGTERM, SIGINT, SIGHUP) gives the terminal back
// first.
namespace tarn::tui {

// Takes the terminal for curses (creating the screen the first time, resuming it later); false
// when curses cannot use this terminal.
bool StartCurses();
// Restores the terminal as it was; nothing when curses does not own it.
void StopCurses();
bool CursesActive();
// The terminal's erase character as the user's settings had it when curses started (127 when
// unknown): the byte the Backspace key sends.
int EraseChar();

}  // namespace tarn::tui
