// Ending the Windows session at the end of an installation. The flag rule is
// pure; RestartSystem and SetShutdownPrivilege are install/restart_win32.cpp.
#pragma once
#include <stdint.h>

// Actions of RestartSystem.
enum : int32_t {
    RestartPowerOff = 1,
    RestartReboot = 2,
    RestartLogOff = 3,  // any other action shuts down
};

// The session-ending flags (the values of ExitWindowsEx) for an action:
// force (4) with options bit 0, else force-if-hung (0x10), plus power-off
// (8), reboot (2), log-off (0) or shut-down (1).
uint32_t restartFlagsFor(int32_t action, uint32_t options);

// --- Windows only (install/restart_win32.cpp) ---

// Enables, or with false drops (every privilege of the token, not only this
// one), the shutdown privilege of the process. The token functions are bound
// from advapi32.dll on the first call; without them nothing happens.
void SetShutdownPrivilege(bool enable);
