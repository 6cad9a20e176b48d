// Random bytes as the background picture: parsing never reads outside them,
// and an accepted picture lets the system read its header, colour table and
// pixel rows without leaving the copy it keeps. The copy is moved into a
// buffer of exactly its size, so that a read one byte too far is caught.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "ui/background_layout.h"

namespace {

// The bytes after the colour table that the system reads for plain rows.
int64_t plainRowBytes(const PackedBitmap& bitmap) {
    int64_t stride = ((int64_t)bitmap.width * bitmap.bitsPerPixel + 31) / 32 * 4;
    int64_t rows = bitmap.height < 0 ? -(int64_t)bitmap.height : bitmap.height;
    return stride * rows;
}

uint32_t touch(const uint8_t* bytes, int64_t count) {
    uint32_t sum = 0;
    for (int64_t i = 0; i < count; ++i) sum += bytes[i];
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    PackedBitmap bitmap;
    if (!parsePackedBitmap(data, (int32_t)size, bitmap)) {
        if (!bitmap.isEmpty() || !bitmap.data.isEmpty()) abort();
        return 0;
    }
    if (bitmap.width < 1 || bitmap.bitsOffset < 12 || bitmap.data.length() != (int32_t)size) abort();
    uint8_t* exact = (uint8_t*)malloc(size);
    memcpy(exact, bitmap.data.text(), size);
    uint32_t compression = size >= 20 && bitmap.entrySize == 4 ? (uint32_t)exact[16] | exact[17] << 8 : 0;
    int64_t rows = compression == 0 || compression == 3 ? plainRowBytes(bitmap) : 0;
    volatile uint32_t sink = touch(exact, bitmap.bitsOffset) + touch(exact + bitmap.bitsOffset, rows);
    (void)sink;
    free(exact);
    return 0;
}
