#include "platform/vuft4/ChildWait.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "platform/system/Process.h"

namespace tarn::vuft4 {

namespace {

constexpr size_t kMaxOutput = 64 * 1024;
// Without a pidfd the end of a child is only seen at the next look.
constexpr int kPollingStepMs = 20;
// With a pidfd the end wakes the wait at once; the slice only paces the wait hook (the
// watchdog's keep-alive wants a call every few seconds at most).
constexpr int kHookSliceMs = 25;

std::atomic<void (*)()> waitHook{nullptr};
std::atomic<bool> pidfdAllowed{true};

int OpenPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
    if (pidfdAllowed.load()) return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
#endif
    errno = ENOSYS;
    return -1;
}

void Drain(int fd, std::string& output) {
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) {
        const size_t room = kMaxOutput - std::min(kMaxOutput, output.size());
        output.append(buffer, std::min(room, static_cast<size_t>(n)));
    }
}

ChildResult Finish(int status) {
    ChildResult result;
    if (WIFEXITED(status)) {
        result.outcome = ChildResult::Outcome::Exited;
        result.exitCode = WEXITSTATUS(status);
    } else {
        result.outcome = ChildResult::Outcome::Signalled;
    }
    return result;
}

// The child's end if it has ended (its output drained), else nothing.
bool Reaped(pid_t pid, int fd, std::string& output, ChildResult& result) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done != pid && !(done < 0 && errno != EINTR)) return false;
    if (fd >= 0) Drain(fd, output);
    result = done == pid ? Finish(status) : ChildResult{};
    result.output = std::move(output);
    return true;
}

ChildResult KillGroup(pid_t pid) {
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ChildResult result;
    result.outcome = ChildResult::Outcome::TimedOut;
    return result;
}

// Sleeps up to sliceMs or until the output (fd >= 0) or the pidfd (>= 0) has something;
// reads what came. fd becomes -1 once the output is closed.
void AwaitEvent(int& fd, int pidfd, int sliceMs, std::string& output) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {pidfd, POLLIN, 0}};
    if (poll(fds, 2, sliceMs) <= 0 || fd < 0) return;
    if (fds[0].revents & POLLIN) Drain(fd, output);
    if (fds[0].revents & (POLLHUP | POLLERR)) {
        Drain(fd, output);
        fd = -1;  // closed: only wait from now on
    }
}

}  // namespace

void SetChildWaitHook(void (*hook)()) { waitHook.store(hook); }

void CallChildWaitHook() {
    if (void (*hook)() = waitHook.load()) hook();
}

void UsePidfdWait(bool use) { pidfdAllowed.store(use); }

bool PidfdWaitAvailable() {
    const int fd = OpenPidfd(getpid());
    if (fd < 0) return false;
    close(fd);
    return true;
}

ChildResult WaitForChild(pid_t pid, int fd, int64_t deadline) {
    // Any failure (ENOSYS on an old kernel, no descriptor left) falls back to looking often.
    const int pidfd = OpenPidfd(pid);
    const int slice = pidfd >= 0 ? kHookSliceMs : kPollingStepMs;
    std::string output;
    ChildResult result;
    for (;;) {
        CallChildWaitHook();
        if (Reaped(pid, fd, output, result)) break;
        const int64_t left = deadline - platform::MonotonicMilliseconds();
        if (left <= 0) {
            result = KillGroup(pid);
            break;
        }
        AwaitEvent(fd, pidfd, static_cast<int>(std::min<int64_t>(left, slice)), output);
    }
    if (pidfd >= 0) close(pidfd);
    return result;
}

}  // namespace tarn::vuft4
