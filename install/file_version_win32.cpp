// A file's version from its version resource. The version functions are
// bound from the system directory's version.dll on first use, so that the
// installer neither imports that library at start-up nor picks up a copy
// lying beside the installer.
#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "core/file_system.h"
#include "core/path.h"
#include "core/system_info.h"
#include "install/version_compare.h"

namespace {

void* versionInfoSizeEntry = nullptr;
void* versionInfoEntry = nullptr;
void* queryValueEntry = nullptr;
bool versionLibraryTried = false;
bool versionLibraryBound = false;

bool bindVersionLibrary() {
    if (versionLibraryTried) return versionLibraryBound;
    versionLibraryTried = true;
    const FunctionTableEntry table[] = {
        {"GetFileVersionInfoSizeA", &versionInfoSizeEntry, false},
        {"GetFileVersionInfoA", &versionInfoEntry, false},
        {"VerQueryValueA", &queryValueEntry, false},
        {nullptr, nullptr, false},
    };
    String library = joinPath(systemDirectory(), "version.dll");
    versionLibraryBound = BindFunctions(library.text(), table);
    return versionLibraryBound;
}

// The US English, Windows ANSI FileVersion text of a loaded version resource.
String fileVersionValue(const void* resource) {
    char* value = nullptr;
    UINT length = 0;
    if (!asFunction<decltype(&::VerQueryValueA)>(queryValueEntry)(resource, "\\StringFileInfo\\040904E4\\FileVersion",
                                                                  reinterpret_cast<void**>(&value), &length) ||
        !value || length == 0) {
        return String();
    }
    const void* end = memchr(value, 0, length);
    return String(value, end ? int32_t(static_cast<const char*>(end) - value) : int32_t(length));
}

}  // namespace

String FileVersionText(const String& path) {
    if (path.isEmpty() || !bindVersionLibrary()) return String();
    DWORD ignored = 0;
    DWORD size = asFunction<decltype(&::GetFileVersionInfoSizeA)>(versionInfoSizeEntry)(path.text(), &ignored);
    if (size == 0) return String();
    void* resource = malloc(size);
    if (!resource) return String();
    String version;
    if (asFunction<decltype(&::GetFileVersionInfoA)>(versionInfoEntry)(path.text(), 0, size, resource)) {
        version = fileVersionValue(resource);
    }
    free(resource);
    return paddedVersionText(version);
}
