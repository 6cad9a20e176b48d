// What the C++ language needs from a runtime, for a stub linked without the
// C runtime's start-up code: allocation routed to the out-of-memory report,
// and no-op registrations for destructors that never run (the process always
// ends through ExitProcess); and, for 32-bit code, the 64-bit division that
// the compiler calls by name.
#include <stdint.h>
#include <stdlib.h>

#include "core/fatal.h"
#include "core/long_division.h"

void* operator new(size_t size) {
    void* p = malloc(size ? size : 1);
    if (!p) OutOfMemoryReport(size);
    return p;
}

void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }

extern "C" int atexit(void (*)(void)) { return 0; }
// A call of an operation a class does not provide: the library's first such guard.
extern "C" void __cxa_pure_virtual() { InternalFatal("core", 2295); }

#if defined(__i386__)
// The compiler emits these calls only while generating code, after the link-time
// optimiser has decided what is used: hence "used".
#define TAVO_LIBCALL extern "C" __attribute__((used))

TAVO_LIBCALL uint64_t __udivdi3(uint64_t a, uint64_t b) {
    uint64_t r;
    return divideUnsigned64(a, b, r);
}
TAVO_LIBCALL uint64_t __umoddi3(uint64_t a, uint64_t b) {
    uint64_t r;
    divideUnsigned64(a, b, r);
    return r;
}
TAVO_LIBCALL uint64_t __udivmoddi4(uint64_t a, uint64_t b, uint64_t* remainder) {
    uint64_t r;
    uint64_t q = divideUnsigned64(a, b, r);
    if (remainder) *remainder = r;
    return q;
}
TAVO_LIBCALL int64_t __divdi3(int64_t a, int64_t b) {
    int64_t r;
    return divideSigned64(a, b, r);
}
TAVO_LIBCALL int64_t __moddi3(int64_t a, int64_t b) {
    int64_t r;
    divideSigned64(a, b, r);
    return r;
}
TAVO_LIBCALL int64_t __divmoddi4(int64_t a, int64_t b, int64_t* remainder) {
    int64_t r;
    int64_t q = divideSigned64(a, b, r);
    if (remainder) *remainder = r;
    return q;
}
#endif
