#include <gtest/gtest.h>

#include <string>

#include "install/version_compare.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

int sign(int32_t value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

struct VersionCase {
    const char* a;
    const char* b;
    int order;  // sign of CompareVersions(a, b)
};

TEST(VersionCompare, OrdersTextsByNumbersThenLetter) {
    const VersionCase cases[] = {
        {"1.10", "1.9", 1},                // numbers, not characters
        {"1.2.0", "1.2", 1},               // the longer list is newer
        {"1.2", "1.2.0", -1},
        {"1.2b", "1.2a", 1},               // equal numbers: the letter decides
        {"1.2", "1.2a", -1},               // no letter counts as 0
        {"1.2a", "1.2", 1},
        {"2.0", "2.0", 0},
        {"", "", 0},
        {"", "0", -1},                     // an empty list is shorter
        {".5", "0.5", 0},                  // a leading point stands for 0
        {"..5", "0.5", 0},                 // only the first point does
        {"1..2", "1.2", 0},                // later points only separate
        {"1,2", "1.2", 0},                 // any other character separates
        {"v1.2", "1.2", 1},                // a letter is not a number ...
        {"1a2", "1.2", 1},                 // ... and splits digit runs
        {"1.2ab", "1.2b", 0},              // the last letter counts
        {"1.2B", "1.2a", -1},              // codes, case not folded
        {"0000000001.0000000010", "1.10", 0},  // padding does not matter
        {"2.0", "10.0", -1},
        {"99999999999999999999.1", "99999999999999999999.2", -1},  // huge numbers stay ordered
    };
    for (const VersionCase& c : cases) {
        EXPECT_EQ(sign(CompareVersions(String(c.a), String(c.b))), c.order) << c.a << " vs " << c.b;
        EXPECT_EQ(sign(CompareVersions(String(c.b), String(c.a))), -c.order) << c.b << " vs " << c.a;
    }
}

TEST(VersionCompare, GivesTheDifferenceOfTheFirstDifferingNumbers) {
    EXPECT_EQ(CompareVersions(String("1.7"), String("1.2")), 5);
    EXPECT_EQ(CompareVersions(String("1.2b"), String("1.2")), 'b');
    EXPECT_EQ(CompareVersions(String("4294967295"), String("0")), 0x7FFFFFFF) << "clamped to 32 bits";
}

TEST(VersionCompare, PadsEachPartOfAResourceVersion) {
    const struct {
        const char* text;
        const char* padded;
    } cases[] = {
        {"", ""},
        {"1", "0000000001"},
        {"1.2b", "0000000001.000000002B"},
        {"6.1.7601.17514", "0000000006.0000000001.0000007601.0000017514"},
        {"1..2", "0000000001.0000000000.0000000002"},
        {"1.", "0000000001.0000000000"},
        {"12345678901.x", "12345678901.000000000X"},
    };
    for (const auto& c : cases) EXPECT_EQ(str(paddedVersionText(String(c.text))), c.padded) << c.text;
}

}  // namespace
