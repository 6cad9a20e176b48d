// Registration of COM servers and type libraries after the file phase. The
// log texts are pure; the registration itself is install/components_win32.cpp.
#pragma once
#include <stdint.h>

#include "core/string.h"

// The InstallLog lines that open each registration (no line end: the
// result follows on the same line).
String comServerLogStart(const String& path);    // Registering COM File "path"...
String typeLibraryLogStart(const String& path);  // Registering Type Library "path"...

// The end of a failed type-library line: "FAILED", the system's error text,
// and a line break unless that text already ends in CR or LF.
String typeLibraryFailureEnd(const String& systemText);

// --- Windows only (install/components_win32.cpp) ---

// LoadTypeLib and RegisterTypeLib (bound from oleaut32.dll) for `path`; true
// when the library was registered. On failure the thread's last error is
// the failing call's.
bool RegisterTypeLibrary(const String& path);
// The reverse, through the library's attributes and UnRegisterTypeLib.
bool UnregisterTypeLibrary(const String& path);
