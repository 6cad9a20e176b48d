#include "boot/lzma_decode.h"

namespace {

constexpr int kStates = 12;
constexpr int kPositionStatesMax = 16;
constexpr uint16_t kProbabilityHalf = 1 << 10;
constexpr uint32_t kEndMarker = 0xFFFFFFFF;

// Where each model starts in the probability array.
enum : uint32_t {
    kIsMatch = 0,
    kIsRep = kIsMatch + kStates * kPositionStatesMax,
    kIsRepG0 = kIsRep + kStates,
    kIsRepG1 = kIsRepG0 + kStates,
    kIsRepG2 = kIsRepG1 + kStates,
    kIsRep0Long = kIsRepG2 + kStates,
    kDistanceSlot = kIsRep0Long + kStates * kPositionStatesMax,  // 4 trees of 6 bits
    kDistanceSpecial = kDistanceSlot + 4 * 64,                   // slots 4 to 13
    kAlign = kDistanceSpecial + 115,                             // low 4 bits of far ones
    kMatchLength = kAlign + 16,
    kRepLength = kMatchLength + 514,
    kLiteral = kRepLength + 514,
};
// A length model: two choices, then a 3-bit tree per position state for
// 2 to 9, another for 10 to 17, and one 8-bit tree for 18 to 273.
enum : uint32_t { kChoice = 0, kChoice2 = 1, kLow = 2, kMid = kLow + 16 * 8, kHigh = kMid + 16 * 8 };

struct RangeDecoder {
    const uint8_t* in;
    const uint8_t* end;
    uint32_t range, code;
    bool overrun;

    // Past the end the stream reads as zeros and is marked as overrun; the
    // caller's loop ends anyway, since every step writes at least one byte.
    uint8_t next() {
        if (in == end) {
            overrun = true;
            return 0;
        }
        return *in++;
    }
    void normalise() {
        if (range < (1u << 24)) {
            range <<= 8;
            code = code << 8 | next();
        }
    }
    unsigned bit(uint16_t& p) {
        uint32_t bound = (range >> 11) * p;
        unsigned b;
        if (code < bound) {
            range = bound;
            p += (2048 - p) >> 5;
            b = 0;
        } else {
            range -= bound;
            code -= bound;
            p -= p >> 5;
            b = 1;
        }
        normalise();
        return b;
    }
    uint32_t tree(uint16_t* p, int bits) {
        uint32_t m = 1;
        for (int i = 0; i < bits; ++i) m = m << 1 | bit(p[m]);
        return m - (1u << bits);
    }
    uint32_t reverseTree(uint16_t* p, int bits) {
        uint32_t m = 1, symbol = 0;
        for (int i = 0; i < bits; ++i) {
            unsigned b = bit(p[m]);
            m = m << 1 | b;
            symbol |= b << i;
        }
        return symbol;
    }
    uint32_t direct(int bits) {
        uint32_t result = 0;
        while (bits--) {
            range >>= 1;
            uint32_t take = code >= range;
            if (take) code -= range;
            result = result << 1 | take;
            normalise();
        }
        return result;
    }
    uint32_t length(uint16_t* p, uint32_t positionState) {
        if (!bit(p[kChoice])) return tree(p + kLow + positionState * 8, 3);
        if (!bit(p[kChoice2])) return 8 + tree(p + kMid + positionState * 8, 3);
        return 16 + tree(p + kHigh, 8);
    }
    // The distance minus one of a match of `length` (0 for the shortest).
    uint32_t distance(uint16_t* p, uint32_t length) {
        uint32_t slot = tree(p + kDistanceSlot + (length < 3 ? length : 3) * 64, 6);
        if (slot < 4) return slot;
        int bits = (slot >> 1) - 1;
        uint32_t base = (2 | (slot & 1)) << bits;
        if (slot < 14) return base + reverseTree(p + kDistanceSpecial + base - slot, bits);
        return base + (direct(bits - 4) << 4) + reverseTree(p + kAlign, 4);
    }
};

}  // namespace

