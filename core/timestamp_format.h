// Timestamps as text and back: the letter pattern language of the log, the
// uninstall record and Variant, and the lenient month-first reader.
//
// Pattern letters (longest group wins; every other character is copied, there
// is no escape):
//   d dd    day "%d" / "%02d"        D DD    4th / Fourth
//   m mm    month "%d" / "%02d"      M MM    Dec / December
//   w ww    weekday 1-7 (Sunday 1)   W WW    Sat / Saturday
//   y       year mod 100 "%02d"      yy      full year "%04d"
//   Y       year mod 100 in words ("Oh Four")   YY   the year in words (year style)
//   h hh    hour 1-12                H HH    hour 0-23
//   i ii    minute                   s ss    second
//   ap      "a" / "p"                AP      "a.m." / "p.m."
// The single letters print plainly, the doubled ones with two digits. A lone
// "a" or "A" (not followed by "p" or "P") is copied. Fields print as they
// stand, so a null date shows zeros.
#pragma once
#include <stdint.h>

#include "core/date.h"
#include "core/string.h"

// The pattern for an empty or null one: 12/4/26 4:10:44p.
extern const char DefaultTimestampPattern[];  // "m/d/y h:ii:ssap"

String FormatTimestamp(const Timestamp& value, const char* pattern);

// Reads a month-first date and then a time from `text`:
//   "12/4/2004", "2004-12-4", "4-Dec-04", "December 4th, 2004 4:10:44pm",
//   "Sat, 4 Dec 2004", "12/2004" (the 1st), "16:05" (time only).
// Names (months, weekdays) match in full or by three letters, any case. A
// year of 100 or less moves into the century nearest to `currentYear`.
// What the text does not give stays unset: a fresh Date (isNull) and/or a
// fresh Time (-1s). A date or time with impossible values is unset as well.
// Any bytes are accepted; the scan stops at the length or a zero byte.
Timestamp ParseTimestamp(const String& text, int32_t currentYear);
