#include "platform/system/Clock.h"

#include <ctime>

namespace tarn::platform {

namespace {

constexpr int kFirstYear = 1801;
constexpr int32_t kHundredthsPerDay = 24 * 60 * 60 * 100;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's civil algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

Ymd CivilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    Ymd out;
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (out.month <= 2));
    return out;
}

const int64_t kEpochOffset = DaysFromCivil(kFirstYear, 1, 1) - 1;  // day 1 = 1801-01-01

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

std::tm LocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm;
}

}  // namespace

int32_t DayNumber(int year, int month, int day) {
    // Boundary: the last day that fits a signed 32-bit day number is far beyond year 9999,
    // which is as far as the pictures can show.
    if (year < kFirstYear || year > 9999 || month < 1 || month > 12) return 0;
    if (day < 1 || day > DaysInMonth(year, month)) return 0;
    return static_cast<int32_t>(DaysFromCivil(year, month, day) - kEpochOffset);
}

Ymd DateOf(int32_t dayNumber) {
    if (dayNumber < 1) return {};
    return CivilFromDays(dayNumber + kEpochOffset);
}

int32_t ClockValue(int hours, int minutes, int seconds, int hundredths) {
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) return 0;
    if (seconds < 0 || seconds > 59 || hundredths < 0 || hundredths > 99) return 0;
    const int32_t value = ((hours * 60 + minutes) * 60 + seconds) * 100 + hundredths + 1;
    return value <= kHundredthsPerDay ? value : 0;
}

int32_t Today() {
    const std::tm tm = LocalNow();
    return DayNumber(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

int32_t Clock() {
    std::timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    localtime_r(&ts.tv_sec, &tm);
    const int seconds = tm.tm_sec > 59 ? 59 : tm.tm_sec;  // a leap second stays in its minute
    return ClockValue(tm.tm_hour, tm.tm_min, seconds, static_cast<int>(ts.tv_nsec / 10000000));
}

}  // namespace tarn::platform
