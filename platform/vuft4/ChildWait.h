#pragma once
// Waiting for a started child: its end is seen as it happens through a pidfd (polled together
// with its output pipe), or, on a kernel without pidfd_open, by asking every few milliseconds.
#include <sys/types.h>

#include <cstdint>

#include "platform/vuft4/ChildProcess.h"

namespace tarn::vuft4 {

// Waits for pid (the leader of its own process group) while reading its output from fd (when
// >= 0, non-blocking) until it ends or the deadline (MonotonicMilliseconds) passes; then the
// whole group is killed and the result is TimedOut. The wait hook runs all through the wait.
ChildResult WaitForChild(pid_t pid, int fd, int64_t deadline);

// Calls the wait hook set with SetChildWaitHook, if any.
void CallChildWaitHook();

// Tests force the polling wait that kernels without pidfd_open get (false), or let pidfds be
// used where they work (true, the default).
void UsePidfdWait(bool use);
// True when pidfd_open works on this kernel and is not switched off by UsePidfdWait.
bool PidfdWaitAvailable();

}  // namespace tarn::vuft4
