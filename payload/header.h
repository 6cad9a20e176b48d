// The plain header at the start of the payload section, the settings block
// that follows it, and their checks. Pure: works on the bytes the loader
// mapped, given as a pointer and the count that really exists there.
//
// Every read stays inside those bytes. A header cut short is reported with
// the code of the check of the field that is missing (the magic and version
// 20; settingsSize, ScrambleKey, stubChecksum 22; sectionPayloadLength 45;
// fileCount 27; dataLength, dataChecksum 29; the file sizes 28), a settings
// block that does not lie inside the bytes with 22, and a
// sectionPayloadLength beyond them with 45.
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/string.h"
#include "payload/pe_section.h"

struct PayloadHeader {
    uint32_t magic = 0;
    uint32_t builderVersion = 0;        // hundredths: 1130 is 11.30
    int32_t settingsSize = 0;           // stored (scrambled, packed) size
    uint32_t scrambleKey = 0;           // ScrambleKey; also the unpacked block's checksum
    uint32_t stubChecksum = 0;          // of the installer's bytes before the section
    int32_t sectionPayloadLength = 0;   // payload bytes held by the section itself
    int32_t fileCount = 0;
    int32_t dataLength = 0;             // stored length of the whole DataRegion
    uint32_t dataChecksum = 0;
    Vector<int32_t> fileSizes;          // body sizes in catalogue order, each 0 ... 0x40000000
    uint32_t settingsOffset = 0;        // section offset of the settings block
    uint32_t dataStart = 0;             // section offset of the DataRegion
};

// readPayloadHeader's result besides 0 (accepted) and a corrupt-payload code:
// the builder is newer than this reader; show versionRefusalText.
constexpr int HeaderVersionRefused = -1;

// How many payload bytes the mapped section really holds: the section's file
// data, cut to what the loader mapped and to what the file holds.
uint32_t mappedPayloadSize(const PayloadSection& section, uint32_t fileLength);

// Reads and checks the header from the `available` bytes at `section`.
// Returns 0 with `out` filled, HeaderVersionRefused, or the corrupt-payload
// code of the first failed check.
int readPayloadHeader(const uint8_t* section, uint32_t available, PayloadHeader& out);

// Builders up to 11.31 are read; later ones wrote what this reader may not know.
bool builderVersionAccepted(uint32_t builderVersion);

// "The installer version (11.3) does not match the version of TAVO (x.y)..."
String versionRefusalText(uint32_t builderVersion);

// Copies the stored settings block out of the section, descrambles it with
// the ScrambleKey and unpacks it. Returns 0 with `block` a new malloc'ed
// buffer of `size` unpacked bytes (the caller frees it with free()), or 47
// when it does not unpack (nothing to free then). `header` must have been
// accepted by readPayloadHeader for the same bytes.
int takeSettingsBlock(const uint8_t* section, const PayloadHeader& header, uint8_t*& block, int32_t& size);

// 0 when the unpacked block's checksum equals the ScrambleKey, else 25.
int settingsChecksumCode(const uint8_t* block, int32_t size, uint32_t scrambleKey);

extern const char kVersionMismatch[];
