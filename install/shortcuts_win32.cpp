// Shell links through COM, and the shortcut steps of the installation.
#include <windows.h>
#include <shlobj.h>

#include "core/file_system.h"
#include "core/path.h"
#include "core/system_paths.h"
#include "driver/failure.h"
#include "driver/run_settings.h"
#include "install/directory_variables.h"
#include "install/install_state.h"
#include "install/later_actions.h"
#include "install/shortcuts.h"
#include "install/uninstall_record.h"
#include "payload/format.h"
#include "ui/localised_text.h"

namespace {

// Defined here because the stub links no uuid library.
constexpr GUID kClsidShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIidShellLinkA = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIidPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Set when a desktop link was asked for; RefreshDesktop then tells the shell.
bool DesktopRequested = false;
// The desktop folder of desktopFolder, made (and recorded) once per run.
bool DesktopFolderReady = false;
String DesktopFolder;

bool allUsers() { return PayloadSettings.shortcutMode == 1; }

bool detailedLog() { return (ProductFlags.low & payload::flag::DetailedLog.bit) != 0; }

String folderFor(DirectoryVariable user, DirectoryVariable all) { return DirectoryValue(allUsers() ? all : user); }

// After one link: the log line and the record, or the failure block. Must
// follow the failing call directly, which left its error behind.
void noteLink(bool made, ShortcutLogKind kind, const String& name, const String& linkPath, bool recorded) {
    if (!made) {
        AppendFailure(ProblemReport, linkPath.text());
        return;
    }
    if (detailedLog()) InstallLog += shortcutLogLine(kind, name, linkPath);
    if (recorded) RecordForUninstall(linkPath, UninstallFileEntry);
}

const String& desktopFolder() {
    if (!DesktopFolderReady) {
        DesktopFolderReady = true;
        DesktopFolder = joinPath(folderFor(DirDesktop, DirDesktopAll), PayloadSettings.desktopFolder);
        if (!createDirectories(DesktopFolder)) {
            ProblemReport.appendFormat("Failed to create directory %s: %s\r\n", DesktopFolder, lastSystemErrorText());
        }
        RecordForUninstall(DesktopFolder, UninstallFolderEntry);
    }
    return DesktopFolder;
}

void makeDesktopLink(const ShortcutRequest& request, const String& arguments, bool recorded) {
    String linkPath;
    if (PayloadSettings.desktopFolder.isEmpty()) {
        bool made = CreateDesktopShortcut(request.name, request.target, arguments, InstallDir, request.icon,
                                          allUsers(), linkPath);
        noteLink(made, ShortcutLogDesktop, request.name, linkPath, recorded);
        return;
    }
    linkPath = joinPath(desktopFolder(), request.name);
    bool made = CreateShellLink(linkPath, request.target, arguments, InstallDir, request.icon);
    noteLink(made, ShortcutLogDesktopFolder, request.name, linkPath, recorded);
}

void makeLinks(const ShortcutRequest& request) {
    ShortcutPlaces places = shortcutPlacesOf(request);
    String arguments = request.arguments;
    ExpandDirectoryVariables(arguments);
    if (places.desktop) {
        DesktopRequested = true;
        makeDesktopLink(request, arguments, places.recorded);
    }
    if (places.startMenu) {
        String linkPath;
        bool made = CreateProgramsShortcut(joinPath(PayloadSettings.productStartMenu, request.name), request.target,
                                           arguments, InstallDir, request.icon, allUsers(), linkPath);
        noteLink(made, ShortcutLogStartMenu, request.name, linkPath, places.recorded);
    }
    if (places.startup) {
        String linkPath = joinPath(folderFor(DirStartup, DirStartupAll), request.name);
        bool made = CreateShellLink(linkPath, request.target, arguments, InstallDir, request.icon);
        noteLink(made, ShortcutLogStartup, request.name, linkPath, places.recorded);
    }
}

// The link's ANSI path as the persist interface wants it; at most 260 characters.
void widePath(const String& path, WCHAR (&wide)[MAX_PATH + 1]) {
    if (MultiByteToWideChar(CP_ACP, 0, path.text(), -1, wide, MAX_PATH) == 0) wide[0] = 0;
    wide[MAX_PATH] = 0;
}

bool saveLink(IShellLinkA* link, String& linkPath) {
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(kIidPersistFile, (void**)&file)) || !file) return false;
    addLinkExtension(linkPath);
    createDirectories(directoryPart(linkPath));
    WCHAR wide[MAX_PATH + 1];
    widePath(linkPath, wide);
    bool saved = SUCCEEDED(file->Save(wide, TRUE));
    file->Release();
    return saved;
}

}  // namespace

bool CreateShellLink(String& linkPath, const String& target, const String& arguments,
                     const String& workingDirectory, const String& icon) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkA, (void**)&link)) ||
        !link) {
        return false;
    }
    link->SetPath(target.text());
    link->SetIconLocation(icon.isEmpty() ? target.text() : icon.text(), 0);
    if (!arguments.isEmpty()) link->SetArguments(arguments.text());
    if (!workingDirectory.isEmpty()) link->SetWorkingDirectory(workingDirectory.text());
    bool saved = saveLink(link, linkPath);
    link->Release();
    return saved;
}

bool CreateDesktopShortcut(const String& name, const String& target, const String& arguments,
                           const String& workingDirectory, const String& icon, bool allUsers, String& linkPath) {
    linkPath = joinPath(DirectoryValue(allUsers ? DirDesktopAll : DirDesktop), name);
    return CreateShellLink(linkPath, target, arguments, workingDirectory, icon);
}

bool CreateProgramsShortcut(const String& name, const String& target, const String& arguments,
                            const String& workingDirectory, const String& icon, bool allUsers, String& linkPath) {
    linkPath = joinPath(DirectoryValue(allUsers ? DirSMProgramsAll : DirSMPrograms), name);
    return CreateShellLink(linkPath, target, arguments, workingDirectory, icon);
}

void CreateShortcuts() {
    for (int32_t i = 0; i < ShortcutList.count(); ++i) makeLinks(ShortcutList[i]);
}

void CreateUninstallerShortcuts() {
    if ((ProductFlags.low & payload::flag::KeepUninstallRecord.bit) == 0) return;
    const String name(LocalisedText(33));
    const String none;
    if (ProductFlags.low & payload::flag::UninstallerStartMenuShortcut.bit) {
        String linkPath;
        bool made = CreateProgramsShortcut(joinPath(PayloadSettings.productStartMenu, name), UninstallerPath,
                                           UninstallerArguments, none, none, allUsers(), linkPath);
        noteLink(made, ShortcutLogUninstaller, name, linkPath, true);
    }
    if (ProductFlags.high & payload::flag::UninstallerShortcutInUninstallDir.bit) {
        String linkPath = joinPath(UninstallDir, name);
        bool made = CreateShellLink(linkPath, UninstallerPath, UninstallerArguments, none, none);
        noteLink(made, ShortcutLogUninstaller, name, linkPath, true);
    }
}

void RefreshDesktop() {
    if (!DesktopRequested) return;
    String desktop = folderFor(DirDesktop, DirDesktopAll);
    if (desktop.isBlank()) return;
    ShellChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, desktop.text(), nullptr);
}
