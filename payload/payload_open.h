// Opening the payload carried in the installer's own executable: the Win32
// shell around the pure readers. Every operation here either succeeds or
// shows its report and ends the run; none returns a failure.
#pragma once
#include <stdint.h>

#include "core/string.h"
#include "payload/data_region.h"
#include "payload/header.h"
#include "payload/pe_section.h"
#include "payload/settings_reader.h"
#include "payload/stub_image.h"

// The texts shown when the installer cannot go on with its own file.
extern const char kNoPayloadExplanation[];
extern const char kCannotOpenItself[];

// Where the payload was found: the section on disk and its mapped copy.
struct PayloadLocation {
    PayloadSection section;
    uint32_t fileLength;
    const uint8_t* mapped;  // the loader's copy of the section
    uint32_t mappedSize;    // how many payload bytes that copy really holds
};

// Opens `installSource`, finds the payload section and fills `location`.
// Without a payload section: the explanation of what this program is. The
// file stays open for the rest of the run (InstallerFile).
void OpenPayload(const char* installSource, PayloadLocation& location);

// The installer's own file, opened by OpenPayload.
FileBytes& InstallerFile();

// Reads and checks the header; a newer builder gets the version text.
void ReadPayloadHeader(const PayloadLocation& location, PayloadHeader& header);

// The descrambled, unpacked settings block (free with free()); 47 when it
// does not unpack.
void TakeSettingsBlock(const PayloadLocation& location, const PayloadHeader& header, uint8_t*& block,
                       int32_t& size);

// The installer without its payload section (35, 40, 42).
void BuildStubImage(const PayloadLocation& location, const StubImageSettings& settings, String& image);

// Assembles, checks and unpacks the DataRegion, asking for volumes as needed
// (payload/data_region_win32.cpp).
void AssembleDataRegion(const PayloadLocation& location, const PayloadHeader& header,
                        const SettingsBlock& settings, DataRegion& region);
