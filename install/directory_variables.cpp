#include "install/directory_variables.h"

#include "core/path.h"

String SharedDir;

static const char* const variableNames[DirectoryVariableCount] = {
    "%BootDrive%",      "%CommonDir%",        "%InstallDir%",         "%InstallDrive%",     "%ProgramsDir%",
    "%SharedDir%",      "%SystemDir%",        "%InstallerDir%",       "%InstallerDrive%",   "%InstallerFilename%",
    "%InstallerFilepath%", "%DeviceDir%",     "%MediaDir%",           "%FavoritesDir%",     "%FavoritesAllDir%",
    "%FontDir%",        "%DesktopDir%",       "%DesktopAllDir%",      "%DocumentDir%",      "%DocumentAllDir%",
    "%StartMenuDir%",   "%StartMenuAllDir%",  "%SMProgramsDir%",      "%SMProgramsAllDir%", "%StartupDir%",
    "%StartupAllDir%",  "%Temp%",             "%WinDir%",
};

const char* directoryVariableName(int32_t variable) {
    return (variable >= 0 && variable < DirectoryVariableCount) ? variableNames[variable] : nullptr;
}

void replaceDirectoryVariables(String& text, const String* values) {
    for (int32_t v = 0; v < DirectoryVariableCount; v++) {
        text.replaceAll(variableNames[v], values[v].text(), String::IgnoreCase);
    }
}

// --- The chains of the folders found in the registry and the shell ---

namespace {

enum RegistryPlace : uint8_t { NoRegistry, UserShellFolder, AllUsersShellFolder, CurrentVersion };
constexpr int8_t FixedText = -1;  // fallbackBase: fallbackName is the whole value

struct FolderChain {
    DirectoryVariable variable;
    RegistryPlace place;
    const char* valueName;
    int32_t csidl;         // -1: no shell query
    int8_t fallbackBase;   // a variable, or FixedText
    const char* fallbackName;  // joined to the base; null: the base alone
};

const FolderChain folderChains[] = {
    {DirCommon, CurrentVersion, "CommonFilesDir", 0x2B, DirPrograms, "Common Files"},
    {DirPrograms, CurrentVersion, "ProgramFilesDir", 0x26, FixedText, "c:\\Program Files"},
    {DirMedia, CurrentVersion, "MediaPath", -1, DirWin, "Media"},
    {DirFavorites, UserShellFolder, "Favorites", 6, DirWin, "Favorites"},
    {DirFavoritesAll, AllUsersShellFolder, "Common Favorites", 0x1F, DirFavorites, nullptr},
    {DirFont, UserShellFolder, "Fonts", 0x14, DirWin, "Fonts"},
    {DirDesktop, UserShellFolder, "Desktop", 0x10, DirWin, "Desktop"},
    {DirDesktopAll, AllUsersShellFolder, "Common Desktop", 0x19, DirDesktop, nullptr},
    {DirDocument, UserShellFolder, "Personal", 5, FixedText, "c:\\My Documents"},
    {DirDocumentAll, AllUsersShellFolder, "Common Documents", 0x2E, DirDocument, nullptr},
    {DirStartMenu, UserShellFolder, "Start Menu", 0x0B, DirWin, "Start Menu"},
    {DirStartMenuAll, AllUsersShellFolder, "Common Start Menu", 0x16, DirStartMenu, nullptr},
    {DirSMPrograms, UserShellFolder, "Programs", 2, DirStartMenu, "Programs"},
    {DirSMProgramsAll, AllUsersShellFolder, "Common Programs", 0x17, DirSMPrograms, nullptr},
    {DirStartup, UserShellFolder, "Startup", 7, DirSMPrograms, "StartUp"},
    {DirStartupAll, AllUsersShellFolder, "Common Startup", 0x18, DirStartup, nullptr},
};

const FolderChain* chainOf(DirectoryVariable variable) {
    for (const FolderChain& chain : folderChains) {
        if (chain.variable == variable) return &chain;
    }
    return nullptr;
}

}  // namespace

const String& DirectoryResolver::value(DirectoryVariable variable) {
    if (!known_[variable]) {
        values_[variable] = find(variable);
        known_[variable] = true;
    }
    return values_[variable];
}

