#include "platform/tui/KeyMap.h"

#include <cstdlib>
#include <vector>

#include "platform/tui/Curses.h"
#include "platform/ui/Events.h"

namespace tarn::tui {

using namespace tarn::ui;

namespace {

constexpr int kShift = ShiftKey;  // int, so sums with key codes stay plain ints
constexpr int kShiftF10 = kShift + F1Key + 9;

// Shift+F10 is the keyboard's other way to ask for the context menu.
int Normalised(int code) { return code == kShiftF10 ? AppsKey : code; }

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
        case KEY_SIC:
            return kShift + InsertKey;
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
    if (key > KEY_MAX) {
        if (const char* name = keyname(key)) return MapExtendedKeyName(name);
    }
    return 0;
}

// The modifier bits of a terminal's modifier parameter (1 + Shift 1, Alt 2, Ctrl 4).
int Modifiers(int parameter) {
    int bits = parameter > 1 ? parameter - 1 : 0;
    return (bits & 1 ? kShift : 0) + (bits & 2 ? AltKey : 0) + (bits & 4 ? CtrlKey : 0);
}

// The key of a character code in a modifier sequence, before the modifiers.
int KeyOfCode(int c) {
    switch (c) {
        case 13:
            return EnterKey;
        case 9:
            return TabKey;
        case 27:
            return EscKey;
        case 8:
        case 127:
            return BackspaceKey;
        default:
            break;
    }
    if (c < 32 || c > 126) return 0;
    // The modifiers say whether Shift was down; the character's own Shift is dropped.
    return KeyOfChar(static_cast<char>(c)) & ~kShift;
}

// The key of "CSI number ~".
int TildeKey(int number) {
    switch (number) {
        case 1:
        case 7:
            return HomeKey;
        case 2:
            return InsertKey;
        case 3:
            return DeleteKey;
        case 4:
        case 8:
            return EndKey;
        case 5:
            return PgUpKey;
        case 6:
            return PgDnKey;
        case 29:
            return AppsKey;  // the Menu key of xterm-like terminals
        default:
            break;
    }
    if (number >= 11 && number <= 15) return F1Key + number - 11;
    if (number >= 17 && number <= 21) return F1Key + 5 + number - 17;
    if (number == 23 || number == 24) return F1Key + 10 + number - 23;
    return 0;
}

// The key of a final letter: arrows, Home and End, F1..F4.
int LetterKey(char final) {
    switch (final) {
        case 'A':
            return UpKey;
        case 'B':
            return DownKey;
        case 'C':
            return RightKey;
        case 'D':
            return LeftKey;
        case 'H':
            return HomeKey;
        case 'F':
            return EndKey;
        case 'P':
        case 'Q':
        case 'R':
        case 'S':
            return F1Key + final - 'P';
        case 'M':
            return EnterKey;  // the keypad's Enter
        default:
            return 0;
    }
}

std::vector<int> Parameters(const std::string& text) {
    std::vector<int> out;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find(';', at);
        if (end == std::string::npos) end = text.size();
        out.push_back(std::atoi(text.substr(at, end - at).c_str()));
        at = end + 1;
    }
    return out;
}

}  // namespace

bool IsTypedChar(int key) { return key >= 32 && key < 256 && key != 127; }

int MapCursesKey(int key, int erase) {
    if (key >= KEY_MIN) return Normalised(MapNamedKey(key));
    switch (key) {
        case '\t':
            return TabKey;
        case '\r':
            return EnterKey;
        case '\n':
            return CtrlEnter;
        case 27:
            return EscKey;
        case 127:
            return BackspaceKey;
        case 8:
            return erase == 8 ? BackspaceKey : CtrlH;
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

int MapEscapeSequence(const std::string& sequence) {
    if (sequence.size() < 2) return 0;
    char final = sequence.back();
    if (sequence[0] == 'O') return sequence.size() == 2 ? LetterKey(final) : 0;
    if (sequence[0] != '[') return 0;
    std::vector<int> p = Parameters(sequence.substr(1, sequence.size() - 2));
    int modifiers = p.size() > 1 ? Modifiers(p[1]) : 0;
    int key = 0;
    if (final == '~' && p.size() == 3 && p[0] == 27) {
        key = KeyOfCode(p[2]);  // xterm's modifyOtherKeys: 27;modifiers;character
    } else if (final == '~') {
        key = TildeKey(p[0]);
    } else if (final == 'u') {
        key = KeyOfCode(p[0]);
    } else {
        key = LetterKey(final);
    }
    return key ? Normalised(key + modifiers) : 0;
}

int MapExtendedKeyName(const std::string& name) {
    static const struct {
        const char* prefix;
        int key;
    } kNames[] = {{"kUP", UpKey},     {"kDN", DownKey},  {"kLFT", LeftKey}, {"kRIT", RightKey},
                  {"kHOM", HomeKey},  {"kEND", EndKey},  {"kPRV", PgUpKey}, {"kNXT", PgDnKey},
                  {"kDC", DeleteKey}, {"kIC", InsertKey}};
    for (const auto& n : kNames) {
        std::string prefix = n.prefix;
        if (name.size() == prefix.size() + 1 && name.compare(0, prefix.size(), prefix) == 0) {
            char digit = name.back();
            if (digit >= '2' && digit <= '8') return Normalised(n.key + Modifiers(digit - '0'));
        }
    }
    return 0;
}

}  // namespace tarn::tui
