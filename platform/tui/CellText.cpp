#include "platform/tui/CellText.h"

#include <langinfo.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "platform/system/ControlEscape.h"

namespace tarn::tui {

namespace {

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

bool Utf8Terminal() { return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0; }

// The code point of the valid UTF-8 character at text[at].
char32_t Decode(std::string_view text, size_t at) {
    const unsigned char lead = text[at];
    const int length = CharLength(lead);
    if (length == 1) return lead;
    char32_t cp = lead & (0x7F >> length);
    for (int i = 1; i < length && at + i < text.size(); ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    return cp;
}

// The cells of one character; -1 for one the locale does not know as printable.
int CharCells(std::string_view text, size_t at) {
    const char32_t cp = Decode(text, at);
    if (cp < 0x80) return 1;
    return wcwidth(static_cast<wchar_t>(cp));
}

// The bytes of the longest start of `visible` that fits `width` cells; at least one character,
// so that a line always moves on.
size_t BytesInCells(std::string_view visible, int width) {
    size_t at = 0;
    int cells = 0;
    while (at < visible.size()) {
        const int w = std::max(0, CharCells(visible, at));
        if (cells + w > width && at > 0) break;
        cells += w;
        at = NextChar(visible, at);
    }
    return at;
}

// Breaks one visible line (no newlines) at blanks into lines of at most `width` cells.
void WrapLine(std::string_view visible, int width, std::vector<std::string>& out) {
    std::string line;
    int lineCells = 0;
    size_t start = 0;
    for (;;) {
        const size_t blank = visible.find(' ', start);
        std::string_view word = visible.substr(
            start, blank == std::string_view::npos ? std::string_view::npos : blank - start);
        const int cells = CellWidth(word);
        const int gap = line.empty() && lineCells == 0 ? 0 : 1;
        if (lineCells + gap + cells <= width) {
            if (gap) line += ' ';
            line += word;
            lineCells += gap + cells;
        } else {
            if (lineCells > 0 || !line.empty()) out.push_back(line);
            // A word wider than a line is cut between its characters.
            while (CellWidth(word) > width) {
                const size_t bytes = BytesInCells(word, width);
                out.emplace_back(word.substr(0, bytes));
                word.remove_prefix(bytes);
            }
            line = std::string(word);
            lineCells = CellWidth(word);
        }
        if (blank == std::string_view::npos) break;
        start = blank + 1;
    }
    out.push_back(line);
}

}  // namespace

int CharLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

size_t NextChar(std::string_view text, size_t at) {
    if (at >= text.size()) return text.size();
    size_t next = at + 1;
    while (next < text.size() && next < at + 4 && Continuation(text[next])) ++next;
    return next;
}

size_t PreviousChar(std::string_view text, size_t at) {
    if (at == 0) return 0;
    size_t previous = std::min(at, text.size()) - 1;
    while (previous > 0 && at - previous < 4 && Continuation(text[previous])) --previous;
    return previous;
}

std::string Visible(std::string_view text) {
    const std::string escaped = platform::EscapeControls(text);
    const bool utf8 = Utf8Terminal();
    std::string out;
    out.reserve(escaped.size());
    for (size_t at = 0; at < escaped.size();) {
        const size_t next = NextChar(escaped, at);
        if (static_cast<unsigned char>(escaped[at]) < 0x80) {
            out += escaped[at];
        } else if (!utf8 || CharCells(escaped, at) < 0) {
            out += '?';
        } else {
            out.append(escaped, at, next - at);
        }
        at = next;
    }
    return out;
}

int CellWidth(std::string_view visible) {
    int cells = 0;
    for (size_t at = 0; at < visible.size(); at = NextChar(visible, at))
        cells += std::max(0, CharCells(visible, at));
    return cells;
}

std::string Slice(std::string_view visible, int skip, int width) {
    std::string out;
    int cell = 0;
    int taken = 0;
    for (size_t at = 0; at < visible.size() && taken <= width;) {
        const size_t next = NextChar(visible, at);
        const int w = std::max(0, CharCells(visible, at));
        if (cell < skip) {
            // Cut by the left edge: its cells past the edge show blank.
            const int past = std::min(cell + w - skip, width - taken);
            if (past > 0) {
                out.append(past, ' ');
                taken += past;
            }
        } else if (taken + w > width) {
            out.append(width - taken, ' ');
            break;
        } else {
            out.append(visible.substr(at, next - at));
            taken += w;
        }
        cell += w;
        at = next;
    }
    return out;
}

std::string FitCells(std::string_view text, int width, char align) {
    if (width <= 0) return "";
    const std::string visible = Visible(text);
    const int cells = CellWidth(visible);
    if (cells >= width) return Slice(visible, 0, width);
    const int pad = width - cells;
    const int left = align == 'R' || align == 'D' ? pad : align == 'C' ? pad / 2 : 0;
    return std::string(left, ' ') + visible + std::string(pad - left, ' ');
}

std::vector<std::string> WrapCells(std::string_view text, int width, bool bars) {
    width = std::max(width, 1);
    std::vector<std::string> out;
    std::string line;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '\n';
        if (c == '\n' || (bars && c == '|')) {
            WrapLine(Visible(line), width, out);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    return out;
}

}  // namespace tarn::tui
