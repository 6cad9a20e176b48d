// Structure of the finished stubs in dist/: the right PE kind for each
// architecture, a GUI program, no payload section, and enough sections that
// an installer made from it passes the section-count check. Prints the sizes.
#include <gtest/gtest.h>

#include <string.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "core/bytes.h"
#include "payload/pe_section.h"

namespace {

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct StubKind {
    const char* file;
    uint32_t machine;
    uint32_t optionalMagic;
};

class StubStructure : public ::testing::TestWithParam<StubKind> {};

TEST_P(StubStructure, IsAStrippedGuiProgramWithoutPayload) {
    const StubKind& kind = GetParam();
    std::string path = std::string(TAVO_DIST_DIR) + "/" + kind.file;
    std::vector<uint8_t> bytes = readFile(path);
    ASSERT_GT(bytes.size(), 0x200u) << path;
    std::cout << "stub size: " << kind.file << " " << bytes.size() << " bytes\n";

    uint32_t pe = readLE32(&bytes[0x3C]);
    ASSERT_LT(pe + 0x60, bytes.size());
    EXPECT_EQ(memcmp(&bytes[pe], "PE\0\0", 4), 0);
    EXPECT_EQ(readLE16(&bytes[pe + 4]), kind.machine);
    EXPECT_EQ(readLE16(&bytes[pe + 24]), kind.optionalMagic);
    EXPECT_EQ(readLE16(&bytes[pe + 24 + 68]), 2u) << "subsystem should be the Windows GUI";
    EXPECT_EQ(readLE32(&bytes[pe + 12]), 0u) << "the symbol table should be stripped";
    EXPECT_EQ(readLE32(&bytes[pe + 16]), 0u) << "the symbol table should be stripped";

    BufferBytes file(bytes.data(), (uint32_t)bytes.size());
    PayloadSection section;
    EXPECT_EQ(findPayloadSection(file, section), SectionMissing);
}

INSTANTIATE_TEST_SUITE_P(Dist, StubStructure,
                         ::testing::Values(StubKind{"tavo-stub-x86.exe", 0x14C, 0x10B},
                                           StubKind{"tavo-stub-x64.exe", 0x8664, 0x20B}),
                         [](const auto& info) { return info.param.machine == 0x14C ? "x86" : "x64"; });

}  // namespace
