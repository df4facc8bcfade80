#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "Tmux.h"
#include "platform/tui/TerminalFrontEnd.h"

namespace tarn::tui::testing {
namespace {

constexpr int kCols = 100;
constexpr int kLines = 30;

std::string Self() {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    self[std::max<ssize_t>(n, 0)] = 0;
    return self;
}

// The shell command that runs this test binary as the child that plays `scenario` and logs to
// `log`.
std::string ChildCommand(const std::string& scenario, const std::string& log) {
    return "TARN_TUI_CHILD=" + ShellQuote(scenario) + " TARN_TUI_LOG=" + ShellQuote(log) + " " +
           ShellQuote(Self());
}

class TerminalScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!Tmux::Available()) GTEST_SKIP() << "tmux is not installed";
        char pattern[] = "/tmp/tarn-tui-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        log_ = dir_ + "/events.log";
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }

    // Runs this test binary as the child playing `scenario`; the shell then says it is back.
    void StartChild(const std::string& scenario, const std::string& before = "",
                    const std::string& after = "", int cols = kCols, int lines = kLines) {
        std::string command =
            before + ChildCommand(scenario, log_) + after + "; echo SHELL-BACK; sleep 60";
        ASSERT_TRUE(tmux_.Start(command, cols, lines));
    }
    std::string Log() const { return ReadFile(log_); }

    // The bytes the child has read from its terminal so far; -1 before it wrote its pid.
    long long ChildRead() const {
        const int pid = std::atoi(ReadFile(log_ + ".pid").c_str());
        if (pid <= 0) return -1;
        const std::string io = ReadFile("/proc/" + std::to_string(pid) + "/io");
        const size_t at = io.find("rchar: ");
        return at == std::string::npos ? -1 : std::atoll(io.c_str() + at + 7);
    }
    // Types `input` and waits until the child has read all of it, so that what comes next is
    // read apart from it, as the next gesture of a hand is.
    bool TypeAndWaitTillRead(const std::string& input) {
        const long long before = ChildRead();
        if (before < 0) return false;
        tmux_.Type(input);
        const auto end = std::chrono::steady_clock::now() + kPatience;
        while (ChildRead() < before + static_cast<long long>(input.size())) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    Tmux tmux_;
    std::string dir_;
    std::string log_;
};

// The form window of 200 x 80 dialog units is 50 x 10 cells, centred: client area at row 10,
// column 25, its frame one cell around it.
constexpr int kTop = (kLines - 1 - 10) / 2;  // the last line is the status line
constexpr int kLeft = (kCols - 50) / 2;

TEST_F(TerminalScreen, FormIsDrawnWhereItsDialogUnitsSay) {
    StartChild("form");
    std::vector<std::string> s;
    // Down to the frame's last line: tmux may show a screen half drawn.
    ASSERT_TRUE(tmux_.WaitFor(
        [](const auto& screen) { return At(screen, kTop + 10, kLeft - 1, 1) == "+"; }, &s));
    EXPECT_EQ(At(s, kTop - 1, kLeft - 1, 1), "+");
    EXPECT_EQ(At(s, kTop - 1, kLeft + 50, 1), "+");
    EXPECT_EQ(At(s, kTop + 10, kLeft - 1, 1), "+");
    EXPECT_EQ(At(s, kTop + 3, kLeft - 1, 1), "|");
    EXPECT_NE(s[kTop - 1].find(" Edit Service "), std::string::npos);
    // Prompt at (8, 8) units: two cells in, one down, shown without its '&'.
    EXPECT_EQ(At(s, kTop + 1, kLeft + 2, 6), "Name: ");
    // Buttons at y 56, 16 high: the caption on the first of their two rows, centred.
    EXPECT_EQ(At(s, kTop + 7, kLeft + 10 + 3, 6), "[ OK ]");
    EXPECT_EQ(At(s, kTop + 7, kLeft + 26, 12), "[ x Cancel ]");  // with its icon's glyph
    tmux_.Keys("Escape");
    EXPECT_TRUE(WaitForFileText(log_, "terminal restored"));
}

