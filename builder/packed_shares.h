// How much of a packed block each part of its unpacked bytes takes up: the
// bits of every token are shared out over the unpacked bytes it produces,
// so that `inspect` can give a stored size per file of one packed region.
// The token layout is that of builder/pack.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace build {

// `ends` are the ascending ends of consecutive ranges of the unpacked bytes,
// the first range starting at 0 and the last ending at the unpacked size.
// Returns the stored bytes of each range (the token bits it produced, in
// bytes; the 8-byte prefix and the last byte's padding are not counted), or
// nullopt when the block is not a packed block whose tokens come to exactly
// the unpacked size.
std::optional<std::vector<double>> packedBytesPerRange(const uint8_t* block, size_t size,
                                                       const std::vector<uint64_t>& ends);

}  // namespace build
