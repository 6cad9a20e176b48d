#include "payload/pe_section.h"

#include <string.h>

#include "core/bytes.h"
#include "payload/format.h"

namespace {

const uint32_t kSectionEntrySize = 40;

bool readU16At(FileBytes& file, uint32_t offset, uint32_t& value) {
    uint8_t b[2];
    if (!file.readAt(offset, b, 2)) return false;
    value = readLE16(b);
    return true;
}

}  // namespace

bool BufferBytes::readAt(uint32_t offset, void* out, uint32_t count) {
    if (offset > size_ || count > size_ - offset) return false;
    if (count) memcpy(out, data_ + offset, count);
    return true;
}

int findPayloadSection(FileBytes& file, PayloadSection& out) {
    memset(&out, 0, sizeof out);
    uint32_t pe = 0;
    if (!readU16At(file, 0x3C, pe) || pe < 0x40 || pe > 0x1000) return 43;
    uint32_t count = 0;
    if (!readU16At(file, pe + 6, count) || count < 4 || count > 99) return 44;
    uint32_t optionalSize = 0;
    if (!readU16At(file, pe + 20, optionalSize)) return 44;

    out.peHeaderOffset = pe;
    out.sectionCount = count;
    out.tableOffset = pe + 24 + optionalSize;
    for (uint32_t slot = 0; slot < count; ++slot) {
        uint8_t entry[kSectionEntrySize];
        // A table cut short by the end of the file is as corrupt as a bad count.
        if (!file.readAt(out.tableOffset + slot * kSectionEntrySize, entry, kSectionEntrySize)) return 44;
        char name[9];
        memcpy(name, entry, 8);
        name[8] = 0;
        if (strcmp(name, payload::kSectionName) != 0) continue;
        out.slot = slot;
        out.memorySize = readLE32(entry + 8);
        out.memoryOffset = readLE32(entry + 12);
        out.fileDataSize = readLE32(entry + 16);
        out.fileDataOffset = readLE32(entry + 20);
        return SectionFound;
    }
    return SectionMissing;
}
