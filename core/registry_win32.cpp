// Registry on the Win32 registry functions; the value-type decisions are in
// core/registry_value_rules.cpp, the path splits in core/registry_path.cpp.
#include <windows.h>
#include <string.h>

#include "core/bytes.h"
#include "core/registry.h"
#include "core/registry_value_rules.h"

static_assert(REG_SZ == RegTypeText && REG_EXPAND_SZ == RegTypeExpandText && REG_BINARY == RegTypeBinary &&
                  REG_DWORD == RegTypeNumber && REG_MULTI_SZ == RegTypeMultiText,
              "value types");

// Characters offered for one subkey name (of a 200-byte buffer).
static const DWORD subkeyNameLimit = 199;

static HKEY keyOf(void* key) { return static_cast<HKEY>(key); }

static HKEY rootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRootClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRootCurrentUser: return HKEY_CURRENT_USER;
    case RegistryRootLocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRootUsers: return HKEY_USERS;
    case RegistryRootCurrentConfig: return HKEY_CURRENT_CONFIG;
    default: return nullptr;
    }
}

static String softwarePath(const char* subkey) {
    String path("Software\\");
    path.append(subkey);
    return path;
}

// The key part of a split path as the system takes it: without the
// separating backslash.
static String keyName(const String& keyPart) {
    String name = keyPart;
    name.removeTrailing('\\');
    return name;
}

int32_t Registry::openUnder(void* parent, const char* subkey, uint32_t flags) {
    if (!parent) return RegOpenFailed;
    HKEY key = nullptr;
    DWORD disposition = REG_OPENED_EXISTING_KEY;
    LONG answer;
    if (flags & RegOpenOnly) {
        answer = RegOpenKeyExA(keyOf(parent), subkey ? subkey : "", 0, KEY_ALL_ACCESS, &key);
    } else {
        char noClass[] = "";
        answer = RegCreateKeyExA(keyOf(parent), subkey ? subkey : "", 0, noClass, REG_OPTION_NON_VOLATILE,
                                 KEY_ALL_ACCESS, nullptr, &key, &disposition);
    }
    if (answer != ERROR_SUCCESS) return RegOpenFailed;
    keyStack_.push(RegistryKey{currentKey_});
    currentKey_ = key;
    return disposition == REG_CREATED_NEW_KEY ? RegCreatedNew : RegOpenedExisting;
}

int32_t Registry::open(RegistryRoot root, const char* subkey, uint32_t flags) {
    return openUnder(rootKey(root), subkey, flags);
}

int32_t Registry::openSub(const char* subkey, uint32_t flags) { return openUnder(currentKey_, subkey, flags); }

int32_t Registry::openSoftware(const char* subkey, bool currentUser, uint32_t flags) {
    return open(currentUser ? RegistryRootCurrentUser : RegistryRootLocalMachine, softwarePath(subkey).text(), flags);
}

void Registry::close() {
    if (currentKey_) RegCloseKey(keyOf(currentKey_));
    currentKey_ = keyStack_.isEmpty() ? nullptr : keyStack_.pop().handle;
}

void Registry::closeAll() {
    while (currentKey_ || !keyStack_.isEmpty()) close();
}

