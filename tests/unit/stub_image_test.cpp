#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "core/bytes.h"
#include "core/checksum.h"
#include "payload/stub_image.h"
#include "payload_test_support.h"

namespace {

using payload_test::MemoryFile;
using Bytes = std::vector<uint8_t>;

uint32_t roundUp(uint32_t v, uint32_t a) { return (v + a - 1) / a * a; }

// Appends a last section ".tavo" holding `content`, then `trailing` bytes,
// keeping the header fields the loader checks consistent, as a builder does.
Bytes appendSection(const Bytes& stub, const Bytes& content, const Bytes& trailing) {
    Bytes file = stub;
    uint32_t pe = readLE32(&file[0x3C]);
    uint32_t count = readLE16(&file[pe + 6]);
    uint32_t table = pe + 24 + readLE16(&file[pe + 20]);
    uint32_t sectionAlign = readLE32(&file[pe + 24 + 32]);
    uint32_t fileAlign = readLE32(&file[pe + 24 + 36]);
    const uint8_t* last = &file[table + 40 * (count - 1)];
    uint32_t virtualAddress = roundUp(readLE32(last + 12) + readLE32(last + 8), sectionAlign);
    uint32_t rawSize = roundUp((uint32_t)content.size(), fileAlign);
    uint32_t rawOffset = roundUp((uint32_t)file.size(), fileAlign);

    uint8_t* entry = &file[table + 40 * count];
    memset(entry, 0, 40);
    memcpy(entry, ".tavo", 5);
    writeLE32(entry + 8, (uint32_t)content.size());
    writeLE32(entry + 12, virtualAddress);
    writeLE32(entry + 16, rawSize);
    writeLE32(entry + 20, rawOffset);
    writeLE32(entry + 36, 0x40000040);  // initialised data, readable
    writeLE16(&file[pe + 6], count + 1);
    writeLE32(&file[pe + 0x20], readLE32(&file[pe + 0x20]) + rawSize);
    writeLE32(&file[pe + 0x50], readLE32(&file[pe + 0x50]) + roundUp((uint32_t)content.size(), sectionAlign));

    file.resize(rawOffset, 0);
    file.insert(file.end(), content.begin(), content.end());
    file.resize(rawOffset + rawSize, 0);
    file.insert(file.end(), trailing.begin(), trailing.end());
    return file;
}

int imageOf(const Bytes& file, StubImageSettings settings, String& image, PayloadSection* found = nullptr) {
    MemoryFile mem(file);
    PayloadSection section;
    if (findPayloadSection(mem, section) != SectionFound) return -1;
    if (found) *found = section;
    return buildStubImage(mem, (uint32_t)file.size(), section, settings, image);
}

Bytes bytesOf(const String& s) { return Bytes(s.text(), s.text() + s.length()); }

class StubImageOnRealStub : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        stub = payload_test::readWholeFile(payload_test::distPath(GetParam()));
        if (stub.empty()) GTEST_SKIP() << "no " << GetParam() << " in dist/ (build the mingw trees first)";
    }
    Bytes stub;
};

// The section's content is a whole number of pages, so the size of image
// grows by exactly its file data size and the stub is on a file-alignment
// boundary already: removing the section gives back every byte of the stub.
TEST_P(StubImageOnRealStub, ImageIsTheStubByteForByte) {
    uint32_t fileAlign = readLE32(&stub[readLE32(&stub[0x3C]) + 24 + 36]);
    ASSERT_EQ(stub.size() % fileAlign, 0u) << "a stub ending off the alignment would keep its padding";
    Bytes file = appendSection(stub, payload_test::patternBytes(0x3000, 1), {});
    ASSERT_NE(file, stub);
    String image;
    ASSERT_EQ(imageOf(file, StubImageSettings(), image), 0);
    EXPECT_TRUE(bytesOf(image) == stub);
}

// Bytes stored after the section (the data kept in the file) stay with the
// image; the header fields still come back as they were.
TEST_P(StubImageOnRealStub, BytesAfterTheSectionAreAppended) {
    Bytes trailing = payload_test::patternBytes(777, 5);
    Bytes file = appendSection(stub, payload_test::patternBytes(0x1000, 2), trailing);
    String image;
    ASSERT_EQ(imageOf(file, StubImageSettings(), image), 0);
    Bytes expected = stub;
    expected.insert(expected.end(), trailing.begin(), trailing.end());
    EXPECT_TRUE(bytesOf(image) == expected);
}

TEST_P(StubImageOnRealStub, StubChecksumIsTestedOnlyWhenAsked) {
    Bytes file = appendSection(stub, Bytes(0x1000, 7), {});
    PayloadSection section;
    String image;
    ASSERT_EQ(imageOf(file, StubImageSettings(), image, &section), 0);
    StubImageSettings settings;
    settings.testStubChecksum = true;
    settings.stubChecksum = payloadChecksum(file.data(), section.fileDataOffset);
    EXPECT_EQ(imageOf(file, settings, image), 0);
    settings.stubChecksum += 1;
    EXPECT_EQ(imageOf(file, settings, image), 40);
    settings.testStubChecksum = false;
    EXPECT_EQ(imageOf(file, settings, image), 0);
}

INSTANTIATE_TEST_SUITE_P(Dist, StubImageOnRealStub, ::testing::Values("tavo-stub-x86.exe", "tavo-stub-x64.exe"),
                         [](const auto& info) { return std::string(info.index == 0 ? "x86" : "x64"); });

// A made-up image whose payload section is not the last: slot 1 of 4.
struct MiddleSection {
    Bytes file;
    PayloadSection section;
};

