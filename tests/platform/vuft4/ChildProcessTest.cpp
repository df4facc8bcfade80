#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>

#include "StubFolder.h"
#include "platform/system/Process.h"
#include "platform/vuft4/ChildProcess.h"
#include "platform/vuft4/ChildWait.h"

namespace tarn::vuft4 {
namespace {

using Outcome = ChildResult::Outcome;
using testing::StubFolder;

// True while pid names a live process (a zombie counts as ended).
bool Alive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

TEST(ChildProcessTest, ExitCodeAndCapturedOutput) {
    ChildResult r = RunChild({"sh", "-c", "echo out; echo err >&2; exit 7"}, 5000, true);
    EXPECT_EQ(r.outcome, Outcome::Exited);
    EXPECT_EQ(r.exitCode, 7);
    EXPECT_EQ(r.output, "out\n");  // standard error is not mixed in
    r = RunChild({"sh", "-c", "echo out"}, 5000, false);
    EXPECT_EQ(r.outcome, Outcome::Exited);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, "");
}

// A start's failure is said in the tool's own words, which systemctl writes to standard error.
TEST(ChildProcessTest, ErrorsJoinTheCapturedOutputWhenAsked) {
    const ChildResult r =
        RunChild({"sh", "-c", "echo out; echo err >&2; exit 1"}, 5000, true, true);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.output, "out\nerr\n");
}

// A service tool holding these could tell systemd that the checker is ready, alive or stopping.
TEST(ChildProcessTest, ChildrenDoNotGetWhatSystemdGaveThisProcess) {
    setenv("NOTIFY_SOCKET", "/run/systemd/notify", 1);
    setenv("WATCHDOG_USEC", "30000000", 1);
    setenv("WATCHDOG_PID", std::to_string(getpid()).c_str(), 1);
    setenv("TARN_KEPT", "yes", 1);
    const ChildResult r = RunChild({"env"}, 5000, true);
    for (const char* name : {"NOTIFY_SOCKET", "WATCHDOG_USEC", "WATCHDOG_PID", "TARN_KEPT"})
        unsetenv(name);
    EXPECT_EQ(r.output.find("NOTIFY_SOCKET="), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("WATCHDOG_"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("TARN_KEPT=yes\n"), std::string::npos) << r.output;
}

int hookCalls = 0;

// The checker's watchdog is fed from this hook during a start that takes long.
TEST(ChildProcessTest, TheWaitHookRunsAllThroughTheWait) {
    SetChildWaitHook([] { ++hookCalls; });
    for (bool capture : {true, false}) {
        hookCalls = 0;
        RunChild({"sleep", "0.5"}, 5000, capture);
        EXPECT_GE(hookCalls, 10) << capture;
    }
    SetChildWaitHook(nullptr);
    hookCalls = 0;
    RunChild({"true"}, 5000, false);
    EXPECT_EQ(hookCalls, 0);
}

TEST(ChildProcessTest, ArgumentsArriveUnchanged) {
    const ChildResult r = RunChild({"printf", "[%s]", "a b", "$(x)", "'q\"", "", "-h"}, 5000, true);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, "[a b][$(x)]['q\"][][-h]");
}

TEST(ChildProcessTest, MissingProgramIsNotStarted) {
    EXPECT_EQ(RunChild({"tarn-no-such-tool-here"}, 5000, true).outcome, Outcome::NotStarted);
    EXPECT_EQ(RunChild({}, 5000, true).outcome, Outcome::NotStarted);
    EXPECT_EQ(RunChild({""}, 5000, false).outcome, Outcome::NotStarted);
}

TEST(ChildProcessTest, KilledBySignalIsReported) {
    const ChildResult r = RunChild({"sh", "-c", "kill -9 $$"}, 5000, false);
    EXPECT_EQ(r.outcome, Outcome::Signalled);
}

// With a pidfd, and by looking every few milliseconds where a kernel has none.
TEST(ChildProcessTest, RunningOutKillsTheWholeGroup) {
    StubFolder dir;
    dir.Script("hang", "sleep 1000 &\necho $! > @DIR@/pid\nwait\n");
    for (int way = 0; way < 4; ++way) {
        const bool capture = way % 2 == 0;
        UsePidfdWait(way < 2);
        const int64_t start = platform::MonotonicMilliseconds();
        const ChildResult r = RunChild({dir.File("hang")}, 300, capture);
        const int64_t took = platform::MonotonicMilliseconds() - start;
        EXPECT_EQ(r.outcome, Outcome::TimedOut);
        EXPECT_GE(took, 300);
        EXPECT_LT(took, 3000);
        const pid_t sleeper = std::stoi(dir.Read("pid"));
        for (int i = 0; i < 100 && Alive(sleeper); ++i) platform::Sleep(10);
        EXPECT_FALSE(Alive(sleeper)) << "the tool's own child survived";
    }
    UsePidfdWait(true);
}

// A status check takes a few milliseconds and its output is not read: its end must end the wait,
// not the next look 20 ms later (50 of them would take a second).
TEST(ChildProcessTest, AShortChildReturnsAsItEnds) {
    if (!PidfdWaitAvailable()) GTEST_SKIP() << "no pidfd_open on this kernel";
    const int64_t start = platform::MonotonicMilliseconds();
    for (int i = 0; i < 50; ++i) ASSERT_EQ(RunChild({"true"}, 5000, false).exitCode, 0);
    EXPECT_LT(platform::MonotonicMilliseconds() - start, 50 * 20);
}

TEST(ChildProcessTest, DescendantKeepingOutputOpenDoesNotHoldUp) {
    const int64_t start = platform::MonotonicMilliseconds();
    const ChildResult r = RunChild({"sh", "-c", "sleep 3 & echo started"}, 10000, true);
    EXPECT_LT(platform::MonotonicMilliseconds() - start, 2500);
    EXPECT_EQ(r.outcome, Outcome::Exited);
    EXPECT_EQ(r.output, "started\n");
}

}  // namespace
}  // namespace tarn::vuft4
