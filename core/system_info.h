// Which system the installer runs on, elapsed time, and functions bound by
// name at run time so that the installer starts on systems that lack them.
//
// Late-bound pointers are kept as void* and turned into the function's own
// type with asFunction, the type taken from the system header so that the
// calling convention (stdcall on i686) comes with it:
//   void* entry;
//   if (BindFunction("kernel32.dll", "MoveFileExA", entry))
//       asFunction<decltype(&::MoveFileExA)>(entry)(from, to, flags);
#pragma once
#include <stdint.h>
#include <string.h>

#include "core/string.h"

// An entry point as a pointer of the function type F (and back).
template <class F>
F asFunction(void* entry) {
    static_assert(sizeof(F) == sizeof(void*), "function and data pointers differ in size");
    F function;
    memcpy(&function, &entry, sizeof function);
    return function;
}
template <class F>
void* asEntry(F function) {
    static_assert(sizeof(F) == sizeof(void*), "function and data pointers differ in size");
    void* entry;
    memcpy(&entry, &function, sizeof entry);
    return entry;
}

// One row of a late-binding table; a table ends with a row whose name is
// null or empty.
struct FunctionTableEntry {
    const char* name;
    void** entry;       // receives the entry point, null when missing
    bool mayBeMissing;  // a missing function does not fail the table
};

// --- Windows only (core/system_info_win32.cpp) ---

// True when the system reports the NT platform.
bool IsNtFamily();
// The OsCode bit of the running system (see core/os_version.h).
uint32_t CurrentOsCode();
// "Windows " + version + service-pack text, as "Windows XP Service Pack 2".
String OsVersionText();

// The system's tick counter in milliseconds.
uint32_t TickCount();
// Milliseconds since `startTick` (a TickCount value), wrap-safe
// (tickDistance of core/clock.h).
uint32_t ElapsedMs(uint32_t startTick);
void SleepMs(uint32_t ms);

// Loads a system library by its full path in the system directory, so that a
// copy planted beside the installer or in the working directory is never
// picked up; its own imports are looked for there first too. A name that
// already holds a path is loaded as given. Returns the module, null when it
// cannot be loaded.
void* LoadSystemLibrary(const char* name);

// Loads an installed component (a COM server) by its full path. The libraries
// it imports are looked for in its own folder, then in the system directory,
// never beside the installer. Returns the module, null when it cannot be loaded.
void* LoadComponentLibrary(const char* path);

// Narrows where the process looks for libraries loaded by name to the system
// directory where the system offers that, else takes the working directory
// out of the search. Called first thing at entry.
void NarrowLibrarySearch();

// Loads `library` (LoadSystemLibrary) and looks up `function`. True when both worked: the
// library then stays loaded for the rest of the run. A missing function
// releases the library again and gives false with `entry` null; a library
// that cannot be loaded gives false with `entry` null.
bool BindFunction(const char* library, const char* function, void*& entry);

// Loads `library` (LoadSystemLibrary) and fills every row of `table` (null for a missing
// function); the library stays loaded. True when every row without
// mayBeMissing was found; false when the library cannot be loaded (every
// entry null) or a required function is missing.
bool BindFunctions(const char* library, const FunctionTableEntry* table);

// One library (LoadSystemLibrary), loaded on first use and released when
// destroyed or when another name is set. Used for the registration entry points of installed
// libraries.
class LateLibrary {
public:
    constexpr LateLibrary() : module_(nullptr), tried_(false) {}
    explicit LateLibrary(const String& name) : name_(name), module_(nullptr), tried_(false) {}
    ~LateLibrary() { release(); }
    LateLibrary(const LateLibrary&) = delete;
    LateLibrary& operator=(const LateLibrary&) = delete;

    // Releases a loaded library and names the next one (loaded on first use).
    void setName(const String& name);
    const String& name() const { return name_; }

    // Loads the library unless done before; true when it is loaded. A failed
    // load is not tried again until setName.
    bool load();
    bool isLoaded() const { return module_ != nullptr; }
    // The entry point of `function` (loading first); null when missing.
    void* function(const char* function);
    void release();

private:
    String name_;
    void* module_;
    bool tried_;
};