MiddleSection middleSection() {
    MiddleSection m;
    const uint32_t pe = 0x80, table = pe + 24 + 0xE0, dataSize = 0x400;
    m.file.assign(0x1800, 0);
    writeLE32(&m.file[0x3C], pe);
    writeLE16(&m.file[pe + 6], 4);
    writeLE16(&m.file[pe + 20], 0xE0);
    writeLE32(&m.file[pe + 0x20], 0x5000);
    writeLE32(&m.file[pe + 0x50], 0x9000);
    for (uint32_t i = 0; i < 4; ++i) {
        uint8_t* e = &m.file[table + 40 * i];
        const char* names[] = {"sect0", ".tavo", "sect2", "sect3"};
        memcpy(e, names[i], 5);
        writeLE32(e + 16, dataSize);
        writeLE32(e + 20, 0x400 + dataSize * i);
    }
    for (uint32_t i = 0; i < 80; ++i) m.file[table + 160 + i] = (uint8_t)(0xA0 + i);
    m.section = {pe, 4, table, 1, 0x2000, dataSize, dataSize, 0x800};
    return m;
}

TEST(StubImageTest, LaterEntriesMoveUpWithTheirOffsetsReduced) {
    MiddleSection m = middleSection();
    String image;
    image.assign((const char*)m.file.data(), (int32_t)m.file.size());
    ASSERT_EQ(removePayloadSection(image, m.section), 0);
    const uint8_t* p = (const uint8_t*)image.text();
    const uint32_t pe = 0x80, table = m.section.tableOffset;
    EXPECT_EQ(readLE16(p + pe + 6), 3u);
    EXPECT_EQ(readLE32(p + pe + 0x20), 0x5000u - 0x400);
    EXPECT_EQ(readLE32(p + pe + 0x50), 0x9000u - 0x400);
    EXPECT_EQ(memcmp(p + table, "sect0", 5), 0);
    EXPECT_EQ(readLE32(p + table + 20), 0x400u) << "an earlier section keeps its offset";
    EXPECT_EQ(memcmp(p + table + 40, "sect2", 5), 0);
    EXPECT_EQ(readLE32(p + table + 40 + 20), 0xC00u - 0x400);
    EXPECT_EQ(memcmp(p + table + 80, "sect3", 5), 0);
    EXPECT_EQ(readLE32(p + table + 80 + 20), 0x1000u - 0x400);
    for (uint32_t i = 0; i < 80; ++i) ASSERT_EQ(p[table + 120 + i], (uint8_t)(0xA0 + i)) << i;
    EXPECT_EQ(p[table + 200], 0xA0 + 40) << "the last 40 bytes moved are copied, not cleared";
}

TEST(StubImageTest, HeadersOutsideTheImageAreCorrupt) {
    MiddleSection m = middleSection();
    uint32_t needed = m.section.tableOffset + 40 * (4 + 2);
    String image;
    image.assign((const char*)m.file.data(), (int32_t)needed);
    EXPECT_EQ(removePayloadSection(image, m.section), 0);
    image.assign((const char*)m.file.data(), (int32_t)needed - 1);
    EXPECT_EQ(removePayloadSection(image, m.section), 35);
    PayloadSection badSlot = m.section;
    badSlot.slot = 4;
    image.assign((const char*)m.file.data(), (int32_t)m.file.size());
    EXPECT_EQ(removePayloadSection(image, badSlot), 35);
    String empty;
    EXPECT_EQ(removePayloadSection(empty, m.section), 35);
}

TEST(StubImageTest, UnreadableBytesGiveTheirCodes) {
    MiddleSection m = middleSection();
    MemoryFile file(m.file);
    String image;
    StubImageSettings settings;
    // After the section: 0x800 + 0x400 up to 0x1800.
    file.readableUpTo = 0x1000;
    EXPECT_EQ(buildStubImage(file, (uint32_t)m.file.size(), m.section, settings, image), 42);
    file.readableUpTo = 0x700;
    EXPECT_EQ(buildStubImage(file, (uint32_t)m.file.size(), m.section, settings, image), 35);
    file.readableUpTo = (size_t)-1;
    EXPECT_EQ(buildStubImage(file, (uint32_t)m.file.size(), m.section, settings, image), 0);
    EXPECT_EQ(image.length(), 0x1800 - 0x400);
    // A file length that ends inside the section: nothing after it.
    EXPECT_EQ(buildStubImage(file, 0x900, m.section, settings, image), 0);
    EXPECT_EQ(image.length(), 0x800);
}

TEST(StubImageTest, PatchIsAppliedOnlyWhenItFits) {
    struct Case {
        int32_t offset;
        size_t length;
        bool applied;
    } cases[] = {
        {0x10, 4, true}, {0x20 - 4, 4, true}, {0x20 - 3, 4, false}, {0, 4, false}, {-4, 4, false}, {0x40, 1, false},
    };
    for (const Case& c : cases) {
        String image;
        image.assign(std::string(0x20, 'x').c_str(), 0x20);
        String patch;
        patch.assign("PATCH", (int32_t)c.length);
        applyUninstallerPatch(image, c.offset, patch);
        std::string expected(0x20, 'x');
        if (c.applied) expected.replace((size_t)c.offset, c.length, std::string("PATCH", c.length));
        EXPECT_EQ(std::string(image.text(), (size_t)image.length()), expected) << c.offset;
    }
}

TEST(StubImageTest, BuildAppliesThePatchAfterRemovingTheSection) {
    MiddleSection m = middleSection();
    MemoryFile file(m.file);
    String patch("MZ!");
    StubImageSettings settings;
    settings.patchOffset = 0x10;
    settings.patch = &patch;
    String image;
    ASSERT_EQ(buildStubImage(file, (uint32_t)m.file.size(), m.section, settings, image), 0);
    EXPECT_EQ(memcmp(image.text() + 0x10, "MZ!", 3), 0);
}

}  // namespace