TEST_F(TerminalScreen, TypedTextArrivesWhenTheEntryIsLeft) {
    StartChild("form");
    ASSERT_TRUE(tmux_.WaitForText("Edit Service"));
    tmux_.Type("svc");
    std::vector<std::string> s;
    // Shown in the entry (column 13 of the client area) while typing, not delivered yet.
    EXPECT_TRUE(tmux_.WaitFor(
        [](const auto& screen) { return At(screen, kTop + 1, kLeft + 13, 3) == "svc"; }, &s));
    EXPECT_EQ(Log().find("[svc]"), std::string::npos);
    tmux_.Type("d");
    tmux_.Keys("BSpace");
    tmux_.Keys("Tab");
    ASSERT_TRUE(WaitForFileText(log_, "1 2 [svc]"));
    // Tab then moved the focus to OK, and Enter presses the focused button.
    tmux_.Keys("Enter");
    ASSERT_TRUE(WaitForFileText(log_, "1 3 [OK]"));
    tmux_.Keys("Escape");
    ASSERT_TRUE(WaitForFileText(log_, "513 0"));
    EXPECT_EQ(Log(), "515 0\n1 2 [svc]\n257 3 [OK]\n1 3 [OK]\n513 0\nterminal restored\n");
}

// The entry holds "60" and has the focus: its text is selected, so typing replaces it; after a
// Shift+Tab back it is selected again, and End then keeps it; Esc delivers what was typed.
TEST_F(TerminalScreen, FocusSelectsTheEntrysTextSoTypingReplacesIt) {
    StartChild("filled");
    ASSERT_TRUE(tmux_.WaitForText("Edit Service"));
    tmux_.Type("30");
    tmux_.Keys("Tab");
    ASSERT_TRUE(WaitForFileText(log_, "257 3"));
    tmux_.Keys("BTab");
    tmux_.Keys("End");
    tmux_.Type("5");
    tmux_.Keys("Home");
    tmux_.Type("1");
    tmux_.Keys("Tab");
    ASSERT_TRUE(WaitForFileText(log_, "[1305]"));
    tmux_.Keys("BTab");
    tmux_.Type("9");
    tmux_.Keys("Escape");
    ASSERT_TRUE(WaitForFileText(log_, "terminal restored"));
    EXPECT_EQ(Log(),
              "515 0\n1 2 [30]\n257 3 [OK]\n257 2 [30]\n1 2 [1305]\n257 3 [OK]\n257 2 [1305]\n"
              "1 2 [9]\n513 0\nterminal restored\n");
}

TEST_F(TerminalScreen, EnterInTheEntryDeliversTextThenPressesTheDefaultButton) {
    StartChild("form");
    ASSERT_TRUE(tmux_.WaitForText("Edit Service"));
    tmux_.Type("web");
    tmux_.Keys("Enter");
    ASSERT_TRUE(WaitForFileText(log_, "1 3 [OK]"));
    EXPECT_EQ(Log(), "515 0\n1 2 [web]\n1 3 [OK]\n");
    // Esc closes the window; the terminal is the shell's again.
    tmux_.Keys("Escape");
    std::vector<std::string> s;
    ASSERT_TRUE(tmux_.WaitForText("SHELL-BACK", &s));
    bool plain = false;
    for (const std::string& line : s) {
        EXPECT_EQ(line.find("Edit Service"), std::string::npos) << line;
        if (line == "plain output after the window") plain = true;
    }
    EXPECT_TRUE(plain);
    EXPECT_NE(Log().find("terminal restored"), std::string::npos);
}

// The entry's picture holds 20 bytes: the 21st key is refused while typing, not cut on leaving.
TEST_F(TerminalScreen, TheEntryTakesNoMoreThanItsPictureHolds) {
    StartChild("form");
    ASSERT_TRUE(tmux_.WaitForText("Edit Service"));
    tmux_.Type("abcdefghijklmnopqrstuvwxy");
    tmux_.Keys("Enter");
    ASSERT_TRUE(WaitForFileText(log_, "1 3 [OK]"));
    EXPECT_EQ(Log(), "515 0\n1 2 [abcdefghijklmnopqrst]\n1 3 [OK]\n");
    tmux_.Keys("Escape");
    EXPECT_TRUE(WaitForFileText(log_, "terminal restored"));
}

