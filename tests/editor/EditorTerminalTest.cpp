// tarnconfig itself: on a terminal under tmux, and started without one.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/platform/tui/Tmux.h"
#include "tests/support/TestFolder.h"

namespace tarn::editor::test {
namespace {

using tui::testing::ShellQuote;
using tui::testing::Tmux;
using tui::testing::WaitForFileText;

const std::string kBin = TARN_BINARY_DIR;

// The screen line holding `text`; "" when none.
std::string LineWith(const std::vector<std::string>& screen, const std::string& text) {
    for (const std::string& line : screen)
        if (line.find(text) != std::string::npos) return line;
    return "";
}

// The cells of the reverse-video run (an entry's field) on the styled line holding `label`.
size_t FieldCells(const std::vector<std::string>& styled, const std::string& label) {
    const std::string line = LineWith(styled, label);
    const size_t from = line.find("\x1b[7m");
    if (from == std::string::npos) return 0;
    const std::string rest = line.substr(from + 4);
    return rest.substr(0, rest.find('\x1b')).size();
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
    ASSERT_TRUE(tmux.Start("cd " + ShellQuote(folder.Path()) + " && stty -g > before; " +
                               ShellQuote(kBin + "/tarnconfig") +
                               "; echo $? > exitcode; stty -g > after; timeout 5 " +
                               ShellQuote(kBin + "/tarnwatch") + "; sleep 30",
                           100, 30));
    const std::string prompt = "Time Between Cycles In Seconds:";
    auto formClosed = [](const auto& s) { return LineWith(s, "Edit Settings").empty(); };
    std::vector<std::string> screen;
    ASSERT_TRUE(tmux.WaitForText("Quorvel Service Check Settings", &screen));
    // However narrow a button, it is drawn whole: no bracket cut off its caption.
    const std::string buttons = LineWith(screen, "Configuration");
    EXPECT_EQ(std::count(buttons.begin(), buttons.end(), '['),
              std::count(buttons.begin(), buttons.end(), ']'))
        << buttons;
    tmux.Keys("Enter");  // Configuration has the focus
    ASSERT_TRUE(tmux.WaitForText("Edit Settings", &screen));
    EXPECT_NE(LineWith(screen, prompt).find("60"), std::string::npos);
    tmux.Type("3x0");    // the focus selected 60: typing replaces it; the letter is refused
    tmux.Keys("Enter");  // OK is the default button
    ASSERT_TRUE(tmux.WaitFor(formClosed, &screen));

    tmux.Keys("Enter");
    ASSERT_TRUE(tmux.WaitForText("Edit Settings", &screen));
    std::string entry = LineWith(screen, prompt);
    EXPECT_NE(entry.find("30"), std::string::npos) << entry;
    tmux.Keys("Tab");  // off the entry, which then shows its whole field
    ASSERT_TRUE(
        tmux.WaitFor([&](const auto&) { return FieldCells(tmux.StyledScreen(), prompt) > 1; }));
    const size_t narrow = FieldCells(tmux.StyledScreen(), prompt);
    tmux.ResizeTo(160, 30);
    EXPECT_TRUE(tmux.WaitFor([&](const auto&) {
        return FieldCells(tmux.StyledScreen(), prompt) > narrow;
    })) << "the entry kept "
        << narrow << " cells";
    tmux.Keys("Escape");  // untouched: closes without a question
    ASSERT_TRUE(tmux.WaitFor(formClosed, &screen));
    EXPECT_EQ(LineWith(screen, "Changes will be lost!"), "");

    tmux.Keys("Tab Tab Enter");  // Services, then Close
    ASSERT_TRUE(WaitForFileText(folder / "exitcode", "0"));
    EXPECT_EQ(tarn::test::ReadAll(folder / "exitcode"), "0\n");
    ASSERT_TRUE(WaitForFileText(folder / "after", ":"));
    EXPECT_EQ(tarn::test::ReadAll(folder / "after"), tarn::test::ReadAll(folder / "before"));

    ASSERT_TRUE(tmux.WaitFor([&](const auto&) { return !CheckerLog(folder.Path()).empty(); }));
    EXPECT_TRUE(WaitForFileText(CheckerLog(folder.Path()), "Loaded Settings. Sleep Time = 30"))
        << tarn::test::ReadAll(CheckerLog(folder.Path()));
}

TEST(EditorTerminal, TheDescriptionShowsAsItIsTypedAndWraps) {
    if (!Tmux::Available()) GTEST_SKIP() << "tmux is not installed";
    tarn::test::TempFolder folder{"tarn-editor-box"};
    Tmux tmux;
    ASSERT_TRUE(tmux.Start("cd " + folder.Path() + " && " + kBin + "/tarnconfig", 100, 30));
    ASSERT_TRUE(tmux.WaitForText("Quorvel Service Check Settings"));
    tmux.Keys("Tab Enter");  // Services
    ASSERT_TRUE(tmux.WaitForText("Services To Check"));
    tmux.Keys("IC");
    ASSERT_TRUE(tmux.WaitForText("New Service"));
    tmux.Keys("Tab Tab");
    tmux.Type(
        "restarted by hand after every upgrade of the mail system, twice in a row, then "
        "checked");
    // Still in the box: the text shows, its end wrapped onto the box's second line.
    EXPECT_TRUE(tmux.WaitFor([&](const auto& s) {
        const std::string end = LineWith(s, "checked");
        return !LineWith(s, "New Service").empty() && !LineWith(s, "restarted by hand").empty() &&
               !end.empty() && end.find("Service Description") == std::string::npos;
    }));
}

// 80 x 24, the size most terminals open at: every window shows whole, its prompts apart from
// their entries, and an operator can add a service.
TEST(EditorTerminal, EveryWindowIsUsableAtEightyByTwentyFour) {
    if (!Tmux::Available()) GTEST_SKIP() << "tmux is not installed";
    tarn::test::TempFolder folder{"tarn-editor-80x24"};
    Tmux tmux;
    ASSERT_TRUE(tmux.Start("cd " + ShellQuote(folder.Path()) + " && " +
                               ShellQuote(kBin + "/tarnconfig") + "; sleep 30",
                           80, 24));
    std::vector<std::string> screen;
    auto whole = [&](const std::string& title) {
        EXPECT_TRUE(tmux.WaitFor(
            [&](const auto& s) { return !LineWith(s, title).empty() && LineWith(s, "+--") != ""; },
            &screen))
            << title;
        EXPECT_EQ(LineWith(screen, "Too small"), "") << title;
    };
    whole("Quorvel Service Check Settings");
    tmux.Keys("Enter");  // Configuration
    whole("Edit Settings");
    EXPECT_NE(LineWith(screen, "Time Between Cycles In Seconds: "), "");
    tmux.Keys("Escape");
    ASSERT_TRUE(tmux.WaitFor([](const auto& s) { return LineWith(s, "Edit Settings").empty(); }));
    tmux.Keys("Tab Enter");  // Services
    whole("Services To Check");
    tmux.Keys("IC");
    whole("New Service");
    for (const char* prompt : {"Server Name: ", "Service Name: ", "Service Description: ",
                               "Last Checked: ", "Last Checked Time: "})
        EXPECT_NE(LineWith(screen, prompt), "") << prompt;
    tmux.Keys("Tab");
    tmux.Type("sshd");
    tmux.Keys("Enter");
    EXPECT_TRUE(tmux.WaitFor(
        [](const auto& s) {
            return LineWith(s, "New Service").empty() && LineWith(s, "sshd") != "";
        },
        &screen));
}

// A terminal that cannot move its cursor would show nothing: refused as having none is.
TEST(EditorTerminal, OnADumbTerminalItRefusesInOneLine) {
    if (!Tmux::Available()) GTEST_SKIP() << "tmux is not installed";
    tarn::test::TempFolder folder{"tarn-editor-dumb"};
    Tmux tmux;
    ASSERT_TRUE(tmux.Start("cd " + ShellQuote(folder.Path()) + " && TERM=dumb " +
                               ShellQuote(kBin + "/tarnconfig") +
                               " 2>err; echo $? > exitcode; sleep 30",
                           80, 24));
    ASSERT_TRUE(WaitForFileText(folder / "exitcode", "\n"));
    EXPECT_EQ(tarn::test::ReadAll(folder / "exitcode"), "2\n");
    EXPECT_EQ(tarn::test::ReadAll(folder / "err"),
              "tarnconfig: needs a terminal (terminal type \"dumb\" cannot move the cursor); start "
              "it from a terminal or an SSH session\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "Tarnconfig.INI"));
}

TEST(EditorTerminal, WithoutATerminalItRefusesInOneLine) {
    tarn::test::TempFolder folder{"tarn-editor-tty"};
    std::string command =
        "cd " + folder.Path() + " && " + kBin + "/tarnconfig </dev/null >out 2>err";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    std::string said = tarn::test::ReadAll(folder / "err");
    EXPECT_NE(said.find("needs a terminal (standard input is not a terminal)"), std::string::npos)
        << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    EXPECT_EQ(tarn::test::ReadAll(folder / "out"), "");
    EXPECT_FALSE(std::filesystem::exists(folder / "Tarnconfig.INI"));
}

}  // namespace
}  // namespace tarn::editor::test
