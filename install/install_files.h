// The file phase of an installation: the files the settings ask to delete,
// then every entry of the file catalogue, with its destination, existence
// rule, replacement test, records for the uninstaller and its body.
//
// The decisions are pure and tested on any host; the two run-wide steps and
// the system's answers are in install/install_files_win32.cpp.
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/date_time.h"
#include "core/string.h"
#include "install/install_state.h"
#include "payload/file_entry.h"
#include "payload/memory_stream.h"
#include "payload/settings_reader.h"

// The kinds of a FileEntry; any other kind has no directory of its own.
enum : uint32_t {
    FileKindProgram = 0,       // InstallDir, always overwritten, recorded
    FileKindShared = 1,        // the shared directory, by date, counted
    FileKindFont = 4,          // the fonts folder, by date, registered
    FileKindStartup = 5,       // as 0, plus a start-up shortcut
    FileKindSystemShared = 6,  // the system directory, by version then date, never deleted
    FileKindComServer = 7,     // as 6, registered as a COM server
    FileKindTypeLibrary = 8,   // as 6, its type library registered
};

// ReportCorrupt code of an entry whose kind has no directory.
constexpr int kUnknownFileKind = 110;
// ReportCorrupt code of a deletion date that is no date.
constexpr int kBadDeletionDate = 65;

// --- Destinations ---

// The directories the kinds and flags send files to, found once per run.
struct DestinationFolders {
    String installDir;    // InstallDir; kinds 0 and 5, and the base of destinations
    String sharedDir;     // "%SharedDir%"; kind 1, and the base of its destinations
    String fontDir;       // "%FontDir%"
    String systemDir;     // "%SystemDir%"
    String uninstallDir;  // entries with the flag 0x40
};

struct FileDestination {
    String path;                   // where the file goes
    String name;                   // the entry's name, or the new name its destination gave
    bool createDirectory = false;  // the file's directory is made when missing
};

// Settles where `entry` goes. A destination text without a backslash is a
// new file name; any other is expanded with `expand` (the directory
// variables), made absolute against the shared directory (kind 1) or the
// installation directory, and, when it ends in a backslash, given the
// name's file-name part. Without one, flag 0x40 sends the file to the
// uninstall directory, otherwise the kind's directory. Returns 0, or
// kUnknownFileKind when the kind would decide and has no directory.
int resolveDestination(const FileEntry& entry, const DestinationFolders& folders, void (*expand)(String&),
                       FileDestination& out);

// The directory to create for a file going to `destination`: its directory
// part unless that is `installDir` itself (letter case ignored); false when
// nothing is to be created.
bool directoryToCreate(const String& destination, const String& installDir, String& directory);

// --- Lists for the shared files, components and shortcuts ---

// The shared-file list entry of a kind 1, 6, 7 or 8 file: the destination
// and its marker (kind 6, and any with flag 0x20: a blank; kind 7 "^";
// kind 8 0xA9; kind 1 none). False for the other kinds.
bool sharedFileEntry(uint32_t kind, uint32_t flags, const String& destination, String& entry);

// Kind 5, and kind 0 with a desktop or start-menu flag.
bool wantsShortcut(uint32_t kind, uint32_t flags);
// The request for the shortcut action: named by the entry's first text, or
// by `defaultNameFormat` (language string 38) formatted with the
// destination's file name; the icon is the entry's icon text in
// `uninstallDir`, or none when that text is blank.
ShortcutRequest shortcutRequestFor(const FileEntry& entry, const String& destination, const String& uninstallDir,
                                   const char* defaultNameFormat);

// Whether the file and the directories made for it go into the uninstall
// list: kinds 0 and 5, unless the entry (0x20) or ProductFlags (low 0x400)
// say not to.
bool recordedForUninstall(uint32_t kind, uint32_t flags, uint32_t productFlagsLow);

// --- Existence rule and replacement tests ---

enum ExistenceAction {
    ExistenceGoOn,
    ExistenceSkip,
    ExistenceSkipButRecord,  // skipped, but the file is listed for removal
};

// Whether the rule of the flags (0xC) asks whether the destination exists.
bool existenceRuleAsks(uint32_t flags);
// The rule: 0x4 skip; 0x8 skip unless the file exists; 0xC skip when it
// exists (a kind 0 or 5 file without flag 0x20 is still listed); 0 go on.
ExistenceAction existenceRule(uint32_t flags, uint32_t kind, bool exists);

enum ReplacementTest {
    ReplaceAlways,             // kinds 0, 5 and those without a test
    ReplaceByDate,             // kinds 1 and 4
    ReplaceByVersionThenDate,  // kinds 6, 7 and 8
};
ReplacementTest replacementTestOf(uint32_t kind);

// What is known of the file already at the destination.
struct ExistingFile {
    bool infoRead = false;  // its size and time could be read
    DateTime modified;      // local
    String version;         // FileVersionText; only asked for when the entry has a version
};

struct ReplacementDecision {
    bool replace = true;
    String logLine;  // for InstallLog; empty when none
};

// The date test: replace when the entry's time lacks a date or a time, the
// existing file's time is unknown or earlier; otherwise "<path> is up to
// date.". A replacement logs "<path> is out of date and will be replaced.".
ReplacementDecision decideByDate(const String& destination, const DateTime& entryTime, const ExistingFile& existing);
// The version test, then the date test: with both versions not blank, an
// entry version not newer (CompareVersions) keeps the file ("... was not
// installed because its version is not newer."); an unknown time keeps it
// without a line; a time not earlier than the entry's keeps it ("... was
// not installed because its date is not newer."); otherwise replace, logged
// as by the date test.
ReplacementDecision decideByVersionThenDate(const String& destination, const String& entryVersion,
                                            const DateTime& entryTime, const ExistingFile& existing);

// --- Deletion of listed files ---

// Whether a listed file of `size` bytes, modified at `modified` (local), is
// deleted under `deletion`'s condition: 1-3 by date (equal, not earlier,
// not later; the time of day counts only when the argument has one), 4-6
// by size (equal, not smaller, not larger), any other always. Returns 0
// with `remove` set, or kBadDeletionDate when a date condition's argument
// gives neither date nor time. Two-digit years lie near `currentYear`.
int deletionApplies(const FileDeletion& deletion, int64_t size, const DateTime& modified, int32_t currentYear,
                    bool& remove);

// --- The run-wide steps: Windows only (install/install_files_win32.cpp) ---

// Deletes the files of PayloadSettings.fileDeletions (InstallLog and
// ProblemReport tell how each went), then empties the uninstall list and
// the shared-file, COM-server, type-library and font lists. Ends the run
// (ReportCorrupt 65) on a date condition whose argument is no date.
void DeleteListedFiles();

// Installs the `fileCount` entries of the catalogue at the start of
// `catalogue` (the unpacked DataRegion), whose bodies are `fileSizes` long in
// catalogue order (the header's sizes; at least `fileCount` of them), with
// progress from 45 to 87 percent. Fills SharedFileList, ComServerList,
// TypeLibraryList, ShortcutList and InstalledFonts, records files and
// folders with RecordForUninstall, writes InstallLog and ProblemReport.
// Corrupt entries end the run (ReportCorrupt 70, 71, 72, 100, 110). Call
// after DeleteListedFiles, with InstallDir, SharedDir and UninstallDir set.
void InstallFiles(MemoryStream& catalogue, int32_t fileCount, const Vector<int32_t>& fileSizes);
