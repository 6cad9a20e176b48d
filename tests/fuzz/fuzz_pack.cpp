// Packer-unpacker round trips at every level (the builder's packer is slow
// under the sanitizers, so it has its own target and the unpacker's runs
// fast). First input byte: bits 1 to 3 choose the level (every level writes
// the same format); the rest is the data.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "builder/pack.h"
#include "core/bytes.h"
#include "tests/fuzz/unpack_copy.h"

namespace {

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
    roundTrip(data + 1, size - 1, kPackMinLevel + (data[0] >> 1 & 7) % (kPackMaxLevel - kPackMinLevel + 1));
    return 0;
}
