#include "install/restart.h"

uint32_t restartFlagsFor(int32_t action, uint32_t options) {
    uint32_t flags = (options & 1) ? 0x4 : 0x10;
    switch (action) {
    case RestartPowerOff: return flags | 0x8;
    case RestartReboot: return flags | 0x2;
    case RestartLogOff: return flags;
    default: return flags | 0x1;
    }
}