// A number too large for its variable is refused and keeps the focus: the Enter that left the
// entry is not taken as a press of the default button.
TEST_F(TerminalScreen, ARefusedEntryDropsTheKeyThatLeftIt) {
    StartChild("number");
    ASSERT_TRUE(tmux_.WaitForText("Edit Settings"));
    tmux_.Type("99999999999");
    tmux_.Keys("Enter");
    ASSERT_TRUE(WaitForFileText(log_, "26 1 [99999999999]"));
    tmux_.Keys("Escape");
    ASSERT_TRUE(WaitForFileText(log_, "terminal restored"));
    EXPECT_EQ(Log(), "515 0\n26 1 [99999999999]\n513 0\nterminal restored\n");
}

// Ctrl+H sends byte 8, which is what Backspace sends where the erase character is ^H: then it
// must edit; elsewhere it must reach the window as 584 (the history key of the forms).
TEST_F(TerminalScreen, ByteEightIsCtrlHUnlessItIsTheErase) {
    for (bool eraseIsCtrlH : {false, true}) {
        Tmux tmux;
        std::remove(log_.c_str());
        std::swap(tmux_, tmux);
        StartChild("form", eraseIsCtrlH ? "stty erase ^H; " : "stty erase ^?; ");
        ASSERT_TRUE(tmux_.WaitForText("Edit Service"));
        tmux_.Type("web");
        tmux_.Keys("C-h");
        tmux_.Keys("BSpace");
        tmux_.Keys("Tab");
        ASSERT_TRUE(WaitForFileText(log_, "257 3")) << Log();
        if (eraseIsCtrlH) {
            EXPECT_EQ(Log(), "515 0\n1 2 [w]\n257 3 [OK]\n");
        } else {
            EXPECT_EQ(Log(), "515 0\n1 2 [web]\n15 2 [web] key 584\n1 2 [we]\n257 3 [OK]\n");
        }
    }
}

// However the program ends, the shell gets its terminal back as it was: the same settings, the
// cursor shown, no mouse reporting, no alternate screen.
TEST_F(TerminalScreen, EveryWayOutGivesTheTerminalBack) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP, 0}) {
        Tmux tmux;
        std::swap(tmux_, tmux);
        std::remove((log_ + ".pid").c_str());
        std::string before = dir_ + "/before", after = dir_ + "/after";
        std::remove(after.c_str());
        StartChild(signal ? "form" : "fatal", "stty -g > " + before + "; ", "; stty -g > " + after);
        ASSERT_TRUE(WaitForFileText(log_ + ".pid", "\n"));
        if (signal) {
            ASSERT_TRUE(tmux_.WaitForText("Edit Service"));
            kill(std::atoi(ReadFile(log_ + ".pid").c_str()), signal);
        } else {
            ASSERT_TRUE(tmux_.WaitForText("Second line"));
            tmux_.Keys("Enter");  // the fatal message is acknowledged, the program halts
        }
        ASSERT_TRUE(tmux_.WaitForText("SHELL-BACK")) << signal;
        EXPECT_EQ(ReadFile(after), ReadFile(before)) << signal;
        EXPECT_EQ(tmux_.Format("#{cursor_flag} #{mouse_any_flag} #{alternate_on}"), "1 0 0")
            << signal;
    }
}

