// The packed image: how the squeezer (builder/pe_squeeze.cpp) stores the
// stub's code and data, and what the boot (boot/boot_win32.cpp) restores in
// memory before the stub runs. The packed sections keep their addresses and
// sizes but no bytes in the file; the loader gives them zeroed memory, and the
// section `.packed` holds one LZMA stream with their bytes. The squeezer
// writes the section's address into the boot's code, after the marker below,
// so that the boot finds it whatever became of the section table.
//
// Section `.packed`, from its first byte (little-endian):
//   the header below, then `regionCount` regions of 12 bytes (address,
//   size, page protection), the text shown when the image cannot be restored
//   (zero-terminated), the stream, and the import tables the loader reads
//   (the squeezer moves them here from the packed sections).
// The unpacked stream: every region's bytes in order, then the base
// relocations of the packed regions (the PE's own block format). In the code
// range, the 32-bit operand of each E8 or E9 byte (call, jump) holds the
// target's offset from the range's start instead of from the next instruction:
// calls to one function then look alike and pack better.
#pragma once
#include <stdint.h>

namespace packed_image {

constexpr char kSectionName[8] = {'.', 'p', 'a', 'c', 'k', 'e', 'd', 0};
constexpr uint32_t kMagic = 0x49505654;  // "TVPI"

// Header fields: byte offsets.
enum : uint32_t {
    kMagicAt = 0,
    kStreamAt = 4,           // offset of the stream in the section
    kStreamSizeAt = 8,
    kUnpackedSizeAt = 12,
    kChecksumAt = 16,        // CRC-32 of the unpacked bytes
    kPropertiesAt = 20,      // the LZMA properties byte
    kRegionCountAt = 21,     // one byte
    kMessageAt = 24,         // offset of the text in the section
    kCodeAt = 28,            // address of the filtered code range
    kCodeSizeAt = 32,
    kRelocationsAt = 36,     // offset of the relocation blocks in the unpacked bytes
    kRelocationsSizeAt = 40,
    kSectionSizeAt = 44,     // of `.packed` in memory
    kPreferredBaseAt = 48,   // 64 bits: the base the image was linked for
    kHeaderSize = 56,
    kRegionSize = 12,        // address, size, page protection (a PAGE_ value)
};

constexpr uint32_t kMaxRegions = 16;

// In the boot's code: a jump over the four letters "TVPK", then an
// instruction that loads a 32-bit number into eax (opcode 0xB8): the address
// of `.packed`, 0 in a stub as linked.
constexpr uint8_t kAddressMarker[6] = {0xEB, 0x04, 'T', 'V', 'P', 'K'};
constexpr uint8_t kLoadEax = 0xB8;

}  // namespace packed_image
