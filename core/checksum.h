// The payload checksum and the payload scrambling, shared by the stub and the
// builder so that both sides agree byte for byte.
#pragma once
#include <stdint.h>
#include <stddef.h>

// The checksum seed; also the checksum of an empty run.
constexpr uint32_t ChecksumSeed = 0x79E2BC9D;

// Sum modulo 2^32 of: the seed, every whole little-endian 32-bit word of the
// n bytes (read byte-wise, any alignment), each of the n mod 4 tail bytes as a
// signed 8-bit value, and finally n. Null `data` or n == 0 gives the seed
// alone (n is not added).
uint32_t payloadChecksum(const void* data, size_t n);

// XORs byte i with byte (i mod 4) of `key` in little-endian order, in place.
// Applying it twice with the same key restores the bytes.
void scramble(uint8_t* data, size_t n, uint32_t key);
