// The LZMA decoder on any stream. First byte: the properties (lc clamped so
// that lc + lp <= 4, which keeps the working memory small); next two bytes:
// the output size (little-endian); the rest: the stream. The output buffer
// has the exact size, so a stray write meets the address sanitizer.
#include <stdint.h>
#include <stdlib.h>

#include <vector>

#include "boot/lzma_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    uint32_t p = data[0] % 225, lc = p % 9, lp = p / 9 % 5, pb = p / 45;
    if (lc + lp > 4) lc = 4 - lp;
    uint8_t properties = uint8_t((pb * 5 + lp) * 9 + lc);
    uint32_t outSize = data[1] | data[2] << 8;
    std::vector<uint16_t> probabilities(LzmaProbabilityCount(properties));
    uint8_t* out = (uint8_t*)malloc(outSize ? outSize : 1);
    LzmaDecode(data + 3, uint32_t(size - 3), properties, out, outSize, probabilities.data());
    free(out);
    return 0;
}
