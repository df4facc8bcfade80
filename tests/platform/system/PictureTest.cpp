#include <gtest/gtest.h>

#include <clocale>

#include "platform/system/Clock.h"
#include "platform/system/Picture.h"

namespace tarn::platform {
namespace {

class PictureTest : public ::testing::Test {
  protected:
    void SetUp() override { std::setlocale(LC_TIME, "C"); }
};

TEST_F(PictureTest, DatesInEachPicture) {
    const int32_t day = DayNumber(2026, 12, 7);
    EXPECT_EQ(FormatPicture("d12", day), "20261207");
    EXPECT_EQ(FormatPicture("D12", day), "20261207");
    EXPECT_EQ(FormatPicture("D08-b", day), "07-Dec-2026");
    EXPECT_EQ(FormatPicture("d08-b", DayNumber(2019, 1, 19)), "19-Jan-2019");
    EXPECT_EQ(FormatPicture("@D08-b", DayNumber(1801, 1, 1)), "01-Jan-1801");
    EXPECT_EQ(FormatPicture("D17", day), "12/07/26");  // the C locale's %x
}

TEST_F(PictureTest, ZeroDatesAndTimesAreBlank) {
    EXPECT_EQ(FormatPicture("D08-b", 0), "");
    EXPECT_EQ(FormatPicture("d12", 0), "");
    EXPECT_EQ(FormatPicture("t06b", 0), "");
    EXPECT_EQ(FormatPicture("t06b", 8640001), "");
    EXPECT_EQ(FormatPicture("D08-b", -5), "");
}

TEST_F(PictureTest, TimesInEachPicture) {
    EXPECT_EQ(FormatPicture("t06b", ClockValue(13, 5, 9)), "01:05:09PM");
    EXPECT_EQ(FormatPicture("t06b", ClockValue(0, 0, 0)), "12:00:00AM");
    EXPECT_EQ(FormatPicture("t06b", ClockValue(12, 0, 0)), "12:00:00PM");
    EXPECT_EQ(FormatPicture("t06b", ClockValue(11, 59, 59, 99)), "11:59:59AM");
    EXPECT_EQ(FormatPicture("t06b", ClockValue(23, 59, 59, 99)), "11:59:59PM");
    EXPECT_EQ(FormatPicture("T8", ClockValue(13, 5, 9)), "13:05:09");  // the C locale's %X
}

TEST_F(PictureTest, NumbersGetSeparatorsAndWidth) {
    EXPECT_EQ(FormatPicture("n14", 1234567), "     1,234,567");
    EXPECT_EQ(FormatPicture("n14", -1234), "        -1,234");
    EXPECT_EQ(FormatPicture("n14", 0), "             0");
    EXPECT_EQ(FormatPicture("n14b", 0), "");
    EXPECT_EQ(FormatPicture("n3", 123456), "123,456");
    EXPECT_EQ(FormatPicture("n26", INT64_MIN), "-9,223,372,036,854,775,808");
}

TEST_F(PictureTest, TextsAreCutOnCharacterBoundaries) {
    EXPECT_EQ(FormatPicture("s5", std::string_view("abcdefg")), "abcde");
    EXPECT_EQ(FormatPicture("s20", std::string_view("abc")), "abc");
    // "é" is two bytes: a cut through it drops the whole character.
    EXPECT_EQ(FormatPicture("s4", std::string_view("abc\xC3\xA9")), "abc");
    EXPECT_EQ(FormatPicture("s5", std::string_view("abc\xC3\xA9")), "abc\xC3\xA9");
    EXPECT_EQ(FormatPicture("D08-b", std::string_view("as is")), "as is");
    EXPECT_FALSE(IsNumericPicture("s20"));
    EXPECT_TRUE(IsNumericPicture("D08-b"));
    EXPECT_TRUE(IsNumericPicture("t06b"));
    EXPECT_TRUE(IsNumericPicture("n14"));
}

TEST_F(PictureTest, DatesReadBackInEveryPicture) {
    for (const char* picture : {"d12", "D08-b", "d08-b", "D17"}) {
        for (int32_t day : {DayNumber(1801, 1, 1), DayNumber(1999, 12, 31), DayNumber(2026, 12, 7),
                            DayNumber(2024, 2, 29)}) {
            if (std::string(picture) == "D17" && DateOf(day).year < 1969) continue;  // 2-digit year
            EXPECT_EQ(ReadPicture(picture, FormatPicture(picture, day)), day) << picture;
        }
    }
    EXPECT_EQ(ReadPicture("D08-b", "7-dec-2026"), DayNumber(2026, 12, 7));
    EXPECT_EQ(ReadPicture("D08-b", "  07-DEC-2026 "), DayNumber(2026, 12, 7));
}

TEST_F(PictureTest, TimesReadBackInEveryPicture) {
    for (int h = 0; h < 24; ++h) {
        const int32_t t = ClockValue(h, 7, 30);
        EXPECT_EQ(ReadPicture("t06b", FormatPicture("t06b", t)), t) << h;
        EXPECT_EQ(ReadPicture("T8", FormatPicture("T8", t)), t) << h;
    }
    EXPECT_EQ(ReadPicture("t06b", "1:05:09 pm"), ClockValue(13, 5, 9));
    EXPECT_EQ(ReadPicture("t06b", "13:05"), ClockValue(13, 5, 0));
}

TEST_F(PictureTest, NumbersReadBackWithSeparators) {
    EXPECT_EQ(ReadPicture("n14", "     1,234,567"), 1234567);
    EXPECT_EQ(ReadPicture("n14", "1234567"), 1234567);
    EXPECT_EQ(ReadPicture("n14", "-1,234"), -1234);
    EXPECT_EQ(ReadPicture("n26", "-9,223,372,036,854,775,808"), INT64_MIN);
    EXPECT_EQ(ReadPicture("n26", "9223372036854775807"), INT64_MAX);
    EXPECT_EQ(ReadPicture("s10", "42"), 42);
}

TEST_F(PictureTest, BlankReadsAsZero) {
    for (const char* picture : {"d12", "D08-b", "D17", "t06b", "T8", "n14"}) {
        EXPECT_EQ(ReadPicture(picture, "   "), 0) << picture;
    }
}

TEST_F(PictureTest, TextsThatDoNotFitAreRefused) {
    const char* const badDates12[] = {"2026127",    "202612070", "20261307", "20230229",
                                      "2026-12-07", "18001231",  "abcdefgh"};
    for (const char* text : badDates12) EXPECT_EQ(ReadPicture("d12", text), std::nullopt) << text;
    const char* const badDates08[] = {"07-Dex-2026",  "32-Dec-2026", "07-Dec-26", "07Dec2026",
                                      "07-Dec-2026x", "07-De",       "-Dec-2026", "29-Feb-2023"};
    for (const char* text : badDates08) EXPECT_EQ(ReadPicture("D08-b", text), std::nullopt) << text;
    const char* const badTimes[] = {"13:05:09PM", "00:05:09AM", "24:00:00", "12:60:00",
                                    "12:00:60",   "12",         "12:",      "12:00:00XM",
                                    "12:00 noon", ":30"};
    for (const char* text : badTimes) EXPECT_EQ(ReadPicture("t06b", text), std::nullopt) << text;
    const char* const badNumbers[] = {
        "12a", "1,", ",1", "--1", "1 2", "99999999999999999999", "9223372036854775808"};
    for (const char* text : badNumbers) EXPECT_EQ(ReadPicture("n14", text), std::nullopt) << text;
    EXPECT_EQ(ReadPicture("D17", "13/45/26"), std::nullopt);
    EXPECT_EQ(ReadPicture("T8", "25:00:00"), std::nullopt);
}

}  // namespace
}  // namespace tarn::platform
