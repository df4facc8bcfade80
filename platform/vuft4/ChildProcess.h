#pragma once
// Running an outside tool directly (never through a shell) with a time limit.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::vuft4 {

struct ChildResult {
    enum class Outcome { Exited, Signalled, TimedOut, NotStarted };
    Outcome outcome = Outcome::NotStarted;
    int exitCode = -1;   // when Exited
    std::string output;  // standard output, when captured (at most 64 KiB)
};

// Runs argv[0] with the arguments as given: a name without '/' is looked up in PATH's absolute
// folders (ProgramSearch.h), and the child gets that cleaned PATH too. It does not get systemd's
// NOTIFY_SOCKET and WATCHDOG_* variables: a tool must not speak to systemd for this process.
// Standard input is /dev/null; standard output is captured when captureOutput, else /dev/null;
// standard error joins the captured output when captureErrors too, else it is /dev/null. The
// child leads its own process group; when timeLimitMs passes the whole group is killed
// (TimedOut). Returns once the child has ended; a descendant that keeps the output open does not
// hold the call up.
ChildResult RunChild(const std::vector<std::string>& argv, int64_t timeLimitMs, bool captureOutput,
                     bool captureErrors = false);

// Where and with what a child runs when it is not to get this process's environment.
struct ChildSetting {
    std::vector<std::string> environment;  // exactly these variables ("NAME=value")
    std::string folder;                    // its working folder; "" keeps this process's
};

// RunChild with exactly setting's environment, in its folder, output and errors to /dev/null.
ChildResult RunChildWith(const std::vector<std::string>& argv, const ChildSetting& setting,
                         int64_t timeLimitMs);

// Called at least every 25 ms while a child is waited for (a child's end is seen at once, and
// ends the wait), on the waiting thread, which may be one of several waiting at the same time:
// the program's keep-alive to whoever supervises it, so that a long start never looks like a
// hung program. Null (the default): nothing is called.
void SetChildWaitHook(void (*hook)());

// Starts program (a path) with words as its arguments and exactly variables as its environment,
// in folder ("": this process's), leading its own process group with default signal handling;
// its standard input is inputFd (-1: /dev/null), its output outputFd (-1: /dev/null), its errors
// too when errorsToo (else /dev/null). The descriptors are duplicated, not closed. Returns the
// child's pid, -1 when it could not be started; the caller waits for it.
pid_t StartChild(const std::string& program, std::vector<std::string> words,
                 std::vector<std::string> variables, const std::string& folder, int inputFd,
                 int outputFd, bool errorsToo);

// This process's environment for a child: PATH replaced by searchPath, and without the variables
// systemd gives this process alone (NOTIFY_SOCKET, WATCHDOG_*).
std::vector<std::string> ChildEnvironment(const std::string& searchPath);

}  // namespace tarn::vuft4
