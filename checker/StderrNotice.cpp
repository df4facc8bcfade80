#include "checker/StderrNotice.h"

#include <unistd.h>

#include "platform/system/ControlEscape.h"
#include "platform/system/LastError.h"

namespace tarn::checker {

namespace {

void WriteLine(platform::JournalPriority priority, std::string_view text) {
    std::string line = platform::JournalPrefix(priority) + "tarnwatch: ";
    // Paths and SQLite's words may carry text from the folder or the list: one line, no escapes.
    line += platform::EscapeControls(text);
    line += '\n';
    // A closed or full standard error must not stop the checker.
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
}

}  // namespace

std::string LastErrorInWords() {
    const platform::RuntimeError& error = platform::LastError();
    return error.driverText.empty() ? error.text : error.driverText;
}

void SayOnStderr(std::string_view text) { WriteLine(platform::JournalPriority::Warning, text); }

void SayToJournal(platform::JournalPriority priority, std::string_view text) {
    if (platform::StderrIsJournal()) WriteLine(priority, text);
}

}  // namespace tarn::checker