// A variable the text does not name at its turn would replace nothing, so its
// value (registry reads, shell queries) is not looked up: the result is the
// same, and the per-file destinations cost no system calls.
void DirectoryResolver::expand(String& text) {
    for (int32_t v = 0; v < DirectoryVariableCount; v++) {
        if (text.find(variableNames[v], 0, String::IgnoreCase) < 0) continue;
        text.replaceAll(variableNames[v], value(DirectoryVariable(v)).text(), String::IgnoreCase);
    }
}

String DirectoryResolver::chainValue(DirectoryVariable variable) {
    const FolderChain& chain = *chainOf(variable);
    String found;
    if (chain.place == CurrentVersion) {
        found = folderValueFromRegistry(source_.currentVersionValue(chain.valueName));
    } else if (chain.place != NoRegistry) {
        found = folderValueFromRegistry(source_.shellFolderValue(chain.valueName, chain.place == AllUsersShellFolder));
    }
    if (found.isEmpty() && chain.csidl >= 0) found = source_.shellFolderPath(chain.csidl);
    if (!found.isEmpty()) return found;
    if (chain.fallbackBase == FixedText) return String(chain.fallbackName);
    const String& base = value(DirectoryVariable(chain.fallbackBase));
    return chain.fallbackName ? joinPath(base, String(chain.fallbackName)) : base;
}

String DirectoryResolver::find(DirectoryVariable variable) {
    const SystemPathsRecord& paths = *source_.paths;
    switch (variable) {
    case DirBootDrive: return bootDriveFrom(source_.bootDirValue());
    case DirInstall: return source_.installDir;
    case DirInstallDrive: return installDriveOf(source_.installDir);
    case DirShared: return source_.sharedDir;
    case DirSystem: {
        String directory = source_.systemDirectory();
        if (!directory.isEmpty()) return directory;
        return joinPath(paths.windowsDirectory, String(source_.isNtFamily() ? "System32" : "System"));
    }
    case DirInstaller: return paths.programDirectory;
    case DirInstallerDrive: return installerDriveText(paths.programDrive);
    case DirInstallerFilename: return paths.programFileName;
    case DirInstallerFilepath: return paths.programPath;
    case DirDevice: {
        String devicePath = folderValueFromRegistry(source_.currentVersionValue("DevicePath"));
        String systemRoot;
        bool expanded = !devicePath.isEmpty() && source_.expandSystemRoot(systemRoot);
        String directory = deviceDirFrom(devicePath, expanded, systemRoot);
        return directory.isEmpty() ? joinPath(paths.windowsDirectory, String("INF")) : directory;
    }
    case DirTemp: return paths.tempDirectory;
    case DirWin: return paths.windowsDirectory;
    default: return chainValue(variable);
    }
}

// --- The single rules ---

String folderValueFromRegistry(const String& value) {
    String folder = value;
    if (folder.length() > 3) folder.removeTrailing('\\');
    return folder;
}

static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

static char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

String bootDriveFrom(const String& bootDir) {
    char letter = (bootDir.charAt(1) == ':' && isLetter(bootDir.charAt(0))) ? upper(bootDir.charAt(0)) : 'C';
    const char drive[] = {letter, ':', 0};
    return String(drive);
}

String installDriveOf(const String& installDir) {
    if (installDir.charAt(1) != ':' || !isLetter(installDir.charAt(0))) return String();
    const char drive[] = {upper(installDir.charAt(0)), ':', 0};
    return String(drive);
}

String installerDriveText(char programDrive) {
    const char letter[] = {programDrive, 0};
    return String(letter);
}

String deviceDirFrom(const String& devicePath, bool expanded, const String& systemRoot) {
    static const char variable[] = "%SystemRoot%";
    String directory = devicePath;
    int32_t at = directory.find(variable, 0, String::IgnoreCase);
    if (at >= 0 && expanded && !systemRoot.isEmpty()) {
        directory.erase(at, int32_t(sizeof variable - 1));
        directory.insert(at, systemRoot.text(), systemRoot.length());
    }
    return directory;
}
