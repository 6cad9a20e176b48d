// Which Windows the installer runs on, from the numbers the system's version
// query reports: the one-bit code the payload's excluded-systems mask is
// tested against, and the readable name for messages. The query itself is
// the Win32 side's; these are the pure decisions.
#pragma once
#include <stdint.h>

#include "core/string.h"

// The platform ids of the version query.
enum : uint32_t {
    OsPlatformWin32s = 0,
    OsPlatform9x = 1,
    OsPlatformNt = 2,
};

// OsCode bits, one per system version (the excludedSystems mask's bits).
enum : uint32_t {
    OsCodeOther = 0x1,  // any version not listed, newer ones included
    OsCodeWin32s = 0x2,
    OsCodeWindows95 = 0x4,
    OsCodeWindows98 = 0x8,
    OsCodeWindowsMe = 0x10,
    OsCodeNt3 = 0x20,
    OsCodeNt4 = 0x40,
    OsCodeWindows2000 = 0x80,
    OsCodeWindowsXp = 0x100,
    OsCodeNt52 = 0x200,
};

// What the version query reported. `servicePack` is its service-pack text
// (for example " A" on 98 Second Edition, "Service Pack 6" on NT 4.0).
struct OsVersion {
    uint32_t platform = 0;
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    String servicePack;
};

// The OsCode bit of that system.
uint32_t osCodeFor(const OsVersion& version);

// "Windows " and the version ("95", "98", "ME", "9x 5.0", "NT 4.0", "2000",
// "XP", "NT 6.1"; "%u.%u" on Win32s and unknown platforms), then the
// service-pack text after one blank, trailing blanks trimmed:
// "Windows 98 A", "Windows NT 4.0 Service Pack 6", "Windows XP".
String osVersionTextFor(const OsVersion& version);

// True when the installer may not run on the system of `osCode`.
inline bool isExcludedSystem(uint32_t excludedSystems, uint32_t osCode) { return (excludedSystems & osCode) != 0; }
