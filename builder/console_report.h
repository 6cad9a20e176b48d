// What tavo-build prints while it builds: a progress bar on stderr, a
// listing of the files with --verbose, and the closing summary.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "builder/build_installer.h"
#include "builder/build_observer.h"

namespace build {

// "0 bytes", "512 bytes", "1.5 KiB", "12.3 MiB", "1.02 GiB".
std::string byteText(uint64_t bytes);

// One stage as the progress display shows it.
struct ProgressState {
    BuildStage stage = BuildStage::ReadingFiles;
    uint64_t total = 0;   // bytes the stage works through
    uint64_t done = 0;    // bytes done; 0 while packing gives no count
    double seconds = 0;   // since the stage began
};

// The progress line, at most `width` characters, without line ends:
//   "reading files  [#########...........]  45%  5.5 MiB of 12.3 MiB"
//   "packing 12.3 MiB  [     <=>          ]  14 s"   (packing without a count)
std::string progressLine(const ProgressState& state, size_t width);

// The line a finished stage leaves when the display is not redrawn in place:
//   "reading files: 12.3 MiB in 0.4 s", "packing: 12.3 MiB to 4.1 MiB (33 %) in 14.2 s".
std::string stageDoneLine(const ProgressState& state, uint64_t resultBytes);

// The closing summary on stdout.
std::string summaryText(const std::string& output, const BuildSummary& summary);

struct ConsoleOptions {
    bool progress = false;  // show the progress of the stages on stderr
    bool redraw = false;    // stderr is a terminal: one line redrawn in place (else one line per stage)
    bool verbose = false;   // list each file and each stage on stdout
    double delaySeconds = 0;  // redraw only after the build has run this long (quick builds show nothing)
};

class ConsoleReport final : public BuildObserver {
public:
    ConsoleReport(ConsoleOptions options, std::FILE* out, std::FILE* err);
    ~ConsoleReport() override;  // ends the redrawing and clears the bar

    void fileAdded(const std::string& source, const std::string& name, const std::string& kind,
                   uint64_t size) override;
    void stageStarted(BuildStage stage, uint64_t totalBytes) override;
    void stageProgress(uint64_t doneBytes) override;
    void stageFinished(uint64_t resultBytes) override;

    // Takes the bar off the screen (before a message or the summary).
    void clear();

private:
    double secondsSince(std::chrono::steady_clock::time_point start) const;
    void redrawLoop();
    void drawLocked();
    void clearLocked();

    ConsoleOptions options_;
    std::FILE* out_;
    std::FILE* err_;
    std::chrono::steady_clock::time_point begun_;
    std::chrono::steady_clock::time_point stageBegun_;
    std::mutex mutex_;
    std::condition_variable wake_;
    ProgressState state_;
    bool inStage_ = false;
    bool barShown_ = false;
    bool stopping_ = false;
    std::thread redrawer_;
};

}  // namespace build
