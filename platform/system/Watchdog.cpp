#include "platform/system/Watchdog.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>

#include "platform/system/Process.h"
#include "platform/system/ServiceNotify.h"

namespace tarn::platform {

namespace {

// A whole decimal number and nothing else; -1 otherwise.
int64_t WholeNumber(const char* text) {
    if (!text || *text < '0' || *text > '9') return -1;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || value > INT64_MAX) return -1;
    return static_cast<int64_t>(value);
}

std::atomic<int64_t> lastSent{INT64_MIN};

}  // namespace

int64_t WatchdogIntervalMs(const char* usec, const char* pid, pid_t self) {
    if (pid && WholeNumber(pid) != self) return 0;
    const int64_t micro = WholeNumber(usec);
    // Below a millisecond it could not be kept anyway; such a value is taken as a millisecond.
    return micro <= 0 ? 0 : std::max<int64_t>(1, micro / 1000);
}

int64_t WatchdogInterval() {
    static const int64_t interval =
        WatchdogIntervalMs(std::getenv("WATCHDOG_USEC"), std::getenv("WATCHDOG_PID"), getpid());
    return interval;
}

void KeepAlive() {
    const int64_t interval = WatchdogInterval();
    if (interval <= 0) return;
    const int64_t now = MonotonicMilliseconds();
    int64_t last = lastSent.load();
    if (last != INT64_MIN && now - last < interval / 2) return;
    if (!lastSent.compare_exchange_strong(last, now)) return;  // another thread just sent one
    NotifyService("WATCHDOG=1");
}

void SleepKeepingAlive(uint32_t milliseconds) {
    const int64_t interval = WatchdogInterval();
    if (interval <= 0) {
        Sleep(milliseconds);
        return;
    }
    // A quarter of the interval: a keep-alive falls due at half of it, and is sent at most a
    // quarter later.
    const int64_t slice = std::max<int64_t>(1, interval / 4);
    const int64_t until = MonotonicMilliseconds() + milliseconds;
    for (int64_t left; (left = until - MonotonicMilliseconds()) > 0;) {
        Sleep(static_cast<uint32_t>(std::min(left, slice)));
        KeepAlive();
    }
}

}  // namespace tarn::platform
