// Squeezing a linked stub: its code and data go into one LZMA stream in a new
// section `.packed`, which the stub's boot code restores in memory before the
// stub runs (format: boot/packed_image.h). The shipped stubs are squeezed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "builder/pe_layout.h"

namespace build {

// What the shipped stubs show when their packed code and data do not restore,
// such as after a download cut short or changed.
constexpr char kDamagedStubMessage[] = "This program is damaged and cannot run. Please obtain it again.";

struct SqueezeReport {
    uint32_t packedRegions = 0;
    uint32_t unpackedBytes = 0;   // regions and their relocations
    uint32_t streamBytes = 0;     // the LZMA stream
};

// The squeezed image of the linked stub `linked`. The sections other than
// `.boot`, `.rsrc` and `.reloc` keep their addresses and sizes in memory but
// no bytes in the file; the import tables move into `.packed`; the base
// relocations inside the packed sections move into the stream. `message` is
// the text the boot shows when it cannot restore the image.
// Throws PeError for an image the boot could not restore: no `.boot` section
// or an entry point outside it, an already squeezed stub, a stub that carries
// a payload, or header data (other than imports) inside a packed section.
std::vector<uint8_t> squeezeStub(const std::vector<uint8_t>& linked, const std::string& message,
                                 SqueezeReport* report = nullptr);

// The address of `.packed` that the boot code of `stub` holds: 0 in a stub as
// linked. Throws PeError when the boot has no place for it, or two.
uint32_t bootPackedAddress(const std::vector<uint8_t>& stub);

}  // namespace build
