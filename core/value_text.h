// Numbers as the texts the installer shows, logs and stores: sizes, decimals,
// English words, ordinals, month and weekday names; and the reverse step the
// value conversions need, the integer a text begins with.
#pragma once
#include <stdint.h>

#include "core/string.h"

// "%d bytes" below 1024; "%.2f KB", "MB", "GB" below 2^20, 2^30, 2^40;
// "%.2f TB" above. A negative count shows in GB (-1 is "-0.00 GB").
String SizeText(int64_t bytes);

// decimals >= 0: "%.*f". decimals < 0: "%.6f" without trailing zeros, and
// without the point when nothing follows it (2.5, 3, 100, 0).
String NumberText(double value, int32_t decimals);

// Decimal digits, "-" for negatives.
String IntegerText(int64_t value);

// Styles of NumberWords.
enum : int32_t {
    NumberWordsPlain = 0,
    NumberWordsYear = 3,  // 1984 "Nineteen Eighty Four", 1905 "Nineteen Oh Five"
};

// English words for `value` ("Two Thousand Four", "Negative Twelve"), with
// "Million", "Thousand" and "Hundred" and no "and". "Zero" only for 0 itself.
// The year style reads 100-9999 in pairs when value mod 1000 is above 9 and
// falls back to the plain style otherwise.
String NumberWords(int64_t value, int32_t style);

// "%d" and "st", "nd", "rd" or "th" (4-20 always "th"): 1st, 12th, 22nd, 111st.
String OrdinalSuffixText(int32_t n);

// The ordinal in words for a day of the month, 1-31: "First", "Twelfth",
// "Twentieth", "Thirty First". Empty outside 1-31.
String OrdinalWords(int32_t n);

// "January" ... "December", "Sunday" ... "Saturday" (1 = Sunday); empty out
// of range.
String MonthName(int32_t month);
String WeekdayName(int32_t weekday);
// The same names as static texts (do not free); null out of range.
const char* monthNameText(int32_t month);
const char* weekdayNameText(int32_t weekday);

// The integer `text` begins with: optional blanks (blank, tab), an optional
// sign, decimal digits; 0 when it does not begin with one. Saturates at the
// 64-bit limits. `length` bounds the scan (String::all: up to the terminator).
int64_t leadingInteger(const char* text, int32_t length = String::all);
