// inspect's share-out of a packed block over ranges of its unpacked bytes, on
// arbitrary blocks (the block of a damaged installer is bad input). The first
// input byte cuts the declared size into two ranges; with its top bit set the
// magic is written over the block's start so that the token walk is explored.
// Every block the stub's unpacker accepts must walk (the walk does not check
// back-reference distances, so it may accept more).
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "builder/packed_shares.h"
#include "payload/unpack.h"

namespace {

constexpr uint32_t kLargestDeclared = 1u << 20;

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    uint8_t control = data[0];
    std::vector<uint8_t> block(data + 1, data + size);
    if ((control & 0x80) && block.size() >= 4) {
        const uint8_t magic[4] = {0xA1, 0x2B, 0xC7, 0x9E};
        memcpy(block.data(), magic, 4);
    }
    uint64_t declared = block.size() >= 8 ? le32(block.data() + 4) : 0;
    if (declared > kLargestDeclared) return 0;
    std::vector<uint64_t> ends = {declared * (control & 0x7F) / 127, declared};
    std::optional<std::vector<double>> shares = build::packedBytesPerRange(block.data(), block.size(), ends);

    // inspect walks only blocks that unpacked.
    uint8_t* copy = static_cast<uint8_t*>(malloc(block.empty() ? 1 : block.size()));
    if (!block.empty()) memcpy(copy, block.data(), block.size());
    int32_t n = int32_t(block.size());
    bool unpacked = Unpack(copy, n);
    free(copy);
    if (unpacked && !shares) abort();
    if (shares) {
        double sum = (*shares)[0] + (*shares)[1];
        if (sum < 0 || sum > double(block.size())) abort();
    }
    return 0;
}
