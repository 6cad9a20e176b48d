// Random command lines through the atom splitter, the option parser and the
// two helpers that take the process command line apart: no crash, no read
// outside the text, and the parts must come out of the text they were cut from.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "driver/command_line.h"

#include <stdio.h>

// Names the broken property, so that a finding says what it found.
#define require(condition) \
    ((condition) ? (void)0 : (fprintf(stderr, "property broken: %s\n", #condition), abort()))

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    // An exact-size, NUL-terminated copy (the system hands over C strings),
    // cut at the first NUL the input holds.
    char* line = (char*)malloc(size + 1);
    if (size) memcpy(line, data, size);
    line[size] = '\0';
    size_t length = strlen(line);

    String rest(line);
    const int32_t whole = rest.length();
    for (int32_t steps = 0;; steps++) {
        int32_t before = rest.length();
        String atom = takeAtom(rest);
        require(rest.length() <= before);
        if (atom.isEmpty()) break;
        require(rest.length() < before);
        require(steps < whole);
    }

    CommandLineOptions options;
    String usageError;
    bool sound = parseCommandLine(line, options, usageError);
    require(sound == usageError.isEmpty());
    require(options.installDir.length() <= (int32_t)length);
    require(options.productName.length() <= (int32_t)length);
    require(options.uninstallName.length() <= (int32_t)length);
    require(options.runAfterInstall.length() <= (int32_t)length);
    if (sound && options.uninstallMode) require(!options.uninstallName.isEmpty());

    String source = installSourceFrom(line);
    require(source.length() <= (int32_t)length + 4);

    const char* arguments = argumentTextFrom(line);
    require(arguments >= line && arguments <= line + length);
    free(line);
    return 0;
}
