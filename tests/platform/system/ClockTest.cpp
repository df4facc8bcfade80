#include <gtest/gtest.h>

#include <ctime>

#include "platform/system/Clock.h"

namespace tarn::platform {
namespace {

TEST(ClockTest, DayNumbersCountFromFirstOfJanuary1801) {
    EXPECT_EQ(DayNumber(1801, 1, 1), 1);
    EXPECT_EQ(DayNumber(1801, 1, 31), 31);
    EXPECT_EQ(DayNumber(1801, 2, 1), 32);
    EXPECT_EQ(DayNumber(1802, 1, 1), 366);  // 1801 is not a leap year
    // 1900 is not a leap year, 2000 is: 1 March minus 28 February is one day in 1900, two in 2000.
    EXPECT_EQ(DayNumber(1900, 3, 1) - DayNumber(1900, 2, 28), 1);
    EXPECT_EQ(DayNumber(2000, 3, 1) - DayNumber(2000, 2, 28), 2);
    // 1970-01-01 is 61730 days after 1801-01-01 (169 years, 41 of them leap).
    EXPECT_EQ(DayNumber(1970, 1, 1), 169 * 365 + 41 + 1);
}

TEST(ClockTest, InvalidDatesGiveZero) {
    EXPECT_EQ(DayNumber(1800, 12, 31), 0);
    EXPECT_EQ(DayNumber(2023, 2, 29), 0);
    EXPECT_EQ(DayNumber(2024, 2, 30), 0);
    EXPECT_EQ(DayNumber(2024, 13, 1), 0);
    EXPECT_EQ(DayNumber(2024, 0, 1), 0);
    EXPECT_EQ(DayNumber(2024, 4, 31), 0);
    EXPECT_EQ(DayNumber(2024, 4, 0), 0);
    EXPECT_NE(DayNumber(2024, 2, 29), 0);
}

TEST(ClockTest, DateOfRoundTripsEveryDayOverCenturies) {
    int32_t expected = 1;
    for (int y = 1801; y <= 2401; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= 31; ++d) {
                const int32_t n = DayNumber(y, m, d);
                if (n == 0) continue;
                ASSERT_EQ(n, expected) << y << "-" << m << "-" << d;
                const Ymd back = DateOf(n);
                ASSERT_EQ(back.year, y);
                ASSERT_EQ(back.month, m);
                ASSERT_EQ(back.day, d);
                ++expected;
            }
        }
    }
}

TEST(ClockTest, DateOfBelowOneIsAllZero) {
    for (int32_t n : {0, -1, -100000}) {
        const Ymd d = DateOf(n);
        EXPECT_EQ(d.year, 0);
        EXPECT_EQ(d.month, 0);
        EXPECT_EQ(d.day, 0);
    }
}

TEST(ClockTest, ClockValuesAreHundredthsPlusOne) {
    EXPECT_EQ(ClockValue(0, 0, 0), 1);
    EXPECT_EQ(ClockValue(0, 0, 1), 101);
    EXPECT_EQ(ClockValue(13, 5, 9), (13 * 3600 + 5 * 60 + 9) * 100 + 1);
    EXPECT_EQ(ClockValue(23, 59, 59, 99), 8640000);
    EXPECT_EQ(ClockValue(24, 0, 0), 0);
    EXPECT_EQ(ClockValue(-1, 0, 0), 0);
    EXPECT_EQ(ClockValue(12, 60, 0), 0);
    EXPECT_EQ(ClockValue(12, 0, 60), 0);
    EXPECT_EQ(ClockValue(12, 0, 0, 100), 0);
}

TEST(ClockTest, TodayAndClockFollowLocalTime) {
    std::time_t before = std::time(nullptr);
    const int32_t today = Today();
    const int32_t clock = Clock();
    std::time_t after = std::time(nullptr);
    std::tm tm{};
    localtime_r(&after, &tm);
    if (before / 60 != after / 60) GTEST_SKIP() << "the minute changed during the test";
    EXPECT_EQ(today, DayNumber(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday));
    const int32_t minuteStart = ClockValue(tm.tm_hour, tm.tm_min, 0);
    EXPECT_GE(clock, minuteStart);
    EXPECT_LT(clock, minuteStart + 6000);
}

}  // namespace
}  // namespace tarn::platform
