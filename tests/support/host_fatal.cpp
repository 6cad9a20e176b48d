// Host versions of the hard stops, for unit tests: the text goes to stderr and
// the process ends with exit code 1, like the stub's Shutdown.
#include <stdio.h>
#include <stdlib.h>

#include "core/fatal.h"

void FatalMessage(const char* text) {
    fprintf(stderr, "FATAL ERROR: %s\n", text ? text : "");
    fflush(stderr);
    _Exit(1);
}

void OutOfMemoryReport(size_t requested) {
    fprintf(stderr, "FATAL ERROR: Out Of Memory. Requested size = %zu\n", requested);
    fflush(stderr);
    _Exit(1);
}
