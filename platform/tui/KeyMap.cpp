#include "platform/tui/KeyMap.h"

#include "platform/tui/Curses.h"
#include "platform/ui/Events.h"

namespace tarn::tui {

using namespace tarn::ui;

namespace {

constexpr int kShift = ShiftKey;  // int, so sums with key codes stay plain ints

// Keys curses names itself.
int MapNamedKey(int key) {
    switch (key) {
        case KEY_UP:
            return UpKey;
        case KEY_DOWN:
            return DownKey;
        case KEY_LEFT:
            return LeftKey;
        case KEY_RIGHT:
            return RightKey;
        case KEY_SR:
            return kShift + UpKey;
        case KEY_SF:
            return kShift + DownKey;
        case KEY_SLEFT:
            return kShift + LeftKey;
        case KEY_SRIGHT:
            return kShift + RightKey;
        case KEY_PPAGE:
            return PgUpKey;
        case KEY_NPAGE:
            return PgDnKey;
        case KEY_HOME:
            return HomeKey;
        case KEY_END:
            return EndKey;
        case KEY_SHOME:
            return kShift + HomeKey;
        case KEY_SEND:
            return kShift + EndKey;
        case KEY_IC:
            return InsertKey;
        case KEY_DC:
            return DeleteKey;
        case KEY_SDC:
            return kShift + DeleteKey;
        case KEY_BTAB:
            return ShiftTab;
        case KEY_ENTER:
            return EnterKey;
        case KEY_BACKSPACE:
            return BackspaceKey;
        default:
            break;
    }
    // F1..F12 plain, F13..F24 as curses reports Shift+F1..F12.
    if (key >= KEY_F(1) && key <= KEY_F(12)) return F1Key + key - KEY_F(1);
    if (key >= KEY_F(13) && key <= KEY_F(24)) return kShift + F1Key + key - KEY_F(13);
    return 0;
}

}  // namespace

bool IsTypedChar(int key) { return key >= 32 && key < 256 && key != 127; }

int MapCursesKey(int key) {
    if (key >= KEY_MIN) return MapNamedKey(key);
    switch (key) {
        case '\t':
            return TabKey;
        case '\r':
        case '\n':
            return EnterKey;
        case 27:
            return EscKey;
        case 127:
            return BackspaceKey;
        case 8:
            return CtrlH;
        default:
            break;
    }
    if (key >= 1 && key <= 26) return CtrlKey + 'A' + key - 1;
    return 0;
}

int MapAltKey(int key) {
    if (key >= 'a' && key <= 'z') return AltKey + key - 'a' + 'A';
    if (IsTypedChar(key)) return AltKey + key;
    int code = MapCursesKey(key);
    return code ? AltKey + code : 0;
}

}  // namespace tarn::tui
