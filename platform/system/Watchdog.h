#pragma once
// Keep-alives for systemd's watchdog (WatchdogSec=): when systemd sets WATCHDOG_USEC (and
// WATCHDOG_PID, if set, names this process), "WATCHDOG=1" goes to the notify socket at half
// that interval. They are sent from the program's own work (its loop, between records, while it
// waits for a tool, in slices of its sleep) and never from a thread of their own, so that a hung
// program misses them and is restarted while a busy one keeps them coming.
#include <sys/types.h>

#include <cstdint>

namespace tarn::platform {

// The watchdog interval in milliseconds that WATCHDOG_USEC and WATCHDOG_PID (either may be null)
// give the process self; 0 when there is none, it cannot be read, or it is another process's.
int64_t WatchdogIntervalMs(const char* usec, const char* pid, pid_t self);
// This process's interval, read from the environment on the first call; 0 without a watchdog.
int64_t WatchdogInterval();
// Sends WATCHDOG=1 when half the interval has passed since the last one sent; otherwise, and
// without a watchdog, does nothing. Cheap enough to call at every step of a wait, and safe to call
// from several threads at once (a pass waits for several status checks at a time).
void KeepAlive();
// Sleeps for milliseconds, in slices short enough for KeepAlive to keep its pace; without a
// watchdog in one piece.
void SleepKeepingAlive(uint32_t milliseconds);

}  // namespace tarn::platform
