// The open-mode word of File and the results of opening: which access,
// sharing and creation a mode asks the system for, and how a system error
// becomes a FileOpenResult. Pure, so that every rule is tested on any host;
// core/file_win32.cpp hands the answers to CreateFileA.
#pragma once
#include <stdint.h>

// Bits of the 32-bit open-mode word. Bits 0-1 hold the disposition.
enum : uint32_t {
    ModeOpenAlways = 0,    // open, create if missing
    ModeOpenExisting = 1,  // open an existing file only
    ModeCreateNew = 2,     // create, fail if it exists
    ModeCreateAlways = 3,  // create or truncate
    ModeDispositionMask = 3,
    ModeNoRead = 0x08,
    ModeNoWrite = 0x10,
    ModeShareRead = 0x100,
    ModeShareWrite = 0x200,
    ModeAppend = 0x400,          // after opening, position at the end
    ModeCloseAfterOpen = 0x800,  // existence and creation tests
    ModeTempName = 0x20000000,   // a new temporary file; forces ModeCreateAlways
};

// The combinations the installer uses.
enum : uint32_t {
    ModeReadOnly = ModeOpenExisting | ModeNoWrite | ModeShareRead,  // 0x111
    ModeExistenceTest = ModeOpenExisting | ModeNoRead | ModeNoWrite | ModeShareRead | ModeShareWrite |
                        ModeCloseAfterOpen,  // 0xB19
};

// What CreateFileA is asked for, in the system's own numbers (the Win32
// shell checks them against windows.h).
struct FileOpenRequest {
    uint32_t desiredAccess;  // GENERIC_READ 0x80000000 | GENERIC_WRITE 0x40000000
    uint32_t shareMode;      // FILE_SHARE_READ 1 | FILE_SHARE_WRITE 2
    uint32_t disposition;    // CREATE_NEW 1, CREATE_ALWAYS 2, OPEN_EXISTING 3, OPEN_ALWAYS 4
    bool read;
    bool write;
};

// Access from the no-read/no-write bits; sharing from the share bits, where a
// mode without read access that shares writing also shares reading, and one
// without write access that shares reading also shares writing.
FileOpenRequest fileOpenRequest(uint32_t mode);

// Result codes of File::open.
enum FileOpenResult : int32_t {
    FileOpened = 0,
    FileUnknownError = 1,
    FileInvalidName = 2,
    FileNotFound = 3,
    FileDirectoryMissing = 4,
    FileLocked = 5,
    FileReadFailed = 6,
    FileTooManyOpen = 7,
    FileInvalidParameter = 8,
    FileAlreadyExists = 9,
    FileTooManyIndexed = 10,
    FileAccessDenied = 11,
    FileReadOnlySet = 12,
};

// The text of a result code; any unknown code gives the text of code 1.
const char* fileOpenResultText(int32_t code);

// The result for a system error of CreateFileA. An access-denied error is
// FileReadOnlySet when write access was asked of a file with the read-only
// attribute (`writeToReadOnly`), else FileAccessDenied. A sharing violation
// (after the retries) is FileLocked.
FileOpenResult fileOpenResultFor(uint32_t systemError, bool writeToReadOnly);

// The system's sharing-violation error, the one error that open retries.
constexpr uint32_t SharingViolationError = 32;
// Retries after the first attempt, and the pause before each.
constexpr int32_t OpenRetries = 5;
constexpr uint32_t OpenRetryPauseMs = 100;
