#include "core/registry_path.h"

namespace {

struct RootName {
    RegistryRoot root;
    const char* longName;
    const char* shortName;
};

const RootName rootNames[] = {
    {RegistryRootClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {RegistryRootCurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RegistryRootLocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {RegistryRootUsers, "HKEY_USERS", "HKU"},
    {RegistryRootCurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
};

// The length of `name` when `path` starts with it (any case) followed by the
// end or a backslash; else 0.
int32_t rootNameLength(const String& path, const char* name) {
    int32_t length = 0;
    while (name[length]) length++;
    if (path.compare(name, false, length) != 0) return 0;
    char next = path.charAt(length);
    return next == 0 || next == '\\' ? length : 0;
}

}  // namespace

RegistryRoot splitRegistryRoot(const String& path, String& rest) {
    for (const RootName& entry : rootNames) {
        int32_t length = rootNameLength(path, entry.longName);
        if (length == 0) length = rootNameLength(path, entry.shortName);
        if (length == 0) continue;
        rest = path.substring(length + 1);  // past the backslash, when there is one
        return entry.root;
    }
    rest = path;
    return RegistryRootNone;
}

const char* registryRootName(RegistryRoot root) {
    for (const RootName& entry : rootNames) {
        if (entry.root == root) return entry.longName;
    }
    return "";
}

bool splitRegistryPath(const String& path, String& keyPart, String& lastComponent) {
    int32_t cut = path.findLastChar('\\');
    if (cut >= 0) {
        cut += 1;
    } else {
        cut = path.charAt(1) == ':' ? 2 : 0;
    }
    if (cut >= path.length()) {
        keyPart.clear();
        lastComponent.clear();
        return false;
    }
    keyPart = path.substring(0, cut);
    lastComponent = path.substring(cut);
    return true;
}
