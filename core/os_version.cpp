#include "core/os_version.h"

static uint32_t code9x(const OsVersion& v) {
    if (v.major != 4) return OsCodeOther;
    if (v.minor < 10) return OsCodeWindows95;
    return v.minor < 90 ? OsCodeWindows98 : OsCodeWindowsMe;
}

static uint32_t codeNt(const OsVersion& v) {
    if (v.major < 4) return OsCodeNt3;
    if (v.major == 4) return OsCodeNt4;
    if (v.major > 5) return OsCodeOther;
    switch (v.minor) {
        case 0: return OsCodeWindows2000;
        case 1: return OsCodeWindowsXp;
        case 2: return OsCodeNt52;
        default: return OsCodeOther;
    }
}

uint32_t osCodeFor(const OsVersion& version) {
    switch (version.platform) {
        case OsPlatformWin32s: return OsCodeWin32s;
        case OsPlatform9x: return code9x(version);
        case OsPlatformNt: return codeNt(version);
        default: return OsCodeOther;
    }
}

static void appendVersionName(String& text, const OsVersion& v) {
    if (v.platform == OsPlatform9x) {
        if (v.major != 4) {
            text.appendFormat("9x %u.%u", v.major, v.minor);
        } else {
            text.append(v.minor < 10 ? "95" : (v.minor < 90 ? "98" : "ME"));
        }
    } else if (v.platform == OsPlatformNt) {
        if (v.major == 5 && v.minor == 0) {
            text.append("2000");
        } else if (v.major == 5 && v.minor == 1) {
            text.append("XP");
        } else {
            text.appendFormat("NT %u.%u", v.major, v.minor);
        }
    } else {
        text.appendFormat("%u.%u", v.major, v.minor);
    }
}

String osVersionTextFor(const OsVersion& version) {
    String text("Windows ");
    appendVersionName(text, version);
    if (!version.servicePack.startsWithChar(' ')) text.appendChar(' ');
    text.append(version.servicePack);
    text.trimEnd();
    return text;
}
