// Squeezing the linked stubs and restoring them as the boot does, in an image
// laid out here the way the Windows loader lays it out (sections at their
// addresses, base relocations applied, import address tables filled).
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "boot/packed_image.h"
#include "boot/restore_image.h"
#include "builder/pe_append.h"
#include "builder/pe_squeeze.h"
#include "core/bytes.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes readLinked(const char* name) {
    std::ifstream in(std::string(TAVO_DIST_DIR) + "/linked/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

uint32_t optional(const Bytes& file) { return readLE32(&file[0x3C]) + 24; }
bool plus(const Bytes& file) { return readLE16(&file[optional(file)]) == 0x20B; }
uint64_t preferredBase(const Bytes& file) {
    return plus(file) ? readLE64(&file[optional(file) + 24]) : readLE32(&file[optional(file) + 28]);
}
uint32_t directory(const Bytes& file, int index, int field) {
    return readLE32(&file[optional(file) + (plus(file) ? 112 : 96) + 8 * index + 4 * field]);
}

// A loaded image: what the loader leaves before the entry point runs. Import
// address table slots get a made-up address per function.
struct Loaded {
    Bytes memory;
    std::set<uint32_t> addressSlots;
};

uint64_t madeUpAddress(uint32_t slot) { return 0x7F000000u + slot; }

Loaded load(const Bytes& file, uint64_t base) {
    build::PeLayout l = build::readLayout(file);
    Loaded out;
    out.memory.assign(readLE32(&file[l.sizeOfImageOffset()]), 0);
    std::copy(file.begin(), file.begin() + l.sizeOfHeaders, out.memory.begin());
    for (uint32_t i = 0; i < l.sectionCount; ++i) {
        uint32_t e = l.sectionEntry(i), virtualSize = readLE32(&file[e + 8]), address = readLE32(&file[e + 12]);
        uint32_t rawSize = readLE32(&file[e + 16]), rawOffset = readLE32(&file[e + 20]);
        uint32_t n = std::min(virtualSize ? virtualSize : rawSize, rawSize);
        std::copy(file.begin() + rawOffset, file.begin() + rawOffset + n, out.memory.begin() + address);
    }
    uint8_t* m = out.memory.data();
    uint64_t delta = base - preferredBase(file);
    for (uint32_t at = directory(file, 5, 0), end = at + directory(file, 5, 1); at < end;) {
        uint32_t page = readLE32(m + at), size = readLE32(m + at + 4);
        for (uint32_t e = at + 8; e < at + size; e += 2) {
            uint32_t entry = readLE16(m + e), target = page + (entry & 0xFFF);
            if (entry >> 12 == 3) writeLE32(m + target, readLE32(m + target) + (uint32_t)delta);
            if (entry >> 12 == 10) writeLE64(m + target, readLE64(m + target) + delta);
        }
        at += size;
    }
    uint32_t thunk = plus(file) ? 8 : 4;
    for (uint32_t d = directory(file, 1, 0); readLE32(m + d + 12); d += 20) {
        for (uint32_t i = 0;; ++i) {
            uint32_t lookup = readLE32(m + d) + i * thunk, slot = readLE32(m + d + 16) + i * thunk;
            if (readLE32(m + lookup) == 0) break;
            plus(file) ? writeLE64(m + slot, madeUpAddress(slot)) : writeLE32(m + slot, (uint32_t)madeUpAddress(slot));
            out.addressSlots.insert(slot);
        }
    }
    return out;
}

// Every imported function as "library!name" (or "library#ordinal").
std::set<std::string> importNames(const Bytes& file) {
    Loaded image = load(file, preferredBase(file));
    const uint8_t* m = image.memory.data();
    std::set<std::string> names;
    uint32_t thunk = plus(file) ? 8 : 4;
    for (uint32_t d = directory(file, 1, 0); readLE32(m + d + 12); d += 20) {
        std::string library = (const char*)m + readLE32(m + d + 12);
        for (uint32_t at = readLE32(m + d);; at += thunk) {
            uint32_t value = readLE32(m + at);
            if (!value) break;
            bool ordinal = plus(file) ? (readLE64(m + at) >> 63) : (value >> 31);
            names.insert(library + (ordinal ? "#" + std::to_string(value & 0xFFFF) : "!" + std::string((const char*)m + value + 2)));
        }
    }
    return names;
}

// What the boot does, but with the section copied out of the image.
// Where the linked image keeps its import descriptors, lookup tables and
// names, which the squeezer moves away.
std::vector<std::pair<uint32_t, uint32_t>> importTableRanges(const Bytes& file) {
    Loaded image = load(file, preferredBase(file));
    const uint8_t* m = image.memory.data();
    std::vector<std::pair<uint32_t, uint32_t>> out;
    uint32_t thunk = plus(file) ? 8 : 4, d = directory(file, 1, 0);
    for (; readLE32(m + d + 12); d += 20) {
        uint32_t name = readLE32(m + d + 12), at = readLE32(m + d);
        out.push_back({name, name + (uint32_t)strlen((const char*)m + name) + 1});
        for (; readLE32(m + at); at += thunk) {
            uint32_t value = readLE32(m + at);
            if (!(plus(file) ? readLE64(m + at) >> 63 : value >> 31))
                out.push_back({value, value + 3 + (uint32_t)strlen((const char*)m + value + 2)});
        }
        out.push_back({readLE32(m + d), at + thunk});
    }
    out.push_back({directory(file, 1, 0), d + 20});
    return out;
}

bool restore(Loaded& image, uint64_t base, uint32_t address) {
    uint32_t size = PackedSectionSize(image.memory.data(), MappedImageSize(image.memory.data()), address);
    if (!size) return false;
    Bytes copy(image.memory.begin() + address, image.memory.begin() + address + size);
    uint32_t scratchSize = PackedImageScratchSize(copy.data(), size);
    if (!scratchSize) return false;
    Bytes scratch(scratchSize);
    return RestorePackedImage(image.memory.data(), (uint32_t)image.memory.size(), base, copy.data(), size,
                              scratch.data());
}

class SqueezedStub : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        linked_ = readLinked(GetParam());
        if (linked_.empty()) GTEST_SKIP() << GetParam() << " is not built yet";
        squeezed_ = build::squeezeStub(linked_, "damaged", &report_);
    }
    Bytes linked_, squeezed_;
    build::SqueezeReport report_;
};

