// Reading a PE image's headers (PE32 or PE32+) for the tools that rewrite a
// stub: where the fields are, with every read checked against the file.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace build {

// A stub that cannot take a change: not a PE image, no free slot in the
// section table, a signed image, a layout the tool does not know.
struct PeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr uint32_t kSectionEntrySize = 40;

inline uint64_t alignUp(uint64_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// Offsets of the header fields the tools read or write.
struct PeLayout {
    uint32_t pe = 0;            // "PE\0\0"
    uint32_t optional = 0;      // optional header
    uint32_t table = 0;         // section table
    uint32_t sectionCount = 0;
    bool plus = false;          // PE32+
    uint32_t sectionAlignment = 0, fileAlignment = 0, sizeOfHeaders = 0;

    uint32_t entryPointOffset() const { return optional + 16; }
    uint32_t checksumOffset() const { return optional + 64; }
    uint32_t sizeOfImageOffset() const { return optional + 56; }
    uint32_t initialisedDataOffset() const { return optional + 8; }
    uint32_t imageBaseOffset() const { return optional + (plus ? 24 : 28); }
    uint32_t directoryCountOffset() const { return optional + (plus ? 108 : 92); }
    uint32_t directoryOffset(uint32_t index) const { return optional + (plus ? 112 : 96) + 8 * index; }
    uint32_t sectionEntry(uint32_t index) const { return table + kSectionEntrySize * index; }
};

// Bounds-checked little-endian reads; a read past the end throws PeError.
class PeReader {
public:
    explicit PeReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    bool has(uint64_t offset, uint64_t count) const { return offset + count <= bytes_.size(); }
    uint32_t u16(uint64_t offset) const;
    uint32_t u32(uint64_t offset) const;
    uint64_t u64(uint64_t offset) const { return u32(offset) | uint64_t(u32(offset + 4)) << 32; }

private:
    void need(uint64_t offset, uint64_t count) const;
    const std::vector<uint8_t>& bytes_;
};

// The header layout of `image`; throws PeError when it is not a PE image the
// stub could be.
PeLayout readLayout(const std::vector<uint8_t>& image);

}  // namespace build
