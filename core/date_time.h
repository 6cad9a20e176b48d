// A calendar date and clock time as the file system and the payload store it:
// six signed 32-bit fields in this order. Month 0 means no date; hour -1
// means no time; a fresh value has neither.
#pragma once
#include <stdint.h>

struct DateTime {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t hour = -1;
    int32_t minute = 0;
    int32_t second = 0;

    bool hasDate() const { return month != 0; }
    bool hasTime() const { return hour != -1; }
};

// Orders two values (files are ordered by modification time with it):
// negative when `a` is earlier, 0 when equal, positive when later.
// The dates are compared first, by year, month and day, when both have one; a
// present date is earlier than a missing one. When the dates are equal or
// both missing, the times are compared the same way (a present time is
// earlier than a missing one, two missing times are equal) by hour and minute,
// and the result is then the difference of the seconds (clamped to 32 bits).
// Every other difference gives -1 or 1.
int32_t compareDateTime(const DateTime& a, const DateTime& b);
