// The formatter works on typed arguments and never calls the C library's
// printf: the stub's msvcrt and the host's C library disagree in details, and
// the stub must print what the host tests check.
#include "core/format.h"

#include <string.h>

#include "core/string.h"

FormatArg::FormatArg(const String& v) : kind(Text), bits(0), s(v.text()) {}

namespace {

constexpr int32_t PieceLimit = 128 * 1024;  // one conversion's output is cut here
constexpr int32_t NumberLimit = 1000000;    // widths and precisions stop growing here

constexpr uint32_t LeftAlign = 1, ForceSign = 2, SpaceSign = 4, ZeroPad = 8, Alternate = 16;

struct Spec {
    uint32_t flags = 0;
    int32_t width = 0;
    int32_t precision = -1;  // -1: not given
    char conversion = 0;
};

// The body of one conversion as a few runs of bytes, so that huge widths and
// precisions need no buffer of their size.
struct Body {
    struct Run {
        const char* text;  // null: `count` copies of `fill`
        int32_t count;
        char fill;
    };
    Run runs[12];
    int count = 0;
    int prefixRuns = 0;  // leading runs (sign, "0x") that zero padding follows
    char scratch[8];     // room for an exponent

    void text(const char* t, int32_t n) {
        if (n > 0) {
            runs[count++] = Run{t, n, 0};
        }
    }
    void fill(char c, int32_t n) {
        if (n > 0) {
            runs[count++] = Run{nullptr, n, c};
        }
    }
    void prefix(const char* t) {
        text(t, (int32_t)strlen(t));
        prefixRuns = count;
    }
    int64_t length() const {
        int64_t n = 0;
        for (int i = 0; i < count; ++i) {
            n += runs[i].count;
        }
        return n;
    }
};

// Writes into a reserved stretch of the output, never past its end.
struct Writer {
    char* at;
    int64_t room;

    void put(const Body::Run& run) {
        int64_t n = run.count < room ? run.count : room;
        if (n <= 0) {
            return;
        }
        if (run.text) {
            memcpy(at, run.text, (size_t)n);
        } else {
            memset(at, run.fill, (size_t)n);
        }
        at += n;
        room -= n;
    }
    void put(char c, int64_t n) { put(Body::Run{nullptr, (int32_t)(n < room ? n : room), c}); }
};

void emit(String& out, const Body& body, const Spec& spec, bool zeroPadAllowed) {
    int64_t length = body.length();
    int64_t pad = spec.width > length ? spec.width - length : 0;
    int64_t total = length + pad < PieceLimit ? length + pad : PieceLimit;
    int32_t base = out.length();
    int64_t wanted = base + total;
    out.resize(wanted > String::all ? String::all : (int32_t)wanted);  // too long: out of memory
    if (total == 0) {
        return;
    }
    Writer w{out.buffer() + base, total};
    bool zeros = zeroPadAllowed && (spec.flags & ZeroPad) && !(spec.flags & LeftAlign);
    if (!(spec.flags & LeftAlign) && !zeros) {
        w.put(' ', pad);
    }
    for (int i = 0; i < body.count; ++i) {
        if (zeros && i == body.prefixRuns) {
            w.put('0', pad);
        }
        w.put(body.runs[i]);
    }
    if (zeros && body.count == body.prefixRuns) {
        w.put('0', pad);
    }
    if (spec.flags & LeftAlign) {
        w.put(' ', pad);
    }
}

// ---- argument conversion ---------------------------------------------------

int64_t truncated(double d) {
    if (d != d) {
        return 0;
    }
    if (d >= 9223372036854775808.0) {
        return INT64_MAX;
    }
    if (d <= -9223372036854775808.0) {
        return INT64_MIN;
    }
    return (int64_t)d;
}

// The value as %d sees it: 32-bit arguments show 32 bits.
int64_t signedValue(const FormatArg& a) {
    switch (a.kind) {
    case FormatArg::Signed: return a.bits <= 32 ? (int64_t)(int32_t)a.i : a.i;
    case FormatArg::Unsigned: return a.bits <= 32 ? (int64_t)(int32_t)(uint32_t)a.u : (int64_t)a.u;
    case FormatArg::Character: return a.i;
    case FormatArg::Floating: return truncated(a.d);
    default: return 0;
    }
}

// The value as %u and %x see it: a negative 32-bit argument wraps to 32 bits.
uint64_t unsignedValue(const FormatArg& a) {
    switch (a.kind) {
    case FormatArg::Signed: return a.bits <= 32 ? (uint64_t)(uint32_t)a.i : (uint64_t)a.i;
    case FormatArg::Unsigned: return a.bits <= 32 ? (uint64_t)(uint32_t)a.u : a.u;
    case FormatArg::Character: return (uint64_t)a.i;
    case FormatArg::Floating: return (uint64_t)truncated(a.d);
    case FormatArg::Text: return (uint64_t)(uintptr_t)a.s;  // only %p gets here sensibly
    default: return 0;
    }
}

double floatingValue(const FormatArg& a) {
    switch (a.kind) {
    case FormatArg::Floating: return a.d;
    case FormatArg::Unsigned: return (double)unsignedValue(a);
    case FormatArg::Signed:
    case FormatArg::Character: return (double)signedValue(a);
    default: return 0.0;
    }
}

// ---- integers ------------------------------------------------------------

// Writes the digits of v backwards ending at `end`; returns how many (none for 0).
int32_t digitsOf(uint64_t v, unsigned base, bool upper, char* end) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    int32_t n = 0;
    for (; v != 0; v /= base) {
        *--end = set[v % base];
        ++n;
    }
    return n;
}

