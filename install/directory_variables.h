// The 28 directory variables ("%InstallDir%", "%SMProgramsAllDir%", ...): their
// names and order, how each value is found (registry first, then the shell,
// then a fixed fallback), and the one-pass replacement that rewrites a text.
//
// The rules are pure: DirectoryResolver asks a DirectorySource for the raw
// registry and shell answers, so that every chain is tested on any host.
// install/directory_variables_win32.cpp is the source on Windows and the
// run-wide ExpandDirectoryVariables.
#pragma once
#include <stdint.h>

#include "core/string.h"
#include "core/system_paths.h"

// In the order of expansion.
enum DirectoryVariable : int32_t {
    DirBootDrive,          // "C:"
    DirCommon,
    DirInstall,
    DirInstallDrive,       // "C:", or empty for a UNC or relative directory
    DirPrograms,
    DirShared,
    DirSystem,
    DirInstaller,
    DirInstallerDrive,     // the letter alone, or empty
    DirInstallerFilename,
    DirInstallerFilepath,
    DirDevice,
    DirMedia,
    DirFavorites,
    DirFavoritesAll,
    DirFont,
    DirDesktop,
    DirDesktopAll,
    DirDocument,
    DirDocumentAll,
    DirStartMenu,
    DirStartMenuAll,
    DirSMPrograms,
    DirSMProgramsAll,
    DirStartup,
    DirStartupAll,
    DirTemp,
    DirWin,
    DirectoryVariableCount
};

// "%BootDrive%" ... "%WinDir%"; null out of range.
const char* directoryVariableName(int32_t variable);

// Replaces every variable of `text`, case-insensitively (ASCII letters),
// one variable after the other in the order above, with values[variable].
// A value's own text is not searched again for the same variable, but later
// variables are replaced in the whole result.
void replaceDirectoryVariables(String& text, const String* values);

// The shared directory of this run (set by the install sequence; empty
// until then). The installation directory is the driver's InstallDir.
extern String SharedDir;

// The raw answers the values are made of.
class DirectorySource {
public:
    // The value `name` under "...\Explorer\Shell Folders" of the current user
    // or of the machine (all users); empty when missing.
    virtual String shellFolderValue(const char* name, bool allUsers) = 0;
    // The value `name` under "Software\Microsoft\Windows\CurrentVersion" of
    // the machine; empty when missing.
    virtual String currentVersionValue(const char* name) = 0;
    // The machine's "...\CurrentVersion\Setup" value "BootDir".
    virtual String bootDirValue() = 0;
    // The shell's path for a CSIDL folder number; empty when unknown.
    virtual String shellFolderPath(int32_t csidl) = 0;
    // systemDirectory() of core/file_system.h.
    virtual String systemDirectory() = 0;
    // "%SystemRoot%" expanded through the environment; false when that fails.
    virtual bool expandSystemRoot(String& expansion) = 0;
    virtual bool isNtFamily() = 0;

    // Run-wide values, taken as they are.
    const SystemPathsRecord* paths = nullptr;
    String installDir;
    String sharedDir;

protected:
    ~DirectorySource() = default;
};

// The values of one expansion: each found on first ask (fallbacks that name
// another variable ask for it) and kept for the resolver's life.
class DirectoryResolver {
public:
    explicit DirectoryResolver(DirectorySource& source) : source_(source), known_{} {}
    const String& value(DirectoryVariable variable);
    // replaceDirectoryVariables with every value; only the variables the
    // text names at their turn are looked up.
    void expand(String& text);

private:
    String find(DirectoryVariable variable);
    String chainValue(DirectoryVariable variable);
    DirectorySource& source_;
    String values_[DirectoryVariableCount];
    bool known_[DirectoryVariableCount];
};

// --- The single rules ---

// A registry folder value without its one trailing backslash when longer
// than 3 characters (a drive root keeps it).
String folderValueFromRegistry(const String& value);
// "X:" from a BootDir value starting with a letter and ":", else "C:".
String bootDriveFrom(const String& bootDir);
// "X:" (upper case) from a path starting with a letter and ":", else empty.
String installDriveOf(const String& installDir);
// The one-letter text of programDrive; empty for 0.
String installerDriveText(char programDrive);
// A DevicePath value with its first "%SystemRoot%" (any case) replaced by the
// expansion when that worked and is not empty; empty when the value is.
String deviceDirFrom(const String& devicePath, bool expanded, const String& systemRoot);

// --- Windows only (install/directory_variables_win32.cpp) ---

// Rewrites `text` in place with the 28 values; those it names are found afresh.
void ExpandDirectoryVariables(String& text);
// One value, found afresh.
String DirectoryValue(DirectoryVariable variable);
// SHGetSpecialFolderPathA of shell32.dll for a CSIDL number, not creating the
// folder; empty when the shell cannot be bound or gives nothing.
String SpecialFolderFromShell(int32_t csidl);
// SHChangeNotify of shell32.dll; false when the shell cannot be bound.
bool ShellChangeNotify(int32_t eventId, uint32_t flags, const void* item1, const void* item2);
