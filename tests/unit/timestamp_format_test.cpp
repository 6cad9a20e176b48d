#include <gtest/gtest.h>

#include <string>

#include "core/timestamp_format.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

Timestamp at(int32_t month, int32_t day, int32_t year, int32_t hour = -1, int32_t minute = -1, int32_t second = -1) {
    Timestamp t;
    t.date.set(month, day, year);
    t.time.hour = hour;
    t.time.minute = minute;
    t.time.second = second;
    return t;
}

TEST(FormatTimestamp, PatternLetters) {
    const Timestamp afternoon = at(12, 4, 2026, 16, 10, 44);
    const Timestamp early = at(3, 9, 2004, 0, 5, 7);
    struct Case {
        const Timestamp* value;
        const char* pattern;
        const char* text;
    } cases[] = {
        {&afternoon, "m/d/y h:ii:ssap", "12/4/26 4:10:44p"},
        {&afternoon, "d-M-yy h:ii:ssap", "4-Dec-2026 4:10:44p"},
        {&afternoon, "", "12/4/26 4:10:44p"},  // empty: the default pattern
        {&early, "mm/dd", "03/09"},
        {&early, "m/d/y", "3/9/04"},           // y is two digits, yy four
        {&early, "yy", "2004"},
        {&early, "D DD", "9th Ninth"},
        {&afternoon, "D, DD", "4th, Fourth"},
        {&early, "M MM", "Mar March"},
        {&afternoon, "w ww W WW", "6 06 Fri Friday"},
        {&early, "Y", "Oh Four"},
        {&afternoon, "Y", "Twenty Six"},
        {&afternoon, "YY", "Twenty Twenty Six"},
        {&early, "YY", "Two Thousand Four"},
        {&early, "h hh H HH", "12 12 0 00"},   // midnight is 12 in the 12-hour form
        {&early, "i ii s ss", "5 05 7 07"},
        {&early, "ap AP", "a a.m."},
        {&afternoon, "ap AP aP Ap", "p p.m. p p.m."},
        {&early, "a A x", "a A x"},            // a lone a is copied
        {&early, "ddd", "099"},                // longest group first: dd, then d
        {&early, "Today: b c e", "To9a04: b c e"},  // no escape: letters in words are fields
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(FormatTimestamp(*c.value, c.pattern)), c.text) << c.pattern;
    }
}

TEST(FormatTimestamp, NoonIsPmAndNullPatternIsDefault) {
    EXPECT_EQ(str(FormatTimestamp(at(1, 2, 2003, 12, 0, 0), "h:iiap")), "12:00p");
    EXPECT_EQ(str(FormatTimestamp(at(1, 2, 2003, 12, 0, 0), nullptr)), "1/2/03 12:00:00p");
}

TEST(FormatTimestamp, NullValuesPrintTheirFieldsAsTheyStand) {
    Timestamp empty;
    EXPECT_EQ(str(FormatTimestamp(empty, "m/d/yy M|MM|W|DD")), "0/0/0000 |||");
    EXPECT_EQ(str(FormatTimestamp(empty, "HH:ii")), "-1:-1");
}

// A two-digit year lands in the century nearest to the current year.
constexpr int32_t currentYear = 2026;

struct Parsed {
    int32_t month, day, year;     // 0 0 0: no date
    int32_t hour, minute, second; // -1s: no time
};

void expectParsed(const char* text, const Parsed& want, int32_t year = currentYear) {
    Timestamp t = ParseTimestamp(text, year);
    EXPECT_EQ(t.date.month, want.month) << '"' << text << '"';
    EXPECT_EQ(t.date.day, want.day) << '"' << text << '"';
    EXPECT_EQ(t.date.year, want.year) << '"' << text << '"';
    EXPECT_EQ(t.time.hour, want.hour) << '"' << text << '"';
    EXPECT_EQ(t.time.minute, want.minute) << '"' << text << '"';
    EXPECT_EQ(t.time.second, want.second) << '"' << text << '"';
    if (want.month == 0) {
        EXPECT_EQ(t.date.dayNumber, 0) << text;
        EXPECT_EQ(t.date.weekday, 0) << text;
    } else {
        EXPECT_FALSE(t.date.isNull()) << text;
    }
}