// The last line tells about the focused control: its status text, else its tip; and that the
// program is busy while the wait cursor is on.
TEST_F(TerminalScreen, StatusLineShowsTheFocusedControlsTextAndTheBusyMark) {
    StartChild("form");
    auto lastLine = [](const std::string& text) {
        return [text](const auto& s) {
            return s.size() == kLines && s.back().find(text) != std::string::npos;
        };
    };
    std::vector<std::string> s;
    EXPECT_TRUE(tmux_.WaitFor(lastLine(" Name of the service"), &s)) << s.back();
    tmux_.Keys("Tab");
    EXPECT_TRUE(tmux_.WaitFor(lastLine(" Accept data and close the window"), &s)) << s.back();
    EXPECT_EQ(s.back().find("[busy]"), std::string::npos);
    tmux_.Keys("Enter");
    EXPECT_TRUE(tmux_.WaitFor(lastLine("[busy]"), &s)) << s.back();
    tmux_.Keys("Escape");
    EXPECT_TRUE(WaitForFileText(log_, "terminal restored"));
}

// A terminal smaller than the window shows its part with the focused control and says so; keys
// then act on nothing the user cannot see, except Esc, which the message names and which closes.
TEST_F(TerminalScreen, ATooSmallTerminalTakesOnlyEsc) {
    StartChild("filled", "", "", 30, 8);
    std::vector<std::string> s;
    ASSERT_TRUE(tmux_.WaitForText("needs 52x13", &s));
    EXPECT_TRUE(tmux_.WaitForText("60", &s));  // the focused entry
    std::string said;
    for (const std::string& line : s) said += line;
    EXPECT_NE(said.find("Too small"), std::string::npos) << said;
    EXPECT_NE(said.find("but Esc, which closes"), std::string::npos) << said;
    ASSERT_TRUE(TypeAndWaitTillRead("5\t\r"));
    tmux_.Keys("Escape");
    ASSERT_TRUE(WaitForFileText(log_, "terminal restored"));
    EXPECT_EQ(Log(), "515 0\n513 0\nterminal restored\n");
}

// Names in any script are drawn as their characters, and the cursor stands after them by the
// cells they take (two for each of these); Backspace erases a whole character.
TEST_F(TerminalScreen, Utf8IsDrawnAsCharactersAndTheCursorFollowsTheirWidth) {
    StartChild("utf8", "LC_ALL=C.UTF-8 ");
    std::vector<std::string> s;
    ASSERT_TRUE(tmux_.WaitForText("日本", &s));
    EXPECT_EQ(tmux_.Format("#{cursor_x} #{cursor_y}"),
              std::to_string(kLeft + 13 + 4) + " " + std::to_string(kTop + 1));
    tmux_.Keys("End");
    tmux_.Type("語");
    tmux_.Keys("BSpace");
    tmux_.Type("é");
    tmux_.Keys("Tab");
    ASSERT_TRUE(WaitForFileText(log_, "257 3"));
    EXPECT_EQ(Log(), "515 0\n1 2 [日本é]\n257 3 [OK]\n");
    tmux_.Keys("Escape");
    EXPECT_TRUE(WaitForFileText(log_, "terminal restored"));
}

// A line feed, backspace or carriage return kept in a name would move the terminal's cursor out
// of the window: it is shown instead, and the frame stays whole.
TEST_F(TerminalScreen, ControlCharactersInTextAreShownEscaped) {
    StartChild("controls");
    std::vector<std::string> s;
    ASSERT_TRUE(tmux_.WaitForText("Edit Service", &s));
    ASSERT_TRUE(tmux_.WaitFor(
        [](const auto& screen) { return At(screen, kTop + 10, kLeft - 1, 1) == "+"; }, &s));
    EXPECT_EQ(At(s, kTop + 1, kLeft + 13, 12), "a\\nb\\x08c\\rd");
    EXPECT_EQ(At(s, kTop + 1, kLeft + 50, 1), "|");
    EXPECT_EQ(At(s, kTop + 2, kLeft, 50), std::string(50, ' '));
    tmux_.Keys("Escape");
    EXPECT_TRUE(WaitForFileText(log_, "terminal restored"));
}