// At the preferred base and moved up and down, every byte of the packed
// sections comes back as the linked image has it at that base, while the
// address tables keep what the loader put there; the import tables that
// moved are zeros.
TEST_P(SqueezedStub, RestoresTheLinkedImageAtAnyBase) {
    uint64_t preferred = preferredBase(linked_);
    std::vector<uint8_t> moved(readLE32(&linked_[optional(linked_) + 56]), 0);  // SizeOfImage
    for (auto [start, end] : importTableRanges(linked_))
        for (uint32_t a = start; a < end; ++a) moved.at(a) = 1;
    for (uint64_t base : {preferred, preferred + 0x10000000, preferred - 0x200000}) {
        SCOPED_TRACE(testing::Message() << "base 0x" << std::hex << base);
        Loaded expected = load(linked_, base), actual = load(squeezed_, base);
        ASSERT_TRUE(restore(actual, base, build::bootPackedAddress(squeezed_)));
        build::PeLayout l = build::readLayout(linked_);
        for (uint32_t i = 0; i < l.sectionCount; ++i) {
            uint32_t e = l.sectionEntry(i), address = readLE32(&linked_[e + 12]), size = readLE32(&linked_[e + 8]);
            std::string name((const char*)&linked_[e], strnlen((const char*)&linked_[e], 8));
            if (name == ".reloc") continue;  // only the boot's relocations stay there
            SCOPED_TRACE(name);
            // The boot differs in the address of `.packed`, after its marker.
            uint32_t slot = 0;
            if (name == ".boot") {
                auto m = std::search(expected.memory.begin() + address, expected.memory.begin() + address + size,
                                     std::begin(packed_image::kAddressMarker), std::end(packed_image::kAddressMarker));
                slot = uint32_t(m - expected.memory.begin()) + sizeof packed_image::kAddressMarker + 1;
                EXPECT_EQ(build::bootPackedAddress(squeezed_), readLE32(&actual.memory[slot]));
            }
            size_t differences = 0;
            for (uint32_t a = address; a < address + size; ++a) {
                if (actual.addressSlots.count(a & ~(plus(linked_) ? 7u : 3u))) continue;
                if (slot && a >= slot && a < slot + 4) continue;
                differences += actual.memory[a] != (moved.at(a) ? 0 : expected.memory[a]);
            }
            EXPECT_EQ(0u, differences);
        }
        for (uint32_t slot : actual.addressSlots)
            EXPECT_EQ((uint32_t)madeUpAddress(slot), readLE32(&actual.memory[slot])) << "slot " << slot;
    }
}

