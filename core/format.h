// printf-style formatting with typed arguments.
//
// Patterns can come from the payload (localised texts are used as formats), so
// the arguments travel as a counted array of tagged values: a conversion with
// no argument left formats as if given 0 or an empty text, and a conversion
// whose letter does not fit the argument converts the value sensibly (%s of a
// number prints the number, %d of a text prints 0). Nothing reads past the
// array.
//
// Supported: flags "-+ 0#", width and precision (digits or "*"), length
// modifiers h hh l ll I64 I32 z (accepted and ignored: the argument carries
// its own width), conversions d i u x X o c s f e E g G p %. One conversion
// produces at most 128 KB; anything beyond is cut.
//
// Details the callers may rely on:
// - %s of a null text prints nothing; %s of a number prints it as %d, %u or
//   %g would; %c of a text prints its first character; a zero character
//   prints nothing. %d of a text prints 0; a floating argument given to an
//   integer conversion is truncated toward zero to 64 bits (saturating).
// - %f %e %g print the exact binary value rounded half away from zero at the
//   last digit shown ("%.1f" of 11.3 is "11.3", "%.2f" of 1.005 is "1.00"
//   because 1.005 is stored as 1.00499...); exponents have at least two
//   digits; infinities and NaNs print "inf" and "nan" ("INF", "NAN" for the
//   capital conversions).
// - %p prints the pointer in upper-case hex with all its digits, no prefix.
// - A directive that is cut off or has an unknown conversion is copied as
//   written.
#pragma once
#include <stdint.h>

class String;

struct FormatArg {
    enum Kind : uint8_t { None, Signed, Unsigned, Floating, Text, Character };
    Kind kind;
    uint8_t bits;  // 32 or 64 for integers: %u and %x of -1 show 32 or 64 bits
    union {
        int64_t i;
        uint64_t u;
        double d;
        const char* s;
    };

    constexpr FormatArg() : kind(None), bits(0), i(0) {}
    constexpr FormatArg(int v) : kind(Signed), bits(32), i(v) {}
    constexpr FormatArg(long v) : kind(Signed), bits(sizeof(long) * 8), i(v) {}
    constexpr FormatArg(long long v) : kind(Signed), bits(64), i(v) {}
    constexpr FormatArg(unsigned v) : kind(Unsigned), bits(32), u(v) {}
    constexpr FormatArg(unsigned long v) : kind(Unsigned), bits(sizeof(long) * 8), u(v) {}
    constexpr FormatArg(unsigned long long v) : kind(Unsigned), bits(64), u(v) {}
    constexpr FormatArg(short v) : kind(Signed), bits(32), i(v) {}
    constexpr FormatArg(unsigned short v) : kind(Unsigned), bits(32), u(v) {}
    constexpr FormatArg(double v) : kind(Floating), bits(64), d(v) {}
    constexpr FormatArg(char v) : kind(Character), bits(8), i((unsigned char)v) {}
    constexpr FormatArg(const char* v) : kind(Text), bits(0), s(v) {}
    constexpr FormatArg(char* v) : kind(Text), bits(0), s(v) {}
    FormatArg(const String& v);
    // Pointers print as %p.
    FormatArg(const void* v) : kind(Unsigned), bits(sizeof(void*) * 8), u((uintptr_t)v) {}
};

// Appends the formatted pattern to `out`. `args` holds `count` values.
void formatAppend(String& out, const char* pattern, const FormatArg* args, int count);
