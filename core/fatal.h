// The library's hard stops. FatalMessage and OutOfMemoryReport are the
// platform's: the driver implements them for the stub (a message box, then
// Shutdown) and tests/support for host tests (a line on stderr, then exit 1).
// InternalFatal is pure (core/fatal.cpp): it formats its text and calls
// FatalMessage.
#pragma once
#include <stddef.h>

// Shows `text` under "FATAL ERROR" and ends the process with exit code 1.
[[noreturn]] void FatalMessage(const char* text);

// "Internal Fatal Error\r\nModule: %s\r\nLine: %d" through FatalMessage.
// `module` is "core" or "Core"; `line` is the fixed number of the guard.
[[noreturn]] void InternalFatal(const char* module, int line);

// Allocation failure of `requested` bytes; ends the process.
[[noreturn]] void OutOfMemoryReport(size_t requested);