// The boot finds `.packed` by the address written into its code.
TEST_P(SqueezedStub, BootHoldsTheSectionsAddress) {
    EXPECT_EQ(0u, build::bootPackedAddress(linked_));
    build::PeLayout l = build::readLayout(squeezed_);
    uint32_t last = l.sectionEntry(l.sectionCount - 1);
    EXPECT_EQ(0, memcmp(&squeezed_[last], packed_image::kSectionName, 8));
    EXPECT_EQ(readLE32(&squeezed_[last + 12]), build::bootPackedAddress(squeezed_));
}

TEST_P(SqueezedStub, ImportsTheSameFunctionsAndShrinks) {
    EXPECT_EQ(importNames(linked_), importNames(squeezed_));
    EXPECT_LT(squeezed_.size(), linked_.size());
    EXPECT_LT(report_.streamBytes, report_.unpackedBytes);
    std::cout << GetParam() << ": linked " << linked_.size() << " bytes, squeezed " << squeezed_.size() << "\n";
}

// Damage in the stream or the header is refused before anything runs.
TEST_P(SqueezedStub, RefusesADamagedImage) {
    Loaded image = load(squeezed_, preferredBase(squeezed_));
    uint32_t offset = build::bootPackedAddress(squeezed_);
    const uint8_t* section = &image.memory[offset];
    uint32_t stream = readLE32(section + packed_image::kStreamAt);
    struct Case {
        const char* what;
        uint32_t at;
        uint8_t flip;
    } cases[] = {{"stream start", stream + 7, 0x10},
                 {"stream middle", stream + readLE32(section + packed_image::kStreamSizeAt) / 2, 0x01},
                 {"checksum", packed_image::kChecksumAt, 0x80},
                 {"region count", packed_image::kRegionCountAt, 0x40},
                 {"unpacked size", packed_image::kUnpackedSizeAt, 0x01},
                 {"relocations size", packed_image::kRelocationsSizeAt, 0x04},
                 {"magic", packed_image::kMagicAt, 0x01},
                 {"section size", packed_image::kSectionSizeAt + 3, 0x40}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Loaded damaged = image;
        damaged.memory[offset + c.at] ^= c.flip;
        EXPECT_FALSE(restore(damaged, preferredBase(squeezed_), offset));
    }
}

TEST_P(SqueezedStub, RefusesWhatItCannotSqueeze) {
    EXPECT_THROW(build::squeezeStub(squeezed_, "x"), build::PeError);  // twice
    Bytes installer = build::appendPayloadSection(linked_, Bytes(100, 1), {}, false);
    EXPECT_THROW(build::squeezeStub(installer, "x"), build::PeError);
    Bytes entryInText = linked_;
    writeLE32(&entryInText[optional(linked_) + 16], 0x1000);
    EXPECT_THROW(build::squeezeStub(entryInText, "x"), build::PeError);
    EXPECT_THROW(build::squeezeStub(Bytes(linked_.begin(), linked_.begin() + 0x300), "x"), build::PeError);
}

INSTANTIATE_TEST_SUITE_P(Linked, SqueezedStub, ::testing::Values("tavo-stub-x86.exe", "tavo-stub-x64.exe"),
                         [](const auto& info) { return std::string(info.param).find("x86") != std::string::npos ? "x86" : "x64"; });

TEST(PackedImageFilter, CodeFilterRoundTripsAndSkipsOperands) {
    Bytes code = {0xE8, 1, 0, 0, 0, 0x90, 0xE9, 0xE8, 0xE8, 0xE8, 0xE8, 0x55, 0xE8, 0, 0};
    Bytes filtered = code;
    FilterCode(filtered.data(), (uint32_t)filtered.size(), true);
    EXPECT_EQ(6u, readLE32(&filtered[1]));               // 1 + 5: from the range's start
    EXPECT_EQ(0xE8E8E8E8u + 11, readLE32(&filtered[7]));  // the operand's E8 bytes are not opcodes
    EXPECT_EQ(Bytes({0xE8, 0, 0}), Bytes(filtered.end() - 3, filtered.end()));  // too short at the end
    FilterCode(filtered.data(), (uint32_t)filtered.size(), false);
    EXPECT_EQ(code, filtered);
}

TEST(PackedImageFilter, Crc32MatchesTheKnownValue) {
    const char* text = "123456789";
    EXPECT_EQ(0xCBF43926u, Crc32((const uint8_t*)text, 9));
    EXPECT_EQ(0u, Crc32(nullptr, 0));
}

}  // namespace
