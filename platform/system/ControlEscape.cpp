#include "platform/system/ControlEscape.h"

namespace tarn::platform {

namespace {

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the valid UTF-8 character at text[at] (overlong forms and surrogates are not
// valid), or 0.
size_t Utf8Length(std::string_view text, size_t at) {
    const unsigned char c = text[at];
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    }
    if (length == 0 || at + length > text.size()) return 0;
    const unsigned char second = text[at + 1];
    if (second < low || second > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (!Continuation(text[at + i])) return 0;
    return length;
}

void AppendHex(std::string& out, unsigned char c) {
    static const char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[c >> 4];
    out += kDigits[c & 0xF];
}

}  // namespace

std::string EscapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const unsigned char c = text[at];
        if (c >= 0x20 && c < 0x7F) {
            out += char(c);
            ++at;
            continue;
        }
        if (c == '\r' || c == '\n' || c == '\t') {
            out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : "\\t";
            ++at;
            continue;
        }
        const size_t length = c >= 0x80 ? Utf8Length(text, at) : 0;
        // C1 controls are U+0080 to U+009F: 0xC2 followed by 0x80 to 0x9F.
        const bool c1 = length == 2 && c == 0xC2 && (unsigned char)text[at + 1] <= 0x9F;
        if (length == 0 || c1) {
            for (size_t i = 0; i < (c1 ? 2u : 1u); ++i) AppendHex(out, text[at + i]);
            at += c1 ? 2 : 1;
            continue;
        }
        out.append(text.substr(at, length));
        at += length;
    }
    return out;
}

}  // namespace tarn::platform
