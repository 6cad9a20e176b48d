#include "core/file_mode.h"

FileOpenRequest fileOpenRequest(uint32_t mode) {
    FileOpenRequest request;
    request.read = (mode & ModeNoRead) == 0;
    request.write = (mode & ModeNoWrite) == 0;
    request.desiredAccess = (request.read ? 0x80000000u : 0) | (request.write ? 0x40000000u : 0);

    bool shareRead = (mode & ModeShareRead) != 0;
    bool shareWrite = (mode & ModeShareWrite) != 0;
    // Holding no right of one kind, the file has nothing to protect from
    // others of that kind once the other kind is shared.
    if (!request.read && shareWrite) shareRead = true;
    if (!request.write && shareRead) shareWrite = true;
    request.shareMode = (shareRead ? 1u : 0) | (shareWrite ? 2u : 0);

    static const uint32_t dispositions[4] = {4, 3, 1, 2};
    uint32_t disposition = (mode & ModeTempName) ? ModeCreateAlways : (mode & ModeDispositionMask);
    request.disposition = dispositions[disposition];
    return request;
}

const char* fileOpenResultText(int32_t code) {
    static const char* const texts[] = {
        "The file was successfully opened.",
        "An unknown error occurred.",
        "The filename is invalid.",
        "The file was not found.",
        "The directory does not exist.",
        "The file is locked by another application.",
        "Failed to read the file into memory.",
        "Too many files are already open.",
        "An invalid parameter was used.",
        "The file already exists.",
        "Too many indexed files exist.",
        "Access denied.",
        "The file's Read-Only attribute is set.",
    };
    const int32_t count = int32_t(sizeof(texts) / sizeof(texts[0]));
    static_assert(sizeof(texts) / sizeof(texts[0]) == FileReadOnlySet + 1, "one text per result");
    return (code >= 0 && code < count) ? texts[code] : texts[FileUnknownError];
}

FileOpenResult fileOpenResultFor(uint32_t systemError, bool writeToReadOnly) {
    switch (systemError) {
    case 0: return FileOpened;
    case 2: return FileNotFound;           // ERROR_FILE_NOT_FOUND
    case 3: return FileDirectoryMissing;   // ERROR_PATH_NOT_FOUND
    case 4: return FileTooManyOpen;        // ERROR_TOO_MANY_OPEN_FILES
    case 5: return writeToReadOnly ? FileReadOnlySet : FileAccessDenied;  // ERROR_ACCESS_DENIED
    case SharingViolationError: return FileLocked;
    case 80: return FileAlreadyExists;     // ERROR_FILE_EXISTS
    case 87: return FileInvalidParameter;  // ERROR_INVALID_PARAMETER
    case 123: return FileInvalidName;      // ERROR_INVALID_NAME
    default: return FileUnknownError;
    }
}