TEST_F(TerminalScreen, ProgressBarAtHalfIsHalfFilled) {
    StartChild("progress");
    std::vector<std::string> s;
    // 200 x 48 units: 50 x 6 cells; the bar is 40 cells at (5, 2), the text centred on row 4.
    // Waited for whole: the window may show a moment before its bar and text are set.
    int top = (kLines - 1 - 6) / 2;
    const std::string half = std::string(20, '#') + std::string(20, '.');
    tmux_.WaitFor(
        [&](const auto& screen) {
            return At(screen, top + 2, kLeft + 5, 40) == half &&
                   At(screen, top + 4, kLeft + 21, 8) == "half way";
        },
        &s);
    EXPECT_EQ(At(s, top + 2, kLeft + 5, 40), half);
    EXPECT_EQ(At(s, top + 4, kLeft + 21, 8), "half way");
    tmux_.Keys("Escape");
    EXPECT_TRUE(WaitForFileText(log_, "terminal restored"));
}

TEST_F(TerminalScreen, TerminalResizeArrivesAsWindowResize) {
    StartChild("form");
    ASSERT_TRUE(tmux_.WaitForText("Edit Service"));
    // The window grows and shrinks as much as the terminal does, and is its old size again
    // with the terminal's old size.
    tmux_.ResizeTo(110, 33);
    ASSERT_TRUE(WaitForFileText(log_, "561 0 240x104"));
    tmux_.ResizeTo(kCols, kLines);
    ASSERT_TRUE(WaitForFileText(log_, "561 0 200x80")) << Log();
    tmux_.Keys("Escape");
    EXPECT_TRUE(WaitForFileText(log_, "terminal restored"));
}

TEST_F(TerminalScreen, ListShowsHeadersRowsAndMovesTheHighlight) {
    StartChild("list");
    std::vector<std::string> s;
    int top = (kLines - 1 - 6) / 2;
    int left = (kCols - 40) / 2;
    // The whole list, down to the scroll bar's last arrow, is on the screen.
    ASSERT_TRUE(tmux_.WaitFor(
        [&](const auto& screen) { return At(screen, top + 4, left + 39, 1) == "v"; }, &s));
    // 160 x 48 units: 40 x 6 cells; the list takes 5 rows: a header and four rows, so the
    // fifth row is out of view; the scroll bar is the last column.
    EXPECT_EQ(At(s, top, left, 25), "Name                Count");
    EXPECT_EQ(At(s, top + 1, left, 25), "svc1                   10");
    EXPECT_EQ(At(s, top + 4, left, 25), "svc4                   40");
    EXPECT_EQ(s[top + 5].find("svc5"), std::string::npos);
    EXPECT_EQ(At(s, top, left + 39, 1), "^");
    EXPECT_EQ(At(s, top + 4, left + 39, 1), "v");
    tmux_.Keys("Down");
    tmux_.Keys("Down");
    tmux_.Keys("Down");
    ASSERT_TRUE(WaitForFileText(log_, "2 1 [] row 3\n2 1 [] row 4\n2 1 [] row 5"));
    // Row 5 is highlighted now and scrolled into view at the bottom.
    EXPECT_TRUE(tmux_.WaitFor(
        [&](const auto& screen) { return At(screen, top + 4, left, 4) == "svc5"; }, &s));
    EXPECT_EQ(At(s, top + 1, left, 4), "svc2");
    tmux_.Keys("Escape");
    EXPECT_TRUE(WaitForFileText(log_, "terminal restored"));
}

// What a browse alerts on its list, sent as terminals send it: the Menu key and Shift+F10,
// Ctrl+Enter as a modifier sequence and as Ctrl+J, Shift+Enter, Insert, Delete, characters.
TEST_F(TerminalScreen, ListKeysArriveWithTheirCodesAndCharacters) {
    StartChild("list");
    ASSERT_TRUE(tmux_.WaitForText("svc1"));
    tmux_.Type("\x1b[29~");
    tmux_.Keys("S-F10");
    tmux_.Type("\x1b[13;5u");
    tmux_.Keys("C-j");
    tmux_.Type("\x1b[27;2;13~");
    tmux_.Keys("IC");
    tmux_.Keys("DC");
    tmux_.Type("aA.");
    ASSERT_TRUE(WaitForFileText(log_, "char ."));
    EXPECT_EQ(Log(),
              "515 0\n15 1 [] row 2 key 93\n15 1 [] row 2 key 93\n15 1 [] row 2 key 525\n15 1 [] "
              "row 2 key 525\n"
              "15 1 [] row 2 key 269\n15 1 [] row 2 key 45\n15 1 [] row 2 key 46\n15 1 [] row 2 "
              "key 65 char a\n"
              "15 1 [] row 2 key 321 char A\n15 1 [] row 2 key 190 char .\n");
    tmux_.Keys("Escape");
    EXPECT_TRUE(WaitForFileText(log_, "terminal restored"));
}

