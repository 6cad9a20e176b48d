#include "builder/pe_squeeze.h"

#include <lzma.h>

#include <algorithm>
#include <cstring>

#include "boot/packed_image.h"
#include "boot/restore_image.h"
#include "builder/pe_append.h"
#include "core/bytes.h"
#include "payload/format.h"

namespace build {
namespace {

namespace pi = packed_image;

enum : uint32_t {
    kImportDirectory = 1,
    kResourceDirectory = 2,
    kSecurityDirectory = 4,
    kRelocationDirectory = 5,
    kIatDirectory = 12,
};
enum : uint32_t {
    kCode = 0x20,
    kInitialised = 0x40,
    kUninitialised = 0x80,
    kExecute = 0x20000000,
    kRead = 0x40000000,
    kWrite = 0x80000000,
};
constexpr uint32_t kPageReadonly = 0x02, kPageReadWrite = 0x04, kPageExecuteRead = 0x20;
constexpr uint32_t kRelocation32 = 3, kRelocation64 = 10;

struct Section {
    std::string name;
    uint32_t virtualSize, address, rawSize, rawOffset, characteristics;
    bool packed;
    uint32_t initialised() const { return std::min(virtualSize ? virtualSize : rawSize, rawSize); }
    uint32_t end() const { return address + std::max(virtualSize, rawSize); }
};

struct Range {
    uint32_t start, end;
};

struct Image {
    const std::vector<uint8_t>& bytes;
    PeLayout layout;
    std::vector<Section> sections;

