#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "builder/payload_writer.h"
#include "core/bytes.h"
#include "core/checksum.h"
#include "core/system_paths.h"
#include "payload/data_region.h"
#include "payload/file_entry.h"
#include "payload/header.h"
#include "payload/settings_reader.h"
#include "payload_test_support.h"
#include "ui/localised_text.h"

namespace {

using Bytes = std::vector<uint8_t>;
using payload_test::MemoryFile;

const uint32_t kSectionOffset = 0x400;  // where the section's data lies in the installer file

// Volumes on a "disk" the user can change when asked.
class FakeHost final : public DataRegionHost {
public:
    void setProgressPercent(int percent) override { percents.push_back(percent); }
    void setProgressStatus(int id, int percent) override { statuses.push_back({id, percent}); }
    void holdStatus() override {}
    void restartStatusClock() override { ++clockRestarts; }

    // The user inserts the next disk of `laterDisks`, if any, or gives up.
    bool askForVolume(const String& prompt) override {
        prompts.push_back(prompt.text());
        if (givesUp) return false;
        if (!laterDisks.empty()) {
            disk = laterDisks.front();
            laterDisks.erase(laterDisks.begin());
        }
        if (prompts.size() > 30) {
            ADD_FAILURE() << "the volume prompt keeps coming back";
            return false;
        }
        return true;
    }
    bool openVolume(const String& path) override {
        auto it = disk.find(path.text());
        if (it == disk.end()) return false;
        open = &it->second;
        readAt = 0;
        opened.push_back(path.text());
        return true;
    }
    int64_t volumeLength() override { return (int64_t)open->size(); }
    bool readVolume(void* out, uint32_t count) override {
        if (readAt + count > open->size()) return false;
        memcpy(out, open->data() + readAt, count);
        readAt += count;
        return true;
    }
    void closeVolume() override { open = nullptr; }

    using Disk = std::map<std::string, Bytes>;
    Disk disk;
    std::vector<Disk> laterDisks;
    bool givesUp = false;
    std::vector<std::string> prompts, opened;
    std::vector<int> percents;
    std::vector<std::pair<int, int>> statuses;
    int clockRestarts = 0;

private:
    const Bytes* open = nullptr;
    size_t readAt = 0;
};

// An installer as the stub sees it: its file, its header, its settings.
struct Built {
    build::Installer installer;
    build::PayloadParts parts;
    Bytes file;
    PayloadHeader header;
    SettingsBlock settings;
};

std::string volumePath(int n) { return "D:\\setup\\WIDGET" + std::to_string(n) + ".TAV"; }

void build(Built& b) {
    b.parts = build::writePayload(b.installer);
    ASSERT_EQ(b.parts.error, "");
    b.file.assign(kSectionOffset, 'S');
    b.file.insert(b.file.end(), b.parts.sectionContent.begin(), b.parts.sectionContent.end());
    b.file.insert(b.file.end(), b.parts.afterSection.begin(), b.parts.afterSection.end());
    const Bytes& s = b.parts.sectionContent;
    ASSERT_EQ(readPayloadHeader(s.data(), (uint32_t)s.size(), b.header), 0);
    uint8_t* block = nullptr;
    int32_t size = 0;
    ASSERT_EQ(takeSettingsBlock(s.data(), b.header, block, size), 0);
    MemoryStream stream(block, (uint32_t)size);
    readProductFlags(stream, b.settings);
    SettingsContext context;
    context.installerFileLength = (uint32_t)b.file.size();
    int code = readSettingsRest(stream, context, b.settings);
    free(block);
    ASSERT_EQ(code, 0);
}

Built installerWith(std::vector<build::FileEntry> files, bool packed, bool dataInFile, int64_t volumeSize = 0) {
    Built b;
    b.installer.settings = payload_test::validSettings();
    if (packed) b.installer.settings.flagsLow |= payload::flag::PackedData.bit;
    b.installer.settings.firstVolumeId = 0x7000;
    b.installer.files = std::move(files);
    b.installer.layout.dataInFile = dataInFile;
    b.installer.layout.volumeSize = volumeSize;
    build(b);
    return b;
}

std::vector<build::FileEntry> threeFiles() {
    return {payload_test::fileWithBody("one.txt", payload_test::patternBytes(3000, 1)),
            payload_test::fileWithBody("two.bin", Bytes(5000, 0x55)),
            payload_test::fileWithBody("three.dll", payload_test::patternBytes(800, 9))};
}

FakeHost::Disk volumesOf(const Built& b) {
    FakeHost::Disk disk;
    for (size_t i = 0; i < b.parts.volumes.size(); ++i) disk[volumePath((int)i + 2)] = b.parts.volumes[i];
    return disk;
}

int assemble(Built& b, DataRegionHost& host, DataRegion& region, MemoryFile* file = nullptr) {
    MemoryFile own(b.file);
    DataRegionSource source;
    source.section = b.file.data() + kSectionOffset;
    source.header = &b.header;
    source.dataInFile = b.settings.dataInFile != 0;
    source.packed = b.settings.lowFlag(payload::flag::PackedData.bit);
    source.file = file ? file : &own;
    source.fileLength = (uint32_t)(file ? file->bytes.size() : b.file.size());
    source.fileDataOffset = kSectionOffset;
    source.volumeBaseName = b.settings.volumeBaseName.text();
    source.firstVolumeId = b.settings.firstVolumeId;
    return assembleDataRegion(source, host, region);
}

// The catalogue read back from the region matches what was written.
void expectCatalogue(const DataRegion& region, const Built& b) {
    MemoryStream in(region.bytes, (uint32_t)region.size);
    for (size_t i = 0; i < b.installer.files.size(); ++i) {
        FileEntry e;
        ASSERT_EQ(readFileEntry(in, b.header.fileSizes[(int32_t)i], e), 0) << i;
        EXPECT_EQ(std::string(e.name.text()), b.installer.files[i].name);
        EXPECT_EQ(Bytes(e.body, e.body + e.size), b.installer.files[i].body);
    }
    EXPECT_TRUE(in.atEnd());
}

class DataRegionTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedDirectory = SystemPaths.programDirectory;
        SystemPaths.programDirectory = "D:\\setup";
        TextTable strings;
        strings.reset(31, 1);
        *strings.entry(26, 0) = "Insert disk %d in drive %c:";
        *strings.entry(30, 0) = "Wrong disk.";
        Vector<String> languages;
        languages.append(String("English"));
        InstallLocalisedTexts(moveValue(languages), moveValue(strings));
    }
    void TearDown() override {
        SystemPaths.programDirectory = savedDirectory;
        InstallLocalisedTexts(Vector<String>(), TextTable());
    }
    String savedDirectory;
};