void formatInteger(String& out, const Spec& spec, const FormatArg& arg) {
    char c = spec.conversion;
    bool isSigned = c == 'd' || c == 'i';
    bool negative = isSigned && signedValue(arg) < 0;
    uint64_t magnitude = isSigned ? (negative ? 0 - (uint64_t)signedValue(arg) : (uint64_t)signedValue(arg))
                                  : unsignedValue(arg);
    unsigned base = (c == 'x' || c == 'X' || c == 'p') ? 16 : (c == 'o' ? 8 : 10);
    int32_t precision = spec.precision < 0 ? 1 : spec.precision;
    if (c == 'p') {
        int bits = (arg.kind == FormatArg::Signed || arg.kind == FormatArg::Unsigned) && arg.bits ? arg.bits : 8 * (int)sizeof(void*);
        precision = bits / 4;
    }
    char digits[24];
    char* end = digits + sizeof digits;
    int32_t n = digitsOf(magnitude, base, c != 'x', end);
    int32_t zeros = precision > n ? precision - n : 0;
    if ((spec.flags & Alternate) && c == 'o' && zeros == 0 && (n == 0 || end[-n] != '0')) {
        zeros = 1;  // "%#o" always begins with 0
    }
    Body body;
    if (isSigned) {
        body.prefix(negative ? "-" : (spec.flags & ForceSign) ? "+" : (spec.flags & SpaceSign) ? " " : "");
    } else if ((spec.flags & Alternate) && magnitude != 0 && (c == 'x' || c == 'X')) {
        body.prefix(c == 'x' ? "0x" : "0X");
    }
    body.fill('0', zeros);
    body.text(end - n, n);
    emit(out, body, spec, spec.precision < 0 && c != 'p');
}

// ---- floating point --------------------------------------------------------
//
// A double is m × 2^e with integer m, so its decimal expansion is finite: for
// e < 0 it is the digits of m × 5^-e with -e of them after the point. The
// conversion works on that exact expansion and rounds it as decimal text, half
// away from zero, so the result is the same on every machine and never shows
// binary noise ("%.1f" of 11.3 is "11.3").

constexpr int BigWords = 84;      // m × 5^1074 < 2^2547
constexpr int DecimalDigits = 800;  // and has at most 767 digits

// value = 0.digits × 10^point; no trailing zeros; zero has length 0.
struct Decimal {
    char digits[DecimalDigits];
    int32_t length;
    int32_t point;
};

struct Big {
    uint32_t words[BigWords];  // least significant first
    int count;

