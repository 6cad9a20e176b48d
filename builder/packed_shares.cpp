#include "builder/packed_shares.h"

#include <algorithm>

#include "payload/format.h"

namespace build {
namespace {

class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : data_(data), bits_(uint64_t(size) * 8) {}
    uint64_t position() const { return at_; }
    bool read(uint32_t count, uint32_t& value) {
        if (count > 32 || bits_ - at_ < count) return false;
        value = 0;
        for (uint32_t i = 0; i < count; ++i, ++at_) value |= uint32_t(data_[at_ >> 3] >> (at_ & 7) & 1) << i;
        return true;
    }
    // G(base, step): k 1-bits, a 0-bit, a field of min(base + k * step, 32) bits.
    bool number(uint32_t base, uint32_t step, uint32_t& value) {
        uint32_t k = 0, bit = 1;
        while (read(1, bit) && bit) ++k;
        if (bit) return false;
        return read(std::min<uint64_t>(base + uint64_t(k) * step, 32), value);
    }

private:
    const uint8_t* data_;
    uint64_t bits_;
    uint64_t at_ = 0;
};

// How many unpacked bytes the next token makes; 0 when it cannot be read.
uint64_t nextToken(BitReader& in) {
    uint32_t first, second, x, y;
    if (!in.read(1, first)) return 0;
    if (first == 0) {
        if (!in.number(2, 2, x)) return 0;
        for (uint64_t i = 0; i <= x; ++i)
            if (!in.read(8, y)) return 0;
        return uint64_t(x) + 1;
    }
    if (!in.read(1, second)) return 0;
    if (second) return in.read(8, y) && in.number(1, 1, x) ? uint64_t(x) + 3 : 0;
    return in.number(2, 1, x) && in.number(12, 2, y) ? uint64_t(x) + 4 : 0;
}

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

}  // namespace

std::optional<std::vector<double>> packedBytesPerRange(const uint8_t* block, size_t size,
                                                       const std::vector<uint64_t>& ends) {
    if (size < payload::kPackedPrefixSize || le32(block) != payload::kPackedMagic) return std::nullopt;
    uint64_t unpacked = le32(block + 4);
    if (unpacked > 0x7FFFFFFF || (ends.empty() ? 0 : ends.back()) != unpacked) return std::nullopt;
    std::vector<double> shares(ends.size(), 0.0);
    BitReader in(block + payload::kPackedPrefixSize, size - payload::kPackedPrefixSize);
    uint64_t out = 0;
    size_t range = 0;
    while (out < unpacked) {
        uint64_t bitsBefore = in.position();
        uint64_t made = nextToken(in);
        if (made == 0 || made > unpacked - out) return std::nullopt;
        double bitsPerByte = double(in.position() - bitsBefore) / double(made);
        // Share the token's bits over the ranges its bytes fall into.
        for (uint64_t from = out, to = out + made; from < to;) {
            while (ends[range] <= from) ++range;
            uint64_t upTo = std::min(to, ends[range]);
            shares[range] += bitsPerByte * double(upTo - from) / 8;
            from = upTo;
        }
        out += made;
    }
    return shares;
}

}  // namespace build
