// The progress dialog's decisions, apart from its window: which texts it
// shows, whether cancelling is offered, the percent schedule the callers
// follow, and how long a status line is held.
#pragma once
#include <stdint.h>

// String ids of the dialog's texts for the run's mode.
struct ProgressWording {
    int caption;
    int heading;
    int cancelButton;
};
ProgressWording progressWording(bool uninstallMode);

// Whether the cancel button is enabled: not while uninstalling, not when the
// option word forbids cancelling (low bit 0x200000). A click asks only when
// the option word allows cancelling.
bool cancelButtonEnabled(bool uninstallMode, uint32_t productFlagsLow);
bool cancelClickAsks(uint32_t productFlagsLow);

// The percent schedule of the callers. Fixed points are named; the phases
// that move with the work have functions. A count of 0 or less gives the
// phase's start.
namespace progress {
constexpr int kInstallStarted = 2;        // with status string 8
constexpr int kDataChecked = 36;          // with status string 62
constexpr int kDataUnpacked = 40;         // with status string 29
constexpr int kFilesDone = 87;
constexpr int kRegistering = 90;          // with status string 32
constexpr int kRegistryAndLinks = 95;
constexpr int kInstallFinished = 100;     // with status string 36
constexpr int kUninstallAssociations = 1; // with status string 70
constexpr int kUninstallFonts = 5;        // with status string 67
constexpr int kUninstallLogAndMenu = 90;  // with status string 68
constexpr int kUninstallKeys = 95;        // with status string 69
constexpr uint32_t kUninstallHoldMs = 500;
}  // namespace progress

// 5 + 30 × done ÷ total, in 64-bit arithmetic.
int dataPhasePercent(uint64_t bytesDone, uint64_t totalBytes);
// 45 + 40 × index ÷ count, for file `index` (from 0) of `count`.
int fileLoopPercent(int32_t index, int32_t count);
// 10 + trunc(80 × index ÷ count), for uninstall line `index` of `count`.
int uninstallLinePercent(int32_t index, int32_t count);

// Milliseconds since `statusClock` as a signed 32-bit difference, so that a
// tick count that wrapped around still gives the right small answer.
int32_t elapsedSince(uint32_t now, uint32_t statusClock);

// What holding a status line needs from the system.
class StatusHoldHost {
public:
    virtual uint32_t tickCount() = 0;
    // The run's message pump: true when a close, destroy or quit was seen.
    virtual bool pumpMessages() = 0;
    virtual void sleep(uint32_t milliseconds) = 0;

protected:
    ~StatusHoldHost() = default;
};

// Waits until the status line set at `statusClock` has been shown for
// `milliseconds`: nothing in automatic mode or for 0 ms; otherwise up to
// `milliseconds` passes of pump (stop on a close), check the time (stop
// when it is up or runs backwards), sleep 50 ms.
void holdStatusLine(StatusHoldHost& host, uint32_t statusClock, uint32_t milliseconds, bool automaticMode);

// Where the progress bar goes: over the frame control (left, top, right,
// bottom in the dialog's client coordinates), one pixel beyond it on every
// side, so that the frame does not show.
struct BarPlacement {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};
BarPlacement barOverFrame(int32_t left, int32_t top, int32_t right, int32_t bottom);
