#pragma once
// The checker's own notices to whoever watches its standard error (the journal under systemd).
#include <string_view>

namespace tarn::checker {

// Writes "tarnwatch: " + text as one line in one write, so lines of two writers never mix.
void SayOnStderr(std::string_view text);

}  // namespace tarn::checker
