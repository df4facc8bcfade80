#pragma once
// Whole-process services.
#include <cstdint>
#include <string_view>

namespace tarn::platform {

// Suspends the calling thread.
void Sleep(uint32_t milliseconds);
// Ends the program at once with exitCode after writing message (when not empty) to standard error
// (as an error when that is the journal, JournalStream.h) and flushing every stream. Static
// destructors do not run; at_quick_exit handlers do.
[[noreturn]] void Halt(int exitCode, std::string_view message = {});
// Milliseconds from an arbitrary fixed point, never going back.
int64_t MonotonicMilliseconds();

}  // namespace tarn::platform
