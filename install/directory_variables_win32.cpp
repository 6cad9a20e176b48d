// The directory variables' answers on Windows: the registry, the shell bound
// from shell32.dll, and the system paths.
#include <windows.h>
#include <shlobj.h>
#include <stdlib.h>

#include "core/file_system.h"
#include "core/registry.h"
#include "core/system_info.h"
#include "driver/run_settings.h"
#include "install/directory_variables.h"

// --- The shell binding: shell32.dll and two entry points, released at exit ---

static HMODULE shellModule = nullptr;
static void* shellChangeNotifyEntry = nullptr;
static void* specialFolderPathEntry = nullptr;

static void releaseShellLibrary() {
    if (shellModule) FreeLibrary(shellModule);
    shellModule = nullptr;
    shellChangeNotifyEntry = nullptr;
    specialFolderPathEntry = nullptr;
}

// Binds on first need; a failed attempt is tried again at the next need.
static bool bindShellLibrary() {
    if (shellModule) return true;
    HMODULE module = static_cast<HMODULE>(LoadSystemLibrary("shell32.dll"));
    if (!module) return false;
    void* changeNotify = asEntry(GetProcAddress(module, "SHChangeNotify"));
    void* folderPath = asEntry(GetProcAddress(module, "SHGetSpecialFolderPathA"));
    if (!changeNotify || !folderPath) {
        FreeLibrary(module);
        return false;
    }
    shellModule = module;
    shellChangeNotifyEntry = changeNotify;
    specialFolderPathEntry = folderPath;
    atexit(releaseShellLibrary);
    return true;
}

String SpecialFolderFromShell(int32_t csidl) {
    if (!bindShellLibrary()) return String();
    char path[MAX_PATH + 1] = "";
    asFunction<decltype(&::SHGetSpecialFolderPathA)>(specialFolderPathEntry)(nullptr, path, csidl, FALSE);
    return String(path);
}

bool ShellChangeNotify(int32_t eventId, uint32_t flags, const void* item1, const void* item2) {
    if (!bindShellLibrary()) return false;
    asFunction<decltype(&::SHChangeNotify)>(shellChangeNotifyEntry)(LONG(eventId), UINT(flags), item1, item2);
    return true;
}

// --- The answers ---

namespace {

const char shellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";
const char currentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\";

// Reads never create keys: a missing key reads as empty.
String registryText(RegistryRoot root, const char* key, const char* name) {
    String path(key);
    path.append(name);
    Registry registry;
    String value;
    registry.readStringAt(value, root, path.text(), "", RegOpenOnly);
    return value;
}

class SystemDirectorySource final : public DirectorySource {
public:
    SystemDirectorySource() {
        paths = &SystemPaths;
        installDir = InstallDir;
        sharedDir = SharedDir;
    }
    String shellFolderValue(const char* name, bool allUsers) override {
        return registryText(allUsers ? RegistryRootLocalMachine : RegistryRootCurrentUser, shellFoldersKey, name);
    }
    String currentVersionValue(const char* name) override {
        return registryText(RegistryRootLocalMachine, currentVersionKey, name);
    }
    String bootDirValue() override { return currentVersionValue("Setup\\BootDir"); }
    String shellFolderPath(int32_t csidl) override { return SpecialFolderFromShell(csidl); }
    String systemDirectory() override { return ::systemDirectory(); }
    bool expandSystemRoot(String& expansion) override {
        expansion = "%SystemRoot%";
        return expandEnvironment(expansion);
    }
    bool isNtFamily() override { return IsNtFamily(); }
};

}  // namespace

void ExpandDirectoryVariables(String& text) {
    SystemDirectorySource source;
    DirectoryResolver resolver(source);
    resolver.expand(text);
}

String DirectoryValue(DirectoryVariable variable) {
    SystemDirectorySource source;
    DirectoryResolver resolver(source);
    return resolver.value(variable);
}