TEST(ParseTimestamp, DateForms) {
    struct Case {
        const char* text;
        Parsed want;
    } cases[] = {
        {"12/4/2004", {12, 4, 2004, -1, -1, -1}},
        {"2004-12-4", {12, 4, 2004, -1, -1, -1}},   // year first
        {"12.4.2004", {12, 4, 2004, -1, -1, -1}},
        {"4-Dec-04", {12, 4, 2004, -1, -1, -1}},
        {"4 december 2004", {12, 4, 2004, -1, -1, -1}},
        {"12/2004", {12, 1, 2004, -1, -1, -1}},     // month and year: the 1st
        {"December 4th, 2004", {12, 4, 2004, -1, -1, -1}},
        {"dec 21st 2004", {12, 21, 2004, -1, -1, -1}},
        {"DEC 23rd,2004", {12, 23, 2004, -1, -1, -1}},
        {"December 2004", {12, 1, 2004, -1, -1, -1}},  // the day was the year
        {"Saturday, December 4, 2004", {12, 4, 2004, -1, -1, -1}},
        {"sat 12/4/2004", {12, 4, 2004, -1, -1, -1}},
        {"  12/4/2004", {12, 4, 2004, -1, -1, -1}},
        {"12/ 4/ 2004", {12, 4, 2004, -1, -1, -1}},
        {"2/29/2004", {2, 29, 2004, -1, -1, -1}},
    };
    for (const Case& c : cases) expectParsed(c.text, c.want);
}

TEST(ParseTimestamp, DateAndTime) {
    struct Case {
        const char* text;
        Parsed want;
    } cases[] = {
        {"December 4th, 2004 4:10:44pm", {12, 4, 2004, 16, 10, 44}},
        {"12/4/2004 16:05", {12, 4, 2004, 16, 5, 0}},
        {"12/4/2004, 4:05 P", {12, 4, 2004, 16, 5, 0}},
        {"12/4/2004 12:30 pm", {12, 4, 2004, 12, 30, 0}},  // "p" adds 12 only below 12
        {"12/4/2004 12:30 am", {12, 4, 2004, 12, 30, 0}},  // "am" is not looked at
        {"12/4/2004 9 : 05 : 01", {12, 4, 2004, -1, -1, -1}},  // the hour must touch its ":"
        {"12/4/2004 9: 05 : 01", {12, 4, 2004, 9, 5, 1}},
        {"December 4 10:30", {12, 1, 2004, 10, 30, 0}},  // a number before ":" is an hour, not the year
        {"16:05", {0, 0, 0, 16, 5, 0}},              // time only
        {"  7:08:09", {0, 0, 0, 7, 8, 9}},
    };
    for (const Case& c : cases) expectParsed(c.text, c.want);
}

TEST(ParseTimestamp, TextsWithoutADateOrTime) {
    const char* texts[] = {
        "", "   ", "hello", "0/4/2004", "12/0/2004", "12 4 2004", "Decx", "Monday",
        "Smarch 4, 2004", "16", "16:", "25:00", "10:60", "10:30:60", "4:00",
        "2/30/2004",   // impossible dates are no dates
        "13/4/2004",
        "2/29/1900",
    };
    for (const char* text : texts) {
        Timestamp t = ParseTimestamp(text, currentYear);
        EXPECT_TRUE(t.date.isNull()) << '"' << text << '"';
        EXPECT_EQ(t.date.month, 0) << '"' << text << '"';
        EXPECT_EQ(t.date.dayNumber, 0) << '"' << text << '"';
    }
    // "16:" reads as 16:00 (a missing minute is 0); every rejected time is all -1.
    expectParsed("16:", {0, 0, 0, 16, 0, 0});
    expectParsed("25:00", {0, 0, 0, -1, -1, -1});
    expectParsed("10:30:60", {0, 0, 0, -1, -1, -1});
    expectParsed("2/30/2004 10:00", {0, 0, 0, 10, 0, 0});
}

TEST(ParseTimestamp, TwoDigitYearsGoToTheNearestCentury) {
    struct Case {
        const char* text;
        int32_t currentYear;
        int32_t year;
    } cases[] = {
        {"1/1/04", 2026, 2004},  {"1/1/76", 2026, 2076},  // 50 years either way: the later
        {"1/1/77", 2026, 1977},  {"1/1/99", 2026, 1999},  {"1/1/100", 2026, 2000},
        {"1/1/0", 2026, 2000},   {"1/1/101", 2026, 101},  {"1/1/30", 1990, 2030},
        {"1/1/95", 2001, 1995},  {"1/1/50", 2000, 2050},  {"1/1/51", 2000, 1951},
        {"1/1/05", 2099, 2105},  // upper candidate nearer than the current century's
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseTimestamp(c.text, c.currentYear).date.year, c.year)
            << c.text << " in " << c.currentYear;
    }
}

TEST(ParseTimestamp, RoundTripsTheStoredFormats) {
    const Timestamp value = at(12, 4, 2004, 16, 10, 44);
    const char* patterns[] = {"m/d/yy HH:ii:ss", "d-M-yy h:ii:ssap", "MM d, yy h:ii:ssap", "W, d MM yy HH:ii:ss"};
    for (const char* pattern : patterns) {
        String text = FormatTimestamp(value, pattern);
        Timestamp back = ParseTimestamp(text, currentYear);
        EXPECT_EQ(back.date.dayNumber, value.date.dayNumber) << str(text);
        EXPECT_EQ(back.time.hour, 16) << str(text);
        EXPECT_EQ(back.time.minute, 10) << str(text);
        EXPECT_EQ(back.time.second, 44) << str(text);
    }
}

}  // namespace
