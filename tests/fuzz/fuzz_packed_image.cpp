// The boot's restore of a packed image from any `.packed` section. First
// eight bytes: the address the image is loaded at (little-endian); the rest:
// the section. The image, the section and the scratch memory have their exact
// sizes, so a stray read or write meets the address sanitizer.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "boot/restore_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    uint64_t base;
    memcpy(&base, data, 8);
    uint32_t sectionSize = uint32_t(size - 8);
    uint8_t* section = (uint8_t*)malloc(sectionSize ? sectionSize : 1);
    memcpy(section, data + 8, sectionSize);
    uint32_t scratchSize = PackedImageScratchSize(section, sectionSize);
    if (scratchSize && scratchSize < (1u << 24)) {
        const uint32_t imageSize = 1u << 18;
        uint8_t* image = (uint8_t*)calloc(imageSize, 1);
        uint8_t* scratch = (uint8_t*)malloc(scratchSize);
        RestorePackedImage(image, imageSize, base, section, sectionSize, scratch);
        for (uint32_t i = 0; i < PackedImageRegionCount(section); ++i) PackedImageRegion(section, i);
        (void)strlen(PackedImageMessage(section));
        free(scratch);
        free(image);
    }
    free(section);
    return 0;
}