bool Registry::keyExists(RegistryRoot root, const char* subkey) {
    HKEY parent = rootKey(root);
    if (!parent || !subkey || !*subkey) return false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, subkey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool Registry::softwareKeyExists(const char* subkey, bool currentUser) {
    return keyExists(currentUser ? RegistryRootCurrentUser : RegistryRootLocalMachine, softwarePath(subkey).text());
}

int32_t Registry::subkeyCount() {
    DWORD subkeys = 0;
    if (!currentKey_ || RegQueryInfoKeyA(keyOf(currentKey_), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return -1;
    }
    return int32_t(subkeys);
}

bool Registry::isEmptyKey() {
    DWORD subkeys = 0, values = 0;
    if (!currentKey_ || RegQueryInfoKeyA(keyOf(currentKey_), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                         &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return true;
    }
    return subkeys == 0 && values == 0;
}

int32_t Registry::subkeyNames(Array<String>& names) {
    if (!currentKey_) return 0;
    int32_t found = 0;
    char name[subkeyNameLimit + 1];
    for (DWORD index = 0;; index++) {
        DWORD size = subkeyNameLimit;
        LONG answer = RegEnumKeyExA(keyOf(currentKey_), index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (answer != ERROR_SUCCESS) {
            SetLastError(answer == ERROR_NO_MORE_ITEMS ? 0 : DWORD(answer));
            return found;
        }
        names.append(String(name, int32_t(size)));
        found++;
    }
}

int32_t Registry::deleteKey(const char* name, uint32_t flags) {
    if (!currentKey_ || !name || !*name) return RegNothingToDelete;
    if (openSub(name, RegOpenOnly) == RegOpenFailed) return RegNothingToDelete;
    if ((flags & RegOnlyIfEmpty) && !isEmptyKey()) {
        close();
        return RegNotEmpty;
    }
    // Collected first: deleting while enumerating by index would skip keys.
    Array<String> subkeys;
    subkeyNames(subkeys);
    for (const String& subkey : subkeys) deleteKey(subkey.text(), flags);
    close();
    return RegDeleteKeyA(keyOf(currentKey_), name) == ERROR_SUCCESS ? RegDeleted : RegRefused;
}

int32_t Registry::deleteKeyAt(RegistryRoot root, const char* path, uint32_t flags) {
    String keyPart, last;
    if (!splitRegistryPath(String(path), keyPart, last)) return RegNothingToDelete;
    if (open(root, keyName(keyPart).text(), RegOpenOnly) == RegOpenFailed) return RegNothingToDelete;
    int32_t result = deleteKey(last.text(), flags);
    close();
    return result;
}

int32_t Registry::deleteSoftwareKey(const char* subkey, bool currentUser, uint32_t flags) {
    return deleteKeyAt(currentUser ? RegistryRootCurrentUser : RegistryRootLocalMachine, softwarePath(subkey).text(),
                       flags);
}

int32_t Registry::deleteSoftwareSubkey(const char* subkey, const char* name, bool currentUser, uint32_t flags) {
    if (openSoftware(subkey, currentUser, RegOpenOnly) == RegOpenFailed) return RegNothingToDelete;
    int32_t result = deleteKey(name, flags);
    close();
    return result;
}

bool Registry::valueExists(const char* name) {
    return currentKey_ && RegQueryValueExA(keyOf(currentKey_), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

int32_t Registry::deleteValue(const char* name) {
    if (!currentKey_) return RegNothingToDelete;
    return RegDeleteValueA(keyOf(currentKey_), name) == ERROR_SUCCESS ? RegDeleted : RegRefused;
}

bool Registry::queryValue(const char* name, Variant& value, uint32_t flags) {
    if (!currentKey_) return false;
    BYTE first[FirstQuerySize];
    DWORD type = 0, size = sizeof first;
    LONG answer = RegQueryValueExA(keyOf(currentKey_), name, nullptr, &type, first, &size);
    if (answer != ERROR_SUCCESS && answer != ERROR_MORE_DATA) return false;

    ValueReadPlan plan = planValueRead(type, size, answer == ERROR_MORE_DATA);
    switch (plan.step) {
    case ValueReadPlan::Integer: value.setInteger(readLE32(first)); return true;
    case ValueReadPlan::Text: value.setText(reinterpret_cast<const char*>(first), plan.textLength); return true;
    case ValueReadPlan::SecondQuery: {
        String& text = value.makeText();
        // The text's buffer holds its length and a terminator: room for the
        // reported size, which is at most one byte more than the length.
        if (!text.tryResize(plan.textLength)) return false;
        DWORD secondSize = size;
        return RegQueryValueExA(keyOf(currentKey_), name, nullptr, &type, reinterpret_cast<BYTE*>(text.buffer()),
                                &secondSize) == ERROR_SUCCESS;
    }
    default: return false;
    }
}

bool Registry::readBool(const char* name, bool defaultValue, uint32_t flags) {
    Variant value;
    return queryValue(name, value, flags) ? value.toBool() : defaultValue;
}

int32_t Registry::readInt(const char* name, int32_t defaultValue, uint32_t flags) {
    Variant value;
    return queryValue(name, value, flags) ? int32_t(value.toInteger()) : defaultValue;
}

bool Registry::readString(String& out, const char* name, const char* defaultValue, uint32_t flags) {
    Variant value;
    if (!queryValue(name, value, flags)) {
        out = defaultValue;
        return false;
    }
    out = value.toText();
    return true;
}

bool Registry::readStringAt(String& out, RegistryRoot root, const char* path, const char* defaultValue,
                            uint32_t flags) {
    String keyPart, last;
    if (!splitRegistryPath(String(path), keyPart, last) ||
        open(root, keyName(keyPart).text(), flags) == RegOpenFailed) {
        out = defaultValue;
        return false;
    }
    readString(out, last.text(), "", flags);
    close();
    return true;
}

bool Registry::writeValue(const char* name, uint32_t type, const void* data, uint32_t size) {
    if (!currentKey_) return false;
    return RegSetValueExA(keyOf(currentKey_), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool Registry::setValue(const char* name, const Variant& value, uint32_t flags) {
    if (!currentKey_) return false;
    if (value.kind() == Variant::KindNone || ((flags & RegDeleteWhenEmpty) && value.isEmpty())) {
        deleteValue(name);
        return true;
    }
    if (value.kind() == Variant::KindInteger) return setInt(name, int32_t(uint32_t(value.integer())), 0);
    return setText(name, value.toText().text(), 0);
}

bool Registry::setInt(const char* name, int32_t value, uint32_t flags) {
    if (!currentKey_) return false;
    if ((flags & RegDeleteWhenEmpty) && value == 0) {
        deleteValue(name);
        return true;
    }
    uint8_t data[4];
    writeLE32(data, uint32_t(value));
    return writeValue(name, REG_DWORD, data, sizeof data);
}

bool Registry::setText(const char* name, const char* text, uint32_t flags) {
    return writeText(name, REG_SZ, text, flags);
}

bool Registry::setExpandText(const char* name, const char* text, uint32_t flags) {
    return writeText(name, REG_EXPAND_SZ, text, flags);
}

bool Registry::writeText(const char* name, uint32_t type, const char* text, uint32_t flags) {
    if (!currentKey_) return false;
    if ((flags & RegDeleteWhenEmpty) && (!text || !*text)) return deleteValue(name) == RegDeleted;
    if (!text) text = "";
    // The terminator is stored too: readers drop the last byte of a text's
    // size, so a text written this way reads back unchanged.
    return writeValue(name, type, text, uint32_t(strlen(text) + 1));
}
