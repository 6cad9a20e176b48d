// Opening the payload carried in the installer's own executable.
#pragma once
#include <stdint.h>

#include "payload/pe_section.h"

// The texts shown when the installer cannot go on with its own file.
extern const char kNoPayloadExplanation[];
extern const char kCannotOpenItself[];

// Where the payload was found: the section on disk and its mapped copy.
struct PayloadLocation {
    PayloadSection section;
    uint32_t fileLength;
    const uint8_t* mapped;  // the loader's copy of the section
};

// Opens `installSource`, finds the payload section and fills `location`.
// Every failure is fatal: it shows its report and ends the run, and without
// a payload section the explanation of what this program is.
void OpenPayload(const char* installSource, PayloadLocation& location);
