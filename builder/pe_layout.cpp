#include "builder/pe_layout.h"

#include "core/bytes.h"

namespace build {
namespace {

bool isPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

}  // namespace

void PeReader::need(uint64_t offset, uint64_t count) const {
    if (!has(offset, count)) throw PeError("the stub is not a PE image: its headers are cut short");
}
uint32_t PeReader::u16(uint64_t offset) const { return need(offset, 2), readLE16(&bytes_[offset]); }
uint32_t PeReader::u32(uint64_t offset) const { return need(offset, 4), readLE32(&bytes_[offset]); }

PeLayout readLayout(const std::vector<uint8_t>& image) {
    PeReader r(image);
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

}  // namespace build
