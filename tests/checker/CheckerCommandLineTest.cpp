// The checker's command line, on the real binary: asking about the program must not start a
// watchdog in the current folder, nor leave a file there.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/RunProgram.h"

namespace tarn::checker::test {
namespace {

using tarn::test::FolderContents;
using tarn::test::RunProgram;
using tarn::test::TempFolder;

const std::string kChecker = std::string(TARN_BINARY_DIR) + "/tarnwatch";

TEST(CheckerCommandLineTest, HelpAndVersionPrintAndLeaveTheFolderEmpty) {
    TempFolder folder("tarn-cmdline");
    for (const char* option : {"--help", "-h"}) {
        const auto run = RunProgram(kChecker, {option}, folder.Path());
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_EQ(run.out.rfind("Usage: tarnwatch [--help | --version]\n", 0), 0u) << run.out;
        EXPECT_NE(run.out.find("ServicesToCheck.db"), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "") << option;
    }
    for (const char* option : {"--version", "-V"}) {
        const auto run = RunProgram(kChecker, {option}, folder.Path());
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_EQ(run.out, "tarnwatch " TARN_VERSION "\n");
        EXPECT_EQ(run.err, "") << option;
    }
    EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{});
}

TEST(CheckerCommandLineTest, AnyOtherArgumentIsRefusedBeforeAnythingStarts) {
    TempFolder folder("tarn-cmdline");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"/var/lib/tarnwatch"}, {"--verbose"}, {"--version", "-V"}}) {
        const auto run = RunProgram(kChecker, args, folder.Path());
        EXPECT_EQ(run.exitCode, 2) << args[0];
        EXPECT_EQ(run.out, "") << args[0];
        EXPECT_NE(run.err.find("Usage: tarnwatch [--help | --version]\n"), std::string::npos)
            << run.err;
    }
    EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace tarn::checker::test