TEST_F(DataRegionTest, EveryLayoutReadsBackTheCatalogue) {
    struct Case {
        const char* what;
        bool packed, dataInFile;
        int64_t volumeSize;
    } cases[] = {
        {"in the section", false, false, 0},
        {"in the section, packed", true, false, 0},
        {"in the file", false, true, 0},
        {"in the file, packed", true, true, 0},
        {"section and volumes", false, false, 2500},
        {"file and volumes, packed", true, true, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Built b = installerWith(threeFiles(), c.packed, c.dataInFile, c.volumeSize);
        FakeHost host;
        host.disk = volumesOf(b);
        DataRegion region;
        ASSERT_EQ(assemble(b, host, region), 0);
        expectCatalogue(region, b);
        EXPECT_EQ(host.opened.size(), b.parts.volumes.size());
        EXPECT_TRUE(host.prompts.empty());
        EXPECT_EQ(host.clockRestarts, 1);
        bool unpacked = std::find(host.statuses.begin(), host.statuses.end(), std::make_pair(29, 40)) !=
                        host.statuses.end();
        EXPECT_EQ(unpacked, c.packed);
        releaseDataRegion(region);
        EXPECT_EQ(region.bytes, nullptr);
    }
}

TEST_F(DataRegionTest, VolumesCarryConsecutiveIdsAndMoveTheProgress) {
    const int share = 4000;
    Built b = installerWith(threeFiles(), false, false, share);
    ASSERT_EQ(b.parts.volumes.size(), 2u);
    EXPECT_EQ(readLE32(b.parts.volumes[0].data()), 0x7000u);
    EXPECT_EQ(readLE32(b.parts.volumes[1].data()), 0x7001u);
    FakeHost host;
    host.disk = volumesOf(b);
    DataRegion region;
    ASSERT_EQ(assemble(b, host, region), 0);
    EXPECT_EQ(host.opened, (std::vector<std::string>{volumePath(2), volumePath(3)}));
    int32_t length = b.header.dataLength;
    EXPECT_EQ(host.percents, (std::vector<int>{5 + share * 30 / length, 5 + 2 * share * 30 / length}));
    releaseDataRegion(region);
}

TEST_F(DataRegionTest, MissingAndWrongVolumesAreAskedForAgain) {
    Built b = installerWith(threeFiles(), false, false, 4000);
    FakeHost::Disk good = volumesOf(b);
    FakeHost::Disk swapped = good;  // volume 3's file holds volume 2
    swapped[volumePath(3)] = good[volumePath(2)];
    FakeHost::Disk onlyTwo = good;
    onlyTwo.erase(volumePath(3));
    FakeHost::Disk tiny = good;  // an id and nothing else
    tiny[volumePath(3)] = Bytes(good[volumePath(3)].begin(), good[volumePath(3)].begin() + 4);

    const std::string ask = "Insert disk 3 in drive D:";
    const std::string again = "Wrong disk.\r\n\r\n" + ask;
    struct Case {
        const char* what;
        FakeHost::Disk first;
        std::vector<FakeHost::Disk> later;
        std::vector<std::string> prompts;
    } cases[] = {
        {"missing, then inserted", onlyTwo, {good}, {ask}},
        {"missing twice: the second prompt says wrong", onlyTwo, {onlyTwo, good}, {ask, again}},
        {"wrong id", swapped, {good}, {again}},
        {"only an id", tiny, {good}, {again}},
    };
    for (const Case& c : cases) {
        FakeHost host;
        host.disk = c.first;
        host.laterDisks = c.later;
        DataRegion region;
        ASSERT_EQ(assemble(b, host, region), 0) << c.what;
        EXPECT_EQ(host.prompts, c.prompts) << c.what;
        expectCatalogue(region, b);
        releaseDataRegion(region);
    }
}

TEST_F(DataRegionTest, GivingUpOnAVolumeEndsTheAssembly) {
    Built b = installerWith(threeFiles(), false, false, 4000);
    FakeHost host;
    host.disk = volumesOf(b);
    host.disk.erase(volumePath(3));
    host.givesUp = true;
    DataRegion region;
    EXPECT_EQ(assemble(b, host, region), DataRegionGivenUp);
    EXPECT_EQ(host.prompts.size(), 1u);
}

TEST_F(DataRegionTest, CorruptPartsGiveTheirCodes) {
    Built plain = installerWith(threeFiles(), false, false, 3000);
    FakeHost::Disk good = volumesOf(plain);

    // The last volume is one byte longer than the data still missing.
    FakeHost::Disk tooLong = good;
    tooLong[volumePath(3)].push_back(0);
    FakeHost host;
    host.disk = tooLong;
    DataRegion region;
    EXPECT_EQ(assemble(plain, host, region), 50);

    Built b = installerWith(threeFiles(), false, false);
    b.file[kSectionOffset + b.header.dataStart + 10] ^= 1;
    FakeHost h1;
    EXPECT_EQ(assemble(b, h1, region), 55);

    Built packed = installerWith(threeFiles(), true, false);
    packed.file[kSectionOffset + packed.header.dataStart] ^= 1;  // the packed block's magic
    packed.header.dataChecksum =
        payloadChecksum(packed.file.data() + kSectionOffset + packed.header.dataStart, packed.header.dataLength);
    FakeHost h2;
    EXPECT_EQ(assemble(packed, h2, region), 60);

    Built shortSection = installerWith(threeFiles(), false, false);
    shortSection.header.sectionPayloadLength = (int32_t)shortSection.header.dataStart - 1;
    FakeHost h3;
    EXPECT_EQ(assemble(shortSection, h3, region), 50);
}

TEST_F(DataRegionTest, VolumeDataThatCannotBeReadIs50) {
    Built b = installerWith(threeFiles(), false, false, 3000);
    // Volume 2 claims more bytes than its file gives.
    class ShortReads final : public DataRegionHost {
    public:
        explicit ShortReads(FakeHost& inner) : inner_(inner) {}
        void setProgressPercent(int) override {}
        void setProgressStatus(int, int) override {}
        void holdStatus() override {}
        void restartStatusClock() override {}
        bool askForVolume(const String& p) override { return inner_.askForVolume(p); }
        bool openVolume(const String& path) override { return inner_.openVolume(path); }
        int64_t volumeLength() override { return inner_.volumeLength(); }
        bool readVolume(void* out, uint32_t count) override { return count == 4 && inner_.readVolume(out, count); }
        void closeVolume() override { inner_.closeVolume(); }

    private:
        FakeHost& inner_;
    };
    FakeHost inner;
    inner.disk = volumesOf(b);
    ShortReads host(inner);
    DataRegion region;
    EXPECT_EQ(assemble(b, host, region), 50);
}

TEST_F(DataRegionTest, DataInTheFileIsReadOnlyUpToItsLength) {
    Built b = installerWith(threeFiles(), true, true);
    Bytes padded = b.file;
    padded.resize(padded.size() + 0x1FF, 0);  // alignment padding after the data
    MemoryFile file(padded);
    FakeHost host;
    DataRegion region;
    ASSERT_EQ(assemble(b, host, region, &file), 0);
    expectCatalogue(region, b);
    releaseDataRegion(region);

    file.readableUpTo = b.file.size() - 1;
    EXPECT_EQ(assemble(b, host, region, &file), DataRegionReadFailed);
    MemoryFile cutBeforeData(Bytes(b.file.begin(), b.file.begin() + kSectionOffset + b.header.dataStart - 1));
    EXPECT_EQ(assemble(b, host, region, &cutBeforeData), DataRegionReadFailed);
}

TEST_F(DataRegionTest, EmptyRegionIsNeitherUnpackedNorAskedFor) {
    Built b = installerWith({}, true, false, 10);
    EXPECT_EQ(b.header.dataLength, 0);
    EXPECT_TRUE(b.parts.volumes.empty());
    FakeHost host;
    DataRegion region;
    ASSERT_EQ(assemble(b, host, region), 0);
    EXPECT_EQ(region.size, 0);
    EXPECT_EQ(host.statuses, (std::vector<std::pair<int, int>>{{62, 36}}));
    releaseDataRegion(region);
}

}  // namespace
