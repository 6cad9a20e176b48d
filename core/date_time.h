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