uint32_t LzmaProbabilityCount(uint8_t properties) {
    if (properties >= 9 * 5 * 5) return 0;
    uint32_t lc = properties % 9, lp = properties / 9 % 5;
    return kLiteral + (0x300u << (lc + lp));
}

// Invariants of the loop: pos <= outSize; every distance used is below pos, so
// a copy reads only bytes already written; a length is checked against the
// room left before the copy.
bool LzmaDecode(const uint8_t* in, uint32_t inSize, uint8_t properties, uint8_t* out, uint32_t outSize,
                uint16_t* p) {
    uint32_t count = LzmaProbabilityCount(properties);
    if (!count || inSize < 5 || in[0] != 0) return false;
    for (uint32_t i = 0; i < count; ++i) p[i] = kProbabilityHalf;
    uint32_t lc = properties % 9, lpMask = (1u << properties / 9 % 5) - 1,
             pbMask = (1u << properties / 45) - 1;

    RangeDecoder rc{in + 1, in + inSize, 0xFFFFFFFF, 0, false};
    for (int i = 0; i < 4; ++i) rc.code = rc.code << 8 | rc.next();
    if (rc.code == rc.range) return false;

    uint32_t pos = 0, state = 0, rep0 = 0, rep1 = 0, rep2 = 0, rep3 = 0;
    while (pos < outSize) {
        uint32_t positionState = pos & pbMask;
        if (!rc.bit(p[kIsMatch + state * kPositionStatesMax + positionState])) {
            uint32_t previous = pos ? out[pos - 1] : 0;
            uint16_t* lit = p + kLiteral + 0x300 * (((pos & lpMask) << lc) + (previous >> (8 - lc)));
            uint32_t symbol = 1;
            if (state >= 7) {  // after a match the byte it would have continued with guides the coding
                uint32_t match = out[pos - rep0 - 1];
                do {
                    uint32_t matchBit = match >> 7 & 1;
                    match <<= 1;
                    unsigned b = rc.bit(lit[((1 + matchBit) << 8) + symbol]);
                    symbol = symbol << 1 | b;
                    if (matchBit != b) break;
                } while (symbol < 0x100);
            }
            while (symbol < 0x100) symbol = symbol << 1 | rc.bit(lit[symbol]);
            out[pos++] = (uint8_t)symbol;
            state = state < 4 ? 0 : state < 10 ? state - 3 : state - 6;
            continue;
        }
        uint32_t length;
        if (rc.bit(p[kIsRep + state])) {
            if (pos == 0) return false;
            if (!rc.bit(p[kIsRepG0 + state])) {
                if (!rc.bit(p[kIsRep0Long + state * kPositionStatesMax + positionState])) {
                    state = state < 7 ? 9 : 11;
                    out[pos] = out[pos - rep0 - 1];
                    ++pos;
                    continue;
                }
            } else {
                uint32_t d;
                if (!rc.bit(p[kIsRepG1 + state])) {
                    d = rep1;
                } else {
                    if (!rc.bit(p[kIsRepG2 + state])) {
                        d = rep2;
                    } else {
                        d = rep3;
                        rep3 = rep2;
                    }
                    rep2 = rep1;
                }
                rep1 = rep0;
                rep0 = d;
            }
            length = rc.length(p + kRepLength, positionState);
            state = state < 7 ? 8 : 11;
        } else {
            rep3 = rep2;
            rep2 = rep1;
            rep1 = rep0;
            length = rc.length(p + kMatchLength, positionState);
            state = state < 7 ? 7 : 10;
            rep0 = rc.distance(p, length);
            if (rep0 == kEndMarker) return false;  // the marker before the last byte
            if (rep0 >= pos) return false;
        }
        length += 2;
        if (length > outSize - pos) return false;
        for (; length; --length, ++pos) out[pos] = out[pos - rep0 - 1];
    }
    return !rc.overrun;
}
