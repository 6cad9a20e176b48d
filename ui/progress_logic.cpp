#include "ui/progress_logic.h"

#include "payload/format.h"

ProgressWording progressWording(bool uninstallMode) {
    if (uninstallMode) return {55, 71, 49};
    return {54, 39, 49};
}

bool cancelClickAsks(uint32_t productFlagsLow) { return (productFlagsLow & payload::flag::NoCancel.bit) == 0; }

bool cancelButtonEnabled(bool uninstallMode, uint32_t productFlagsLow) {
    return !uninstallMode && cancelClickAsks(productFlagsLow);
}

int dataPhasePercent(uint64_t bytesDone, uint64_t totalBytes) {
    if (totalBytes == 0) return 5;
    return (int)(5 + 30 * bytesDone / totalBytes);
}

int fileLoopPercent(int32_t index, int32_t count) {
    if (count <= 0) return 45;
    return (int)(45 + (int64_t)index * 40 / count);
}

int uninstallLinePercent(int32_t index, int32_t count) {
    if (count <= 0) return 10;
    return (int)(10 + (int64_t)index * 80 / count);
}

int32_t elapsedSince(uint32_t now, uint32_t statusClock) { return (int32_t)(now - statusClock); }

void holdStatusLine(StatusHoldHost& host, uint32_t statusClock, uint32_t milliseconds, bool automaticMode) {
    if (automaticMode || milliseconds == 0) return;
    const uint32_t pause = 50;
    for (uint32_t pass = 0; pass < milliseconds; ++pass) {
        if (host.pumpMessages()) return;
        int32_t elapsed = elapsedSince(host.tickCount(), statusClock);
        if (elapsed < 0 || (uint32_t)elapsed >= milliseconds) return;
        host.sleep(pause);
    }
}

BarPlacement barOverFrame(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return {left - 1, top - 1, right - left + 3, bottom - top + 3};
}
