#include "payload/header.h"

#include <stdlib.h>
#include <string.h>

#include "core/bytes.h"
#include "core/checksum.h"
#include "payload/format.h"
#include "payload/unpack.h"

namespace {

// Fields are read in stored order, each only when its bytes are there; a
// header cut before a field reports the code of that field's check.
int readFixedFields(const uint8_t* p, uint32_t available, PayloadHeader& out) {
    if (available < 8) return 20;
    out.magic = readLE32(p);
    out.builderVersion = readLE32(p + 4);
    if (out.magic != payload::kHeaderMagic) return 20;
    if (!builderVersionAccepted(out.builderVersion)) return HeaderVersionRefused;
    if (available < 20) return 22;
    out.settingsSize = (int32_t)readLE32(p + 8);
    out.scrambleKey = readLE32(p + 12);
    out.stubChecksum = readLE32(p + 16);
    if (out.settingsSize < 1 || out.settingsSize >= payload::kMaxSettingsSize) return 22;
    if (available < 24) return 45;
    out.sectionPayloadLength = (int32_t)readLE32(p + 20);
    if (out.sectionPayloadLength < 0 || (uint32_t)out.sectionPayloadLength > available) return 45;
    if (available < 28) return 27;
    out.fileCount = (int32_t)readLE32(p + 24);
    if (out.fileCount < 0) return 27;
    if (available < payload::kHeaderFixedSize) return 29;
    out.dataLength = (int32_t)readLE32(p + 28);
    out.dataChecksum = readLE32(p + 32);
    if (out.dataLength < 0) return 29;
    return 0;
}

int readFileSizes(const uint8_t* p, uint32_t available, PayloadHeader& out) {
    uint32_t room = (available - payload::kHeaderFixedSize) / 4;
    if ((uint32_t)out.fileCount > room) return 28;
    if (out.fileCount == 0) return 0;
    out.fileSizes.resize(out.fileCount);
    const uint8_t* at = p + payload::kHeaderFixedSize;
    for (int32_t i = 0; i < out.fileCount; ++i, at += 4) {
        int32_t size = (int32_t)readLE32(at);
        if (size < 0 || size > payload::kMaxFileSize) return 28;
        out.fileSizes[i] = size;
    }
    return 0;
}

}  // namespace

uint32_t mappedPayloadSize(const PayloadSection& section, uint32_t fileLength) {
    uint32_t size = section.fileDataSize;
    if (section.memorySize != 0 && section.memorySize < size) size = section.memorySize;
    uint32_t inFile = section.fileDataOffset < fileLength ? fileLength - section.fileDataOffset : 0;
    return size < inFile ? size : inFile;
}

int readPayloadHeader(const uint8_t* section, uint32_t available, PayloadHeader& out) {
    out = PayloadHeader();
    if (!section) available = 0;
    if (int code = readFixedFields(section, available, out)) return code;
    if (int code = readFileSizes(section, available, out)) return code;
    out.settingsOffset = payload::kHeaderFixedSize + 4 * (uint32_t)out.fileCount;
    if ((uint64_t)out.settingsOffset + (uint32_t)out.settingsSize > available) return 22;
    out.dataStart = out.settingsOffset + (uint32_t)out.settingsSize;
    return 0;
}

bool builderVersionAccepted(uint32_t builderVersion) {
    // The same answer as builderVersion x 0.01 - 11.3 > 0.01 in double
    // precision, without depending on how the compiler rounds floating point.
    return builderVersion <= payload::kNewestReadableVersion;
}

String versionRefusalText(uint32_t builderVersion) {
    return formatText(kVersionMismatch, payload::kReaderVersion, builderVersion * 0.01);
}

int takeSettingsBlock(const uint8_t* section, const PayloadHeader& header, uint8_t*& block, int32_t& size) {
    size = header.settingsSize;
    block = (uint8_t*)allocateOrStop((size_t)size);
    memcpy(block, section + header.settingsOffset, (size_t)size);
    scramble(block, (size_t)size, header.scrambleKey);
    if (Unpack(block, size)) return 0;
    free(block);
    block = nullptr;
    size = 0;
    return 47;
}

int settingsChecksumCode(const uint8_t* block, int32_t size, uint32_t scrambleKey) {
    uint32_t sum = payloadChecksum(block, size > 0 ? (size_t)size : 0);
    return sum == scrambleKey ? 0 : 25;
}
