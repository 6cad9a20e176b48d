// The uninstaller's run: the record read back, then the installation undone
// step by step. Nothing is rolled back; a failure only keeps the record (and
// what it lists) for a second attempt.
#include <windows.h>
#include <olectl.h>

#include "core/file.h"
#include "core/file_system.h"
#include "core/path.h"
#include "core/registry.h"
#include "core/system_info.h"
#include "core/system_paths.h"
#include "driver/failure.h"
#include "driver/run_settings.h"
#include "install/associations.h"
#include "install/components.h"
#include "install/directory_variables.h"
#include "install/fonts.h"
#include "install/install_state.h"
#include "install/later_actions.h"
#include "install/shared_files.h"
#include "install/uninstall_record.h"
#include "payload/format.h"
#include "ui/background.h"
#include "ui/localised_text.h"
#include "ui/progress.h"
#include "ui/progress_logic.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_data.h"
#include "uninstall/uninstall_product.h"

namespace {

namespace flag = payload::flag;

const char kSharedCountFailureText[] = "REGISTRY ERROR:  Unable to adjust shared file reference counts.\r\n\r\n";

// The numbered texts of the record's [Strings] section.
enum : int {
    FailureListText = 10,
    SuccessCaption = 15,
    FailureCaption = 20,
    SuccessText = 34,
    SharedFileCaption = 35,
    ConfirmText = 53,
    ConfirmCaption = 55,
    FontQuestionText = 56,
    FontQuestionCaption = 57,
    FileNotRemovedText = 58,
    SharedFileQuestionText = 59,
    FontsStatus = 67,
    LogAndMenuStatus = 68,
    KeysStatus = 69,
    AssociationsStatus = 70,
};

bool hasFlag(const payload::FlagBit& bit) {
    return ((bit.half == 0 ? ProductFlags.low : ProductFlags.high) & bit.bit) != 0;
}

String readText(Registry& key, const char* name) {
    String value;
    key.readString(value, name, "", 0);
    return value;
}

bool askYesNo(const char* text, const char* caption) {
    return MessageBoxA((HWND)OwnerWindow(), text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// What the record holds besides the run-wide settings.
struct Record {
    String fonts;
    int32_t shortcutMode = 0;
    String body;
    Array<FileAssociation> associations;
    String errors;  // empty at the end: the uninstallation is complete
};

// --- The record --------------------------------------------------------------------

// The three refusals come before anything is read, so they name the product
// as the command line did.
bool openRecord(Registry& key, const String& name) {
    String path = productUninstallKey(name);
    if (!key.softwareKeyExists(path.text(), false)) {
        ErrorMessage("No product named '%s' is installed.", name);
        return false;
    }
    if (key.openSoftware(path.text(), false, RegOpenOnly) == RegOpenFailed) {
        ErrorMessage("Unable to access the uninstall information for:\r\n%s\r\n\r\nThe uninstallation cannot be performed.",
                     ProductName);
        return false;
    }
    ProductName = readText(key, "DisplayName");
    if (ProductName.isBlank()) ProductName = name;
    InstallDir = readText(key, "InstallLocation");
    if (InstallDir.isBlank()) {
        ErrorMessage("The uninstall information for %s is corrupt.\r\n\r\nThe uninstallation cannot be performed.",
                     ProductName);
        return false;
    }
    return true;
}

void readSettings(Registry& key, Record& record) {
    productFlagsFromText(readText(key, "ProductFlags"), ProductFlags.low, ProductFlags.high);
    if (hasFlag(flag::AutomaticUninstall)) AutomaticMode = true;
    DisplayTitle = readText(key, "DisplayTitle");
    TitleColor = uint32_t(key.readInt("TitleColor", int32_t(GetSysColor(COLOR_WINDOWTEXT)), 0));
    TitleShadow = uint8_t(key.readInt("TitleShadow", 1, 0));
    TopColor = uint32_t(key.readInt("TopColor", int32_t(GetSysColor(COLOR_WINDOW)), 0));
    BottomColor = uint32_t(key.readInt("BottomColor", 0, 0));
    MonoColor = key.readBool("MonoColor", true, 0);
    BitmapSize = key.readInt("BitmapSize", 0, 0);
    RecordUninstallSubdir = readText(key, "UninstallSubdir");
    record.fonts = readText(key, "ProductFonts");
    record.shortcutMode = key.readInt("ShortcutMode", 0, 0);
    takeBackgroundPlacement(ProductFlags.high);
    UninstallDir = joinPath(InstallDir, RecordUninstallSubdir);
}

// Uninstall.DAT: the body stays for later, the texts become the run's only
// language, the associations are taken out of AssociationList.
void readUninstallData(Record& record) {
    String text;
    readWholeFile(UninstallDataPath(), text);
    UninstallDataPieces pieces;
    splitUninstallData(text, pieces);
    record.body = moveValue(pieces.body);
    TextTable strings;
    readUninstallStrings(pieces.strings, strings);
    InstallLocalisedTexts(Vector<String>(), moveValue(strings));
    AssociationList = moveValue(pieces.associations);
    takeUninstallAssociations(AssociationList, record.associations);
}

// --- Associations ------------------------------------------------------------------

// The saved default value back in place of the installation's; false when
// there was none.
bool restoreBackup(Registry& key, const String& backupName) {
    String saved = readText(key, backupName.text());
    if (saved.isBlank()) return false;
    key.setString("", saved, 0);
    key.deleteValue(backupName.text());
    return true;
}

// Below the type key: "shell", the verb and its "command"; a verb without a
// backup to restore goes, and so does "shell" when nothing is left in it.
void restoreShellKey(Registry& key, const FileAssociation& association, const String& backupName) {
    if (key.openSub("shell", RegOpenOnly) == RegOpenFailed) return;
    restoreBackup(key, backupName);
    if (key.openSub(association.verb.text(), RegOpenOnly) != RegOpenFailed) {
        bool removeVerb = true;
        if (key.openSub("command", RegOpenOnly) != RegOpenFailed) {
            if (restoreBackup(key, backupName)) removeVerb = false;
            key.close();
        }
        key.close();
        if (removeVerb) key.deleteKey(association.verb.text(), 0);
    }
    bool shellInUse = key.hasSubkeys();
    key.close();
    if (!shellInUse) key.deleteKey("shell", 0);
}

void restoreAssociation(const FileAssociation& association, const String& backupName) {
    Registry key;
    bool removeExtension = true;
    if (key.open(RegistryRootClassesRoot, association.extension.text(), RegOpenOnly) != RegOpenFailed) {
        if (restoreBackup(key, backupName)) removeExtension = false;
        key.close();
    }
    if (key.open(RegistryRootClassesRoot, association.typeName.text(), RegOpenOnly) == RegOpenFailed) return;
    restoreBackup(key, backupName);
    if (key.openSub("DefaultIcon", RegOpenOnly) != RegOpenFailed) {
        restoreBackup(key, backupName);
        key.close();
    }
    restoreShellKey(key, association, backupName);
    bool typeInUse = key.hasSubkeys();
    key.close();
    if (typeInUse) return;
    key.deleteKeyAt(RegistryRootClassesRoot, association.typeName.text(), 0);
    if (removeExtension) key.deleteKeyAt(RegistryRootClassesRoot, association.extension.text(), 0);
}

void restoreAssociations(const Record& record) {
    if (record.associations.count() == 0) return;
    SetProgressStatus(AssociationsStatus, progress::kUninstallAssociations);
    String backupName = backupValueName(ProductName);
    for (const FileAssociation& association : record.associations) restoreAssociation(association, backupName);
    HoldStatus(progress::kUninstallHoldMs);
}

// --- Fonts -------------------------------------------------------------------------

bool removeFont(const String& name, const String& fileName) {
    if (hasFlag(flag::AskBeforeFontRemoval) && !AutomaticMode &&
        !askYesNo(formatText(LocalisedText(FontQuestionText), name).text(), LocalisedText(FontQuestionCaption))) {
        return false;
    }
    DeleteFontValue(name);
    RemoveFontResourceA(fileName.text());
    deleteFile(joinPath(DirectoryValue(DirFont), fileName), 0);
    return true;
}

void removeFonts(Registry& key, const Record& record) {
    if (record.fonts.isEmpty()) return;
    SetProgressStatus(FontsStatus, progress::kUninstallFonts);
    bool removed = false;
    int32_t position = 0;
    String name, fileName;
    while (takeFontPair(record.fonts, position, name, fileName)) {
        if (removeFont(name, fileName)) removed = true;
    }
    key.deleteValue("ProductFonts");
    if (removed) BroadcastFontChange();
    HoldStatus(progress::kUninstallHoldMs);
}

// --- Files, keys and folders of Uninstall.DAT --------------------------------------

// A file that is already gone counts as removed; one that cannot be deleted
// is reported and listed again for the next attempt.
void removeListedFile(const String& path, Record& record) {
    if (!fileExists(path) || deleteFile(path, 0)) return;
    record.errors.appendFormat("%s %s\r\n", LocalisedText(FileNotRemovedText), path);
    RecordForUninstall(path, UninstallFileEntry);
}

void removeFolders(const Array<String>& folders) {
    for (const String& folder : folders) {
        SetProgressText(folder.text());
        Array<String> climb;
        folderClimb(folder, InstallDir, climb);
        for (const String& step : climb) {
            if (!removeDirectory(step)) break;
        }
    }
}

void removeBodyLines(Record& record) {
    Array<String> lines;
    uninstallBodyLines(record.body, lines);
    Array<String> folders;
    for (int32_t i = 0; i < lines.count(); i++) {
        String target;
        switch (uninstallLineKind(lines[i], target)) {
        case UninstallLineFolder:
            insertFolderLongestFirst(folders, target);
            break;
        case UninstallLineClassKey: {
            Registry classes;
            classes.deleteKeyAt(RegistryRootClassesRoot, target.text(), 0);
            break;
        }
        case UninstallLineFile:
            SetProgressPercent(uninstallLinePercent(i, lines.count()));
            SetProgressText(target.text());
            removeListedFile(target, record);
            break;
        case UninstallLineEmpty:
            break;
        }
    }
    removeFolders(folders);
}

// --- Start menu, shared files, product keys ----------------------------------------

// The product's start-menu folder and the parents it leaves empty. A record
// without a start-menu folder leaves the programs folder alone.
void removeStartMenuFolder(const String& productStartMenu, int32_t shortcutMode) {
    if (productStartMenu.isBlank()) return;
    String folder = joinPath(DirectoryValue(shortcutMode == 1 ? DirSMProgramsAll : DirSMPrograms), productStartMenu);
    for (int32_t removed = 0; removed < kUninstallClimbLimit; removed++) {
        if (!removeDirectory(folder) || !climbToParent(folder)) return;
    }
}

void unregisterComServer(const String& path) {
    HMODULE module = static_cast<HMODULE>(LoadComponentLibrary(path.text()));
    if ((uintptr_t)module >= 32) {
        FARPROC entry = GetProcAddress(module, "DllUnregisterServer");
        if (entry) asFunction<decltype(&::DllUnregisterServer)>(asEntry(entry))();
    }
    if (module) FreeLibrary(module);
}

void releaseSharedFile(Registry& counts, const SharedFileRecord& shared) {
    int32_t count = counts.readInt(shared.path.text(), 0, 0);
    if (count > 0) {
        count--;
        if (count > 0) {
            counts.setInt(shared.path.text(), count, 0);
            return;
        }
        counts.deleteValue(shared.path.text());
    }
    if (shared.neverDelete) return;
    if (shared.comServer) unregisterComServer(shared.path);
    if (shared.typeLibrary) UnregisterTypeLibrary(shared.path);
    if (!fileExists(shared.path)) return;
    if (hasFlag(flag::AskBeforeSharedFileRemoval) && !AutomaticMode &&
        !askYesNo(formatText(LocalisedText(SharedFileQuestionText), shared.path).text(),
                  LocalisedText(SharedFileCaption))) {
        return;
    }
    deleteFile(shared.path, 0);
}

void releaseSharedFiles(const String& sharedFiles, Record& record) {
    if (sharedFiles.isEmpty()) return;
    Registry counts;
    if (counts.openSoftware(SharedDllsKey, false, 0) == RegOpenFailed) {
        record.errors.append(kSharedCountFailureText);
        return;
    }
    String rest = sharedFiles;
    SharedFileRecord shared;
    while (takeSharedFileRecord(rest, shared)) releaseSharedFile(counts, shared);
    counts.close();
}

// The product's key and, while that works, the parents it leaves empty.
void removeProductKey(const String& productRegistry, bool currentUser) {
    Registry registry;
    String path = productRegistry;
    uint32_t flags = 0;
    for (int32_t removed = 0; removed < kUninstallClimbLimit; removed++) {
        if (registry.deleteSoftwareKey(path.text(), currentUser, flags) != RegDeleted) return;
        if (!climbToParent(path)) return;
        flags = RegOnlyIfEmpty;
    }
}

void removeProductKeys(Registry& key) {
    String productRegistry = readText(key, "ProductRegistry");
    if (productRegistry.isEmpty()) return;
    removeProductKey(productRegistry, false);
    removeProductKey(productRegistry, true);
    key.deleteValue("ProductRegistry");
}

void removeInstallationFolder() {
    if (!hasFlag(flag::RemoveWholeFolder)) return;
    if (pathsEqual(InstallDir, DirectoryValue(DirPrograms)) || pathsEqual(InstallDir, SystemPaths.windowsDirectory)) {
        return;
    }
    deleteDirectoryTree(InstallDir);
}

// --- Batches and the record itself -------------------------------------------------

void runUninstallBatch1(Registry& key) {
    String commands = readText(key, "UninstallBatch1");
    if (commands.isEmpty()) return;
    RunBatchCommands(InstallDir, hasFlag(flag::HideUninstallBatch1), commands);
    key.deleteValue("UninstallBatch1");
}

// Only after a run without failures: otherwise the record is what a second
// attempt works from.
void removeRecord(Registry& key, const String& name) {
    deleteFile(UninstallDataPath(), 0);
    if (hasFlag(flag::AddToPath)) {
        String failure = ModifyPath(false);
        if (!failure.isEmpty() && !AutomaticMode) ErrorMessageText(failure.text());
    }
    // The installation folder may be gone, so the batch runs in its drive's root.
    RunBatchCommands(driveRoot(InstallDir), hasFlag(flag::HideUninstallBatch2), readText(key, "UninstallBatch2"));
    key.deleteValue("UninstallBatch2");
    key.closeAll();
    Registry uninstallKeys;
    uninstallKeys.deleteSoftwareSubkey(UninstallKeyPath, name.text(), false, 0);
}

void removeEverything(Registry& key, Record& record) {
    SharedDir = readText(key, "SharedPath");
    runUninstallBatch1(key);
    restoreAssociations(record);
    removeFonts(key, record);

    RestartStatusClock();
    ClearUninstallList();
    removeBodyLines(record);
    HoldStatus(progress::kUninstallHoldMs);
    SetProgressStatus(LogAndMenuStatus, progress::kUninstallLogAndMenu);
    deleteFile(joinPath(UninstallDir, "Install.LOG"), 0);
    WriteUninstallData();
    ClearUninstallList();

    removeStartMenuFolder(readText(key, "ProductStartMenu"), record.shortcutMode);
    releaseSharedFiles(readText(key, "SharedFiles"), record);
    removeDirectory(SharedDir);
    HoldStatus(progress::kUninstallHoldMs);
    SetProgressStatus(KeysStatus, progress::kUninstallKeys);
    removeProductKeys(key);
    HoldStatus(progress::kUninstallHoldMs);
    removeInstallationFolder();
}

void reportResult(const Record& record) {
    if (AutomaticMode) return;
    HWND owner = (HWND)BackgroundWindow;
    if (record.errors.isEmpty()) {
        MessageBoxA(owner, LocalisedText(SuccessText), LocalisedText(SuccessCaption), MB_OK | MB_ICONINFORMATION);
    } else {
        MessageBoxA(owner, formatText(LocalisedText(FailureListText), record.errors).text(),
                    LocalisedText(FailureCaption), MB_OK | MB_ICONEXCLAMATION);
    }
}

}  // namespace

bool UninstallProduct(const String& name) {
    Registry key;
    if (!openRecord(key, name)) return false;
    Record record;
    readSettings(key, record);
    if (hasFlag(flag::KeepBackgroundBitmap)) LoadBackgroundBitmapFile(joinPath(UninstallDir, UninstallerBackgroundName));
    OpenBackgroundWindow(ProductFlags.low, ProductFlags.high, InstanceHandle);
    readUninstallData(record);
    if (!AutomaticMode && !askYesNo(LocalisedText(ConfirmText), LocalisedText(ConfirmCaption))) Shutdown();

    ShowProgressDialog();
    removeEverything(key, record);
    if (record.errors.isEmpty()) removeRecord(key, name);
    key.closeAll();
    CloseProgressDialog();
    reportResult(record);
    return record.errors.isEmpty();
}
