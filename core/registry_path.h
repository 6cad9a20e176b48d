// Registry key paths as texts: the root key a path names and the split of a
// path into its key part and last component. No system calls: the Win32
// side maps RegistryRoot to the predefined keys.
#pragma once
#include <stdint.h>

#include "core/string.h"

// The flag bits of the registry operations.
enum : uint32_t {
    RegDeleteWhenEmpty = 0x08,  // writing an empty value deletes it instead
    RegOnlyIfEmpty = 0x20,      // deleteKey deletes only a key with no subkeys and no values
    RegOpenOnly = 0x40,         // open existing keys only; without it a missing key is created
};

// The five predefined root keys.
enum RegistryRoot : uint8_t {
    RegistryRootNone = 0,
    RegistryRootClassesRoot,    // HKEY_CLASSES_ROOT, HKCR
    RegistryRootCurrentUser,    // HKEY_CURRENT_USER, HKCU
    RegistryRootLocalMachine,   // HKEY_LOCAL_MACHINE, HKLM
    RegistryRootUsers,          // HKEY_USERS, HKU
    RegistryRootCurrentConfig,  // HKEY_CURRENT_CONFIG, HKCC
};

// Reads a root key name at the start of `path` ("HKEY_LOCAL_MACHINE\Software\X",
// "hklm\Software\X", "HKCU"), in any letter case, standing alone or before a
// backslash. Returns the root and sets `rest` to what follows the backslash
// (empty for a name alone). RegistryRootNone, and `rest` = `path`, when the
// path does not start with a root name.
RegistryRoot splitRegistryRoot(const String& path, String& rest);

// The long name of a root ("HKEY_LOCAL_MACHINE"); "" for RegistryRootNone.
const char* registryRootName(RegistryRoot root);

// Splits a key path for the operations that open a key and act on its last
// element: `keyPart` is the text up to and including the last backslash,
// `lastComponent` the rest. Without a backslash, a ":" at index 1 splits
// after those two characters; any other text is all last component with an
// empty key part. False only when the last component would be empty
// ("Software\X\"), leaving both outputs empty.
bool splitRegistryPath(const String& path, String& keyPart, String& lastComponent);
