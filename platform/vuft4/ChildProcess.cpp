#include "platform/vuft4/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string_view>

#include "platform/system/Process.h"
#include "platform/vuft4/ProgramSearch.h"

extern char** environ;

namespace tarn::vuft4 {

namespace {

constexpr size_t kMaxOutput = 64 * 1024;
constexpr int kPollSliceMs = 20;

std::atomic<void (*)()> waitHook{nullptr};

// Spawn settings: own process group, default signal handling and an empty signal mask.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;

    SpawnSetup(int outputFd, bool errorsToo) {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (outputFd >= 0) {
            posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        }
        if (outputFd >= 0 && errorsToo) {
            posix_spawn_file_actions_adddup2(&actions, outputFd, 2);
        } else {
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        }
        posix_spawnattr_init(&attr);
        sigset_t none, defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        for (int sig : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGCHLD, SIGHUP})
            sigaddset(&defaults, sig);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setsigdefault(&attr, &defaults);
        posix_spawnattr_setpgroup(&attr, 0);
        posix_spawnattr_setflags(
            &attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
};

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

// Waits for pid while reading fd (when >= 0) until it ends or the deadline passes.
ChildResult Supervise(pid_t pid, int fd, int64_t deadline) {
    std::string output;
    for (;;) {
        if (void (*hook)() = waitHook.load()) hook();
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            if (fd >= 0) Drain(fd, output);
            ChildResult result = done == pid ? Finish(status) : ChildResult{};
            result.output = std::move(output);
            return result;
        }
        const int64_t left = deadline - platform::MonotonicMilliseconds();
        if (left <= 0) {
            kill(-pid, SIGKILL);
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            ChildResult result;
            result.outcome = ChildResult::Outcome::TimedOut;
            return result;
        }
        const int slice = static_cast<int>(std::min<int64_t>(left, kPollSliceMs));
        pollfd p{fd, POLLIN, 0};
        if (fd >= 0 && poll(&p, 1, slice) > 0) {
            Drain(fd, output);
            if (p.revents & (POLLHUP | POLLERR)) fd = -1;  // closed: only wait from now on
        } else if (fd < 0) {
            poll(nullptr, 0, slice);
        }
    }
}

// Variables that systemd gives this process alone: with them a child could report ready,
// stopping or alive in this process's name.
bool ForThisProcessOnly(std::string_view entry) {
    for (std::string_view name : {"NOTIFY_SOCKET=", "WATCHDOG_USEC=", "WATCHDOG_PID="})
        if (entry.starts_with(name)) return true;
    return false;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

void SetChildWaitHook(void (*hook)()) { waitHook.store(hook); }

void CallChildWaitHook() {
    if (void (*hook)() = waitHook.load()) hook();
}

// A tool looks up the programs it runs itself (the service tool runs init scripts, they run
// more) in searchPath too.
std::vector<std::string> ChildEnvironment(const std::string& searchPath) {
    std::vector<std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view variable(*entry);
        if (!variable.starts_with("PATH=") && !ForThisProcessOnly(variable))
            variables.emplace_back(variable);
    }
    variables.push_back("PATH=" + searchPath);
    return variables;
}

ChildResult RunChild(const std::vector<std::string>& argv, int64_t timeLimitMs, bool captureOutput,
                     bool captureErrors) {
    if (argv.empty() || argv[0].empty()) return {};
    const std::string searchPath = ProgramSearchPath();
    const std::string program = FindProgram(argv[0], searchPath);
    if (program.empty()) return {};
    int pipeFds[2] = {-1, -1};
    if (captureOutput && pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return {};
    std::vector<std::string> words = argv;
    std::vector<char*> args = Pointers(words);
    std::vector<std::string> variables = ChildEnvironment(searchPath);
    std::vector<char*> environment = Pointers(variables);
    const int64_t deadline = platform::MonotonicMilliseconds() + timeLimitMs;
    pid_t pid = -1;
    int spawned = 0;
    {
        SpawnSetup setup(pipeFds[1], captureErrors);
        spawned = posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attr, args.data(),
                              environment.data());
    }
    if (pipeFds[1] >= 0) close(pipeFds[1]);
    ChildResult result;
    if (spawned == 0) result = Supervise(pid, pipeFds[0], deadline);
    if (pipeFds[0] >= 0) close(pipeFds[0]);
    return result;
}

}  // namespace tarn::vuft4
