// Shared by the unpacker's and the packer's fuzz targets: one block through
// both of the unpacker's entry points, which must agree.
#pragma once
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "core/string.h"
#include "payload/unpack.h"

// Unpacks a malloc'ed copy of exactly `size` bytes (so that reading past the
// block is caught); a failure must leave the block as it was.
inline bool unpackCopy(const uint8_t* block, size_t size, std::vector<uint8_t>* result) {
    uint8_t* buffer = (uint8_t*)malloc(size ? size : 1);
    if (size) memcpy(buffer, block, size);
    int32_t n = (int32_t)size;
    uint8_t* before = buffer;
    bool ok = Unpack(buffer, n);
    if (!ok && (buffer != before || n != (int32_t)size)) abort();
    if (ok && result) result->assign(buffer, buffer + n);

    String s((const char*)block, (int32_t)size);
    bool okString = UnpackInPlace(s);
    if (okString != ok) abort();
    if (ok && (s.length() != n || (n && memcmp(s.text(), buffer, (size_t)n) != 0))) abort();
    if (!ok && (s.length() != (int32_t)size || (size && memcmp(s.text(), block, size) != 0))) abort();
    free(buffer);
    return ok;
}
