// Run-wide settings, owned by the driver for the whole process. Filled by the
// command line and later by the settings block; read by every other module.
#pragma once
#include <stdint.h>

#include "core/string.h"

// The 64-bit option word of the settings block, as its two halves.
struct ProductFlagWords {
    uint32_t low;
    uint32_t high;
};

// High-half bit: error boxes are shown even in automatic mode.
constexpr uint32_t kHighShowErrorsInAutomaticMode = 0x8;

extern void* InstanceHandle;       // the module handle the entry point received
extern bool AutomaticMode;         // /a, or the settings block
extern bool UninstallMode;         // /u
extern String InstallDir;          // /d:
extern String ProductName;         // /n:, else the settings block
extern String UninstallName;       // /u:
extern String RunAfterInstall;     // /r:
extern String InstallSource;       // the installer's own path
extern ProductFlagWords ProductFlags;
