#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "core/bytes.h"
#include "payload/pe_section.h"

namespace {

// A PE file reduced to what the walk reads: the header offset, the section
// count, the optional header's size and the section table.
std::vector<uint8_t> fakePe(uint32_t peOffset, uint32_t count, std::vector<const char*> names,
                            uint32_t optionalSize = 0xE0) {
    std::vector<uint8_t> file(peOffset + 24 + optionalSize + 40 * names.size() + 16, 0);
    file[0] = 'M';
    file[1] = 'Z';
    writeLE32(&file[0x3C], peOffset);
    memcpy(&file[peOffset], "PE\0\0", 4);
    writeLE16(&file[peOffset + 6], count);
    writeLE16(&file[peOffset + 20], optionalSize);
    uint32_t table = peOffset + 24 + optionalSize;
    for (size_t i = 0; i < names.size(); ++i) {
        uint8_t* entry = &file[table + 40 * i];
        strncpy((char*)entry, names[i], 8);
        writeLE32(entry + 12, 0x1000 * (uint32_t)(i + 1));
        writeLE32(entry + 16, 0x200 * (uint32_t)(i + 1));
        writeLE32(entry + 20, 0x400 * (uint32_t)(i + 1));
    }
    return file;
}

int walk(std::vector<uint8_t> bytes, PayloadSection& out) {
    BufferBytes file(bytes.data(), (uint32_t)bytes.size());
    return findPayloadSection(file, out);
}

TEST(PeSection, FindsThePayloadSection) {
    PayloadSection s;
    ASSERT_EQ(walk(fakePe(0x80, 5, {".text", ".rdata", ".idata", ".rsrc", ".tavo"}), s), SectionFound);
    EXPECT_EQ(s.slot, 4u);
    EXPECT_EQ(s.sectionCount, 5u);
    EXPECT_EQ(s.tableOffset, 0x80u + 24 + 0xE0);
    EXPECT_EQ(s.memoryOffset, 0x5000u);
    EXPECT_EQ(s.fileDataSize, 0xA00u);
    EXPECT_EQ(s.fileDataOffset, 0x1400u);
}

TEST(PeSection, ReportsEachHeaderFault) {
    std::vector<const char*> four = {".text", ".rdata", ".idata", ".rsrc"};
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        int result;
    } cases[] = {
        {"no payload section", fakePe(0x80, 4, four), SectionMissing},
        {"name differs in case", fakePe(0x80, 4, {".text", ".TAVO", ".idata", ".rsrc"}), SectionMissing},
        {"longer name", fakePe(0x80, 4, {".text", ".tavox", ".idata", ".rsrc"}), SectionMissing},
        {"header offset 0x40", fakePe(0x40, 4, four), SectionMissing},
        {"header offset 0x3F", fakePe(0x3F, 4, four), 43},
        {"header offset 0x1000", fakePe(0x1000, 4, four), SectionMissing},
        {"header offset 0x1001", fakePe(0x1001, 4, four), 43},
        {"3 sections", fakePe(0x80, 3, {".text", ".rdata", ".tavo"}), 44},
        {"100 sections", fakePe(0x80, 100, four), 44},
        {"table cut short", fakePe(0x80, 6, four), 44},
        {"file of 0x3D bytes", std::vector<uint8_t>(0x3D, 0), 43},
        {"empty file", {}, 43},
    };
    for (Case& c : cases) {
        PayloadSection s;
        EXPECT_EQ(walk(c.file, s), c.result) << c.what;
    }
}

TEST(PeSection, OnlyTheLow16BitsOfTheHeaderOffsetCount) {
    std::vector<uint8_t> file = fakePe(0x80, 4, {".text", ".rdata", ".idata", ".tavo"});
    file[0x3E] = 0x12;  // high half of the 32-bit field
    PayloadSection s;
    EXPECT_EQ(walk(file, s), SectionFound);
}

}  // namespace
