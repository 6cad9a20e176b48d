// The StubImage: the installer's own file without its payload section, which
// the installation writes out as the uninstaller program. Pure: the file is
// reached through FileBytes and the image is an ordinary byte buffer.
#pragma once
#include <stdint.h>

#include "core/string.h"
#include "payload/pe_section.h"

// What the image is checked against and patched with.
struct StubImageSettings {
    bool testStubChecksum = false;  // ProductFlags high bit 0x1
    uint32_t stubChecksum = 0;      // from the payload header
    int32_t patchOffset = 0;        // UninstallerPatch: nothing when 0
    const String* patch = nullptr;
};

// Reads the installer's bytes before the payload section's file data into
// `image` (35 when they cannot be read), tests their checksum when asked
// (40), and appends the bytes after the section (42 when they cannot be
// read). Returns 0 or that code.
int readInstallerBytes(FileBytes& file, uint32_t fileLength, const PayloadSection& section,
                       const StubImageSettings& settings, String& image);

// Turns `image` (the bytes before the section, then those after it) into an
// executable without the payload section: one section fewer, the size of
// initialised data and the size of image reduced by the section's file data
// size, its table entry removed (the entries after it and the 80 bytes that
// follow the table move up; later sections' file offsets shrink by the file
// data size). Returns 0, or 35 when the headers it changes do not lie inside
// the image.
int removePayloadSection(String& image, const PayloadSection& section);

// Copies `patch` over `image` at `offset` when offset > 0 and the patch fits
// inside the image; otherwise leaves the image as it is.
void applyUninstallerPatch(String& image, int32_t offset, const String& patch);

// All three steps; 0 or the first code (35, 40, 42).
int buildStubImage(FileBytes& file, uint32_t fileLength, const PayloadSection& section,
                   const StubImageSettings& settings, String& image);
