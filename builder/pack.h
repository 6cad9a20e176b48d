// Packing for the installer's payload: makes the packed blocks that the
// stub's Unpack (payload/unpack.h) restores.
//
// Block: magic 0x9EC72BA1 and the unpacked size (both 32-bit little-endian),
// then an LSB-first bit stream of tokens:
//   0  n=G(2,2)              literal run of n + 1 bytes
//   11 b (8 bits) n=G(1,1)   byte b repeated n + 3 times
//   10 l=G(2,1) d=G(12,2)    copy l + 4 bytes from d + 4 back; length <= distance
// G(base, step) is k 1-bits, a 0-bit and a field of min(base + k*step, 32) bits.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Levels trade packing speed for size; every level writes the same format.
// The default packs tens of MB/s; the maximum looks hardest.
constexpr int kPackMinLevel = 1;
constexpr int kPackDefaultLevel = 1;
constexpr int kPackMaxLevel = 5;

// Packs the `n` bytes at `data` (n < 2^31; larger throws std::length_error;
// a level outside [kPackMinLevel, kPackMaxLevel] throws std::invalid_argument).
// The parse is chosen for the fewest bits: a binary-tree match finder feeds an
// optimal parse over exact token costs; the level sets the finder's window
// (up to 16 MiB), its depth and the length at which a match is taken whole.
std::vector<uint8_t> pack(const uint8_t* data, size_t n, int level = kPackDefaultLevel);

// The exact bit cost of G(base, step) holding `value`, with the fewest
// leading 1-bits. Exposed for the tests.
uint32_t packedNumberBits(uint32_t base, uint32_t step, uint32_t value);