    void multiply(uint32_t factor) {
        uint64_t carry = 0;
        for (int i = 0; i < count; ++i) {
            carry += (uint64_t)words[i] * factor;
            words[i] = (uint32_t)carry;
            carry >>= 32;
        }
        if (carry) {
            words[count++] = (uint32_t)carry;
        }
    }
    void shiftLeft(int bits) {
        int whole = bits / 32, part = bits % 32;
        if (part) {
            words[count] = 0;
            for (int i = count; i > 0; --i) {
                words[i] = words[i] << part | words[i - 1] >> (32 - part);
            }
            words[0] <<= part;
            ++count;
        }
        memmove(words + whole, words, (size_t)count * sizeof words[0]);
        memset(words, 0, (size_t)whole * sizeof words[0]);
        count += whole;
        while (count > 0 && words[count - 1] == 0) {
            --count;
        }
    }
    // Divides in place; returns the remainder.
    uint32_t divide(uint32_t divisor) {
        uint64_t rest = 0;
        for (int i = count - 1; i >= 0; --i) {
            rest = rest << 32 | words[i];
            words[i] = (uint32_t)(rest / divisor);
            rest %= divisor;
        }
        while (count > 0 && words[count - 1] == 0) {
            --count;
        }
        return (uint32_t)rest;
    }
};

// Decimal digits of big (consumed), most significant first; returns how many.
int32_t bigDigits(Big& big, char* out) {
    uint32_t chunks[DecimalDigits / 9 + 1];
    int n = 0;
    while (big.count > 0) {
        chunks[n++] = big.divide(1000000000u);
    }
    int32_t length = 0;
    for (int i = n - 1; i >= 0; --i) {
        char nine[9];
        int32_t got = digitsOf(chunks[i], 10, false, nine + 9);
        int32_t want = i == n - 1 ? got : 9;  // inner chunks keep their leading zeros
        for (int32_t k = 0; k < want; ++k) {
            out[length++] = k < want - got ? '0' : nine[9 - want + k];
        }
    }
    return length;
}

void stripTrailingZeros(Decimal& d) {
    while (d.length > 0 && d.digits[d.length - 1] == '0') {
        --d.length;
    }
}

// The exact decimal expansion of mantissa × 2^exponent.
void toDecimal(uint64_t mantissa, int exponent, Decimal& d) {
    while (mantissa != 0 && !(mantissa & 1) && exponent < 0) {
        mantissa >>= 1;  // fewer digits to divide out below
        ++exponent;
    }
    Big big;
    big.words[0] = (uint32_t)mantissa;
    big.words[1] = (uint32_t)(mantissa >> 32);
    big.count = big.words[1] ? 2 : (big.words[0] ? 1 : 0);
    int32_t fractionDigits = 0;
    if (exponent >= 0) {
        big.shiftLeft(exponent);
    } else {
        fractionDigits = -exponent;
        int k = fractionDigits;
        for (; k >= 13; k -= 13) {
            big.multiply(1220703125u);  // 5^13
        }
        for (; k > 0; --k) {
            big.multiply(5);
        }
    }
    d.length = bigDigits(big, d.digits);
    d.point = d.length - fractionDigits;
    stripTrailingZeros(d);
}

// Keeps the first `keep` digits, rounding half away from zero.
void roundTo(Decimal& d, int32_t keep) {
    if (keep >= d.length) {
        return;
    }
    bool up = keep >= 0 && d.digits[keep] >= '5';
    d.length = keep < 0 ? 0 : keep;
    if (up) {
        int32_t i = keep - 1;
        while (i >= 0 && d.digits[i] == '9') {
            --i;
        }
        if (i < 0) {
            d.digits[0] = '1';
            d.length = 1;
            ++d.point;
        } else {
            ++d.digits[i];
            d.length = i + 1;
        }
    }
    stripTrailingZeros(d);
}

char digitAt(const Decimal& d, int32_t i) { return (i >= 0 && i < d.length) ? d.digits[i] : '0'; }

// Digits [from, from + n) of d: stored ones, then zeros.
void addDigits(Body& body, const Decimal& d, int32_t from, int32_t n) {
    int32_t stored = d.length - from;
    stored = stored < 0 ? 0 : (stored > n ? n : stored);
    body.text(d.digits + from, stored);
    body.fill('0', n - stored);
}

void addFixed(Body& body, Decimal& d, int32_t precision, uint32_t flags) {
    roundTo(d, d.point + precision);
    if (d.length == 0) {
        d.point = 1;
    }
    if (d.point <= 0) {
        body.text("0", 1);
    } else {
        addDigits(body, d, 0, d.point);
    }
    if (precision > 0 || (flags & Alternate)) {
        body.text(".", 1);
    }
    int32_t leading = d.point < 0 ? (-d.point < precision ? -d.point : precision) : 0;
    body.fill('0', leading);
    addDigits(body, d, d.point < 0 ? 0 : d.point, precision - leading);
}

