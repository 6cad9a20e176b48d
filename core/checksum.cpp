#include "core/checksum.h"

uint32_t payloadChecksum(const void* data, size_t n) {
    if (!data || n == 0) {
        return ChecksumSeed;
    }
    const uint8_t* p = static_cast<const uint8_t*>(data);
    uint32_t sum = ChecksumSeed;
    size_t words = n / 4;
    for (size_t i = 0; i < words; ++i, p += 4) {
        sum += (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
    }
    for (size_t i = 0; i < n % 4; ++i) {
        sum += (uint32_t)(int32_t)(int8_t)p[i];  // tail bytes of 0x80 and up subtract
    }
    return sum + (uint32_t)n;
}

void scramble(uint8_t* data, size_t n, uint32_t key) {
    if (!data) {
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        data[i] ^= (uint8_t)(key >> (8 * (i % 4)));
    }
}
