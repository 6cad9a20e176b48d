#include <gtest/gtest.h>

#include "install/restart.h"

namespace {

TEST(Restart, FlagsForEachAction) {
    struct Case {
        int32_t action;
        uint32_t options;
        uint32_t flags;
    } cases[] = {
        {2, 0, 0x12},  // what the installer asks for: reboot, force if hung
        {2, 1, 0x6},
        {1, 0, 0x18},
        {1, 1, 0xC},
        {3, 0, 0x10},  // log-off adds nothing
        {3, 1, 0x4},
        {0, 0, 0x11},  // any other action shuts down
        {99, 3, 0x5},  // only options bit 0 counts
    };
    for (const Case& c : cases) {
        EXPECT_EQ(restartFlagsFor(c.action, c.options), c.flags) << c.action << " " << c.options;
    }
}

}  // namespace
