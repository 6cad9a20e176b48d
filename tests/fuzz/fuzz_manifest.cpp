// The manifest reader on arbitrary text: every mistake must come back as one
// ManifestError naming the file, a line and the problem; nothing else may
// escape and nothing may crash. Source files are looked up in a directory
// that does not exist, so no input reads the disk.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "builder/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        build::readManifestText(text, "fuzz.toml", "/nonexistent-tavo-fuzz-directory");
    } catch (const build::ManifestError& e) {
        if (std::string(e.what()).compare(0, 10, "fuzz.toml:") != 0) abort();
    }
    return 0;
}
