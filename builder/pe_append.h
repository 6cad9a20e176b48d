// Appending the payload section `.tavo` to a stub executable (PE32 or PE32+).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "builder/pe_layout.h"

namespace build {

// Where the new section ended up.
struct AppendedSection {
    uint32_t fileOffset = 0;     // of its raw data
    uint32_t virtualAddress = 0;
    uint32_t rawSize = 0;        // SizeOfRawData
    uint32_t virtualSize = 0;    // the content size: all the loader maps
};

// What becomes of the PE header's CheckSum field.
enum class PeChecksum { Recompute, Zero };

// Returns `stub` with a new last section `.tavo` (initialised, read-only data)
// whose content is `content`, followed directly in the file by `afterSection`
// (the data stored in the file but not mapped: VirtualSize is the content's
// size). The section's raw data covers
// the start of `afterSection` when the content leaves room; the file ends at
// the last byte of `afterSection` when `endAtData` is set (the stub measures
// the in-file data up to the end of the file), otherwise it is padded
// to the section's raw size. The raw size is the content's size rounded up to
// the section alignment and the image grows by exactly that much, so that
// removing the section again (as the stub does for its uninstaller) restores
// the stub's own header values. Header fields kept consistent:
// NumberOfSections, SizeOfImage, SizeOfInitializedData, CheckSum. Throws
// PeError.
std::vector<uint8_t> appendPayloadSection(const std::vector<uint8_t>& stub,
                                          const std::vector<uint8_t>& content,
                                          const std::vector<uint8_t>& afterSection, bool endAtData,
                                          AppendedSection* placed = nullptr,
                                          PeChecksum checksum = PeChecksum::Recompute);

// The PE header checksum of `image` (the CheckSum field at `checksumOffset`
// counts as zero): 16-bit one's-complement-style folding sum plus the length.
uint32_t peHeaderChecksum(const std::vector<uint8_t>& image, size_t checksumOffset);

}  // namespace build
