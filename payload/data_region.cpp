#include "payload/data_region.h"

#include <stdlib.h>
#include <string.h>

#include "core/bytes.h"
#include "core/checksum.h"
#include "core/containers.h"
#include "core/path.h"
#include "payload/format.h"
#include "payload/unpack.h"
#include "ui/localised_text.h"

namespace {

const int kVolumeDataUnreadable = 50;

// The region while it is put together: `bytes` holds `available` of the
// `length` stored bytes.
struct Assembly {
    const uint8_t* bytes;
    uint8_t* owned;
    int64_t available;
    int32_t length;
};

int firstPartFromSection(const DataRegionSource& source, Assembly& a) {
    const PayloadHeader& h = *source.header;
    a.available = (int64_t)h.sectionPayloadLength - h.dataStart;
    if (a.available < 0) return kVolumeDataUnreadable;
    a.bytes = source.section + h.dataStart;
    return 0;
}

// Only the stored length is read: whatever lies after it in the file (such as
// alignment padding) is not part of the region.
int firstPartFromFile(const DataRegionSource& source, Assembly& a) {
    const PayloadHeader& h = *source.header;
    a.owned = (uint8_t*)allocateOrStop(a.length > 0 ? (size_t)a.length : 1);
    a.bytes = a.owned;
    int64_t start = (int64_t)source.fileDataOffset + h.dataStart;
    int64_t inFile = (int64_t)source.fileLength - start;
    if (inFile < 0) return DataRegionReadFailed;
    a.available = inFile < a.length ? inFile : a.length;
    if (a.available > 0 && !source.file->readAt((uint32_t)start, a.owned, (uint32_t)a.available)) {
        return DataRegionReadFailed;
    }
    return 0;
}

// Makes the region a buffer of its own, so that volumes can be added to it.
void ownBuffer(Assembly& a) {
    if (a.owned) return;
    a.owned = (uint8_t*)allocateOrStop(a.length > 0 ? (size_t)a.length : 1);
    if (a.available > 0) memcpy(a.owned, a.bytes, (size_t)a.available);
    a.bytes = a.owned;
}

// Opens volume `number` once it carries `expectedId`; asks the user again as
// long as it does not. Returns its length (more than the 4 bytes of the id),
// or -1 when the host gave up.
int64_t openExpectedVolume(DataRegionHost& host, const String& path, int number, uint32_t expectedId) {
    for (int attempt = 0;;) {
        if (attempt > 0 && !host.askForVolume(volumePromptText(number, path.charAt(0), attempt > 1))) {
            return -1;
        }
        if (!host.openVolume(path)) {
            ++attempt;
            continue;
        }
        int64_t length = host.volumeLength();
        uint8_t id[4];
        if (length > 4 && host.readVolume(id, 4) && readLE32(id) == expectedId) return length;
        host.closeVolume();
        attempt = 2;
    }
}

int readVolumes(const DataRegionSource& source, DataRegionHost& host, Assembly& a) {
    uint32_t expectedId = source.firstVolumeId;
    int64_t remaining = a.length - a.available;
    for (int number = 1; remaining > 0;) {
        host.setProgressPercent(5 + (int)((a.length - remaining) * 30 / a.length));
        ++number;
        String path = programPathIn(formatText(payload::kVolumeNameFormat, source.volumeBaseName, number));
        int64_t length = openExpectedVolume(host, path, number, expectedId);
        if (length < 0) return DataRegionGivenUp;
        int64_t share = length - 4;
        // A volume longer than what is still missing would write past the region.
        bool read = share <= remaining && host.readVolume(a.owned + (a.length - remaining), (uint32_t)share);
        host.closeVolume();
        if (!read) return kVolumeDataUnreadable;
        ++expectedId;
        remaining -= share;
    }
    a.available = a.length;
    return 0;
}

int gatherStoredBytes(const DataRegionSource& source, DataRegionHost& host, Assembly& a) {
    int code = source.dataInFile ? firstPartFromFile(source, a) : firstPartFromSection(source, a);
    if (code) return code;
    if (a.available >= a.length) return 0;
    ownBuffer(a);
    return readVolumes(source, host, a);
}

// Straight from where the stored bytes lie (the mapped section, too): a copy
// of them would only add to the peak memory.
int unpackRegion(DataRegionHost& host, Assembly& a) {
    host.setProgressStatus(29, 40);
    uint8_t* unpacked;
    int32_t size;
    if (!UnpackToNewBuffer(a.bytes, a.length, unpacked, size)) return 60;
    free(a.owned);
    a.owned = unpacked;
    a.bytes = unpacked;
    a.length = size;
    host.holdStatus();
    return 0;
}

}  // namespace

String volumePromptText(int number, char drive, bool afterWrongVolume) {
    String prompt;
    if (afterWrongVolume) {
        prompt = LocalisedText(30);
        prompt += "\r\n\r\n";
    }
    prompt.appendFormat(LocalisedText(26), number, drive);
    return prompt;
}

int assembleDataRegion(const DataRegionSource& source, DataRegionHost& host, DataRegion& out) {
    out = DataRegion();
    const PayloadHeader& h = *source.header;
    Assembly a = {nullptr, nullptr, 0, h.dataLength};
    int code = gatherStoredBytes(source, host, a);
    if (code == 0) {
        host.holdStatus();
        host.setProgressStatus(62, 36);
        if (payloadChecksum(a.bytes, (size_t)a.length) != h.dataChecksum) code = 55;
    }
    if (code == 0) {
        host.holdStatus();
        if (source.packed && a.length != 0) code = unpackRegion(host, a);
    }
    if (code != 0) {
        free(a.owned);
        return code;
    }
    host.restartStatusClock();
    out.bytes = a.bytes;
    out.size = a.length;
    out.owned = a.owned;
    return 0;
}

void releaseDataRegion(DataRegion& region) {
    free(region.owned);
    region = DataRegion();
}
