#pragma once
// Turns what curses reads into the runtime's key codes (Windows virtual keys with Shift 0x100,
// Ctrl 0x200, Alt 0x400).
//
// Two bytes need the terminal's settings: byte 8 is Ctrl+H (584) unless it is the terminal's
// erase character, which makes it Backspace, and byte 127 is always Backspace. Keys that
// terminals send only with a modifier protocol arrive as escape sequences curses does not know
// (CSI 13;5u for Ctrl+Enter, CSI 27;2;13~ for Shift+Enter): MapEscapeSequence reads them. The
// context-menu key arrives as 93 whether the terminal sends the Menu key (CSI 29~) or the user
// presses Shift+F10. Ctrl+J (a line feed; Enter sends a carriage return) stands in for
// Ctrl+Enter on terminals without a modifier protocol.
#include <string>

namespace tarn::tui {

// The key code of a curses key (KEY_* or a byte), 0 when it has none. Printable characters
// answer 0 here: they are typed text, see IsTypedChar. `erase` is the terminal's erase byte.
int MapCursesKey(int key, int erase = 127);
// True for a byte the user types into an entry.
bool IsTypedChar(int key);
// The key code of Alt with the key that followed ESC.
int MapAltKey(int key);
// The key code of the bytes that followed ESC in a sequence curses did not recognise ("[21;2~",
// "[13;5u", "OP"); 0 when it names no key.
int MapEscapeSequence(const std::string& sequence);
// The key code of a key curses knows by an extended name ("kDC5" is Ctrl+Delete); 0 otherwise.
int MapExtendedKeyName(const std::string& name);

}  // namespace tarn::tui
