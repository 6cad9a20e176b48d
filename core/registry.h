// Registry: the one way to the Windows registry. It holds the current key and
// a stack of the keys that were current before each open, so that a caller can
// open a key, open subkeys of it, close them and find the outer key current
// again. Results are small codes or booleans; nothing here stops the run.
//
// Keys are opened with all rights and created with no class, no options and
// default security. Flags and roots: core/registry_path.h (RegDeleteWhenEmpty,
// RegOnlyIfEmpty, RegOpenOnly; RegistryRoot). Values travel as Variants.
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/registry_path.h"
#include "core/string.h"
#include "core/variant.h"

// An open key as the key stack holds it.
struct RegistryKey {
    void* handle;
};
TAVO_TYPE_NAME(RegistryKey, "HKEY");

// Results of open.
enum : int32_t {
    RegOpenFailed = 0,
    RegOpenedExisting = 1,
    RegCreatedNew = 2,
};

// Results of deleteKey and deleteValue.
enum : int32_t {
    RegDeleted = 1,
    RegNothingToDelete = 2,  // deleteValue: no key current
    RegRefused = 3,
    RegNotEmpty = 4,
};

class Registry {
public:
    constexpr Registry() : currentKey_(nullptr) {}
    ~Registry() { closeAll(); }
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Opens (RegOpenOnly) or opens/creates `subkey` under `root`. On success
    // the current key is pushed and the new key becomes current. Returns
    // RegOpenFailed (nothing changed), RegOpenedExisting or RegCreatedNew.
    int32_t open(RegistryRoot root, const char* subkey, uint32_t flags);
    // open relative to the current key; RegOpenFailed when none is current.
    int32_t openSub(const char* subkey, uint32_t flags);
    // open of "Software\" + subkey under local machine, or current user.
    int32_t openSoftware(const char* subkey, bool currentUser, uint32_t flags);
    // Closes the current key; the key popped from the stack becomes current.
    void close();
    void closeAll();
    bool hasCurrentKey() const { return currentKey_ != nullptr; }

    // Opens (never creates) and closes again; false for an empty subkey.
    bool keyExists(RegistryRoot root, const char* subkey);
    bool softwareKeyExists(const char* subkey, bool currentUser);

    // Subkeys of the current key: -1 when none is current or the query fails.
    int32_t subkeyCount();
    bool hasSubkeys() { return subkeyCount() > 0; }
    // No subkeys and no values; also true when no key is current or the
    // query fails.
    bool isEmptyKey();
    // Appends the names of every subkey (199 characters at most each) and
    // returns how many; the thread's last error is 0 after a normal end, else
    // the failing code.
    int32_t subkeyNames(Array<String>& names);

    // Deletes subkey `name` of the current key with everything below it:
    // RegDeleted; RegNothingToDelete (no key current, no name, or the subkey
    // cannot be opened); RegRefused; RegNotEmpty with RegOnlyIfEmpty.
    int32_t deleteKey(const char* name, uint32_t flags);
    // Opens the key part of `path` (RegOpenOnly; RegNothingToDelete when that
    // fails), deletes its last component and closes.
    int32_t deleteKeyAt(RegistryRoot root, const char* path, uint32_t flags);
    int32_t deleteSoftwareKey(const char* subkey, bool currentUser, uint32_t flags);
    int32_t deleteSoftwareSubkey(const char* subkey, const char* name, bool currentUser, uint32_t flags);

    // Values of the current key; every one fails when no key is current.
    bool valueExists(const char* name);
    // RegDeleted, RegNothingToDelete (no key current), RegRefused (for
    // example, no such value).
    int32_t deleteValue(const char* name);
    // Reads the value into `value`: texts, expandable texts, binary data and
    // multi-texts as text (a text without its terminating zero), numbers as
    // integers. False for a missing value and other types.
    bool queryValue(const char* name, Variant& value, uint32_t flags);
    // The value converted from its Variant, or the default when it cannot be read.
    bool readBool(const char* name, bool defaultValue, uint32_t flags);
    int32_t readInt(const char* name, int32_t defaultValue, uint32_t flags);
    // True when the value was read; `out` is the value or `defaultValue`.
    bool readString(String& out, const char* name, const char* defaultValue, uint32_t flags);
    // `path` names a key and a value, split at its last backslash. The key
    // is opened with `flags` (without RegOpenOnly a missing key is created),
    // the value read (default empty), the key closed. `out` is `defaultValue`
    // when the key cannot be opened (the result is then false).
    bool readStringAt(String& out, RegistryRoot root, const char* path, const char* defaultValue, uint32_t flags);

    // Writes `value`: none deletes (true); with RegDeleteWhenEmpty an empty
    // value deletes (true); integers as REG_DWORD (low 32 bits); everything
    // else as its text (REG_SZ). True when the system accepted the write.
    bool setValue(const char* name, const Variant& value, uint32_t flags);
    bool setInt(const char* name, int32_t value, uint32_t flags);
    bool setBool(const char* name, bool on) { return setInt(name, on ? 1 : 0, 0); }
    // A text value; with RegDeleteWhenEmpty an empty text deletes the value
    // (true when deleteValue gave RegDeleted).
    bool setText(const char* name, const char* text, uint32_t flags);
    bool setString(const char* name, const String& text, uint32_t flags) { return setText(name, text.text(), flags); }
    // setText for an expandable text (REG_EXPAND_SZ), which readers expand
    // through the environment.
    bool setExpandText(const char* name, const char* text, uint32_t flags);

private:
    int32_t openUnder(void* parent, const char* subkey, uint32_t flags);
    bool writeValue(const char* name, uint32_t type, const void* data, uint32_t size);
    bool writeText(const char* name, uint32_t type, const char* text, uint32_t flags);

    void* currentKey_;
    Stack<RegistryKey> keyStack_;
};
