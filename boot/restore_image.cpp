#include "boot/restore_image.h"

#include "boot/lzma_decode.h"
#include "boot/packed_image.h"

// The boot compiles this file into its own section and may call nothing that
// lies in the packed code, so the helpers here are local and plain loops
// stand where a library call would do.
namespace {

using namespace packed_image;

uint32_t get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
uint64_t get64(const uint8_t* p) { return get32(p) | (uint64_t)get32(p + 4) << 32; }
void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> 8 * i);
}
void put64(uint8_t* p, uint64_t v) {
    put32(p, (uint32_t)v);
    put32(p + 4, (uint32_t)(v >> 32));
}

bool fits(uint64_t offset, uint64_t count, uint64_t size) { return offset <= size && count <= size - offset; }

// The region holds the whole filtered code range.
bool holdsCode(const uint8_t* s, PackedRegion r) {
    uint64_t code = get32(s + kCodeAt), codeSize = get32(s + kCodeSizeAt);
    return codeSize && r.address <= code && code + codeSize <= (uint64_t)r.address + r.size;
}

uint32_t probabilitiesAt(uint32_t unpackedSize) { return (unpackedSize + 1) & ~1u; }

// The header's sizes agree with each other and with the section: regions and
// relocations make up the unpacked bytes, the code range lies in one region.
bool headerHolds(const uint8_t* s, uint32_t size) {
    if (size < kHeaderSize || get32(s + kMagicAt) != kMagic) return false;
    uint32_t count = s[kRegionCountAt];
    if (count > kMaxRegions || !fits(kHeaderSize, count * kRegionSize, size)) return false;
    if (!fits(get32(s + kStreamAt), get32(s + kStreamSizeAt), size)) return false;
    uint32_t message = get32(s + kMessageAt);
    if (message >= size) return false;
    while (s[message]) {
        if (++message == size) return false;
    }
    uint64_t total = 0;
    bool codeFound = get32(s + kCodeSizeAt) == 0;
    for (uint32_t i = 0; i < count; ++i) {
        PackedRegion r = PackedImageRegion(s, i);
        codeFound = codeFound || holdsCode(s, r);
        total += r.size;
    }
    uint32_t unpacked = get32(s + kUnpackedSizeAt);
    return codeFound && total == get32(s + kRelocationsAt) &&
           total + get32(s + kRelocationsSizeAt) == unpacked && unpacked < 0x40000000 &&
           LzmaProbabilityCount(s[kPropertiesAt]) != 0;
}

// Adds `delta` to every field the relocation blocks name. Types 0 (padding),
// 3 (32-bit) and 10 (64-bit) occur in images for x86 and x86-64; a 32-bit
// boot restores x86 images only and leaves out the 64-bit kind.
bool relocate(uint8_t* image, uint32_t imageSize, const uint8_t* blocks, uint32_t size, uint64_t delta) {
    uint32_t at = 0;
    while (at < size) {
        if (size - at < 8) return false;
        uint32_t page = get32(blocks + at), blockSize = get32(blocks + at + 4);
        if (blockSize < 8 || blockSize > size - at || blockSize & 1) return false;
        for (uint32_t e = at + 8; e < at + blockSize; e += 2) {
            uint32_t entry = blocks[e] | blocks[e + 1] << 8, type = entry >> 12;
            uint64_t target = (uint64_t)page + (entry & 0xFFF);
            if (type == 0) continue;
            if (type == 3 && fits(target, 4, imageSize)) {
                put32(image + target, get32(image + target) + (uint32_t)delta);
            } else if (type == 10 && sizeof(void*) == 8 && fits(target, 8, imageSize)) {
                put64(image + target, get64(image + target) + delta);
            } else {
                return false;
            }
        }
        at += blockSize;
    }
    return true;
}

}  // namespace

uint32_t MappedImageSize(const uint8_t* image) {
    // The loader has checked these headers: only the signature is looked at.
    uint32_t pe = get32(image + 0x3C);
    return get32(image + pe) == 0x00004550 ? get32(image + pe + 24 + 56) : 0;
}

uint32_t PackedSectionSize(const uint8_t* image, uint32_t imageSize, uint32_t address) {
    if (!fits(address, kHeaderSize, imageSize) || get32(image + address + kMagicAt) != kMagic) return 0;
    uint32_t size = get32(image + address + kSectionSizeAt);
    return size >= kHeaderSize && fits(address, size, imageSize) ? size : 0;
}

uint32_t PackedImageScratchSize(const uint8_t* section, uint32_t size) {
    if (!headerHolds(section, size)) return 0;
    uint32_t unpacked = get32(section + kUnpackedSizeAt);
    return probabilitiesAt(unpacked) + 2 * LzmaProbabilityCount(section[kPropertiesAt]);
}

uint32_t PackedImageRegionCount(const uint8_t* section) { return section[kRegionCountAt]; }

PackedRegion PackedImageRegion(const uint8_t* section, uint32_t index) {
    const uint8_t* r = section + kHeaderSize + index * kRegionSize;
    return {get32(r), get32(r + 4), get32(r + 8)};
}

const char* PackedImageMessage(const uint8_t* section) { return (const char*)section + get32(section + kMessageAt); }

void FilterCode(uint8_t* code, uint32_t size, bool encode) {
    for (uint32_t i = 0; i + 5 <= size;) {
        if ((code[i] & 0xFE) != 0xE8) {
            ++i;
            continue;
        }
        uint32_t operand = get32(code + i + 1), next = i + 5;
        put32(code + i + 1, encode ? operand + next : operand - next);
        i = next;
    }
}

uint32_t Crc32(const uint8_t* data, uint32_t size) {
    uint32_t crc = 0xFFFFFFFF;
    for (uint32_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

bool RestorePackedImage(uint8_t* image, uint32_t imageSize, uint64_t actualBase, const uint8_t* s,
                        uint32_t size, uint8_t* scratch) {
    if (!headerHolds(s, size)) return false;
    uint32_t unpacked = get32(s + kUnpackedSizeAt);
    if (!LzmaDecode(s + get32(s + kStreamAt), get32(s + kStreamSizeAt), s[kPropertiesAt], scratch, unpacked,
                    (uint16_t*)(scratch + probabilitiesAt(unpacked))) ||
        Crc32(scratch, unpacked) != get32(s + kChecksumAt))
        return false;

    uint32_t count = s[kRegionCountAt], from = 0;
    for (uint32_t i = 0; i < count; ++i) {
        PackedRegion r = PackedImageRegion(s, i);
        if (!fits(r.address, r.size, imageSize)) return false;
        if (holdsCode(s, r)) FilterCode(scratch + from + (get32(s + kCodeAt) - r.address), get32(s + kCodeSizeAt), false);
        for (uint32_t b = 0; b < r.size; ++b) image[r.address + b] = scratch[from + b];
        from += r.size;
    }
    uint64_t delta = actualBase - get64(s + kPreferredBaseAt);
    return relocate(image, imageSize, scratch + from, get32(s + kRelocationsSizeAt), delta);
}
