#include "platform/vuft4/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "platform/system/Process.h"
#include "platform/vuft4/ProgramSearch.h"

extern char** environ;

namespace tarn::vuft4 {

namespace {

constexpr size_t kMaxOutput = 64 * 1024;
constexpr int kPollSliceMs = 20;

// Spawn settings: own process group, default signal handling and an empty signal mask; standard
// output and error go to the given pipe ends, or to /dev/null when below 0.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;

    SpawnSetup(int outputFd, int errorFd) {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        Direct(1, outputFd);
        Direct(2, errorFd);
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
    void Direct(int target, int fd) {
        if (fd >= 0)
            posix_spawn_file_actions_adddup2(&actions, fd, target);
        else
            posix_spawn_file_actions_addopen(&actions, target, "/dev/null", O_WRONLY, 0);
    }
};

// A captured stream of the child: the read end of its pipe (-1 once closed) and what came.
struct Stream {
    int fd = -1;
    std::string text;
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

// Reads what is there on the streams, for up to sliceMs; a stream at its end is closed.
void ReadStreams(Stream (&streams)[2], int sliceMs) {
    pollfd p[2] = {{streams[0].fd, POLLIN, 0}, {streams[1].fd, POLLIN, 0}};
    if (poll(p, 2, sliceMs) <= 0) return;  // fds below 0 are left out by poll
    for (int i = 0; i < 2; ++i) {
        if (streams[i].fd < 0 || p[i].revents == 0) continue;
        Drain(streams[i].fd, streams[i].text);
        if (p[i].revents & (POLLHUP | POLLERR)) streams[i].fd = -1;  // closed: only wait from now
    }
}

// Waits for pid while reading the streams until it ends or the deadline passes.
ChildResult Supervise(pid_t pid, Stream (&streams)[2], int64_t deadline) {
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            for (Stream& stream : streams)
                if (stream.fd >= 0) Drain(stream.fd, stream.text);
            ChildResult result = done == pid ? Finish(status) : ChildResult{};
            result.output = std::move(streams[0].text);
            result.errors = std::move(streams[1].text);
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
            result.errors = std::move(streams[1].text);
            return result;
        }
        ReadStreams(streams, static_cast<int>(std::min<int64_t>(left, kPollSliceMs)));
    }
}

// This process's environment with PATH replaced by searchPath: a tool looks up the programs it
// runs itself (the service tool runs init scripts, they run more), in the data folder too.
std::vector<std::string> ChildEnvironment(const std::string& searchPath) {
    std::vector<std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry)
        if (std::string_view(*entry).rfind("PATH=", 0) != 0) variables.emplace_back(*entry);
    variables.push_back("PATH=" + searchPath);
    return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// A pipe whose read end does not block; both ends -1 when not wanted or not made.
bool MakePipe(bool wanted, int (&fds)[2]) {
    return !wanted || pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0;
}

void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv, int64_t timeLimitMs, bool captureOutput,
                     bool captureErrors) {
    if (argv.empty() || argv[0].empty()) return {};
    const std::string searchPath = ProgramSearchPath();
    const std::string program = FindProgram(argv[0], searchPath);
    if (program.empty()) return {};
    int outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
    if (!MakePipe(captureOutput, outPipe) || !MakePipe(captureErrors, errPipe)) {
        for (int* fd : {&outPipe[0], &outPipe[1], &errPipe[0], &errPipe[1]}) CloseFd(*fd);
        return {};
    }
    std::vector<std::string> words = argv;
    std::vector<char*> args = Pointers(words);
    std::vector<std::string> variables = ChildEnvironment(searchPath);
    std::vector<char*> environment = Pointers(variables);
    const int64_t deadline = platform::MonotonicMilliseconds() + timeLimitMs;
    pid_t pid = -1;
    int spawned = 0;
    {
        SpawnSetup setup(outPipe[1], errPipe[1]);
        spawned = posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attr, args.data(),
                              environment.data());
    }
    CloseFd(outPipe[1]);
    CloseFd(errPipe[1]);
    Stream streams[2] = {{outPipe[0], {}}, {errPipe[0], {}}};
    ChildResult result;
    if (spawned == 0) result = Supervise(pid, streams, deadline);
    CloseFd(outPipe[0]);
    CloseFd(errPipe[0]);
    return result;
}

}  // namespace tarn::vuft4