void addExponent(Body& body, Decimal& d, int32_t precision, uint32_t flags, bool upper) {
    roundTo(d, precision + 1);
    if (d.length == 0) {
        d.point = 1;
    }
    body.fill(digitAt(d, 0), 1);
    if (precision > 0 || (flags & Alternate)) {
        body.text(".", 1);
    }
    addDigits(body, d, 1, precision);
    int32_t exponent = d.point - 1;
    char* s = body.scratch;
    *s++ = upper ? 'E' : 'e';
    *s++ = exponent < 0 ? '-' : '+';
    uint32_t magnitude = (uint32_t)(exponent < 0 ? -exponent : exponent);
    char digits[12];
    int32_t n = digitsOf(magnitude, 10, false, digits + sizeof digits);
    for (int32_t k = n; k < 2; ++k) {
        *s++ = '0';
    }
    memcpy(s, digits + sizeof digits - n, (size_t)n);
    body.text(body.scratch, (int32_t)(s - body.scratch) + n);
}

// %g: precision P significant digits; fixed when -4 <= exponent < P.
void addGeneral(Body& body, Decimal& d, int32_t precision, uint32_t flags, bool upper) {
    int32_t significant = precision < 0 ? 6 : (precision == 0 ? 1 : precision);
    roundTo(d, significant);
    if (d.length == 0) {
        d.point = 1;
    }
    int32_t exponent = d.point - 1;
    bool keepZeros = (flags & Alternate) != 0;
    if (exponent >= -4 && exponent < significant) {
        int32_t decimals = significant - 1 - exponent;
        int32_t needed = d.length - d.point > 0 ? d.length - d.point : 0;
        addFixed(body, d, keepZeros || needed > decimals ? decimals : needed, flags);
    } else {
        int32_t needed = d.length > 1 ? d.length - 1 : 0;
        addExponent(body, d, keepZeros || needed > significant - 1 ? significant - 1 : needed, flags, upper);
    }
}

