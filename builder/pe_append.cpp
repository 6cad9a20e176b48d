#include "builder/pe_append.h"

#include <algorithm>
#include <cstring>

#include "builder/pe_layout.h"
#include "core/bytes.h"
#include "payload/format.h"

namespace build {
namespace {

constexpr uint32_t kSectionCharacteristics = 0x40000040;  // initialised data, readable
constexpr uint32_t kSecurityDirectory = 4;
// The stub refuses an image whose section count is outside this range.
constexpr uint32_t kMinSections = 4, kMaxSections = 99;

struct ImageExtent {
    uint64_t virtualEnd = 0;    // end of the last section in memory
    uint64_t rawEnd = 0;        // end of the last section's raw data
    uint64_t firstRawData = UINT32_MAX;  // the section table may grow up to here
};

ImageExtent measureSections(const std::vector<uint8_t>& image, const PeLayout& l) {
    PeReader r(image);
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
    PeReader r(image);
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

    PeReader r(stub);
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
