// The file-system operations: directories, deletion and renaming (now or at
// the next restart), attributes, directory searches, processes, drives and
// disk space. Every failure is a result (false, -1, an empty text or a run
// code); nothing here shows a message or ends the run.
#pragma once
#include <stdint.h>

#include "core/date_time.h"
#include "core/string.h"

// --- Directories ---

// True when `path` can be made the current directory (the current directory
// is restored afterwards). Empty: false.
bool directoryExists(const String& path);
// The current directory; empty when the system fails.
String currentDirectory();
// Creates `path` and every missing parent (parents of at least 4 characters);
// true when the directory exists afterwards, and for a root.
bool createDirectories(const String& path);
// Removes an empty directory; false for a path of 3 characters or fewer.
bool removeDirectory(const String& path);
// Deletes every file and directory below `path` and then `path` itself; the
// walk goes on past failures and the result is true only when nothing failed.
// False for a path of fewer than 4 characters and for the Windows directory.
// The thread's last error afterwards is that of the last failure.
bool deleteDirectoryTree(const String& path);

// --- Deleting and renaming ---

enum : uint32_t {
    DeleteAtRestart = 0x2,  // deleteFile: at the next restart
    MoveAtRestart = 0x8,    // moveFile: at the next restart
};

// Clears the read-only attribute and deletes `path` now, or with
// DeleteAtRestart at the next restart (the delayed move on the NT family,
// else a "NUL" line in wininit.ini). Empty path: false.
bool deleteFile(const String& path, uint32_t flags);
// Renames `source` to `destination`, replacing it (MoveAtRestart: at the next
// restart). Names equal byte for byte succeed at once; a destination that
// differs other than by letter case is deleted first. A blank name sets the
// last error to ERROR_INVALID_PARAMETER and fails; a missing source fails.
bool moveFile(const String& source, const String& destination, uint32_t flags);
// Adds "destination=source" first in the [rename] section of wininit.ini in
// the Windows directory, creating file and section when missing.
bool scheduleRenameAtRestart(const String& destination, const String& source);

// --- Attributes ---

constexpr uint32_t NoFileAttributes = 0xFFFFFFFF;  // missing file
enum : uint32_t {
    AttributeReadOnly = 0x1,
    AttributeHidden = 0x2,
    AttributeSystem = 0x4,
    AttributeDirectory = 0x10,
};

// The attributes, or NoFileAttributes for a missing file.
uint32_t getFileAttributes(const String& path);
bool isReadOnly(const String& path);
// Sets or clears the read-only bit only; writes only when it changes.
bool setReadOnly(const String& path, bool on);
// Clears the bits of `mask`; true when nothing had to change or the write worked.
bool clearAttributes(const String& path, uint32_t mask);
// Sets the bits under `mask` to those of `value`.
bool setAttributes(const String& path, uint32_t value, uint32_t mask);

// --- Directory searches ---

// One entry of a directory search; times are local.
struct FileInfo {
    DateTime lastAccess;
    uint32_t attributes = 0;
    DateTime lastWrite;
    DateTime creation;
    String longName;
    String shortName;  // 8.3 name; empty when the system gives none
    int64_t size = 0;

    bool isDirectory() const { return (attributes & AttributeDirectory) != 0; }
};

// The entries that match a pattern, in the order the system reports them.
// Entries whose name is empty or holds a character that isValidFileName
// forbids (names the code page cannot show come back with "?") are skipped.
class FileFinder {
public:
    constexpr FileFinder() : handle_(nullptr) {}
    ~FileFinder() { closeFind(); }
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;

    // The first entry; false when none matches.
    bool findFirst(const String& pattern, FileInfo& info);
    // The next entry; false (and the search closed) when none is left.
    bool findNext(FileInfo& info);
    void closeFind();

private:
    void* handle_;
};

// The first entry that matches `path`.
bool getFileInfo(const String& path, FileInfo& info);
// The last-write time (local) of the first match.
bool getModifiedTime(const String& path, DateTime& time);

// --- Processes ---

enum : uint32_t {
    RunWait = 0x1,            // wait for the end; the result is the exit code
    RunHidden = 0x10,         // the new window is hidden
    RunPumpMessages = 0x100,  // keep the windows alive while waiting
};
constexpr uint32_t RunNotStarted = 0x80000000u;  // empty command line or start failed
constexpr uint32_t RunNoExitCode = 0x80000001u;  // started; no wait, or no exit code

// Starts `commandLine` (no separate program name) in `directory` (current
// when empty), not inheriting handles; see the codes above.
uint32_t runProcess(const String& commandLine, uint32_t flags, const String& directory);
// Opens `path` with its default verb in the installer's directory; true when
// the shell's answer is above 32. Empty: false.
bool shellOpen(const String& path);

// --- Drives and disk space ---

// The drive type of "letter:\" is not "no root directory".
bool driveExists(char letter);
// Free bytes of the volume (not the caller's quota) and its size; either
// output may be null. False when the system cannot tell.
bool diskSpace(const String& root, uint64_t* freeBytes, uint64_t* totalBytes);
// Free bytes on the drive of `path`; all ones when `path` does not begin
// with a letter or the query fails.
uint64_t freeBytesOnDrive(const String& path);
// Bytes per cluster of the drive of `path`; -1 when unknown.
int32_t clusterSize(const String& path);

// --- System directory ---

// The system directory; when the system gives nothing, the Windows directory
// joined with "System32" (NT family) or "System".
String systemDirectory();
