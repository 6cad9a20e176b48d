#include <gtest/gtest.h>

#include "core/clock.h"
#include "core/date.h"
#include "core/date_time.h"

namespace {

Date dateOf(int32_t month, int32_t day, int32_t year) {
    Date d;
    d.set(month, day, year);
    return d;
}

TEST(DateDayNumber, KnownDatesAndWeekdays) {
    struct Case {
        int32_t month, day, year;
        int32_t dayNumber;  // the astronomical day number at noon, less one half
        int32_t weekday;
    } cases[] = {
        {1, 1, 2000, 2451544, 7},   // Saturday
        {12, 4, 2004, 2453343, 7},  // Saturday
        {10, 15, 1582, 2299160, 6}, // first Gregorian day, a Friday
        {10, 4, 1582, 2299159, 5},  // last Julian day, a Thursday, the day before
        {7, 4, 1776, 2369915, 5},   // Thursday
        {2, 29, 2000, 2451603, 3},  // Tuesday
    };
    for (const Case& c : cases) {
        Date d = dateOf(c.month, c.day, c.year);
        EXPECT_EQ(d.dayNumber, c.dayNumber) << c.month << "/" << c.day << "/" << c.year;
        EXPECT_EQ(d.weekday, c.weekday) << c.month << "/" << c.day << "/" << c.year;
        EXPECT_FALSE(d.isNull());
    }
}

// Walking day by day, every next date is one day number later and one
// weekday further: month ends, leap days and the 1582 reform included.
TEST(DateDayNumber, ConsecutiveDaysAreConsecutiveNumbers) {
    Date previous = dateOf(1, 1, 1500);
    int32_t month = 1, day = 1, year = 1500;
    while (year < 2101) {
        if (++day > daysInMonth(month, year)) {
            day = 1;
            if (++month > 12) {
                month = 1;
                year++;
            }
        }
        if (year == 1582 && month == 10 && day == 5) day = 15;  // the ten days that never were
        Date next = dateOf(month, day, year);
        ASSERT_EQ(next.dayNumber, previous.dayNumber + 1) << month << "/" << day << "/" << year;
        ASSERT_EQ(next.weekday, previous.weekday % 7 + 1) << month << "/" << day << "/" << year;
        ASSERT_FALSE(next.isNull());
        previous = next;
    }
}

TEST(DateValidity, LeapYearsAndMonthLengths) {
    struct Case {
        int32_t month, day, year;
        bool null;
    } cases[] = {
        {2, 29, 2004, false}, {2, 29, 2000, false}, {2, 29, 1900, true},  {2, 29, 2003, true},
        {2, 29, 1500, false},  // before the reform every fourth year is a leap year
        {2, 28, 1900, false}, {4, 31, 2004, true},  {12, 31, 2004, false}, {1, 0, 2004, true},
        {13, 1, 2004, true},  {1, 32, 2004, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dateOf(c.month, c.day, c.year).isNull(), c.null) << c.month << "/" << c.day << "/" << c.year;
    }
}

TEST(DateValidity, FreshAndResetDatesAreNull) {
    Date fresh;
    EXPECT_TRUE(fresh.isNull());
    EXPECT_EQ(fresh.dayNumber, 0);
    Date d = dateOf(12, 4, 2004);
    d.set(0, 4, 2004);  // a month of 0 unsets the whole date
    EXPECT_EQ(d.dayNumber, 0);
    EXPECT_EQ(d.day, 0);
    EXPECT_EQ(d.year, 0);
    EXPECT_EQ(d.weekday, 0);
    EXPECT_TRUE(d.isNull());
}

TEST(DateValidity, ExtremeFieldsStayDefined) {
    // Payload values may be anything; the arithmetic must not overflow.
    int32_t values[] = {INT32_MIN, -1, 0, 1, INT32_MAX};
    for (int32_t m : {1, 2, 12, 13, INT32_MAX}) {
        for (int32_t d : values) {
            for (int32_t y : values) {
                Date date = dateOf(m, d, y);
                EXPECT_TRUE(date.weekday >= 1 && date.weekday <= 7);
            }
        }
    }
}

TEST(TimeFields, SetAmAndTwelveHourForm) {
    Time fresh;
    EXPECT_FALSE(fresh.isSet());
    struct Case {
        int32_t hour, minute, second;
        bool set, am;
        int32_t hour12;
    } cases[] = {
        {0, 0, 0, true, true, 12},    {11, 59, 59, true, true, 11}, {12, 0, 0, true, false, 12},
        {13, 5, 0, true, false, 1},   {23, 59, 59, true, false, 11}, {24, 0, 0, false, false, 12},
        {10, 60, 0, false, true, 10}, {10, 0, -1, false, true, 10},
    };
    for (const Case& c : cases) {
        Time t;
        t.hour = c.hour;
        t.minute = c.minute;
        t.second = c.second;
        EXPECT_EQ(t.isSet(), c.set) << c.hour << ":" << c.minute << ":" << c.second;
        EXPECT_EQ(t.isAm(), c.am) << c.hour;
        EXPECT_EQ(t.hour12(), c.hour12) << c.hour;
    }
}

TEST(TimestampFromDateTime, CopiesFieldsAndKeepsMissingPartsUnset) {
    DateTime full;
    full.year = 2004;
    full.month = 12;
    full.day = 4;
    full.hour = 16;
    full.minute = 10;
    full.second = 44;
    Timestamp t = timestampFromDateTime(full);
    EXPECT_EQ(t.date.dayNumber, 2453343);
    EXPECT_EQ(t.date.weekday, 7);
    EXPECT_EQ(t.time.hour, 16);
    EXPECT_EQ(t.time.second, 44);

    Timestamp empty = timestampFromDateTime(DateTime());
    EXPECT_TRUE(empty.date.isNull());
    EXPECT_FALSE(empty.time.isSet());
    EXPECT_EQ(empty.time.minute, -1);
}

DateTime dt(int32_t year, int32_t month, int32_t day, int32_t hour = -1, int32_t minute = 0, int32_t second = 0) {
    DateTime v;
    v.year = year;
    v.month = month;
    v.day = day;
    v.hour = hour;
    v.minute = minute;
    v.second = second;
    return v;
}

int sign(int32_t v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

TEST(DateTimeCompare, OrdersByDateThenTime) {
    struct Case {
        DateTime a, b;
        int expected;  // sign of the result
    } cases[] = {
        {dt(2004, 12, 4, 10), dt(2004, 12, 4, 10), 0},
        {dt(2003, 12, 31, 23), dt(2004, 1, 1, 0), -1},   // year decides before the time
        {dt(2004, 11, 30), dt(2004, 12, 1), -1},
        {dt(2004, 12, 5), dt(2004, 12, 4), 1},
        {dt(2004, 12, 4, 9, 59), dt(2004, 12, 4, 10, 0), -1},
        {dt(2004, 12, 4, 10, 1), dt(2004, 12, 4, 10, 0, 59), 1},
        {dt(2004, 12, 4), dt(0, 0, 0), -1},               // a present date is earlier
        {dt(0, 0, 0), dt(2004, 12, 4), 1},
        {dt(0, 0, 0, 10), dt(0, 0, 0, 11), -1},           // no dates: the times decide
        {dt(2004, 12, 4, 10), dt(2004, 12, 4), -1},       // a present time is earlier
        {dt(2004, 12, 4), dt(2004, 12, 4, 10), 1},
        {dt(2004, 12, 4, -1, 5, 5), dt(2004, 12, 4, -1, 7, 9), 0},  // two missing times are equal
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sign(compareDateTime(c.a, c.b)), c.expected)
            << c.a.year << "-" << c.a.month << "-" << c.a.day << " " << c.a.hour << " vs " << c.b.year << "-"
            << c.b.month << "-" << c.b.day << " " << c.b.hour;
    }
}

TEST(DateTimeCompare, SecondsGiveTheirDifferenceWithoutOverflow) {
    EXPECT_EQ(compareDateTime(dt(2004, 1, 1, 1, 1, 50), dt(2004, 1, 1, 1, 1, 20)), 30);
    EXPECT_EQ(compareDateTime(dt(2004, 1, 1, 1, 1, 20), dt(2004, 1, 1, 1, 1, 50)), -30);
    EXPECT_EQ(compareDateTime(dt(2004, 1, 1, 1, 1, INT32_MAX), dt(2004, 1, 1, 1, 1, INT32_MIN)), INT32_MAX);
    EXPECT_EQ(compareDateTime(dt(2004, 1, 1, 1, 1, INT32_MIN), dt(2004, 1, 1, 1, 1, INT32_MAX)), INT32_MIN);
    EXPECT_EQ(compareDateTime(dt(INT32_MIN, 1, 1), dt(INT32_MAX, 1, 1)), -1);
}

TEST(TickDistance, SmallAcrossTheCounterWrap) {
    struct Case {
        uint32_t start, now, distance;
    } cases[] = {
        {1000, 1250, 250},
        {0xFFFFFF00u, 0x10u, 0x110},  // the 49.7-day wrap
        {1250, 1000, 250},            // a start after now: still the distance
        {5, 5, 0},
        {0, 0x80000000u, 0x80000000u},
    };
    for (const Case& c : cases) EXPECT_EQ(tickDistance(c.start, c.now), c.distance) << c.start << " " << c.now;
}

}  // namespace
