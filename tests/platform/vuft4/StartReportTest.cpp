// Why a start did not take, as the journal says it.
#include <gtest/gtest.h>

#include "platform/vuft4/StartReport.h"
#include "platform/vuft4/TimeLimits.h"

namespace tarn::vuft4 {
namespace {

StartReport Exited(int code, std::string output) {
    StartReport report{"systemctl start x.service", {}};
    report.result.outcome = ChildResult::Outcome::Exited;
    report.result.exitCode = code;
    report.result.output = std::move(output);
    return report;
}

TEST(StartReportTest, TheFirstLineThatSaysSomethingEscaped) {
    EXPECT_EQ(StartReason(Exited(1, "\n  \r\nJob for x.service failed.\r\nSee \"journalctl\".\n")),
              "systemctl start x.service exited with 1: Job for x.service failed.");
    // A tool's output must not start a line of its own or reach a reader's terminal.
    EXPECT_EQ(StartReason(Exited(1, "bad\x1b]0;owned\x07 name\n")),
              "systemctl start x.service exited with 1: bad\\x1b]0;owned\\x07 name");
    EXPECT_EQ(StartReason(Exited(0, "")), "systemctl start x.service exited with 0");
}

TEST(StartReportTest, StartsThatDidNotExitOrDidNotRun) {
    StartReport report{"service x start", {}};
    EXPECT_EQ(StartReason(report), "service x start could not be run");
    report.result.outcome = ChildResult::Outcome::Signalled;
    EXPECT_EQ(StartReason(report), "service x start was ended by a signal");
    report.result.outcome = ChildResult::Outcome::TimedOut;
    EXPECT_EQ(StartReason(report), "service x start did not end within " +
                                       std::to_string(CurrentTimeLimits().startMs / 1000) + " s");
    EXPECT_EQ(StartReason(StartReport{}), "");
    EXPECT_EQ(ToolName("/usr/sbin/service"), "service");
    EXPECT_EQ(ToolName("systemctl"), "systemctl");
}

}  // namespace
}  // namespace tarn::vuft4
