// The unpacker on arbitrary blocks, and packer-unpacker round trips.
// First input byte: bit 0 chooses a round trip of the rest, packed at the
// level its bits 1 to 3 choose (every level writes the same format); otherwise the
// rest is a block, with the magic written over its start when bit 1 is set
// (so that the stream behind it gets explored).
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "builder/pack.h"
#include "core/bytes.h"
#include "core/string.h"
#include "payload/unpack.h"

namespace {

// Declared sizes are kept below this so that a run is not spent allocating
// and filling large buffers (at a megabyte the target managed a few hundred
// runs a second); the size checks work the same at any size.
constexpr uint32_t kLargestDeclared = 1u << 16;

// Unpacks a malloc'ed copy of exactly `size` bytes (so that reading past the
// block is caught) through both entry points, which must agree.
bool unpackCopy(const uint8_t* block, size_t size, std::vector<uint8_t>* result) {
    uint8_t* buffer = (uint8_t*)malloc(size ? size : 1);
    if (size) memcpy(buffer, block, size);
    int32_t n = (int32_t)size;
    uint8_t* before = buffer;
    bool ok = Unpack(buffer, n);
    if (!ok && (buffer != before || n != (int32_t)size)) abort();
    if (ok && result) result->assign(buffer, buffer + n);

    String s((const char*)block, (int32_t)size);
    bool okString = UnpackInPlace(s);
    if (okString != ok) abort();
    if (ok && (s.length() != n || (n && memcmp(s.text(), buffer, (size_t)n) != 0))) abort();
    if (!ok && (s.length() != (int32_t)size || (size && memcmp(s.text(), block, size) != 0))) abort();
    free(buffer);
    return ok;
}

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

// The packed block unpacks to the input. One byte short it fails; declaring
// one byte more fails (the padding cannot hold a token); declaring one byte
// less succeeds only when a prefix of the tokens gives exactly that many.
void roundTrip(const uint8_t* data, size_t size, int level) {
    std::vector<uint8_t> block = pack(data, size, level);
    std::vector<uint8_t> out;
    if (!unpackCopy(block.data(), block.size(), &out)) abort();
    if (out.size() != size || (size && memcmp(out.data(), data, size) != 0)) abort();
    if (unpackCopy(block.data(), block.size() - 1, nullptr)) abort();

    std::vector<uint8_t> changed = block;
    writeLE32(changed.data() + 4, (uint32_t)size + 1);
    if (unpackCopy(changed.data(), changed.size(), nullptr)) abort();
    writeLE32(changed.data() + 4, (uint32_t)size - 1);
    out.clear();
    if (unpackCopy(changed.data(), changed.size(), &out) &&
        (out.size() != size - 1 || (!out.empty() && memcmp(out.data(), data, out.size()) != 0)))
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    if (mode & 1)
        roundTrip(data + 1, size - 1, kPackMinLevel + (mode >> 1 & 7) % (kPackMaxLevel - kPackMinLevel + 1));
    else
        unpackBlock(data + 1, size - 1, (mode & 2) != 0);
    return 0;
}
