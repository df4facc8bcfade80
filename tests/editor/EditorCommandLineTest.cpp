// The editor's command line, on the real binary: asking about the program must not open the
// data files of the current folder, nor need a terminal.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/RunProgram.h"

namespace tarn::editor::test {
namespace {

using tarn::test::FolderContents;
using tarn::test::RunProgram;
using tarn::test::TempFolder;

const std::string kEditor = std::string(TARN_BINARY_DIR) + "/tarnconfig";

TEST(EditorCommandLineTest, HelpAndVersionPrintAndLeaveTheFolderEmpty) {
    TempFolder folder("tarn-cmdline");
    for (const char* option : {"--help", "-h"}) {
        const auto run = RunProgram(kEditor, {option}, folder.Path());
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_EQ(run.out.rfind("Usage: tarnconfig [--help | --version]\n", 0), 0u) << run.out;
        EXPECT_NE(run.out.find("ServicesToCheck.db"), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "") << option;
    }
    for (const char* option : {"--version", "-V"}) {
        const auto run = RunProgram(kEditor, {option}, folder.Path());
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_EQ(run.out, "tarnconfig " TARN_VERSION "\n");
        EXPECT_EQ(run.err, "") << option;
    }
    EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{});
}

TEST(EditorCommandLineTest, AnyOtherArgumentIsRefusedBeforeAnythingStarts) {
    TempFolder folder("tarn-cmdline");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"Settings.db"}, {"--verbose"}, {"--version", "-V"}}) {
        const auto run = RunProgram(kEditor, args, folder.Path());
        EXPECT_EQ(run.exitCode, 2) << args[0];
        EXPECT_EQ(run.out, "") << args[0];
        EXPECT_NE(run.err.find("Usage: tarnconfig [--help | --version]\n"), std::string::npos)
            << run.err;
    }
    EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace tarn::editor::test
