// Calendar dates, clock times and their pair, as the date formatter, the
// date parser and Variant hold them. Pure arithmetic: the current time comes
// from nowTimestamp (core/clock.h).
#pragma once
#include <stdint.h>

#include "core/date_time.h"

// A calendar date. Fresh: all zeros (no date). `dayNumber` and `weekday`
// (1 = Sunday ... 7 = Saturday) are derived by `set`.
struct Date {
    int32_t dayNumber = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t year = 0;
    int32_t weekday = 0;

    // Stores the three fields and derives dayNumber and weekday (Julian
    // calendar before 15 October 1582, Gregorian from then on). A month of 0
    // or below makes the date fresh again. Other values are stored as given:
    // an impossible date is simply null.
    void set(int32_t month, int32_t day, int32_t year);

    // Holds no date: month outside 1-12, weekday outside 1-7, or day below 1
    // or above the length of that month.
    bool isNull() const;
};

// A clock time. Fresh: -1 in all three fields (no time).
struct Time {
    int32_t hour = -1;
    int32_t minute = -1;
    int32_t second = -1;

    // Set when the hour is 0-23 and the minute and second are 0-59.
    bool isSet() const;
    bool isAm() const { return hour < 12; }
    // 12 for hour 0, the hour for 1-12, hour - 12 above 12 (other values as
    // they stand).
    int32_t hour12() const;
};

struct Timestamp {
    Date date;
    Time time;
};

// From 1582 on: divisible by 4 and not by 100, or by 400; before 1582 every
// year divisible by 4.
bool isLeapYear(int32_t year);

// 28-31 for months 1-12; 0 for any other month.
int32_t daysInMonth(int32_t month, int32_t year);

// Field by field; a DateTime without a date gives a fresh Date, one without
// a time a fresh Time.
Timestamp timestampFromDateTime(const DateTime& value);
