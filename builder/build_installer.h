// Making an installer: manifest -> payload -> stub with the payload section,
// written with its volume files so that nothing half-written is left behind.
#pragma once
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "builder/build_observer.h"
#include "builder/installer_model.h"
#include "payload/format.h"

namespace build {

// A failure that is not the manifest's fault (stub, payload, output).
struct BuildError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct BuildRequest {
    std::filesystem::path manifest;
    std::string manifestShownName;        // for messages
    std::filesystem::path output;
    std::filesystem::path stub;
    uint32_t builderVersion = payload::kBuilderVersion;
    const char* sourceDateEpoch = nullptr;  // the environment's SOURCE_DATE_EPOCH, or null
    int64_t now = 0;                        // seconds since 1970, for the default build time
    BuildObserver* observer = nullptr;      // hears of the files and the stages, if set
    int packLevel = 0;                      // > 0: instead of the manifest's pack-level
};

// The bytes of an installer and of its volumes, in memory.
struct InstallerFiles {
    std::vector<uint8_t> installer;
    std::vector<std::vector<uint8_t>> volumes;  // volume numbers 2, 3, ...
    std::string volumeBaseName;
    uint64_t dataSize = 0;        // the file data unpacked
    uint64_t storedDataSize = 0;  // the same as stored
};

// Makes the files from a read installer and a stub's bytes. Throws BuildError.
InstallerFiles makeInstallerFiles(const Installer& installer, const std::vector<uint8_t>& stub,
                                  uint32_t builderVersion, BuildObserver* observer = nullptr);

// What a build wrote.
struct BuildSummary {
    size_t installerSize = 0;
    size_t fileCount = 0;
    uint64_t dataSize = 0;        // the file data unpacked
    uint64_t storedDataSize = 0;  // the same as stored
    std::vector<std::filesystem::path> volumes;
};

// Reads the manifest and the stub, makes the files and writes them: each to a
// temporary file in the output's directory, renamed into place only when all
// were written (volumes first, the installer last). Stale volumes of an
// earlier build with more volumes are removed. Throws ManifestError (the
// manifest is wrong) or BuildError (anything else).
BuildSummary buildInstaller(const BuildRequest& request);

// "<base><number>.TAV" beside `output`.
std::filesystem::path volumePath(const std::filesystem::path& output, const std::string& baseName, int number);

}  // namespace build
