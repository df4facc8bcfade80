#pragma once
// Text as the terminal shows it: measured in cells (a wide character such as 日 takes two, a
// combining accent none), control characters written visibly so that they never reach the
// terminal, and cut only between characters.
//
// Where the user's locale is not UTF-8 the terminal cannot show other characters: each is
// shown as '?' in one cell.
#include <string>
#include <string_view>
#include <vector>

namespace tarn::tui {

// `text` as it may be sent to the terminal: CR, LF and TAB as \r, \n and \t, other control
// characters and bytes that are not UTF-8 as \xHH, characters the terminal cannot show as '?'.
std::string Visible(std::string_view text);
// The cells a visible text takes.
int CellWidth(std::string_view visible);
// The part of a visible text from cell `skip` on that fits `width` cells; a wide character cut
// by either edge is replaced by blanks, so that the result takes exactly the cells it covers.
std::string Slice(std::string_view visible, int skip, int width);
// `text` made visible and fitted to exactly `width` cells: cut, or padded with blanks as
// `align` says ('L' left, 'R' or 'D' right, 'C' centred).
std::string FitCells(std::string_view text, int width, char align = 'L');
// `text` made visible and broken into lines of at most `width` cells: at '|' and newlines
// when `bars`, else at newlines only; at the last blank that fits; inside a word only when the
// word alone is wider than a line.
std::vector<std::string> WrapCells(std::string_view text, int width, bool bars = true);

// The byte where the character after the one at `at` starts (the size at the end).
size_t NextChar(std::string_view text, size_t at);
// The byte where the character before `at` starts (0 at the start).
size_t PreviousChar(std::string_view text, size_t at);
// The bytes of one character that starts with `lead`: 1 to 4 (1 for a byte that starts none).
int CharLength(unsigned char lead);

}  // namespace tarn::tui
