// Assembling the DataRegion: the file catalogue and bodies, stored after the
// settings block in the section, or in the installer's file after it, and
// continued in numbered volume files beside the installer. Checked against
// the header's checksum and unpacked when the option word says so. Pure: the
// file, the volumes, the user and the progress display are reached through
// DataRegionHost.
#pragma once
#include <stdint.h>

#include "core/string.h"
#include "payload/header.h"
#include "payload/pe_section.h"

// What the assembly needs from around it.
class DataRegionHost {
public:
    // The progress dialog's operations.
    virtual void setProgressPercent(int percent) = 0;
    virtual void setProgressStatus(int stringId, int percent) = 0;
    virtual void holdStatus() = 0;
    virtual void restartStatusClock() = 0;

    // Shows `prompt` asking for a volume; true when the user wants another
    // attempt, false to give up (the assembly then returns DataRegionGivenUp).
    virtual bool askForVolume(const String& prompt) = 0;

    // One volume at a time: open (false when it cannot be opened), its
    // length in bytes, sequential reads from its start (false when `count`
    // bytes could not all be read), close.
    virtual bool openVolume(const String& path) = 0;
    virtual int64_t volumeLength() = 0;
    virtual bool readVolume(void* out, uint32_t count) = 0;
    virtual void closeVolume() = 0;

protected:
    ~DataRegionHost() = default;
};

// Where the stored region's parts are.
struct DataRegionSource {
    const uint8_t* section = nullptr;     // the mapped payload section
    const PayloadHeader* header = nullptr;
    bool dataInFile = false;              // settings: the region starts in the file
    bool packed = false;                  // ProductFlags low 0x20
    FileBytes* file = nullptr;            // the installer's own file
    uint32_t fileLength = 0;
    uint32_t fileDataOffset = 0;          // of the payload section
    const char* volumeBaseName = "";
    uint32_t firstVolumeId = 0;
};

// The unpacked region. `bytes` points either into the mapped section or at
// `owned`, a malloc'ed buffer that releaseDataRegion frees.
struct DataRegion {
    const uint8_t* bytes = nullptr;
    int32_t size = 0;
    uint8_t* owned = nullptr;
};

// assembleDataRegion's result when the installer's own file cannot be read
// ("Error code 2: failed to read archive data").
constexpr int DataRegionReadFailed = -1;
// assembleDataRegion's result when the host gave up asking for a volume.
constexpr int DataRegionGivenUp = -2;

// Assembles, checks and unpacks the region. Volumes are "%s%d.TAV" with the
// base name and numbers from 2, in the installer's directory
// (programPathIn); the first carries the first volume id, each next one id
// one more. A missing or wrong volume is asked for again until it comes or
// the user ends the run. Returns 0 with `out` filled (the catalogue starts at
// out.bytes), DataRegionReadFailed, DataRegionGivenUp, or a corrupt-payload code: 50 for parts
// that do not fit the stored length or cannot be read, 55 for a wrong
// checksum, 60 when it does not unpack.
int assembleDataRegion(const DataRegionSource& source, DataRegionHost& host, DataRegion& out);

// The prompt for volume `number` on `drive`: string 26 formatted with both,
// after string 30 and a blank line when the last attempt found a wrong volume.
String volumePromptText(int number, char drive, bool afterWrongVolume);

void releaseDataRegion(DataRegion& region);

extern const char kArchiveReadFailed[];
