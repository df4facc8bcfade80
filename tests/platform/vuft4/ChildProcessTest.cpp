#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>

#include "StubFolder.h"
#include "platform/system/Process.h"
#include "platform/vuft4/ChildProcess.h"

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

TEST(ChildProcessTest, RunningOutKillsTheWholeGroup) {
    StubFolder dir;
    dir.Script("hang", "sleep 1000 &\necho $! > @DIR@/pid\nwait\n");
    for (bool capture : {true, false}) {
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
}

TEST(ChildProcessTest, DescendantKeepingOutputOpenDoesNotHoldUp) {
    const int64_t start = platform::MonotonicMilliseconds();
    const ChildResult r = RunChild({"sh", "-c", "sleep 3 & echo started"}, 10000, true);
    EXPECT_LT(platform::MonotonicMilliseconds() - start, 2500);
    EXPECT_EQ(r.outcome, Outcome::Exited);
    EXPECT_EQ(r.output, "started\n");
}

// ssh's reasons come on standard error: read apart from the output, and, like the output, not
// waited for past the child's end when a descendant keeps it open.
TEST(ChildProcessTest, ErrorsAreCapturedApart) {
    ChildResult r = RunChild({"sh", "-c", "echo out; echo err >&2; exit 7"}, 5000, true, true);
    EXPECT_EQ(r.exitCode, 7);
    EXPECT_EQ(r.output, "out\n");
    EXPECT_EQ(r.errors, "err\n");
    const int64_t start = platform::MonotonicMilliseconds();
    r = RunChild({"sh", "-c", "sleep 3 >/dev/null & echo said >&2"}, 10000, false, true);
    EXPECT_LT(platform::MonotonicMilliseconds() - start, 2500);
    EXPECT_EQ(r.errors, "said\n");
}

}  // namespace
}  // namespace tarn::vuft4
