// The system clock and what depends on it. nowTimestamp is a system call,
// provided by the Win32 side (core/clock_win32.cpp); everything else here is
// a thin convenience over the pure date code, so host code that never asks
// for the time links without it.
#pragma once
#include <stdint.h>

#include "core/date.h"
#include "core/string.h"
#include "core/timestamp_format.h"

// The local date and time of the system clock (Date set, Time set).
Timestamp nowTimestamp();

// FormatTimestamp of the current local time; an empty or null pattern is
// the default one ("m/d/y h:ii:ssap").
inline String FormatNow(const char* pattern) { return FormatTimestamp(nowTimestamp(), pattern); }

// ParseTimestamp with two-digit years placed near the current year.
inline Timestamp ParseTimestamp(const String& text) { return ParseTimestamp(text, nowTimestamp().date.year); }

// Milliseconds between two readings of the 32-bit tick counter, as the
// absolute value of their signed difference: a counter that wrapped in
// between still gives the small true distance.
inline uint32_t tickDistance(uint32_t startTick, uint32_t nowTick) {
    uint32_t forward = nowTick - startTick;
    return int32_t(forward) < 0 ? 0u - forward : forward;
}
