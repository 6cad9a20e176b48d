#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/payload_writer.h"
#include "core/bytes.h"
#include "core/checksum.h"
#include "payload/file_entry.h"
#include "payload_test_support.h"

namespace {

using payload_test::fileWithBody;

std::string str(const String& s) { return std::string(s.text(), (size_t)s.length()); }

std::vector<build::FileEntry> sampleFiles() {
    build::FileEntry plain = fileWithBody("readme.txt", {'h', 'i', '\n'});
    plain.kind = 2;
    plain.attributes = 0x21;
    plain.modified = {2004, 12, 31, 23, 59, 58};
    build::FileEntry linked = fileWithBody("app.exe", payload_test::patternBytes(1000, 3));
    linked.flags = 0x1 | 0x2 | 0x40;
    linked.shortcutIcon = "app.ico";
    linked.shortcutArguments = "/quiet";
    build::FileEntry empty = fileWithBody("empty.dat", {});
    empty.kind = 5;
    return {plain, linked, empty};
}

TEST(FileEntryTest, ReadsTheCatalogueTheWriterWrote) {
    std::vector<build::FileEntry> files = sampleFiles();
    std::vector<uint8_t> region = build::writeFileCatalogue(files);
    MemoryStream in(region.data(), (uint32_t)region.size());
    for (const build::FileEntry& f : files) {
        FileEntry e;
        ASSERT_EQ(readFileEntry(in, (int32_t)f.body.size(), e), 0) << f.name;
        EXPECT_EQ(str(e.name), f.name);
        EXPECT_EQ(e.kind, f.kind);
        EXPECT_EQ(e.flags, f.flags);
        EXPECT_EQ(e.attributes, f.attributes);
        ASSERT_EQ(e.size, (int32_t)f.body.size());
        EXPECT_EQ(std::vector<uint8_t>(e.body, e.body + e.size), f.body);
        EXPECT_TRUE(e.body >= region.data() && e.body + e.size <= region.data() + region.size());
        EXPECT_EQ(e.modified.year, f.modified.year);
        EXPECT_EQ(e.modified.month, f.modified.month);
        EXPECT_EQ(e.modified.hour, f.modified.hour);
        EXPECT_EQ(e.modified.second, f.modified.second);
        EXPECT_EQ(str(e.firstText), f.firstText);
        EXPECT_EQ(str(e.shortcutIcon), (f.flags & 3) ? f.shortcutIcon : "");
        EXPECT_EQ(str(e.shortcutArguments), f.shortcutArguments);
        EXPECT_EQ(str(e.destination), f.destination);
    }
    EXPECT_TRUE(in.atEnd());
}

TEST(FileEntryTest, EachCheckHasItsCode) {
    build::FileEntry f = fileWithBody("a.txt", {1, 2, 3, 4, 5});
    std::vector<uint8_t> valid = build::writeFileCatalogue({f});
    size_t checksumAt = 6 + 12 + 5;
    struct Case {
        const char* what;
        std::vector<uint8_t> region;
        int32_t size;
        int expected;
    } cases[] = {
        {"valid", valid, 5, 0},
        {"empty name", build::writeFileCatalogue({fileWithBody("", {1})}), 1, 70},
        {"empty region", {}, 5, 70},
        {"negative size", valid, -1, 71},
        {"size above 0x40000000", valid, 0x40000001, 72},
        {"size 0x40000000 past the region", valid, 0x40000000, 100},
        {"size one more than stored", valid, 6, 100},
        {"size one less than stored", valid, 4, 100},
        {"checksum off by one", valid, 5, 100},
    };
    writeLE32(&cases[8].region[checksumAt], readLE32(&valid[checksumAt]) + 1);
    for (Case& c : cases) {
        MemoryStream in(c.region.data(), (uint32_t)c.region.size());
        FileEntry e;
        EXPECT_EQ(readFileEntry(in, c.size, e), c.expected) << c.what;
    }
}

// A region that ends inside an entry is reported, never read past.
TEST(FileEntryTest, EveryCutThroughAnEntryIsReported) {
    std::vector<build::FileEntry> files = sampleFiles();
    std::vector<uint8_t> region = build::writeFileCatalogue({files[1]});
    for (size_t cut = 0; cut < region.size(); ++cut) {
        std::vector<uint8_t> shorter(region.begin(), region.begin() + cut);
        MemoryStream in(shorter.data(), (uint32_t)shorter.size());
        FileEntry e;
        int code = readFileEntry(in, (int32_t)files[1].body.size(), e);
        EXPECT_EQ(code, cut == 0 ? 70 : 100) << "cut at " << cut;
    }
}

}  // namespace
