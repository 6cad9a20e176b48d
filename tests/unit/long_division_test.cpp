#include "core/long_division.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The native operators are the reference.
void expectUnsigned(uint64_t n, uint64_t d) {
    uint64_t r = 0;
    EXPECT_EQ(n / d, divideUnsigned64(n, d, r)) << n << " / " << d;
    EXPECT_EQ(n % d, r) << n << " % " << d;
}

void expectSigned(int64_t n, int64_t d) {
    int64_t r = 0;
    EXPECT_EQ(n / d, divideSigned64(n, d, r)) << n << " / " << d;
    EXPECT_EQ(n % d, r) << n << " % " << d;
}

TEST(LongDivisionTest, UnsignedEdges) {
    const uint64_t values[] = {0, 1, 2, 3, 7, 10, 0xFFFFFFFFu, 0x100000000u, 0x100000001u, 0x123456789ABCDEFu,
                               0x7FFFFFFFFFFFFFFFu, 0x8000000000000000u, 0x8000000000000001u, 0xFFFFFFFFFFFFFFFEu,
                               0xFFFFFFFFFFFFFFFFu};
    for (uint64_t n : values)
        for (uint64_t d : values)
            if (d) expectUnsigned(n, d);
}

TEST(LongDivisionTest, SignedEdgesRoundTowardsZero) {
    const int64_t values[] = {0, 1, -1, 2, -2, 7, -7, 10, -10, 0x7FFFFFFF, -0x80000000LL, 0x100000000LL,
                              -0x100000001LL, INT64_MAX, INT64_MIN + 1, INT64_MIN};
    for (int64_t n : values)
        for (int64_t d : values)
            if (d && !(n == INT64_MIN && d == -1)) expectSigned(n, d);
}

TEST(LongDivisionTest, RandomOperandsOfEveryWidth) {
    std::mt19937_64 random(20261210);
    for (int i = 0; i < 20000; ++i) {
        uint64_t n = random() >> (random() % 64);
        uint64_t d = random() >> (random() % 64);
        if (!d) continue;
        expectUnsigned(n, d);
        expectSigned(int64_t(n), int64_t(d));
        expectSigned(-int64_t(n >> 1), int64_t(d));
    }
}

}  // namespace
