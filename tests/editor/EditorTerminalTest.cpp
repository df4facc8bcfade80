// tarnconfig itself: on a terminal under tmux, and started without one.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/platform/tui/Tmux.h"
#include "tests/support/TestFolder.h"

namespace tarn::editor::test {
namespace {

using tui::testing::Tmux;
using tui::testing::WaitForFileText;

const std::string kBin = TARN_BINARY_DIR;

bool Shows(const std::vector<std::string>& screen, const std::string& text) {
    for (const std::string& line : screen)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

// The screen line holding `label`; "" when none.
std::string LineWith(const std::vector<std::string>& screen, const std::string& label) {
    for (const std::string& line : screen)
        if (line.find(label) != std::string::npos) return line;
    return "";
}

// Follows the reverse-video attribute through the codes of one "ESC [ codes m" sequence.
bool ReverseAfter(const std::string& codes, bool reverse) {
    std::istringstream in(codes);
    for (std::string code; std::getline(in, code, ';');) {
        if (code == "7") reverse = true;
        if (code.empty() || code == "0" || code == "27") reverse = false;
    }
    return codes.empty() ? false : reverse;
}

// The cells shown in reverse video (an entry's field) on the first styled line holding `label`.
int FieldCells(const std::vector<std::string>& styled, const std::string& label) {
    for (const std::string& line : styled) {
        if (line.find(label) == std::string::npos) continue;
        int cells = 0;
        bool reverse = false;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] != '\x1b') {
                cells += reverse;
                continue;
            }
            size_t end = line.find('m', i);
            if (end == std::string::npos) break;
            reverse = ReverseAfter(line.substr(i + 2, end - i - 2), reverse);
            i = end;
        }
        return cells;
    }
    return 0;
}

// The checker's day log in folder; "" before it exists.
std::string CheckerLog(const std::string& folder) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder + "/logfiles", ec))
        return entry.path();
    return "";
}

TEST(EditorTerminal, TheCycleTimeSetOnTheTerminalReachesTheChecker) {
    if (!Tmux::Available()) GTEST_SKIP() << "tmux is not installed";
    tarn::test::TempFolder folder{"tarn-editor-e2e"};
    Tmux tmux;
    // The terminal settings before and after the editor, its exit code, then a short checker run.
    ASSERT_TRUE(tmux.Start("cd " + folder.Path() + " && stty -g > before; " + kBin +
                               "/tarnconfig; echo $? > exitcode; stty -g > after; timeout 5 " +
                               kBin + "/tarnwatch; sleep 30",
                           100, 30));
    std::vector<std::string> screen;
    ASSERT_TRUE(tmux.WaitForText("Quorvel Service Check Settings", &screen));
    tmux.Keys("Enter");  // Configuration has the focus
    ASSERT_TRUE(tmux.WaitForText("Edit Settings", &screen));
    EXPECT_NE(LineWith(screen, "Time Between Cycles In Seconds:").find("60"), std::string::npos);
    tmux.Type("30");     // the focus selected 60: typing replaces it
    tmux.Keys("Enter");  // OK is the default button
    ASSERT_TRUE(tmux.WaitFor([](const auto& s) { return !Shows(s, "Edit Settings"); }, &screen));

    tmux.Keys("Enter");
    ASSERT_TRUE(tmux.WaitForText("Edit Settings", &screen));
    std::string entry = LineWith(screen, "Time Between Cycles In Seconds:");
    EXPECT_NE(entry.find("30"), std::string::npos) << entry;
    const std::string prompt = "Time Between Cycles In Seconds:";
    tmux.Keys("Tab");  // off the entry, which then shows its whole field
    ASSERT_TRUE(
        tmux.WaitFor([&](const auto&) { return FieldCells(tmux.StyledScreen(), prompt) > 1; }));
    const int narrow = FieldCells(tmux.StyledScreen(), prompt);
    EXPECT_GT(narrow, 0);
    tmux.ResizeTo(160, 30);
    EXPECT_TRUE(tmux.WaitFor([&](const auto&) {
        return FieldCells(tmux.StyledScreen(), prompt) > narrow;
    })) << "the entry kept "
        << narrow << " cells";
    tmux.Keys("Escape");  // untouched: closes without a question
    ASSERT_TRUE(tmux.WaitFor([](const auto& s) { return !Shows(s, "Edit Settings"); }, &screen));
    EXPECT_FALSE(Shows(screen, "Changes will be lost!"));

    tmux.Keys("Tab Tab Enter");  // Services, then Close
    ASSERT_TRUE(WaitForFileText(folder / "exitcode", "0"));
    EXPECT_EQ(tarn::test::ReadAll(folder / "exitcode"), "0\n");
    ASSERT_TRUE(WaitForFileText(folder / "after", ":"));
    EXPECT_EQ(tarn::test::ReadAll(folder / "after"), tarn::test::ReadAll(folder / "before"));

    ASSERT_TRUE(tmux.WaitFor([&](const auto&) { return !CheckerLog(folder.Path()).empty(); }));
    EXPECT_TRUE(WaitForFileText(CheckerLog(folder.Path()), "Loaded Settings. Sleep Time = 30"))
        << tarn::test::ReadAll(CheckerLog(folder.Path()));
}

TEST(EditorTerminal, WithoutATerminalItRefusesInOneLine) {
    tarn::test::TempFolder folder{"tarn-editor-tty"};
    std::string command =
        "cd " + folder.Path() + " && " + kBin + "/tarnconfig </dev/null >out 2>err";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    std::string said = tarn::test::ReadAll(folder / "err");
    EXPECT_NE(said.find("needs a terminal"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    EXPECT_EQ(tarn::test::ReadAll(folder / "out"), "");
    EXPECT_FALSE(std::filesystem::exists(folder / "Tarnconfig.INI"));
}

}  // namespace
}  // namespace tarn::editor::test
