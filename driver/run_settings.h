// Run-wide settings, owned by the driver for the whole process. Filled by the
// command line and later by the settings block; read by every other module.
#pragma once
#include <stdint.h>

#include "core/string.h"
#include "payload/header.h"
#include "payload/payload_open.h"
#include "payload/settings_reader.h"

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
extern String UninstallName;       // /u:, else the settings block
extern String RunAfterInstall;     // /r:
extern String InstallSource;       // the installer's own path
extern ProductFlagWords ProductFlags;

// Where the payload lies: the section, its mapped copy, the file's length.
extern PayloadLocation InstallerPayload;
// The payload's header and settings block as read; the lists and texts that
// no run-wide name above holds are used from here.
extern PayloadHeader PayloadHeaderFields;
extern SettingsBlock PayloadSettings;
// The installer without its payload section: the future uninstaller program.
extern String StubImage;

// Takes the option word over: ProductFlags, and automatic mode when low bit
// 0x100 asks for it (a /a stays on either way).
void applyProductFlags(const SettingsBlock& block);

// Takes the rest of the block over into the run-wide names: ProductName (the
// block already holds the /n override when there was one), UninstallName,
// and the localised texts, which move out of `block`.
void applySettingsBlock(SettingsBlock& block);
