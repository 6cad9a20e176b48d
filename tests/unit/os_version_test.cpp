#include <gtest/gtest.h>

#include <string>

#include "core/os_version.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

OsVersion version(uint32_t platform, uint32_t major, uint32_t minor, const char* servicePack = "") {
    OsVersion v;
    v.platform = platform;
    v.major = major;
    v.minor = minor;
    v.servicePack = servicePack;
    return v;
}

TEST(OsVersion, CodeAndText) {
    struct Case {
        OsVersion version;
        uint32_t code;
        const char* text;
    } cases[] = {
        {version(OsPlatformWin32s, 3, 11), OsCodeWin32s, "Windows 3.11"},
        {version(OsPlatform9x, 4, 0), OsCodeWindows95, "Windows 95"},
        {version(OsPlatform9x, 4, 0, " B"), OsCodeWindows95, "Windows 95 B"},
        {version(OsPlatform9x, 4, 9), OsCodeWindows95, "Windows 95"},
        {version(OsPlatform9x, 4, 10, " A"), OsCodeWindows98, "Windows 98 A"},  // Second Edition
        {version(OsPlatform9x, 4, 89), OsCodeWindows98, "Windows 98"},
        {version(OsPlatform9x, 4, 90), OsCodeWindowsMe, "Windows ME"},
        {version(OsPlatform9x, 5, 0), OsCodeOther, "Windows 9x 5.0"},
        {version(OsPlatformNt, 3, 51), OsCodeNt3, "Windows NT 3.51"},
        {version(OsPlatformNt, 4, 0, "Service Pack 6"), OsCodeNt4, "Windows NT 4.0 Service Pack 6"},
        {version(OsPlatformNt, 5, 0, "Service Pack 4"), OsCodeWindows2000, "Windows 2000 Service Pack 4"},
        {version(OsPlatformNt, 5, 1), OsCodeWindowsXp, "Windows XP"},
        {version(OsPlatformNt, 5, 1, "Service Pack 2 \r\n"), OsCodeWindowsXp, "Windows XP Service Pack 2"},
        {version(OsPlatformNt, 5, 2), OsCodeNt52, "Windows NT 5.2"},
        {version(OsPlatformNt, 5, 3), OsCodeOther, "Windows NT 5.3"},
        {version(OsPlatformNt, 6, 1, "Service Pack 1"), OsCodeOther, "Windows NT 6.1 Service Pack 1"},
        {version(OsPlatformNt, 10, 0), OsCodeOther, "Windows NT 10.0"},
        {version(3, 2, 0), OsCodeOther, "Windows 2.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(osCodeFor(c.version), c.code) << c.text;
        EXPECT_EQ(str(osVersionTextFor(c.version)), c.text);
    }
}

TEST(OsVersion, ExcludedSystemsMask) {
    uint32_t mask = OsCodeWindows95 | OsCodeWindowsMe;
    EXPECT_TRUE(isExcludedSystem(mask, osCodeFor(version(OsPlatform9x, 4, 0))));
    EXPECT_FALSE(isExcludedSystem(mask, osCodeFor(version(OsPlatform9x, 4, 10))));
    EXPECT_FALSE(isExcludedSystem(0, OsCodeOther));
    EXPECT_TRUE(isExcludedSystem(OsCodeOther, osCodeFor(version(OsPlatformNt, 6, 0))));
}

}  // namespace