void formatFloating(String& out, const Spec& spec, double value) {
    uint64_t bits;
    memcpy(&bits, &value, sizeof bits);
    bool negative = bits >> 63;
    int biased = (int)(bits >> 52 & 0x7FF);
    uint64_t fraction = bits & 0xFFFFFFFFFFFFFull;
    char c = spec.conversion;
    bool upper = c == 'F' || c == 'E' || c == 'G';
    Body body;
    body.prefix(negative ? "-" : (spec.flags & ForceSign) ? "+" : (spec.flags & SpaceSign) ? " " : "");
    if (biased == 0x7FF) {
        body.text(fraction ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf"), 3);
        emit(out, body, spec, false);
        return;
    }
    Decimal d;
    if (biased == 0) {
        toDecimal(fraction, -1074, d);  // subnormal or zero
    } else {
        toDecimal(fraction | 1ull << 52, biased - 1075, d);
    }
    int32_t precision = spec.precision < 0 ? 6 : spec.precision;
    if (c == 'f' || c == 'F') {
        addFixed(body, d, precision, spec.flags);
    } else if (c == 'e' || c == 'E') {
        addExponent(body, d, precision, spec.flags, upper);
    } else {
        addGeneral(body, d, spec.precision, spec.flags, upper);
    }
    emit(out, body, spec, true);
}

// ---- characters and texts ------------------------------------------------------

// Reads at most `available` bytes and the precision of `text`, up to a zero.
void printText(String& out, const Spec& spec, const char* text, int32_t available) {
    int32_t n = 0;
    int32_t limit = spec.precision >= 0 && spec.precision < available ? spec.precision : available;
    while (n < limit && text[n]) {
        ++n;
    }
    Body body;
    body.text(text, n);
    emit(out, body, spec, false);
}

void formatString(String& out, const Spec& spec, const FormatArg& arg) {
    if (arg.kind == FormatArg::Text || arg.kind == FormatArg::None) {
        const char* s = arg.kind == FormatArg::Text && arg.s ? arg.s : "";
        printText(out, spec, s, String::all);
        return;
    }
    // A number under %s prints as its own conversion would, then as text.
    Spec plain;
    plain.conversion = arg.kind == FormatArg::Floating ? 'g' : arg.kind == FormatArg::Unsigned ? 'u' : 'd';
    String number;
    if (arg.kind == FormatArg::Character) {
        number.appendChar((char)arg.i);
    } else if (arg.kind == FormatArg::Floating) {
        formatFloating(number, plain, arg.d);
    } else {
        formatInteger(number, plain, arg);
    }
    printText(out, spec, number.text(), number.length());
}

void formatCharacter(String& out, const Spec& spec, const FormatArg& arg) {
    char c = arg.kind == FormatArg::Text ? (arg.s ? arg.s[0] : 0) : (char)signedValue(arg);
    // A zero character prints nothing: the text must stay a C string.
    printText(out, spec, &c, c ? 1 : 0);
}

// ---- the pattern ---------------------------------------------------------------

struct ArgCursor {
    const FormatArg* args;
    int count;
    int next;

    FormatArg take() { return next < count ? args[next++] : FormatArg(); }
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int32_t readNumber(const char*& p) {
    int32_t v = 0;
    for (; isDigit(*p); ++p) {
        v = v * 10 + (*p - '0');
        v = v > NumberLimit ? NumberLimit : v;
    }
    return v;
}

int32_t limitedStar(ArgCursor& args) {
    int64_t v = signedValue(args.take());
    return (int32_t)(v > NumberLimit ? NumberLimit : (v < -NumberLimit ? -NumberLimit : v));
}

const char* skipLengthModifier(const char* p) {
    while (*p == 'h' || *p == 'l' || *p == 'L' || *p == 'q' || *p == 'j' || *p == 'z' || *p == 't' ||
           *p == 'w' || *p == 'I') {
        if (p[0] == 'I' && ((p[1] == '6' && p[2] == '4') || (p[1] == '3' && p[2] == '2'))) {
            p += 2;
        }
        ++p;
    }
    return p;
}

// Reads flags, width, precision and length from p (just after the '%').
const char* readSpec(const char* p, Spec& spec, ArgCursor& args) {
    for (;; ++p) {
        uint32_t flag = *p == '-' ? LeftAlign : *p == '+' ? ForceSign : *p == ' ' ? SpaceSign
                      : *p == '0' ? ZeroPad : *p == '#' ? Alternate : 0;
        if (!flag) {
            break;
        }
        spec.flags |= flag;
    }
    if (*p == '*') {
        ++p;
        spec.width = limitedStar(args);
        if (spec.width < 0) {
            spec.flags |= LeftAlign;
            spec.width = -spec.width;
        }
    } else {
        spec.width = readNumber(p);
    }
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            ++p;
            spec.precision = limitedStar(args);
            spec.precision = spec.precision < 0 ? -1 : spec.precision;
        } else {
            spec.precision = readNumber(p);
        }
    }
    return skipLengthModifier(p);
}

// Formats the directive at `percent`; returns where the pattern goes on.
const char* formatDirective(String& out, const char* percent, ArgCursor& args) {
    Spec spec;
    const char* p = readSpec(percent + 1, spec, args);
    spec.conversion = *p;
    switch (*p) {
    case '%': out.appendChar('%'); break;
    case 'd': case 'i': case 'u': case 'x': case 'X': case 'o': case 'p':
        formatInteger(out, spec, args.take());
        break;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G':
        formatFloating(out, spec, floatingValue(args.take()));
        break;
    case 's': formatString(out, spec, args.take()); break;
    case 'c': formatCharacter(out, spec, args.take()); break;
    case 0:
        out.append(percent, (int32_t)(p - percent));  // cut off: kept as written
        return p;
    default:
        out.append(percent, (int32_t)(p + 1 - percent));  // unknown: kept as written
        break;
    }
    return p + 1;
}

}  // namespace

void formatAppend(String& out, const char* pattern, const FormatArg* args, int count) {
    // Built aside: the pattern or a text argument may live in `out`.
    String piece;
    ArgCursor cursor{args, args && count > 0 ? count : 0, 0};
    const char* p = pattern ? pattern : "";
    while (*p) {
        const char* percent = strchr(p, '%');
        if (!percent) {
            piece.append(p);
            break;
        }
        piece.append(p, (int32_t)(percent - p));
        p = formatDirective(piece, percent, cursor);
    }
    if (out.isEmpty()) {
        out = static_cast<String&&>(piece);
    } else {
        out.append(piece);
    }
}
