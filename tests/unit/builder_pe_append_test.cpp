// Appending the payload section to the real stubs, checked with the stub's
// own section walk and its removal of the section for the uninstaller.
#include <gtest/gtest.h>

#include <string.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "builder/pe_append.h"
#include "core/bytes.h"
#include "core/string.h"
#include "payload/pe_section.h"
#include "payload/stub_image.h"

namespace {

std::vector<uint8_t> readDistFile(const char* name) {
    std::ifstream in(std::string(TAVO_DIST_DIR) + "/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i) out[i] = uint8_t(i * 31 + seed);
    return out;
}

uint32_t optionalHeader(const std::vector<uint8_t>& image) { return readLE32(&image[0x3C]) + 24; }
uint32_t field(const std::vector<uint8_t>& image, uint32_t offset) { return readLE32(&image[offset]); }

class PeAppendOnStub : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        stub_ = readDistFile(GetParam());
        if (stub_.empty()) GTEST_SKIP() << GetParam() << " is not built yet";
    }
    std::vector<uint8_t> stub_;
};

// Content sizes around the section alignment, with and without data after the
// section, in both file-end modes.
TEST_P(PeAppendOnStub, StubFindsTheSectionAndItsBytes) {
    struct Case {
        size_t content, after;
        bool endAtData;
    } cases[] = {{1, 0, false}, {4095, 0, false}, {4096, 0, false}, {4097, 0, false},
                 {100, 7, true}, {100, 9000, true}, {5000, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "content " << c.content << " after " << c.after);
        std::vector<uint8_t> content = pattern(c.content, 1), after = pattern(c.after, 2);
        build::AppendedSection placed;
        std::vector<uint8_t> out = build::appendPayloadSection(stub_, content, after, c.endAtData, &placed);

        BufferBytes file(out.data(), (uint32_t)out.size());
        PayloadSection found{};
        ASSERT_EQ(SectionFound, findPayloadSection(file, found));
        EXPECT_EQ(readLE16(&stub_[readLE32(&stub_[0x3C]) + 6]), found.slot);  // the new last slot
        EXPECT_EQ(placed.fileOffset, found.fileDataOffset);
        EXPECT_EQ(placed.virtualAddress, found.memoryOffset);
        EXPECT_EQ(placed.rawSize, found.fileDataSize);
        EXPECT_EQ(c.content, placed.virtualSize);
        EXPECT_EQ(0u, placed.fileOffset % 0x200);
        EXPECT_EQ(0, memcmp(&out[placed.fileOffset], content.data(), content.size()));
        if (!after.empty()) EXPECT_EQ(0, memcmp(&out[placed.fileOffset + content.size()], after.data(), after.size()));
        size_t dataEnd = placed.fileOffset + content.size() + after.size();
        EXPECT_EQ(c.endAtData ? dataEnd : std::max<size_t>(dataEnd, placed.fileOffset + placed.rawSize), out.size());

        uint32_t opt = optionalHeader(out), alignment = field(out, opt + 32);
        EXPECT_EQ(0u, placed.virtualAddress % alignment);
        EXPECT_GE(field(out, opt + 56), placed.virtualAddress + c.content);       // SizeOfImage
        EXPECT_EQ(0u, field(out, opt + 56) % alignment);
        EXPECT_EQ(build::peHeaderChecksum(out, opt + 64), field(out, opt + 64));
        uint32_t entry = found.tableOffset + 40 * found.slot;
        EXPECT_EQ(0x40000040u, field(out, entry + 36));
    }
}

// The stub writes its uninstaller by taking the section out again; that must
// give back the stub's own headers (only the checksum field may differ).
TEST_P(PeAppendOnStub, RemovingTheSectionRestoresTheStub) {
    std::vector<uint8_t> out = build::appendPayloadSection(stub_, pattern(6000, 3), {}, false);
    BufferBytes file(out.data(), (uint32_t)out.size());
    PayloadSection found{};
    ASSERT_EQ(SectionFound, findPayloadSection(file, found));
    String image;
    image.assign((const char*)out.data(), (int32_t)found.fileDataOffset);
    ASSERT_EQ(0, removePayloadSection(image, found));
    std::vector<uint8_t> restored(image.text(), image.text() + image.length());
    ASSERT_EQ(stub_.size(), restored.size());
    uint32_t checksumAt = optionalHeader(stub_) + 64;
    memset(&restored[checksumAt], 0, 4);
    std::vector<uint8_t> expected = stub_;
    memset(&expected[checksumAt], 0, 4);
    EXPECT_EQ(expected, restored);
}

TEST_P(PeAppendOnStub, ZeroChecksumOnRequest) {
    std::vector<uint8_t> out =
        build::appendPayloadSection(stub_, pattern(10, 4), {}, false, nullptr, build::PeChecksum::Zero);
    EXPECT_EQ(0u, field(out, optionalHeader(out) + 64));
}

TEST_P(PeAppendOnStub, RefusesASecondPayload) {
    std::vector<uint8_t> once = build::appendPayloadSection(stub_, pattern(10, 5), {}, false);
    EXPECT_THROW(build::appendPayloadSection(once, pattern(10, 5), {}, false), build::PeError);
}

INSTANTIATE_TEST_SUITE_P(BuilderPeAppend, PeAppendOnStub,
                         ::testing::Values("tavo-stub-x86.exe", "tavo-stub-x64.exe"));

// A stub whose section table already reaches the first section's data has no
// slot for another entry.
// GNU ld's own checksums of a PE32 and a PE32+ program.
TEST(BuilderPeAppend, ChecksumReproducesTheLinkersValue) {
    for (const char* name : {"checksum_probe_i686.exe", "checksum_probe_x86_64.exe"}) {
        SCOPED_TRACE(name);
        std::ifstream in(std::string(TAVO_PROBE_DIR) + "/" + name, std::ios::binary);
        std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), {});
        ASSERT_GT(image.size(), 0x200u);
        uint32_t at = optionalHeader(image) + 64;
        ASSERT_NE(0u, field(image, at));
        EXPECT_EQ(field(image, at), build::peHeaderChecksum(image, at));
    }
}

TEST(BuilderPeAppend, RefusesAStubWithoutRoomForAnEntry) {
    std::vector<uint8_t> stub = readDistFile("tavo-stub-x86.exe");
    if (stub.empty()) GTEST_SKIP();
    uint32_t pe = readLE32(&stub[0x3C]);
    uint32_t table = pe + 24 + readLE16(&stub[pe + 20]);
    uint32_t count = readLE16(&stub[pe + 6]);
    // Pretend the first section data in the file starts right after the table.
    uint32_t first = table;
    while (readLE32(&stub[first + 16]) == 0) first += 40;  // sections without bytes in the file
    writeLE32(&stub[first + 20], table + 40 * count);
    try {
        build::appendPayloadSection(stub, pattern(10, 6), {}, false);
        FAIL() << "expected PeError";
    } catch (const build::PeError& e) {
        EXPECT_NE(nullptr, strstr(e.what(), "no room")) << e.what();
    }
}

TEST(BuilderPeAppend, RefusesWhatIsNotAPeImage) {
    std::vector<std::vector<uint8_t>> bad = {{}, std::vector<uint8_t>(0x40, 0), std::vector<uint8_t>(0x200, 'M')};
    bad.back()[1] = 'Z';
    writeLE32(&bad.back()[0x3C], 0x80);  // no "PE\0\0" there
    for (const auto& image : bad) EXPECT_THROW(build::appendPayloadSection(image, {1}, {}, false), build::PeError);
}

}  // namespace
