#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "builder/payload_writer.h"
#include "core/bytes.h"
#include "core/checksum.h"
#include "payload/format.h"
#include "payload/header.h"
#include "payload_test_support.h"

namespace {

using payload_test::fileWithBody;
using payload_test::validSettings;

build::Installer twoFiles() {
    build::Installer in;
    in.settings = validSettings();
    in.files = {fileWithBody("a.txt", {1, 2, 3}), fileWithBody("b.bin", std::vector<uint8_t>(70, 9))};
    return in;
}

std::vector<uint8_t> sectionOf(const build::Installer& in, uint32_t version = payload::kBuilderVersion) {
    build::WriteOptions options;
    options.builderVersion = version;
    build::PayloadParts parts = build::writePayload(in, options);
    EXPECT_EQ(parts.error, "");
    return parts.sectionContent;
}

int readHeader(const std::vector<uint8_t>& bytes, PayloadHeader& out) {
    return readPayloadHeader(bytes.data(), (uint32_t)bytes.size(), out);
}

TEST(PayloadHeaderTest, ReadsWhatTheWriterWrote) {
    build::Installer in = twoFiles();
    std::vector<uint8_t> section = sectionOf(in);
    std::vector<uint8_t> block = build::writeSettingsBlock(in.settings);

    PayloadHeader h;
    ASSERT_EQ(readHeader(section, h), 0);
    EXPECT_EQ(h.magic, payload::kHeaderMagic);
    EXPECT_EQ(h.builderVersion, 1130u);
    EXPECT_EQ(h.scrambleKey, payloadChecksum(block.data(), block.size()));
    EXPECT_EQ(h.sectionPayloadLength, (int32_t)section.size());
    ASSERT_EQ(h.fileCount, 2);
    EXPECT_EQ(h.fileSizes[0], 3);
    EXPECT_EQ(h.fileSizes[1], 70);
    EXPECT_EQ(h.settingsOffset, 36u + 8);
    EXPECT_EQ(h.dataStart, h.settingsOffset + (uint32_t)h.settingsSize);
    EXPECT_EQ((size_t)h.dataStart + (size_t)h.dataLength, section.size());
    EXPECT_EQ(h.dataChecksum, payloadChecksum(section.data() + h.dataStart, (size_t)h.dataLength));
}

// A valid header with one field replaced.
struct FieldCase {
    const char* what;
    uint32_t offset;
    uint32_t value;
    int expected;
};

TEST(PayloadHeaderTest, EachCheckHasItsCode) {
    std::vector<uint8_t> valid = sectionOf(twoFiles());
    uint32_t length = (uint32_t)valid.size();
    const FieldCase cases[] = {
        {"magic one bit off", 0, payload::kHeaderMagic ^ 1, 20},
        {"version 1131", 4, 1131, 0},
        {"version 0", 4, 0, 0},
        {"version 1132", 4, 1132, HeaderVersionRefused},
        {"settings size 0", 8, 0, 22},
        {"settings size negative", 8, 0xFFFFFFFF, 22},
        {"settings size 0xA00000", 8, 0xA00000, 22},
        {"settings block past the section", 8, length, 22},
        {"in-section length negative", 20, 0xFFFFFFFF, 45},
        {"in-section length past the mapped bytes", 20, length + 1, 45},
        {"in-section length 0", 20, 0, 0},
        {"file count negative", 24, 0x80000000, 27},
        {"file count beyond the bytes", 24, 0x7FFFFFFF, 28},
        {"data length negative", 28, 0xFFFFFFFF, 29},
        {"file size negative", 36, 0xFFFFFFFF, 28},
        {"file size 0x40000001", 40, 0x40000001, 28},
        {"file size 0x40000000", 40, 0x40000000, 0},
    };
    for (const FieldCase& c : cases) {
        std::vector<uint8_t> bytes = valid;
        writeLE32(&bytes[c.offset], c.value);
        PayloadHeader h;
        EXPECT_EQ(readHeader(bytes, h), c.expected) << c.what;
    }
}

TEST(PayloadHeaderTest, SettingsSizeJustBelowTheLimitIsAccepted) {
    std::vector<uint8_t> bytes(36 + payload::kMaxSettingsSize, 0);
    writeLE32(&bytes[0], payload::kHeaderMagic);
    writeLE32(&bytes[4], 1130);
    writeLE32(&bytes[8], payload::kMaxSettingsSize - 1);
    PayloadHeader h;
    EXPECT_EQ(readHeader(bytes, h), 0);
    writeLE32(&bytes[8], payload::kMaxSettingsSize);
    EXPECT_EQ(readHeader(bytes, h), 22);
}

// The mapped bytes end inside the header: the field that is missing decides
// the code (the in-section length is 0 so that it does not object first).
TEST(PayloadHeaderTest, HeaderCutShortReportsTheMissingField) {
    std::vector<uint8_t> valid = sectionOf(twoFiles());
    writeLE32(&valid[20], 0);
    PayloadHeader full;
    ASSERT_EQ(readHeader(valid, full), 0);
    uint32_t settingsEnd = full.dataStart;
    for (uint32_t cut = 0; cut < settingsEnd; ++cut) {
        int expected = cut < 8 ? 20 : cut < 20 ? 22 : cut < 24 ? 45 : cut < 28 ? 27 : cut < 36 ? 29
                     : cut < 44 ? 28 : 22;
        std::vector<uint8_t> bytes(valid.begin(), valid.begin() + cut);
        PayloadHeader h;
        EXPECT_EQ(readHeader(bytes, h), expected) << "cut at " << cut;
    }
    PayloadHeader h;
    EXPECT_EQ(readPayloadHeader(nullptr, 100, h), 20);
}

TEST(PayloadHeaderTest, VersionTestMatchesTheDecimalRule) {
    for (uint32_t v = 0; v < 200000; ++v) {
        ASSERT_EQ(builderVersionAccepted(v), !(v * 0.01 - 11.3 > 0.01)) << v;
    }
    for (uint32_t v : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) EXPECT_FALSE(builderVersionAccepted(v));
}

TEST(PayloadHeaderTest, VersionRefusalShowsBothVersionsWithOneDecimal) {
    EXPECT_STREQ(versionRefusalText(1132).text(),
                 "The installer version (11.3) does not match the version of TAVO (11.3).  "
                 "Close all applications and reinstall TAVO.");
    EXPECT_TRUE(versionRefusalText(1250).contains("TAVO (12.5)."));
    PayloadHeader h;
    EXPECT_EQ(readHeader(sectionOf(twoFiles(), 1132), h), HeaderVersionRefused);
    EXPECT_EQ(h.builderVersion, 1132u);
}

TEST(PayloadHeaderTest, MappedSizeIsWhatTheFileAndTheLoaderBothHold) {
    struct Case {
        uint32_t memorySize, fileDataSize, fileDataOffset, fileLength, expected;
    } cases[] = {
        {0x1234, 0x1400, 0x800, 0x2000, 0x1234},  // raw data padded beyond the content
        {0, 0x1400, 0x800, 0x2000, 0x1400},       // no virtual size: the raw size
        {0x3000, 0x1400, 0x800, 0x2000, 0x1400},  // the loader maps zeros beyond the raw data
        {0x3000, 0x1400, 0x800, 0x1000, 0x800},   // a file cut short
        {0x3000, 0x1400, 0x2000, 0x1000, 0},      // the section lies past the end
    };
    for (const Case& c : cases) {
        PayloadSection s = {};
        s.memorySize = c.memorySize;
        s.fileDataSize = c.fileDataSize;
        s.fileDataOffset = c.fileDataOffset;
        EXPECT_EQ(mappedPayloadSize(s, c.fileLength), c.expected) << c.memorySize << " " << c.fileLength;
    }
}

TEST(PayloadHeaderTest, SettingsBlockIsDescrambledUnpackedAndChecked) {
    build::Installer in = twoFiles();
    std::vector<uint8_t> section = sectionOf(in);
    PayloadHeader h;
    ASSERT_EQ(readHeader(section, h), 0);

    uint8_t* block = nullptr;
    int32_t size = 0;
    ASSERT_EQ(takeSettingsBlock(section.data(), h, block, size), 0);
    std::vector<uint8_t> expected = build::writeSettingsBlock(in.settings);
    ASSERT_EQ((size_t)size, expected.size());
    EXPECT_EQ(memcmp(block, expected.data(), expected.size()), 0);
    EXPECT_EQ(settingsChecksumCode(block, size, h.scrambleKey), 0);
    block[size - 1] ^= 0x40;
    EXPECT_EQ(settingsChecksumCode(block, size, h.scrambleKey), 25);
    free(block);

    // The wrong key leaves the packed prefix scrambled: it does not unpack.
    h.scrambleKey ^= 0x00010000;
    EXPECT_EQ(takeSettingsBlock(section.data(), h, block, size), 47);
    EXPECT_EQ(block, nullptr);
}

}  // namespace
