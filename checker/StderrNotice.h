#pragma once
// The checker's own notices to whoever watches its standard error (the journal under systemd).
#include <string>
#include <string_view>

#include "platform/system/JournalStream.h"

namespace tarn::checker {

// Writes "tarnwatch: " + text as one line in one write, so lines of two writers never mix. The
// journal (JournalStream.h) files it as a warning: every notice is about something that failed.
void SayOnStderr(std::string_view text);
// Writes "<N>tarnwatch: " + text the same way, but only when standard error is the journal: the
// daily log's lines are copied there and nowhere else.
void SayToJournal(platform::JournalPriority priority, std::string_view text);
// What the last driver call said went wrong, in the operating system's or SQLite's words when
// it gave any.
std::string LastErrorInWords();

}  // namespace tarn::checker
