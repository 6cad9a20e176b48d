// An earlier installation's "SharedFiles" text comes from the registry, so it
// may be anything: taking it apart must end, never stop the run, and give
// back only non-empty names, each shorter than the text it came from.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "install/shared_files.h"

static void require(bool condition) {
    if (!condition) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 8192) return 0;
    String rest(reinterpret_cast<const char*>(data), int32_t(size));
    String name;
    while (true) {
        int32_t before = rest.length();
        if (!takeSharedFilesEntry(rest, name)) {
            require(rest.length() == before);
            break;
        }
        require(!name.isEmpty());
        require(name.findChar('"') < 0);
        require(rest.length() <= before - name.length() - 2);
    }
    return 0;
}
