#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "builder/pack.h"
#include "core/bytes.h"
#include "payload/unpack.h"

namespace {

TEST(Pack, NumberCostsUseTheFewestLeadingOnes) {
    struct Row {
        uint32_t base, step, value, bits;
    };
    const Row rows[] = {
        {2, 2, 0, 3},           {2, 2, 3, 3},           {2, 2, 4, 6},
        {2, 2, 15, 6},          {2, 2, 16, 9},          {1, 1, 1, 2},
        {1, 1, 2, 4},           {2, 1, 7, 5},           {12, 2, 4095, 13},
        {12, 2, 4096, 16},      {12, 2, 0xFFFFFFFF, 43},  // 10 ones, a zero, 32 bits
        {2, 2, 0xFFFFFFFF, 48},  // 15 ones, a zero, 32 bits
    };
    for (const Row& r : rows)
        EXPECT_EQ(packedNumberBits(r.base, r.step, r.value), r.bits)
            << "G(" << r.base << "," << r.step << ") of " << r.value;
}

TEST(Pack, WritesThePrefix) {
    std::vector<uint8_t> empty = pack(nullptr, 0);
    ASSERT_EQ(empty.size(), 8u);
    EXPECT_EQ(readLE32(&empty[0]), PackedBlockMagic);
    EXPECT_EQ(readLE32(&empty[4]), 0u);

    std::string text = "prefix";
    std::vector<uint8_t> block = pack((const uint8_t*)text.data(), text.size());
    EXPECT_EQ(readLE32(&block[4]), text.size());
}

size_t packedSize(const std::string& data) { return pack((const uint8_t*)data.data(), data.size()).size(); }

// Stretches the format codes in a few tokens must come out that small: a
// long byte run is one token, a period below the shortest distance doubles
// its copies, and a repeated block is one reference however far back.
TEST(Pack, UsesTheCheapTokens) {
    EXPECT_LT(packedSize(std::string(1 << 20, '\0')), 8u + 32);

    std::string period2;
    for (int i = 0; i < (1 << 19); ++i) period2 += "\x01\x02";
    EXPECT_LT(packedSize(period2), 8u + 200);

    std::string noise(100000, '\0');
    uint32_t x = 1;
    for (char& c : noise) c = (char)((x = x * 1103515245 + 12345) >> 24);
    size_t once = packedSize(noise);
    EXPECT_LT(packedSize(noise + noise), once + 16);
}

// Every level writes the same format (the round trips are in unpack_test);
// the thorough levels must earn their time on ordinary text.
TEST(Pack, LevelsTradeSpeedForSize) {
    std::string text;
    for (int i = 0; i < 4000; ++i)
        text += "Line " + std::to_string(i * 7919 % 1013) + ": copy " + std::to_string(i % 97) + " files.\r\n";
    EXPECT_LE(pack((const uint8_t*)text.data(), text.size(), kPackMaxLevel).size(),
              pack((const uint8_t*)text.data(), text.size(), kPackMinLevel).size());
    for (int level : {kPackMinLevel - 1, kPackMaxLevel + 1})
        EXPECT_THROW(pack((const uint8_t*)text.data(), text.size(), level), std::invalid_argument) << level;
}

}  // namespace
