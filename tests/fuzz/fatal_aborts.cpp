// Under fuzzing, reaching a hard stop is a finding: the parsers must turn bad
// input into results, so the stops abort and libFuzzer keeps the input.
#include <stdio.h>
#include <stdlib.h>

#include "core/fatal.h"

void FatalMessage(const char* text) {
    fprintf(stderr, "FATAL ERROR reached: %s\n", text ? text : "");
    abort();
}

void OutOfMemoryReport(size_t requested) {
    fprintf(stderr, "out of memory: %zu\n", requested);
    abort();
}
