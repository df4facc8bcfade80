#pragma once
// Day numbers and clock values as the records store them.
//
// A day number counts whole days with day 1 = 1 January 1801, so 0 stays free to mean "no date"
// and every date of interest is positive. A clock value is the time of day in hundredths of a
// second plus one: 1 is midnight, 8640000 is 23:59:59.99; 0 means "no time".
#include <cstdint>

namespace tarn::platform {

struct Ymd {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
};

// Today's day number in local time.
int32_t Today();
// The current clock value in local time.
int32_t Clock();

// Day number of a calendar date; 0 when the date is not valid or before 1801.
int32_t DayNumber(int year, int month, int day);
// Calendar date of a day number; all fields 0 for day numbers below 1.
Ymd DateOf(int32_t dayNumber);

// Clock value of a time of day; 0 when out of range.
int32_t ClockValue(int hours, int minutes, int seconds, int hundredths = 0);

}  // namespace tarn::platform
