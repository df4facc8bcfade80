#pragma once
// Turns what curses reads into the runtime's key codes (Windows virtual keys with Shift 0x100,
// Ctrl 0x200, Alt 0x400).
namespace tarn::tui {

// The key code of a curses key (KEY_* or a byte), 0 when it has none. Printable characters
// answer 0 here: they are typed text, see IsTypedChar.
int MapCursesKey(int key);
// True for a byte the user types into an entry.
bool IsTypedChar(int key);
// The key code of Alt with the key that followed ESC.
int MapAltKey(int key);

}  // namespace tarn::tui
