#pragma once
// Whole-process services.
#include <cstdint>
#include <string_view>

namespace tarn::platform {

// Suspends the calling thread.
void Sleep(uint32_t milliseconds);
// Ends the program at once with exitCode after writing message (when not empty) to standard error.
[[noreturn]] void Halt(int exitCode, std::string_view message = {});
// Milliseconds from an arbitrary fixed point, never going back.
int64_t MonotonicMilliseconds();

}  // namespace tarn::platform
