#include "payload/stub_image.h"

#include <string.h>

#include "core/bytes.h"
#include "core/checksum.h"

namespace {

const uint32_t kSectionEntrySize = 40;
const uint32_t kInitialisedDataField = 0x20;  // from the PE header
const uint32_t kImageSizeField = 0x50;

void subtractLE32(uint8_t* p, uint32_t amount) { writeLE32(p, readLE32(p) - amount); }

}  // namespace

int readInstallerBytes(FileBytes& file, uint32_t fileLength, const PayloadSection& section,
                       const StubImageSettings& settings, String& image) {
    image.clear();
    uint32_t before = section.fileDataOffset;
    if (before > (uint32_t)String::all || !image.tryResize((int32_t)before)) return 35;
    if (before > 0 && !file.readAt(0, image.buffer(), before)) return 35;
    if (settings.testStubChecksum && payloadChecksum(image.text(), before) != settings.stubChecksum) return 40;

    uint64_t sectionEnd = (uint64_t)section.fileDataOffset + section.fileDataSize;
    if (sectionEnd >= fileLength) return 0;
    uint32_t after = fileLength - (uint32_t)sectionEnd;
    if ((uint64_t)before + after > (uint64_t)String::all || !image.tryResize((int32_t)(before + after))) return 42;
    if (!file.readAt((uint32_t)sectionEnd, image.buffer() + before, after)) return 42;
    return 0;
}

int removePayloadSection(String& image, const PayloadSection& section) {
    uint8_t* p = (uint8_t*)image.buffer();
    uint64_t size = (uint64_t)image.length();
    uint32_t pe = section.peHeaderOffset;
    uint32_t count = section.sectionCount;
    // The entries from the payload's slot up to one past the last move up by
    // one, bringing the 40 bytes after that with them.
    uint64_t tableEnd = (uint64_t)section.tableOffset + (uint64_t)kSectionEntrySize * (count + 2);
    if (!p || count == 0 || section.slot >= count || pe + kImageSizeField + 4 > size || tableEnd > size) return 35;

    writeLE16(p + pe + 6, count - 1);
    subtractLE32(p + pe + kInitialisedDataField, section.fileDataSize);
    subtractLE32(p + pe + kImageSizeField, section.fileDataSize);
    uint8_t* slot = p + section.tableOffset + kSectionEntrySize * section.slot;
    memmove(slot, slot + kSectionEntrySize, kSectionEntrySize * (count + 1 - section.slot));
    for (uint32_t later = section.slot; later + 1 < count; ++later) {
        subtractLE32(p + section.tableOffset + kSectionEntrySize * later + 20, section.fileDataSize);
    }
    return 0;
}

void applyUninstallerPatch(String& image, int32_t offset, const String& patch) {
    if (offset <= 0 || (int64_t)offset + patch.length() > image.length() || patch.isEmpty()) return;
    memcpy(image.buffer() + offset, patch.text(), (size_t)patch.length());
}

int buildStubImage(FileBytes& file, uint32_t fileLength, const PayloadSection& section,
                   const StubImageSettings& settings, String& image) {
    if (int code = readInstallerBytes(file, fileLength, section, settings, image)) return code;
    if (int code = removePayloadSection(image, section)) return code;
    if (settings.patch) applyUninstallerPatch(image, settings.patchOffset, *settings.patch);
    return 0;
}
