// The file phase on Windows: deleting the listed files and installing the
// catalogue, with the decisions of install/install_files.cpp.
#include <windows.h>

#include "core/clock.h"
#include "core/file.h"
#include "core/file_list.h"
#include "core/file_system.h"
#include "core/path.h"
#include "core/registry.h"
#include "core/system_paths.h"
#include "driver/failure.h"
#include "driver/run_settings.h"
#include "install/directory_variables.h"
#include "install/file_body.h"
#include "install/fonts.h"
#include "install/install_files.h"
#include "install/install_state.h"
#include "install/uninstall_record.h"
#include "install/version_compare.h"
#include "payload/format.h"
#include "ui/localised_text.h"
#include "ui/progress.h"
#include "ui/progress_logic.h"

namespace {

// --- Listed deletions ---

void deleteListedFile(const String& path, uint32_t deletionFlags) {
    clearAttributes(path, AttributeReadOnly | AttributeHidden | AttributeSystem);
    if (deleteFile(path, 0)) {
        InstallLog.appendFormat("Deleted file: %s\r\n", path);
        return;
    }
    String error = lastSystemErrorText();
    if (!(deletionFlags & payload::kDeletionAtRestart)) {
        InstallLog.appendFormat("Failed to delete file '%s': %s\r\n", path, error);
        return;
    }
    InstallLog.appendFormat("File '%s' will be deleted after rebooting: %s\r\n", path, error);
    if (deleteFile(path, DeleteAtRestart)) {
        ProductFlags.low |= payload::flag::RestartNeeded.bit;
    } else {
        ProblemReport.appendFormat("Failed to register '%s' for deletion: %s\r\n", path, lastSystemErrorText());
    }
}

void runDeletion(const FileDeletion& deletion, int32_t currentYear) {
    String spec = deletion.spec;
    ExpandDirectoryVariables(spec);
    Array<String> files;
    ExpandFileSpecifications(spec, files, InstallDir);
    for (const String& path : files) {
        FileInfo info;
        if (!getFileInfo(path, info)) continue;
        bool remove = false;
        if (int code = deletionApplies(deletion, info.size, info.lastWrite, currentYear, remove)) ReportCorrupt(code);
        if (remove) deleteListedFile(path, deletion.flags);
    }
}

// --- One catalogue entry ---

// The lists of the shared-file counting and component registration, made
// before any test so that a skipped file is still counted and registered.
void listForComponents(const FileEntry& entry, const String& destination) {
    String shared;
    if (sharedFileEntry(entry.kind, entry.flags, destination, shared)) SharedFileList.append(moveValue(shared));
    if (entry.kind == FileKindComServer) ComServerList.append(destination);
    if (entry.kind == FileKindTypeLibrary) TypeLibraryList.append(destination);
}

ReplacementDecision testExistingFile(ReplacementTest test, const FileEntry& entry, const String& destination) {
    ExistingFile existing;
    if (test == ReplaceByVersionThenDate && !entry.firstText.isBlank()) existing.version = FileVersionText(destination);
    FileInfo info;
    existing.infoRead = getFileInfo(destination, info);
    existing.modified = info.lastWrite;
    if (test == ReplaceByDate) return decideByDate(destination, entry.modified, existing);
    return decideByVersionThenDate(destination, entry.firstText, entry.modified, existing);
}

// False when the directory cannot be made; the file is then not installed.
bool makeDirectoryFor(const String& destination, bool recorded) {
    String directory;
    if (!directoryToCreate(destination, InstallDir, directory)) return true;
    if (!createDirectories(directory)) {
        String error = lastSystemErrorText();
        ProblemReport.appendFormat("%s %s\r\n%s\r\nNot installed: %s\r\n\r\n", LocalisedText(25), directory, error,
                                   destination);
        return false;
    }
    if (recorded) RecordForUninstall(directory, UninstallFolderEntry);
    return true;
}

// Installs one entry; true when a font was registered.
bool installEntry(const FileEntry& entry, const DestinationFolders& folders) {
    FileDestination destination;
    if (int code = resolveDestination(entry, folders, ExpandDirectoryVariables, destination)) ReportCorrupt(code);
    const String& path = destination.path;
    listForComponents(entry, path);

    ExistenceAction action = existenceRule(entry.flags, entry.kind, existenceRuleAsks(entry.flags) && fileExists(path));
    if (action == ExistenceSkipButRecord) RecordForUninstall(path, UninstallFileEntry);
    if (action != ExistenceGoOn) return false;

    bool existed = false;
    ReplacementTest test = replacementTestOf(entry.kind);
    if (test != ReplaceAlways && fileExists(path)) {
        existed = true;
        ReplacementDecision decision = testExistingFile(test, entry, path);
        InstallLog += decision.logLine;
        if (!decision.replace) return false;
    }

    if (wantsShortcut(entry.kind, entry.flags)) {
        ShortcutList.append(shortcutRequestFor(entry, path, UninstallDir, LocalisedText(38)));
    }
    const bool recorded = recordedForUninstall(entry.kind, entry.flags, ProductFlags.low);
    if (destination.createDirectory && !makeDirectoryFor(path, recorded)) return false;
    // Listed before the write, so that a file that then fails is removed too.
    if (recorded) RecordForUninstall(path, UninstallFileEntry);
    if (!WriteFileBody(path, entry.body, entry.size, entry.modified, ProblemReport, entry.attributes, existed)) {
        return false;
    }

    bool font = entry.kind == FileKindFont;
    if (font) {
        RegisterFont(entry.firstText, fileNamePart(destination.name), (entry.flags & payload::kEntryNotRecorded) == 0);
    }
    String done = formatText("%s -> %s", destination.name, path);
    SetProgressText(done.text());
    if (ProductFlags.low & payload::flag::DetailedLog.bit) {
        InstallLog += done;
        InstallLog += "\r\n";
    }
    return font;
}

}  // namespace

void DeleteListedFiles() {
    const int32_t currentYear = nowTimestamp().date.year;
    for (const FileDeletion& deletion : PayloadSettings.fileDeletions) runDeletion(deletion, currentYear);
    ClearUninstallList();
    SharedFileList.clear();
    ComServerList.clear();
    TypeLibraryList.clear();
    InstalledFonts.clear();
}

void InstallFiles(MemoryStream& catalogue, int32_t fileCount, const Vector<int32_t>& fileSizes) {
    DestinationFolders folders;
    folders.installDir = InstallDir;
    folders.sharedDir = SharedDir;
    folders.fontDir = DirectoryValue(DirFont);
    folders.systemDir = DirectoryValue(DirSystem);
    folders.uninstallDir = UninstallDir;
    bool fontRegistered = false;
    for (int32_t i = 0; i < fileCount; i++) {
        SetProgressPercent(fileLoopPercent(i, fileCount));
        FileEntry entry;
        if (int code = readFileEntry(catalogue, fileSizes[i], entry)) ReportCorrupt(code);
        PumpMessages();
        if (installEntry(entry, folders)) fontRegistered = true;
    }
    if (fontRegistered) BroadcastFontChange();
    SetProgressPercent(progress::kFilesDone);
}
