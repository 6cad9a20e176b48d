// Raw LZMA streams made by liblzma, decoded by the stub's decoder.
#include <gtest/gtest.h>
#include <lzma.h>

#include <random>
#include <string>
#include <vector>

#include "boot/lzma_decode.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Props {
    uint32_t lc, lp, pb;
    uint8_t byte() const { return uint8_t((pb * 5 + lp) * 9 + lc); }
};

Bytes encode(const Bytes& data, Props props) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 9);
    options.lc = props.lc;
    options.lp = props.lp;
    options.pb = props.pb;
    lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    Bytes out(data.size() + data.size() / 2 + 1024);
    size_t used = 0;
    EXPECT_EQ(LZMA_OK, lzma_raw_buffer_encode(filters, nullptr, data.data(), data.size(), out.data(), &used,
                                              out.size()));
    out.resize(used);
    return out;
}

// Decodes into a buffer with a guard after the declared size.
bool decode(const Bytes& stream, uint8_t props, size_t size, Bytes* out) {
    std::vector<uint16_t> probabilities(LzmaProbabilityCount(props) + 1);
    Bytes buffer(size + 16, 0xA5);
    bool ok = LzmaDecode(stream.data(), (uint32_t)stream.size(), props, buffer.data(), (uint32_t)size,
                         probabilities.data());
    for (size_t i = size; i < buffer.size(); ++i) EXPECT_EQ(0xA5, buffer[i]) << "written past the output at " << i;
    buffer.resize(size);
    if (out) *out = buffer;
    return ok;
}

// Text with repeats near and far, runs, and a random stretch: every kind of
// token (literals after matches, short and long repeats, far distances).
Bytes mixedData(uint32_t seed, size_t size) {
    std::mt19937 random(seed);
    Bytes data;
    const std::string words[] = {"install ", "the ", "product ", "folder ", "\r\n", "Uninstall.DAT ", "%InstallDir%"};
    while (data.size() < size) {
        switch (random() % 4) {
            case 0:
                for (char c : words[random() % 7]) data.push_back((uint8_t)c);
                break;
            case 1:
                data.insert(data.end(), random() % 300 + 1, (uint8_t)random());
                break;
            case 2:
                for (int i = random() % 64; i > 0; --i) data.push_back((uint8_t)random());
                break;
            default:
                if (data.size() > 10) {
                    size_t from = random() % data.size(), n = random() % 400 + 2;
                    for (size_t i = 0; i < n && from + i < data.size(); ++i) data.push_back(data[from + i]);
                }
        }
    }
    data.resize(size);
    return data;
}

TEST(LzmaDecode, RestoresWhatLiblzmaEncoded) {
    const Props settings[] = {{3, 0, 2}, {0, 0, 0}, {1, 3, 4}, {4, 0, 0}, {0, 4, 1}};
    const size_t sizes[] = {1, 2, 5, 300, 4096, 70000, 300000};
    for (Props props : settings) {
        for (size_t size : sizes) {
            SCOPED_TRACE(testing::Message() << "lc " << props.lc << " lp " << props.lp << " pb " << props.pb
                                            << " size " << size);
            Bytes data = mixedData((uint32_t)size, size), out;
            Bytes stream = encode(data, props);
            ASSERT_TRUE(decode(stream, props.byte(), size, &out));
            EXPECT_EQ(data, out);
        }
    }
}

TEST(LzmaDecode, ExactSizeOnly) {
    Props props{3, 0, 2};
    Bytes data = mixedData(7, 20000), out;
    Bytes stream = encode(data, props);
    ASSERT_TRUE(decode(stream, props.byte(), data.size(), &out));
    // One byte over meets the end marker (or the end of the stream).
    EXPECT_FALSE(decode(stream, props.byte(), data.size() + 1, nullptr));
    // One byte short succeeds with the prefix, unless the last token crosses it.
    if (decode(stream, props.byte(), data.size() - 1, &out)) EXPECT_EQ(Bytes(data.begin(), data.end() - 1), out);
    EXPECT_TRUE(decode(stream, props.byte(), 0, &out));
}

TEST(LzmaDecode, RefusesBadStreams) {
    Props props{3, 0, 2};
    Bytes data = mixedData(11, 50000);
    Bytes stream = encode(data, props);

    EXPECT_FALSE(decode(Bytes(stream.begin(), stream.begin() + stream.size() / 2), props.byte(), data.size(),
                        nullptr));
    EXPECT_FALSE(decode(Bytes(stream.begin(), stream.begin() + 4), props.byte(), data.size(), nullptr));
    Bytes badFirst = stream;
    badFirst[0] = 1;
    EXPECT_FALSE(decode(badFirst, props.byte(), data.size(), nullptr));
    EXPECT_EQ(0u, LzmaProbabilityCount(225));
    EXPECT_FALSE(decode(stream, 225, data.size(), nullptr));

    // A flipped bit anywhere gives a result or a refusal, never a stray write
    // (the guard in decode() sees those).
    std::mt19937 random(5);
    for (int i = 0; i < 200; ++i) {
        Bytes changed = stream;
        changed[1 + random() % (changed.size() - 1)] ^= uint8_t(1 << (random() % 8));
        decode(changed, props.byte(), data.size(), nullptr);
    }
}

TEST(LzmaDecode, ProbabilityCountFollowsTheLiteralBits) {
    EXPECT_EQ(LzmaProbabilityCount(Props{0, 0, 0}.byte()) + 0x300u * 7, LzmaProbabilityCount(Props{3, 0, 0}.byte()));
    EXPECT_EQ(LzmaProbabilityCount(Props{3, 0, 0}.byte()), LzmaProbabilityCount(Props{3, 0, 4}.byte()));
    EXPECT_EQ(LzmaProbabilityCount(Props{1, 2, 0}.byte()), LzmaProbabilityCount(Props{3, 0, 0}.byte()));
}

}  // namespace
