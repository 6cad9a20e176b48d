// The packed-block unpacker. Layout of the bit stream (LSB first, from bit 64):
//   0  n=G(2,2)                 literal run: the next n + 1 bytes (8-bit fields)
//   11 b=8 bits, n=G(1,1)       byte run: b repeated n + 3 times
//   10 l=G(2,1), d=G(12,2)      back-reference: l + 4 bytes from d + 4 back
// G(base, step): k 1-bits, a 0-bit, then a field of min(base + k*step, 32) bits.
#include "payload/unpack.h"

#include <stdlib.h>
#include <string.h>

#include "core/bytes.h"
#include "core/string.h"

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the bit reader loads little-endian words directly"
#endif

// The stub is built for size; the few helpers of the token loop are forced
// inline, since a call per field costs the loop about a fifth of its speed.
#define UNPACK_INLINE inline __attribute__((always_inline))

namespace {

enum TokenKind : uint32_t { LiteralRun, ByteRun, BackReference };

UNPACK_INLINE uint64_t load64(const uint8_t* p) {
    uint64_t v;
    memcpy(&v, p, 8);
    return v;
}

UNPACK_INLINE void store64(uint8_t* p, uint64_t v) { memcpy(p, &v, 8); }

// v != 0. Two 32-bit halves on the 32-bit stub, which has no 64-bit bit
// scan and would otherwise call into libgcc.
UNPACK_INLINE uint32_t countTrailingZeros(uint64_t v) {
#if UINTPTR_MAX > 0xFFFFFFFFu
    return (uint32_t)__builtin_ctzll(v);
#else
    uint32_t low = (uint32_t)v;
    return low ? (uint32_t)__builtin_ctz(low) : 32 + (uint32_t)__builtin_ctz((uint32_t)(v >> 32));
#endif
}

UNPACK_INLINE uint64_t lowBits(uint64_t v, uint32_t width) {  // width <= 32
    return v & (((uint64_t)1 << width) - 1);
}

// Width of the field of G after k leading 1-bits. k is saturated by the
// callers at 64, so the product cannot overflow.
UNPACK_INLINE uint32_t fieldWidth(uint32_t base, uint32_t step, uint32_t k) {
    uint32_t width = base + k * step;
    return width > 32 ? 32 : width;
}

// A bit position: bit `bit` (0..7) of byte `ip`. Invariant: it never passes
// the end of the stream, so ip < end, or ip == end and bit == 0.
struct BitCursor {
    const uint8_t* ip;
    uint32_t bit;
    const uint8_t* end;
};

// The next bits from the cursor, first bit in bit 0, and in `avail` how many
// of them lie inside the stream; the bits above those are zero.
uint64_t peekBits(const BitCursor& c, uint32_t& avail) {
    size_t left = (size_t)(c.end - c.ip);
    uint64_t w = 0;
    if (left >= 8) {
        w = load64(c.ip);
        avail = 64 - c.bit;
    } else {
        for (size_t i = 0; i < left; ++i) w |= (uint64_t)c.ip[i] << (8 * i);
        avail = (uint32_t)(8 * left) - c.bit;
    }
    return w >> c.bit;
}

inline void skipBits(BitCursor& c, uint32_t n) {
    uint32_t bits = c.bit + n;
    c.ip += bits >> 3;
    c.bit = bits & 7;
}

bool readField(BitCursor& c, uint32_t width, uint32_t& value) {
    uint32_t avail;
    uint64_t w = peekBits(c, avail);
    if (width > avail) return false;
    value = (uint32_t)lowBits(w, width);
    skipBits(c, width);
    return true;
}

// G with every bit checked against the end of the stream; the count of 1-bits
// may be any length, up to the whole stream.
bool readNumber(BitCursor& c, uint32_t base, uint32_t step, uint32_t& value) {
    uint32_t avail;
    uint64_t w = peekBits(c, avail);
    if (avail < 2) return false;
    uint32_t k = 0;
    while (avail > 0) {
        // Bits at and above `avail` are zero, so `ones` never exceeds it.
        uint32_t ones = ~w == 0 ? 64 : countTrailingZeros(~w);
        k = k + ones > 64 ? 64 : k + ones;
        if (ones < avail) {
            skipBits(c, ones + 1);
            break;
        }
        skipBits(c, avail);
        w = peekBits(c, avail);
    }
    // The end of the stream also ends the count; the field then fails below
    // unless it is empty.
    return readField(c, fieldWidth(base, step, k), value);
}

// Reads one token's fields, every one checked; for the tail of the stream and
// for tokens too long for the fast decoder. `x` is the count field (n or l),
// `y` the byte of a byte run or the distance field d.
bool readTokenCarefully(BitCursor& c, uint32_t& kind, uint32_t& x, uint32_t& y) {
    uint32_t first;
    if (!readField(c, 1, first)) return false;
    if (first == 0) {
        kind = LiteralRun;
        return readNumber(c, 2, 2, x);
    }
    uint32_t second;
    if (!readField(c, 1, second)) return false;
    if (second) {
        kind = ByteRun;
        return readField(c, 8, y) && readNumber(c, 1, 1, x);
    }
    kind = BackReference;
    return readNumber(c, 2, 1, x) && readNumber(c, 12, 2, y);
}

// G decoded from a word already in a register. `used` bits of `w` are taken;
// false when the number does not end within the first `avail` bits (then
// nothing is taken and the token is read carefully instead). base >= 1, and
// avail <= 63 keeps every shift below 64.
UNPACK_INLINE bool takeNumber(uint64_t w, uint32_t& used, uint32_t avail, uint32_t base, uint32_t step,
                       uint32_t& value) {
    uint64_t rest = w >> used;
    uint32_t k = countTrailingZeros(~rest | ((uint64_t)1 << 63));
    uint32_t width = fieldWidth(base, step, k);
    uint32_t next = used + k + 1 + width;
    if (next > avail) return false;
    value = (uint32_t)lowBits(rest >> (k + 1), width);
    used = next;
    return true;
}

// Copies `count` bytes that start `bit` (1..7) bits into `ip`. The caller has
// checked that ip[count] exists (the last byte's high bits lie there).
void copyUnalignedBytes(uint8_t* op, const uint8_t* ip, size_t count, uint32_t bit) {
    size_t i = 0;
    for (; i + 8 <= count; i += 8)
        store64(op + i, (load64(ip + i) >> bit) | ((uint64_t)ip[i + 8] << (64 - bit)));
    for (; i < count; ++i) op[i] = (uint8_t)((ip[i] >> bit) | (ip[i + 1] << (8 - bit)));
}

// The same by whole words, for the common case away from both ends: writes up
// to 7 bytes past op + count (the caller has room for 8) and reads up to
// ip[count + 7]. Those extra bytes are overwritten by the tokens that follow.
// bit is 0..7: the word one byte on, shifted left by 8 - bit, holds the same
// stream bits at the same places and adds the top `bit` bits.
UNPACK_INLINE void copyWordsAhead(uint8_t* op, const uint8_t* ip, size_t count, uint32_t bit) {
    size_t i = 0;
    do {
        store64(op + i, (load64(ip + i) >> bit) | (load64(ip + i + 1) << (8 - bit)));
        i += 8;
    } while (i < count);
}

// memset by whole words: writes up to 7 bytes past op + count.
UNPACK_INLINE void fillWordsAhead(uint8_t* op, uint8_t byte, size_t count) {
    const uint64_t word = byte * 0x0101010101010101ull;
    size_t i = 0;
    do {
        store64(op + i, word);
        i += 8;
    } while (i < count);
}

UNPACK_INLINE void copy16(uint8_t* to, const uint8_t* from) {
    uint8_t chunk[16];
    memcpy(chunk, from, 16);
    memcpy(to, chunk, 16);
}

// Unpacks the stream of a block whose prefix has been checked into `out`,
// which holds exactly `outSize` (>= 1) bytes. True only when the tokens fill
// it exactly.
//
// Invariants of the loop: out <= op < oend; the bit position (ip, bit) lies
// within the stream. Each token is decoded from one 64-bit load while at least
// 8 bytes remain (the load stays inside the block) and the token fits in it;
// otherwise, and always near the end, field by field with bounds checks.
// Every count is checked against the room left before anything is written.
bool unpackStream(const uint8_t* block, int32_t size, uint8_t* out, int32_t outSize) {
    const uint8_t* const iend = block + size;
    const uint8_t* const fastLast = iend - 8;  // size >= 8
    const uint8_t* ip = block + PackedBlockPrefixSize;
    uint32_t bit = 0;
    uint8_t* op = out;
    uint8_t* const oend = out + outSize;

    while (op < oend) {
        uint32_t kind = LiteralRun;
        uint32_t x = 0;
        uint32_t y = 0;
        bool decoded = false;
        if (ip <= fastLast) {
            const uint64_t w = load64(ip) >> bit;
            const uint32_t avail = 63 - bit;  // real bits: 64 - bit
            uint32_t used;
            if (!(w & 1)) {
                kind = LiteralRun;
                used = 1;
                decoded = takeNumber(w, used, avail, 2, 2, x);
            } else if (w & 2) {
                kind = ByteRun;
                y = (uint32_t)(w >> 2) & 0xFF;
                used = 10;
                decoded = takeNumber(w, used, avail, 1, 1, x);
            } else {
                kind = BackReference;
                used = 2;
                decoded = takeNumber(w, used, avail, 2, 1, x) && takeNumber(w, used, avail, 12, 2, y);
            }
            if (decoded) {
                bit += used;
                ip += bit >> 3;
                bit &= 7;
            }
        }
        if (!decoded) {
            BitCursor c = {ip, bit, iend};
            if (!readTokenCarefully(c, kind, x, y)) return false;
            ip = c.ip;
            bit = c.bit;
        }

        // room >= 1; counts are compared before the small constants are added,
        // so a 32-bit field cannot wrap.
        const size_t room = (size_t)(oend - op);
        if (kind == LiteralRun) {
            if (x >= room) return false;
            const size_t count = (size_t)x + 1;
            // The bytes' last bit must lie inside the stream: with bit > 0 they
            // reach into the byte after the count-th.
            const size_t left = (size_t)(iend - ip);
            if (left < count || (bit != 0 && left == count)) return false;
            if (left >= count + 8 && room >= count + 8)
                copyWordsAhead(op, ip, count, bit);
            else if (bit == 0)
                memcpy(op, ip, count);
            else
                copyUnalignedBytes(op, ip, count, bit);
            ip += count;
            op += count;
        } else if (kind == ByteRun) {
            if (room < 3 || x > room - 3) return false;
            const size_t count = (size_t)x + 3;
            if (room >= count + 8)
                fillWordsAhead(op, (uint8_t)y, count);
            else
                memset(op, (int)y, count);
            op += count;
        } else {
            if (room < 4 || x > room - 4) return false;
            const size_t written = (size_t)(op - out);
            // No overlap: length <= distance <= written.
            if (x > y || written < 4 || y > written - 4) return false;
            const size_t length = (size_t)x + 4;
            const uint8_t* from = op - ((size_t)y + 4);
            if (room >= length + 16) {
                // Copies up to 15 bytes too many, inside the buffer. Every source
                // byte that lands below op + length lies below op (length <=
                // distance), so it is final before the copy starts.
                uint8_t* to = op;
                uint8_t* const stop = op + length;
                do {
                    copy16(to, from);
                    to += 16;
                    from += 16;
                } while (to < stop);
            } else {
                memcpy(op, from, length);
            }
            op += length;
        }
    }
    return true;
}

// The checked prefix: the unpacked size, which is never negative.
bool readPrefix(const uint8_t* block, int32_t size, int32_t& unpackedSize) {
    if (!block || size < PackedBlockPrefixSize) return false;
    if (readLE32(block) != PackedBlockMagic) return false;
    int32_t declared = (int32_t)readLE32(block + 4);
    if (declared < 0) return false;
    unpackedSize = declared;
    return true;
}

}  // namespace

bool UnpackToNewBuffer(const uint8_t* block, int32_t size, uint8_t*& out, int32_t& outSize) {
    int32_t declared;
    if (!readPrefix(block, size, declared)) return false;
    uint8_t* buffer = (uint8_t*)malloc(declared > 0 ? (size_t)declared : 1);
    if (!buffer) return false;
    if (declared > 0 && !unpackStream(block, size, buffer, declared)) {
        free(buffer);
        return false;
    }
    out = buffer;
    outSize = declared;
    return true;
}

bool Unpack(uint8_t*& block, int32_t& size) {
    uint8_t* out;
    int32_t outSize;
    if (!UnpackToNewBuffer(block, size, out, outSize)) return false;
    free(block);
    block = out;
    size = outSize;
    return true;
}

bool UnpackInPlace(String& s) {
    const uint8_t* block = (const uint8_t*)s.buffer();
    int32_t outSize;
    if (!readPrefix(block, s.length(), outSize)) return false;
    String out;
    if (!out.tryResize(outSize)) return false;
    if (outSize > 0 && !unpackStream(block, s.length(), (uint8_t*)out.buffer(), outSize)) return false;
    s = static_cast<String&&>(out);
    return true;
}
