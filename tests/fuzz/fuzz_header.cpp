// Random bytes two ways: as the mapped payload section (header, then the
// settings block it points at), and as an installer file (the section walk,
// then the header from the section's bytes and the StubImage).
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/bytes.h"
#include "core/checksum.h"
#include "payload/header.h"
#include "payload/memory_stream.h"
#include "payload/settings_reader.h"
#include "payload/stub_image.h"
#include "payload/unpack.h"

namespace {

class BytesFile final : public FileBytes {
public:
    BytesFile(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool readAt(uint32_t offset, void* out, uint32_t count) override {
        if (offset > size_ || count > size_ - offset) return false;
        if (count) memcpy(out, data_ + offset, count);
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
};

// Declared unpacked sizes are kept below this so that a run is not spent
// allocating and filling gigabytes; the unpacker's own target covers them.
constexpr uint32_t kLargestDeclared = 1u << 16;

bool declaresHugeBlock(const uint8_t* section, const PayloadHeader& header) {
    if (header.settingsSize < PackedBlockPrefixSize) return false;
    uint8_t prefix[PackedBlockPrefixSize];
    memcpy(prefix, section + header.settingsOffset, sizeof prefix);
    scramble(prefix, sizeof prefix, header.scrambleKey);
    return readLE32(prefix) == PackedBlockMagic && readLE32(prefix + 4) > kLargestDeclared;
}

void readSection(const uint8_t* section, uint32_t available) {
    PayloadHeader header;
    if (readPayloadHeader(section, available, header) != 0) return;
    if (declaresHugeBlock(section, header)) return;
    uint8_t* block = nullptr;
    int32_t size = 0;
    if (takeSettingsBlock(section, header, block, size) != 0) return;
    MemoryStream stream(block, (uint32_t)size);
    SettingsBlock settings;
    readProductFlags(stream, settings);
    settingsChecksumCode(block, size, header.scrambleKey);
    SettingsContext context;
    readSettingsRest(stream, context, settings);
    free(block);
}

void readInstaller(const uint8_t* data, size_t size) {
    BytesFile file(data, size);
    PayloadSection section;
    if (findPayloadSection(file, section) != SectionFound) return;
    uint32_t mapped = mappedPayloadSize(section, (uint32_t)size);
    if (mapped > 0) readSection(data + section.fileDataOffset, mapped);
    StubImageSettings settings;
    String patch("patch");
    settings.patchOffset = (int32_t)(size / 2);
    settings.patch = &patch;
    String image;
    buildStubImage(file, (uint32_t)size, section, settings, image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t* copy = (uint8_t*)malloc(size ? size : 1);
    if (size) memcpy(copy, data, size);
    readSection(copy, (uint32_t)size);
    readInstaller(copy, size);
    free(copy);
    return 0;
}
