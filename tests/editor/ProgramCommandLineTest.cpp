// Both programs' command lines, on the real binaries: asking about a program must not start a
// watchdog or open the data files of the current folder, nor leave a file there.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/RunProgram.h"

namespace tarn::editor::test {
namespace {

using tarn::test::FolderContents;
using tarn::test::RunProgram;
using tarn::test::TempFolder;

class ProgramCommandLine : public testing::TestWithParam<std::string> {
  protected:
    std::string Binary() const { return std::string(TARN_BINARY_DIR) + "/" + GetParam(); }
    std::string Usage() const { return "Usage: " + GetParam() + " [--help | --version]\n"; }
};

TEST_P(ProgramCommandLine, HelpAndVersionPrintAndLeaveTheFolderEmpty) {
    TempFolder folder("tarn-cmdline");
    for (const char* option : {"--help", "-h"}) {
        const auto run = RunProgram(Binary(), {option}, folder.Path());
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_EQ(run.out.rfind(Usage(), 0), 0u) << run.out;
        EXPECT_NE(run.out.find("ServicesToCheck.db"), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "") << option;
    }
    for (const char* option : {"--version", "-V"}) {
        const auto run = RunProgram(Binary(), {option}, folder.Path());
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_EQ(run.out, GetParam() + " " TARN_VERSION "\n");
        EXPECT_EQ(run.err, "") << option;
    }
    EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{});
}

TEST_P(ProgramCommandLine, AnyOtherArgumentIsRefusedBeforeAnythingStarts) {
    TempFolder folder("tarn-cmdline");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"/var/lib/tarnwatch"},
                                                 {"Settings.db"},
                                                 {"--verbose"},
                                                 {"--version", "-V"}}) {
        const auto run = RunProgram(Binary(), args, folder.Path());
        EXPECT_EQ(run.exitCode, 2) << args[0];
        EXPECT_EQ(run.out, "") << args[0];
        EXPECT_NE(run.err.find(Usage()), std::string::npos) << run.err;
    }
    EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, ProgramCommandLine,
                         testing::Values("tarnwatch", "tarnconfig"));

}  // namespace
}  // namespace tarn::editor::test
