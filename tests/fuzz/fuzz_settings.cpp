// Random bytes as an unpacked settings block: the reader must end in a result
// (0 or a corrupt-payload code), never in a hard stop or outside the bytes.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "payload/settings_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that a read past the block is a heap overflow.
    uint8_t* block = (uint8_t*)malloc(size ? size : 1);
    if (size) memcpy(block, data, size);
    MemoryStream stream(block, (uint32_t)size);
    SettingsBlock settings;
    readProductFlags(stream, settings);
    SettingsContext context;
    context.productNameOverride = size % 3 == 0 ? "Override" : nullptr;
    context.windowsDirectory = "C:\\WINDOWS";
    context.installerFileLength = 0x100000;
    int code = readSettingsRest(stream, context, settings);
    if (code == 0 && settings.languageTable.count() < 1) abort();
    free(block);
    return 0;
}
