// The system-integration actions that the install sequence calls at their
// place: batch texts, component registration, shortcuts, product keys, file
// associations, the PATH and the restart. All are Windows only; their pure
// rules are in the headers included below.
#pragma once
#include <stdint.h>

#include "core/string.h"
#include "install/associations.h"
#include "install/batch_text.h"
#include "install/components.h"
#include "install/restart.h"
#include "install/shortcuts.h"

// Writes `commands` as TAVOBAT.BAT into `directory` (with the directory
// variables as SET lines), runs it through the command interpreter in that
// directory and waits; `hidden` hides its window and drops PAUSE lines.
void RunBatchCommands(const String& directory, bool hidden, const String& commands);

// Registers the COM servers (DllRegisterServer) and type libraries of the
// file phase, logging each into InstallLog. The status line that follows is
// the sequence's.
void RegisterComponents();

// Makes the desktop, start-menu and start-up shortcuts of ShortcutList and
// records them for removal; failures go to ProblemReport.
void CreateShortcuts();

// With ProductFlags low bit 0x4: the uninstaller's start-menu shortcut (low
// bit 0x2) and its shortcut in the uninstall directory (high bit 0x40).
void CreateUninstallerShortcuts();

// Opens, creating when missing, the product's registry key under the local
// machine and the current user when ProductRegistry is set.
void CreateProductKeys();

// Registers the file associations of the settings block, fills
// AssociationList and tells the shell once when any changed.
void CreateAssociations();

// Tells the shell that the desktop changed when a desktop shortcut was
// requested in this run.
void RefreshDesktop();

// Adds (or removes) the PATH line for InstallDir in the boot drive's
// autoexec.bat. Returns the text for ProblemReport when the file cannot be
// opened, else empty.
String ModifyPath(bool add);

// Asks the system to end the session: action 2 reboots; options bit 0
// forces. True when the system accepted.
bool RestartSystem(int32_t action, uint32_t options);