    const Section* sectionAt(uint64_t address) const {
        for (const Section& s : sections)
            if (address >= s.address && address < s.end()) return &s;
        return nullptr;
    }
    // The file offset of `count` bytes at `address`, which the file must hold.
    uint32_t offsetOf(uint64_t address, uint64_t count) const {
        const Section* s = sectionAt(address);
        if (!s || address + count > uint64_t(s->address) + s->initialised() ||
            !PeReader(bytes).has(s->rawOffset + (address - s->address), count))
            throw PeError("the stub's headers point outside its sections' data");
        return uint32_t(s->rawOffset + (address - s->address));
    }
    uint32_t u16(uint64_t address) const { return readLE16(&bytes[offsetOf(address, 2)]); }
    uint32_t u32(uint64_t address) const { return readLE32(&bytes[offsetOf(address, 4)]); }
    uint64_t thunk(uint64_t address) const {
        return layout.plus ? readLE64(&bytes[offsetOf(address, 8)]) : u32(address);
    }
    std::string text(uint64_t address) const {
        std::string s;
        for (char c; (c = (char)bytes[offsetOf(address + s.size(), 1)]) != 0;) s += c;
        return s;
    }
    Range directory(uint32_t index) const {
        PeReader r(bytes);
        if (r.u32(layout.directoryCountOffset()) <= index) return {0, 0};
        uint32_t address = r.u32(layout.directoryOffset(index)), size = r.u32(layout.directoryOffset(index) + 4);
        return {address, address + size};
    }
};

bool keptPlain(const std::string& name) { return name == ".boot" || name == ".rsrc" || name == ".reloc"; }

Image readImage(const std::vector<uint8_t>& bytes, bool squeezedToo = false) {
    Image image{bytes, readLayout(bytes), {}};
    PeReader r(bytes);
    for (uint32_t i = 0; i < image.layout.sectionCount; ++i) {
        uint32_t e = image.layout.sectionEntry(i);
        Section s;
        s.name.assign((const char*)&bytes[e], strnlen((const char*)&bytes[e], 8));
        s.virtualSize = r.u32(e + 8);
        s.address = r.u32(e + 12);
        s.rawSize = r.u32(e + 16);
        s.rawOffset = r.u32(e + 20);
        s.characteristics = r.u32(e + 36);
        s.packed = !keptPlain(s.name) && s.rawSize != 0;
        if (s.name == std::string(pi::kSectionName, 7) && !squeezedToo) throw PeError("the stub is squeezed already");
        if (s.name == payload::kSectionName) throw PeError("the stub carries a payload; squeeze the stub alone");
        if (s.rawSize && !r.has(s.rawOffset, s.rawSize)) throw PeError("the stub's section " + s.name + " is cut short");
        image.sections.push_back(s);
    }
    return image;
}

// One imported library: its name, its address table (which stays where the
// code expects it) and, per function, an ordinal or a hint and a name.
struct Import {
    std::string library;
    uint32_t addressTable;
    struct Function {
        uint64_t ordinal;  // with the ordinal flag, or 0
        uint32_t hint;
        std::string name;
    };
    std::vector<Function> functions;
};

// The imports, and in `tables` where their descriptors, lookup tables and
// names lie (the address tables aside).
std::vector<Import> readImports(const Image& image, std::vector<Range>& tables) {
    std::vector<Import> imports;
    Range dir = image.directory(kImportDirectory);
    if (dir.start == 0) return imports;
    uint64_t ordinalFlag = image.layout.plus ? 1ull << 63 : 1ull << 31;
    uint32_t thunkSize = image.layout.plus ? 8 : 4;
    for (uint64_t d = dir.start;; d += 20) {
        uint32_t lookup = image.u32(d), name = image.u32(d + 12), table = image.u32(d + 16);
        if (name == 0 && table == 0) {
            tables.push_back({dir.start, uint32_t(d + 20)});
            break;
        }
        Import import{image.text(name), table, {}};
        tables.push_back({name, name + uint32_t(import.library.size() + 1)});
        uint64_t t = lookup ? lookup : table;
        for (;; t += thunkSize) {
            uint64_t value = image.thunk(t);
            if (value == 0) break;
            if (value & ordinalFlag) {
                import.functions.push_back({value, 0, {}});
            } else {
                import.functions.push_back({0, image.u16(value), image.text(value + 2)});
                tables.push_back({uint32_t(value), uint32_t(value + 3 + import.functions.back().name.size())});
            }
        }
        if (lookup) tables.push_back({lookup, uint32_t(t + thunkSize)});
        imports.push_back(import);
    }
    return imports;
}

void append(std::vector<uint8_t>& out, const void* data, size_t size) {
    const uint8_t* p = (const uint8_t*)data;
    out.insert(out.end(), p, p + size);
}
void pad(std::vector<uint8_t>& out, size_t alignment) { out.resize(alignUp(out.size(), (uint32_t)alignment), 0); }

// The import tables for `imports`, to lie at `base`: descriptors, lookup
// tables, hints and names, library names.
std::vector<uint8_t> importTables(const std::vector<Import>& imports, uint32_t base, bool plus) {
    uint32_t thunkSize = plus ? 8 : 4;
    std::vector<uint8_t> out((imports.size() + 1) * 20, 0);
    std::vector<uint32_t> lookupAt;
    for (const Import& import : imports) {
        pad(out, 8);
        lookupAt.push_back((uint32_t)out.size());
        out.resize(out.size() + (import.functions.size() + 1) * thunkSize, 0);
    }
    for (size_t i = 0; i < imports.size(); ++i) {
        for (size_t f = 0; f < imports[i].functions.size(); ++f) {
            const Import::Function& function = imports[i].functions[f];
            uint64_t value = function.ordinal;
            if (!value) {
                pad(out, 2);
                value = base + out.size();
                uint8_t hint[2];
                writeLE16(hint, function.hint);
                append(out, hint, 2);
                append(out, function.name.c_str(), function.name.size() + 1);
            }
            uint8_t* slot = &out[lookupAt[i] + f * thunkSize];
            plus ? writeLE64(slot, value) : writeLE32(slot, (uint32_t)value);
        }
        uint8_t* descriptor = &out[i * 20];
        writeLE32(descriptor, base + lookupAt[i]);
        writeLE32(descriptor + 12, base + (uint32_t)out.size());
        writeLE32(descriptor + 16, imports[i].addressTable);
        append(out, imports[i].library.c_str(), imports[i].library.size() + 1);
    }
    return out;
}

struct Relocation {
    uint32_t address, type;
};

std::vector<Relocation> readRelocations(const Image& image) {
    std::vector<Relocation> out;
    Range dir = image.directory(kRelocationDirectory);
    for (uint64_t at = dir.start; at < dir.end;) {
        uint32_t page = image.u32(at), size = image.u32(at + 4);
        if (size < 8 || at + size > dir.end) throw PeError("the stub's relocation blocks do not hold together");
        for (uint64_t e = at + 8; e + 2 <= at + size; e += 2) {
            uint32_t entry = image.u16(e), type = entry >> 12;
            if (type == 0) continue;
            if (type != (image.layout.plus ? kRelocation64 : kRelocation32))
                throw PeError("the stub has a relocation of type " + std::to_string(type));
            out.push_back({page + (entry & 0xFFF), type});
        }
        at += size;
    }
    return out;
}

// Relocation blocks (a page each, padded to 4 bytes) for sorted `list`.
std::vector<uint8_t> relocationBlocks(const std::vector<Relocation>& list) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < list.size();) {
        uint32_t page = list[i].address & ~0xFFFu;
        size_t start = out.size();
        out.resize(start + 8, 0);
        for (; i < list.size() && (list[i].address & ~0xFFFu) == page; ++i) {
            uint8_t entry[2];
            writeLE16(entry, list[i].type << 12 | (list[i].address & 0xFFF));
            append(out, entry, 2);
        }
        pad(out, 4);
        writeLE32(&out[start], page);
        writeLE32(&out[start + 4], uint32_t(out.size() - start));
    }
    return out;
}

