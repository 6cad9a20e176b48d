#include <gtest/gtest.h>

#include <string>

#include "core/registry_path.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

TEST(RegistryRoot, LongAndShortNames) {
    struct Case {
        const char* path;
        RegistryRoot root;
        const char* rest;
    } cases[] = {
        {"HKEY_LOCAL_MACHINE\\Software\\X", RegistryRootLocalMachine, "Software\\X"},
        {"HKLM\\Software\\X", RegistryRootLocalMachine, "Software\\X"},
        {"hkey_current_user\\Software", RegistryRootCurrentUser, "Software"},
        {"HKCU", RegistryRootCurrentUser, ""},
        {"HKEY_CLASSES_ROOT\\.txt", RegistryRootClassesRoot, ".txt"},
        {"HKCR\\", RegistryRootClassesRoot, ""},
        {"HKEY_USERS\\.DEFAULT", RegistryRootUsers, ".DEFAULT"},
        {"HKU\\S-1", RegistryRootUsers, "S-1"},
        {"HKEY_CURRENT_CONFIG\\System", RegistryRootCurrentConfig, "System"},
        {"HKCC\\System", RegistryRootCurrentConfig, "System"},
        {"HKLMX\\Software", RegistryRootNone, "HKLMX\\Software"},  // a longer word is no root name
        {"HKEY_LOCAL_MACHINE2", RegistryRootNone, "HKEY_LOCAL_MACHINE2"},
        {"Software\\X", RegistryRootNone, "Software\\X"},
        {"", RegistryRootNone, ""},
        {"HK", RegistryRootNone, "HK"},
    };
    for (const Case& c : cases) {
        String rest("stale");
        EXPECT_EQ(splitRegistryRoot(c.path, rest), c.root) << c.path;
        EXPECT_EQ(str(rest), c.rest) << c.path;
    }
    EXPECT_STREQ(registryRootName(RegistryRootLocalMachine), "HKEY_LOCAL_MACHINE");
    EXPECT_STREQ(registryRootName(RegistryRootNone), "");
}

TEST(RegistryPath, SplitsAtTheLastBackslash) {
    struct Case {
        const char* path;
        bool ok;
        const char* key;
        const char* last;
    } cases[] = {
        {"Software\\Maker\\Product", true, "Software\\Maker\\", "Product"},
        {"Software\\Product", true, "Software\\", "Product"},
        {"Product", true, "", "Product"},  // all last component: a value directly under the root
        {"C:value", true, "C:", "value"},  // drive-style ":" at index 1
        {"AB:c", true, "", "AB:c"},
        {"Software\\Product\\", false, "", ""},
        {"C:", false, "", ""},
        {"", false, "", ""},
        {"\\x", true, "\\", "x"},
    };
    for (const Case& c : cases) {
        String key("stale"), last("stale");
        EXPECT_EQ(splitRegistryPath(c.path, key, last), c.ok) << c.path;
        EXPECT_EQ(str(key), c.key) << c.path;
        EXPECT_EQ(str(last), c.last) << c.path;
    }
}

}  // namespace
