#include "platform/vuft4/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <string_view>

#include "platform/system/Process.h"
#include "platform/vuft4/ChildWait.h"
#include "platform/vuft4/ProgramSearch.h"

extern char** environ;

namespace tarn::vuft4 {

namespace {

// Spawn settings: own process group, default signal handling and an empty signal mask.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;

    SpawnSetup(int inputFd, int outputFd, bool errorsToo, const std::string& folder) {
        posix_spawn_file_actions_init(&actions);
        if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        if (inputFd >= 0) {
            posix_spawn_file_actions_adddup2(&actions, inputFd, 0);
        } else {
            posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        }
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

pid_t StartChild(const std::string& program, std::vector<std::string> words,
                 std::vector<std::string> variables, const std::string& folder, int inputFd,
                 int outputFd, bool errorsToo) {
    std::vector<char*> args = Pointers(words);
    std::vector<char*> environment = Pointers(variables);
    SpawnSetup setup(inputFd, outputFd, errorsToo, folder);
    pid_t pid = -1;
    return posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attr, args.data(),
                       environment.data()) == 0
               ? pid
               : -1;
}

namespace {

ChildResult Spawn(const std::string& program, std::vector<std::string> words,
                  std::vector<std::string> variables, const std::string& folder,
                  int64_t timeLimitMs, bool captureOutput, bool captureErrors) {
    int pipeFds[2] = {-1, -1};
    if (captureOutput && pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return {};
    const int64_t deadline = platform::MonotonicMilliseconds() + timeLimitMs;
    const pid_t pid = StartChild(program, std::move(words), std::move(variables), folder, -1,
                                 pipeFds[1], captureErrors);
    if (pipeFds[1] >= 0) close(pipeFds[1]);
    ChildResult result;
    if (pid > 0) result = WaitForChild(pid, pipeFds[0], deadline);
    if (pipeFds[0] >= 0) close(pipeFds[0]);
    return result;
}

}  // namespace

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
    return Spawn(program, argv, ChildEnvironment(searchPath), "", timeLimitMs, captureOutput,
                 captureErrors);
}

ChildResult RunChildWith(const std::vector<std::string>& argv, const ChildSetting& setting,
                         int64_t timeLimitMs) {
    if (argv.empty() || argv[0].empty()) return {};
    const std::string program = FindProgram(argv[0], ProgramSearchPath());
    if (program.empty()) return {};
    return Spawn(program, argv, setting.environment, setting.folder, timeLimitMs, false, false);
}

}  // namespace tarn::vuft4
