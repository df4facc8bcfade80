#pragma once
// Result levels, question buttons and message icons shared by every framework operation.
#include <cstdint>
#include <string_view>

namespace tarn {

// The result of nearly every framework operation; also the level of a catalog message.
// Any value outside 0..5 is handled as LevelInternal.
enum Level : uint8_t {
    LevelQuiet = 0,     // nothing shown; go on
    LevelQuestion = 1,  // a Yes/No question
    LevelInternal = 2,  // handled as LevelFatal
    LevelFatal = 3,     // shown, then the program ends
    LevelDeclined = 4,  // the user said no
    LevelNotice = 5,    // shown with an OK button
};

// Button bits; a button set is their sum, a default or a result is one bit (0 = box closed).
enum Button : int {
    ButtonOk = 1,
    ButtonYes = 2,
    ButtonNo = 4,
    ButtonAbort = 8,
    ButtonRetry = 16,
    ButtonIgnore = 32,
    ButtonCancel = 64,
    ButtonHelp = 128,
};

// The standard message icons, by name; the empty name is "no icon".
inline constexpr std::string_view IconNone = "";
inline constexpr std::string_view IconQuestion = "question";
inline constexpr std::string_view IconExclamation = "exclamation";

}  // namespace tarn
