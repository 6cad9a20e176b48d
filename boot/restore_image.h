// Restoring a packed image in memory (format: boot/packed_image.h). Pure
// logic over the mapped image, so that it is tested off Windows; the boot
// (boot_win32.cpp) adds the memory and the page protections.
#pragma once
#include <stdint.h>

// The size of the image mapped at `image`, from the headers the loader read;
// 0 when they do not hold a PE image.
uint32_t MappedImageSize(const uint8_t* image);

// The section `.packed` at `address` in an image of `imageSize` bytes: its
// size, or 0 when its header does not fit in the image.
uint32_t PackedSectionSize(const uint8_t* image, uint32_t imageSize, uint32_t address);

// The working memory RestorePackedImage needs: the unpacked bytes, then the
// LZMA probabilities (2-byte aligned). 0 for a section whose header is bad.
uint32_t PackedImageScratchSize(const uint8_t* section, uint32_t size);

// Restores the packed regions of the image mapped at `image` (`imageSize`
// bytes, now at address `actualBase`) from its `.packed` section: unpacks
// the stream into `scratch` (PackedImageScratchSize bytes), checks its CRC-32,
// undoes the code filter, copies each region to its place and adds the
// distance from the preferred base to every relocated field.
// Returns false, having changed at most the regions, for a header, stream or
// relocation that does not fit; never touches memory outside the image, the
// section and the scratch.
bool RestorePackedImage(uint8_t* image, uint32_t imageSize, uint64_t actualBase, const uint8_t* section,
                        uint32_t size, uint8_t* scratch);

// A region of the packed image and the page protection it ends with.
struct PackedRegion {
    uint32_t address, size, protection;
};
// Region `index` (below the header's count) of a section whose scratch size
// is not 0.
PackedRegion PackedImageRegion(const uint8_t* section, uint32_t index);
uint32_t PackedImageRegionCount(const uint8_t* section);
// The zero-terminated text to show when the image cannot be restored.
const char* PackedImageMessage(const uint8_t* section);

// The code filter (see packed_image.h): `encode` makes each call and jump
// operand relative to the range's start, decoding undoes it.
void FilterCode(uint8_t* code, uint32_t size, bool encode);

// CRC-32 (the reflected polynomial 0xEDB88320 of zip and PNG).
uint32_t Crc32(const uint8_t* data, uint32_t size);
