#include "install/shortcuts.h"

#include "install/install_files.h"
#include "payload/format.h"

ShortcutPlaces shortcutPlacesOf(const ShortcutRequest& request) {
    ShortcutPlaces places;
    places.desktop = (request.flags & payload::kEntryDesktopShortcut) != 0;
    places.startMenu = (request.flags & payload::kEntryStartMenuShortcut) != 0;
    places.startup = request.kind == FileKindStartup;
    places.recorded = (request.flags & payload::kEntryNotRecorded) == 0;
    return places;
}

void addLinkExtension(String& linkPath) {
    if (!linkPath.contains(".LNK", String::IgnoreCase)) linkPath += ".LNK";
}

String shortcutLogLine(ShortcutLogKind kind, const String& name, const String& linkPath) {
    String line;
    switch (kind) {
    case ShortcutLogDesktop: line.format("Desktop Shortcut(%s) -> %s\r\n", name, linkPath); break;
    case ShortcutLogDesktopFolder: line.format("Desktop Folder Shortcut(%s) -> %s\r\n", name, linkPath); break;
    case ShortcutLogStartMenu: line.format("Start Menu Shortcut(%s) -> %s\r\n", name, linkPath); break;
    case ShortcutLogStartup: line.format("Startup Shortcut(%s) -> %s\r\n", name, linkPath); break;
    case ShortcutLogUninstaller: line.format("Uninstaller Shortcut -> %s\r\n", linkPath); break;
    }
    return line;
}
