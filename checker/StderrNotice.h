#pragma once
// The checker's own notices to whoever watches its standard error (the journal under systemd).
#include <string>
#include <string_view>

namespace tarn::checker {

// Writes "tarnwatch: " + text as one line in one write, so lines of two writers never mix.
void SayOnStderr(std::string_view text);
// What the last driver call said went wrong, in the operating system's or SQLite's words when
// it gave any.
std::string LastErrorInWords();

}  // namespace tarn::checker