// The mouse as terminals report it (press and release, X10 encoding): a double click on a row
// and none on the header, a right click, the wheel, a drag of the scroll-bar thumb.
TEST_F(TerminalScreen, ListMouseClicksWheelAndThumbDrag) {
    StartChild("list");
    ASSERT_TRUE(tmux_.WaitForText("svc1"));
    int top = (kLines - 1 - 6) / 2;  // the header; rows below it; the scroll bar in column 69
    auto mouse = [](int button, int row, int col) {
        std::string event = "\x1b[M";
        event += static_cast<char>(32 + button);
        event += static_cast<char>(33 + col);
        event += static_cast<char>(33 + row);
        return event;
    };
    auto click = [&](int row, int col) {
        return mouse(0, row, col) + mouse(3, row, col);  // press, release
    };
    // Each gesture goes out at once and is read before the next one, as a hand makes them.
    ASSERT_TRUE(TypeAndWaitTillRead(click(top, 35) + click(top, 35)));
    tmux_.Type(click(top + 3, 35) + click(top + 3, 35));
    ASSERT_TRUE(WaitForFileText(log_, "key 5")) << Log();
    tmux_.Type(mouse(2, top + 4, 35));  // right button on the fourth row
    ASSERT_TRUE(WaitForFileText(log_, "key 130")) << Log();
    tmux_.Type(mouse(65, top + 2, 35));  // wheel down
    ASSERT_TRUE(WaitForFileText(log_, "row 5")) << Log();
    // The thumb, at 0, dropped half way down the track once the press was read.
    ASSERT_TRUE(TypeAndWaitTillRead(mouse(0, top + 1, 69)));
    tmux_.Type(mouse(3, top + 2, 69));
    ASSERT_TRUE(WaitForFileText(log_, "thumb")) << Log();
    EXPECT_EQ(Log(),
              "515 0\n15 1 [] row 3 key 5\n15 1 [] row 4 key 130\n"
              "2 1 [] row 5\n9 1 [] row 5 thumb 50\n");
    tmux_.Keys("Escape");
    EXPECT_TRUE(WaitForFileText(log_, "terminal restored"));
}

TEST_F(TerminalScreen, MessageBoxShowsItsLinesAndAnswersTheLetter) {
    StartChild("box");
    std::vector<std::string> s;
    ASSERT_TRUE(tmux_.WaitForText("[ Cancel ]", &s));
    int first = -1;
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i].find("First line") != std::string::npos) first = static_cast<int>(i);
    ASSERT_GE(first, 0);
    EXPECT_NE(s[first + 1].find("Second line"), std::string::npos);
    EXPECT_NE(s[first - 1].find(" Question "), std::string::npos);
    size_t yes = s[first + 3].find("[ Yes ]");
    EXPECT_NE(yes, std::string::npos);
    EXPECT_EQ(s[first + 3].find("[ No ]"), yes + 9);
    EXPECT_EQ(s[first + 3].find("[ Cancel ]"), yes + 17);
    tmux_.Type("n");
    ASSERT_TRUE(WaitForFileText(log_, "terminal restored"));
    EXPECT_EQ(Log(), "answer 4\nterminal restored\n");
}

