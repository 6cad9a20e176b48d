#include "core/format.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <cmath>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "core/fatal.h"
#include "core/string.h"

namespace {

std::string formatted(const char* pattern, std::vector<FormatArg> args) {
    String out;
    formatAppend(out, pattern, args.data(), (int)args.size());
    return std::string(out.text(), (size_t)out.length());
}

struct FormatCase {
    const char* pattern;
    std::vector<FormatArg> args;
    const char* expected;
};

void checkTable(const std::vector<FormatCase>& cases) {
    for (const FormatCase& c : cases) {
        EXPECT_EQ(c.expected, formatted(c.pattern, c.args)) << "pattern \"" << c.pattern << "\"";
    }
}

TEST(FormatIntegers, ConversionsFlagsAndWidths) {
    checkTable({
        {"", {}, ""},
        {"plain", {}, "plain"},
        {"%d", {42}, "42"},
        {"%i|%d", {-7, 0}, "-7|0"},
        {"%5d|%-5d|%05d", {42, 42, 42}, "   42|42   |00042"},
        {"%+d|% d|%+d", {5, 5, -5}, "+5| 5|-5"},
        {"%05d|%-05d", {-42, -42}, "-0042|-42  "},
        {"%.3d|%8.3d|%08.3d", {7, -7, 7}, "007|    -007|     007"},  // precision turns off the 0 flag
        {"%.0d|%.0d", {0, 1}, "|1"},
        {"%u", {-1}, "4294967295"},          // 32-bit wrap
        {"%u", {-1LL}, "18446744073709551615"},
        {"%d", {4294967295u}, "-1"},
        {"%d", {(unsigned long long)-1}, "-1"},
        {"%d", {INT32_MIN}, "-2147483648"},
        {"%I64d|%lld", {INT64_MIN, 1LL << 40}, "-9223372036854775808|1099511627776"},
        {"%I64u|%I32d|%Id", {18446744073709551615ull, 3, 4}, "18446744073709551615|3|4"},
        {"%hd|%hhx|%ld|%zu", {70000, 255, 1, (size_t)2}, "70000|ff|1|2"},  // the argument knows its width
        {"%x|%X|%#x|%#X|%#x", {255, 255, 255, 255, 0}, "ff|FF|0xff|0XFF|0"},
        {"%08X", {0xBEEF}, "0000BEEF"},
        {"%08X", {-2}, "FFFFFFFE"},
        {"%#010x", {255}, "0x000000ff"},
        {"%o|%#o|%#o|%#.3o", {8, 8, 0, 8}, "10|010|0|010"},
        {"%*d|%-*d|%*d", {4, 1, 4, 2, -4, 3}, "   1|2   |3   "},
        {"%.*d|%.*d", {3, 5, -1, 5}, "005|5"},
        {"%c%c%c", {'a', 66, "cat"}, "aBc"},
        {"%3c|%-3c", {'x', 'y'}, "  x|y  "},
        {"[%c]", {0}, "[]"},
        {"%p", {(const void*)0x1A2B}, sizeof(void*) == 8 ? "0000000000001A2B" : "00001A2B"},
        {"%d%%", {50}, "50%"},
        {"%%d", {50}, "%d"},
    });
}

TEST(FormatTexts, StringsPrecisionAndNull) {
    const char* none = nullptr;
    String own("owned");
    char buffer[] = "mutable";
    checkTable({
        {"%s", {"abc"}, "abc"},
        {"[%s]", {none}, "[]"},
        {"%5s|%-5s|%.2s|%5.1s", {"ab", "ab", "abc", "xyz"}, "   ab|ab   |ab|    x"},
        {"%05s", {"ab"}, "   ab"},  // zeros pad numbers only
        {"%s %s", {own, buffer}, "owned mutable"},
        {"%s", {""}, ""},
    });
    // Precision bounds the read: the text need not be terminated.
    const char unterminated[3] = {'a', 'b', 'c'};
    EXPECT_EQ("ab", formatted("%.2s", {unterminated}));
}

TEST(FormatArguments, MissingAndMismatchedArguments) {
    checkTable({
        {"%d %s %d", {7}, "7  0"},
        {"%s|%d|%c|%f|%x", {}, "|0||0.000000|0"},
        {"%*d", {}, "0"},
        {"%d", {"text"}, "0"},
        {"%s|%s|%s|%s", {12, 4294967295u, -3LL, 2.5}, "12|4294967295|-3|2.5"},
        {"%5s|%.1s", {123, 456}, "  123|4"},
        {"%s", {'z'}, "z"},
        {"%d|%u|%x", {2.9, -2.9, 1e300}, "2|18446744073709551614|7fffffffffffffff"},  // truncated to 64 bits
        {"%f|%.1f", {3, 4294967295u}, "3.000000|4294967295.0"},
        {"%d|%f", {"x", "y"}, "0|0.000000"},
    });
}

TEST(FormatArguments, NeverReadsBeyondTheCount) {
    // The second element would be used if the count were ignored.
    FormatArg args[2] = {FormatArg(1), FormatArg(99)};
    String out;
    formatAppend(out, "%d %d %s %*.*f", args, 1);
    EXPECT_STREQ("1 0  0", out.text());
    String none;
    formatAppend(none, "%d", nullptr, 3);
    EXPECT_STREQ("0", none.text());
}

TEST(FormatPatterns, MalformedDirectivesStayAsWritten) {
    checkTable({
        {"%", {1}, "%"},
        {"100%", {1}, "100%"},
        {"%5", {1}, "%5"},
        {"%-08.3l", {1}, "%-08.3l"},
        {"%y|%d", {1}, "%y|1"},
        {"%I64", {1}, "%I64"},
        {"%n", {1}, "%n"},
    });
    String out;
    formatAppend(out, nullptr, nullptr, 0);
    EXPECT_TRUE(out.isEmpty());
}

TEST(FormatFloating, TextsTheInstallerPrints) {
    checkTable({
        {"The installer version (%.1f) does not match the version of TAVO (%.1f).", {11.3, 1132 * 0.01},
         "The installer version (11.3) does not match the version of TAVO (11.3)."},
        {"%.1f|%.1f|%.1f", {11.3, 11.25, 11.35}, "11.3|11.3|11.3"},  // 11.35 is 11.3499999...
        {"%.2f|%.2f|%.2f", {1.005, 1.015, 2.675}, "1.00|1.01|2.67"},  // exact binary values
        {"%.6f|%f", {2.5, 100.0}, "2.500000|100.000000"},
        {"%.0f|%.0f|%.0f|%.0f", {0.5, 1.5, 2.5, -2.5}, "1|2|3|-3"},  // exact halves round away from zero
        {"%.2f|%.1f", {0.125, 0.05}, "0.13|0.1"},
        {"%.3f|%.1f|%.0f", {0.0004, 0.04, 0.4}, "0.000|0.0|0"},
        {"%.1f|%.0f", {9.96, 99.5}, "10.0|100"},
        {"%f", {-0.0}, "-0.000000"},
        {"%.2f", {-0.001}, "-0.00"},
        {"%#.0f|%.0f", {3.0, 3.0}, "3.|3"},
        {"%8.2f|%-8.2f|%08.2f|%+.1f|% .1f", {3.14159, 3.14159, -3.14159, 2.0, 2.0},
         "    3.14|3.14    |-0003.14|+2.0| 2.0"},
        {"%.3f", {1e21}, "1000000000000000000000.000"},
        {"%.1f", {123456789012.25}, "123456789012.3"},
        {"%e|%E|%.2e", {12345.678, 0.000123, 9.999}, "1.234568e+04|1.230000E-04|1.00e+01"},
        {"%e|%.0e|%#.0e", {0.0, 5.0, 5.0}, "0.000000e+00|5e+00|5.e+00"},
        {"%e|%e", {1e300, 4.9406564584124654e-324}, "1.000000e+300|4.940656e-324"},
        {"%g|%g|%g|%g", {100000.0, 1000000.0, 0.0001, 0.00001}, "100000|1e+06|0.0001|1e-05"},
        {"%g|%g|%.3g|%G", {2.5, 0.0, 3.14159, 1e-10}, "2.5|0|3.14|1E-10"},
        {"%#g|%.0g|%g", {2.5, 25.0, 999999.5}, "2.50000|3e+01|1e+06"},
        {"%f|%F|%5.1f|%-5f|%e|%05f", {HUGE_VAL, -HUGE_VAL, std::nan(""), HUGE_VAL, HUGE_VAL, HUGE_VAL},
         "inf|-INF|  nan|inf  |inf|  inf"},
    });
}

// Whether `value` lies exactly halfway at the rounding place of the pattern:
// there the C library rounds to even and this formatter away from zero.
bool isExactHalf(double value, char conversion, int precision) {
    static char exact[4096];
    bool fixed = conversion == 'f';
    int place = fixed ? precision : (conversion == 'e' || conversion == 'E' ? precision : (precision ? precision - 1 : 0));
    snprintf(exact, sizeof exact, fixed ? "%.*f" : "%.*e", 1100, value);
    const char* next = strchr(exact, '.') + 1 + place;  // the first dropped digit
    if (*next != '5') {
        return false;
    }
    const char* end = fixed ? next + strlen(next) : strchr(next, 'e');
    return (size_t)(end - next - 1) == strspn(next + 1, "0");
}

// Every other double must print as the host C library prints it, since both
// work from the exact binary value.
TEST(FormatFloating, AgreesWithTheCLibraryOnRandomValues) {
    const unsigned seed = 20240611;
    std::mt19937_64 random(seed);
    const char conversions[] = "feEgG";
    int compared = 0;
    for (int i = 0; i < 20000; ++i) {
        double value;
        switch (i % 4) {
        case 0: {
            uint64_t bits = random();
            memcpy(&value, &bits, sizeof value);
            break;
        }
        case 1: value = (double)((int64_t)(random() % 2000001) - 1000000) / 1000.0; break;
        case 2: value = (double)(random() % 100000) * 0.01; break;
        default: value = std::ldexp((double)(random() % 1000000), (int)(random() % 80) - 60); break;
        }
        int precision = (int)(random() % 12);
        char conversion = conversions[random() % 5];
        if (!std::isfinite(value) || isExactHalf(value, conversion, precision)) {
            continue;
        }
        char pattern[16], expected[2048];
        snprintf(pattern, sizeof pattern, "%%.%d%c", precision, conversion);
        snprintf(expected, sizeof expected, pattern, value);
        ASSERT_EQ(expected, formatted(pattern, {value})) << "seed " << seed << " value " << value;
        ++compared;
    }
    EXPECT_GT(compared, 15000);
}

TEST(FormatLimits, OneConversionIsCutAt128KB) {
    EXPECT_EQ(131072u, formatted("%200000d", {1}).size());
    EXPECT_EQ(131072u + 2, formatted("<%-999999s>", {"x"}).size());
    std::string big = formatted("%.300000f", {1.5});
    ASSERT_EQ(131072u, big.size());
    EXPECT_EQ("1.5000", big.substr(0, 6));
    EXPECT_EQ(131072u, formatted("%0*d", {5000000, -1}).size());
    // Literal text is not a conversion and is never cut.
    std::string longText(200000, 'a');
    EXPECT_EQ(200000u, formatted(longText.c_str(), {}).size());
}

TEST(FormatStrings, FormatAndAppendFormatMayUseTheirOwnText) {
    String s("ab");
    s.format("%s-%s", s, s);
    EXPECT_STREQ("ab-ab", s.text());
    s.appendFormat("+%s", s);
    EXPECT_STREQ("ab-ab+ab-ab", s.text());
    s.format(s.text(), 1);
    EXPECT_STREQ("ab-ab+ab-ab", s.text());
    EXPECT_STREQ("5 apples", formatText("%d %s", 5, "apples").text());
    String empty;
    empty.format("");
    EXPECT_EQ(nullptr, empty.buffer());
}

TEST(FormatFatal, InternalFatalText) {
    EXPECT_EXIT(InternalFatal("core", 2295), ::testing::ExitedWithCode(1),
                "FATAL ERROR: Internal Fatal Error\r\nModule: core\r\nLine: 2295");
}

}  // namespace
