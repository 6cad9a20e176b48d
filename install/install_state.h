// The run-wide collections that the installation actions fill and the end of
// the installation writes out. All live for the whole run and start empty.
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/string.h"

// Lines of what was done, each ending in CR LF.
extern String InstallLog;
// Blocks of failures that did not stop the run; empty at the end = success.
extern String ProblemReport;
// The body of Uninstall.DAT (see install/uninstall_record.h).
extern String UninstallList;
// The [Associations] section of Uninstall.DAT.
extern String AssociationList;

// Filled by the file installation, consumed by the shared-file counting and
// the component registration. A shared-file entry ends in at most one marker:
// kSharedNeverDelete, kSharedComServer or kSharedTypeLibrary.
extern Array<String> SharedFileList;
extern Array<String> ComServerList;
extern Array<String> TypeLibraryList;

constexpr char kSharedNeverDelete = ' ';
constexpr char kSharedComServer = '^';
constexpr char kSharedTypeLibrary = (char)0xA9;

// The "SharedFiles" value of the uninstall record: the files this run counted
// (install/shared_files.h), or the earlier installation's text when the
// counting could not be done.
extern String SharedFilesText;

// One shortcut request, in the order added; made by the shortcut action.
struct ShortcutRequest {
    String name;        // the link's name (no extension)
    String target;      // the file the link starts
    String arguments;
    String icon;        // blank: the target itself
    uint32_t kind = 0;  // the entry's kind (5: also a start-up shortcut)
    uint32_t flags = 0; // the entry's flags: desktop 0x1, start menu 0x2, not recorded 0x20
};
TAVO_TYPE_NAME(ShortcutRequest, "ShortcutRequest");
extern Array<ShortcutRequest> ShortcutList;

// Fonts registered during the file phase, in installation order.
struct InstalledFont {
    String name;      // the font's name (the entry's first text)
    String fileName;  // the catalogue's file name, no directory
    bool recorded = true;  // false: the entry's flags bit 0x20 keeps it out of "ProductFonts"
};
TAVO_TYPE_NAME(InstalledFont, "InstalledFont");
extern Array<InstalledFont> InstalledFonts;

// Set by the steps of the installation.
extern bool ReinstallFlag;    // an earlier installation was found
extern bool RestartFlag;      // the user agreed to restart (or automatic mode)
extern String UninstallDir;   // InstallDir joined with UninstallSubdir
extern String UninstallerPath;
extern String UninstallerArguments;  // /u:"name"

// The earlier installation's record, read before the directory is settled.
struct PreviousInstallation {
    String installLocation;
    String displayVersion;
    String sharedFiles;
};
extern PreviousInstallation PreviousRecord;
