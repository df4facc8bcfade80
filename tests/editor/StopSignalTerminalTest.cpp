// tarnconfig told to stop (its terminal hung up, or SIGTERM) while a new service's form is open:
// the blank record numbered for the new service goes, as Cancel takes it, and the terminal is
// given back before the program ends by the signal.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/platform/tui/Tmux.h"
#include "tests/support/RawSql.h"
#include "tests/support/TestFolder.h"

namespace tarn::editor::test {
namespace {

using tui::testing::ShellQuote;
using tui::testing::Tmux;
using tui::testing::WaitForFileText;

const std::string kBin = TARN_BINARY_DIR;

class StopSignalTerminal : public ::testing::TestWithParam<int> {};

TEST_P(StopSignalTerminal, AnOpenInsertIsCancelledBeforeTheTerminalIsGivenBack) {
    if (!Tmux::Available()) GTEST_SKIP() << "tmux is not installed";
    const int signal = GetParam();
    tarn::test::TempFolder folder{"tarn-stop-e2e"};
    Tmux tmux;
    // exec keeps the shell's process number, written first, for the editor.
    ASSERT_TRUE(
        tmux.Start("cd " + ShellQuote(folder.Path()) + " && stty -g > before; sh -c " +
                       ShellQuote("echo $$ > pid; exec " + ShellQuote(kBin + "/tarnconfig")) +
                       "; echo $? > exitcode; stty -g > after; sleep 30",
                   100, 30));
    ASSERT_TRUE(tmux.WaitForText("Quorvel Service Check Settings"));
    tmux.Keys("Tab Enter");  // Services
    ASSERT_TRUE(tmux.WaitForText("Services To Check"));
    tmux.Keys("IC");
    ASSERT_TRUE(tmux.WaitForText("New Service"));
    tmux.Type("half typed");
    const std::string db = folder / "ServicesToCheck.db";
    // The form's record is numbered, and so written, as the form opens.
    ASSERT_EQ(tarn::test::RawRows(db, "SELECT count(*) FROM records"),
              std::vector<std::string>{"1"});

    const pid_t pid = std::atoi(tarn::test::ReadAll(folder / "pid").c_str());
    ASSERT_GT(pid, 0);
    ASSERT_EQ(kill(pid, signal), 0);
    ASSERT_TRUE(WaitForFileText(folder / "exitcode", "\n"));
    EXPECT_EQ(tarn::test::ReadAll(folder / "exitcode"), std::to_string(128 + signal) + "\n");
    EXPECT_EQ(tarn::test::RawRows(db, "SELECT count(*) FROM records"),
              std::vector<std::string>{"0"});
    ASSERT_TRUE(WaitForFileText(folder / "after", "\n"));
    EXPECT_EQ(tarn::test::ReadAll(folder / "after"), tarn::test::ReadAll(folder / "before"));
}

INSTANTIATE_TEST_SUITE_P(HangUpAndTerm, StopSignalTerminal, ::testing::Values(SIGHUP, SIGTERM));

}  // namespace
}  // namespace tarn::editor::test
