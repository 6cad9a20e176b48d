// Packed blocks: an 8-byte prefix (magic 0x9EC72BA1, signed unpacked size)
// followed by an LSB-first bit stream of literal runs, byte runs and
// non-overlapping back-references. The stub only unpacks; the builder packs
// (builder/pack.h).
#pragma once
#include <stdint.h>

class String;

static constexpr uint32_t PackedBlockMagic = 0x9EC72BA1;
static constexpr int32_t PackedBlockPrefixSize = 8;

// Unpacks the `size` bytes at `block`.
// Success: `block` points to a new malloc'ed buffer holding exactly the
// unpacked bytes (never null, also for an empty result; free with free()),
// `size` is the unpacked size, and the old packed buffer has been freed with
// free() -- so it must have come from malloc. The caller owns the new buffer.
// Failure (null block, short or bad prefix, negative size, a field that runs
// past the block, a bad back-reference, output that does not come to exactly
// the declared size, or not enough memory for it): returns false and leaves
// `block`, `size` and the packed buffer as they were. Never reads outside the
// block and never shows a message.
bool Unpack(uint8_t*& block, int32_t& size);

// The same without touching the packed block, which may be read-only (the
// mapped section): on success `out` is a new malloc'ed buffer (never null)
// holding the `outSize` unpacked bytes; on failure both are left as they were.
bool UnpackToNewBuffer(const uint8_t* block, int32_t size, uint8_t*& out, int32_t& outSize);

// Unpacks the string's bytes; on success the string holds the unpacked bytes
// instead, on failure it is left as it was.
bool UnpackInPlace(String& s);
