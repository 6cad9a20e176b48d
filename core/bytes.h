// Little-endian reads and writes of on-disk fields, byte by byte, so that no
// alignment or host byte order is assumed. The callers check bounds.
#pragma once
#include <stdint.h>

inline uint32_t readLE16(const uint8_t* p) { return (uint32_t)p[0] | ((uint32_t)p[1] << 8); }

inline uint32_t readLE32(const uint8_t* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

inline uint64_t readLE64(const uint8_t* p) {
    return (uint64_t)readLE32(p) | ((uint64_t)readLE32(p + 4) << 32);
}

inline void writeLE16(uint8_t* p, uint32_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

inline void writeLE32(uint8_t* p, uint32_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

inline void writeLE64(uint8_t* p, uint64_t v) {
    writeLE32(p, (uint32_t)v);
    writeLE32(p + 4, (uint32_t)(v >> 32));
}
