// The unpacker on arbitrary blocks (round trips through the packer are
// fuzz_pack's). First input byte: when bit 1 is set, the magic is written over
// the start of the rest, so that the stream behind it gets explored; its other
// bits are free (inputs that once chose a round trip still work as blocks).
#include <stdint.h>
#include <stdlib.h>

#include <vector>

#include "core/bytes.h"
#include "payload/unpack.h"
#include "tests/fuzz/unpack_copy.h"

namespace {

// Declared sizes are kept below this so that a run is not spent allocating
// and filling large buffers; the size checks work the same at any size.
constexpr uint32_t kLargestDeclared = 1u << 16;

void unpackBlock(const uint8_t* data, size_t size, bool fixMagic) {
    std::vector<uint8_t> block(data, data + size);
    if (block.empty()) block.reserve(1);  // data() is then never null
    if (fixMagic && block.size() >= 4) writeLE32(block.data(), PackedBlockMagic);
    if (block.size() >= 8 && readLE32(block.data()) == PackedBlockMagic) {
        uint32_t declared = readLE32(block.data() + 4);
        if (declared < 0x80000000u && declared > kLargestDeclared)
            writeLE32(block.data() + 4, declared % kLargestDeclared);
    }
    std::vector<uint8_t> out;
    if (unpackCopy(block.data(), block.size(), &out) && out.size() != readLE32(block.data() + 4)) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    unpackBlock(data + 1, size - 1, (data[0] & 2) != 0);
    return 0;
}
