#include "core/long_division.h"

uint64_t divideUnsigned64(uint64_t dividend, uint64_t divisor, uint64_t& remainder) {
    if ((dividend >> 32) == 0 && (divisor >> 32) == 0) {
        uint32_t n = uint32_t(dividend), d = uint32_t(divisor);
        remainder = n % d;
        return n / d;
    }
    // Shift and subtract, one quotient bit at a time. The partial remainder
    // stays below the divisor, so shifting it can carry out of 64 bits only
    // when the divisor is above 2^63; the carried value then exceeds it.
    uint64_t quotient = 0, partial = 0;
    for (int bit = 63; bit >= 0; --bit) {
        bool carry = (partial >> 63) != 0;
        partial = (partial << 1) | ((dividend >> bit) & 1);
        if (carry || partial >= divisor) {
            partial -= divisor;
            quotient |= uint64_t(1) << bit;
        }
    }
    remainder = partial;
    return quotient;
}

int64_t divideSigned64(int64_t dividend, int64_t divisor, int64_t& remainder) {
    uint64_t n = dividend < 0 ? 0 - uint64_t(dividend) : uint64_t(dividend);
    uint64_t d = divisor < 0 ? 0 - uint64_t(divisor) : uint64_t(divisor);
    uint64_t r;
    uint64_t q = divideUnsigned64(n, d, r);
    remainder = dividend < 0 ? int64_t(0 - r) : int64_t(r);
    return (dividend < 0) != (divisor < 0) ? int64_t(0 - q) : int64_t(q);
}
