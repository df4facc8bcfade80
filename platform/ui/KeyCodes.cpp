#include <cstring>

#include "platform/ui/Events.h"

namespace tarn::ui {

namespace {

// Punctuation keys of a US keyboard: the character without Shift, with Shift, its key code.
struct PunctuationKey {
    char plain;
    char shifted;
    int code;
};

constexpr PunctuationKey kPunctuation[] = {
    {';', ':', 0xBA},  {'=', '+', 0xBB}, {',', '<', 0xBC},  {'-', '_', 0xBD},
    {'.', '>', 0xBE},  {'/', '?', 0xBF}, {'`', '~', 0xC0},  {'[', '{', 0xDB},
    {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE},
};

// The characters Shift makes of the digits 0 to 9.
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

}  // namespace

int KeyOfChar(char c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if (c >= 'A' && c <= 'Z') return ShiftKey + c;
    if ((c >= '0' && c <= '9') || c == ' ') return c;
    if (c != 0) {
        if (const char* d = std::strchr(kShiftedDigits, c))
            return ShiftKey + '0' + (d - kShiftedDigits);
    }
    for (const PunctuationKey& k : kPunctuation) {
        if (c == k.plain) return k.code;
        if (c == k.shifted) return ShiftKey + k.code;
    }
    return 0;
}

}  // namespace tarn::ui
