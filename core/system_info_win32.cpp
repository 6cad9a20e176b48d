// The version query, the tick counter and late binding on the Win32 side;
// the version decisions are core/os_version.cpp's.
#include <windows.h>
#include <string.h>

#include "core/clock.h"
#include "core/os_version.h"
#include "core/system_info.h"

// The basic version record; its size field tells the system which record it got.
static_assert(sizeof(OSVERSIONINFOA) == 148, "basic version record");

static OsVersion queryVersion() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    OsVersion version;
    if (!GetVersionExA(&info)) return version;
    version.platform = info.dwPlatformId;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.build = info.dwBuildNumber;
    int32_t length = 0;  // the system terminates the text; the bound is for safety
    while (length < int32_t(sizeof info.szCSDVersion) && info.szCSDVersion[length]) length++;
    version.servicePack = String(info.szCSDVersion, length);
    return version;
}

bool IsNtFamily() { return queryVersion().platform == OsPlatformNt; }

uint32_t CurrentOsCode() { return osCodeFor(queryVersion()); }

String OsVersionText() { return osVersionTextFor(queryVersion()); }

uint32_t TickCount() { return GetTickCount(); }

uint32_t ElapsedMs(uint32_t startTick) { return tickDistance(startTick, GetTickCount()); }

void SleepMs(uint32_t ms) { Sleep(ms); }

static void* entryOf(HMODULE module, const char* function) {
    FARPROC found = GetProcAddress(module, function);
    return asEntry(found);
}

void* LoadSystemLibrary(const char* name) {
    char path[MAX_PATH + 1];
    const char* file = name;
    if (!strpbrk(name, "\\/:")) {
        UINT length = GetSystemDirectoryA(path, MAX_PATH);
        size_t nameLength = strlen(name);
        if (length == 0 || length + 1 + nameLength > MAX_PATH) return nullptr;
        if (path[length - 1] != '\\') path[length++] = '\\';
        memcpy(path + length, name, nameLength + 1);
        file = path;
    }
    return LoadLibraryExA(file, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void* LoadComponentLibrary(const char* path) {
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems without the search flags refuse them as a bad parameter.
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
        module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module;
}

void NarrowLibrarySearch() {
    // Both functions are younger than some systems the installer runs on.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    if (void* entry = entryOf(kernel, "SetDefaultDllDirectories")) {
        if (asFunction<decltype(&::SetDefaultDllDirectories)>(entry)(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    }
    if (void* entry = entryOf(kernel, "SetDllDirectoryA")) asFunction<decltype(&::SetDllDirectoryA)>(entry)("");
}

bool BindFunction(const char* library, const char* function, void*& entry) {
    entry = nullptr;
    HMODULE module = static_cast<HMODULE>(LoadSystemLibrary(library));
    if (!module) return false;
    entry = entryOf(module, function);
    if (entry) return true;
    FreeLibrary(module);
    return false;
}

bool BindFunctions(const char* library, const FunctionTableEntry* table) {
    HMODULE module = static_cast<HMODULE>(LoadSystemLibrary(library));
    bool complete = module != nullptr;
    for (const FunctionTableEntry* row = table; row->name && row->name[0]; row++) {
        *row->entry = module ? entryOf(module, row->name) : nullptr;
        if (!*row->entry && !row->mayBeMissing) complete = false;
    }
    return complete;
}

void LateLibrary::setName(const String& name) {
    release();
    name_ = name;
}

bool LateLibrary::load() {
    if (module_) return true;
    if (tried_) return false;
    tried_ = true;
    module_ = LoadSystemLibrary(name_.text());
    return module_ != nullptr;
}

void* LateLibrary::function(const char* function) {
    if (!load()) return nullptr;
    return entryOf(static_cast<HMODULE>(module_), function);
}

void LateLibrary::release() {
    if (module_) FreeLibrary(static_cast<HMODULE>(module_));
    module_ = nullptr;
    tried_ = false;
}
