#include <gtest/gtest.h>

#include <stdint.h>

#include <vector>

#include "ui/progress_logic.h"

namespace {

TEST(UiProgressTest, WordingFollowsTheMode) {
    ProgressWording install = progressWording(false);
    EXPECT_EQ(install.caption, 54);
    EXPECT_EQ(install.heading, 39);
    EXPECT_EQ(install.cancelButton, 49);
    ProgressWording uninstall = progressWording(true);
    EXPECT_EQ(uninstall.caption, 55);
    EXPECT_EQ(uninstall.heading, 71);
    EXPECT_EQ(uninstall.cancelButton, 49);
}

TEST(UiProgressTest, CancelIsOfferedOnlyWhileInstallingAndAllowed) {
    struct Case {
        bool uninstall;
        uint32_t flagsLow;
        bool enabled, asks;
    } cases[] = {
        {false, 0, true, true},
        {false, 0xFFDFFFFF, true, true},  // every bit but no-cancel
        {false, 0x200000, false, false},
        {true, 0, false, true},           // disabled, so no click arrives
        {true, 0x200000, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cancelButtonEnabled(c.uninstall, c.flagsLow), c.enabled) << c.uninstall << " " << c.flagsLow;
        EXPECT_EQ(cancelClickAsks(c.flagsLow), c.asks) << c.flagsLow;
    }
}

TEST(UiProgressTest, PercentScheduleOfTheMovingPhases) {
    struct DataCase {
        uint64_t done, total;
        int percent;
    } data[] = {{0, 100, 5}, {50, 100, 20}, {99, 100, 34}, {100, 100, 35},
                {3000000000ull, 6000000000ull, 20}, {0x7FFFFFFFFFFull, 0x7FFFFFFFFFFull, 35}, {7, 0, 5}};
    for (const DataCase& c : data) EXPECT_EQ(dataPhasePercent(c.done, c.total), c.percent) << c.done << "/" << c.total;

    struct LoopCase {
        int32_t index, count;
        int file, uninstallLine;
    } loop[] = {{0, 10, 45, 10},  {9, 10, 81, 82}, {1, 3, 58, 36}, {2, 3, 71, 63},
                {0, 0, 45, 10},   {0, -4, 45, 10}, {1999999999, 2000000000, 84, 89}};
    for (const LoopCase& c : loop) {
        EXPECT_EQ(fileLoopPercent(c.index, c.count), c.file) << c.index << "/" << c.count;
        EXPECT_EQ(uninstallLinePercent(c.index, c.count), c.uninstallLine) << c.index << "/" << c.count;
    }
}

TEST(UiProgressTest, ElapsedTimeSurvivesTheTickCountWrapping) {
    EXPECT_EQ(elapsedSince(1500, 1000), 500);
    EXPECT_EQ(elapsedSince(5, 0xFFFFFFF0u), 21);
    EXPECT_EQ(elapsedSince(100, 200), -100);
}

// A clock that moves only when slept on (plus `drift` per look), and a pump
// that reports a close at a chosen call.
class FakeHold final : public StatusHoldHost {
public:
    uint32_t now = 0;
    uint32_t drift = 0;
    int closeAtPump = -1;  // 0-based call that reports a close; -1: never
    int pumps = 0;
    std::vector<uint32_t> sleeps;
    bool sleepMovesClock = true;

    uint32_t tickCount() override {
        now += drift;
        return now;
    }
    bool pumpMessages() override { return pumps++ == closeAtPump; }
    void sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        if (sleepMovesClock) now += ms;
    }
};

TEST(UiProgressTest, HoldWaitsOutTheRestOfTheStatusTime) {
    struct Case {
        const char* what;
        uint32_t now, clock, hold;
        bool automatic;
        int closeAtPump;
        bool sleepMovesClock;
        int pumps;
        size_t sleeps;
    } cases[] = {
        {"automatic mode holds nothing", 1000, 1000, 500, true, -1, true, 0, 0},
        {"0 ms holds nothing", 1000, 1000, 0, false, -1, true, 0, 0},
        {"shown for a second already: one pass, no sleep", 2000, 1000, 500, false, -1, true, 1, 0},
        {"just set: 10 sleeps of 50 ms", 1000, 1000, 500, false, -1, true, 11, 10},
        {"part shown: the rest", 1300, 1000, 500, false, -1, true, 5, 4},
        {"a close stops at once", 1000, 1000, 500, false, 0, true, 1, 0},
        {"a close after two sleeps", 1000, 1000, 500, false, 2, true, 3, 2},
        {"clock ahead of now: elapsed negative stops", 1000, 5000, 500, false, -1, true, 1, 0},
        {"across the wrap: 272 ms shown, 5 sleeps left", 0x10, 0xFFFFFF00u, 500, false, -1, true, 6, 5},
        {"a clock that stands still: at most ms passes", 1000, 1000, 3, false, -1, false, 3, 3},
    };
    for (const Case& c : cases) {
        FakeHold host;
        host.now = c.now;
        host.closeAtPump = c.closeAtPump;
        host.sleepMovesClock = c.sleepMovesClock;
        holdStatusLine(host, c.clock, c.hold, c.automatic);
        EXPECT_EQ(host.pumps, c.pumps) << c.what;
        EXPECT_EQ(host.sleeps.size(), c.sleeps) << c.what;
        for (uint32_t ms : host.sleeps) EXPECT_EQ(ms, 50u) << c.what;
    }
}

TEST(UiProgressTest, BarCoversTheFrameByOnePixelAllRound) {
    BarPlacement bar = barOverFrame(8, 18, 293, 32);
    EXPECT_EQ(bar.x, 7);
    EXPECT_EQ(bar.y, 17);
    EXPECT_EQ(bar.width, 288);
    EXPECT_EQ(bar.height, 17);
}

}  // namespace
