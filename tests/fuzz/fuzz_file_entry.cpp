// Random bytes as a DataRegion: a few body sizes first, then the catalogue.
// Every entry ends in 0 or a corrupt-payload code, inside the region.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/bytes.h"
#include "payload/file_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    size_t count = data[0] % 5;
    if (size < 1 + 4 * count) return 0;
    size_t regionSize = size - 1 - 4 * count;
    uint8_t* region = (uint8_t*)malloc(regionSize ? regionSize : 1);
    if (regionSize) memcpy(region, data + 1 + 4 * count, regionSize);
    MemoryStream in(region, (uint32_t)regionSize);
    for (size_t i = 0; i < count; ++i) {
        FileEntry entry;
        int32_t bodySize = (int32_t)readLE32(data + 1 + 4 * i);
        if (readFileEntry(in, bodySize, entry) != 0) break;
        if (entry.body < region || entry.body + entry.size > region + regionSize) abort();
    }
    free(region);
    return 0;
}
