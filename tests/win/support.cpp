// What the core expects from the driver, for the test program: hard stops
// print and exit 1, the message pump dispatches, and the run-wide
// installation directory exists.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "core/fatal.h"
#include "core/string.h"

String InstallDir;

void FatalMessage(const char* text) {
    std::fprintf(stderr, "FATAL ERROR: %s\n", text);
    std::exit(1);
}

void OutOfMemoryReport(size_t requested) {
    std::fprintf(stderr, "FATAL ERROR: out of memory (%zu bytes)\n", requested);
    std::exit(1);
}

bool PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (message.message == WM_QUIT) return true;
    }
    return false;
}
