// A pass that runs past its hiding time shows its progress window on the terminal, where the
// operator can cancel it. The test binary plays the checker's part under tmux when
// TARN_CHECKER_TUI_CHILD names a data folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "../platform/tui/Tmux.h"
#include "CheckerProcess.h"
#include "PassTestSupport.h"
#include "data/Dictionary.h"
#include "errors/ErrorManager.h"

namespace tarn::checker::test {
namespace {

// Runs a pass of 200 records at a hundred seconds each (on the pass's own clock) and writes
// the response and the number of records handled to "result".
int RunChildIfAsked() {
    const char* folder = std::getenv("TARN_CHECKER_TUI_CHILD");
    if (!folder) return 0;
    std::filesystem::current_path(folder);
    errors::GlobalErrors().Init();
    data::DictionaryInit(true);
    storage::RecordFile& f = records::ServicesToCheckFile();
    f.Create();
    f.Open(0x42);
    for (int32_t id = 1; id <= 200; ++id) {
        f.ClearBuffer(false);
        records::ServicesToCheck().RecordID = id;
        f.Add();
    }
    f.Close();
    TestProcess process;
    process.cost = 10000;
    DailyLog log("logfiles");
    TestPass pass(log, process);
    int response = pass.Run();
    FILE* out = std::fopen("result", "w");
    std::fprintf(out, "response %d records %zu\n", response, process.seen.size());
    std::fclose(out);
    std::printf("plain output after the pass\n");
    std::fflush(stdout);
    std::_Exit(0);
}

const int gChild = RunChildIfAsked();

TEST(CheckerTerminal, LongPassShowsItsWindowAndCancelEndsIt) {
    if (!tui::testing::Tmux::Available()) GTEST_SKIP() << "tmux is not installed";
    TempFolder folder;
    tui::testing::Tmux tmux;
    // Quoted for the shell: the checkout may lie in a folder whose name has blanks.
    const std::string self = std::filesystem::read_symlink("/proc/self/exe");
    ASSERT_TRUE(tmux.Start("TARN_CHECKER_TUI_CHILD=" + tui::testing::ShellQuote(folder.Path()) +
                               " " + tui::testing::ShellQuote(self) + "; sleep 30",
                           100, 30));
    std::vector<std::string> screen;
    ASSERT_TRUE(tmux.WaitForText("Processing Records", &screen));
    ASSERT_TRUE(tmux.WaitForText("Cancel", &screen));
    tmux.Keys("Enter");
    ASSERT_TRUE(tui::testing::WaitForFileText(folder / "result", "response 2"))
        << ReadAll(folder / "result");
    ASSERT_TRUE(tmux.WaitForText("plain output after the pass", &screen));
    for (const std::string& line : screen)
        EXPECT_EQ(line.find("Processing Records"), std::string::npos);
    int handled = 0;
    std::sscanf(ReadAll(folder / "result").c_str(), "response 2 records %d", &handled);
    EXPECT_GE(handled, 4);
    EXPECT_LT(handled, 200);
}

}  // namespace
}  // namespace tarn::checker::test
