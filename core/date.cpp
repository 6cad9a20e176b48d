#include "core/date.h"

// Values come from payloads and parsed texts, so the arithmetic is done in
// 64 bits and doubles: no field value can overflow it.
static int32_t dayNumberOf(int32_t month, int32_t day, int32_t year) {
    int64_t y = year < 0 ? int64_t(year) + 1 : int64_t(year);  // there is no year 0 before 1
    int64_t m = month;
    if (m < 3) {
        y -= 1;
        m += 12;
    }
    int64_t correction = 0;
    if ((y * 100 + m) * 100 + day >= 15821015) {  // the Gregorian reform, 15 October 1582
        int64_t centuries = y / 100;
        correction = centuries / 4 - centuries + 2;
    }
    int64_t days = int64_t(365.25 * double(y)) + int64_t(30.6001 * double(m + 1)) + day + correction + 1720994;
    return int32_t(uint32_t(uint64_t(days)));  // wraps only for years beyond any calendar
}

void Date::set(int32_t newMonth, int32_t newDay, int32_t newYear) {
    if (newMonth <= 0) {
        *this = Date();
        return;
    }
    month = newMonth;
    day = newDay;
    year = newYear;
    dayNumber = dayNumberOf(newMonth, newDay, newYear);
    int64_t shifted = (int64_t(dayNumber) + 2) % 7;
    weekday = int32_t(shifted < 0 ? shifted + 7 : shifted) + 1;
}

bool Date::isNull() const {
    if (month < 1 || month > 12 || weekday < 1 || weekday > 7) return true;
    return day < 1 || day > daysInMonth(month, year);
}

bool Time::isSet() const {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

int32_t Time::hour12() const {
    if (hour == 0) return 12;
    return hour > 12 ? hour - 12 : hour;
}

bool isLeapYear(int32_t year) {
    if (year < 1582) return year % 4 == 0;
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int32_t daysInMonth(int32_t month, int32_t year) {
    static const uint8_t lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : lengths[month - 1];
}

Timestamp timestampFromDateTime(const DateTime& value) {
    Timestamp result;
    if (value.hasDate()) result.date.set(value.month, value.day, value.year);
    if (value.hasTime()) {
        result.time.hour = value.hour;
        result.time.minute = value.minute;
        result.time.second = value.second;
    }
    return result;
}
