// Decoding of raw LZMA streams (the range-coded LZ77 of the xz tools, without
// any container): what a self-unpacking stub needs to restore its own image.
// The output buffer is the dictionary, so the whole result must fit in it.
#pragma once
#include <stdint.h>

// The properties byte: (pb * 5 + lp) * 9 + lc, with lc <= 8, lp <= 4, pb <= 4.
// The number of 16-bit probabilities a stream with `properties` needs, or 0
// for a byte that no stream has.
uint32_t LzmaProbabilityCount(uint8_t properties);

// Decodes the `inSize` bytes at `in` into exactly `outSize` bytes at `out`,
// using `probabilities` (LzmaProbabilityCount(properties) of them, any
// content) as working memory. Whatever follows the last byte, such as an end
// marker, is not read.
// Returns false for bad properties, a distance before the start of the output,
// a match that runs past `outSize`, an end marker before `outSize` bytes, or a
// stream that ends early; then `out` holds some of the bytes. Never reads or
// writes outside the buffers it is given.
bool LzmaDecode(const uint8_t* in, uint32_t inSize, uint8_t properties, uint8_t* out, uint32_t outSize,
                uint16_t* probabilities);
