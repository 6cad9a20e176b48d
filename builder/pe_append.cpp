#include "builder/pe_append.h"

#include <algorithm>
#include <cstring>

#include "core/bytes.h"
#include "payload/format.h"

namespace build {
namespace {

constexpr uint32_t kSectionEntrySize = 40;
constexpr uint32_t kSectionCharacteristics = 0x40000040;  // initialised data, readable
constexpr uint32_t kSecurityDirectory = 4;
// The stub refuses an image whose section count is outside this range.
constexpr uint32_t kMinSections = 4, kMaxSections = 99;

uint64_t alignUp(uint64_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

bool isPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

// Offsets of the header fields this file reads or writes.
struct PeLayout {
    uint32_t pe = 0;            // "PE\0\0"
    uint32_t optional = 0;      // optional header
    uint32_t table = 0;         // section table
    uint32_t sectionCount = 0;
    bool plus = false;          // PE32+
    uint32_t sectionAlignment = 0, fileAlignment = 0, sizeOfHeaders = 0;

    uint32_t checksumOffset() const { return optional + 64; }
    uint32_t sizeOfImageOffset() const { return optional + 56; }
    uint32_t initialisedDataOffset() const { return optional + 8; }
    uint32_t directoryCountOffset() const { return optional + (plus ? 108 : 92); }
    uint32_t directoryOffset(uint32_t index) const { return optional + (plus ? 112 : 96) + 8 * index; }
};

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    bool has(uint64_t offset, uint64_t count) const { return offset + count <= bytes_.size(); }
    uint32_t u16(uint32_t offset) const { return need(offset, 2), readLE16(&bytes_[offset]); }
    uint32_t u32(uint32_t offset) const { return need(offset, 4), readLE32(&bytes_[offset]); }

private:
    void need(uint64_t offset, uint64_t count) const {
        if (!has(offset, count)) throw PeError("the stub is not a PE image: its headers are cut short");
    }
    const std::vector<uint8_t>& bytes_;
};

PeLayout readLayout(const std::vector<uint8_t>& image) {
    Reader r(image);
    if (!r.has(0, 0x40) || image[0] != 'M' || image[1] != 'Z') throw PeError("the stub is not a PE image (no MZ header)");
    PeLayout l;
    l.pe = r.u32(0x3C);
    // The stub reads only the low 16 bits and accepts 0x40 to 0x1000.
    if (l.pe < 0x40 || l.pe > 0x1000) throw PeError("the stub's PE header offset is outside 0x40..0x1000");
    if (r.u32(l.pe) != 0x00004550) throw PeError("the stub is not a PE image (no PE signature)");
    l.sectionCount = r.u16(l.pe + 6);
    l.optional = l.pe + 24;
    l.table = l.optional + r.u16(l.pe + 20);
    uint32_t magic = r.u16(l.optional);
    if (magic != 0x10B && magic != 0x20B) throw PeError("the stub is neither PE32 nor PE32+");
    l.plus = magic == 0x20B;
    l.sectionAlignment = r.u32(l.optional + 32);
    l.fileAlignment = r.u32(l.optional + 36);
    l.sizeOfHeaders = r.u32(l.optional + 60);
    if (!isPowerOfTwo(l.fileAlignment) || !isPowerOfTwo(l.sectionAlignment) ||
        l.sectionAlignment < l.fileAlignment)
        throw PeError("the stub's section and file alignments are not usable");
    if (!r.has(l.table, uint64_t(kSectionEntrySize) * l.sectionCount))
        throw PeError("the stub's section table is cut short");
    return l;
}

struct ImageExtent {
    uint64_t virtualEnd = 0;    // end of the last section in memory
    uint64_t rawEnd = 0;        // end of the last section's raw data
    uint64_t firstRawData = UINT32_MAX;  // the section table may grow up to here
};

ImageExtent measureSections(const std::vector<uint8_t>& image, const PeLayout& l) {
    Reader r(image);
    ImageExtent e;
    for (uint32_t i = 0; i < l.sectionCount; ++i) {
        uint32_t entry = l.table + kSectionEntrySize * i;
        if (memcmp(&image[entry], payload::kSectionName, sizeof payload::kSectionName) == 0)
            throw PeError("the stub already carries a .tavo section");
        uint32_t virtualSize = r.u32(entry + 8), address = r.u32(entry + 12);
        uint32_t rawSize = r.u32(entry + 16), rawOffset = r.u32(entry + 20);
        uint64_t mapped = virtualSize ? virtualSize : rawSize;
        e.virtualEnd = std::max<uint64_t>(e.virtualEnd, address + alignUp(mapped, l.sectionAlignment));
        if (rawSize != 0) {
            e.rawEnd = std::max<uint64_t>(e.rawEnd, uint64_t(rawOffset) + rawSize);
            e.firstRawData = std::min<uint64_t>(e.firstRawData, rawOffset);
        }
    }
    return e;
}

void checkFreeSlot(const std::vector<uint8_t>& image, const PeLayout& l, const ImageExtent& e) {
    uint64_t slot = l.table + uint64_t(kSectionEntrySize) * l.sectionCount;
    uint64_t limit = std::min<uint64_t>(l.sizeOfHeaders, e.firstRawData);
    if (slot + kSectionEntrySize > limit)
        throw PeError("the stub's headers have no room for another section entry (table ends at " +
                      std::to_string(slot) + ", first section data at " + std::to_string(limit) + ")");
    for (uint64_t i = slot; i < slot + kSectionEntrySize; ++i)
        if (image[i] != 0) throw PeError("the slot after the stub's section table is in use");
}

void checkUnsigned(const std::vector<uint8_t>& image, const PeLayout& l) {
    Reader r(image);
    if (r.u32(l.directoryCountOffset()) <= kSecurityDirectory) return;
    if (r.u32(l.directoryOffset(kSecurityDirectory)) != 0 || r.u32(l.directoryOffset(kSecurityDirectory) + 4) != 0)
        throw PeError("the stub is signed; appending a section would break the signature");
}

}  // namespace

uint32_t peHeaderChecksum(const std::vector<uint8_t>& image, size_t checksumOffset) {
    auto byteAt = [&](size_t i) -> uint32_t {
        bool inField = i >= checksumOffset && i < checksumOffset + 4;
        return i < image.size() && !inField ? image[i] : 0;
    };
    uint64_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        sum += byteAt(i) | (byteAt(i + 1) << 8);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return uint32_t(sum + image.size());
}

std::vector<uint8_t> appendPayloadSection(const std::vector<uint8_t>& stub, const std::vector<uint8_t>& content,
                                          const std::vector<uint8_t>& afterSection, bool endAtData,
                                          AppendedSection* placed, PeChecksum checksum) {
    PeLayout l = readLayout(stub);
    if (l.sectionCount + 1 < kMinSections || l.sectionCount + 1 > kMaxSections)
        throw PeError("the stub has " + std::to_string(l.sectionCount) +
                      " sections; with the payload it must have 4 to 99");
    if (content.empty()) throw PeError("the payload section would be empty");
    ImageExtent e = measureSections(stub, l);
    checkFreeSlot(stub, l, e);
    checkUnsigned(stub, l);

    Reader r(stub);
    AppendedSection s;
    uint64_t address = alignUp(std::max<uint64_t>(e.virtualEnd, r.u32(l.sizeOfImageOffset())), l.sectionAlignment);
    uint64_t offset = alignUp(std::max<uint64_t>(stub.size(), e.rawEnd), l.fileAlignment);
    // A multiple of the section alignment, so that the image grows by exactly
    // the raw size: the stub takes that much off again when it writes the
    // uninstaller from its own file.
    uint64_t rawSize = alignUp(content.size(), l.sectionAlignment);
    uint64_t fileEnd = offset + content.size() + afterSection.size();
    if (!endAtData) fileEnd = std::max(fileEnd, offset + rawSize);
    if (address + rawSize > UINT32_MAX || fileEnd > UINT32_MAX)
        throw PeError("the payload is too large for a PE image");
    s.fileOffset = uint32_t(offset);
    s.virtualAddress = uint32_t(address);
    s.rawSize = uint32_t(rawSize);
    s.virtualSize = uint32_t(content.size());

    std::vector<uint8_t> out(stub);
    out.resize(offset, 0);
    out.insert(out.end(), content.begin(), content.end());
    out.insert(out.end(), afterSection.begin(), afterSection.end());
    out.resize(fileEnd, 0);

    uint8_t* entry = &out[l.table + kSectionEntrySize * l.sectionCount];
    memcpy(entry, payload::kSectionName, sizeof payload::kSectionName);
    writeLE32(entry + 8, s.virtualSize);
    writeLE32(entry + 12, s.virtualAddress);
    writeLE32(entry + 16, s.rawSize);
    writeLE32(entry + 20, s.fileOffset);
    writeLE32(entry + 36, kSectionCharacteristics);
    writeLE16(&out[l.pe + 6], l.sectionCount + 1);
    writeLE32(&out[l.sizeOfImageOffset()], uint32_t(address + rawSize));
    writeLE32(&out[l.initialisedDataOffset()], r.u32(l.initialisedDataOffset()) + s.rawSize);
    writeLE32(&out[l.checksumOffset()],
              checksum == PeChecksum::Recompute ? peHeaderChecksum(out, l.checksumOffset()) : 0);
    if (placed) *placed = s;
    return out;
}

}  // namespace build
