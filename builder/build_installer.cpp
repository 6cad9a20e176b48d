#include "builder/build_installer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "builder/manifest.h"
#include "builder/payload_writer.h"
#include "builder/pe_append.h"
#include "core/checksum.h"

namespace build {
namespace {

bool hasFlag(const Settings& s, payload::FlagBit bit) {
    return ((bit.half == 0 ? s.flagsLow : s.flagsHigh) & bit.bit) != 0;
}

std::vector<uint8_t> readFileBytes(const std::filesystem::path& path, const char* what) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw BuildError(std::string("cannot open ") + what + " \"" + path.string() + "\": " + strerror(errno));
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw BuildError(std::string("cannot read ") + what + " \"" + path.string() + "\"");
    return bytes;
}

// A file written beside its final name and renamed into place on commit;
// removed when the build fails before that.
class PendingFile {
public:
    PendingFile(std::filesystem::path target, const std::vector<uint8_t>& bytes) : target_(std::move(target)) {
        std::filesystem::path dir = target_.parent_path().empty() ? "." : target_.parent_path();
        std::string pattern = (dir / ("." + target_.filename().string() + ".XXXXXX")).string();
        int fd = mkstemp(pattern.data());
        if (fd < 0) throw BuildError("cannot create a file in \"" + dir.string() + "\": " + strerror(errno));
        temp_ = pattern;
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                close(fd);
                throw BuildError("cannot write \"" + temp_.string() + "\": " + strerror(errno));
            }
            done += size_t(n);
        }
        if (fchmod(fd, 0755) != 0 || close(fd) != 0)
            throw BuildError("cannot write \"" + temp_.string() + "\": " + strerror(errno));
    }
    PendingFile(PendingFile&& other) noexcept : target_(std::move(other.target_)), temp_(std::move(other.temp_)) {
        other.temp_.clear();
    }
    ~PendingFile() {
        std::error_code ignored;
        if (!temp_.empty()) std::filesystem::remove(temp_, ignored);
    }
    void commit() {
        std::error_code error;
        std::filesystem::rename(temp_, target_, error);
        if (error) throw BuildError("cannot write \"" + target_.string() + "\": " + error.message());
        temp_.clear();
    }

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
};

}  // namespace

std::filesystem::path volumePath(const std::filesystem::path& output, const std::string& baseName, int number) {
    char name[300];
    snprintf(name, sizeof name, payload::kVolumeNameFormat, baseName.c_str(), number);
    return output.parent_path() / name;
}

InstallerFiles makeInstallerFiles(const Installer& installer, const std::vector<uint8_t>& stub,
                                  uint32_t builderVersion, BuildObserver* observer) {
    WriteOptions options;
    options.builderVersion = builderVersion;
    options.observer = observer;
    PayloadParts parts = writePayload(installer, options);
    if (!parts.error.empty()) throw BuildError(parts.error);
    // The stub checksum covers the headers, so with it the PE checksum stays
    // 0: recomputing it would change the bytes the stub checksum was taken of.
    bool stubChecksum = hasFlag(installer.settings, payload::flag::CheckStubChecksum);
    AppendedSection placed;
    InstallerFiles files;
    try {
        files.installer = appendPayloadSection(stub, parts.sectionContent, parts.afterSection,
                                               installer.layout.dataInFile, &placed,
                                               stubChecksum ? PeChecksum::Zero : PeChecksum::Recompute);
    } catch (const PeError& e) {
        throw BuildError(std::string("the stub cannot carry the payload: ") + e.what());
    }
    if (stubChecksum) {
        setStubChecksum(parts.sectionContent, payloadChecksum(files.installer.data(), placed.fileOffset));
        std::copy(parts.sectionContent.begin(), parts.sectionContent.end(),
                  files.installer.begin() + placed.fileOffset);
    }
    files.volumes = std::move(parts.volumes);
    files.volumeBaseName = installer.settings.volumeBaseName;
    files.dataSize = parts.dataSize;
    files.storedDataSize = parts.storedDataSize;
    return files;
}

BuildSummary buildInstaller(const BuildRequest& request) {
    BuildObserver& observer = request.observer ? *request.observer : noObserver();
    Manifest manifest = readManifest(request.manifest, request.manifestShownName, &observer);
    Installer& installer = manifest.installer;
    try {
        installer.settings.buildTime = chooseBuildTime(request.sourceDateEpoch, manifest.buildTime, request.now);
    } catch (const std::runtime_error& e) {
        throw BuildError(e.what());
    }
    if (request.packLevel > 0) installer.layout.packLevel = request.packLevel;
    std::vector<uint8_t> stub = readFileBytes(request.stub, "the stub");
    InstallerFiles files = makeInstallerFiles(installer, stub, request.builderVersion, &observer);

    uint64_t total = files.installer.size(), done = 0;
    for (const auto& volume : files.volumes) total += volume.size();
    observer.stageStarted(BuildStage::Writing, total);
    BuildSummary summary;
    std::vector<PendingFile> pending;
    for (size_t i = 0; i < files.volumes.size(); ++i) {
        std::filesystem::path path = volumePath(request.output, files.volumeBaseName, int(i) + 2);
        pending.emplace_back(path, files.volumes[i]);
        summary.volumes.push_back(path);
        observer.stageProgress(done += files.volumes[i].size());
    }
    pending.emplace_back(request.output, files.installer);
    observer.stageProgress(done += files.installer.size());
    for (PendingFile& file : pending) file.commit();
    observer.stageFinished(total);
    // Volumes left from an earlier build with more of them would be asked for
    // by nobody, but would confuse whoever copies the directory.
    std::error_code ignored;
    for (int n = int(files.volumes.size()) + 2;; ++n)
        if (!std::filesystem::remove(volumePath(request.output, files.volumeBaseName, n), ignored)) break;
    summary.installerSize = files.installer.size();
    summary.fileCount = installer.files.size();
    summary.dataSize = files.dataSize;
    summary.storedDataSize = files.storedDataSize;
    return summary;
}

}  // namespace build
