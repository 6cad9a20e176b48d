#include <gtest/gtest.h>

#include <string>

#include "core/value_text.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

TEST(SizeText, UnitBoundaries) {
    struct Case {
        int64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 bytes"},
        {1023, "1023 bytes"},
        {1024, "1.00 KB"},
        {1536, "1.50 KB"},
        {0xFFFFF, "1024.00 KB"},  // rounds up but stays in its unit
        {0x100000, "1.00 MB"},
        {0x3FFFFFFF, "1024.00 MB"},
        {0x40000000, "1.00 GB"},
        {int64_t(5) << 30, "5.00 GB"},           // above 4 GB: no 32-bit truncation
        {(int64_t(1) << 40) - 1, "1024.00 GB"},
        {int64_t(1) << 40, "1.00 TB"},
        {int64_t(3) << 41, "6.00 TB"},
        {-1, "-0.00 GB"},                        // unknown free space
        {-(int64_t(1) << 31), "-2.00 GB"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(SizeText(c.bytes)), c.text) << c.bytes;
    }
}

TEST(NumberText, FixedAndTrimmedDecimals) {
    struct Case {
        double value;
        int32_t decimals;
        const char* text;
    } cases[] = {
        {2.5, -1, "2.5"},     {3.0, -1, "3"},         {100.0, -1, "100"},   {0.0, -1, "0"},
        {-0.25, -1, "-0.25"}, {1.0 / 3, -1, "0.333333"}, {1e-7, -1, "0"},  {1234567.125, -1, "1234567.125"},
        {2.5, 0, "3"},        {2.5, 2, "2.50"},       {11.3, 1, "11.3"},    {-1.0, 3, "-1.000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(NumberText(c.value, c.decimals)), c.text) << c.value << " with " << c.decimals;
    }
}

TEST(IntegerText, SignedDecimal) {
    EXPECT_EQ(str(IntegerText(0)), "0");
    EXPECT_EQ(str(IntegerText(-42)), "-42");
    EXPECT_EQ(str(IntegerText(INT64_MAX)), "9223372036854775807");
    EXPECT_EQ(str(IntegerText(INT64_MIN)), "-9223372036854775808");
}

TEST(NumberWords, PlainStyle) {
    struct Case {
        int64_t value;
        const char* words;
    } cases[] = {
        {0, "Zero"},
        {7, "Seven"},
        {13, "Thirteen"},
        {20, "Twenty"},
        {42, "Forty Two"},
        {100, "One Hundred"},  // no "Zero" inside a larger number
        {105, "One Hundred Five"},  // and no "and"
        {999, "Nine Hundred Ninety Nine"},
        {1000, "One Thousand"},
        {2004, "Two Thousand Four"},
        {1000001, "One Million One"},
        {123456789, "One Hundred Twenty Three Million Four Hundred Fifty Six Thousand Seven Hundred Eighty Nine"},
        {-12, "Negative Twelve"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(NumberWords(c.value, NumberWordsPlain)), c.words) << c.value;
    }
    // Above a million million the groups nest ("Nine Million Two Hundred ... Million").
    std::string extreme = str(NumberWords(INT64_MIN, NumberWordsPlain));
    EXPECT_EQ(extreme.rfind("Negative Nine Million Two Hundred Twenty Three Thousand", 0), 0u) << extreme;
}

TEST(NumberWords, YearStyle) {
    struct Case {
        int64_t value;
        const char* words;
    } cases[] = {
        {1984, "Nineteen Eighty Four"},
        {1905, "Nineteen Oh Five"},
        {2004, "Two Thousand Four"},  // mod 1000 below 10: plain
        {2000, "Two Thousand"},
        {2010, "Twenty Ten"},
        {2026, "Twenty Twenty Six"},
        {1066, "Ten Sixty Six"},
        {1009, "One Thousand Nine"},
        {999, "Nine Ninety Nine"},      // below 1000 the pairs rule holds as well
        {150, "One Fifty"},
        {99, "Ninety Nine"},            // below 100: plain
        {10000, "Ten Thousand"},        // 10000 and above: plain
        {-1984, "Negative One Thousand Nine Hundred Eighty Four"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(NumberWords(c.value, NumberWordsYear)), c.words) << c.value;
    }
}

TEST(Ordinals, SuffixText) {
    struct Case {
        int32_t n;
        const char* text;
    } cases[] = {
        {1, "1st"},   {2, "2nd"},   {3, "3rd"},   {4, "4th"},   {11, "11th"},  {12, "12th"},
        {13, "13th"}, {20, "20th"}, {21, "21st"}, {22, "22nd"}, {23, "23rd"},  {31, "31st"},
        {0, "0th"},   {111, "111st"},  // only 4-20 are always "th"
        {-1, "-1st"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(OrdinalSuffixText(c.n)), c.text) << c.n;
    }
}

TEST(Ordinals, WordsForEveryDayOfTheMonth) {
    const char* words[32] = {
        "",
        "First", "Second", "Third", "Fourth", "Fifth", "Sixth", "Seventh", "Eighth", "Ninth", "Tenth",
        "Eleventh", "Twelfth", "Thirteenth", "Fourteenth", "Fifteenth", "Sixteenth", "Seventeenth",
        "Eighteenth", "Nineteenth", "Twentieth", "Twenty First", "Twenty Second", "Twenty Third",
        "Twenty Fourth", "Twenty Fifth", "Twenty Sixth", "Twenty Seventh", "Twenty Eighth",
        "Twenty Ninth", "Thirtieth", "Thirty First",
    };
    for (int32_t n = 1; n <= 31; n++) {
        EXPECT_EQ(str(OrdinalWords(n)), words[n]) << n;
    }
    EXPECT_EQ(str(OrdinalWords(0)), "");
    EXPECT_EQ(str(OrdinalWords(32)), "");
    EXPECT_EQ(str(OrdinalWords(-5)), "");
}

TEST(Names, MonthsAndWeekdaysWithRange) {
    EXPECT_EQ(str(MonthName(1)), "January");
    EXPECT_EQ(str(MonthName(12)), "December");
    EXPECT_EQ(str(MonthName(0)), "");
    EXPECT_EQ(str(MonthName(13)), "");
    EXPECT_EQ(str(WeekdayName(1)), "Sunday");
    EXPECT_EQ(str(WeekdayName(7)), "Saturday");
    EXPECT_EQ(str(WeekdayName(0)), "");
    EXPECT_EQ(str(WeekdayName(8)), "");
    EXPECT_EQ(monthNameText(-1), nullptr);
}

TEST(LeadingInteger, ReadsOnlyAnIntegerAtTheStart) {
    struct Case {
        const char* text;
        int64_t value;
    } cases[] = {
        {"42", 42},         {"  -17abc", -17},  {"+5", 5},        {"\t8", 8},
        {"abc12", 0},       {"", 0},            {"-", 0},         {"1,234", 1},
        {"3.9", 3},         {"\r\n7", 0},       {"99999999999999999999", INT64_MAX},
        {"-99999999999999999999", INT64_MIN},   {"-9223372036854775808", INT64_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(leadingInteger(c.text), c.value) << '"' << c.text << '"';
    }
    EXPECT_EQ(leadingInteger(nullptr), 0);
    EXPECT_EQ(leadingInteger("12345", 2), 12);
}

}  // namespace
