// Writing the payload that the stub reads: the header, the scrambled and
// packed settings block, and the DataRegion (file entries with their bodies)
// split between the section, the file after it and volume files.
// The byte layout comes from payload/format.h, which the stub's readers
// share; the round-trip tests hold the two sides to it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "builder/build_observer.h"
#include "builder/installer_model.h"
#include "payload/format.h"

namespace build {

struct WriteOptions {
    uint32_t builderVersion = payload::kBuilderVersion;  // hundredths; stubs read up to 1131
    BuildObserver* observer = nullptr;                    // hears of the Packing stage, if set
};

// Where each byte of the payload goes.
//
// sectionContent is the `.tavo` section's content from its first byte: the
// loader must map all of it (virtual size >= its size). afterSection is empty
// unless layout.dataInFile: then it holds the installer's share of the data
// and must follow sectionContent directly in the file, with no padding in
// between; padding after it is allowed only when there are no volumes (the
// stub takes the file's bytes up to its end as data until the stored length
// is reached). volumes[i] is the whole content of volume file number i + 2,
// named "<volumeBaseName><number>.TAV" beside the installer.
struct PayloadParts {
    std::vector<uint8_t> sectionContent;
    std::vector<uint8_t> afterSection;
    std::vector<std::vector<uint8_t>> volumes;
    std::string error;  // not empty: the installer cannot be written; the rest is empty
    uint64_t dataSize = 0;        // the file catalogue with the bodies, unpacked
    uint64_t storedDataSize = 0;  // the same as stored (packed or not), volumes included
};

// The settings block as the stub reads it after unpacking: plain, not packed
// or scrambled. Writes what it is given (ranges are the caller's to check);
// masterProductName only with the requires-master-product bit, the
// UninstallerPatch only with the uninstall-record bit.
std::vector<uint8_t> writeSettingsBlock(const Settings& settings);

// The unpacked DataRegion: each entry's leading fields, its body, its
// trailing fields, in catalogue order.
std::vector<uint8_t> writeFileCatalogue(const std::vector<FileEntry>& files);

// The whole payload. ScrambleKey is the checksum of the unpacked settings
// block; the data is packed when settings carry the packed-data bit and
// there is any; the stored dataInFile field follows installer.layout.
// With layout.volumeSize > 0 the stored data is cut into shares of at most
// that many bytes: the first stays with the installer, each further one goes
// into a volume after its 4-byte id (settings.firstVolumeId, then one more
// each). The header's stubChecksum is 0; see setStubChecksum.
PayloadParts writePayload(const Installer& installer, const WriteOptions& options = {});

// Stores the checksum of the installer's bytes before the section's file
// data in the header; known only once the section has been placed. The stub
// tests it when the settings carry the check-stub-checksum bit.
void setStubChecksum(std::vector<uint8_t>& sectionContent, uint32_t checksum);

}  // namespace build
