// What the C++ language needs from a runtime, for a stub linked without the
// C runtime's start-up code: allocation routed to the out-of-memory report,
// and no-op registrations for destructors that never run (the process always
// ends through ExitProcess).
#include <stdlib.h>

#include "core/fatal.h"

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
