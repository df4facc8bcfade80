#include <gtest/gtest.h>

#include <cstring>

#include "platform/system/Clock.h"
#include "platform/ui/Window.h"

namespace tarn::ui {
namespace {

struct Record {
    int32_t seconds = 0;
    char server[8] = {};
    char fixed[6] = {};
    int32_t date = 0;
};

class BindingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WindowDef def;
        def.title = "Form";
        def.controls = {
            {.kind = KindEntry, .name = "?Seconds", .text = "@n14@", .rect = {140, 29, 60, 10}},
            {.kind = KindEntry, .name = "?Server", .rect = {77, 5, 258, 10}},
            {.kind = KindEntry, .name = "?Fixed", .rect = {77, 20, 100, 10}},
            {.kind = KindString, .name = "?Date", .text = "@d08-b@", .rect = {61, 76, 55, 10}},
        };
        window = std::make_unique<Window>(def);
        window->Bind(1, Binding::Int(&rec.seconds, ""));
        window->Bind(2, Binding::Chars(rec.server, sizeof rec.server, "s127"));
        window->Bind(3, Binding::Fixed(rec.fixed, sizeof rec.fixed, "s5"));
        window->Bind(4, Binding::Int(&rec.date, ""));
    }

    Record rec;
    std::unique_ptr<Window> window;
};

TEST_F(BindingTest, DisplayShowsVariablesThroughTheirPictures) {
    rec.seconds = 1234567;
    std::strcpy(rec.server, "HOST");
    std::memcpy(rec.fixed, "ab    ", 6);
    rec.date = platform::DayNumber(2024, 3, 5);
    window->Display();
    EXPECT_EQ(window->Get(1)->text.find("1,234,567") != std::string::npos, true)
        << window->Get(1)->text;
    EXPECT_EQ(window->Get(2)->text, "HOST");
    EXPECT_EQ(window->Get(3)->text, "ab");
    EXPECT_EQ(window->Get(4)->text, "05-Mar-2024");
    rec.date = 0;
    window->Display(4);
    EXPECT_EQ(window->Get(4)->text.find_first_not_of(' '), std::string::npos);
}

TEST_F(BindingTest, UpdateReadsTextsBackAndRoundTrips) {
    window->Get(1)->text = "90";
    window->Get(2)->text = "a-much-longer-name";
    window->Get(3)->text = "xyz";
    EXPECT_TRUE(window->Update());
    EXPECT_EQ(rec.seconds, 90);
    // Seven characters and the terminating zero fill the eight bytes.
    EXPECT_STREQ(rec.server, "a-much-");
    EXPECT_EQ(std::string(rec.fixed, 6), "xyz   ");
    window->Display();
    EXPECT_EQ(window->Get(2)->text, "a-much-");
    EXPECT_NE(window->Get(1)->text.find("90"), std::string::npos);
}

TEST_F(BindingTest, TextThatDoesNotFitThePictureLeavesTheVariable) {
    rec.seconds = 60;
    window->Get(1)->text = "sixty";
    EXPECT_FALSE(window->Update(1));
    EXPECT_EQ(rec.seconds, 60);
}

TEST_F(BindingTest, ValueTextsAndReadOnlyEntriesAreNotUpdated) {
    rec.date = 77;
    window->Get(4)->text = "01-Jan-2000";
    window->Get(2)->readOnly = true;
    window->Get(2)->text = "changed";
    EXPECT_TRUE(window->Update());
    EXPECT_EQ(rec.date, 77);
    EXPECT_STREQ(rec.server, "");
}

// An entry takes what both its variable and its picture hold: the smaller of the two.
TEST_F(BindingTest, AnEntryTakesNoMoreThanItsVariableAndPictureHold) {
    EXPECT_EQ(window->Get(2)->MaxInput(), 7);  // 8 bytes with the terminator, picture s127
    EXPECT_EQ(window->Get(3)->MaxInput(), 5);  // 6 blank-padded bytes, picture s5
    EXPECT_EQ(window->Get(1)->MaxInput(), 0);  // a number: its rule says what it takes
}

TEST(BindingCut, ATextFieldNeverEndsInHalfACharacter) {
    char buf[5] = {};
    Binding b = Binding::Chars(buf, sizeof buf, "");
    EXPECT_TRUE(b.Read("ab\xc3\xa9\xc3\xa9"));  // "abéé": the second é does not fit
    EXPECT_STREQ(buf, "ab\xc3\xa9");
}

}  // namespace
}  // namespace tarn::ui
