// What the builder reports: byte counts, the progress line, the closing
// summary, and each file's share of a packed region for `inspect`.
#include <gtest/gtest.h>

#include <random>

#include "builder/console_report.h"
#include "builder/pack.h"
#include "builder/packed_shares.h"

namespace {

TEST(BuilderReport, ByteCountsReadNaturally) {
    const struct {
        uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 bytes"},          {1, "1 byte"},           {1023, "1023 bytes"},
        {1024, "1.00 KiB"},      {1536, "1.50 KiB"},      {10 * 1024, "10.0 KiB"},
        {999 * 1024, "999 KiB"}, {1024 * 1024, "1.00 MiB"}, {uint64_t(5) << 30, "5.00 GiB"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, build::byteText(c.bytes)) << c.bytes;
}

TEST(BuilderReport, ProgressLineShowsTheStage) {
    build::ProgressState reading{build::BuildStage::ReadingFiles, 4096, 1024, 0.2};
    EXPECT_EQ("reading files  [######..................]  25%  1.00 KiB of 4.00 KiB",
              build::progressLine(reading, 79));
    build::ProgressState done{build::BuildStage::Writing, 0, 0, 0};
    EXPECT_EQ("writing  [########################] 100%  0 bytes of 0 bytes", build::progressLine(done, 79));
    // Packing has no count while it runs: a moving marker and the seconds.
    build::ProgressState packing{build::BuildStage::Packing, 3 << 20, 0, 14.25};
    std::string line = build::progressLine(packing, 79);
    EXPECT_EQ(0u, line.find("packing 3.00 MiB  [")) << line;
    EXPECT_NE(std::string::npos, line.find("<=>")) << line;
    EXPECT_EQ(line.size() - 4, line.find("14 s")) << line;
    EXPECT_EQ(20u, build::progressLine(reading, 20).size());
    // A packer that counts gets a bar like the other stages.
    packing.done = 3 << 19;
    EXPECT_EQ("packing  [############............]  50%  1.50 MiB of 3.00 MiB", build::progressLine(packing, 79));
}

TEST(BuilderReport, StageAndSummaryLines) {
    build::ProgressState packing{build::BuildStage::Packing, 4096, 0, 1.26};
    EXPECT_EQ("packing: 4.00 KiB to 1.00 KiB (25 %) in 1.3 s", build::stageDoneLine(packing, 1024));

    build::BuildSummary summary;
    summary.installerSize = 50 * 1024;
    summary.fileCount = 2;
    summary.dataSize = 4096;
    summary.storedDataSize = 1024;
    EXPECT_EQ("Wrote setup.exe: 50.0 KiB, 2 files (4.00 KiB packed to 1.00 KiB, 25 %).\n",
              build::summaryText("setup.exe", summary));
    summary.storedDataSize = 4096;
    summary.volumes = {"Setup2.TAV"};
    EXPECT_EQ("Wrote setup.exe: 50.0 KiB, 2 files.\n"
              "The data continues in 1 volume; ship them beside the installer:\n  Setup2.TAV\n",
              build::summaryText("setup.exe", summary));
}

// Compressible bytes take a small share of the packed block, random bytes
// about their own size; the shares add up to the packed stream.
TEST(BuilderPackedShares, EachRangeGetsTheBitsThatMadeIt) {
    std::mt19937 random(7);
    std::vector<uint8_t> data(20000, 'z');
    for (size_t i = 10000; i < 15000; ++i) data[i] = uint8_t(random());
    std::vector<uint8_t> block = pack(data.data(), data.size());
    std::vector<uint64_t> ends = {10000, 15000, 20000};
    std::optional<std::vector<double>> shares = build::packedBytesPerRange(block.data(), block.size(), ends);
    ASSERT_TRUE(shares);
    const std::vector<double>& s = *shares;
    EXPECT_LT(s[0], 100);
    EXPECT_GT(s[1], 4900);
    EXPECT_LT(s[1], 5200);
    EXPECT_LT(s[2], 100);
    double sum = s[0] + s[1] + s[2];
    double stream = double(block.size() - 8);
    EXPECT_LE(sum, stream);
    EXPECT_GT(sum, stream - 1);
}

TEST(BuilderPackedShares, RefusesWhatIsNotAMatchingBlock) {
    std::vector<uint8_t> data(3000, 'q');
    std::vector<uint8_t> block = pack(data.data(), data.size());
    EXPECT_FALSE(build::packedBytesPerRange(block.data(), block.size(), {2999}));  // ends short of the size
    EXPECT_FALSE(build::packedBytesPerRange(block.data(), 7, {3000}));             // no whole prefix
    EXPECT_FALSE(build::packedBytesPerRange(block.data(), 9, {3000}));             // stream cut short
    std::vector<uint8_t> wrong = block;
    wrong[0] ^= 1;
    EXPECT_FALSE(build::packedBytesPerRange(wrong.data(), wrong.size(), {3000}));  // not the magic
    EXPECT_TRUE(build::packedBytesPerRange(block.data(), block.size(), {0, 1500, 1500, 3000}));  // empty ranges
}

}  // namespace
