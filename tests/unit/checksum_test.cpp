#include "core/checksum.h"

#include <gtest/gtest.h>
#include <string.h>

#include <vector>

namespace {

struct ChecksumCase {
    const char* name;
    std::vector<uint8_t> bytes;
    uint32_t expected;
};

TEST(ChecksumTest, SumsWordsThenSignedTailThenLength) {
    const uint32_t seed = 0x79E2BC9D;
    const ChecksumCase cases[] = {
        {"empty", {}, seed},
        {"one byte", {0x7F}, seed + 0x7F + 1},
        {"one high byte is negative", {0x80}, seed - 0x80 + 1},
        {"three bytes", {0x01, 0x02, 0xFF}, seed + 1 + 2 - 1 + 3},
        {"one whole word", {0x01, 0x02, 0x03, 0x04}, seed + 0x04030201u + 4},
        {"word plus tail", {0x01, 0x02, 0x03, 0x04, 0xFE}, seed + 0x04030201u - 2 + 5},
        {"two words wrap", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, seed - 2 + 8},
        {"high word is not signed", {0x00, 0x00, 0x00, 0x80}, seed + 0x80000000u + 4},
    };
    for (const ChecksumCase& c : cases) {
        EXPECT_EQ(c.expected, payloadChecksum(c.bytes.data(), c.bytes.size())) << c.name;
    }
}

TEST(ChecksumTest, MissingBufferGivesSeedWithoutLength) {
    EXPECT_EQ(0x79E2BC9Du, payloadChecksum(nullptr, 12));
    uint8_t byte = 5;
    EXPECT_EQ(0x79E2BC9Du, payloadChecksum(&byte, 0));
}

TEST(ChecksumTest, AlignmentDoesNotMatter) {
    uint8_t buffer[64];
    for (size_t i = 0; i < sizeof buffer; ++i) {
        buffer[i] = (uint8_t)(i * 37 + 11);
    }
    uint8_t shifted[65];
    memcpy(shifted + 1, buffer, sizeof buffer);
    for (size_t n = 0; n <= sizeof buffer; ++n) {
        EXPECT_EQ(payloadChecksum(buffer, n), payloadChecksum(shifted + 1, n)) << n;
    }
}

TEST(ScrambleTest, XorsWithKeyBytesInLittleEndianOrder) {
    uint8_t data[5] = {0, 0, 0, 0, 0};
    scramble(data, sizeof data, 0x44332211);
    const uint8_t expected[5] = {0x11, 0x22, 0x33, 0x44, 0x11};  // the tail byte uses the lowest key byte
    EXPECT_EQ(0, memcmp(expected, data, sizeof data));
}

TEST(ScrambleTest, SameOperationDescramblesEveryLength) {
    for (size_t n = 0; n <= 9; ++n) {
        uint8_t original[9], data[9];
        for (size_t i = 0; i < n; ++i) {
            original[i] = data[i] = (uint8_t)(0xA5 ^ (i * 29));
        }
        scramble(data, n, 0xDEADBEEF);
        if (n > 0) {
            EXPECT_NE(0, memcmp(original, data, n)) << n;
        }
        scramble(data, n, 0xDEADBEEF);
        EXPECT_EQ(0, memcmp(original, data, n)) << n;
    }
}

TEST(ScrambleTest, NullBufferIsIgnored) {
    scramble(nullptr, 4, 1);  // must not crash
}

}  // namespace
