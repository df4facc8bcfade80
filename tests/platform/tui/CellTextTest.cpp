#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "platform/tui/CellText.h"

namespace tarn::tui {
namespace {

// Runs each test in the locale a user of UTF-8 has, and puts the old one back.
class CellText : public ::testing::Test {
  protected:
    void SetUp() override {
        old_ = std::setlocale(LC_CTYPE, nullptr);
        ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    }
    void TearDown() override { std::setlocale(LC_CTYPE, old_.c_str()); }
    std::string old_;
};

TEST_F(CellText, WideCharactersTakeTwoCellsAndAccentsNone) {
    EXPECT_EQ(CellWidth("日本"), 4);
    EXPECT_EQ(CellWidth("café"), 4);
    EXPECT_EQ(CellWidth("cafe\xcc\x81"), 4);  // e with a combining acute accent
    EXPECT_EQ(FitCells("日本", 6, 'R'), "  日本");
    EXPECT_EQ(FitCells("日本", 6, 'L'), "日本  ");
}

// What would move the terminal's cursor, end a line or start an escape sequence is shown.
TEST_F(CellText, ControlCharactersAndStrayBytesAreShownNotSent) {
    EXPECT_EQ(Visible("a\nb\rc\bd\te\x1b[2J"), "a\\nb\\rc\\x08d\\te\\x1b[2J");
    EXPECT_EQ(Visible("\xff日\xe6\x97"), "\\xff日\\xe6\\x97");
    EXPECT_EQ(Visible("back\\slash"), "back\\slash");
    EXPECT_EQ(FitCells("a\nb", 5), "a\\nb ");
}

TEST_F(CellText, ACutNeverSplitsACharacter) {
    EXPECT_EQ(Slice("日本語", 0, 3), "日 ");   // 本 would need two cells
    EXPECT_EQ(Slice("日本語", 1, 4), " 本 ");  // 日 cut by the left edge
    EXPECT_EQ(Slice("ab日", 2, 2), "日");
    EXPECT_EQ(FitCells("日本語", 5), "日本 ");
}

TEST_F(CellText, ATerminalWithoutUtf8ShowsOneMarkPerCharacter) {
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(Visible("日本x"), "??x");
    EXPECT_EQ(CellWidth(Visible("日本x")), 3);
}

TEST_F(CellText, CharactersAreSteppedOverWhole) {
    const std::string text = "a日b";
    EXPECT_EQ(NextChar(text, 1), 4u);
    EXPECT_EQ(PreviousChar(text, 4), 1u);
    EXPECT_EQ(PreviousChar(text, 1), 0u);
    EXPECT_EQ(NextChar(text, 4), 5u);
    const std::string four =
        "a\xf0\x9f\x98\x80"
        "b";  // a character of four bytes
    EXPECT_EQ(NextChar(four, 1), 5u);
    EXPECT_EQ(PreviousChar(four, 5), 1u);
}

// A message wraps at blanks into lines no wider than the box; only a word longer than a line is
// cut, and then between characters.
TEST_F(CellText, TextWrapsAtWordsWithinTheWidth) {
    const std::string text =
        "This record was changed by another station. Those changes will now be displayed. Use "
        "the Ditto Button or Ctrl+H to recall your changes.";
    const std::vector<std::string> lines = WrapCells(text, 30);
    std::string joined;
    for (const std::string& line : lines) {
        EXPECT_LE(CellWidth(line), 30) << line;
        EXPECT_NE(line.front(), ' ') << line;
        joined += (joined.empty() ? "" : " ") + line;
    }
    EXPECT_EQ(joined, text);
    EXPECT_EQ(lines[0], "This record was changed by");
    EXPECT_EQ(WrapCells("one|two\nthree", 10), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(WrapCells("a|b", 10, false), (std::vector<std::string>{"a|b"}));
    EXPECT_EQ(WrapCells("日本語日本語 x", 5),
              (std::vector<std::string>{"日本", "語日", "本語", "x"}));
}

}  // namespace
}  // namespace tarn::tui