std::vector<Range> subtract(Range from, const std::vector<Range>& holes) {
    std::vector<Range> out{from};
    for (Range hole : holes) {
        std::vector<Range> next;
        for (Range r : out) {
            if (hole.end <= r.start || hole.start >= r.end) {
                next.push_back(r);
                continue;
            }
            if (hole.start > r.start) next.push_back({r.start, hole.start});
            if (hole.end < r.end) next.push_back({hole.end, r.end});
        }
        out = next;
    }
    return out;
}

uint32_t protectionOf(uint32_t characteristics) {
    if (characteristics & kExecute) return kPageExecuteRead;
    return characteristics & kWrite ? kPageReadWrite : kPageReadonly;
}

std::vector<uint8_t> lzmaRaw(const std::vector<uint8_t>& data, uint32_t lc, uint32_t lp, uint32_t pb) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 9 | LZMA_PRESET_EXTREME);
    options.lc = lc;
    options.lp = lp;
    options.pb = pb;
    lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    std::vector<uint8_t> out(data.size() + data.size() / 2 + 4096);
    size_t used = 0;
    if (lzma_raw_buffer_encode(filters, nullptr, data.data(), data.size(), out.data(), &used, out.size()) != LZMA_OK)
        throw PeError("the LZMA encoder failed");
    out.resize(used);
    return out;
}

