#include "platform/system/Process.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/system/JournalStream.h"

namespace tarn::platform {

void Sleep(uint32_t milliseconds) {
    std::timespec rest{static_cast<std::time_t>(milliseconds / 1000),
                       static_cast<long>(milliseconds % 1000) * 1000000L};
    // A signal handled elsewhere must not cut the pause short.
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

// exit() rather than _exit(): handlers registered with atexit (the terminal front end restores
// the screen there) and buffered output still run.
void Halt(int exitCode, std::string_view message) {
    if (!message.empty()) {
        // One write, filed in the journal (under systemd) as an error.
        const std::string line =
            JournalPrefix(JournalPriority::Error) + std::string(message) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    std::fflush(nullptr);
    // Halt comes from deep inside a procedure whose objects still use the program's globals:
    // running their destructors now would pull them out from under it. Handlers registered with
    // at_quick_exit (the terminal's restore) still run.
    std::quick_exit(exitCode);
}

int64_t MonotonicMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace tarn::platform
