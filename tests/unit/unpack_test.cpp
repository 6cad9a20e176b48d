#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "builder/pack.h"
#include "core/string.h"
#include "payload/unpack.h"

namespace {

// Writes packed blocks bit by bit, LSB first, so that tests can state every
// token, including shapes the packer never makes (numbers with more leading
// 1-bits than needed, counts that wrap, truncated streams).
class BlockWriter {
public:
    explicit BlockWriter(int32_t unpackedSize, uint32_t magic = PackedBlockMagic) {
        field(magic, 32);
        field((uint32_t)unpackedSize, 32);
    }

    BlockWriter& field(uint64_t value, int width) {
        for (int i = 0; i < width; ++i) {
            if (bits_ % 8 == 0) bytes_.push_back(0);
            if ((value >> i) & 1) bytes_.back() |= (uint8_t)(1 << (bits_ % 8));
            ++bits_;
        }
        return *this;
    }

    // G(base, step) with `ones` leading 1-bits (-1: the fewest that hold it).
    BlockWriter& number(uint32_t base, uint32_t step, uint32_t value, int ones = -1) {
        if (ones < 0) {
            ones = 0;
            while (base + ones * step < 32 && (uint64_t)value >> (base + ones * step) != 0) ++ones;
        }
        for (int i = 0; i < ones; ++i) field(1, 1);
        field(0, 1);
        uint32_t width = base + ones * step;
        return field(value, width > 32 ? 32 : (int)width);
    }

    BlockWriter& literals(const std::string& text) {
        field(0, 1);
        number(2, 2, (uint32_t)text.size() - 1);
        for (char c : text) field((uint8_t)c, 8);
        return *this;
    }

    BlockWriter& run(char byte, uint32_t count) {
        field(3, 2);
        field((uint8_t)byte, 8);
        return number(1, 1, count - 3);
    }

    BlockWriter& reference(uint32_t length, uint32_t distance) {
        field(1, 2);
        number(2, 1, length - 4);
        return number(12, 2, distance - 4);
    }