// The smallest stream over a few literal and position settings; returns the
// properties byte.
uint8_t smallestStream(const std::vector<uint8_t>& data, std::vector<uint8_t>& best) {
    const uint32_t settings[][3] = {{3, 0, 2}, {0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {0, 0, 2}, {1, 0, 2}};
    uint8_t properties = 0;
    for (const auto& s : settings) {
        std::vector<uint8_t> stream = lzmaRaw(data, s[0], s[1], s[2]);
        if (best.empty() || stream.size() < best.size()) {
            best = stream;
            properties = uint8_t((s[2] * 5 + s[1]) * 9 + s[0]);
        }
    }
    return properties;
}

// The file offset of the 32-bit address after the boot's marker.
uint32_t addressSlot(const Image& image) {
    for (const Section& s : image.sections) {
        if (s.name != ".boot") continue;
        const uint8_t* begin = &image.bytes[s.rawOffset];
        const uint8_t* end = begin + s.initialised();
        const uint8_t* found = std::search(begin, end, std::begin(pi::kAddressMarker), std::end(pi::kAddressMarker));
        size_t marker = sizeof pi::kAddressMarker;
        if (found == end || end - found < long(marker + 5) || found[marker] != pi::kLoadEax ||
            std::search(found + 1, end, std::begin(pi::kAddressMarker), std::end(pi::kAddressMarker)) != end)
            throw PeError("the stub's boot code has no single place for the packed section's address");
        return uint32_t(found + marker + 1 - image.bytes.data());
    }
    throw PeError("the stub has no .boot section");
}

// The boot section, when the image is one the boot can restore.
const Section* checkSqueezable(const Image& image) {
    const PeLayout& l = image.layout;
    if (image.directory(kSecurityDirectory).start != 0) throw PeError("the stub is signed; squeeze it before signing");
    const Section* boot = image.sectionAt(PeReader(image.bytes).u32(l.entryPointOffset()));
    if (!boot || boot->name != ".boot") throw PeError("the stub's entry point is not in a .boot section");
    addressSlot(image);
    for (uint32_t d = 0; d < 16; ++d) {
        Range dir = image.directory(d);
        const Section* s = dir.start ? image.sectionAt(dir.start) : nullptr;
        if (s && s->packed && d != kImportDirectory && d != kIatDirectory)
            throw PeError("the stub's header data " + std::to_string(d) + " lies in section " + s->name);
    }
    return boot;
}

struct Region {
    Range range;
    uint32_t protection;
    bool code;
    uint32_t size() const { return range.end - range.start; }
};

// What goes where: the regions to pack (the packed sections' bytes without the
// import address tables, which the loader fills), the relocations inside and
// outside them, the imports that move to `.packed`.
struct Plan {
    std::vector<Import> imports;
    std::vector<Range> oldImportTables;
    std::vector<Region> regions;
    std::vector<Relocation> packedRelocations, plainRelocations;
};

Plan planSqueeze(const Image& image) {
    Plan plan;
    plan.imports = readImports(image, plan.oldImportTables);
    uint32_t thunkSize = image.layout.plus ? 8 : 4;
    std::vector<Range> addressTables;
    for (const Import& import : plan.imports)
        addressTables.push_back(
            {import.addressTable, import.addressTable + uint32_t(import.functions.size() + 1) * thunkSize});
    for (const Section& s : image.sections) {
        if (!s.packed) continue;
        for (Range piece : subtract({s.address, s.address + s.initialised()}, addressTables))
            plan.regions.push_back({piece, protectionOf(s.characteristics), (s.characteristics & kExecute) != 0});
    }
    if (plan.regions.size() > pi::kMaxRegions) throw PeError("the stub has too many sections to pack");

    for (Relocation rel : readRelocations(image)) {
        bool inRegion = std::any_of(plan.regions.begin(), plan.regions.end(), [&](const Region& g) {
            return rel.address >= g.range.start && rel.address < g.range.end;
        });
        const Section* s = image.sectionAt(rel.address);
        if (!inRegion && s && s->packed) throw PeError("the stub relocates an import address table entry");
        (inRegion ? plan.packedRelocations : plan.plainRelocations).push_back(rel);
    }
    return plan;
}

// The bytes the stream holds: the regions, the longest code region filtered,
// then the packed relocations.
struct Unpacked {
    std::vector<uint8_t> bytes;
    const Region* code = nullptr;
    uint32_t relocationsAt = 0;
};

Unpacked unpackedBytes(const Image& image, const Plan& plan) {
    Unpacked u;
    uint32_t codeAt = 0;
    for (const Region& g : plan.regions) {
        if (g.code && (!u.code || g.size() > u.code->size())) {
            u.code = &g;
            codeAt = (uint32_t)u.bytes.size();
        }
        append(u.bytes, &image.bytes[image.offsetOf(g.range.start, g.size())], g.size());
    }
    // The import tables move to `.packed`: their old places pack better as zeros.
    for (Range t : plan.oldImportTables) {
        uint32_t at = 0;
        for (const Region& g : plan.regions) {
            for (uint32_t a = std::max(t.start, g.range.start); a < std::min(t.end, g.range.end); ++a)
                u.bytes[at + (a - g.range.start)] = 0;
            at += g.size();
        }
    }
    if (u.code) FilterCode(&u.bytes[codeAt], u.code->size(), true);
    u.relocationsAt = (uint32_t)u.bytes.size();
    std::vector<uint8_t> blocks = relocationBlocks(plan.packedRelocations);
    append(u.bytes, blocks.data(), blocks.size());
    return u;
}

struct PackedSection {
    uint32_t address = 0;
    std::vector<uint8_t> bytes;
    uint32_t importsAt = 0;  // in `bytes`
};

void writePackedSection(const Image& image, const Plan& plan, const Unpacked& unpacked,
                        const std::vector<uint8_t>& stream, uint8_t properties, const std::string& message,
                        PackedSection& packed) {
    std::vector<uint8_t>& section = packed.bytes;
    section.assign(pi::kHeaderSize, 0);
    for (const Region& g : plan.regions) {
        uint8_t entry[pi::kRegionSize];
        writeLE32(entry, g.range.start);
        writeLE32(entry + 4, g.size());
        writeLE32(entry + 8, g.protection);
        append(section, entry, sizeof entry);
    }
    uint32_t messageAt = (uint32_t)section.size();
    append(section, message.c_str(), message.size() + 1);
    uint32_t streamAt = (uint32_t)section.size();
    append(section, stream.data(), stream.size());
    pad(section, 8);
    packed.importsAt = (uint32_t)section.size();
    std::vector<uint8_t> tables = importTables(plan.imports, packed.address + packed.importsAt, image.layout.plus);
    append(section, tables.data(), tables.size());

    const PeLayout& l = image.layout;
    PeReader r(image.bytes);
    uint8_t* h = section.data();
    writeLE32(h + pi::kMagicAt, pi::kMagic);
    writeLE32(h + pi::kStreamAt, streamAt);
    writeLE32(h + pi::kStreamSizeAt, (uint32_t)stream.size());
    writeLE32(h + pi::kUnpackedSizeAt, (uint32_t)unpacked.bytes.size());
    writeLE32(h + pi::kChecksumAt, Crc32(unpacked.bytes.data(), (uint32_t)unpacked.bytes.size()));
    h[pi::kPropertiesAt] = properties;
    h[pi::kRegionCountAt] = (uint8_t)plan.regions.size();
    writeLE32(h + pi::kMessageAt, messageAt);
    writeLE32(h + pi::kCodeAt, unpacked.code ? unpacked.code->range.start : 0);
    writeLE32(h + pi::kCodeSizeAt, unpacked.code ? unpacked.code->size() : 0);
    writeLE32(h + pi::kRelocationsAt, unpacked.relocationsAt);
    writeLE32(h + pi::kRelocationsSizeAt, uint32_t(unpacked.bytes.size() - unpacked.relocationsAt));
    writeLE32(h + pi::kSectionSizeAt, (uint32_t)section.size());
    writeLE64(h + pi::kPreferredBaseAt, l.plus ? r.u64(l.imageBaseOffset()) : r.u32(l.imageBaseOffset()));
}

// The squeezed file: the headers, the plain sections, `.packed`; the packed
// sections keep their entries but no bytes in the file.
std::vector<uint8_t> writeImage(const Image& image, const Plan& plan, const Section& boot,
                                const PackedSection& packed) {
    const PeLayout& l = image.layout;
    if (l.sectionEntry(l.sectionCount + 2) > l.sizeOfHeaders)  // `.packed` and a payload's
        throw PeError("the stub's headers have no room for two more section entries");
    const Section* relocs = nullptr;
    for (const Section& s : image.sections)
        if (s.name == ".reloc") relocs = &s;
    if (!relocs) throw PeError("the stub has no .reloc section");
    // The plain relocations keep a block even when empty: an image without any
    // may not be moved, and then loses address-space randomisation.
    std::vector<uint8_t> plainBlocks = relocationBlocks(plan.plainRelocations);
    if (plainBlocks.empty()) {
        plainBlocks.assign(12, 0);
        writeLE32(&plainBlocks[0], boot.address);
        writeLE32(&plainBlocks[4], 12);
    }

    std::vector<uint8_t> out(image.bytes.begin(), image.bytes.begin() + l.sizeOfHeaders);
    uint32_t codeSize = 0, initialisedSize = 0, uninitialisedSize = 0;
    auto place = [&](uint32_t entry, const uint8_t* data, uint32_t size) {
        pad(out, l.fileAlignment);
        uint32_t rawSize = size ? (uint32_t)alignUp(size, l.fileAlignment) : 0;
        writeLE32(&out[entry + 16], rawSize);
        writeLE32(&out[entry + 20], size ? (uint32_t)out.size() : 0);
        append(out, data, size);
        out.resize(out.size() + (rawSize - size), 0);
        return rawSize;
    };
    for (uint32_t i = 0; i < l.sectionCount; ++i) {
        const Section& s = image.sections[i];
        uint32_t entry = l.sectionEntry(i);
        if (s.packed) {
            writeLE32(&out[entry + 16], 0);
            writeLE32(&out[entry + 20], 0);
            writeLE32(&out[entry + 36], (s.characteristics & ~(kCode | kInitialised | kExecute)) | kUninitialised |
                                            kRead | kWrite);
            uninitialisedSize += (uint32_t)alignUp(s.virtualSize, l.fileAlignment);
        } else if (&s == relocs) {
            writeLE32(&out[entry + 8], (uint32_t)plainBlocks.size());
            initialisedSize += place(entry, plainBlocks.data(), (uint32_t)plainBlocks.size());
        } else {
            uint32_t raw = place(entry, s.rawSize ? &image.bytes[s.rawOffset] : nullptr, s.rawSize);
            (s.characteristics & kCode ? codeSize : initialisedSize) += raw;
        }
        if (&s == &boot)  // where the boot looks for `.packed`
            writeLE32(&out[readLE32(&out[entry + 20]) + addressSlot(image) - boot.rawOffset], packed.address);
    }
    uint32_t entry = l.sectionEntry(l.sectionCount);
    memcpy(&out[entry], pi::kSectionName, 8);
    writeLE32(&out[entry + 8], (uint32_t)packed.bytes.size());
    writeLE32(&out[entry + 12], packed.address);
    writeLE32(&out[entry + 36], kInitialised | kRead);
    initialisedSize += place(entry, packed.bytes.data(), (uint32_t)packed.bytes.size());

    writeLE16(&out[l.pe + 6], l.sectionCount + 1);
    writeLE32(&out[l.optional + 4], codeSize);
    writeLE32(&out[l.initialisedDataOffset()], initialisedSize);
    writeLE32(&out[l.optional + 12], uninitialisedSize);
    writeLE32(&out[l.sizeOfImageOffset()], (uint32_t)alignUp(packed.address + packed.bytes.size(), l.sectionAlignment));
    writeLE32(&out[l.directoryOffset(kImportDirectory)], packed.address + packed.importsAt);
    writeLE32(&out[l.directoryOffset(kImportDirectory) + 4], uint32_t((plan.imports.size() + 1) * 20));
    writeLE32(&out[l.directoryOffset(kRelocationDirectory)], relocs->address);
    writeLE32(&out[l.directoryOffset(kRelocationDirectory) + 4], (uint32_t)plainBlocks.size());
    writeLE32(&out[l.checksumOffset()], peHeaderChecksum(out, l.checksumOffset()));
    return out;
}

}  // namespace

uint32_t bootPackedAddress(const std::vector<uint8_t>& stub) {
    Image image = readImage(stub, /*squeezedToo=*/true);
    return readLE32(&stub[addressSlot(image)]);
}

std::vector<uint8_t> squeezeStub(const std::vector<uint8_t>& linked, const std::string& message,
                                 SqueezeReport* report) {
    Image image = readImage(linked);
    const Section* boot = checkSqueezable(image);
    Plan plan = planSqueeze(image);
    Unpacked unpacked = unpackedBytes(image, plan);

    std::vector<uint8_t> stream;
    uint8_t properties = smallestStream(unpacked.bytes, stream);
    uint32_t sectionEnd = 0;
    for (const Section& s : image.sections) sectionEnd = std::max(sectionEnd, s.end());
    PackedSection packed;
    packed.address = (uint32_t)alignUp(sectionEnd, image.layout.sectionAlignment);
    writePackedSection(image, plan, unpacked, stream, properties, message, packed);

    std::vector<uint8_t> out = writeImage(image, plan, *boot, packed);
    if (report) *report = {(uint32_t)plan.regions.size(), (uint32_t)unpacked.bytes.size(), (uint32_t)stream.size()};
    return out;
}

}  // namespace build
