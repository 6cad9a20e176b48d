// The rules of the shortcut action: which links a request asks for, the
// ".LNK" extension and the detailed log lines. Pure; the links themselves
// are made by install/shortcuts_win32.cpp.
#pragma once
#include <stdint.h>

#include "core/string.h"
#include "install/install_state.h"

// The links one ShortcutRequest asks for.
struct ShortcutPlaces {
    bool desktop;    // entry flags bit 0x1
    bool startMenu;  // entry flags bit 0x2
    bool startup;    // a start-up file (kind 5)
    bool recorded;   // the links go into the uninstall list (flags bit 0x20 clear)
};
ShortcutPlaces shortcutPlacesOf(const ShortcutRequest& request);

// Appends ".LNK" to `linkPath` unless it already contains ".LNK" in any
// letter case (so "Readme.txt" becomes "Readme.txt.LNK").
void addLinkExtension(String& linkPath);

// The kinds of link that get a line in InstallLog with the detailed-log bit.
enum ShortcutLogKind : int32_t {
    ShortcutLogDesktop,        // "Desktop Shortcut(name) -> link"
    ShortcutLogDesktopFolder,  // "Desktop Folder Shortcut(name) -> link"
    ShortcutLogStartMenu,      // "Start Menu Shortcut(name) -> link"
    ShortcutLogStartup,        // "Startup Shortcut(name) -> link"
    ShortcutLogUninstaller,    // "Uninstaller Shortcut -> link" (no name)
};

// The InstallLog line for a link that was made, ending in CR LF.
String shortcutLogLine(ShortcutLogKind kind, const String& name, const String& linkPath);

// --- Windows only (install/shortcuts_win32.cpp) ---

// Saves a shell link at `linkPath` (".LNK" added as addLinkExtension does,
// its folder created with all parents) to `target`; an empty icon takes the
// target's, empty arguments and working directory are left out. True when
// the link was saved; `linkPath` is the path as saved.
bool CreateShellLink(String& linkPath, const String& target, const String& arguments,
                     const String& workingDirectory, const String& icon);
// CreateShellLink at the desktop (all users' or the user's) joined with
// `name`; `linkPath` receives the path.
bool CreateDesktopShortcut(const String& name, const String& target, const String& arguments,
                           const String& workingDirectory, const String& icon, bool allUsers, String& linkPath);
// The same in the start menu's programs folder.
bool CreateProgramsShortcut(const String& name, const String& target, const String& arguments,
                            const String& workingDirectory, const String& icon, bool allUsers, String& linkPath);
