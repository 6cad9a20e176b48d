// What a build tells whoever watches it: the files it takes in, and the
// stages it goes through with their byte counts, for a progress display or
// a verbose listing. Every call comes from the building thread.
#pragma once
#include <cstdint>
#include <string>

namespace build {

enum class BuildStage {
    ReadingFiles,  // the bodies of the [[files]] sources
    Packing,       // compressing the file data (the packer gives no byte count yet)
    Writing,       // the installer and its volumes
};

class BuildObserver {
public:
    virtual ~BuildObserver() = default;
    // A source file became an entry: its path as found, its name on the
    // target machine, its kind's name and its size.
    virtual void fileAdded(const std::string& /*source*/, const std::string& /*name*/, const std::string& /*kind*/,
                           uint64_t /*size*/) {}
    // A stage begins; `totalBytes` is what it works through.
    virtual void stageStarted(BuildStage /*stage*/, uint64_t /*totalBytes*/) {}
    // Bytes of the current stage done so far (never more than its total).
    virtual void stageProgress(uint64_t /*doneBytes*/) {}
    // The current stage is over; `resultBytes` is what it produced (the
    // packed size for Packing).
    virtual void stageFinished(uint64_t /*resultBytes*/) {}
};

// Watches nothing.
inline BuildObserver& noObserver() {
    static BuildObserver none;
    return none;
}

}  // namespace build
