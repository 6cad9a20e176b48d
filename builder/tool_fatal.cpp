// The stub library's hard stops, as the command-line tool reports them.
#include <stdio.h>
#include <stdlib.h>

#include "core/fatal.h"

void FatalMessage(const char* text) {
    fprintf(stderr, "tavo-build: internal error: %s\n", text ? text : "");
    exit(1);
}

void OutOfMemoryReport(size_t requested) {
    fprintf(stderr, "tavo-build: out of memory (%zu bytes requested)\n", requested);
    exit(1);
}
