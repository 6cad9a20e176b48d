// Directories, attributes and directory searches on the Win32 functions.
#include <windows.h>

#include "core/file.h"
#include "core/file_system.h"
#include "core/file_system_rules.h"
#include "core/path.h"
#include "core/system_info.h"
#include "core/system_paths.h"

static_assert(FILE_ATTRIBUTE_READONLY == AttributeReadOnly && FILE_ATTRIBUTE_DIRECTORY == AttributeDirectory,
              "attribute bits");
static_assert(INVALID_FILE_ATTRIBUTES == NoFileAttributes, "missing file");

// --- Directories ---

String currentDirectory() {
    // Most answers fit the first buffer; a longer one is asked for again
    // with the size the system reports.
    DWORD size = 100;
    String directory;
    for (int attempt = 0; attempt < 2; attempt++) {
        directory.resize(int32_t(size));
        DWORD answer = GetCurrentDirectoryA(size, directory.buffer());
        if (answer == 0) break;
        if (answer < size) {
            directory.resize(int32_t(answer));
            return directory;
        }
        size = answer + 1;
    }
    return String();
}

bool directoryExists(const String& path) {
    if (path.isEmpty()) return false;
    String remembered = currentDirectory();
    if (!SetCurrentDirectoryA(path.text())) return false;
    SetCurrentDirectoryA(remembered.text());
    return true;
}

bool createDirectories(const String& path) {
    if (path.isEmpty()) return false;
    if (directoryExists(path)) return true;
    String parent = directoryPart(path);
    if (parent.equals(path)) return true;  // a root
    if (parent.length() >= 4 && !directoryExists(parent) && !createDirectories(parent)) return false;
    CreateDirectoryA(path.text(), nullptr);
    return directoryExists(path);
}

bool removeDirectory(const String& path) {
    String directory;
    if (!directoryToRemove(path, directory)) return false;
    return RemoveDirectoryA(directory.text()) != 0;
}

static bool isDotEntry(const String& name) { return name.equals(".") || name.equals(".."); }

bool deleteDirectoryTree(const String& path) {
    if (!mayDeleteTree(path, SystemPaths.windowsDirectory)) return false;
    bool failed = false;
    DWORD failure = 0;
    {
        FileFinder finder;
        FileInfo info;
        for (bool found = finder.findFirst(joinPath(path, "*.*"), info); found; found = finder.findNext(info)) {
            if (isDotEntry(info.longName)) continue;
            String entry = joinPath(path, info.longName);
            bool ok = info.isDirectory() ? deleteDirectoryTree(entry) : deleteFile(entry, 0);
            if (!ok) {
                failed = true;
                failure = GetLastError();
            }
        }
    }  // the search handle is closed before the directory is removed
    if (failed) SetLastError(failure);
    return removeDirectory(path) && !failed;
}

// --- Attributes ---

uint32_t getFileAttributes(const String& path) { return GetFileAttributesA(path.text()); }

bool isReadOnly(const String& path) {
    uint32_t attributes = getFileAttributes(path);
    return attributes != NoFileAttributes && (attributes & AttributeReadOnly) != 0;
}

bool setAttributes(const String& path, uint32_t value, uint32_t mask) {
    uint32_t attributes = getFileAttributes(path);
    if (attributes == NoFileAttributes) return false;
    uint32_t changed = (attributes & ~mask) | (value & mask);
    if (changed == attributes) return true;
    return SetFileAttributesA(path.text(), changed) != 0;
}

bool setReadOnly(const String& path, bool on) {
    return setAttributes(path, on ? uint32_t(AttributeReadOnly) : 0u, AttributeReadOnly);
}

bool clearAttributes(const String& path, uint32_t mask) { return setAttributes(path, 0, mask); }

// --- Directory searches ---

static DateTime localDateTime(const FILETIME& time) {
    DateTime result;
    FILETIME local;
    SYSTEMTIME parts;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &parts)) return result;
    result.year = parts.wYear;
    result.month = parts.wMonth;
    result.day = parts.wDay;
    result.hour = parts.wHour;
    result.minute = parts.wMinute;
    result.second = parts.wSecond;
    return result;
}

static void fillInfo(const WIN32_FIND_DATAA& found, FileInfo& info) {
    info.lastAccess = localDateTime(found.ftLastAccessTime);
    info.attributes = found.dwFileAttributes;
    info.lastWrite = localDateTime(found.ftLastWriteTime);
    info.creation = localDateTime(found.ftCreationTime);
    info.longName = found.cFileName;
    info.shortName = found.cAlternateFileName;
    info.size = int64_t((uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
}

// Entries the installer could not name again are passed over: moves on
// from `found` to the first usable entry; false (search closed) when none.
static bool settleOnUsable(void*& handle, WIN32_FIND_DATAA& found, FileInfo& info) {
    while (found.cFileName[0] == 0 || !isValidFileName(String(found.cFileName))) {
        if (!FindNextFileA(static_cast<HANDLE>(handle), &found)) return false;
    }
    fillInfo(found, info);
    return true;
}

bool FileFinder::findFirst(const String& pattern, FileInfo& info) {
    closeFind();
    WIN32_FIND_DATAA found;
    HANDLE handle = FindFirstFileA(pattern.text(), &found);
    if (handle == INVALID_HANDLE_VALUE) return false;
    handle_ = handle;
    if (settleOnUsable(handle_, found, info)) return true;
    closeFind();
    return false;
}

bool FileFinder::findNext(FileInfo& info) {
    if (!handle_) return false;
    WIN32_FIND_DATAA found;
    if (FindNextFileA(static_cast<HANDLE>(handle_), &found) && settleOnUsable(handle_, found, info)) return true;
    closeFind();
    return false;
}

void FileFinder::closeFind() {
    if (handle_) FindClose(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

bool getFileInfo(const String& path, FileInfo& info) {
    FileFinder finder;
    return finder.findFirst(path, info);
}

bool getModifiedTime(const String& path, DateTime& time) {
    FileInfo info;
    if (!getFileInfo(path, info)) return false;
    time = info.lastWrite;
    return true;
}

// --- System directory ---

String systemDirectory() {
    char buffer[MAX_PATH + 1];
    UINT answer = GetSystemDirectoryA(buffer, MAX_PATH);
    if (answer > 0 && answer < MAX_PATH) return String(buffer, int32_t(answer));
    return joinPath(SystemPaths.windowsDirectory, IsNtFamily() ? "System32" : "System");
}
