// COM servers register themselves; type libraries go through the automation
// library, bound on first use so that a system without it still installs.
#include <windows.h>
#include <oaidl.h>
#include <olectl.h>

#include "core/system_info.h"
#include "core/system_paths.h"
#include "install/components.h"
#include "install/install_state.h"
#include "install/later_actions.h"

namespace {

void* LoadTypeLibEntry = nullptr;
void* RegisterTypeLibEntry = nullptr;
void* UnRegisterTypeLibEntry = nullptr;

bool bindAutomation(const char* name, void*& entry) {
    return entry || BindFunction("oleaut32.dll", name, entry);
}

void widePath(const String& path, WCHAR (&wide)[MAX_PATH + 1]) {
    if (MultiByteToWideChar(CP_ACP, 0, path.text(), -1, wide, MAX_PATH) == 0) wide[0] = 0;
    wide[MAX_PATH] = 0;
}

ITypeLib* loadTypeLibrary(WCHAR (&wide)[MAX_PATH + 1]) {
    if (!bindAutomation("LoadTypeLib", LoadTypeLibEntry)) return nullptr;
    ITypeLib* library = nullptr;
    if (FAILED(asFunction<decltype(&::LoadTypeLib)>(LoadTypeLibEntry)(wide, &library))) return nullptr;
    return library;
}

// Releases `library` without losing the error of the call before.
void releaseKeepingError(IUnknown* object) {
    DWORD error = GetLastError();
    object->Release();
    SetLastError(error);
}

void registerComServer(const String& path) {
    InstallLog += comServerLogStart(path);
    HMODULE module = static_cast<HMODULE>(LoadComponentLibrary(path.text()));
    if ((uintptr_t)module < 32) {
        InstallLog += "LoadLibrary() Failed\r\n";
        return;
    }
    FARPROC entry = GetProcAddress(module, "DllRegisterServer");
    if (!entry) {
        InstallLog += "GetProcAddress() Failed\r\n";
    } else {
        // The server's own answer is not looked at.
        asFunction<decltype(&::DllRegisterServer)>(asEntry(entry))();
        InstallLog += "OK\r\n";
    }
    FreeLibrary(module);
}

void registerTypeLibrary(const String& path) {
    InstallLog += typeLibraryLogStart(path);
    if (RegisterTypeLibrary(path)) {
        InstallLog += "OK\r\n";
    } else {
        InstallLog += typeLibraryFailureEnd(lastSystemErrorText());
    }
}

}  // namespace

bool RegisterTypeLibrary(const String& path) {
    WCHAR wide[MAX_PATH + 1];
    widePath(path, wide);
    ITypeLib* library = loadTypeLibrary(wide);
    if (!library) return false;
    bool registered = bindAutomation("RegisterTypeLib", RegisterTypeLibEntry) &&
                      SUCCEEDED(asFunction<decltype(&::RegisterTypeLib)>(RegisterTypeLibEntry)(library, wide, nullptr));
    releaseKeepingError(library);
    return registered;
}

bool UnregisterTypeLibrary(const String& path) {
    WCHAR wide[MAX_PATH + 1];
    widePath(path, wide);
    ITypeLib* library = loadTypeLibrary(wide);
    if (!library) return false;
    TLIBATTR* attributes = nullptr;
    bool unregistered = false;
    if (SUCCEEDED(library->GetLibAttr(&attributes)) && attributes) {
        unregistered = bindAutomation("UnRegisterTypeLib", UnRegisterTypeLibEntry) &&
                       SUCCEEDED(asFunction<decltype(&::UnRegisterTypeLib)>(UnRegisterTypeLibEntry)(
                           attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                           attributes->syskind));
        library->ReleaseTLibAttr(attributes);
    }
    releaseKeepingError(library);
    return unregistered;
}

void RegisterComponents() {
    for (int32_t i = 0; i < ComServerList.count(); ++i) registerComServer(ComServerList[i]);
    for (int32_t i = 0; i < TypeLibraryList.count(); ++i) registerTypeLibrary(TypeLibraryList[i]);
}
