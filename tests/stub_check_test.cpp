// Structure of the finished stubs in dist/: the right PE kind for each
// architecture, a GUI program, no payload section, and enough sections that
// an installer made from it passes the section-count check. Prints the sizes.
// And the linked stubs' boot code reaches nothing that is packed.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
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

struct Span {
    uint64_t start, end;
    bool holds(uint64_t a) const { return a >= start && a < end; }
};

// Until it has restored the image, the boot may read or run only its own
// section and the import address table the loader filled: no constant data,
// no helper in the packed code. The one way out is the stub's entry, called
// when all is restored. Checked on the disassembly of the linked stub.
TEST_P(StubStructure, BootReachesOnlyItsSectionAndTheImports) {
    const StubKind& kind = GetParam();
    std::string path = std::string(TAVO_DIST_DIR) + "/linked/" + kind.file;
    std::vector<uint8_t> bytes = readFile(path);
    ASSERT_GT(bytes.size(), 0x200u) << path;
    uint32_t pe = readLE32(&bytes[0x3C]), optional = pe + 24;
    bool plus = kind.optionalMagic == 0x20B;
    uint64_t base = plus ? readLE64(&bytes[optional + 24]) : readLE32(&bytes[optional + 28]);
    uint32_t directories = optional + (plus ? 112 : 96);
    Span table{base + readLE32(&bytes[directories + 8 * 12]),
               base + readLE32(&bytes[directories + 8 * 12]) + readLE32(&bytes[directories + 8 * 12 + 4])};
    Span boot{0, 0}, image{base, base + readLE32(&bytes[optional + 56])};
    uint32_t sections = optional + readLE16(&bytes[pe + 20]);
    for (uint32_t i = 0; i < readLE16(&bytes[pe + 6]); ++i) {
        const uint8_t* e = &bytes[sections + 40 * i];
        if (memcmp(e, ".boot\0", 6) == 0) boot = {base + readLE32(e + 12), base + readLE32(e + 12) + readLE32(e + 8)};
    }
    ASSERT_NE(0u, boot.start) << "no .boot section";
    ASSERT_NE(0u, table.start) << "no import address table";

    std::string command = std::string(plus ? "x86_64" : "i686") +
                          "-w64-mingw32-objdump -d --no-show-raw-insn -j .boot '" + path + "'";
    FILE* listing = popen(command.c_str(), "r");
    ASSERT_NE(nullptr, listing);
    // An address in an operand: not an immediate ($), not the line's own.
    std::regex address("(^|[^$0-9a-fx])0x([0-9a-f]+)");
    std::set<uint64_t> ways_out;
    int instructions = 0;
    char line[512];
    while (fgets(line, sizeof line, listing)) {
        const char* tab = strchr(line, '\t');
        if (!tab || !strchr(line, ':')) continue;
        ++instructions;
        std::string text(tab + 1);
        bool branch = text.rfind("call", 0) == 0 || text[0] == 'j';
        for (std::sregex_iterator m(text.begin(), text.end(), address), end; m != end; ++m) {
            uint64_t a = std::stoull((*m)[2].str(), nullptr, 16);
            if (!image.holds(a) || boot.holds(a) || table.holds(a)) continue;
            if (branch && text.find('*') == std::string::npos)
                ways_out.insert(a);
            else
                ADD_FAILURE() << "the boot reads packed data: " << line;
        }
    }
    pclose(listing);
    EXPECT_GT(instructions, 100);
    EXPECT_EQ(1u, ways_out.size()) << "the boot should leave only for the stub's entry";
}

INSTANTIATE_TEST_SUITE_P(Dist, StubStructure,
                         ::testing::Values(StubKind{"tavo-stub-x86.exe", 0x14C, 0x10B},
                                           StubKind{"tavo-stub-x64.exe", 0x8664, 0x20B}),
                         [](const auto& info) { return info.param.machine == 0x14C ? "x86" : "x64"; });

}  // namespace
