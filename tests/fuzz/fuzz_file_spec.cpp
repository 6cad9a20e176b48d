// Random specification texts through the line parser and the duplicate
// filter: no crash or hard stop, and the parts must fit together.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "core/file_spec.h"
#include "core/path.h"

static void require(bool condition) {
    if (!condition) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    // The first byte splits the rest into a default directory and the text.
    size_t split = size ? data[0] % size : 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    String defaultDirectory(size ? bytes + 1 : "", int32_t(split ? split - 1 : 0));
    String text(bytes + (split ? split : (size ? 1 : 0)), int32_t(size - (split ? split : (size ? 1 : 0))));

    Array<String> specifications;
    int32_t added = parseSpecificationText(text, defaultDirectory, specifications);
    require(added == specifications.count());

    Array<String> files;
    FileListBuilder builder(files);
    for (const String& specification : specifications) {
        require(!specification.isEmpty());
        FileSpecification parts = splitSpecification(specification);
        require(parts.pattern.length() <= specification.length());
        require(parts.namePattern.length() <= parts.pattern.length());
        builder.add(parts.pattern);
        String upper(parts.pattern);
        upper.toUpper();
        require(!builder.add(upper));  // the same path in other letters is a duplicate
    }
    require(builder.count() <= specifications.count());
    return 0;
}
