#pragma once
// Text from the list of services written where a terminal or a reader of lines will meet it (the
// daily log, standard error): control characters must neither start a new line nor reach the
// terminal, so they are written visibly instead.
#include <string>
#include <string_view>

namespace tarn::platform {

// text with CR, LF and TAB written as \r, \n and \t, and every other control character (C0,
// DEL, C1) and every byte that is not part of valid UTF-8 as \xHH, one per byte. Everything
// else, valid UTF-8 and the backslash included, stays byte for byte: names with a backslash of
// their own (systemd's "\x2d") keep reading as the operator wrote them.
std::string EscapeControls(std::string_view text);

}  // namespace tarn::platform