    std::vector<uint8_t> bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    size_t bits_ = 0;
};

std::string asText(const uint8_t* p, int32_t n) { return std::string((const char*)p, (size_t)n); }

struct Outcome {
    bool ok;
    std::string bytes;
};

// Runs Unpack on a malloc'ed copy and checks the failure contract: on
// failure the pointer, the size and the bytes are as they were.
Outcome unpackBytes(const std::vector<uint8_t>& block) {
    int32_t size = (int32_t)block.size();
    uint8_t* buffer = (uint8_t*)malloc(block.empty() ? 1 : block.size());
    if (!block.empty()) memcpy(buffer, block.data(), block.size());
    uint8_t* before = buffer;
    bool ok = Unpack(buffer, size);
    Outcome out{ok, ""};
    if (ok) {
        EXPECT_NE(buffer, nullptr);
        out.bytes = asText(buffer, size);
    } else {
        EXPECT_EQ(buffer, before);
        EXPECT_EQ(size, (int32_t)block.size());
        if (!block.empty()) EXPECT_EQ(0, memcmp(buffer, block.data(), block.size()));
    }
    free(buffer);
    return out;
}

Outcome unpackString(const std::vector<uint8_t>& block) {
    String s((const char*)block.data(), (int32_t)block.size());
    bool ok = UnpackInPlace(s);
    Outcome out{ok, asText((const uint8_t*)s.text(), s.length())};
    if (!ok) EXPECT_EQ(out.bytes, asText(block.data(), (int32_t)block.size()));
    return out;
}

// UnpackToNewBuffer leaves the block alone and, on failure, its outputs too.
Outcome unpackConst(const std::vector<uint8_t>& block) {
    const std::vector<uint8_t> before = block;
    uint8_t* out = nullptr;
    int32_t outSize = -7;
    bool ok = UnpackToNewBuffer(block.empty() ? nullptr : block.data(), (int32_t)block.size(), out, outSize);
    EXPECT_EQ(block, before);
    Outcome result{ok, ""};
    if (ok) {
        EXPECT_NE(out, nullptr);
        result.bytes = asText(out, outSize);
    } else {
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(outSize, -7);
    }
    free(out);
    return result;
}

struct Case {
    const char* name;
    std::vector<uint8_t> block;
    bool ok;
    std::string expected;
    // The failure comes from the stream's end; padding would change it.
    bool failsAtEnd = false;
};

std::vector<Case> handBuiltCases() {
    std::vector<Case> cases;
    auto add = [&](const char* name, const BlockWriter& w, bool ok, std::string expected = "",
                   bool failsAtEnd = false) {
        cases.push_back({name, w.bytes(), ok, std::move(expected), failsAtEnd});
    };
    add("prefix only, size 0", BlockWriter(0), true);
    add("size 0 ignores the stream", BlockWriter(0).run('x', 9), true);
    add("negative size", BlockWriter(-1).literals("a"), false);
    add("most negative size", BlockWriter(INT32_MIN), false);
    add("literal run", BlockWriter(5).literals("hello"), true, "hello");
    add("literal run ends exactly at the size", BlockWriter(4).literals("ab").literals("cd"), true, "abcd");
    add("literal run one past the size", BlockWriter(4).literals("abcde"), false);
    add("bits after the last token are ignored", BlockWriter(2).literals("ab").field(0x3FF, 10), true, "ab");
    add("byte run", BlockWriter(6).literals("x").run('A', 5), true, "xAAAAA");
    add("shortest byte run", BlockWriter(3).run('\0', 3), true, std::string(3, '\0'));
    add("byte run past the size", BlockWriter(4).run('A', 5), false);
    add("reference with distance 5 and length 5", BlockWriter(13).literals("abcdefgh").reference(5, 5),
        true, "abcdefghdefgh");
    add("reference with distance 4 and length 5 overlaps", BlockWriter(13).literals("abcdefgh").reference(5, 4),
        false);
    add("reference to the first byte", BlockWriter(8).literals("abcd").reference(4, 4), true, "abcdabcd");
    add("reference before the first byte", BlockWriter(9).literals("abcde").reference(4, 6), false);
    add("reference past the size", BlockWriter(10).literals("abcdefgh").reference(4, 8), false);
    add("reference ending exactly at the size", BlockWriter(12).literals("abcdefgh").reference(4, 8), true,
        "abcdefghabcd");
    add("long distance", BlockWriter(4104).literals(std::string(4100, 'q').replace(0, 4, "WXYZ"))
        .reference(4, 4100), true, std::string(4100, 'q').replace(0, 4, "WXYZ") + "WXYZ");
    // 12 + 13 * 2 = 38 bits are capped at 32; the token after shows where the field ended.
    add("distance with 13 leading ones reads 32 bits",
        BlockWriter(9).literals("abcd").field(1, 2).number(2, 1, 0).number(12, 2, 0, 13).literals("Z"), true,
        "abcdabcdZ");
    add("count with 20 leading ones reads 32 bits", BlockWriter(3).field(0, 1).number(2, 2, 2, 20)
        .field('x', 8).field('y', 8).field('z', 8), true, "xyz");
    add("literal count that wraps", BlockWriter(4).field(0, 1).number(2, 2, 0xFFFFFFFF).field('a', 8), false);
    add("byte run count that wraps", BlockWriter(4).field(3, 2).field('a', 8).number(1, 1, 0xFFFFFFFE), false);
    add("reference length that wraps", BlockWriter(8).literals("abcd").field(1, 2).number(2, 1, 0xFFFFFFFD)
        .number(12, 2, 0), false);
    add("reference distance that wraps", BlockWriter(8).literals("abcd").field(1, 2).number(2, 1, 0)
        .number(12, 2, 0xFFFFFFFC), false);
    add("stream ends one byte short", BlockWriter(8).literals("abcdefg"), false, "", true);
    add("stream ends inside literal bytes", BlockWriter(5).field(0, 1).number(2, 2, 4).field(0x636261, 24),
        false, "", true);
    add("stream ends inside a number's prefix", BlockWriter(4).field(0, 1).field(0x7F, 7), false, "", true);
    add("stream ends inside a distance", BlockWriter(8).literals("abcd").field(1, 2).number(2, 1, 0)
        .field(0, 1).field(0, 5), false, "", true);
    return cases;
}

TEST(Unpack, HandBuiltBlocks) {
    for (const Case& c : handBuiltCases()) {
        SCOPED_TRACE(c.name);
        Outcome out = unpackBytes(c.block);
        EXPECT_EQ(out.ok, c.ok);
        if (c.ok) EXPECT_EQ(out.bytes, c.expected);
        Outcome viaString = unpackString(c.block);
        EXPECT_EQ(viaString.ok, c.ok);
        if (c.ok) EXPECT_EQ(viaString.bytes, c.expected);
        Outcome fromConst = unpackConst(c.block);
        EXPECT_EQ(fromConst.ok, c.ok);
        if (c.ok) EXPECT_EQ(fromConst.bytes, c.expected);
    }
}

// The same tokens far from the end of the block, where they are decoded from
// one 64-bit load instead of field by field.
TEST(Unpack, HandBuiltBlocksFarFromTheEnd) {
    for (const Case& c : handBuiltCases()) {
        if (c.failsAtEnd) continue;
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> padded = c.block;
        padded.resize(padded.size() + 64, 0);
        Outcome out = unpackBytes(padded);
        EXPECT_EQ(out.ok, c.ok);
        if (c.ok) EXPECT_EQ(out.bytes, c.expected);
    }
}

TEST(Unpack, RejectsBadPrefixes) {
    std::vector<uint8_t> good = BlockWriter(1).literals("z").bytes();
    ASSERT_TRUE(unpackBytes(good).ok);
    for (int bit = 0; bit < 32; ++bit) {
        std::vector<uint8_t> block = good;
        block[bit / 8] ^= (uint8_t)(1 << (bit % 8));
        EXPECT_FALSE(unpackBytes(block).ok) << "magic bit " << bit;
    }
    std::vector<uint8_t> empty = BlockWriter(0).bytes();
    for (size_t n = 0; n < empty.size(); ++n)
        EXPECT_FALSE(unpackBytes(std::vector<uint8_t>(empty.begin(), empty.begin() + n)).ok) << n << " bytes";

    uint8_t* none = nullptr;
    int32_t size = 8;
    EXPECT_FALSE(Unpack(none, size));
    String emptyString;
    EXPECT_FALSE(UnpackInPlace(emptyString));
}

// Every truncation of a valid block fails (the declared size is never
// reached) and every prefix of it is read without leaving the block, which
// the address sanitizer checks.
TEST(Unpack, EveryTruncationFails) {
    std::string text = "truncation: abcabcabcabc " + std::string(70, 'k') + " abcabcabc tail";
    std::vector<uint8_t> block = pack((const uint8_t*)text.data(), text.size());
    ASSERT_EQ(unpackBytes(block).bytes, text);
    for (size_t n = 8; n < block.size(); ++n)
        EXPECT_FALSE(unpackBytes(std::vector<uint8_t>(block.begin(), block.begin() + n)).ok) << n;
}

// A declared size one above or one below what the tokens give fails.
TEST(Unpack, DeclaredSizeMustMatchExactly) {
    std::string text = "exact size: the quick brown fox jumps over the lazy dog, the quick brown fox";
    std::vector<uint8_t> block = pack((const uint8_t*)text.data(), text.size());
    ASSERT_EQ(unpackBytes(block).bytes, text);
    for (int delta : {-1, 1}) {
        std::vector<uint8_t> changed = block;
        uint32_t size = (uint32_t)text.size() + delta;
        for (int i = 0; i < 4; ++i) changed[4 + i] = (uint8_t)(size >> (8 * i));
        EXPECT_FALSE(unpackBytes(changed).ok) << delta;
    }
}

std::string randomBytes(std::mt19937& rng, size_t n, int alphabet = 256) {
    std::string s(n, '\0');
    for (char& c : s) c = (char)(rng() % alphabet);
    return s;
}

// At every level: each has its own match finder and limits, all one format.
void expectRoundTrip(const std::string& data, const char* what) {
    for (int level = kPackMinLevel; level <= kPackMaxLevel; ++level) {
        std::vector<uint8_t> block = pack((const uint8_t*)data.data(), data.size(), level);
        Outcome out = unpackBytes(block);
        ASSERT_TRUE(out.ok) << what << ", " << data.size() << " bytes, level " << level;
        ASSERT_TRUE(out.bytes == data) << what << ", " << data.size() << " bytes, level " << level;
    }
}

TEST(Unpack, RoundTripsThePacker) {
    std::mt19937 rng(12345);
    std::vector<std::pair<std::string, std::string>> inputs = {
        {"empty", ""},
        {"one byte", "x"},
        {"three zeros", std::string(3, '\0')},
        {"long run", std::string(100000, '\xCC')},
        {"runs of every length", ""},
        {"text", ""},
        {"period 2", ""},
        {"period 3", ""},
        {"period 7", ""},
        {"random", randomBytes(rng, 5000)},
        {"small alphabet", randomBytes(rng, 20000, 3)},
    };
    for (int len = 1; len < 300; ++len) inputs[4].second += std::string(len, (char)('a' + len % 26));
    for (int i = 0; i < 300; ++i)
        inputs[5].second += "Line " + std::to_string(i % 37) + ": the installer copies the file.\r\n";
    for (int i = 0; i < 5000; ++i) inputs[6].second += "ab";
    for (int i = 0; i < 5000; ++i) inputs[7].second += "\x01\x02\x03";
    for (int i = 0; i < 5000; ++i) inputs[8].second += "1234567";
    for (const auto& input : inputs) expectRoundTrip(input.second, input.first.c_str());
}

// Sizes around the points where the decoder moves from whole-word reads to
// field-by-field reads (8 bytes before the end of the block).
TEST(Unpack, RoundTripsAroundTheTailBoundary) {
    std::mt19937 rng(777);
    for (size_t n = 0; n <= 80; ++n) {
        expectRoundTrip(randomBytes(rng, n), "random");
        expectRoundTrip(randomBytes(rng, n, 2), "two symbols");
        std::string mixed = randomBytes(rng, n / 2) + std::string(n - n / 2, 'r');
        expectRoundTrip(mixed, "random then run");
    }
}

TEST(Unpack, RoundTripsRandomInputs) {
    unsigned seed = std::random_device{}();
    std::printf("RoundTripsRandomInputs seed %u\n", seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int i = 0; i < 40; ++i) {
        // Pieces of noise, runs and copies of earlier pieces at any distance.
        std::string data;
        int pieces = 1 + rng() % 30;
        for (int p = 0; p < pieces; ++p) {
            size_t len = rng() % 3000;
            switch (rng() % 4) {
            case 0: data += randomBytes(rng, len, 1 + rng() % 256); break;
            case 1: data += std::string(len, (char)rng()); break;
            default:
                if (!data.empty()) {
                    size_t from = rng() % data.size();
                    data += data.substr(from, len);
                }
            }
        }
        expectRoundTrip(data, "random pieces");
    }
}

}  // namespace