// A message wider than the terminal wraps at its words inside the box, which stays on the screen
// and grows downwards: every word shows whole, and the frame closes on both sides.
TEST_F(TerminalScreen, ALongMessageWrapsInsideTheScreen) {
    StartChild("longbox", "", "", 40, 24);
    std::vector<std::string> s;
    ASSERT_TRUE(tmux_.WaitForText("[ OK ]", &s));
    std::string text;
    int rows = 0;
    for (const std::string& line : s) {
        const size_t left = line.find('|');
        if (left == std::string::npos) continue;
        const size_t right = line.rfind('|');
        ASSERT_GT(right, left) << line;
        std::string inner = line.substr(left + 1, right - left - 1);
        inner.erase(0, inner.find_first_not_of(' '));
        inner.erase(inner.find_last_not_of(' ') + 1);
        if (inner.empty() || inner.find("[ OK ]") != std::string::npos) continue;
        text += (text.empty() ? "" : " ") + inner;
        ++rows;
    }
    EXPECT_EQ(text,
              "This record was changed by another station. Those changes will now be displayed. "
              "Use the Ditto Button or Ctrl+H to recall your changes.");
    EXPECT_GE(rows, 4);
    tmux_.Keys("Enter");
    EXPECT_TRUE(WaitForFileText(log_, "answer 1"));
}

// A terminal that cannot move its cursor (TERM=dumb) would show a blank screen: refused at once,
// as having no terminal is.
TEST_F(TerminalScreen, ATerminalThatCannotAddressTheCursorIsRefused) {
    StartChild("form", "TERM=dumb ", "; echo exit $?");
    ASSERT_TRUE(tmux_.WaitForText("SHELL-BACK"));
    std::vector<std::string> s;
    ASSERT_TRUE(tmux_.WaitForText("exit 2", &s));
    EXPECT_EQ(Log(), "needs a terminal (terminal type \"dumb\" cannot move the cursor)\n");
}

TEST_F(TerminalScreen, MessageBoxKeys) {
    struct Case {
        std::vector<std::string> keys;
        const char* answer;
    };
    // Enter takes the default (Yes), arrows move to No, Esc answers Cancel.
    for (const Case& c : {Case{{"Enter"}, "answer 2"}, Case{{"Right", "Enter"}, "answer 4"},
                          Case{{"Escape"}, "answer 64"}}) {
        Tmux tmux;
        std::remove(log_.c_str());
        std::swap(tmux_, tmux);
        StartChild("box");
        ASSERT_TRUE(tmux_.WaitForText("Second line"));
        for (const std::string& k : c.keys) tmux_.Keys(k);
        EXPECT_TRUE(WaitForFileText(log_, c.answer)) << c.answer << ": " << Log();
    }
}

}  // namespace
}  // namespace tarn::tui::testing

namespace tarn::tui {
namespace {

// Runs this test binary as the child playing `scenario`, without a terminal and without a
// shell; returns its wait status.
int RunChildWithoutTerminal(const std::string& scenario, const std::string& log) {
    const std::string self = testing::Self();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        setenv("TARN_TUI_CHILD", scenario.c_str(), 1);
        setenv("TARN_TUI_LOG", log.c_str(), 1);
        execl(self.c_str(), self.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = -1;
    if (pid > 0) waitpid(pid, &status, 0);
    return status;
}

TEST(TerminalFactory, WithoutATerminalTheRefusalSaysWhy) {
    std::string log = "/tmp/tarn-tui-refusal-" + std::to_string(getpid());
    int status = RunChildWithoutTerminal("form", log);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
    EXPECT_EQ(testing::ReadFile(log), "needs a terminal (standard input is not a terminal)\n");
    std::remove(log.c_str());
}

TEST(TerminalFactory, WithoutTermThereIsNoTerminalFrontEnd) {
    const char* old = std::getenv("TERM");
    std::string saved = old ? old : "";
    unsetenv("TERM");
    EXPECT_EQ(MakeTerminalFrontEndIfTerminal(), nullptr);
    setenv("TERM", "xterm", 1);
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        EXPECT_EQ(MakeTerminalFrontEndIfTerminal(), nullptr);
    }
    if (old) {
        setenv("TERM", saved.c_str(), 1);
    } else {
        unsetenv("TERM");
    }
}

}  // namespace
}  // namespace tarn::tui
